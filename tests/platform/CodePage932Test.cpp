// The conversions to and from code page 932, natively (iconv) and under Windows (the
// system's tables): the same text and the same word on losses from both.
#include <gtest/gtest.h>

#include <string>

#include "platform/CodePage932.h"

namespace hgf {
namespace {

TEST(CodePage932, TellsWhichTextConvertsWithoutLoss) {
    struct Case {
        std::u16string text;
        std::string converted;
        bool lossless;
    };
    const Case cases[] = {
        {u"", "", true},
        {u"C:\\曲\\表.ogg", "C:\\\x8b\xc8\\\x95\x5c.ogg", true},
        {u"ｱ?", "\xb1?", true},                   // half-width kana; a question mark as such
        {u"Beyoncé", "Beyonc?", false},           // never a best-fit "e"
        {u"Sigur Rós", "Sigur R?s", false},
        {u"아리랑", "???", false},
        {u"\U0001F3B5 Theme", "? Theme", false},  // a pair is one character
        {u"a\xD800" u"b", "a?b", false},          // an unpaired surrogate
    };
    for (const Case& c : cases) {
        CodePage932Text out = CodePage932TextFromUtf16(c.text);
        EXPECT_EQ(out.text, c.converted) << out.text;
        EXPECT_EQ(out.lossless, c.lossless) << out.text;
        EXPECT_EQ(CodePage932FromUtf16(c.text), c.converted);
    }
}

TEST(CodePage932, ReadsUtf8AndBackFromCodePage932) {
    CodePage932Text fromUtf8 = CodePage932TextFromUtf8("\xe6\x9b\xb2 \xc3\xa9");  // "曲 é"
    EXPECT_EQ(fromUtf8.text, "\x8b\xc8 ?");
    EXPECT_FALSE(fromUtf8.lossless);
    fromUtf8 = CodePage932TextFromUtf8("ok\xff");  // malformed UTF-8
    EXPECT_EQ(fromUtf8.text, "ok?");
    EXPECT_FALSE(fromUtf8.lossless);

    EXPECT_EQ(Utf16FromCodePage932("C:\\\x95\x5c\\\x83\x5c.ogg"), u"C:\\表\\ソ.ogg");
    EXPECT_EQ(Utf16FromCodePage932("\xb1"), u"ｱ");
    EXPECT_EQ(Utf16FromCodePage932(""), u"");
}

}  // namespace
}  // namespace hgf
