#include "win32/KeyboardHook.h"

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
    std::optional<std::uint16_t> key =
        HotkeyOfKeyEvent(code, wParam, static_cast<std::uint64_t>(lParam), KeyDown(VK_CONTROL),
                         KeyDown(VK_SHIFT), KeyDown(VK_MENU));
    if (key) {
        HotkeyTarget target = ReadHotkeyTarget();
        if (target.window) PostMessageA(target.window, target.message, *key, lParam);
    }
    return CallNextHookEx(g_keyboardHook, code, wParam, lParam);
}

}  // namespace hgf
