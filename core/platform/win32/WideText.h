// The two ends of every text that goes to Windows or comes back from it. The player keeps
// its texts in code page 932 and hands them to Windows only through the wide-character
// functions, so they read the same whatever the system's ANSI code page is. Header-only, so
// that the program and each of our DLLs can use it without linking the core.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace hgf {

// Code-page-932 text as UTF-16 for a wide-character function. A byte sequence that is no
// character becomes U+FFFD (the system's own rule for invalid input).
inline std::wstring WideFromCodePage932(std::string_view text) {
    if (text.empty() || text.size() > 0x10000000) return {};
    const int length = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(932, 0, text.data(), length, nullptr, 0);
    if (units <= 0) return std::wstring(text.size(), L'\xFFFD');
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(932, 0, text.data(), length, wide.data(), units);
    return wide;
}

// Text from a wide-character function in code page 932. A character code page 932 lacks
// becomes "?" (never a best-fit look-alike); file names take their own route (the short
// path), so this is for texts the user typed or Windows named.
inline std::string CodePage932FromWide(std::wstring_view text) {
    if (text.empty() || text.size() > 0x10000000) return {};
    const int length = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, text.data(), length, nullptr,
                                          0, "?", nullptr);
    if (bytes <= 0) return std::string(text.size(), '?');
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, text.data(), length, out.data(), bytes, "?",
                        nullptr);
    return out;
}

// The text of a zero-terminated wide buffer (a window text, a dialog's path field).
inline std::string CodePage932FromWide(const wchar_t* text) {
    return text ? CodePage932FromWide(std::wstring_view(text)) : std::string();
}

}  // namespace hgf
