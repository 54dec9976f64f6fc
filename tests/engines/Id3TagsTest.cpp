// Tag texts through vbmp3_getFileTagInfo: the ID3v2 versions and text encodings, the
// ways writers store them, the ID3v1 fallback, and the record's limits.
#include <gtest/gtest.h>

#include "FakeWaveOutput.h"
#include "Id3Tags.h"
#include "MemoryFileSystem.h"
#include "Mp3TestFiles.h"
#include "Vbmp3Platform.h"
#include "platform/CodePage932.h"
#include "vbmp3.h"

namespace hgf {
namespace {

using test::Id3Frame;
using test::Id3v1Tag;
using test::Id3v2Tag;
using test::TextBody;
using test::Utf16Bytes;

// 日本語 in code page 932, and in UTF-16 and UTF-8.
const std::string kNihongoSjis = "\x93\xFA\x96\x7B\x8C\xEA";
const std::u16string kNihongo = u"\u65E5\u672C\u8A9E";
const std::string kNihongoUtf8 = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";
// 表 (its trail byte is a backslash byte) and ソ.
const std::string kHyouSjis = "\x95\x5C";
const std::string kSoSjis = "\x83\x5C";

class Id3TagsTest : public ::testing::Test {
  protected:
    Id3TagsTest() { vbmp3::InstallPlatform({&files, &output, &CodePage932FromUtf16}); }
    ~Id3TagsTest() override { vbmp3::InstallPlatform({}); }

    // The record vbmp3_getFileTagInfo fills for a file of `bytes` (the audio does not
    // matter to the tags); nothing when it returns 0.
    std::optional<VBMP3_TAG_INFO> Tags(const std::string& bytes) {
        files.AddFile("C:\\music\\song.mp3", bytes);
        VBMP3_TAG_INFO tag;
        std::memset(&tag, 0x55, sizeof tag);
        const int32_t result = vbmp3_getFileTagInfo("C:\\music\\song.mp3", &tag);
        EXPECT_EQ(files.OpenFileCount(), 0);
        if (result != 1) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(tag.title[0], '\0');
            return std::nullopt;
        }
        return tag;
    }
    std::string Title(const std::string& bytes) {
        std::optional<VBMP3_TAG_INFO> tag = Tags(bytes);
        return tag ? std::string(tag->title) : "(no tag)";
    }

    const std::string audio = test::SilentFrames(3);
    test::MemoryFileSystem files;
    test::FakeWaveOutput output;
};

TEST_F(Id3TagsTest, EachVersionNamesItsTextFrames) {
    auto tag = Tags(Id3v2Tag({{"TT2", TextBody(0, "Two two")},
                              {"TP1", TextBody(0, "Artist")},
                              {"TAL", TextBody(0, "Album")}},
                             {.major = 2}) +
                    audio);
    ASSERT_TRUE(tag);
    EXPECT_STREQ(tag->title, "Two two");
    EXPECT_STREQ(tag->artist, "Artist");
    EXPECT_STREQ(tag->album, "Album");
    // Frames the reader does not know are passed over; the first title frame counts.
    EXPECT_EQ(Title(Id3v2Tag({{"TSSE", TextBody(0, "encoder")},
                              {"TIT2", TextBody(0, "Two three")},
                              {"TIT2", TextBody(0, "second")}}) +
                    audio),
              "Two three");
    EXPECT_EQ(Title(Id3v2Tag({{"TPE1", TextBody(0, "a")}, {"TIT2", TextBody(0, "Two four")}},
                             {.major = 4, .padding = 300}) +
                    audio),
              "Two four");
}

TEST_F(Id3TagsTest, TextEncodingsComeOutInCodePage932) {
    const std::pair<const char*, std::string> cases[] = {
        {"ISO-8859-1 holding Shift_JIS", TextBody(0, kNihongoSjis + kHyouSjis + '\0' + "x")},
        {"UTF-16 little-endian", TextBody(1, Utf16Bytes(kNihongo + u"\u8868", false, true))},
        {"UTF-16 big-endian with its mark",
         TextBody(1, Utf16Bytes(kNihongo + u"\u8868", true, true))},
        {"UTF-16 without a mark", TextBody(1, Utf16Bytes(kNihongo + u"\u8868", false, false))},
        {"UTF-16BE", TextBody(2, Utf16Bytes(kNihongo + u"\u8868", true, false))},
        {"UTF-8", TextBody(3, kNihongoUtf8 + "\xE8\xA1\xA8" + std::string(1, '\0') + "rest")},
    };
    for (const auto& [name, body] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Title(Id3v2Tag({{"TIT2", body}}, {.major = 4}) + audio),
                  kNihongoSjis + kHyouSjis);
    }
    // Characters without a code page 932 form: each one becomes "?".
    EXPECT_EQ(
        Title(Id3v2Tag({{"TIT2", TextBody(1, Utf16Bytes(u"a\u0E01\U0001F600b", false, true))}}) +
              audio),
        "a??b");
    EXPECT_EQ(Title(Id3v2Tag({{"TIT2", TextBody(3, "a\xFF\xC0\x80z")}}, {.major = 4}) + audio),
              "a???z");
    // An encoding that does not exist gives an empty title.
    EXPECT_EQ(Title(Id3v2Tag({{"TIT2", TextBody(7, "x")}}) + audio), "");
}

