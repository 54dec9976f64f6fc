// Unicode text as code page 932 (Shift_JIS), the code page of every text the player keeps
// and shows. The conversion itself is the platform's (its code page tables).
#pragma once

#include <string>
#include <string_view>

namespace hgf {

// Text in code page 932, and whether it got there without loss.
struct CodePage932Text {
    std::string text;
    bool lossless = true;  // false: some character had no form of its own and became "?"
};

// `text` in code page 932. A character without a code-page-932 form (and an unpaired
// surrogate) becomes "?"; a best-fit look-alike (an "e" for "é") is never used.
CodePage932Text CodePage932TextFromUtf16(std::u16string_view text);

// The same, without telling about losses.
std::string CodePage932FromUtf16(std::u16string_view text);

// UTF-8 in code page 932 (through UTF-16); a malformed sequence is a loss.
CodePage932Text CodePage932TextFromUtf8(std::string_view text);

// Code-page-932 text as UTF-16. A byte sequence that is no character becomes U+FFFD.
std::u16string Utf16FromCodePage932(std::string_view text);

// UTF-8 as UTF-16 (portable). Each malformed sequence (a stray or missing continuation
// byte, an overlong form, a surrogate, a value above U+10FFFF) becomes U+FFFD.
std::u16string Utf16FromUtf8(std::string_view text);

}  // namespace hgf
