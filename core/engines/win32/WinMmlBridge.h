// The MML bridge: the synthesizer library "tonwerkel.dll", loaded by name for each MML
// attempt with its eight exports bound by name, and released again when that playback
// stops or the attempt fails. All calls run on the main thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "engines/Engines.h"

namespace hgf {

class WinMmlBridge final : public MmlBridge {
  public:
    // `libraryName`: the file loaded by Bind, searched the platform's usual way.
    explicit WinMmlBridge(std::string libraryName = "tonwerkel.dll");
    // Unloads the library.
    ~WinMmlBridge() override;
    WinMmlBridge(const WinMmlBridge&) = delete;
    WinMmlBridge& operator=(const WinMmlBridge&) = delete;

    // Loads the library, binds the exports and initialises it for `window` with its own
    // output thread. False (and nothing loaded) when the library, an export or the
    // initialisation is missing; false without a change when it is loaded already.
    bool Bind(WindowHandle window) override;
    // The library's results: nonzero is true. False when nothing is bound.
    bool Load(const std::string& path) override;
    bool Start() override;
    void Halt() override;
    void Resume() override;
    void SetVolume(int attenuation) override;  // hundredths of a decibel, -10000..0
    // Halts and finalises the library and releases it; harmless when nothing is loaded.
    void Unload() override;

    bool IsLoaded() const { return library_ != nullptr; }

  private:
    using InitializeProc = std::int32_t(WINAPI*)(HWND window, std::int32_t threaded);
    using NoArgumentProc = std::int32_t(WINAPI*)();
    using LoadProc = std::int32_t(WINAPI*)(const char* path);
    using VolumeProc = std::int32_t(WINAPI*)(std::int32_t attenuation);

    // Finalises (after halting) when Finalize is bound, releases the library and clears
    // the handle and every entry.
    void Release();

    std::string libraryName_;
    HMODULE library_ = nullptr;  // null when not loaded
    InitializeProc initialize_ = nullptr;
    NoArgumentProc finalize_ = nullptr;
    LoadProc load_ = nullptr;
    NoArgumentProc playBgm_ = nullptr;
    NoArgumentProc stopBgm_ = nullptr;
    NoArgumentProc resumeBgm_ = nullptr;
    NoArgumentProc getVersion_ = nullptr;  // bound with the others, never called
    VolumeProc setBgmVolume_ = nullptr;
};

}  // namespace hgf