TEST_F(Id3TagsTest, WritersWaysOfStoringFramesAreUndone) {
    // A 2.3 tag unsynchronised as a whole: 0xFF 0x00 stands for 0xFF in the frames.
    std::string body = TextBody(1, Utf16Bytes(u"\u30BD", false, true));  // FF FE BD 30
    std::string tag = Id3v2Tag({{"TIT2", body}}, {.flags = 0x80});
    const std::size_t mark = tag.find("\xFF\xFE", 10);
    ASSERT_NE(mark, std::string::npos);
    tag.insert(mark + 1, 1, '\0');
    tag[9] = static_cast<char>(tag[9] + 1);  // the stored size grew by the inserted byte
    EXPECT_EQ(Title(tag + audio), kSoSjis);

    // 2.4 frames with a data length indicator and their own unsynchronisation.
    std::string frame =
        std::string("\0\0\0\x05", 4) + TextBody(1, std::string("\xFF\x00\xFE\xBD\x30", 5));
    EXPECT_EQ(Title(Id3v2Tag({{"TIT2", frame, 0x03}}, {.major = 4}) + audio), kSoSjis);
    // A group byte; compressed and encrypted frames are passed over.
    const std::string groupedBody = TextBody(0, "grouped");
    const std::string grouped = "\x07" + groupedBody;
    EXPECT_EQ(Title(Id3v2Tag({{"TIT2", grouped, 0x40}}, {.major = 4}) + audio), "grouped");
    EXPECT_EQ(Title(Id3v2Tag({{"TIT2", grouped, 0x20}}) + audio), "grouped");
    EXPECT_EQ(
        Title(Id3v2Tag({{"TIT2", TextBody(0, "zipped"), 0x80}, {"TIT2", TextBody(0, "plain")}}) +
              audio),
        "plain");
    EXPECT_EQ(Title(Id3v2Tag({{"TIT2", TextBody(0, "zipped"), 0x08}}, {.major = 4}) + audio), "");

    // 2.4 sizes written as plain numbers: a 256-byte frame (00 00 01 00, which would read
    // as 128 when syncsafe) before the title.
    const std::vector<Id3Frame> frames = {{"TXXX", TextBody(0, std::string(255, 'x'))},
                                          {"TIT2", TextBody(0, "after a long frame")}};
    EXPECT_EQ(Title(Id3v2Tag(frames, {.major = 4, .plainSizesIn24 = true}) + audio),
              "after a long frame");
    EXPECT_EQ(Title(Id3v2Tag(frames, {.major = 4}) + audio), "after a long frame");

    // Extended headers of 2.3 (size without itself) and 2.4 (syncsafe, with itself).
    EXPECT_EQ(Title(Id3v2Tag({{"TIT2", TextBody(0, "ext3")}},
                             {.major = 3,
                              .flags = 0x40,
                              .extendedHeader = std::string("\0\0\0\x06\0\0\0\0\0\0", 10)}) +
                    audio),
              "ext3");
    EXPECT_EQ(Title(Id3v2Tag({{"TIT2", TextBody(0, "ext4")}},
                             {.major = 4,
                              .flags = 0x40,
                              .extendedHeader = std::string("\0\0\0\x06\x01\0", 6)}) +
                    audio),
              "ext4");

    // A big picture before the title is skipped without reading it.
    EXPECT_EQ(Title(Id3v2Tag({{"APIC", std::string(3 << 20, 'p')}, {"TIT2", TextBody(0, "art")}}) +
                    audio),
              "art");
}

