// Streams decoded PCM to a WaveOutput on a feeder thread: the source decodes into one of
// four output blocks at a time, and a counting semaphore keeps a block from being refilled
// before the device has played it. The feeder sleeps while it has nothing to do: it wakes
// when the device gives a block back or the run state changes. The stream players (Ogg
// Vorbis, FLAC and Opus) and the MP3 player stream through it. Portable: the device comes
// in as a WaveOutput.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <semaphore>
#include <thread>

#include "engines/WaveOutput.h"

namespace hgf {

// Where the feeder takes its samples from.
class PcmSource {
  public:
    enum class Fill {
        kQueue,  // queue what the block holds now (it may be partly filled)
        kRetry,  // queue nothing now (a read failed); the block keeps what it holds
        kEnded,  // the stream has ended: queue what the block holds, and nothing after it
    };
    virtual ~PcmSource() = default;
    // Runs on the feeder thread: decodes into block[filled..capacity) and advances `filled`.
    // The block is 16-bit sample storage (it may be written through std::int16_t*).
    virtual Fill Decode(std::uint8_t* block, std::uint32_t capacity, std::uint32_t& filled) = 0;
};

class WaveFeeder final : private WaveOutputListener {
  public:
    static constexpr int kBufferCount = WaveOutput::kSlotCount;

    struct Options {
        std::uint32_t bufferBytes = 0;  // each of the four blocks (even)
        // Called once, on the feeder thread, when the end of the stream has been queued
        // and the device has played every buffer.
        std::function<void()> onPlayedOut;
    };

    explicit WaveFeeder(WaveOutput& output);
    ~WaveFeeder() override;
    WaveFeeder(const WaveFeeder&) = delete;
    WaveFeeder& operator=(const WaveFeeder&) = delete;

    // Opens the device for `format` and starts the feeder held (nothing is queued until
    // Run). `source` must stay valid until Close. False (with everything released) when the
    // device refuses the format or there is no memory or thread.
    bool Open(const PcmFormat& format, PcmSource& source, Options options);
    // Feeds; buffers are queued as the device gives them back.
    void Run();
    // Feeds no further buffers; those already queued play to their end.
    void Hold();
    // Holds and pauses the device itself (where the device can), so the sound stops at once.
    void PauseDevice();
    // Resumes a paused device and feeds again.
    void RestartDevice();
    // Stops the feeder, takes every buffer back from the device and closes it. The source
    // is not touched afterwards.
    void Close();

    bool IsOpen() const { return feeder_.joinable(); }
    // The end of the stream was queued and every buffer has been played.
    bool PlayedOut() const { return playedOut_.load(); }
    // Buffers written to the device and not yet reported played.
    int QueuedBuffers() const { return queued_.load(); }

  private:
    enum RunState { kRun = 0, kHold = 1, kQuit = 2 };
    struct FeedResult {
        bool queued = false;  // a buffer went to the device (its slot unit stays taken)
        bool ended = false;   // the stream has ended and all its samples are queued
    };

    void BufferDone() override;
    void FeederLoop();
    void CollectPlayedBuffers();
    bool AcquireSlot();
    FeedResult FeedOneBuffer();
    // After a feed that queued nothing (a failed read, a block the device still holds):
    // false when the feeder is to end meanwhile.
    bool PauseBeforeRetry();
    bool QuitRequested() const { return runState_.load() == kQuit; }
    void SetRunState(RunState state);

    WaveOutput& output_;
    PcmSource* source_ = nullptr;  // set by Open, used by the feeder thread
    Options options_;
    std::array<std::unique_ptr<std::int16_t[]>, kBufferCount> blocks_;
    // One unit per buffer that may be filled, and room for the one unit Close adds.
    std::optional<std::counting_semaphore<kBufferCount + 1>> slots_;
    std::thread feeder_;
    bool outputOpen_ = false;

    // Feeder thread only (while it runs).
    int current_ = 0;           // the next buffer to fill, 0..3
    std::uint32_t filled_ = 0;  // bytes already decoded into the current buffer
    bool ended_ = false;        // the stream's last buffer is queued

    // Written by the caller's thread, read by the feeder; the mutex and condition wake
    // the feeder when the run state changes.
    std::mutex stateMutex_;
    std::condition_variable stateChanged_;
    std::atomic<int> runState_{kQuit};

    // Written by the feeder (and the device callback for queued_), read by any thread.
    std::atomic<bool> playedOut_{false};
    std::atomic<int> queued_{0};
};

}  // namespace hgf
