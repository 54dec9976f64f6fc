// Test tool: a small window of another program that holds the keyboard focus and logs the
// keys it receives, so that a test can see a global hot key reach the player while the
// key still reaches the program that has the focus.
//   KeyWitness <log file> <stop file>
// The log gets "focused" once the window is the foreground window and has the focus, then
// "down XX" and "up XX" (virtual key, hexadecimal) for every key message, and "core library
// loaded" once the player's keyboard hook has brought its library into this process. The
// program ends once <stop file> exists, or after a minute.
#include <windows.h>

#include <cstdio>

namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollMs = 50;
constexpr ULONGLONG kLifetimeMs = 60000;

FILE* g_log = nullptr;
const char* g_stopPath = nullptr;
bool g_focused = false;
bool g_coreSeen = false;
ULONGLONG g_end = 0;

void Log(const char* format, unsigned value = 0) {
    std::fprintf(g_log, format, value);
    std::fputc('\n', g_log);
    std::fflush(g_log);
}

void LogKey(const char* format, WPARAM key) {
    Log(format, static_cast<unsigned>(key));
    if (!g_coreSeen && GetModuleHandleA("Harrowgladeforte Core.dll")) {
        g_coreSeen = true;
        Log("core library loaded");
    }
}

LRESULT CALLBACK WitnessProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            LogKey("down %02X", wParam);
            return 0;
        case WM_KEYUP:
        case WM_SYSKEYUP:  // handled here, so that F10 does not enter the menu loop
            LogKey("up %02X", wParam);
            return 0;
        case WM_TIMER:
            if (!g_focused) {
                SetForegroundWindow(window);
                SetFocus(window);
                if (GetForegroundWindow() == window && GetFocus() == window) {
                    g_focused = true;
                    Log("focused");
                }
            }
            if (GetFileAttributesA(g_stopPath) != INVALID_FILE_ATTRIBUTES ||
                GetTickCount64() > g_end) {
                DestroyWindow(window);
            }
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: KeyWitness <log file> <stop file>\n");
        return 2;
    }
    g_log = std::fopen(argv[1], "w");
    if (!g_log) return 3;
    g_stopPath = argv[2];
    g_end = GetTickCount64() + kLifetimeMs;

    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WitnessProcedure;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    windowClass.lpszClassName = "KeyWitness";
    if (!RegisterClassA(&windowClass)) return 4;
    HWND window = CreateWindowExA(0, "KeyWitness", "Key witness", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  100, 100, 300, 200, nullptr, nullptr, instance, nullptr);
    if (!window) return 5;
    SetTimer(window, kPollTimer, kPollMs, nullptr);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    std::fclose(g_log);
    return 0;
}
