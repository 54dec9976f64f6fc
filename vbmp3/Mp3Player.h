// The playback of one MP3 file: the decoder behind the shared feeder, with a soft volume
// per channel, and the news that the whole file has been heard. Portable.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "Mp3Stream.h"
#include "engines/FeedPosition.h"
#include "engines/WaveFeeder.h"
#include "engines/WaveOutput.h"
#include "platform/FileSystem.h"

namespace hgf::vbmp3 {

class Mp3Player final : private PcmSource {
  public:
    Mp3Player(FileSystem& files, WaveOutput& output);
    ~Mp3Player() override;
    Mp3Player(const Mp3Player&) = delete;
    Mp3Player& operator=(const Mp3Player&) = delete;

    // Opens the file and the device and leaves the playback held. `onPlayedOut` runs on
    // the playback thread once the whole file has been played. False (with everything
    // released) for a file that is no MPEG audio stream, or without a device.
    bool Open(const std::string& path, std::function<void()> onPlayedOut);
    // Channel volumes 0..100 for the samples decoded from now on.
    void SetVolume(int left, int right);
    void Play();
    // Halts the device at once; Restart goes on from there.
    void Pause();
    void Restart();
    void Close();
    // Between Open and Play: the playback begins `ms` milliseconds into the file (the
    // decoder seeks there, or where the file cannot seek, decodes and drops what comes
    // before). False (nothing changes) when the position is at or past the file's known
    // end, or after Play.
    bool StartAt(std::int64_t ms);
    // Milliseconds into the file of the sound played so far; -1 when none is open.
    std::int64_t PositionMs() const;

    bool IsOpen() const { return feeder_.IsOpen(); }
    const Mp3Stream& Stream() const { return stream_; }
    // Buffers written to the device and not yet played.
    int QueuedBuffers() const { return feeder_.QueuedBuffers(); }

  private:
    Fill Decode(std::uint8_t* block, std::uint32_t capacity, std::uint32_t& filled) override;

    FileSystem& files_;
    WaveOutput& output_;
    Mp3Stream stream_;  // used by the feeder thread while it runs, else by the caller
    WaveFeeder feeder_;
    std::atomic<int> left_{100};  // written by the caller, read by the feeder
    std::atomic<int> right_{100};
    FeedPosition position_;
};

}  // namespace hgf::vbmp3
