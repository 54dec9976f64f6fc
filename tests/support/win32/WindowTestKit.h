// Small helpers of the Win32 test programs: the INI beside the program, a message pump
// that waits for a condition, window texts and searches, a test host's default handling
// and property-sheet tabs.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "platform/win32/WideText.h"

namespace hgf::test {

// The settings file of this program: its path with "exe" replaced by "ini".
inline std::string ProgramIniPath() {
    char path[520] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string ini = path;
    return ini.replace(ini.size() - 3, 3, "ini");
}

// A value of the core's section in that file, or "<missing>".
inline std::string IniValue(const std::string& key) {
    char value[520] = "";
    GetPrivateProfileStringA("Harrowgladeforte Core", key.c_str(), "<missing>", value, sizeof value,
                             ProgramIniPath().c_str());
    return value;
}

// Replaces that file with the core's section holding `lines` (CR LF ended).
inline void WriteProgramIni(const std::string& lines) {
    std::ofstream ini(ProgramIniPath(), std::ios::binary);
    ini << "[Harrowgladeforte Core]\r\n" << lines;
}

// Runs this thread's message loop until `done` holds or `timeoutMs` passed; returns `done()`.
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!done()) {
        if (GetTickCount64() > end) return false;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(5);
    }
    return true;
}

inline void Pump(int ms) {
    PumpUntil([] { return false; }, ms);
}

// The window's text as Windows holds it (read through the wide function), in code page 932.
inline std::string WindowText(HWND window) {
    wchar_t text[256] = L"";
    GetWindowTextW(window, text, static_cast<int>(std::size(text)));
    return CodePage932FromWide(text);
}

inline std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

// The first window of this thread for which `matches` holds.
inline HWND FindThreadWindow(const std::function<bool(HWND)>& matches) {
    struct Search {
        const std::function<bool(HWND)>& matches;
        HWND found = nullptr;
    } search{matches};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto* search = reinterpret_cast<Search*>(data);
            if (!search->matches(window)) return TRUE;
            search->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// What a test host window does with the messages its test does not look at: it measures
// list rows 14 pixels high, draws nothing, and closes by destroying itself.
inline LRESULT HostWindowDefaults(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MEASUREITEM:
            reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = 14;
            return TRUE;
        case WM_DRAWITEM:
            return TRUE;
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

inline int TabCount(HWND sheet) {
    return static_cast<int>(SendMessageA(PropSheet_GetTabControl(sheet), TCM_GETITEMCOUNT, 0, 0));
}

inline std::string TabText(HWND sheet, int index) {
    wchar_t text[128] = L"";
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(std::size(text));
    SendMessageW(PropSheet_GetTabControl(sheet), TCM_GETITEMW, index,
                 reinterpret_cast<LPARAM>(&item));
    return CodePage932FromWide(text);
}

}  // namespace hgf::test
