// The five readers on hand-made files: the rows they yield, text-mode line handling, and
// damaged or missing files that must yield nothing without harm.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "MemoryFileSystem.h"
#include "PlaylistFileBytes.h"
#include "playlist/PlaylistFiles.h"
#include "playlist/PlaylistReaders.h"

namespace hgf {
namespace {

using test::MemoryFileSystem;
using test::Row;
using test::SpfFile;

std::deque<PlaylistItem> Read(const std::string& name, const std::string& contents,
                              bool* accepted = nullptr) {
    MemoryFileSystem fs;
    fs.AddFile("C:\\Lists\\" + name, contents);
    std::deque<PlaylistItem> items;
    bool result = ReadPlaylistFile(fs, "C:\\Lists\\" + name, items);
    if (accepted) *accepted = result;
    EXPECT_EQ(fs.OpenFileCount(), 0) << "a reader left its file open";
    return items;
}

std::string SpfRecord(const std::string& path, const std::string& title, int kind) {
    std::string record(kSpfRecordBytes, '\0');
    std::memcpy(record.data(), path.data(), std::min<std::size_t>(path.size(), 260));
    std::memcpy(record.data() + 260, title.data(), std::min<std::size_t>(title.size(), 260));
    record[520] = static_cast<char>(kind);
    return record;
}

TEST(ReadSpl, KeysCarryOverAndTheLastRowNeedsNoNewline) {
    bool accepted = false;
    auto items = Read("a.spl",
                      "HARROWGLADEFORTE series PLAYLIST\r\n"
                      "; comment\r\n"
                      "\r\n"
                      "0:C:\\M\\Folder\r\n1:1\r\n2:Folder\r\n3:1\r\n@\r\n"
                      "0:C:\\M\\Folder\\a.mp3\r\n@\r\n"  // keeps title, flag and indent
                      "0:C:\\M\\b.ogg\r\n1:0\r\n2:b.ogg\r\n3:-2\r\n9:unknown\r\n0x:no\r\n@\r\n"
                      "1:\r\n3:junk\r\n@",  // empty flag is a heading; unreadable indent is 0
                      &accepted);
    EXPECT_TRUE(accepted);
    std::deque<PlaylistItem> expected = {
        Row("C:\\M\\Folder", "Folder", 1, 1),
        Row("C:\\M\\Folder\\a.mp3", "Folder", 1, 1),
        Row("C:\\M\\b.ogg", "b.ogg", 0, -2),
        Row("C:\\M\\b.ogg", "b.ogg", 1, 0),
    };
    EXPECT_EQ(items, expected);
}

TEST(ReadSpl, RejectsFilesWithoutTheHeader) {
    bool accepted = true;
    EXPECT_TRUE(
        Read("a.spl", "Harrowgladeforte Series PlayList \r\n0:x\r\n@\r\n", &accepted).empty());
    EXPECT_FALSE(accepted);
    EXPECT_TRUE(Read("a.spl", "", &accepted).empty());
    EXPECT_FALSE(accepted);
    // The same text under another suffix is not read as .spl.
    auto items = Read("a.txt", "Harrowgladeforte Series PlayList\r\n0:x\r\n@\r\n", &accepted);
    EXPECT_FALSE(accepted);
    EXPECT_TRUE(items.empty());
}

TEST(TextMode, LineEndsCtrlZAndLongLinesReadTheSameEverywhere) {
    const std::string crlf = "#x\r\nC:\\a.mp3\r\nb.mp3\r\n";
    const std::string lf = "#x\nC:\\a.mp3\nb.mp3\n";
    std::deque<PlaylistItem> expected = {Row("C:\\a.mp3", "a.mp3"), Row("b.mp3", "b.mp3")};
    EXPECT_EQ(Read("a.m3u", crlf), expected);
    EXPECT_EQ(Read("a.m3u", lf), expected);
    // A lone CR is content, as in a text-mode stream; only CR LF is a newline.
    EXPECT_EQ(Read("a.m3u", "a\rb\r\r\n"), (std::deque<PlaylistItem>{Row("a\rb\r", "a\rb\r")}));
    // Ctrl-Z ends a text file, even in the middle of a line.
    EXPECT_EQ(Read("a.m3u",
                   "a.mp3\r\nb.m\x1A"
                   "p3\r\nc.mp3\r\n"),
              (std::deque<PlaylistItem>{Row("a.mp3", "a.mp3"), Row("b.m", "b.m")}));
    EXPECT_EQ(Read("a.m3u", "a.mp3\r\n\x1A"), (std::deque<PlaylistItem>{Row("a.mp3", "a.mp3")}));

    // A line longer than the buffer gives its first 259 bytes once; the rest of the line
    // is skipped, not read as another line. A cut never splits a double-byte character.
    std::string longPath = std::string(258, 'x') + "表" + std::string(100, 'y');
    auto items = Read("a.m3u", longPath + "\r\nnext.mp3");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].path, std::string(258, 'x'));
    EXPECT_EQ(items[1].path, "next.mp3");
    std::string fits(259, 'z');
    EXPECT_EQ(Read("a.m3u", fits + "\r\n")[0].path, fits);

