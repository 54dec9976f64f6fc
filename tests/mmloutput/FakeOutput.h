// Test doubles for the player's output: stream buffers that keep their bytes in memory and
// log every call, a device that makes them, and a sound source whose samples say which song
// block or effect block they are.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "output/MMLPlay.h"
#include "output/SoundSource.h"
#include "output/StreamBuffer.h"

namespace tonwerkel {

// Reaches into the player's stream bookkeeping.
struct TMMLPlay2TestAccess {
    static uint32_t& BgmWrite(TMMLPlay2& p) { return p.bgmWrite_; }
    static uint32_t& BgmFree(TMMLPlay2& p) { return p.bgmFree_; }
    static uint32_t& EffectWrite(TMMLPlay2& p) { return p.effectWrite_; }
    static int32_t& EffectEndMark(TMMLPlay2& p) { return p.effectEndMark_; }
    static uint32_t& EffectLast(TMMLPlay2& p) { return p.effectLast_; }
    static bool EffectActive(TMMLPlay2& p) { return p.effectActive_; }
    static uint8_t BgmState(TMMLPlay2& p) { return p.bgmState_; }
    static uint8_t EffectState(TMMLPlay2& p) { return p.effectState_; }
};

class FakeStreamBuffer : public StreamBuffer {
  public:
    struct Event {
        std::string what;  // "write", "play", "stop", "position", "recreate"
        uint32_t offset = 0;
        uint32_t bytes = 0;
    };

    // Without `record` the buffer keeps neither its bytes nor a log of its calls (fuzzing).
    FakeStreamBuffer(uint32_t size, bool record) : size_(size), record_(record) {
        if (record) memory_.resize(size);
    }

    uint32_t Write(uint32_t offset, const void* data, uint32_t bytes, bool wrap) override {
        uint32_t copied = Copy(offset, data, bytes, wrap);
        std::function<void()> callback;
        {
            std::lock_guard lock(mutex_);
            callback = onWrite_;
        }
        if (copied && callback) callback();  // outside the lock: it may call back in
        return copied;
    }
    uint32_t Copy(uint32_t offset, const void* data, uint32_t bytes, bool wrap) {
        std::lock_guard lock(mutex_);
        if (failWrites_ > 0) {
            --failWrites_;
            return 0;
        }
        if (offset >= size_ || bytes > size_) std::abort();  // a lock DirectSound would refuse
        const uint32_t first = std::min(bytes, size_ - offset);
        const uint32_t copied = wrap ? bytes : first;
        if (!record_) return copied;
        std::memcpy(memory_.data() + offset, data, first);
        if (copied > first) {
            std::memcpy(memory_.data(), static_cast<const uint8_t*>(data) + first, copied - first);
        }
        events_.push_back({"write", offset, copied});
        written_.insert(written_.end(), static_cast<const uint8_t*>(data),
                        static_cast<const uint8_t*>(data) + copied);
        return copied;
    }
    bool GetPlayCursor(uint32_t& cursor) override {
        std::lock_guard lock(mutex_);
        ++cursorReads_;
        cursor = cursor_;
        return true;
    }
    bool IsPlaying() override {
        std::lock_guard lock(mutex_);
        return playing_;
    }
    bool PlayLooping() override {
        std::lock_guard lock(mutex_);
        events_.push_back({"play"});
        playing_ = true;
        return true;
    }
    bool Stop() override {
        std::lock_guard lock(mutex_);
        events_.push_back({"stop"});
        playing_ = false;
        return true;
    }
    bool SetPlayPosition(uint32_t offset) override {
        std::lock_guard lock(mutex_);
        events_.push_back({"position", offset});
        cursor_ = offset;
        return true;
    }
    bool SetVolume(int32_t attenuation) override {
        std::lock_guard lock(mutex_);
        volume_ = attenuation;
        return true;
    }
    bool GetVolume(int32_t& attenuation) override {
        std::lock_guard lock(mutex_);
        attenuation = volume_;
        return true;
    }
    void Recreate() override {
        std::lock_guard lock(mutex_);
        playing_ = false;
        volume_ = 0;
        std::fill(memory_.begin(), memory_.end(), uint8_t{0});
        if (record_) events_.push_back({"recreate"});
    }

