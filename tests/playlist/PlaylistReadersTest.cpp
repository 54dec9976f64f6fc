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

// A row of a list in C:\\Lists named `name` there.
PlaylistItem Listed(const std::string& name) {
    return Row("C:\\Lists\\" + name, name);
}

// UTF-8 text as a list file holds it.
std::string Utf8(std::u8string_view text) {
    return std::string(text.begin(), text.end());
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
    std::deque<PlaylistItem> expected = {Row("C:\\a.mp3", "a.mp3"), Listed("b.mp3")};
    EXPECT_EQ(Read("a.m3u", crlf), expected);
    EXPECT_EQ(Read("a.m3u", lf), expected);
    // A lone CR is content, as in a text-mode stream; only CR LF is a newline.
    EXPECT_EQ(Read("a.m3u", "a\rb\r\r\n"), (std::deque<PlaylistItem>{Listed("a\rb\r")}));
    // Ctrl-Z ends a text file, even in the middle of a line.
    EXPECT_EQ(Read("a.m3u",
                   "a.mp3\r\nb.m\x1A"
                   "p3\r\nc.mp3\r\n"),
              (std::deque<PlaylistItem>{Listed("a.mp3"), Listed("b.m")}));
    EXPECT_EQ(Read("a.m3u", "a.mp3\r\n\x1A"), (std::deque<PlaylistItem>{Listed("a.mp3")}));

    // A line longer than the buffer gives its first 259 bytes once; the rest of the line
    // is skipped, not read as another line. A cut never splits a double-byte character.
    std::string longPath = std::string(258, 'x') + "表" + std::string(100, 'y');
    auto items = Read("a.m3u", longPath + "\r\nnext.mp3");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].title, std::string(258, 'x'));
    EXPECT_EQ(items[1].title, "next.mp3");
    std::string fits(259, 'z');
    EXPECT_EQ(Read("a.m3u", fits + "\r\n")[0].title, fits);

    // .spl lines hold 1023 bytes; a longer title is cut, and its tail ("@" here) is not a key.
    items = Read("a.spl", "Harrowgladeforte Series PlayList\r\n0:p\r\n2:" + std::string(1021, 't') +
                              "@\r\n@\r\n");
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].title, std::string(1021, 't'));
    // A NUL byte ends the text of its line.
    EXPECT_EQ(Read("a.m3u", std::string("ab\0cd\r\n", 7))[0].title, "ab");
}

TEST(ReadM3u, SkipsCommentsAndEmptyLinesAndTakesTitlesAfterTheLastBackslash) {
    auto items = Read("list.M3U",  // suffix in capitals
                      "#EXTM3U\r\n"
                      "# a comment\r\n"
                      "C:\\Music\\one.mp3\r\n"
                      "\r\n"
                      "C:\\表\\曲.mp3\r\n"  // 表 ends in byte 5C, which is not a separator
                      "C:\\Music\\表");     // the last line keeps its last character
    std::deque<PlaylistItem> expected = {
        Row("C:\\Music\\one.mp3", "one.mp3"),
        Row("C:\\表\\曲.mp3", "曲.mp3"),
        Row("C:\\Music\\表", "表"),
    };
    EXPECT_EQ(items, expected);
}

