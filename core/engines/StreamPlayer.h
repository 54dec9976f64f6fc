// The stream player that the Ogg Vorbis engine and the FLAC and Opus engine share: a
// decoder of the file behind the shared feeder, four output buffers of a quarter second
// each, the software volume, and pause by holding the feeder (the buffers already queued
// play to their end). Portable: the device comes in as a WaveOutput, the file through
// FileSystem.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "engines/Engines.h"
#include "engines/FeedPosition.h"
#include "engines/StreamDecoder.h"
#include "engines/WaveFeeder.h"
#include "engines/WaveOutput.h"
#include "platform/FileSystem.h"

namespace hgf {

class StreamPlayer : public StreamEngine, private PcmSource {
  public:
    StreamPlayer(FileSystem& files, WaveOutput& output);
    ~StreamPlayer() override;
    StreamPlayer(const StreamPlayer&) = delete;
    StreamPlayer& operator=(const StreamPlayer&) = delete;

    // Opens the file, its decoder and the device and leaves the player held (no sound
    // yet). False, with everything released, for a file this player does not play, a
    // device that refuses the stream's format, or no device at all.
    bool Open(const std::string& path) override;
    bool Start() override;
    // Feeds no further buffers; those already queued play to their end.
    void Pause() override;
    void Close() override;
    // Applies to samples decoded from now on; values outside 0.0..1.0 are ignored.
    void SetGain(float gain) override;
    bool Finished() override;
    // Between Open and Start (false after Start): the decoder seeks to `ms`, or where the
    // file cannot seek, the samples before it are decoded and dropped on the feeder thread
    // as it begins; past the stream's end it ends at once.
    bool SeekMs(std::int64_t ms) override;
    // The sound queued so far, less the buffers the device has not played yet.
    std::int64_t PositionMs() override;

    // Buffers written to the device and not yet reported played (for tests).
    int QueuedBuffers() const { return feeder_.QueuedBuffers(); }

  protected:
    FileSystem& Files() { return files_; }
    // The decoder of `file`, opened, or null when this player does not play it.
    virtual std::unique_ptr<StreamDecoder> OpenDecoder(std::unique_ptr<InputFile> file) = 0;

  private:
    Fill Decode(std::uint8_t* block, std::uint32_t capacity, std::uint32_t& filled) override;

    FileSystem& files_;
    WaveOutput& output_;
    std::unique_ptr<StreamDecoder> decoder_;  // used by the feeder thread while it runs
    WaveFeeder feeder_;
    std::atomic<float> gain_{1.0f};  // written by the caller, read by the feeder
    FeedPosition position_;          // where the playback began, and how far it has got
};

}  // namespace hgf