    // Test side.
    void SetCursor(uint32_t cursor) {
        std::lock_guard lock(mutex_);
        cursor_ = cursor;
    }
    void FailNextWrites(int count) {
        std::lock_guard lock(mutex_);
        failWrites_ = count;
    }
    void OnWrite(std::function<void()> callback) {
        std::lock_guard lock(mutex_);
        onWrite_ = std::move(callback);
    }
    std::vector<Event> Events() {
        std::lock_guard lock(mutex_);
        return events_;
    }
    void ClearEvents() {
        std::lock_guard lock(mutex_);
        events_.clear();
        written_.clear();
    }
    int Writes() {
        std::lock_guard lock(mutex_);
        return static_cast<int>(std::count_if(events_.begin(), events_.end(),
                                              [](auto& e) { return e.what == "write"; }));
    }
    // Every byte written since the last ClearEvents, in order.
    std::vector<uint8_t> Written() {
        std::lock_guard lock(mutex_);
        return written_;
    }
    int CursorReads() {
        std::lock_guard lock(mutex_);
        return cursorReads_;
    }
    int32_t Volume() {
        std::lock_guard lock(mutex_);
        return volume_;
    }
    int16_t SampleAt(uint32_t offset) {
        std::lock_guard lock(mutex_);
        int16_t s;
        std::memcpy(&s, memory_.data() + offset, 2);
        return s;
    }

  private:
    std::mutex mutex_;
    const uint32_t size_;
    const bool record_;
    std::vector<uint8_t> memory_;
    std::vector<Event> events_;
    std::vector<uint8_t> written_;
    std::function<void()> onWrite_;
    uint32_t cursor_ = 0;
    bool playing_ = false;
    int32_t volume_ = 0;
    int failWrites_ = 0;
    int cursorReads_ = 0;
};

class FakeStreamDevice : public StreamDevice {
  public:
    std::unique_ptr<StreamBuffer> CreateStreamBuffer(uint32_t bytes) override {
        auto buffer = std::make_unique<FakeStreamBuffer>(bytes, record);
        (bytes == kBgmBufferBytes ? bgm : effect) = buffer.get();
        return buffer;
    }
    void SetRestoreHook(std::function<void()> restore) override { restore_ = std::move(restore); }
    void Restore() {
        if (restore_) restore_();
    }

    bool record = true;  // passed to the buffers it makes
    FakeStreamBuffer* bgm = nullptr;
    FakeStreamBuffer* effect = nullptr;

  private:
    std::function<void()> restore_;
};

// Song block k of a song whose text starts with byte t holds the sample t * 256 + k
// throughout; effect n's block k holds 0x4000 + n * 256 + k while it generates.
class ScriptedSource : public SoundSource {
  public:
    // Sound n lasts effectBlocks[n] blocks; missing or 0: nothing to play.
    explicit ScriptedSource(std::map<int, int> effectBlocks = {})
        : effectBlocks_(std::move(effectBlocks)) {}

    void LoadSong(const uint8_t* text, size_t length) override {
        songTag_ = length ? text[0] : 0;
        ++songLoads;
    }
    void LoadEffects(const uint8_t* text, size_t length) override { ++effectLoads; }
    void ResetSong() override {
        songBlock_ = 0;
        ++songResets;
    }
    void RenderSongBlock(int16_t* block) override {
        std::fill(block, block + kBlockSamples, SongSample(songTag_, songBlock_++));
    }
    bool StartEffect(int number) override {
        auto found = effectBlocks_.find(number);
        if (found == effectBlocks_.end() || found->second == 0) return false;
        effect_ = number;
        effectBlock_ = 0;
        effectLeft_ = found->second;
        return true;
    }
    bool RenderEffectBlock(int16_t* block) override {
        int16_t value = effectLeft_ > 0 ? EffectSample(effect_, effectBlock_++) : int16_t{0};
        std::fill(block, block + kBlockSamples, value);
        if (effectLeft_ > 0) --effectLeft_;
        return effectLeft_ > 0;
    }
    void StopEffect() override { effectLeft_ = 0; }

    static int16_t SongSample(int tag, int block) {
        return static_cast<int16_t>(tag * 256 + block);
    }
    static int16_t EffectSample(int number, int block) {
        return static_cast<int16_t>(0x4000 + number * 256 + block);
    }

    int songLoads = 0;
    int effectLoads = 0;
    int songResets = 0;

  private:
    std::map<int, int> effectBlocks_;
    int songTag_ = 0;
    int songBlock_ = 0;
    int effect_ = 0;
    int effectBlock_ = 0;
    int effectLeft_ = 0;
};

using Effects = std::map<int, int>;  // sound number -> blocks

// The first sample of each block in `bytes`.
inline std::vector<int16_t> BlockMarks(const std::vector<uint8_t>& bytes) {
    std::vector<int16_t> marks;
    for (size_t at = 0; at + 2 <= bytes.size(); at += kBlockBytes) {
        int16_t s;
        std::memcpy(&s, bytes.data() + at, 2);
        marks.push_back(s);
    }
    return marks;
}

}  // namespace tonwerkel
