// The portable half of the Unicode conversions: decoding UTF-8.
#include "platform/CodePage932.h"

#include <cstdint>

namespace hgf {

std::u16string Utf16FromUtf8(std::string_view text) {
    constexpr char16_t kReplacement = 0xFFFD;
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int length;
        char32_t value;
        char32_t minimum;
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, value = lead & 0x1F, minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, value = lead & 0x0F, minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, value = lead & 0x07, minimum = 0x10000;
        } else {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        int taken = 1;
        for (; taken < length && i + taken < text.size(); ++taken) {
            const auto next = static_cast<unsigned char>(text[i + taken]);
            if ((next & 0xC0) != 0x80) break;
            value = (value << 6) | (next & 0x3F);
        }
        i += static_cast<std::size_t>(taken);
        if (taken < length || value < minimum || value > 0x10FFFF ||
            (value >= 0xD800 && value <= 0xDFFF)) {
            out.push_back(kReplacement);
        } else if (value >= 0x10000) {
            value -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (value >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (value & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(value));
        }
    }
    return out;
}

std::string CodePage932FromUtf16(std::u16string_view text) {
    return CodePage932TextFromUtf16(text).text;
}

CodePage932Text CodePage932TextFromUtf8(std::string_view text) {
    return CodePage932TextFromUtf16(Utf16FromUtf8(text));
}

}  // namespace hgf
