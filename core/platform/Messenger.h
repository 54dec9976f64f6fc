// Window messages as the portable core sees them: workers and playback watchers
// report to the main window by posting or sending a message number.
#pragma once

#include <cstdint>

namespace hgf {

using WindowHandle = void*;  // an HWND on Windows

struct NotifyTarget {
    WindowHandle window = nullptr;
    unsigned message = 0;
};

class Messenger {
  public:
    virtual ~Messenger() = default;
    // Queues the message and returns at once (PostMessage).
    virtual void Post(WindowHandle window, unsigned message, std::uintptr_t wParam,
                      std::intptr_t lParam) = 0;
    // Delivers the message and waits until the window has handled it (SendMessage).
    virtual std::intptr_t Send(WindowHandle window, unsigned message, std::uintptr_t wParam,
                               std::intptr_t lParam) = 0;
};

}  // namespace hgf
