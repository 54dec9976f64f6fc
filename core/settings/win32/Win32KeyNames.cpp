#include "settings/win32/Win32KeyNames.h"

#include <windows.h>

namespace hgf {
namespace {

constexpr int kKeyNameLimit = 100;  // characters

}  // namespace

std::uint32_t Win32KeyNames::NameArgument(std::uint8_t virtualKey) {
    return static_cast<std::uint32_t>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC)) << 16;
}

std::string Win32KeyNames::Name(std::uint32_t argument) {
    char name[kKeyNameLimit + 1] = "";
    int length = GetKeyNameTextA(static_cast<LONG>(argument), name, sizeof name);
    return length > 0 ? std::string(name, static_cast<std::size_t>(length)) : std::string();
}

}  // namespace hgf
