// The library's global state (device, primary buffer, player) and its 18 exports. Every
// export catches whatever the layers below throw and answers with its failure value.
#include "win32/Exports.h"

#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "output/Error.h"
#include "output/MMLPlay.h"
#include "output/SynthesizerSource.h"
#include "win32/DirectSound.h"
#include "win32/LoadedLibraries.h"

namespace tonwerkel {

namespace {

constexpr int32_t kTrue = -1;
constexpr int32_t kFalse = 0;
constexpr int32_t kVersion = 75;  // 0.75
constexpr int32_t kHighestSoundNumber = 255;

int32_t Result(bool value) {
    return value ? kTrue : kFalse;
}

// Null until Initialize has made them; the player last, so it exists only when the rest does.
struct LibraryState {
    std::unique_ptr<TDirectSound2> device;
    std::unique_ptr<TDirectSoundBuffer> primary;
    std::unique_ptr<TMMLPlay2> player;
};
LibraryState g_state;

// A path in code page 932 (the library's callers' text) as the wide-character functions
// take it; empty when it is no code-page-932 text.
std::wstring WidePath(const char* path) {
    const int length = static_cast<int>(std::strlen(path));
    if (length == 0) return {};
    const int units = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, path, length, nullptr, 0);
    if (units <= 0) return {};
    std::wstring wide(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, path, length, wide.data(), units);
    return wide;
}

// Reads a whole file that nobody may write while it is read.
bool ReadFileDenyingWriters(const char* path, std::vector<uint8_t>& bytes) {
    const std::wstring widePath = WidePath(path);
    if (widePath.empty()) return false;
    HANDLE raw = CreateFileW(widePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE) return false;
    std::unique_ptr<void, decltype(&CloseHandle)> file(raw, &CloseHandle);
    LARGE_INTEGER size;
    if (!GetFileSizeEx(raw, &size) || size.QuadPart > std::numeric_limits<int32_t>::max()) {
        return false;
    }
    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        if (!ReadFile(raw, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got,
                      nullptr) ||
            got == 0) {
            return false;
        }
        done += got;
    }
    return true;
}

// Runs `call` on the player; `noPlayer` without one or when the call throws.
template <typename Call>
int32_t WithPlayer(int32_t noPlayer, Call call) {
    try {
        if (!g_state.player) return noPlayer;
        return call(*g_state.player);
    } catch (...) {
        return noPlayer;
    }
}

}  // namespace

TMMLPlay2* PlayerForTesting() {
    return g_state.player.get();
}

void UnloadLibrary(bool processExiting) {
    if (processExiting) {
        // The process ends: its other threads are gone and DirectSound may be gone as well.
        // Leave everything to the system.
        (void)g_state.player.release();
        (void)g_state.primary.release();
        (void)g_state.device.release();
        return;
    }
    if (!g_state.player && !g_state.primary && !g_state.device) {
        Libraries().ReleaseAll();
        return;
    }
    // Freed without Finalize, under the loader lock: no thread may be waited for. The output
    // thread is ended without waiting, the stream buffers are released (silence), and the
    // device, whose release waits for DirectSound's own thread, is left with DirectSound
    // loaded.
    try {
        if (g_state.player) g_state.player->Abandon();
        g_state.player.reset();
    } catch (...) {
    }
    (void)g_state.primary.release();
    (void)g_state.device.release();
}

}  // namespace tonwerkel

using namespace tonwerkel;

