// The DirectSound wrappers.
#include "win32/DirectSound.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "output/Error.h"
#include "output/MMLPlay.h"
#include "win32/LoadedLibraries.h"
#include "win32/Messages.h"

namespace tonwerkel {

namespace {

using DirectSoundCreateFunction = HRESULT(WINAPI*)(const GUID*, IDirectSound**, IUnknown*);

// Flags of the stream buffers besides focus: volume, pan and frequency control (0xE0) in a
// software buffer.
constexpr DWORD kStreamBufferFlags = DSBCAPS_CTRLDEFAULT | DSBCAPS_LOCSOFTWARE;

constexpr WAVEFORMATEX kStreamFormat = {
    WAVE_FORMAT_PCM, 1, 22050, 44100, 2, 16, 0,  // mono, 22050 Hz, 16 bits
};

// At namespace scope, as every static object of the library: a static inside a function is
// built under the runtime's thread-safe guard, whose first use cannot be undone when the
// library is freed (see ExceptionState.cpp).
TDirectSoundBuffer::WriteObserver g_writeObserver;

}  // namespace

// ---- TDirectX --------------------------------------------------------------------------------

HRESULT TDirectX::Keep(HRESULT result) {
    result_ = result;
    if (result != 0) Check();
    return result;
}

// ---- TDirectSound ----------------------------------------------------------------------------

TDirectSound::TDirectSound() {
    IDirectSound* sound = nullptr;
    try {
        auto create = reinterpret_cast<DirectSoundCreateFunction>(
            reinterpret_cast<void*>(Libraries().Function("DSound.dll", "DirectSoundCreate")));
        Keep(create(nullptr, &sound, nullptr));
    } catch (const Error&) {
        throw Error::Format(kCannotInitialize, kNameDirectSound);
    }
    if (FAILED(result_) || !sound) throw Error::Format(kCannotInitialize, kNameDirectSound);
    sound_ = sound;
}

TDirectSound::~TDirectSound() {
    {
        std::lock_guard lock(bufferLock_);
        for (TDirectSoundBuffer* buffer : buffers_) {
            buffer->ReleaseInterface();
        }
    }
    if (sound_) sound_->Release();
}

HRESULT TDirectSound::SetCooperativeLevel(HWND window, DWORD level) {
    return Keep(sound_->SetCooperativeLevel(window, level));
}

DWORD TDirectSound::FocusFlags() const {
    if (globalFocus) return DSBCAPS_GLOBALFOCUS;
    if (stickyFocus) return DSBCAPS_STICKYFOCUS;
    return 0;
}

void TDirectSound::Attach(TDirectSoundBuffer* buffer) {
    std::lock_guard lock(bufferLock_);
    buffers_.push_back(buffer);
}

void TDirectSound::Detach(TDirectSoundBuffer* buffer) {
    std::lock_guard lock(bufferLock_);
    buffers_.erase(std::remove(buffers_.begin(), buffers_.end(), buffer), buffers_.end());
}

// ---- TDirectSound2 ---------------------------------------------------------------------------

void TDirectSound2::Restore() {
    if (restore_) restore_();
}

std::unique_ptr<StreamBuffer> TDirectSound2::CreateStreamBuffer(uint32_t bytes) {
    DSBUFFERDESC1 description{};
    description.dwSize = sizeof description;
    description.dwFlags = kStreamBufferFlags | FocusFlags();
    description.dwBufferBytes = bytes;
    return std::make_unique<TDirectSoundBuffer>(*this, description, &kStreamFormat);
}

void TDirectSound2::SetRestoreHook(std::function<void()> restore) {
    std::lock_guard lock(BufferLock());
    restore_ = std::move(restore);
}

// ---- TDirectSoundBuffer ----------------------------------------------------------------------

TDirectSoundBuffer::TDirectSoundBuffer(TDirectSound& device, const DSBUFFERDESC1& description,
                                       const WAVEFORMATEX* format)
    : device_(device), description_(description) {
    if (format) {
        format_ = *format;
        hasFormat_ = true;
    }
    Create();
    device_.Attach(this);
}

TDirectSoundBuffer::~TDirectSoundBuffer() {
    device_.Detach(this);
    std::lock_guard lock(device_.BufferLock());
    ReleaseInterface();
}

void TDirectSoundBuffer::Create() {
    DSBUFFERDESC1 description = description_;
    description.lpwfxFormat = hasFormat_ ? &format_ : nullptr;
    IDirectSoundBuffer* buffer = nullptr;
    HRESULT result = device_.Interface()->CreateSoundBuffer(
        reinterpret_cast<const DSBUFFERDESC*>(&description), &buffer, nullptr);
    result_ = result;
    if (FAILED(result) || !buffer) throw Error::Format(kCannotCreate, kNameSoundBuffer);
    buffer_ = buffer;
}

void TDirectSoundBuffer::ReleaseInterface() {
    if (buffer_) buffer_->Release();
    buffer_ = nullptr;
}

void TDirectSoundBuffer::Recreate() {
    std::lock_guard lock(device_.BufferLock());
    ReleaseInterface();
    Create();
}

IDirectSoundBuffer* TDirectSoundBuffer::Required() const {
    if (!buffer_) throw Error::Format(kNotCreated, kNameBufferInterface);
    return buffer_;
}

void TDirectSoundBuffer::Check() {
    if (result_ != DSERR_BUFFERLOST || device_.restoring) return;
    device_.restoring = true;
    try {
        device_.Restore();
    } catch (...) {
        device_.restoring = false;
        throw;
    }
    device_.restoring = false;
}

void TDirectSoundBuffer::Lock(uint32_t offset, uint32_t bytes, void*& first, DWORD& firstBytes,
                              void*& second, DWORD& secondBytes) {
    std::lock_guard lock(device_.BufferLock());
    first = second = nullptr;
    firstBytes = secondBytes = 0;
    if (FAILED(
            Keep(Required()->Lock(offset, bytes, &first, &firstBytes, &second, &secondBytes, 0)))) {
        throw Error::Format(kCannotLock, kNameSoundBuffer);
    }
}

void TDirectSoundBuffer::Unlock(void* first, DWORD firstBytes, void* second, DWORD secondBytes) {
    std::lock_guard lock(device_.BufferLock());
    Keep(Required()->Unlock(first, firstBytes, second, secondBytes));
}

uint32_t TDirectSoundBuffer::Write(uint32_t offset, const void* data, uint32_t bytes, bool wrap) {
    std::lock_guard lock(device_.BufferLock());
    void* first;
    void* second;
    DWORD firstBytes, secondBytes;
    try {
        Lock(offset, bytes, first, firstBytes, second, secondBytes);
    } catch (const Error&) {
        return 0;
    }
    const auto* source = static_cast<const uint8_t*>(data);
    DWORD firstCopied = std::min<DWORD>(firstBytes, bytes);
    DWORD secondCopied = 0;
    if (first) std::memcpy(first, source, firstCopied);
    if (wrap && second) {
        secondCopied = std::min<DWORD>(secondBytes, bytes - firstCopied);
        std::memcpy(second, source + firstCopied, secondCopied);
    }
    Unlock(first, firstCopied, second, secondCopied);
    if (g_writeObserver) {
        g_writeObserver(description_.dwBufferBytes, offset, source, firstCopied);
        if (secondCopied)
            g_writeObserver(description_.dwBufferBytes, 0, source + firstCopied, secondCopied);
    }
    return firstCopied + secondCopied;
}

bool TDirectSoundBuffer::GetPlayCursor(uint32_t& cursor) {
    std::lock_guard lock(device_.BufferLock());
    DWORD play = 0, write = 0;
    if (FAILED(Keep(Required()->GetCurrentPosition(&play, &write)))) return false;
    cursor = play;
    return true;
}

bool TDirectSoundBuffer::IsPlaying() {
    std::lock_guard lock(device_.BufferLock());
    DWORD status = 0;
    if (FAILED(Keep(Required()->GetStatus(&status)))) return false;
    return (status & (DSBSTATUS_PLAYING | DSBSTATUS_LOOPING)) != 0;
}

bool TDirectSoundBuffer::PlayLooping() {
    std::lock_guard lock(device_.BufferLock());
    return SUCCEEDED(Keep(Required()->Play(0, 0, DSBPLAY_LOOPING)));
}

bool TDirectSoundBuffer::Stop() {
    std::lock_guard lock(device_.BufferLock());
    return Keep(Required()->Stop()) == 0;
}

bool TDirectSoundBuffer::SetPlayPosition(uint32_t offset) {
    std::lock_guard lock(device_.BufferLock());
    return SUCCEEDED(Keep(Required()->SetCurrentPosition(offset)));
}

bool TDirectSoundBuffer::SetVolume(int32_t attenuation) {
    std::lock_guard lock(device_.BufferLock());
    return SUCCEEDED(Keep(Required()->SetVolume(attenuation)));
}

bool TDirectSoundBuffer::GetVolume(int32_t& attenuation) {
    std::lock_guard lock(device_.BufferLock());
    LONG volume = 0;
    if (FAILED(Keep(Required()->GetVolume(&volume)))) return false;
    attenuation = volume;
    return true;
}

void TDirectSoundBuffer::SetWriteObserver(WriteObserver observer) {
    g_writeObserver = std::move(observer);
}

}  // namespace tonwerkel
