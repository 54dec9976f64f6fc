#include "win32/KeyboardHook.h"

#include <cstring>

#include "CoreIds.h"
#include "settings/GlobalHotkeys.h"
#include "win32/CoreModule.h"

namespace hgf {
namespace {

// The hook of this process (an ordinary, process-local global; the window and message
// that the procedure posts to live in the shared section instead).
HHOOK g_keyboardHook = nullptr;

bool KeyDown(int virtualKey) {
    return GetKeyState(virtualKey) < 0;
}

// Whether the shared section names the player: its hot-key message and a window of the
// player's class. Every program that maps the library can write the section, so nothing in
// it is trusted; the class name is read without sending the window anything.
bool IsPlayerTarget(const HotkeyTarget& target) {
    if (target.message != MSG_HOTKEY || !target.window) return false;
    char className[sizeof kMainWindowClass + 1];
    int length = GetClassNameA(target.window, className, sizeof className);
    return length == sizeof kMainWindowClass - 1 &&
           std::memcmp(className, kMainWindowClass, sizeof kMainWindowClass - 1) == 0;
}

}  // namespace

bool InstallKeyboardHook() {
    if (!g_keyboardHook)
        g_keyboardHook = SetWindowsHookExA(WH_KEYBOARD, KeyboardHookProcedure, CoreModule(), 0);
    return g_keyboardHook != nullptr;
}

void RemoveKeyboardHook() {
    if (g_keyboardHook) UnhookWindowsHookEx(g_keyboardHook);
    g_keyboardHook = nullptr;
}

bool KeyboardHookInstalled() {
    return g_keyboardHook != nullptr;
}

LRESULT CALLBACK KeyboardHookProcedure(int code, WPARAM wParam, LPARAM lParam) {
    if (code < 0) return CallNextHookEx(g_keyboardHook, code, wParam, lParam);
    std::optional<std::uint16_t> key =
        HotkeyOfKeyEvent(code, wParam, static_cast<std::uint64_t>(lParam), KeyDown);
    if (key) {
        HotkeyTarget target = ReadHotkeyTarget();
        if (IsPlayerTarget(target)) PostMessageA(target.window, MSG_HOTKEY, *key, lParam);
    }
    return CallNextHookEx(g_keyboardHook, code, wParam, lParam);
}

}  // namespace hgf
