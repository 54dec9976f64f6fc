// Titles from the Vorbis comments of Ogg Vorbis, FLAC, Ogg FLAC and Opus files, converted
// to code page 932 by the platform (iconv natively, the system's tables under Wine).
#include <gtest/gtest.h>

#include "MemoryFileSystem.h"
#include "OggTestFiles.h"
#include "StreamTestFiles.h"
#include "engines/StreamTags.h"
#include "platform/CodePage932.h"

namespace hgf {
namespace {

using test::EncodeFlac;
using test::EncodeOpus;

std::string TitleOf(const std::string& bytes) {
    test::MemoryFileSystem files;
    files.AddFile("C:\\m\\x", bytes);
    std::string title = "unchanged";
    if (!ReadStreamTitle(files, "C:\\m\\x", &CodePage932FromUtf16, title)) return "(none)";
    EXPECT_EQ(files.OpenFileCount(), 0);
    return title;
}

TEST(StreamTags, TitlesComeFromTheCommentsOfEachKindInCodePage932) {
    const std::string japanese = "\xE6\x9C\x9D\xE3\x81\xAE\xE6\xAD\x8C";  // 朝の歌
    const std::string japaneseSjis = "\x92\xA9\x82\xCC\x89\xCC";
    std::string longTitle, longTitleSjis;
    for (int i = 0; i < 200; ++i)
        longTitle += "\xE3\x81\x82";  // あ: 2 bytes in code page 932
    for (int i = 0; i < 127; ++i)
        longTitleSjis += "\x82\xA0";
    const std::pair<std::string, std::string> cases[] = {
        {test::EncodeTone({.seconds = 0.2, .title = "Morning"}), "Morning"},
        {EncodeFlac({.seconds = 0.2, .title = japanese}), japaneseSjis},
        {EncodeFlac({.seconds = 0.2, .title = "Ogg " + japanese}, true), "Ogg " + japaneseSjis},
        {EncodeOpus({.seconds = 0.2, .title = "Opus\ttitle  "}), "Opus title"},
        // What code page 932 lacks becomes the replacement mark.
        {EncodeOpus({.seconds = 0.2, .title = "Caf\xC3\xA9 \xF0\x9F\x8E\xB5"}), "Caf? ?"},
        // Cut to 255 bytes without splitting a character.
        {EncodeFlac({.seconds = 0.2, .title = longTitle}), longTitleSjis},
        {EncodeFlac({.seconds = 0.2}), "(none)"},
        {EncodeOpus({.seconds = 0.2}), "(none)"},
        {EncodeFlac({.seconds = 0.2, .title = " "}), "(none)"},
        {"ID3\x03" + std::string(200, '\0'), "(none)"},
        {"", "(none)"},
    };
    for (const auto& [bytes, title] : cases)
        EXPECT_EQ(TitleOf(bytes), title);
}

TEST(StreamTags, DamagedHeadersGiveNoTitle) {
    const std::string flac = EncodeFlac({.seconds = 0.2, .title = "Song"});
    const std::string opus = EncodeOpus({.seconds = 0.2, .title = "Song"});
    // The comment block claims more entries and bytes than it holds.
    std::string lying = flac;
    const std::size_t at = lying.find("Song") - 4 - 6;  // the entry's length field
    lying[at] = '\xFF';
    lying[at + 1] = '\xFF';
    EXPECT_EQ(TitleOf(lying), "(none)");
    EXPECT_EQ(TitleOf(flac.substr(0, flac.find("Song"))), "(none)");
    EXPECT_EQ(TitleOf(opus.substr(0, opus.find("Song"))), "(none)");
    // A damaged comment page is skipped like any page that fails its check.
    std::string damaged = opus;
    damaged[opus.find("Song")] ^= 0x20;
    EXPECT_EQ(TitleOf(damaged), "(none)");
}

}  // namespace
}  // namespace hgf
