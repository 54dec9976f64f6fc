// What the global keyboard hook reports: the key value of a released key, with at most
// one modifier, as the main window looks it up in the key table.
#pragma once

#include <cstdint>
#include <optional>

namespace hgf {

constexpr int kHookActionCode = 0;  // HC_ACTION

// The modifier keys as the system numbers them (VK_SHIFT, VK_CONTROL, VK_MENU).
constexpr int kVirtualKeyShift = 0x10;
constexpr int kVirtualKeyControl = 0x11;
constexpr int kVirtualKeyAlt = 0x12;

// Whether a modifier key is down (GetKeyState on Windows).
using KeyDownQuery = bool (*)(int virtualKey);

// For a key release (bit 31 of `keyFlags`) seen with the hook code HC_ACTION: the value
// (modifier << 8) | (virtualKey & 0xFF), where the modifier is Ctrl (2) if it is down,
// else Shift (1), else Alt (4), else none. Nothing for any other event. The hook runs in
// every program that receives keys, so `keyDown` is asked only for a release, and only until
// one modifier is down. Because only one modifier is reported, a binding with two modifiers
// never fires.
std::optional<std::uint16_t> HotkeyOfKeyEvent(int hookCode, std::uint64_t virtualKey,
                                              std::uint64_t keyFlags, KeyDownQuery keyDown);

}  // namespace hgf
