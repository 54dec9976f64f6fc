// The Ogg Vorbis stream player: the shared feeder decodes the file into four 128 KiB
// output buffers, which it does not refill before the device has played them. Portable:
// the device comes in as a WaveOutput, the file through FileSystem.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "engines/Engines.h"
#include "engines/OggVorbisStream.h"
#include "engines/WaveFeeder.h"
#include "engines/WaveOutput.h"
#include "platform/FileSystem.h"

namespace hgf {

class OggStreamPlayer final : public OggEngine, private PcmSource {
  public:
    static constexpr std::uint32_t kBufferBytes = 0x20000;  // one output buffer
    static constexpr int kBufferCount = WaveFeeder::kBufferCount;

    OggStreamPlayer(FileSystem& files, WaveOutput& output);
    ~OggStreamPlayer() override;
    OggStreamPlayer(const OggStreamPlayer&) = delete;
    OggStreamPlayer& operator=(const OggStreamPlayer&) = delete;

    // Opens the file and the device and leaves the player held (no sound yet). A failed
    // Open releases everything it had acquired.
    bool Open(const std::string& path) override;
    bool Start() override;
    // Feeds no further buffers; those already queued play to their end.
    void Pause() override;
    void Close() override;
    // Applies to samples decoded from now on; values outside 0.0..1.0 are ignored.
    void SetGain(float gain) override;
    // Whole seconds of the file, read independently of the playback; -1 if unknown.
    int Length(const std::string& path) override;
    bool Finished() override;

    // Buffers written to the device and not yet reported played (for tests).
    int QueuedBuffers() const { return feeder_.QueuedBuffers(); }

  private:
    Fill Decode(std::uint8_t* block, std::uint32_t capacity, std::uint32_t& filled) override;

    FileSystem& files_;
    WaveOutput& output_;
    OggVorbisStream stream_;  // used by the feeder thread while it runs, else by the caller
    WaveFeeder feeder_;
    std::atomic<float> gain_{1.0f};  // written by the caller, read by the feeder
};

}  // namespace hgf
