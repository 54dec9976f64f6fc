// A minimal host of the core library for tests under Wine: it owns a top-level window
// like the program does, calls the core's interface in the documented order, draws the
// list rows, and logs what it sees.
//   CoreTestHost --release-only
//       CreateInstance, then Release (no window).
//   CoreTestHost [--log FILE] [--ready FILE] [--close-after-tracks N] [--close-after-ms MS]
//                [--close-when FILE]
//       Runs the player. The log gets a line whenever the status text, the row count, the
//       playing row or the presence of VBMP3.dll in the process changes. --ready is created once a
//       list is shown. The window is closed 1.5 s after the N-th distinct row started, after MS
//       milliseconds, or once the --close-when file exists.
#include <windows.h>

#include <psapi.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "CoreIds.h"
#include "IHarrowgladeforteCore.h"

namespace {

constexpr UINT_PTR kWatchTimer = 1;
constexpr UINT kWatchMs = 50;
constexpr DWORD kLingerMs = 1500;  // after the last awaited track started
constexpr int kIndicatorWidth = 16;

struct Options {
    bool releaseOnly = false;
    std::string logPath;
    std::string readyPath;
    int closeAfterTracks = 0;
    DWORD closeAfterMs = 0;
    std::string closeWhenPath;
};

struct HostState {
    Options options;
    IHarrowgladeforteCore* core = nullptr;
    HWND combo = nullptr;
    FILE* log = nullptr;
    DWORD startTick = 0;
    std::string lastStatus = "\x01";
    int lastCount = -1;
    int lastIndex = -2;
    int lastPlaying = -1;
    int lastMp3Library = -1;  // whether VBMP3.dll is loaded in this process
    int tracksStarted = 0;
    DWORD closeAt = 0;  // tick at which the window closes; 0: not yet decided
    bool readyWritten = false;
};

HostState g_host;

Options ParseOptions() {
    Options options;
    for (int i = 1; i < __argc; ++i) {
        std::string arg = __argv[i];
        auto next = [&]() -> std::string { return i + 1 < __argc ? __argv[++i] : ""; };
        if (arg == "--release-only") options.releaseOnly = true;
        if (arg == "--log") options.logPath = next();
        if (arg == "--ready") options.readyPath = next();
        if (arg == "--close-after-tracks") options.closeAfterTracks = std::atoi(next().c_str());
        if (arg == "--close-after-ms") options.closeAfterMs = std::atoi(next().c_str());
        if (arg == "--close-when") options.closeWhenPath = next();
    }
    return options;
}

// One line: milliseconds since the start, then the formatted text.
void Log(const char* format, ...) {
    if (!g_host.log) return;
    std::fprintf(g_host.log, "%lu ", GetTickCount() - g_host.startTick);
    va_list args;
    va_start(args, format);
    std::vfprintf(g_host.log, format, args);
    va_end(args);
    std::fputc('\n', g_host.log);
    std::fflush(g_host.log);
}

// Milliseconds since the process was created.
unsigned long MsSinceProcessStart() {
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<unsigned long>((ticks(now) - ticks(created)) / 10000);  // 100 ns units
}

unsigned long WorkingSetKb() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return static_cast<unsigned long>(counters.WorkingSetSize / 1024);
}

