// A WaveOutput that records every buffer written to it. Buffers are reported played
// either when the test says so (CompleteOldest) or at once (autoComplete), but not while
// the device is paused.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <mutex>
#include <vector>

#include "engines/WaveOutput.h"

namespace hgf::test {

class FakeWaveOutput final : public WaveOutput {
  public:
    explicit FakeWaveOutput(bool autoComplete = false) : autoComplete_(autoComplete) {}

    // Settings a test may change before Open.
    unsigned devices = 1;
    bool refuseOpen = false;

    void SetAutoComplete(bool on) {
        {
            std::lock_guard lock(mutex_);
            autoComplete_ = on;
        }
        if (on)
            while (CompleteOldest()) {
            }
    }

    // Reports the oldest queued buffer played; false when none is queued (or paused).
    bool CompleteOldest() {
        WaveOutputListener* listener;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty() || paused_) return false;
            int slot = queue_.front();
            queue_.pop_front();
            slots_[slot].inDevice = false;
            position_ += slots_[slot].bytes;
            listener = listener_;
        }
        if (listener) listener->BufferDone();
        return true;
    }

    bool WaitForWrites(std::size_t count, int timeoutMs = 5000) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [&] { return writes_.size() >= count; });
    }

    std::vector<std::int16_t> Samples() const {
        std::lock_guard lock(mutex_);
        std::vector<std::int16_t> all;
        for (const auto& bytes : writes_) {
            std::size_t at = all.size();
            all.resize(at + bytes.size() / 2);
            std::memcpy(all.data() + at, bytes.data(), bytes.size() / 2 * 2);
        }
        return all;
    }
    std::vector<std::size_t> WriteSizes() const {
        std::lock_guard lock(mutex_);
        std::vector<std::size_t> sizes;
        for (const auto& bytes : writes_)
            sizes.push_back(bytes.size());
        return sizes;
    }
    std::size_t WriteCount() const {
        std::lock_guard lock(mutex_);
        return writes_.size();
    }
    std::size_t Queued() const {
        std::lock_guard lock(mutex_);
        return queue_.size();
    }
    bool IsOpen() const {
        std::lock_guard lock(mutex_);
        return open_;
    }
    PcmFormat Format() const {
        std::lock_guard lock(mutex_);
        return format_;
    }
    int Opens() const { return opens_; }
    int Resets() const { return resets_; }
    bool IsPaused() const {
        std::lock_guard lock(mutex_);
        return paused_;
    }
    bool AnySlotPrepared() const {
        std::lock_guard lock(mutex_);
        for (const Slot& slot : slots_)
            if (slot.prepared) return true;
        return false;
    }

    unsigned DeviceCount() override { return devices; }
    bool Open(const PcmFormat& format, WaveOutputListener* listener) override {
        std::lock_guard lock(mutex_);
        ++opens_;
        if (refuseOpen || devices == 0) return false;
        open_ = true;
        paused_ = false;
        format_ = format;
        listener_ = listener;
        position_ = 0;
        return true;
    }
    bool Prepare(int slot, const std::uint8_t* data, std::uint32_t bytes) override {
        std::lock_guard lock(mutex_);
        if (!open_ || slots_[slot].prepared) return false;
        slots_[slot] = Slot{data, bytes, true, false};
        return true;
    }
    bool Write(int slot) override {
        bool complete;
        {
            std::lock_guard lock(mutex_);
            Slot& s = slots_[slot];
            if (!open_ || !s.prepared || s.inDevice) return false;
            s.inDevice = true;
            writes_.emplace_back(s.data, s.data + s.bytes);
            queue_.push_back(slot);
            complete = autoComplete_;
        }
        changed_.notify_all();
        if (complete) CompleteOldest();
        return true;
    }
    bool Unprepare(int slot) override {
        std::lock_guard lock(mutex_);
        if (slots_[slot].inDevice) return false;
        slots_[slot].prepared = false;
        return true;
    }
    void Reset() override {
        ++resets_;
        {
            std::lock_guard lock(mutex_);
            paused_ = false;
        }
        while (CompleteOldest()) {
        }
    }
    void Pause() override {
        std::lock_guard lock(mutex_);
        paused_ = true;
    }
    void Restart() override {
        bool complete;
        {
            std::lock_guard lock(mutex_);
            paused_ = false;
            complete = autoComplete_;
        }
        if (complete)
            while (CompleteOldest()) {
            }
    }
    std::optional<std::uint64_t> PositionBytes() override {
        std::lock_guard lock(mutex_);
        if (!open_) return std::nullopt;
        return position_;
    }
    void Close() override {
        std::lock_guard lock(mutex_);
        open_ = false;
        listener_ = nullptr;
    }

  private:
    struct Slot {
        const std::uint8_t* data = nullptr;
        std::uint32_t bytes = 0;
        bool prepared = false;
        bool inDevice = false;
    };

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool autoComplete_;
    bool open_ = false;
    bool paused_ = false;
    PcmFormat format_;
    WaveOutputListener* listener_ = nullptr;
    Slot slots_[kSlotCount];
    std::deque<int> queue_;
    std::vector<std::vector<std::uint8_t>> writes_;
    std::uint64_t position_ = 0;
    int opens_ = 0;
    int resets_ = 0;
};

}  // namespace hgf::test
