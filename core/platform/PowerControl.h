// The machine's power services that the off-timer uses: ending the session, shutting
// down and hibernating. Behind an interface so that tests never take the machine down.
#pragma once

#include <cstdint>

namespace hgf {

class PowerControl {
  public:
    virtual ~PowerControl() = default;
    // True on the NT platform (platform id 2), where shutting down needs a privilege.
    virtual bool IsNtPlatform() = 0;
    // Enables "SeShutdownPrivilege" in the process token; false when it could not.
    virtual bool EnableShutdownPrivilege() = 0;
    // SetSystemPowerState(suspend, force): false for `suspend` hibernates.
    virtual bool SetSystemPowerState(bool suspend, bool force) = 0;
    // ExitWindowsEx(flags, reason): ends the session, shuts down or powers off.
    virtual bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) = 0;
};

}  // namespace hgf
