#include "platform/win32/ProgramFolder.h"

#include <windows.h>

#include "playlist/PathText.h"

namespace hgf {
namespace {
constexpr DWORD kPathBufferSize = 520;
}  // namespace

std::string ProgramPath() {
    char path[kPathBufferSize] = "";
    const DWORD length = GetModuleFileNameA(nullptr, path, kPathBufferSize);
    if (length == 0 || length >= kPathBufferSize) return {};
    return std::string(path, length);
}

std::string BesideProgram(std::string_view fileName) {
    const std::string program = ProgramPath();
    const std::size_t separator = FindLastBackslash(program);
    if (separator == std::string::npos) return {};
    return program.substr(0, separator + 1).append(fileName);
}

}  // namespace hgf
