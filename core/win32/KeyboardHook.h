// The global keyboard hook: installed for all threads from the core library, it reports
// every key release to the main window named in the shared section, as MSG_HOTKEY, and only
// when the section names MSG_HOTKEY and a window of the player's class.
#pragma once

#include <windows.h>

namespace hgf {

// Installs the hook (WH_KEYBOARD, all threads, the core module); false when the system
// refused it (the bindings then do nothing). A second call keeps the first hook.
bool InstallKeyboardHook();
// Removes the hook if this process installed one.
void RemoveKeyboardHook();
bool KeyboardHookInstalled();

// The hook procedure. It runs in whichever process receives keyboard input, posts
// MSG_HOTKEY for a key release, and always passes the event on: the key is never
// swallowed. Negative codes are passed on at once; other events cost nothing but the
// pass-on.
LRESULT CALLBACK KeyboardHookProcedure(int code, WPARAM wParam, LPARAM lParam);

}  // namespace hgf
