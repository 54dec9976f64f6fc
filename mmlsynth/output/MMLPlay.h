// The player behind the library's exports: TMMLPlayTemplate (the abstract player, a thread
// object) and TMMLPlay2, which streams the song and the sound effects into two looping stream
// buffers, from its own output thread (threaded mode) or from the host's Store calls.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "output/SoundSource.h"
#include "output/StreamBuffer.h"
#include "output/Thread.h"

namespace tonwerkel {

inline constexpr uint32_t kBgmBufferBytes = 32 * kBlockBytes;     // 176384 = 4 s
inline constexpr uint32_t kEffectBufferBytes = 16 * kBlockBytes;  // 88192 = 2 s
inline constexpr int kWriteAheadBlocks = 4;                       // written before a start
inline constexpr uint32_t kRefillThreshold = kBlockBytes;         // free above this: refill
inline constexpr uint32_t kCatchUpThreshold = 4 * kBlockBytes;    // free above this: hurry
inline constexpr uint32_t kBgmUnderrunDrop = kBgmBufferBytes / 2;
inline constexpr uint32_t kEffectUnderrunDrop = kEffectBufferBytes / 2;
inline constexpr int kIdleWaitMilliseconds = 25;
inline constexpr int32_t kMinVolume = -10000;  // hundredths of a decibel: silence
inline constexpr int32_t kMaxVolume = 0;       // full volume
inline constexpr int kSoundCount = 64;         // sound effects 0-63

// Stream states, shared by the host and the output thread.
enum StreamState : uint8_t {
    kStreamRunning = 0,        // the thread feeds the stream
    kStreamStopRequested = 1,  // the host waits for the thread to let go of the stream
    kStreamIdle = 2,           // nobody but the host touches the stream
};

// Bytes that can be written ahead of the play cursor.
constexpr uint32_t FreeSpace(uint32_t play, uint32_t write, uint32_t size) {
    return play >= write ? play - write : size - (write - play);
}

// Reads a whole file; false when it cannot be opened or read.
using FileReader = std::function<bool(const char* path, std::vector<uint8_t>& bytes)>;
bool ReadWholeFile(const char* path, std::vector<uint8_t>& bytes);

// The abstract player. After the thread wrapper's two slots (termination hook, body) come the
// operations below in this order; the exports call them.
class TMMLPlayTemplate : public TThread {
  public:
    virtual void SetDevice(StreamDevice* device) { device_ = device; }
    virtual bool SetBGMVolume(int32_t attenuation) = 0;
    virtual bool SetSoundVolume(int32_t attenuation) = 0;
    virtual int32_t GetBGMVolume() = 0;
    virtual int32_t GetSoundVolume() = 0;
    virtual bool Load(const char* path) = 0;
    virtual bool LoadBGM(const char* path) = 0;
    virtual bool LoadSound(const char* path) = 0;
    virtual bool LoadBGMFromMem(const uint8_t* data, size_t length) = 0;
    virtual bool LoadSoundFromMem(const uint8_t* data, size_t length) = 0;
    virtual bool PlayBGM() = 0;
    virtual bool StopBGM() = 0;
    virtual bool ResumeBGM() = 0;
    virtual bool PlaySound(int number) = 0;
    virtual bool StopSound() = 0;
    virtual int Store(int count) = 0;
    virtual ~TMMLPlayTemplate() = default;

  protected:
    TMMLPlayTemplate() = default;

    StreamDevice* device_ = nullptr;  // not owned; outlives the player
};

class TMMLPlay2 final : public TMMLPlayTemplate {
  public:
    // `threaded`: feed the streams from the output thread; else only inside PlayBGM, ResumeBGM
    // and Store.
    TMMLPlay2(bool threaded, std::unique_ptr<SoundSource> source,
              FileReader reader = ReadWholeFile);
    ~TMMLPlay2() override;

