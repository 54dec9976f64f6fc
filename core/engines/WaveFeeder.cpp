// Feeder thread, buffer cycling and device hand-off shared by the stream players.
#include "engines/WaveFeeder.h"

#include <algorithm>

#include "platform/ThreadName.h"

namespace hgf {
namespace {

using namespace std::chrono_literals;

constexpr auto kRetryPause = 20ms;       // after a feed that queued nothing
constexpr auto kUnprepareRetry = 100ms;  // Close: a buffer the device still holds
constexpr int kUnprepareRetries = 50;    // ... at most 5 s, then the block is left to it

}  // namespace

std::uint32_t WaveFeeder::BufferBytes(const PcmFormat& format) {
    const std::uint32_t frames = std::max(1u, format.samplesPerSecond / kBuffersPerSecond);
    return frames * format.blockAlign;
}

WaveFeeder::WaveFeeder(WaveOutput& output) : output_(output) {}

WaveFeeder::~WaveFeeder() {
    Close();
}

void WaveFeeder::SetRunState(RunState state) {
    {
        std::lock_guard lock(mutex_);
        runState_ = state;
    }
    changed_.notify_all();
}

bool WaveFeeder::Open(const PcmFormat& format, PcmSource& source, Options options) {
    Close();
    source_ = &source;
    options_ = std::move(options);
    current_ = 0;
    filled_ = 0;
    ended_ = false;
    playedOut_ = false;
    queued_ = 0;
    {
        std::lock_guard lock(mutex_);
        runState_ = kHold;
        freeSlots_ = kBufferCount;
        slotsWanted_ = 0;
    }
    if (options_.bufferBytes == 0 || !output_.Open(format, this)) {
        Close();
        return false;
    }
    outputOpen_ = true;
    try {
        for (auto& block : blocks_)
            block = std::make_unique_for_overwrite<std::int16_t[]>((options_.bufferBytes + 1) / 2);
        feeder_ = std::thread(&WaveFeeder::FeederLoop, this);
    } catch (...) {  // no memory for the buffers, or no thread
        Close();
        return false;
    }
    return true;
}

void WaveFeeder::Run() {
    if (feeder_.joinable()) SetRunState(kRun);
}

void WaveFeeder::Hold() {
    if (feeder_.joinable()) SetRunState(kHold);
}

void WaveFeeder::PauseDevice() {
    if (!feeder_.joinable()) return;
    SetRunState(kHold);
    output_.Pause();
}

void WaveFeeder::RestartDevice() {
    if (!feeder_.joinable()) return;
    output_.Restart();
    SetRunState(kRun);
}

void WaveFeeder::Close() {
    // The feeder ends before the device returns the buffers, so no buffer is freed
    // while it is being filled.
    if (feeder_.joinable()) {
        SetRunState(kQuit);
        feeder_.join();
    }
    if (outputOpen_) {
        output_.Reset();
        for (int slot = 0; slot < kBufferCount; ++slot) {
            int tries = 0;
            while (!output_.Unprepare(slot) && ++tries < kUnprepareRetries)
                std::this_thread::sleep_for(kUnprepareRetry);
            // A block the device never gave back stays allocated rather than freed under it.
            if (tries >= kUnprepareRetries) (void)blocks_[slot].release();
        }
        output_.Close();
        outputOpen_ = false;
    }
    for (auto& block : blocks_)
        block.reset();
    source_ = nullptr;
    current_ = 0;
    filled_ = 0;
    std::lock_guard lock(mutex_);
    runState_ = kQuit;
}

void WaveFeeder::BufferDone() {
    --queued_;
    bool wake;
    {
        std::lock_guard lock(mutex_);
        ++freeSlots_;
        wake = slotsWanted_ > 0 && freeSlots_ >= slotsWanted_;
    }
    // Told after the lock is released, so that the feeder does not wake only to wait for it.
    if (wake) changed_.notify_all();
}

void WaveFeeder::FeederLoop() {
    NameCurrentThread("hgf-feeder");
    for (;;) {
        {
            // Asleep until there is something to do: half of the blocks back while running,
            // or, once the stream's end is queued, every block back (then the whole stream
            // has been heard, whatever the run state).
            std::unique_lock lock(mutex_);
            const int wanted = ended_ ? kBufferCount : kRefillBatch;
            slotsWanted_ = wanted;
            changed_.wait(lock, [&] {
                return runState_ == kQuit ||
                       ((runState_ == kRun || ended_) && freeSlots_ >= wanted);
            });
            slotsWanted_ = 0;
            if (runState_ == kQuit) return;
        }
        if (ended_) break;
        if (!RefillFreeBlocks()) return;
    }
    playedOut_ = true;
    if (options_.onPlayedOut) options_.onPlayedOut();
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return runState_ == kQuit; });
}

bool WaveFeeder::TakeSlot() {
    std::lock_guard lock(mutex_);
    if (runState_ != kRun || freeSlots_ == 0) return false;
    --freeSlots_;
    return true;
}

void WaveFeeder::ReturnSlot() {
    std::lock_guard lock(mutex_);
    ++freeSlots_;
}

bool WaveFeeder::RefillFreeBlocks() {
    while (!ended_ && TakeSlot()) {
        const FeedResult result = FeedOneBuffer();
        if (result.ended) ended_ = true;
        if (!result.queued) {
            ReturnSlot();
            return ended_ || PauseBeforeRetry();
        }
    }
    return true;
}

bool WaveFeeder::PauseBeforeRetry() {
    std::unique_lock lock(mutex_);
    return !changed_.wait_for(lock, kRetryPause, [&] { return runState_ == kQuit; });
}

WaveFeeder::FeedResult WaveFeeder::FeedOneBuffer() {
    // Decode only into a buffer that the device has given back.
    if (filled_ == 0 && !output_.Unprepare(current_)) return {};
    auto* block = reinterpret_cast<std::uint8_t*>(blocks_[current_].get());

    const PcmSource::Fill status = source_->Decode(block, options_.bufferBytes, filled_);
    if (status == PcmSource::Fill::kRetry) return {};  // kept for later
    // The stream's last block follows the others at once, so the sound runs on without a
    // gap to its end.
    const bool ended = status == PcmSource::Fill::kEnded;
    if (filled_ == 0) return {false, ended};

    if (!output_.Prepare(current_, block, filled_)) return {};
    ++queued_;
    if (!output_.Write(current_)) {
        --queued_;
        output_.Unprepare(current_);
        return {};
    }
    current_ = (current_ + 1) % kBufferCount;
    filled_ = 0;
    return {true, ended};
}

}  // namespace hgf
