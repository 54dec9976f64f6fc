// Shared by the Wine tests of the media engine and the MML bridge: a scratch folder, a
// message-only window that keeps what is posted to it, an MCI channel that records the
// commands it passes on, and a bridge that records its calls with the library's state.
#pragma once

#include <windows.h>

#include <objbase.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engines/win32/WinMediaEngine.h"
#include "engines/win32/WinMmlBridge.h"

namespace hgf::test {

// A folder of its own under %TEMP%, removed again with everything in it.
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& name) {
        char temp[MAX_PATH] = "";
        GetTempPathA(sizeof temp, temp);
        path_ = std::string(temp) + name + "-" + std::to_string(GetCurrentProcessId());
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }

  private:
    std::string path_;
};

// A message-only window. Pump dispatches this thread's messages and keeps those posted to
// the window, in the order they came.
class MessageWindow {
  public:
    MessageWindow()
        : window_(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleA(nullptr), nullptr)) {}
    ~MessageWindow() { DestroyWindow(window_); }
    HWND Handle() const { return window_; }

    // Until `done` holds or `timeoutMs` passed; returns `done()`.
    bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
        const ULONGLONG end = GetTickCount64() + timeoutMs;
        while (!done()) {
            if (GetTickCount64() > end) return false;
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.hwnd == window_) {
                    received.push_back(message);
                } else {
                    DispatchMessageA(&message);
                }
            }
            Sleep(5);
        }
        return true;
    }
    void Pump(int ms) {
        PumpUntil([] { return false; }, ms);
    }
    // Received messages numbered `message`.
    std::vector<MSG> Received(UINT message) const {
        std::vector<MSG> found;
        for (const MSG& m : received)
            if (m.message == message) found.push_back(m);
        return found;
    }
    bool HasReceived(UINT message) const { return !Received(message).empty(); }

    std::vector<MSG> received;

  private:
    HWND window_;
};

// Passes each command on to mciSendString and keeps its text.
class RecordingMci final : public MciChannel {
  public:
    std::uint32_t Send(const std::string& command, WindowHandle notifyWindow) override {
        commands.push_back(command);
        return real_.Send(command, notifyWindow);
    }
    std::uint32_t Query(const std::string& command, std::string& answer) override {
        commands.push_back(command);
        return real_.Query(command, answer);
    }
    std::vector<std::string> Take() { return std::exchange(commands, {}); }

    std::vector<std::string> commands;

  private:
    WinMciChannel real_;
};

// A graph factory that fails as on a system without DirectShow.
inline HRESULT NoFilterGraph(IGraphBuilder**) {
    return REGDB_E_CLASSNOTREG;
}

// True when COM is not initialised on this thread (a CoInitialize would be the first).
inline bool ComUninitialized() {
    const HRESULT result = CoInitialize(nullptr);
    if (SUCCEEDED(result)) CoUninitialize();
    return result == S_OK;
}

// Whether the synthesizer library is in this process.
inline const char* LibraryState() {
    return GetModuleHandleA("tonwerkel.dll") ? "loaded" : "unloaded";
}

// The real bridge, with each call and the library's state after it written down.
class RecordingBridge final : public MmlBridge {
  public:
    explicit RecordingBridge(std::string libraryName = "tonwerkel.dll")
        : real(std::move(libraryName)) {}
    bool Bind(WindowHandle window) override {
        const bool bound = real.Bind(window);
        Log(std::string("Bind ") + (bound ? "true " : "false ") + LibraryState());
        return bound;
    }
    bool Load(const std::string& path) override {
        const bool loaded = real.Load(path);
        Log("Load " + std::filesystem::path(path).filename().string() +
            (loaded ? " true" : " false"));
        return loaded;
    }
    bool Start() override {
        Log("Start");
        return real.Start();
    }
    void Halt() override {
        Log("Halt");
        real.Halt();
    }
    void Resume() override {
        Log("Resume");
        real.Resume();
    }
    void SetVolume(int attenuation) override {
        Log("SetVolume " + std::to_string(attenuation));
        real.SetVolume(attenuation);
    }
    void Unload() override {
        real.Unload();
        Log(std::string("Unload ") + LibraryState());
    }
    std::vector<std::string> Take() { return std::exchange(calls, {}); }

    WinMmlBridge real;
    std::vector<std::string> calls;

  private:
    void Log(std::string call) { calls.push_back(std::move(call)); }
};

}  // namespace hgf::test
