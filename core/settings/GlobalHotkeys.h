// What the global keyboard hook reports: the key value of a released key, with at most
// one modifier, as the main window looks it up in the key table.
#pragma once

#include <cstdint>
#include <optional>

namespace hgf {

constexpr int kHookActionCode = 0;  // HC_ACTION

// For a key release (bit 31 of `keyFlags`) seen with the hook code HC_ACTION: the value
// (modifier << 8) | (virtualKey & 0xFF), where the modifier is Ctrl (2) if it is down,
// else Shift (1), else Alt (4), else none. Nothing for any other event. Because only one
// modifier is reported, a binding with two modifiers never fires.
std::optional<std::uint16_t> HotkeyOfKeyEvent(int hookCode, std::uint64_t virtualKey,
                                              std::uint64_t keyFlags, bool ctrlDown, bool shiftDown,
                                              bool altDown);

}  // namespace hgf
