#include "settings/win32/KeyNames.h"

#include "settings/KeyAssignment.h"

namespace hgf {
namespace {

constexpr int kKeyNameSize = 101;  // at most 100 characters

std::string KeyText(std::uint16_t key, LONG nameArgument) {
    if (key == 0) return FormatKeyText(0, {}, 0);
    char name[kKeyNameSize] = "";
    if (GetKeyNameTextA(nameArgument, name, sizeof name) <= 0) name[0] = '\0';
    return FormatKeyText(key, name, static_cast<std::uint32_t>(nameArgument));
}

}  // namespace

std::string KeyTextForValue(std::uint16_t key) {
    UINT scanCode = MapVirtualKeyA(key & 0xFF, MAPVK_VK_TO_VSC);
    return KeyText(key, static_cast<LONG>(scanCode << 16));
}

std::string KeyTextForMessage(std::uint16_t key, LPARAM keyMessageParam) {
    return KeyText(key, static_cast<LONG>(keyMessageParam));
}

}  // namespace hgf
