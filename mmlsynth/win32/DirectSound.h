// Thin DirectSound wrappers. DirectSound itself is loaded at run time ("DSound.dll").
//   TDirectX            keeps the last result of a call; a nonzero result runs Check.
//   TDirectSound        the device: its interface, the list of its buffer wrappers, the focus
//                       flags for buffers created later, and the virtual Restore.
//   TDirectSound2       Restore runs a registered hook; the device for the player.
//   TDirectSoundBuffer  one buffer; a lost buffer makes the device restore.
// All buffer calls of one device are serialised by the device's buffer lock, so a buffer that
// is recreated on one thread is never in use on another.
#pragma once

#include <windows.h>
// In this order: the wave format types that DirectSound's header needs.
#include <mmsystem.h>

#include <mmreg.h>

#include <dsound.h>
#undef PlaySound  // the waveform-audio macro of <mmsystem.h>; the player has its own

#include <functional>
#include <memory>
#include <vector>

#include "output/StreamBuffer.h"

namespace tonwerkel {

class TDirectX {
  public:
    TDirectX() = default;
    TDirectX(const TDirectX&) = delete;
    TDirectX& operator=(const TDirectX&) = delete;
    virtual ~TDirectX() = default;

    HRESULT LastResult() const { return result_; }

  protected:
    // Keeps `result`; a nonzero result runs Check. Returns `result`.
    HRESULT Keep(HRESULT result);
    virtual void Check() {}

    HRESULT result_ = 0;
};

class TDirectSoundBuffer;

// A recursive lock that gives everything back when destroyed: a critical section. (The
// standard recursive mutex of this toolchain keeps the event it makes on contention for
// good, one handle per device.)
class RecursiveLock {
  public:
    RecursiveLock() { InitializeCriticalSection(&section_); }
    ~RecursiveLock() { DeleteCriticalSection(&section_); }
    RecursiveLock(const RecursiveLock&) = delete;
    RecursiveLock& operator=(const RecursiveLock&) = delete;

    void lock() { EnterCriticalSection(&section_); }
    void unlock() { LeaveCriticalSection(&section_); }

  private:
    CRITICAL_SECTION section_;
};

class TDirectSound : public TDirectX {
  public:
    // Creates the device on the default output; throws tonwerkel::Error
    // ("DirectSound を初期化できません") when DirectSound is missing or fails.
    TDirectSound();
    // Adopts `sound` (its one reference), for example a stand-in in tests.
    explicit TDirectSound(IDirectSound* sound) : sound_(sound) {}
    ~TDirectSound() override;

    HRESULT SetCooperativeLevel(HWND window, DWORD level);
    // Focus capability of every buffer created later.
    bool globalFocus = false;
    bool stickyFocus = false;
    DWORD FocusFlags() const;

    IDirectSound* Interface() const { return sound_; }
    RecursiveLock& BufferLock() { return bufferLock_; }
    bool restoring = false;  // guarded by the buffer lock

    virtual void Restore() {}

  private:
    friend class TDirectSoundBuffer;
    void Attach(TDirectSoundBuffer* buffer);
    void Detach(TDirectSoundBuffer* buffer);

    IDirectSound* sound_ = nullptr;
    RecursiveLock bufferLock_;
    std::vector<TDirectSoundBuffer*> buffers_;  // not owned; each detaches when destroyed
};

class TDirectSound2 : public TDirectSound, public StreamDevice {
  public:
    using TDirectSound::TDirectSound;

    void Restore() override;
    // A software stream buffer in the output format (16-bit mono PCM, 22050 Hz).
    std::unique_ptr<StreamBuffer> CreateStreamBuffer(uint32_t bytes) override;
    void SetRestoreHook(std::function<void()> restore) override;

  private:
    std::function<void()> restore_;  // guarded by the buffer lock
};

class TDirectSoundBuffer : public TDirectX, public StreamBuffer {
  public:
    // Creates the buffer; throws tonwerkel::Error ("サウンドバッファ を作成できません").
    // `format` may be null (primary buffer).
    TDirectSoundBuffer(TDirectSound& device, const DSBUFFERDESC1& description,
                       const WAVEFORMATEX* format);
    ~TDirectSoundBuffer() override;

    // The wrapper's own operations. Using a buffer whose interface does not exist throws
    // ("IDirectSoundBuffer は作成されていません").
    // Lock throws ("サウンドバッファ をロックできません") when the lock fails.
    void Lock(uint32_t offset, uint32_t bytes, void*& first, DWORD& firstBytes, void*& second,
              DWORD& secondBytes);
    void Unlock(void* first, DWORD firstBytes, void* second, DWORD secondBytes);

    // StreamBuffer.
    uint32_t Write(uint32_t offset, const void* data, uint32_t bytes, bool wrap) override;
    bool GetPlayCursor(uint32_t& cursor) override;
    bool IsPlaying() override;
    bool PlayLooping() override;
    bool Stop() override;
    bool SetPlayPosition(uint32_t offset) override;
    bool SetVolume(int32_t attenuation) override;
    bool GetVolume(int32_t& attenuation) override;
    void Recreate() override;

    // For tests: sees every block copied into any stream buffer (buffer size, offset, bytes),
    // before DirectSound mixes it.
    using WriteObserver = std::function<void(uint32_t bufferBytes, uint32_t offset,
                                             const void* data, uint32_t bytes)>;
    static void SetWriteObserver(WriteObserver observer);

  protected:
    void Check() override;

  private:
    friend class TDirectSound;
    IDirectSoundBuffer* Required() const;
    void Create();
    void ReleaseInterface();

    TDirectSound& device_;
    DSBUFFERDESC1 description_;
    WAVEFORMATEX format_{};
    bool hasFormat_ = false;
    IDirectSoundBuffer* buffer_ = nullptr;
};

}  // namespace tonwerkel