// Where an entry of a list written by another player leads, in .m3u and in .asx.
TEST(ReadM3uAndAsx, EntriesLeadFromTheListsFolder) {
    struct Case {
        const char* list;
        std::string entry, path, title;
    };
    const char* mine = "C:\\Lists\\Mine\\list";
    const char* share = "\\\\nas\\music\\lists\\list";
    const Case cases[] = {
        // Relative to the list's folder, with either separator; "." and ".." folded.
        {mine, "sub\\x.mp3", "C:\\Lists\\Mine\\sub\\x.mp3", "x.mp3"},
        {mine, "sub/x.mp3", "C:\\Lists\\Mine\\sub\\x.mp3", "x.mp3"},
        {mine, "..\\x.mp3", "C:\\Lists\\x.mp3", "x.mp3"},
        {mine, "../Other/02.ogg", "C:\\Lists\\Other\\02.ogg", "02.ogg"},
        {mine, "x.mp3", "C:\\Lists\\Mine\\x.mp3", "x.mp3"},
        {mine, ".\\a\\.\\b\\..\\\\x.mp3", "C:\\Lists\\Mine\\a\\x.mp3", "x.mp3"},
        {mine, "../../../../x.mp3", "C:\\x.mp3", "x.mp3"},  // never above the drive
        {mine, "表\\ソ.mp3", "C:\\Lists\\Mine\\表\\ソ.mp3", "ソ.mp3"},
        {mine, "..\\表\\..\\x.mp3", "C:\\Lists\\x.mp3", "x.mp3"},
        // From the root of the list's drive, or a drive without its root.
        {mine, "\\Music\\x.mp3", "C:\\Music\\x.mp3", "x.mp3"},
        {mine, "/Music/x.mp3", "C:\\Music\\x.mp3", "x.mp3"},
        {mine, "c:x.mp3", "C:\\Lists\\Mine\\x.mp3", "x.mp3"},
        {mine, "D:x.mp3", "D:\\x.mp3", "x.mp3"},
        {share, "..\\x.mp3", "\\\\nas\\music\\x.mp3", "x.mp3"},
        {share, "../../../x.mp3", "\\\\nas\\music\\x.mp3", "x.mp3"},
        {share, "\\x.mp3", "\\\\nas\\music\\x.mp3", "x.mp3"},
        // Full paths stay as written, but for their separators.
        {mine, "D:\\Music\\..\\x.mp3", "D:\\Music\\..\\x.mp3", "x.mp3"},
        {mine, "D:/Music/x.mp3", "D:\\Music\\x.mp3", "x.mp3"},
        {mine, "\\\\server\\share\\x.mp3", "\\\\server\\share\\x.mp3", "x.mp3"},
        {mine, "//server/share/x.mp3", "\\\\server\\share\\x.mp3", "x.mp3"},
        // URLs are kept as written, never taken for files.
        {mine, "http://radio.example/a/live.mp3", "http://radio.example/a/live.mp3",
         "http://radio.example/a/live.mp3"},
        {mine, "mms://host/x.wma", "mms://host/x.wma", "mms://host/x.wma"},
        {mine, "file:///C:/x.mp3", "file:///C:/x.mp3", "file:///C:/x.mp3"},
    };
    for (const Case& c : cases) {
        MemoryFileSystem fs;
        fs.AddFile(std::string(c.list) + ".m3u", c.entry + "\r\n");
        fs.AddFile(std::string(c.list) + ".asx",
                   "<Entry><Ref href=\"" + c.entry + "\"/></Entry>\r\n");
        for (const char* suffix : {".m3u", ".asx"}) {
            std::deque<PlaylistItem> items;
            EXPECT_TRUE(ReadPlaylistFile(fs, std::string(c.list) + suffix, items));
            EXPECT_EQ(items, std::deque<PlaylistItem>{Row(c.path, c.title)})
                << c.list << suffix << ": " << c.entry;
        }
    }
}

TEST(ReadM3u, ExtinfTitlesTheEntryAfterIt) {
    auto items = Read("list.m3u",
                      "#EXTM3U\r\n"
                      "#EXTINF:123,Artist - Title\r\n"
                      "a.mp3\r\n"
                      "b.mp3\r\n"  // no information line: the file name
                      "#EXTINF:-1,\r\n"
                      "c.mp3\r\n"  // an empty title: the file name
                      "#EXTINF:5,First, with a comma\r\n"
                      "#EXTVLCOPT:network-caching=1000\r\n"
                      "\r\n"
                      "d.mp3\r\n"
                      "#EXTINF:7,Replaced\r\n"
                      "#extinf:8,表題\r\n"
                      "e.mp3\r\n"
                      "#EXTINF:9\r\n"  // no comma: no title
                      "f.mp3\r\n"
                      "#EXTINF:1,Without an entry\r\n");
    std::deque<PlaylistItem> expected = {
        Row("C:\\Lists\\a.mp3", "Artist - Title"),
        Listed("b.mp3"),
        Listed("c.mp3"),
        Row("C:\\Lists\\d.mp3", "First, with a comma"),
        Row("C:\\Lists\\e.mp3", "表題"),
        Listed("f.mp3"),
    };
    EXPECT_EQ(items, expected);
}

TEST(ReadM3u8, ReadsUtf8IntoCodePage932) {
    const std::string rows = Utf8(
        u8"#EXTINF:3,曲の題\r\n"
        u8"曲/表.ogg\r\n"
        u8"C:\\音楽\\ソ.ogg\r\n"
        u8"ｱｲ.ogg\r\n");
    const std::deque<PlaylistItem> expected = {
        Row("C:\\Lists\\曲\\表.ogg", "曲の題"),
        Row("C:\\音楽\\ソ.ogg", "ソ.ogg"),
        Listed("ｱｲ.ogg"),
    };
    EXPECT_EQ(Read("a.m3u8", rows), expected);
    EXPECT_EQ(Read("a.M3U8", "\xEF\xBB\xBF" + rows), expected);  // the byte-order mark is skipped
    // A .m3u is UTF-8 when it starts with the mark, and code page 932 otherwise.
    EXPECT_EQ(Read("a.m3u", "\xEF\xBB\xBF" + rows), expected);
    EXPECT_EQ(Read("a.m3u", rows)[0].title, rows.substr(10, rows.find('\r') - 10));

    // A line is cut after 259 bytes of code page 932, on a whole character.
    std::string longName;
    for (int i = 0; i < 200; ++i)
        longName += Utf8(u8"表");
    auto items = Read("b.m3u8", longName + "\r\nnext.ogg\r\n");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].title.size(), 258u);
    EXPECT_EQ(items[1], Listed("next.ogg"));
}

