// The machine's power services through the system: version, token privileges,
// SetSystemPowerState and ExitWindowsEx.
#pragma once

#include "platform/PowerControl.h"

namespace hgf {

class Win32PowerControl final : public PowerControl {
  public:
    bool IsNtPlatform() override;
    bool EnableShutdownPrivilege() override;
    bool SetSystemPowerState(bool suspend, bool force) override;
    bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override;
};

// The process-wide instance.
Win32PowerControl& TheWin32PowerControl();

}  // namespace hgf