    // .spl lines hold 1023 bytes; a longer title is cut, and its tail ("@" here) is not a key.
    items = Read("a.spl", "Harrowgladeforte Series PlayList\r\n0:p\r\n2:" + std::string(1021, 't') +
                              "@\r\n@\r\n");
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].title, std::string(1021, 't'));
    // A NUL byte ends the text of its line.
    EXPECT_EQ(Read("a.m3u", std::string("ab\0cd\r\n", 7))[0].path, "ab");
}

TEST(ReadM3u, SkipsCommentsAndEmptyLinesAndTakesTitlesAfterTheLastBackslash) {
    auto items = Read("list.M3U",  // suffix in capitals
                      "#EXTM3U\r\n"
                      "#EXTINF:123,Artist - Title\r\n"
                      "C:\\Music\\one.mp3\r\n"
                      "\r\n"
                      "..\\rel\\two.ogg\r\n"
                      "bare.wma\r\n"
                      "C:\\表\\曲.mp3\r\n"  // 表 ends in byte 5C, which is not a separator
                      "C:\\Music\\表");     // the last line keeps its last character
    std::deque<PlaylistItem> expected = {
        Row("C:\\Music\\one.mp3", "one.mp3"), Row("..\\rel\\two.ogg", "two.ogg"),
        Row("bare.wma", "bare.wma"),          Row("C:\\表\\曲.mp3", "曲.mp3"),
        Row("C:\\Music\\表", "表"),
    };
    EXPECT_EQ(items, expected);
}

TEST(ReadAsx, TakesQuotedRefValuesInExactCaseOnly) {
    auto items = Read("a.asx",
                      "<ASX version=\"3.0\">\r\n"
                      "<Entry><Ref href=\"C:\\a\\b.wma\"/></Entry>\r\n"
                      "<Entry><REF HREF=\"C:\\a\\upper.wma\"/></Entry>\r\n"
                      "<Entry><Ref href='C:\\a\\single.wma'/></Entry>\r\n"
                      "<Entry><Ref href=\"C:\\a\\unclosed.wma/></Entry>\r\n"
                      "  <Ref href = \"plain.wma\" /> <Ref href=\"second.wma\"/>\r\n"
                      "<Ref href=\"\"/>\r\n"
                      "</ASX>");
    std::deque<PlaylistItem> expected = {
        Row("C:\\a\\b.wma", "b.wma"),
        Row("plain.wma", "plain.wma"),  // one entry per line: the first
        Row("", ""),
    };
    EXPECT_EQ(items, expected);
}

TEST(ReadSpt, ReadsRowsOfTitleAndPathLines) {
    auto items = Read("old.spt",
                      "0,this header line is not read\r\n"
                      "; comment\r\n"
                      "\r\n"
                      "1,Folder\r\n"
                      "C:\\M\\Folder\r\n"
                      "xy0\tSong\r\n"  // stray characters before the "0" are skipped
                      "C:\\M\\Folder\\Song.mp3\r\n"
                      "0\r\n"  // nothing after the digit: an empty title
                      "C:\\M\\x.mp3\r\n"
                      "0,Orphan\r\n");  // its path line never comes: no row
    std::deque<PlaylistItem> expected = {
        Row("C:\\M\\Folder", "Folder", 1),
        Row("C:\\M\\Folder\\Song.mp3", "Song"),
        Row("C:\\M\\x.mp3", ""),
    };
    EXPECT_EQ(items, expected);
}

TEST(ReadSpf, ReadsRecordsAndTakesWhatACleanBodyHolds) {
    bool accepted = false;
    auto items = Read("a.spf",
                      SpfFile(3, SpfRecord("C:\\M", "M", 9) + SpfRecord("C:\\M\\a.mp3", "a", 0) +
                                     SpfRecord(std::string(260, 'p'), std::string(260, 't'), 1)),
                      &accepted);
    EXPECT_TRUE(accepted);
    std::deque<PlaylistItem> expected = {
        Row("C:\\M", "M", 1), Row("C:\\M\\a.mp3", "a"),
        Row(std::string(260, 'p'), std::string(260, 't')),  // no NUL: the whole field
    };
    EXPECT_EQ(items, expected);

    // N = 0: no rows, still accepted.
    EXPECT_TRUE(Read("a.spf", SpfFile(0, ""), &accepted).empty());
    EXPECT_TRUE(accepted);
    // A body that ends cleanly before N records gives its whole records.
    items = Read("A.SPF", SpfFile(5, SpfRecord("x", "x", 0) + std::string(100, 'q')), &accepted);
    EXPECT_TRUE(accepted);
    EXPECT_EQ(items, (std::deque<PlaylistItem>{Row("x", "x")}));
}