TEST_F(Id3TagsTest, Id3v1FillsWhatId3v2LeavesEmpty) {
    EXPECT_EQ(Title(audio + Id3v1Tag("Old title   ", "Old artist")), "Old title");
    auto tag = Tags(Id3v2Tag({{"TIT2", TextBody(0, "")}, {"TPE1", TextBody(0, "New artist")}}) +
                    audio + Id3v1Tag("Old title", "Old artist", "Old album"));
    ASSERT_TRUE(tag);
    EXPECT_STREQ(tag->title, "Old title");
    EXPECT_STREQ(tag->artist, "New artist");
    EXPECT_STREQ(tag->album, "Old album");
    // A double-byte character cut by the field's 30 bytes is dropped whole.
    EXPECT_EQ(Title(audio + Id3v1Tag(std::string(29, 'a') + kNihongoSjis)), std::string(29, 'a'));
    // Control characters would break a line of a playlist file.
    EXPECT_EQ(Title(Id3v2Tag({{"TIT2", TextBody(0, "one\r\ntwo\tthree")}}) + audio),
              "one  two three");
}

TEST_F(Id3TagsTest, FilesWithoutTagsAndDamagedTags) {
    EXPECT_EQ(Title(audio), "(no tag)");
    EXPECT_EQ(Title(""), "(no tag)");
    EXPECT_EQ(Title("ID3"), "(no tag)");
    EXPECT_EQ(Title("RIFF....WAVEfmt "), "(no tag)");
    EXPECT_EQ(Title(std::string("ID3\x05\0\0\0\0\0\x10", 10) + audio), "(no tag)");  // version 2.5
    EXPECT_EQ(Title(std::string("ID3\x03\0\0\0\0\0\x80", 10) + audio), "(no tag)");  // bad size
    VBMP3_TAG_INFO tag;
    EXPECT_EQ(vbmp3_getFileTagInfo("C:\\music\\missing.mp3", &tag), 0);
    EXPECT_EQ(vbmp3_getFileTagInfo(nullptr, &tag), 0);
    EXPECT_EQ(vbmp3_getFileTagInfo("C:\\music\\song.mp3", nullptr), 0);

    // A tag that claims more than the file holds, a frame larger than the tag, a frame
    // cut off: what is intact is read, nothing beyond.
    std::string tagged = Id3v2Tag({{"TIT2", TextBody(0, "intact")}, {"TPE1", TextBody(0, "cut")}});
    EXPECT_EQ(Title(tagged.substr(0, tagged.size() - 2)), "intact");
    std::string huge = Id3v2Tag({{"TIT2", TextBody(0, "x")}});
    huge[17] = 0x7F;  // the frame size's low byte: beyond the tag
    EXPECT_EQ(Title(huge + audio), "");
    // The tag is found, so the record is filled, with an empty title.
    EXPECT_TRUE(Tags(Id3v2Tag({})));
}

TEST_F(Id3TagsTest, LongTextsAreCutAtACharacterBoundary) {
    std::string sjis;
    for (int i = 0; i < 200; ++i)
        sjis += kHyouSjis;
    std::optional<VBMP3_TAG_INFO> tag = Tags(Id3v2Tag({{"TIT2", TextBody(0, "x" + sjis)}}) + audio);
    ASSERT_TRUE(tag);
    // 255 bytes hold "x" and 127 characters.
    EXPECT_EQ(std::string(tag->title), ("x" + sjis).substr(0, 255));
    EXPECT_EQ(vbmp3::CutShiftJis("ab" + kNihongoSjis, 5), ("ab" + kNihongoSjis).substr(0, 4));
    EXPECT_EQ(vbmp3::CutShiftJis("ab\x93", 10), "ab");  // a lead byte without its trail
}

TEST_F(Id3TagsTest, ATagWrittenByLame) {
    std::optional<std::string> bytes = test::BuiltMp3("tagged-by-lame.mp3");
    if (!bytes) GTEST_SKIP() << "no MP3 files were built";
    auto tag = Tags(*bytes);
    ASSERT_TRUE(tag);
    EXPECT_STREQ(tag->title, "Lame title");
    EXPECT_STREQ(tag->artist, "Lame artist");
}

}  // namespace
}  // namespace hgf
