#include "TrayIconRules.h"

#include "playlist/PathText.h"

namespace hgf {

std::string TrayTooltipText(std::string_view title) {
    std::size_t end = 0;
    while (end < title.size()) {
        std::size_t width = IsShiftJisLeadByte(static_cast<unsigned char>(title[end])) ? 2 : 1;
        if (end + width > kTrayTooltipLimit || end + width > title.size()) break;
        end += width;
    }
    return std::string(title.substr(0, end));
}

bool UseVgaColourIcon(unsigned majorVersion, unsigned minorVersion) {
    return (majorVersion == 4 && minorVersion <= 10) || (majorVersion == 5 && minorVersion == 0);
}

}  // namespace hgf
