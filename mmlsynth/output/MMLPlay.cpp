// TMMLPlay2: stream bookkeeping, the output thread's passes and the host-driven Store.
//
// Hand-off between the host and the output thread, without locks: a stream's bookkeeping
// (write offset, free space, end mark, buffer calls that move it) belongs to the thread while
// the stream's state is "running" and to the host otherwise. The host takes a stream back by
// writing "stop requested" and waiting until the thread, at the top of its next pass, has
// written "idle". In threaded mode only the output thread renders: PlayBGM and PlaySound
// leave the blocks written ahead of a start to it, so song and effect rendering (which share
// the noise generator) never run at the same time.
#include "output/MMLPlay.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

namespace tonwerkel {

namespace {

int32_t ClampVolume(int32_t attenuation) {
    return std::clamp(attenuation, kMinVolume, kMaxVolume);
}

// Upper-cased extension from the last "." on; bytes at and above 0x80 stay as they are.
bool HasExtension(const char* path, const char* upperExtension) {
    const char* dot = std::strrchr(path, '.');
    if (!dot) return false;
    size_t i = 0;
    for (; dot[i] && upperExtension[i]; ++i) {
        char c = dot[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != upperExtension[i]) return false;
    }
    return dot[i] == '\0' && upperExtension[i] == '\0';
}

}  // namespace

bool ReadWholeFile(const char* path, std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    bytes.clear();
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

TMMLPlay2::TMMLPlay2(bool threaded, std::unique_ptr<SoundSource> source, FileReader reader)
    : threaded_(threaded),
      source_(std::move(source)),
      reader_(std::move(reader)),
      bgmMix_(kBlockSamples),
      effectMix_(kBlockSamples) {}

TMMLPlay2::~TMMLPlay2() {
    Terminate();
    WaitFor();
    if (device_) device_->SetRestoreHook(nullptr);
}

void TMMLPlay2::SetDevice(StreamDevice* device) {
    TMMLPlayTemplate::SetDevice(device);
    RecreateStreamBuffers();
    device_->SetRestoreHook([this] { RecreateStreamBuffers(); });
}

void TMMLPlay2::RecreateStreamBuffers() {
    if (!bgm_ || !effect_) {
        bgm_ = device_->CreateStreamBuffer(kBgmBufferBytes);
        effect_ = device_->CreateStreamBuffer(kEffectBufferBytes);
        return;
    }
    // The objects stay, so the thread's view of them stays valid; the streams continue from
    // their write offsets in the new, silent buffers.
    bgm_->Recreate();
    effect_->Recreate();
    bgm_->SetVolume(bgmVolume_);
    effect_->SetVolume(effectVolume_);
    if (bgmState_ == kStreamRunning && !bgmRefilling_ && !bgmStartPending_) bgm_->PlayLooping();
    if (effectState_ == kStreamRunning && effectActive_ && !effectStartPending_) {
        effect_->PlayLooping();
    }
}

// ---- volumes -------------------------------------------------------------------------------

bool TMMLPlay2::SetBGMVolume(int32_t attenuation) {
    bgmVolume_ = ClampVolume(attenuation);
    return bgm_ && bgm_->SetVolume(bgmVolume_);
}

bool TMMLPlay2::SetSoundVolume(int32_t attenuation) {
    effectVolume_ = ClampVolume(attenuation);
    return effect_ && effect_->SetVolume(effectVolume_);
}

int32_t TMMLPlay2::GetBGMVolume() {
    int32_t volume;
    return bgm_ && bgm_->GetVolume(volume) ? volume : kMinVolume;
}

int32_t TMMLPlay2::GetSoundVolume() {
    int32_t volume;
    return effect_ && effect_->GetVolume(volume) ? volume : kMinVolume;
}

// ---- loading -------------------------------------------------------------------------------

bool TMMLPlay2::Load(const char* path) {
    if (!path) return false;
    if (HasExtension(path, ".MML")) return LoadBGM(path);
    if (HasExtension(path, ".DAT")) return LoadSound(path);
    return false;
}

bool TMMLPlay2::LoadBGM(const char* path) {
    std::vector<uint8_t> bytes;
    if (!path || !reader_(path, bytes)) return false;
    return CompileSong(bytes.data(), bytes.size());
}

bool TMMLPlay2::LoadSound(const char* path) {
    std::vector<uint8_t> bytes;
    if (!path || !reader_(path, bytes)) return false;
    return CompileEffects(bytes.data(), bytes.size());
}

bool TMMLPlay2::LoadBGMFromMem(const uint8_t* data, size_t length) {
    if (!data && length > 0) return false;
    return CompileSong(data, length);
}

bool TMMLPlay2::LoadSoundFromMem(const uint8_t* data, size_t length) {
    if (!data && length > 0) return false;
    return CompileEffects(data, length);
}

bool TMMLPlay2::CompileSong(const uint8_t* data, size_t length) {
    // The thread renders the song: it must not run while the song is rewritten.
    const bool wasPlaying = bgmPlaying_;
    if (wasPlaying) StopBGM();
    source_->LoadSong(data, length);
    if (wasPlaying) return PlayBGM();
    restartNeeded_ = true;
    return true;
}

bool TMMLPlay2::CompileEffects(const uint8_t* data, size_t length) {
    // Both the effect stream and the song's drums read the effect set. A playing effect ends;
    // the song pauses around the compile and continues where it was.
    StopSound();
    const bool pauseSong = threaded_ && bgmPlaying_;
    if (pauseSong) StopBgmOutput();
    source_->LoadEffects(data, length);
    if (pauseSong) ContinueBgmOutput();
    return true;
}

// ---- song stream ---------------------------------------------------------------------------

bool TMMLPlay2::PlayBGM() {
    if (bgmPlaying_) return false;
    ReleaseStream(bgmState_);
    source_->ResetSong();
    bgm_->SetPlayPosition(0);
    bgmWrite_ = 0;
    bgmFree_ = 0;
    bgmRefilling_ = false;
    bgmBlockPending_ = false;
    bgmPlaying_ = true;
    restartNeeded_ = false;
    if (threaded_) {
        bgmStartPending_ = true;
        bgmState_ = kStreamRunning;
        Resume();
    } else {
        StartBgmStream();
        bgmState_ = kStreamRunning;
        Store(2);
    }
    return true;
}

void TMMLPlay2::StartBgmStream() {
    for (int i = 0; i < kWriteAheadBlocks; ++i)
        WriteBgmBlock();
    bgm_->PlayLooping();
    bgmStartPending_ = false;
}

bool TMMLPlay2::StopBGM() {
    if (!bgmPlaying_) return true;
    StopBgmOutput();
    return true;
}

bool TMMLPlay2::ResumeBGM() {
    if (restartNeeded_) return PlayBGM();
    if (bgmPlaying_) return false;
    ContinueBgmOutput();
    return true;
}

void TMMLPlay2::StopBgmOutput() {
    if (threaded_) {
        uint8_t running = kStreamRunning;
        bgmState_.compare_exchange_strong(running, kStreamStopRequested);
    } else {
        bgmState_ = kStreamIdle;
    }
    bgm_->Stop();
    if (threaded_) {
        ReleaseStream(bgmState_);
        bgm_->Stop();  // the thread may have restarted it before it let go
    }
    bgmPlaying_ = false;
}

void TMMLPlay2::ContinueBgmOutput() {
    ReleaseStream(bgmState_);
    if (!bgmRefilling_ && !bgmStartPending_) bgm_->PlayLooping();
    bgmPlaying_ = true;
    bgmState_ = kStreamRunning;
    Kick();
}

// ---- effect stream -------------------------------------------------------------------------

bool TMMLPlay2::PlaySound(int number) {
    if (number < 0 || number >= kSoundCount) return false;
    StopSound();
    if (!source_->StartEffect(number)) return false;
    effect_->SetPlayPosition(0);
    effectWrite_ = 0;
    effectFree_ = 0;
    effectGenerating_ = true;
    effectEndMark_ = -1;
    effectLast_ = 0;
    effectActive_ = true;
    if (threaded_) {
        effectStartPending_ = true;
        effectState_ = kStreamRunning;
        Resume();
    } else {
        StartEffectStream();
        effectState_ = kStreamRunning;
    }
    return true;
}

void TMMLPlay2::StartEffectStream() {
    for (int i = 0; i < kWriteAheadBlocks; ++i)
        WriteEffectBlock();
    effect_->PlayLooping();
    effectStartPending_ = false;
}

bool TMMLPlay2::StopSound() {
    if (!effectActive_ && effectState_ == kStreamIdle) return true;
    if (threaded_) {
        uint8_t running = kStreamRunning;
        effectState_.compare_exchange_strong(running, kStreamStopRequested);
    } else {
        effectState_ = kStreamIdle;
    }
    effect_->Stop();
    if (threaded_) {
        ReleaseStream(effectState_);
        effect_->Stop();
    }
    effectActive_ = false;
    effectGenerating_ = false;
    source_->StopEffect();
    return true;
}

// ---- blocks --------------------------------------------------------------------------------

bool TMMLPlay2::WriteBgmBlock() {
    // A block whose lock failed is written again instead of rendering the next one, so the
    // song never skips.
    if (!bgmBlockPending_) source_->RenderSongBlock(bgmMix_.data());
    if (bgm_->Write(bgmWrite_, bgmMix_.data(), kBlockBytes, true) == 0) {
        bgmBlockPending_ = true;
        return false;
    }
    bgmBlockPending_ = false;
    bgmWrite_ += kBlockBytes;
    if (bgmWrite_ >= kBgmBufferBytes) bgmWrite_ -= kBgmBufferBytes;
    return true;
}

void TMMLPlay2::WriteEffectBlock() {
    if (effectGenerating_) {
        effectGenerating_ = source_->RenderEffectBlock(effectMix_.data());
    } else {
        std::fill(effectMix_.begin(), effectMix_.end(), int16_t{0});
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(effectMix_.data());
    uint32_t done = 0;
    while (done < kBlockBytes) {
        uint32_t copied = effect_->Write(effectWrite_, bytes + done, kBlockBytes - done, false);
        if (copied == 0) break;  // the rest of the block is dropped
        copied = std::min(copied, kBlockBytes - done);
        done += copied;
        effectWrite_ += copied;
        if (effectWrite_ >= kEffectBufferBytes) effectWrite_ -= kEffectBufferBytes;
    }
    if (!effectGenerating_ && effectEndMark_ < 0) {
        effectEndMark_ = static_cast<int32_t>(effectWrite_);
    }
}

// ---- one look at each stream ---------------------------------------------------------------

bool TMMLPlay2::BgmStep(bool threadMode, bool& raised) {
    if (bgmStartPending_) {
        StartBgmStream();
        return true;
    }
    uint32_t cursor;
    if (!bgm_->GetPlayCursor(cursor)) return false;
    const uint32_t free = FreeSpace(cursor, bgmWrite_, kBgmBufferBytes);
    // The cursor overtook the write offset: the free space wrapped from large to small.
    const bool underrun = static_cast<int64_t>(bgmFree_) - free > kBgmUnderrunDrop;
    bgmFree_ = free;
    if (bgmState_ == kStreamRunning) {
        if (underrun) {
            bgm_->Stop();
            bgmRefilling_ = true;
        } else if (bgmRefilling_) {
            // Stays stopped until the buffer is full again.
            if (free <= kRefillThreshold) {
                bgmRefilling_ = false;
                bgm_->PlayLooping();
            }
        } else if (!bgm_->IsPlaying()) {
            bgm_->PlayLooping();
        }
    }
    if (!underrun && free <= kRefillThreshold) return false;
    raised = free > kCatchUpThreshold;
    if (threadMode) SetRaisedPriority(raised);
    const bool written = WriteBgmBlock();
    if (threadMode) SetRaisedPriority(false);
    return written;
}

bool TMMLPlay2::EffectEndPassed(uint32_t cursor) const {
    if (effectEndMark_ < 0) return false;
    const auto mark = static_cast<uint32_t>(effectEndMark_);
    if (cursor >= effectLast_) return effectLast_ <= mark && mark <= cursor;
    return cursor >= mark || mark >= effectLast_;  // the cursor wrapped since the last look
}

void TMMLPlay2::EndEffectAtMark() {
    const bool stopped = effect_->Stop();
    if (threaded_) {
        uint8_t running = kStreamRunning;
        effectState_.compare_exchange_strong(running, kStreamStopRequested);
    } else {
        effectState_ = kStreamIdle;
    }
    effectActive_ = !stopped;
}

bool TMMLPlay2::EffectStep(bool threadMode, bool raisedByBgm) {
    if (effectStartPending_) {
        StartEffectStream();
        return true;
    }
    uint32_t cursor;
    if (!effect_->GetPlayCursor(cursor)) return false;
    if (EffectEndPassed(cursor)) {
        EndEffectAtMark();
        return false;
    }
    if (!effectActive_) return false;
    effectLast_ = cursor;
    const uint32_t free = FreeSpace(cursor, effectWrite_, kEffectBufferBytes);
    const bool underrun = static_cast<int64_t>(effectFree_) - free > kEffectUnderrunDrop;
    effectFree_ = free;
    if (!underrun && free <= kRefillThreshold) return false;
    if (threadMode) SetRaisedPriority(free > kCatchUpThreshold || raisedByBgm);
    WriteEffectBlock();
    if (threadMode) SetRaisedPriority(false);
    return true;
}

// ---- the output thread ---------------------------------------------------------------------

void TMMLPlay2::Execute() {
    while (!Terminated()) {
        try {
            ThreadPass();
        } catch (...) {
            // A failing buffer must not end the thread; try again after the idle wait.
            SetRaisedPriority(false);
            IdleWait(kIdleWaitMilliseconds);
        }
    }
}

void TMMLPlay2::ThreadPass() {
    // The acknowledgement that StopBGM and StopSound wait for.
    uint8_t requested = kStreamStopRequested;
    bgmState_.compare_exchange_strong(requested, kStreamIdle);
    requested = kStreamStopRequested;
    effectState_.compare_exchange_strong(requested, kStreamIdle);

    if (!threaded_ || (bgmState_ == kStreamIdle && effectState_ == kStreamIdle)) {
        SuspendSelf();
        return;
    }
    bool worked = false;
    bool raised = false;
    if (bgmState_ == kStreamRunning) worked = BgmStep(true, raised);
    if (effectState_ == kStreamRunning) worked = EffectStep(true, raised) || worked;
    if (!worked) IdleWait(kIdleWaitMilliseconds);
}

void TMMLPlay2::Kick() {
    if (threaded_) {
        Resume();
    } else {
        Store(2);
    }
}

void TMMLPlay2::ReleaseStream(std::atomic<uint8_t>& state) {
    if (!threaded_ || state == kStreamIdle) return;
    Resume();  // a thread that is about to suspend still takes its next pass
    while (state != kStreamIdle) {
        if (!Alive()) {  // nobody left to acknowledge
            state = kStreamIdle;
            break;
        }
        SleepCaller(1);
    }
}

// ---- host-driven mode ----------------------------------------------------------------------

int TMMLPlay2::Store(int count) {
    if (threaded_) return 0;
    int written = 0;
    if (bgmPlaying_) {
        bool raised;
        for (int i = 0; i < count; ++i) {
            if (!BgmStep(false, raised)) break;
            ++written;
        }
    }
    if (effectActive_) {
        for (int i = 0; i < count; ++i) {
            if (!EffectStep(false, false)) break;
            ++written;
        }
    }
    return written;
}

}  // namespace tonwerkel
