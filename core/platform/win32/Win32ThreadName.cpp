#include <windows.h>

#include <string>

#include "platform/ThreadName.h"

namespace hgf {

void NameCurrentThread(const char* name) {
    // Windows 10 1607 and later; earlier systems keep their threads unnamed.
    using SetThreadDescriptionProc = HRESULT(WINAPI*)(HANDLE, PCWSTR);
    static const auto setDescription =
        reinterpret_cast<SetThreadDescriptionProc>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetThreadDescription")));
    if (!setDescription) return;
    const std::wstring wide(name, name + std::char_traits<char>::length(name));
    setDescription(GetCurrentThread(), wide.c_str());
}

}  // namespace hgf
