// Tidying and cutting tag texts.
#include "engines/TagText.h"

#include "playlist/PathText.h"

namespace hgf {

std::string TidyTagText(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

std::string CutShiftJis(std::string_view text, std::size_t maxBytes) {
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t length =
            IsShiftJisLeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
        if (end + length > text.size() || end + length > maxBytes) break;
        end += length;
    }
    return std::string(text.substr(0, end));
}

}  // namespace hgf
