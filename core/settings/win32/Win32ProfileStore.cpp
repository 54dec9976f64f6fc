// GetPrivateProfileStringA / WritePrivateProfileStringA on one INI file.
#include "settings/win32/Win32ProfileStore.h"

#include <windows.h>

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
    char buffer[kBufferSize] = {};
    DWORD length = GetModuleFileNameA(nullptr, buffer, kBufferSize);
    if (length < 3 || length >= kBufferSize) return {};
    std::string path(buffer, length);
    path.replace(path.size() - 3, 3, "ini");
    return path;
}

}  // namespace hgf