TEST(ReadSpf, DamagedFilesYieldNoRows) {
    std::string good = SpfFile(2, SpfRecord("a", "a", 0) + SpfRecord("b", "b", 0));
    std::string bodyTooLong = SpfFile(1, SpfRecord("a", "a", 0) + SpfRecord("b", "b", 0));
    std::string truncated = good.substr(0, good.size() - 6);
    std::string wrongMagic = "SPL2" + good.substr(4);
    std::string garbage = std::string("SPL1\xFF\xFF\0\0", 8) + std::string(5000, '\x5A');
    std::string claimsManyButShort = SpfFile(65535, SpfRecord("a", "a", 0));
    for (const std::string& contents :
         {bodyTooLong, truncated, wrongMagic, garbage, std::string("SPL1\x01"), std::string()}) {
        bool accepted = true;
        EXPECT_TRUE(Read("a.spf", contents, &accepted).empty());
        EXPECT_FALSE(accepted);
    }
    EXPECT_EQ(Read("a.spf", claimsManyButShort).size(), 1u);

    // A body that inflates far beyond N records stops at N x 526 bytes.
    std::string bomb = SpfFile(2, std::string(16 << 20, '\0'));
    EXPECT_TRUE(Read("a.spf", bomb).empty());
}

TEST(ReadPlaylistFile, MissingLockedAndUnknownFilesYieldNothing) {
    MemoryFileSystem fs;
    fs.AddFile("C:\\L\\locked.m3u", "a.mp3\r\n");
    fs.LockFile("C:\\L\\locked.m3u");
    fs.AddFile("C:\\L\\list.pls", "a.mp3\r\n");
    fs.AddFile("C:\\L\\binary.asx", std::string("\0\xFF\x81<Ref href\r\n\x1A", 15));
    std::deque<PlaylistItem> items;
    for (const char* path : {"C:\\L\\locked.m3u", "C:\\L\\gone.spl", "C:\\L\\gone.spf",
                             "C:\\L\\list.pls", "C:\\L", ".m3u", ""}) {
        EXPECT_FALSE(ReadPlaylistFile(fs, path, items)) << path;
    }
    EXPECT_TRUE(ReadPlaylistFile(fs, "C:\\L\\binary.asx", items));
    EXPECT_TRUE(items.empty());
    EXPECT_EQ(fs.OpenFileCount(), 0);

    // Rows are appended after those already held.
    items.push_back(Row("old", "old"));
    fs.AddFile("C:\\L\\b.m3u", "new");
    EXPECT_TRUE(ReadPlaylistFile(fs, "C:\\L\\b.m3u", items));
    EXPECT_EQ(items, (std::deque<PlaylistItem>{Row("old", "old"), Row("new", "new")}));
}

// A file system whose one file fails to read after handing out its first `good` bytes,
// as a file on a removed medium does.
class FailingFileSystem final : public FileSystem {
  public:
    explicit FailingFileSystem(std::string good) : good_(std::move(good)) {}
    std::optional<FileAttributes> GetAttributes(const std::string&) override {
        return FileAttributes{};
    }
    std::unique_ptr<DirectoryEnumeration> Enumerate(const std::string&) override { return {}; }
    std::unique_ptr<OutputFile> Create(const std::string&) override { return {}; }
    bool Replace(const std::string&, const std::string&) override { return false; }
    bool Remove(const std::string&) override { return false; }
    std::optional<std::string> CodePage932PathThatOpens(std::u16string_view) override {
        return std::nullopt;
    }
    std::unique_ptr<InputFile> OpenRead(const std::string&) override {
        struct Failing final : InputFile {
            std::string data;
            bool failed = false;
            std::size_t Read(void* buffer, std::size_t size) override {
                if (data.empty()) {
                    failed = true;
                    return 0;
                }
                std::size_t count = std::min(size, data.size());
                std::memcpy(buffer, data.data(), count);
                data.erase(0, count);
                return count;
            }
            bool HasError() const override { return failed; }
        };
        auto file = std::make_unique<Failing>();
        file->data = good_;
        return file;
    }

  private:
    std::string good_;
};

TEST(ReadPlaylistFile, AReadErrorKeepsTheWholeLinesBeforeIt) {
    FailingFileSystem m3u("a.mp3\r\nb.mp3\r\nC:\\cut");
    std::deque<PlaylistItem> items;
    EXPECT_TRUE(ReadPlaylistFile(m3u, "C:\\a.m3u", items));
    EXPECT_EQ(items, (std::deque<PlaylistItem>{Row("a.mp3", "a.mp3"), Row("b.mp3", "b.mp3")}));

    FailingFileSystem spf(
        SpfFile(2, SpfRecord("a", "a", 0) + SpfRecord("b", "b", 0)).substr(0, 20));
    items.clear();
    EXPECT_FALSE(ReadPlaylistFile(spf, "C:\\a.spf", items));
    EXPECT_TRUE(items.empty());
}

}  // namespace
}  // namespace hgf
