// Streams decoded PCM to a WaveOutput on a feeder thread: the source decodes into four
// output blocks in turn, and a block is never refilled before the device has played it.
// The feeder sleeps while it has nothing to do. It wakes when half of the blocks are back
// and refills them together (every wake-up costs about as much as decoding a few
// milliseconds of sound), or when the run state changes. The stream players (Ogg Vorbis,
// FLAC and Opus) and the MP3 player stream through it. Portable: the device comes in as a
// WaveOutput.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
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
    static constexpr int kRefillBatch = kBufferCount / 2;  // blocks back before the feeder wakes

    // Sound held by each of the four output buffers (a quarter of a second): a volume
    // change or a pause reaches the ear at most four buffers later.
    static constexpr unsigned kBuffersPerSecond = 4;
    // The size of each output buffer for `format`: whole sample frames.
    static std::uint32_t BufferBytes(const PcmFormat& format);

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
        bool queued = false;  // a buffer went to the device (its slot stays taken)
        bool ended = false;   // the stream has ended and all its samples are queued
    };

    void BufferDone() override;
    void FeederLoop();
    // Feeds every block that is back while the run state allows; false when the feeder is
    // to end.
    bool RefillFreeBlocks();
    // Takes one free slot if the run state allows feeding.
    bool TakeSlot();
    void ReturnSlot();
    FeedResult FeedOneBuffer();
    // After a feed that queued nothing (a failed read, a block the device still holds):
    // false when the feeder is to end meanwhile.
    bool PauseBeforeRetry();
    void SetRunState(RunState state);

    WaveOutput& output_;
    PcmSource* source_ = nullptr;  // set by Open, used by the feeder thread
    Options options_;
    std::array<std::unique_ptr<std::int16_t[]>, kBufferCount> blocks_;
    std::thread feeder_;
    bool outputOpen_ = false;

    // Feeder thread only (while it runs).
    int current_ = 0;           // the next buffer to fill, 0..3
    std::uint32_t filled_ = 0;  // bytes already decoded into the current buffer
    bool ended_ = false;        // the stream's last buffer is queued

    // Under mutex_: the run state (written by the caller's thread), the free slots (taken
    // by the feeder, given back by the device callback) and what the sleeping feeder
    // waits for. `changed_` wakes the feeder.
    std::mutex mutex_;
    std::condition_variable changed_;
    RunState runState_ = kQuit;
    int freeSlots_ = 0;    // buffers that may be filled: back from the device, or never sent
    int slotsWanted_ = 0;  // the feeder sleeps until this many slots are free; 0: not asleep

    // Written by the feeder (and the device callback for queued_), read by any thread.
    std::atomic<bool> playedOut_{false};
    std::atomic<int> queued_{0};
};

}  // namespace hgf
