// Code page 932 through iconv (native builds: tests, fuzzers and tools).
#include <iconv.h>

#include <cerrno>
#include <cstdint>

#include "platform/CodePage932.h"

namespace hgf {

std::string CodePage932FromUtf16(std::u16string_view text) {
    std::string out;
    iconv_t converter = iconv_open("CP932", "UTF-16LE");
    if (converter == reinterpret_cast<iconv_t>(-1)) return std::string(text.size(), '?');
    // One character (one code unit, or a surrogate pair) at a time, so that each one
    // that cannot be converted becomes a single "?".
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t units = 1;
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
            units = 2;
        char in[4];
        for (std::size_t k = 0; k < units; ++k) {
            in[2 * k] = static_cast<char>(text[i + k] & 0xFF);
            in[2 * k + 1] = static_cast<char>(text[i + k] >> 8);
        }
        char converted[8];
        char* inPointer = in;
        std::size_t inLeft = units * 2;
        char* outPointer = converted;
        std::size_t outLeft = sizeof converted;
        if (iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft) ==
            static_cast<size_t>(-1)) {
            iconv(converter, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
            out.push_back('?');
        } else {
            out.append(converted, static_cast<std::size_t>(outPointer - converted));
        }
        i += units;
    }
    iconv_close(converter);
    return out;
}

}  // namespace hgf