void Watch(HWND window) {
    IHarrowgladeforteCore* core = g_host.core;
    std::string status = core->GetStatusText();
    if (status != g_host.lastStatus) {
        g_host.lastStatus = status;
        Log("status [%s]", status.c_str());
    }
    int count = core->GetItemCount();
    if (count != g_host.lastCount) {
        g_host.lastCount = count;
        Log("rows %d", count);
    }
    int index = core->GetCurrentIndex();
    int playing = core->IsPlaying();
    if (count > 0 && (index != g_host.lastIndex || playing != g_host.lastPlaying)) {
        if (playing && index != g_host.lastIndex) ++g_host.tracksStarted;
        g_host.lastIndex = index;
        g_host.lastPlaying = playing;
        Log("current %d playing %d %s", index, playing, core->GetItemPath(index).c_str());
        Log("working set %lu KiB", WorkingSetKb());
        if (g_host.options.closeAfterTracks > 0 &&
            g_host.tracksStarted >= g_host.options.closeAfterTracks && !g_host.closeAt) {
            g_host.closeAt = GetTickCount() + kLingerMs;
        }
    }
    int mp3Library = GetModuleHandleA("VBMP3.dll") != nullptr;
    if (mp3Library != g_host.lastMp3Library) {
        g_host.lastMp3Library = mp3Library;
        Log("VBMP3.dll %s", mp3Library ? "loaded" : "not loaded");
    }
    if (!g_host.readyWritten && count > 0 && status.empty() && !g_host.options.readyPath.empty()) {
        g_host.readyWritten = true;
        Log("list shown %lu ms after the process started", MsSinceProcessStart());
        if (FILE* ready = std::fopen(g_host.options.readyPath.c_str(), "w")) std::fclose(ready);
    }
    DWORD now = GetTickCount();
    bool timeUp =
        g_host.options.closeAfterMs && now - g_host.startTick >= g_host.options.closeAfterMs;
    bool tracksDone = g_host.closeAt && static_cast<LONG>(now - g_host.closeAt) >= 0;
    bool told = !g_host.options.closeWhenPath.empty() &&
                GetFileAttributesA(g_host.options.closeWhenPath.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (timeUp || tracksDone || told) {
        KillTimer(window, kWatchTimer);
        Log("closing");
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
}

void DrawItem(const DRAWITEMSTRUCT& item) {
    IHarrowgladeforteCore* core = g_host.core;
    std::string status = core->GetStatusText();
    std::string text;
    if ((item.itemState & ODS_COMBOBOXEDIT) && !status.empty()) {
        text = status;
    } else if (item.itemID != UINT(-1) && int(item.itemID) < core->GetItemCount()) {
        text = core->GetItemTitle(item.itemID);
    }
    bool selected = item.itemState & ODS_SELECTED;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT));
    RECT rect = item.rcItem;
    rect.left += 10;
    DrawTextA(item.hDC, text.c_str(), -1, &rect, DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE);
}

void PlaceWindow(HWND window) {
    RECT saved{};
    g_host.core->GetSavedWindowRect(&saved);
    RECT area{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    RECT combo{};
    GetClientRect(g_host.combo, &combo);
    int height = 2 * GetSystemMetrics(SM_CYDLGFRAME) + combo.bottom;
    if (saved.right > 0 && saved.bottom > 0 && saved.left < area.right && saved.top < area.bottom) {
        SetWindowPos(window, nullptr, saved.left, saved.top, saved.right, saved.bottom,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        SetWindowPos(window, nullptr, area.right - 320, area.bottom - height, 320, height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

LRESULT CALLBACK HostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            HWND strip = g_host.core->AttachWindow(window);
            g_host.combo = g_host.core->GetComboBoxWindow();
            Log("attached strip %d combo %d", strip != nullptr, g_host.combo != nullptr);
            PlaceWindow(window);
            SetTimer(window, kWatchTimer, kWatchMs, nullptr);
            g_host.core->Start("Harrowgladeforte", 106);
            return 0;
        }
        case WM_SIZE: {
            RECT combo{};
            if (g_host.combo) GetClientRect(g_host.combo, &combo);
            HWND strip = GetDlgItem(window, 33770);
            if (strip) {
                SetWindowPos(strip, nullptr, kIndicatorWidth, 0, LOWORD(lParam) - kIndicatorWidth,
                             combo.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
            }
            return 0;
        }
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            FillRect(dc, &paint.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
            EndPaint(window, &paint);
            return 0;
        }
        case WM_TIMER:
            if (wParam == kWatchTimer) Watch(window);
            return 0;
        case WM_MEASUREITEM: {
            auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            measure->itemWidth = 280;
            measure->itemHeight = measure->itemID == UINT(-1) ? 12 : 14;
            return TRUE;
        }
        case WM_DRAWITEM:
            DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_NCHITTEST:
            return HTCAPTION;
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    g_host.options = ParseOptions();
    g_host.startTick = GetTickCount();
    if (!g_host.options.logPath.empty())
        g_host.log = std::fopen(g_host.options.logPath.c_str(), "w");

    g_host.core = CreateInstance(instance);
    if (!g_host.core) return 3;
    Log("created");
    if (g_host.options.releaseOnly) {
        g_host.core->Release();
        Log("released");
        return 0;
    }

    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = HostProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    // The player's class: the keyboard hook posts to no other window.
    windowClass.lpszClassName = hgf::kMainWindowClass;
    if (!RegisterClassExA(&windowClass)) return 4;
    HWND window = CreateWindowExA(
        WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, hgf::kMainWindowClass, "Harrowgladeforte",
        WS_POPUP | WS_CLIPCHILDREN | WS_DLGFRAME, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    if (!window) return 5;

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    Log("message loop ended");
    g_host.core->Release();
    Log("released");
    if (g_host.log) std::fclose(g_host.log);
    return static_cast<int>(message.wParam);
}