    void SetDevice(StreamDevice* device) override;
    bool SetBGMVolume(int32_t attenuation) override;
    bool SetSoundVolume(int32_t attenuation) override;
    int32_t GetBGMVolume() override;
    int32_t GetSoundVolume() override;
    bool Load(const char* path) override;
    bool LoadBGM(const char* path) override;
    bool LoadSound(const char* path) override;
    bool LoadBGMFromMem(const uint8_t* data, size_t length) override;
    bool LoadSoundFromMem(const uint8_t* data, size_t length) override;
    bool PlayBGM() override;
    bool StopBGM() override;
    bool ResumeBGM() override;
    bool PlaySound(int number) override;
    bool StopSound() override;
    int Store(int count) override;

    bool Threaded() const { return threaded_; }
    // Releases both stream buffers and creates them anew; the device's restore hook.
    void RecreateStreamBuffers();

  private:
    friend struct TMMLPlay2TestAccess;

    void Execute() override;
    void ThreadPass();
    // One look at a stream: returns whether a block was written. `threadMode` sets priorities.
    bool BgmStep(bool threadMode, bool& raised);
    bool EffectStep(bool threadMode, bool raisedByBgm);
    bool EffectEndPassed(uint32_t cursor) const;
    void EndEffectAtMark();
    bool WriteBgmBlock();
    void WriteEffectBlock();
    // Asks the thread to let go of a stream and waits until it has (threaded mode); afterwards
    // the stream's bookkeeping belongs to the host.
    void ReleaseStream(std::atomic<uint8_t>& state);
    void StopBgmOutput();
    void ContinueBgmOutput();
    // Write the blocks ahead of a start and start the buffer playing.
    void StartBgmStream();
    void StartEffectStream();
    bool CompileSong(const uint8_t* data, size_t length);
    bool CompileEffects(const uint8_t* data, size_t length);
    void Kick();  // lets the thread (threaded) or one Store step (host-driven) feed the streams

    const bool threaded_;
    std::unique_ptr<SoundSource> source_;
    FileReader reader_;
    std::unique_ptr<StreamBuffer> bgm_;
    std::unique_ptr<StreamBuffer> effect_;

    // Host only.
    bool bgmPlaying_ = false;
    bool restartNeeded_ = true;                      // a song was compiled while nothing played
    std::atomic<int32_t> bgmVolume_{kMaxVolume};     // read by the restore hook
    std::atomic<int32_t> effectVolume_{kMaxVolume};  // read by the restore hook

    // Host writes 0 and 1, the thread turns 1 into 2 (and a finished effect's 0 into 1).
    std::atomic<uint8_t> bgmState_{kStreamIdle};
    std::atomic<uint8_t> effectState_{kStreamIdle};
    // Written by the host while the effect stream is idle and by the thread when the effect
    // ends at its end mark.
    std::atomic<bool> effectActive_{false};

    // Stream bookkeeping: used by whoever owns the stream at the moment, the thread while its
    // state is running, else the host.
    uint32_t bgmWrite_ = 0;                     // bytes from the buffer start
    uint32_t bgmFree_ = 0;                      // free space at the last look
    std::atomic<bool> bgmRefilling_{false};     // stopped after an underrun until full again
    bool bgmBlockPending_ = false;              // the rendered block could not be written yet
    std::atomic<bool> bgmStartPending_{false};  // the thread has yet to start the stream
    uint32_t effectWrite_ = 0;
    uint32_t effectFree_ = 0;
    uint32_t effectLast_ = 0;     // play cursor at the last look
    int32_t effectEndMark_ = -1;  // write offset after the effect's last block; -1 = none
    bool effectGenerating_ = false;
    std::atomic<bool> effectStartPending_{false};

    // One block each, so that a PlaySound on the host never renders into the block that the
    // thread is rendering the song into.
    std::vector<int16_t> bgmMix_;
    std::vector<int16_t> effectMix_;
};

}  // namespace tonwerkel
