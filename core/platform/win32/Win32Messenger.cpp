#include "platform/win32/Win32Messenger.h"

#include <windows.h>

namespace hgf {

void Win32Messenger::Post(WindowHandle window, unsigned message, std::uintptr_t wParam,
                          std::intptr_t lParam) {
    PostMessageW(static_cast<HWND>(window), message, wParam, lParam);
}

std::intptr_t Win32Messenger::Send(WindowHandle window, unsigned message, std::uintptr_t wParam,
                                   std::intptr_t lParam) {
    return SendMessageW(static_cast<HWND>(window), message, wParam, lParam);
}

Win32Messenger& TheWin32Messenger() {
    static Win32Messenger messenger;
    return messenger;
}

}  // namespace hgf
