// Code page 932 through iconv (native builds: tests, fuzzers and tools).
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "platform/CodePage932.h"

namespace hgf {
namespace {

// One iconv conversion, closed with its owner.
class Converter {
  public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Converter() {
        if (IsOpen()) iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool IsOpen() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    // Converts `in` into `out`. Where the input holds no character of the source code page,
    // or one without a form in the target, `skip(offset)` is told the input offset of that
    // character and returns how many bytes it takes; it may add to `out` in its place.
    template <typename Skip>
    void Convert(std::string_view in, std::string& out, Skip skip) {
        char* inPointer = const_cast<char*>(in.data());
        std::size_t inLeft = in.size();
        char buffer[4096];
        while (inLeft > 0) {
            char* outPointer = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t result = iconv(handle_, &inPointer, &inLeft, &outPointer, &outLeft);
            out.append(buffer, static_cast<std::size_t>(outPointer - buffer));
            if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
            iconv(handle_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
            const std::size_t skipped =
                std::min(inLeft, skip(static_cast<std::size_t>(inPointer - in.data())));
            inPointer += skipped;
            inLeft -= skipped;
        }
    }

  private:
    iconv_t handle_;
};

// One converter each way per thread: opening one costs far more than a short conversion.
Converter& ToCodePage932() {
    thread_local Converter converter("CP932", "UTF-16LE");
    return converter;
}
Converter& FromCodePage932() {
    thread_local Converter converter("UTF-16LE", "CP932");
    return converter;
}

}  // namespace

CodePage932Text CodePage932TextFromUtf16(std::u16string_view text) {
    Converter& converter = ToCodePage932();
    if (!converter.IsOpen()) return {std::string(text.size(), '?'), text.empty()};
    std::string bytes;  // little-endian UTF-16
    bytes.reserve(text.size() * 2);
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    // Each character that cannot be converted (one unit, or a surrogate pair) is one "?".
    CodePage932Text out;
    converter.Convert(bytes, out.text, [&](std::size_t offset) -> std::size_t {
        out.text.push_back('?');
        out.lossless = false;
        const std::size_t i = offset / 2;
        const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() &&
                          text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        return pair ? 4 : 2;
    });
    return out;
}

std::u16string Utf16FromCodePage932(std::string_view text) {
    Converter& converter = FromCodePage932();
    if (!converter.IsOpen()) return std::u16string(text.size(), u'\xFFFD');
    std::string units;  // little-endian UTF-16
    converter.Convert(text, units, [&](std::size_t offset) -> std::size_t {
        units.append("\xFD\xFF", 2);  // U+FFFD for a byte sequence that is no character
        const auto lead = static_cast<unsigned char>(text[offset]);
        const bool pair = ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) &&
                          offset + 1 < text.size();
        return pair ? 2 : 1;
    });
    std::u16string out;
    out.reserve(units.size() / 2);
    for (std::size_t k = 0; k + 1 < units.size(); k += 2)
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(units[k]) |
                                            static_cast<unsigned char>(units[k + 1]) << 8));
    return out;
}

}  // namespace hgf