// Names that code page 932 cannot spell: the file's short path where it has one, else the
// name with "?" (no such file opens, so the row is marked unplayable when played). The
// title shows the long name either way.
TEST(ReadM3u8, NamesOutsideCodePage932OpenByTheirShortPaths) {
    MemoryFileSystem fs;
    fs.AddFile("C:\\Lists\\a.m3u8", Utf8(u8"Beyoncé.ogg\r\n"
                                         u8"#EXTINF:1,Hoppípolla\r\n"
                                         u8"../Sigur Rós/Hoppípolla.ogg\r\n"
                                         u8"🎵 Theme.ogg\r\n"
                                         u8"http://radio.example/é\r\n") +
                                        "bad\xFF.ogg\r\n");  // no UTF-8
    fs.AddShortPath(u"C:\\Lists\\Beyoncé.ogg", "C:\\Lists\\BEYONC~1.OGG");
    fs.AddShortPath(u"C:\\Sigur Rós\\Hoppípolla.ogg", "C:\\SIGURR~1\\HOPPP~1.OGG");
    std::deque<PlaylistItem> items;
    ASSERT_TRUE(ReadPlaylistFile(fs, "C:\\Lists\\a.m3u8", items));
    const std::deque<PlaylistItem> expected = {
        Row("C:\\Lists\\BEYONC~1.OGG", "Beyonc?.ogg"),
        Row("C:\\SIGURR~1\\HOPPP~1.OGG", "Hopp?polla"),
        Row("C:\\Lists\\? Theme.ogg", "? Theme.ogg"),
        Row("http://radio.example/?", "http://radio.example/?"),
        Row("C:\\Lists\\bad?.ogg", "bad?.ogg"),
    };
    EXPECT_EQ(items, expected);
}

TEST(ReadPls, TakesFilesInTheOrderOfTheirNumbers) {
    auto items = Read("list.pls",
                      "[playlist]\r\n"
                      "File3=C:\\Music\\c.ogg\r\n"
                      "Title3=Third\r\n"
                      "file10 = sub/j.ogg\r\n"  // keys in any case, blanks around "="
                      "Title10=\r\n"            // an empty title: the file name
                      "File1=..\\a.ogg\r\n"     // no title: the file name
                      "File1=C:\\ignored.ogg\r\n"
                      "Title7=Without a file\r\n"
                      "File8=http://radio.example/live\r\n"
                      "Length3=200\r\n"
                      "NumberOfEntries=2\r\n"  // too small: every entry is read anyway
                      "Version=2\r\n"
                      "[other]\r\n"
                      "File2=C:\\other.ogg\r\n");
    std::deque<PlaylistItem> expected = {
        Row("C:\\a.ogg", "a.ogg"),
        Row("C:\\Music\\c.ogg", "Third"),
        Row("http://radio.example/live", "http://radio.example/live"),
        Row("C:\\Lists\\sub\\j.ogg", "j.ogg"),
    };
    EXPECT_EQ(items, expected);

    // More entries announced than given: only those given. UTF-8 after a byte-order mark.
    expected = {Row("C:\\Lists\\曲.ogg", "表題")};
    EXPECT_EQ(Read("b.PLS", Utf8(u8"\uFEFF[playlist]\nNumberOfEntries=5\nFile2=曲.ogg\n"
                                 u8"Title2=表題\nVersion=2\n")),
              expected);
    // Without a section header the keys still count; an empty path gives no row.
    EXPECT_EQ(Read("c.pls", "File1=曲.ogg\r\nTitle1=表題\r\nFile2=\r\n"), expected);
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
        Listed("plain.wma"),  // one entry per line: the first
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
    fs.AddFile("C:\\L\\list.wpl", "a.mp3\r\n");
    fs.AddFile("C:\\L\\binary.asx", std::string("\0\xFF\x81<Ref href\r\n\x1A", 15));
    std::deque<PlaylistItem> items;
    for (const char* path : {"C:\\L\\locked.m3u", "C:\\L\\gone.spl", "C:\\L\\gone.spf",
                             "C:\\L\\list.wpl", "C:\\L", ".m3u", ""}) {
        EXPECT_FALSE(ReadPlaylistFile(fs, path, items)) << path;
    }
    EXPECT_TRUE(ReadPlaylistFile(fs, "C:\\L\\binary.asx", items));
    EXPECT_TRUE(items.empty());
    EXPECT_EQ(fs.OpenFileCount(), 0);

    // Rows are appended after those already held.
    items.push_back(Row("old", "old"));
    fs.AddFile("C:\\L\\b.m3u", "new");
    EXPECT_TRUE(ReadPlaylistFile(fs, "C:\\L\\b.m3u", items));
    EXPECT_EQ(items, (std::deque<PlaylistItem>{Row("old", "old"), Row("C:\\L\\new", "new")}));
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
    EXPECT_EQ(items,
              (std::deque<PlaylistItem>{Row("C:\\a.mp3", "a.mp3"), Row("C:\\b.mp3", "b.mp3")}));

    FailingFileSystem spf(
        SpfFile(2, SpfRecord("a", "a", 0) + SpfRecord("b", "b", 0)).substr(0, 20));
    items.clear();
    EXPECT_FALSE(ReadPlaylistFile(spf, "C:\\a.spf", items));
    EXPECT_TRUE(items.empty());
}

}  // namespace
}  // namespace hgf
