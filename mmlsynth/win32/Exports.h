// The library's 18 exports under their internal names; tonwerkel.def exports each under its
// public name (the part after "tonwerkel_"). Booleans are -1 (true) and 0 (false); volumes are
// attenuations in hundredths of a decibel (-10000...0); paths are code-page-932 strings.
#pragma once

#include <windows.h>

#include <cstdint>

extern "C" {
int32_t WINAPI tonwerkel_Initialize(HWND window, int32_t threaded);
int32_t WINAPI tonwerkel_Finalize();
int32_t WINAPI tonwerkel_Load(const char* path);
int32_t WINAPI tonwerkel_LoadBGM(const char* path);
int32_t WINAPI tonwerkel_LoadSound(const char* path);
int32_t WINAPI tonwerkel_LoadBGMFromMem(const void* data, int32_t length);
int32_t WINAPI tonwerkel_LoadSoundFromMem(const void* data, int32_t length);
int32_t WINAPI tonwerkel_PlayBGM();
int32_t WINAPI tonwerkel_StopBGM();
int32_t WINAPI tonwerkel_ResumeBGM();
int32_t WINAPI tonwerkel_PlaySound(int32_t number);
int32_t WINAPI tonwerkel_StopSound();
int32_t WINAPI tonwerkel_SetBGMVolume(int32_t attenuation);
int32_t WINAPI tonwerkel_SetSoundVolume(int32_t attenuation);
int32_t WINAPI tonwerkel_GetBGMVolume();
int32_t WINAPI tonwerkel_GetSoundVolume();
int32_t WINAPI tonwerkel_Store(int32_t count);
int32_t WINAPI tonwerkel_GetVersion();
}

namespace tonwerkel {

class TMMLPlay2;

// The player behind the exports, or null; for tests that link the library's code directly.
TMMLPlay2* PlayerForTesting();

// From DllMain's process detach. `processExiting`: the process ends and its other threads are
// gone, so nothing is released; else the library is being freed under the loader lock.
void UnloadLibrary(bool processExiting);

}  // namespace tonwerkel
