// Process-wide facts of the core library: its own module handle and the data section
// that every process loading the library shares (read by the keyboard hook).
#pragma once

#include <windows.h>

namespace hgf {

// The core library's module (its window classes, dialog templates and icons); set by
// the library entry point.
HINSTANCE CoreModule();
void SetCoreModule(HINSTANCE module);

// Where the keyboard hook posts the keys it sees: the main window and MSG_HOTKEY.
struct alignas(8) HotkeyTarget {
    HWND window;
    UINT message;
};

// Written once by Start before the hook is installed; read by the hook procedure in
// whichever process it runs.
void PublishHotkeyTarget(HWND window, UINT message);
HotkeyTarget ReadHotkeyTarget();

}  // namespace hgf
