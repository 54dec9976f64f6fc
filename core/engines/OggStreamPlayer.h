// The Ogg Vorbis stream player: a feeder thread decodes the file into four 128 KiB output
// buffers, which a counting semaphore keeps from being refilled before the device has
// played them. Portable: the device comes in as a WaveOutput, the file through FileSystem.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <semaphore>
#include <string>
#include <thread>

#include "engines/Engines.h"
#include "engines/OggVorbisStream.h"
#include "engines/WaveOutput.h"
#include "platform/FileSystem.h"

namespace hgf {

class OggStreamPlayer final : public OggEngine, private WaveOutputListener {
  public:
    static constexpr std::uint32_t kBufferBytes = 0x20000;  // one output buffer
    static constexpr int kBufferCount = WaveOutput::kSlotCount;

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
    int QueuedBuffers() const { return queued_.load(); }

  private:
    enum RunState { kRun = 0, kHold = 1, kQuit = 2 };
    struct FeedResult {
        bool queued = false;  // a buffer went to the device (its slot unit stays taken)
        bool ended = false;   // the stream has ended and all its samples are queued
    };

    void BufferDone() override;
    void FeederLoop();
    bool AcquireSlot();
    FeedResult FeedOneBuffer();
    void WaitForDrain();
    bool QuitRequested();
    void SetRunState(RunState state);

    FileSystem& files_;
    WaveOutput& output_;
    OggVorbisStream stream_;  // used by the feeder thread while it runs, else by the caller
    std::array<std::unique_ptr<std::uint8_t[]>, kBufferCount> blocks_;
    // One unit per buffer that may be filled, and room for the one unit Close adds.
    std::optional<std::counting_semaphore<kBufferCount + 1>> slots_;
    std::thread feeder_;
    bool devicePresent_ = false;
    bool outputOpen_ = false;

    // Feeder thread only (while it runs).
    int current_ = 0;           // the next buffer to fill, 0..3
    std::uint32_t filled_ = 0;  // bytes already decoded into the current buffer

    // Written by the caller's thread, read by the feeder; the mutex and condition wake
    // the feeder when the run state changes.
    std::mutex stateMutex_;
    std::condition_variable stateChanged_;
    std::atomic<int> runState_{kQuit};
    std::atomic<float> gain_{1.0f};

    // Written by the feeder (and the device callback for queued_), read by Finished.
    std::atomic<int> endLatch_{0};  // -1 once the last buffer of the stream is queued
    std::atomic<int> queued_{0};
};

}  // namespace hgf
