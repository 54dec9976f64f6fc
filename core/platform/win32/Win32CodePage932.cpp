// Code page 932 through the system's own tables (WideCharToMultiByte).
#include <windows.h>

#include "platform/CodePage932.h"

namespace hgf {

std::string CodePage932FromUtf16(std::u16string_view text) {
    // Code page 932 has no character beyond the first plane: each surrogate pair (and each
    // unpaired surrogate) becomes one "?" before the conversion.
    std::wstring wide;
    wide.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit < 0xD800 || unit > 0xDFFF) {
            wide.push_back(static_cast<wchar_t>(unit));
            continue;
        }
        if (unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            ++i;
        wide.push_back(L'?');
    }
    if (wide.empty() || wide.size() > 0x10000000) return std::string(wide.size(), '?');
    const int length = static_cast<int>(wide.size());
    // No best-fit look-alikes: a character without its own form becomes "?".
    const DWORD flags = WC_NO_BEST_FIT_CHARS;
    const char defaultChar[] = "?";
    const int bytes =
        WideCharToMultiByte(932, flags, wide.data(), length, nullptr, 0, defaultChar, nullptr);
    if (bytes <= 0) return std::string(wide.size(), '?');
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(932, flags, wide.data(), length, out.data(), bytes, defaultChar, nullptr);
    return out;
}

}  // namespace hgf
