// Decisions of the notification-area icon that need no shell: the tooltip that fits the
// icon record, and which systems load the icon in VGA colours.
#pragma once

#include <string>
#include <string_view>

namespace hgf {

constexpr std::size_t kTrayTooltipLimit = 127;  // characters before the terminator

// `title` cut to at most 127 bytes, never between the two bytes of a Shift_JIS character.
std::string TrayTooltipText(std::string_view title);

// True on the systems whose shell shows the icon best in VGA colours: 4.0 to 4.10, and 5.0.
bool UseVgaColourIcon(unsigned majorVersion, unsigned minorVersion);

}  // namespace hgf
