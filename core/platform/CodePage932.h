// Unicode text as code page 932 (Shift_JIS), the code page of every text the player keeps
// and shows. The conversion itself is the platform's (its code page tables).
#pragma once

#include <string>
#include <string_view>

namespace hgf {

// `text` in code page 932. A character without a code-page-932 form (and an unpaired
// surrogate) becomes "?".
std::string CodePage932FromUtf16(std::u16string_view text);

// UTF-8 as UTF-16 (portable). Each malformed sequence (a stray or missing continuation
// byte, an overlong form, a surrogate, a value above U+10FFFF) becomes U+FFFD.
std::u16string Utf16FromUtf8(std::string_view text);

}  // namespace hgf
