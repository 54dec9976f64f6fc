#include "TextNormaliser.h"

#include <cstdint>

namespace tonwerkel {

std::vector<char> NormaliseText(const void* source, size_t length) {
    std::vector<char> out(length + 1, '\0');
    const auto* in = static_cast<const uint8_t*>(source);
    size_t written = 0;
    for (size_t i = 0; i < length; ++i) {
        const uint8_t c = in[i];
        if (c >= 'a' && c <= 'z') {
            out[written++] = static_cast<char>(c - 'a' + 'A');
        } else if (c >= 0x21) {
            out[written++] = static_cast<char>(c);
        } else if (c == '\r' || c == '\n') {
            out[written++] = '\0';
        }
        // Space, tab and every other byte below 0x21 are dropped.
    }
    return out;
}

std::vector<std::string_view> SplitLines(const std::vector<char>& text) {
    std::vector<std::string_view> lines;
    size_t begin = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\0') {
            lines.emplace_back(text.data() + begin, i - begin);
            begin = i + 1;
        }
    }
    if (begin < text.size()) lines.emplace_back(text.data() + begin, text.size() - begin);
    return lines;
}

}  // namespace tonwerkel