extern "C" {

int32_t WINAPI tonwerkel_Initialize(HWND window, int32_t threaded) {
    try {
        if (g_state.player) return kTrue;  // complete already: the window is ignored
        bool success = true;
        if (!g_state.device) {
            try {
                g_state.device = std::make_unique<TDirectSound2>();
            } catch (const Error&) {
                success = false;
            }
        }
        if (g_state.device) {
            g_state.device->globalFocus = true;
            success = g_state.device->SetCooperativeLevel(window, DSSCL_NORMAL) == 0;
        }
        if (success && !g_state.primary) {
            DSBUFFERDESC1 description{};
            description.dwSize = sizeof description;
            description.dwFlags = DSBCAPS_PRIMARYBUFFER;
            try {
                g_state.primary =
                    std::make_unique<TDirectSoundBuffer>(*g_state.device, description, nullptr);
            } catch (const Error&) {
                success = false;
            }
        }
        if (success) {
            auto player = std::make_unique<TMMLPlay2>(threaded != 0, MakeSynthesizerSource(),
                                                      ReadFileDenyingWriters);
            player->SetDevice(g_state.device.get());
            player->SetBGMVolume(kMaxVolume);
            player->SetSoundVolume(kMaxVolume);
            g_state.player = std::move(player);
        }
        return Result(success);
    } catch (...) {
        return kFalse;
    }
}

int32_t WINAPI tonwerkel_Finalize() {
    try {
        g_state.player.reset();  // ends the output thread first
    } catch (...) {
    }
    g_state.primary.reset();
    g_state.device.reset();
    return kTrue;
}

int32_t WINAPI tonwerkel_Load(const char* path) {
    return WithPlayer(kFalse, [&](TMMLPlay2& p) { return Result(p.Load(path)); });
}

int32_t WINAPI tonwerkel_LoadBGM(const char* path) {
    return WithPlayer(kFalse, [&](TMMLPlay2& p) { return Result(p.LoadBGM(path)); });
}

int32_t WINAPI tonwerkel_LoadSound(const char* path) {
    return WithPlayer(kFalse, [&](TMMLPlay2& p) { return Result(p.LoadSound(path)); });
}

int32_t WINAPI tonwerkel_LoadBGMFromMem(const void* data, int32_t length) {
    if (length < 0) return kFalse;
    return WithPlayer(kFalse, [&](TMMLPlay2& p) {
        return Result(
            p.LoadBGMFromMem(static_cast<const uint8_t*>(data), static_cast<size_t>(length)));
    });
}

int32_t WINAPI tonwerkel_LoadSoundFromMem(const void* data, int32_t length) {
    if (length < 0) return kFalse;
    return WithPlayer(kFalse, [&](TMMLPlay2& p) {
        return Result(
            p.LoadSoundFromMem(static_cast<const uint8_t*>(data), static_cast<size_t>(length)));
    });
}

int32_t WINAPI tonwerkel_PlayBGM() {
    return WithPlayer(kFalse, [](TMMLPlay2& p) { return Result(p.PlayBGM()); });
}

int32_t WINAPI tonwerkel_StopBGM() {
    return WithPlayer(kFalse, [](TMMLPlay2& p) { return Result(p.StopBGM()); });
}

int32_t WINAPI tonwerkel_ResumeBGM() {
    return WithPlayer(kFalse, [](TMMLPlay2& p) { return Result(p.ResumeBGM()); });
}

int32_t WINAPI tonwerkel_PlaySound(int32_t number) {
    if (number < 0 || number > kHighestSoundNumber) return kFalse;
    return WithPlayer(kFalse, [&](TMMLPlay2& p) { return Result(p.PlaySound(number)); });
}

int32_t WINAPI tonwerkel_StopSound() {
    return WithPlayer(kFalse, [](TMMLPlay2& p) { return Result(p.StopSound()); });
}

int32_t WINAPI tonwerkel_SetBGMVolume(int32_t attenuation) {
    return WithPlayer(kFalse, [&](TMMLPlay2& p) { return Result(p.SetBGMVolume(attenuation)); });
}

int32_t WINAPI tonwerkel_SetSoundVolume(int32_t attenuation) {
    return WithPlayer(kFalse, [&](TMMLPlay2& p) { return Result(p.SetSoundVolume(attenuation)); });
}

int32_t WINAPI tonwerkel_GetBGMVolume() {
    return WithPlayer(kMinVolume, [](TMMLPlay2& p) { return p.GetBGMVolume(); });
}

int32_t WINAPI tonwerkel_GetSoundVolume() {
    return WithPlayer(kMinVolume, [](TMMLPlay2& p) { return p.GetSoundVolume(); });
}

int32_t WINAPI tonwerkel_Store(int32_t count) {
    return WithPlayer(0, [&](TMMLPlay2& p) { return p.Store(count); });
}

int32_t WINAPI tonwerkel_GetVersion() {
    return kVersion;
}

}  // extern "C"
