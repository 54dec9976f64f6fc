// Binding and driving the synthesizer library.
#include "engines/win32/WinMmlBridge.h"

#include <utility>

namespace hgf {
namespace {

constexpr std::int32_t kThreaded = 1;  // Initialize: the library runs its own output thread

template <typename Proc>
bool BindExport(HMODULE library, const char* name, Proc& entry) {
    entry = reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    return entry != nullptr;
}

}  // namespace

WinMmlBridge::WinMmlBridge(std::string libraryName) : libraryName_(std::move(libraryName)) {}

WinMmlBridge::~WinMmlBridge() {
    Unload();
}

bool WinMmlBridge::Bind(WindowHandle window) {
    if (library_) return false;
    library_ = LoadLibraryA(libraryName_.c_str());
    if (library_) {
        // In the order of the library's table; every lookup is made, found or not.
        bool all = BindExport(library_, "Initialize", initialize_);
        all = BindExport(library_, "Finalize", finalize_) && all;
        all = BindExport(library_, "Load", load_) && all;
        all = BindExport(library_, "PlayBGM", playBgm_) && all;
        all = BindExport(library_, "StopBGM", stopBgm_) && all;
        all = BindExport(library_, "ResumeBGM", resumeBgm_) && all;
        all = BindExport(library_, "GetVersion", getVersion_) && all;
        all = BindExport(library_, "SetBGMVolume", setBgmVolume_) && all;
        if (all && initialize_(static_cast<HWND>(window), kThreaded) != 0) return true;
    }
    Release();
    return false;
}

bool WinMmlBridge::Load(const std::string& path) {
    return load_ && load_(path.c_str()) != 0;
}

bool WinMmlBridge::Start() {
    return playBgm_ && playBgm_() != 0;
}

void WinMmlBridge::Halt() {
    if (stopBgm_) stopBgm_();
}

void WinMmlBridge::Resume() {
    if (resumeBgm_) resumeBgm_();
}

void WinMmlBridge::SetVolume(int attenuation) {
    if (setBgmVolume_) setBgmVolume_(attenuation);
}

void WinMmlBridge::Unload() {
    Release();
}

void WinMmlBridge::Release() {
    if (finalize_) {
        if (stopBgm_) stopBgm_();
        finalize_();
    }
    if (library_) FreeLibrary(library_);
    library_ = nullptr;
    initialize_ = nullptr;
    finalize_ = nullptr;
    load_ = nullptr;
    playBgm_ = nullptr;
    stopBgm_ = nullptr;
    resumeBgm_ = nullptr;
    getVersion_ = nullptr;
    setBgmVolume_ = nullptr;
}

}  // namespace hgf
