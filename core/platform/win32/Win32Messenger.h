// Window messages through PostMessageA / SendMessageA.
#pragma once

#include "platform/Messenger.h"

namespace hgf {

class Win32Messenger final : public Messenger {
  public:
    void Post(WindowHandle window, unsigned message, std::uintptr_t wParam,
              std::intptr_t lParam) override;
    std::intptr_t Send(WindowHandle window, unsigned message, std::uintptr_t wParam,
                       std::intptr_t lParam) override;
};

// The process-wide instance.
Win32Messenger& TheWin32Messenger();

}  // namespace hgf
