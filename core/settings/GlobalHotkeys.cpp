#include "settings/GlobalHotkeys.h"

#include "settings/KeyAssignment.h"

namespace hgf {

std::optional<std::uint16_t> HotkeyOfKeyEvent(int hookCode, std::uint64_t virtualKey,
                                              std::uint64_t keyFlags, KeyDownQuery keyDown) {
    constexpr std::uint64_t kReleased = 0x80000000u;  // transition state: the key went up
    if (hookCode != kHookActionCode || !(keyFlags & kReleased)) return std::nullopt;
    std::uint16_t modifier = keyDown(kVirtualKeyControl) ? KEY_MOD_CTRL
                             : keyDown(kVirtualKeyShift) ? KEY_MOD_SHIFT
                             : keyDown(kVirtualKeyAlt)   ? KEY_MOD_ALT
                                                         : 0;
    return static_cast<std::uint16_t>(modifier | (virtualKey & 0xFF));
}

}  // namespace hgf
