#include "settings/win32/KeyNames.h"

#include "platform/win32/WideText.h"
#include "settings/KeyAssignment.h"

namespace hgf {
namespace {

constexpr int kKeyNameSize = 101;  // at most 100 characters

std::string KeyText(std::uint16_t key, LONG nameArgument) {
    if (key == 0) return FormatKeyText(0, {}, 0);
    // The name as the layout gives it, in code page 932 (the text the settings keep).
    wchar_t name[kKeyNameSize] = L"";
    if (GetKeyNameTextW(nameArgument, name, kKeyNameSize) <= 0) name[0] = L'\0';
    return FormatKeyText(key, CodePage932FromWide(name), static_cast<std::uint32_t>(nameArgument));
}

}  // namespace

std::string KeyTextForValue(std::uint16_t key) {
    UINT scanCode = MapVirtualKeyW(key & 0xFF, MAPVK_VK_TO_VSC);
    return KeyText(key, static_cast<LONG>(scanCode << 16));
}

std::string KeyTextForMessage(std::uint16_t key, LPARAM keyMessageParam) {
    return KeyText(key, static_cast<LONG>(keyMessageParam));
}

}  // namespace hgf
