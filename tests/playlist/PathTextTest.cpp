// Path order and separator handling on Shift_JIS text.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "playlist/PathText.h"

namespace hgf {
namespace {

// 表 is 95 5C: its trail byte is the backslash byte.
const std::string kHyou = "\x95\x5c";

TEST(PathText, PathOrderIsCaseBlindAndPutsDoubleByteCharactersLast) {
    std::vector<std::string> paths = {
        "C:\\M\\A\\C",     "C:\\M\\" + kHyou,
        "C:\\M\\\x82\x61",  // Ｂ (full-width capital)
        "C:\\M\\b",        "C:\\M\\A B",
        "C:\\M\\\x82\x81",  // ａ (full-width small)
        "C:\\M\\_",        "c:\\m\\a",        "C:\\M",
        "C:\\M\\\xb1",  // half-width ｱ, single byte
    };
    std::vector<std::string> expected = {
        "C:\\M",    "C:\\M\\_",    "c:\\m\\a",        "C:\\M\\A B",      "C:\\M\\A\\C",
        "C:\\M\\b", "C:\\M\\\xb1", "C:\\M\\\x82\x81", "C:\\M\\\x82\x61", "C:\\M\\" + kHyou,
    };
    std::sort(paths.begin(), paths.end(), [](const std::string& a, const std::string& b) {
        return ComparePathOrder(a, b) < 0;
    });
    EXPECT_EQ(paths, expected);
    EXPECT_EQ(ComparePathOrder("ABC", "abc"), 0);
    EXPECT_EQ(ComparePathOrder("\x82\x60", "\x82\x81"), 0);  // Ａ = ａ
    EXPECT_LT(ComparePathOrder("ab", "abc"), 0);
}

TEST(PathText, SeparatorsAreFoundOnlyOnCharacterBoundaries) {
    EXPECT_EQ(FindLastBackslash("C:\\M\\" + kHyou), 4u);
    EXPECT_EQ(FindLastBackslash(kHyou), std::string::npos);
    EXPECT_EQ(FindLastBackslash("C:\\M\\"), 4u);
    EXPECT_TRUE(EndsWithSeparator("C:\\"));
    EXPECT_TRUE(EndsWithSeparator("C:/M/"));
    EXPECT_FALSE(EndsWithSeparator("C:\\M\\" + kHyou));
    EXPECT_FALSE(EndsWithSeparator(""));
    EXPECT_EQ(WithoutTrailingSeparator("C:\\M\\" + kHyou), "C:\\M\\" + kHyou);
    EXPECT_EQ(WithoutTrailingSeparator("C:\\M\\" + kHyou + "\\"), "C:\\M\\" + kHyou);
    EXPECT_EQ(WithoutTrailingSeparator("C:\\"), "C:");
}

TEST(PathText, AcceptedSuffixesCompareTheLastFourCharacters) {
    for (const char* name :
         {"Song.MP3", "x.Mml", "clip.mpeg", "a.OGG",  "b.mid",  "c.smf",  "d.mp2",
          "e.mpa",    "f.mpe", "g.mpg",     "h.wav",  "i.avi",  "j.asf",  "k.wmv",
          "l.wma",    ".mp3",  "MPEG",      "b.flac", "c.OPUS", "d.FlAc", "\x83\x6d.opus"})
        EXPECT_TRUE(HasAcceptedSuffix(name)) << name;
    for (const char* name : {"a.mp4", "readme.txt", "mp3", "", "a.mp3 ", "x.mp3.bak", "flac",
                             "magnum opus", "b.flac2", "c.ogg.opus.txt"})
        EXPECT_FALSE(HasAcceptedSuffix(name)) << name;
    // ノ (83 6D) then "peg": the last four characters are ノ, p, e, g.
    EXPECT_FALSE(HasAcceptedSuffix("\x83\x6dpeg"));
    EXPECT_TRUE(HasAcceptedSuffix("\x83\x6d.mp3"));
}

}  // namespace
}  // namespace hgf
