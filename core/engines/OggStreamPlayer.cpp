// Feeder thread, buffer cycling and device hand-off of the Ogg Vorbis stream player.
#include "engines/OggStreamPlayer.h"

#include <vorbis/vorbisfile.h>

#include <cstdio>

namespace hgf {
namespace {

using namespace std::chrono_literals;

constexpr auto kFeedPause = 1ms;         // between two feeds
constexpr auto kDrainPoll = 10ms;        // end of stream: interval of the position readings
constexpr int kDrainPolls = 3000;        // ... at most 30 s
constexpr auto kUnprepareRetry = 100ms;  // Close: a buffer the device still holds
constexpr int kUnprepareRetries = 50;    // ... at most 5 s, then the block is left to it

}  // namespace

OggStreamPlayer::OggStreamPlayer(FileSystem& files, WaveOutput& output)
    : files_(files), output_(output) {}

OggStreamPlayer::~OggStreamPlayer() {
    Close();
}

void OggStreamPlayer::SetRunState(RunState state) {
    {
        std::lock_guard lock(stateMutex_);
        runState_ = state;
    }
    stateChanged_.notify_all();
}

bool OggStreamPlayer::QuitRequested() {
    return runState_.load() == kQuit;
}

bool OggStreamPlayer::Open(const std::string& path) {
    Close();
    current_ = 0;
    filled_ = 0;
    endLatch_ = 0;
    queued_ = 0;
    gain_ = 1.0f;
    runState_ = kQuit;
    slots_.emplace(kBufferCount);

    devicePresent_ = output_.DeviceCount() > 0;
    if (!devicePresent_) return false;

    if (!stream_.Open(files_.OpenRead(path))) {
        Close();
        return false;
    }
    if (!output_.Open(PcmFormat::Pcm16(stream_.Channels(), stream_.Rate()), this)) {
        Close();
        return false;
    }
    outputOpen_ = true;
    runState_ = kHold;
    try {
        for (auto& block : blocks_)
            block = std::make_unique_for_overwrite<std::uint8_t[]>(kBufferBytes);
        feeder_ = std::thread(&OggStreamPlayer::FeederLoop, this);
    } catch (...) {  // no memory for the buffers, or no thread
        Close();
        return false;
    }
    return true;
}

bool OggStreamPlayer::Start() {
    if (feeder_.joinable()) SetRunState(kRun);
    return true;
}

void OggStreamPlayer::Pause() {
    if (feeder_.joinable()) SetRunState(kHold);
}

void OggStreamPlayer::SetGain(float gain) {
    if (gain >= 0.0f && gain <= 1.0f) gain_ = gain;
}

void OggStreamPlayer::Close() {
    // The feeder ends before the device returns the buffers, so no buffer is freed
    // while it is being filled.
    if (feeder_.joinable()) {
        SetRunState(kQuit);
        slots_->release();  // the unit above the buffer count: wakes a waiting feeder
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
    stream_.Close();
    current_ = 0;
    filled_ = 0;
    runState_ = kQuit;
    endLatch_ = 0;
}

int OggStreamPlayer::Length(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return -1;
    std::rewind(file);
    OggVorbis_File vorbisFile;
    if (ov_open(file, &vorbisFile, nullptr, 0) < 0) {
        std::fclose(file);  // a refused file stays the caller's to close
        return -1;
    }
    int seconds = -1;
    if (ov_seekable(&vorbisFile)) {
        double total = ov_time_total(&vorbisFile, -1);
        if (total >= 0 && total < 2147483647.0) seconds = static_cast<int>(total);
    }
    ov_clear(&vorbisFile);  // also closes the file
    return seconds;
}

bool OggStreamPlayer::Finished() {
    return endLatch_.load() < 0 && queued_.load() == 0;
}

void OggStreamPlayer::BufferDone() {
    --queued_;
    if (slots_) slots_->release();
}

bool OggStreamPlayer::AcquireSlot() {
    // An untimed wait: timed semaphore waits spin in the standard library. Close adds a
    // unit of its own to wake a feeder that waits here.
    slots_->acquire();
    return !QuitRequested();
}

void OggStreamPlayer::FeederLoop() {
    for (;;) {
        {
            std::unique_lock lock(stateMutex_);
            if (stateChanged_.wait_for(lock, kFeedPause, [&] { return runState_ == kQuit; }))
                return;
            // Held, or the whole stream queued: nothing to do until the run state changes.
            stateChanged_.wait(
                lock, [&] { return runState_ == kQuit || (runState_ == kRun && endLatch_ == 0); });
            if (runState_ == kQuit) return;
        }
        if (!AcquireSlot()) return;
        if (runState_ != kRun) {  // paused (or closing) while waiting for a buffer
            slots_->release();
            continue;
        }
        FeedResult result = FeedOneBuffer();
        if (result.ended) endLatch_ = -1;
        if (!result.queued) slots_->release();
    }
}

OggStreamPlayer::FeedResult OggStreamPlayer::FeedOneBuffer() {
    if (!devicePresent_ || endLatch_ < 0) return {};
    // Decode only into a buffer that the device has given back.
    if (filled_ == 0 && !output_.Unprepare(current_)) return {};
    std::uint8_t* block = blocks_[current_].get();

    OggVorbisStream::DecodeStatus status = stream_.Decode(block, kBufferBytes, filled_, gain_);
    if (status == OggVorbisStream::DecodeStatus::kReadFailed) return {};  // kept for later
    const bool ended = status == OggVorbisStream::DecodeStatus::kStreamEnded;
    if (ended) WaitForDrain();
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

void OggStreamPlayer::WaitForDrain() {
    // The queued buffers play out before the last, partly filled one follows.
    std::uint64_t previous = 0;
    for (int i = 0; i < kDrainPolls; ++i) {
        std::optional<std::uint64_t> position = output_.PositionBytes();
        if (!position || *position == previous) return;
        previous = *position;
        std::unique_lock lock(stateMutex_);
        if (stateChanged_.wait_for(lock, kDrainPoll, [&] { return runState_ == kQuit; })) return;
    }
}

}  // namespace hgf
