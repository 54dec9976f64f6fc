// Code page 932 through the system's own tables (WideCharToMultiByte, MultiByteToWideChar).
#include <windows.h>

#include "platform/CodePage932.h"
#include "platform/win32/WideText.h"

namespace hgf {

CodePage932Text CodePage932TextFromUtf16(std::u16string_view text) {
    // Code page 932 has no character beyond the first plane: each surrogate pair (and each
    // unpaired surrogate) becomes one "?" before the conversion.
    CodePage932Text out;
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
        out.lossless = false;
    }
    if (wide.empty()) return out;
    if (wide.size() > 0x10000000) return {std::string(wide.size(), '?'), false};
    const int length = static_cast<int>(wide.size());
    // No best-fit look-alikes: a character without its own form becomes "?", and counts.
    const DWORD flags = WC_NO_BEST_FIT_CHARS;
    const char defaultChar[] = "?";
    const int bytes =
        WideCharToMultiByte(932, flags, wide.data(), length, nullptr, 0, defaultChar, nullptr);
    if (bytes <= 0) return {std::string(wide.size(), '?'), false};
    out.text.assign(static_cast<std::size_t>(bytes), '\0');
    BOOL usedDefault = FALSE;
    WideCharToMultiByte(932, flags, wide.data(), length, out.text.data(), bytes, defaultChar,
                        &usedDefault);
    if (usedDefault) out.lossless = false;
    return out;
}

std::u16string Utf16FromCodePage932(std::string_view text) {
    const std::wstring wide = WideFromCodePage932(text);
    return std::u16string(wide.begin(), wide.end());
}

}  // namespace hgf
