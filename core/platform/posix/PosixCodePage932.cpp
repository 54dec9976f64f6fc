// Code page 932 through iconv (native builds: tests, fuzzers and tools).
#include <iconv.h>

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

    // Converts `size` bytes at `in` into `out`; false when they are no character of the
    // source code page or have no form in the target one.
    bool Convert(const char* in, std::size_t size, std::string& out) {
        char converted[8];
        char* inPointer = const_cast<char*>(in);
        char* outPointer = converted;
        std::size_t outLeft = sizeof converted;
        if (iconv(handle_, &inPointer, &size, &outPointer, &outLeft) == static_cast<size_t>(-1) ||
            size != 0) {
            iconv(handle_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
            return false;
        }
        out.append(converted, static_cast<std::size_t>(outPointer - converted));
        return true;
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

void AppendUtf16Le(std::string& bytes, char16_t unit) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
}

}  // namespace

CodePage932Text CodePage932TextFromUtf16(std::u16string_view text) {
    CodePage932Text out;
    Converter& converter = ToCodePage932();
    if (!converter.IsOpen()) return {std::string(text.size(), '?'), text.empty()};
    // One character (one code unit, or a surrogate pair) at a time, so that each one
    // that cannot be converted becomes a single "?".
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t units = 1;
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
            units = 2;
        std::string in;
        for (std::size_t k = 0; k < units; ++k)
            AppendUtf16Le(in, text[i + k]);
        if (!converter.Convert(in.data(), in.size(), out.text)) {
            out.text.push_back('?');
            out.lossless = false;
        }
        i += units;
    }
    return out;
}

std::u16string Utf16FromCodePage932(std::string_view text) {
    std::u16string out;
    Converter& converter = FromCodePage932();
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const bool pair = ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) &&
                          i + 1 < text.size();
        const std::size_t width = pair ? 2 : 1;
        std::string units;
        if (converter.IsOpen() && converter.Convert(text.data() + i, width, units)) {
            for (std::size_t k = 0; k + 1 < units.size(); k += 2)
                out.push_back(static_cast<char16_t>(static_cast<unsigned char>(units[k]) |
                                                    static_cast<unsigned char>(units[k + 1]) << 8));
        } else {
            out.push_back(0xFFFD);
        }
        i += width;
    }
    return out;
}

}  // namespace hgf
