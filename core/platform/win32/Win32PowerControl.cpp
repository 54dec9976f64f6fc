#include "platform/win32/Win32PowerControl.h"

#include <windows.h>

namespace hgf {

bool Win32PowerControl::IsNtPlatform() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool Win32PowerControl::EnableShutdownPrivilege() {
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid))
        return false;
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token)) return false;
    // AdjustTokenPrivileges succeeds even when it could not assign the privilege; the last
    // error tells.
    bool enabled = AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
                   GetLastError() == ERROR_SUCCESS;
    CloseHandle(token);
    return enabled;
}

bool Win32PowerControl::SetSystemPowerState(bool suspend, bool force) {
    return ::SetSystemPowerState(suspend, force) != FALSE;
}

bool Win32PowerControl::ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) {
    return ::ExitWindowsEx(flags, reason) != FALSE;
}

Win32PowerControl& TheWin32PowerControl() {
    static Win32PowerControl power;
    return power;
}

}  // namespace hgf
