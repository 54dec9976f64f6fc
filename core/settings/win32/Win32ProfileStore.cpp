// GetPrivateProfileStringA / WritePrivateProfileStringA on one INI file (its values keep
// their code-page-932 bytes).
#include "settings/win32/Win32ProfileStore.h"

#include <windows.h>

#include "platform/win32/ProgramFolder.h"

namespace hgf {

namespace {
constexpr DWORD kBufferSize = 520;  // characters, the terminating NUL included
}  // namespace

std::string Win32ProfileStore::GetString(const std::string& section, const std::string& key,
                                         const std::string& defaultValue) {
    char buffer[kBufferSize] = {};
    DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(),
                                            buffer, kBufferSize, iniPath_.c_str());
    return std::string(buffer, length < kBufferSize ? length : kBufferSize - 1);
}

bool Win32ProfileStore::WriteString(const std::string& section, const std::string& key,
                                    const std::string& value) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(),
                                      iniPath_.c_str()) != 0;
}

std::string ProgramIniPath() {
    wchar_t module[kBufferSize] = {};
    const DWORD length = GetModuleFileNameW(nullptr, module, kBufferSize);
    if (length < 3 || length >= kBufferSize) return {};
    const std::wstring path(module, length);
    const std::size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos) return {};
    // The INI functions take the system's ANSI code page: a folder beyond it goes by its
    // short path; the file keeps the program's own name.
    const std::string folder = AnsiCodePagePath(path.substr(0, separator));
    std::wstring name = path.substr(separator + 1);
    name.replace(name.size() - 3, 3, L"ini");
    const std::string narrowName = AnsiCodePagePath(name);
    if (folder.empty() || narrowName.empty()) return {};
    return folder + "\\" + narrowName;
}

}  // namespace hgf
