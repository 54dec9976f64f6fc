#include "TextNormaliser.h"

#include <gtest/gtest.h>

#include <string>

namespace tonwerkel {
namespace {

std::string Normalised(const std::string& s) {
    const std::vector<char> out = NormaliseText(s.data(), s.size());
    return std::string(out.begin(), out.end());
}

TEST(TextNormaliser, UpperCasesDropsBlanksAndEndsLinesWithNul) {
    using namespace std::string_literals;
    EXPECT_EQ(Normalised("1: c d\te\r\n"), "1:CDE\0\0\0\0\0\0"s);
    // Same length as the source plus one NUL; the tail is padding.
    EXPECT_EQ(Normalised("ab").size(), 3u);
    // Bytes below 0x21 other than CR and LF vanish, NUL included.
    EXPECT_EQ(Normalised("a\x01\x00"s
                         "b\x1f"),
              "AB\0\0\0\0"s);
    // Double-byte characters and everything from 0x7B up pass unchanged.
    EXPECT_EQ(Normalised("\x82\xa0{|}~\x7f\xff"), "\x82\xa0{|}~\x7f\xff\0"s);
}

TEST(TextNormaliser, SplitsIntoLinesIncludingEmptyOnes) {
    const std::string src = "1:c\r\n;x\n\nD:a";
    const std::vector<char> text = NormaliseText(src.data(), src.size());
    const std::vector<std::string_view> lines = SplitLines(text);
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[0], "1:C");
    EXPECT_EQ(lines[1], "");  // between CR and LF
    EXPECT_EQ(lines[2], ";X");
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[4], "D:A");
    for (size_t i = 5; i < lines.size(); ++i)
        EXPECT_EQ(lines[i], "");
}

}  // namespace
}  // namespace tonwerkel
