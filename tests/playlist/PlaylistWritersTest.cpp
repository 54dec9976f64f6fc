// The three writers compared byte for byte with whole expected files, the .spl round trip,
// and the ways a save can fail.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "FakeClock.h"
#include "MemoryFileSystem.h"
#include "PlaylistFileBytes.h"
#include "playlist/PlaylistFiles.h"
#include "playlist/PlaylistReaders.h"
#include "playlist/PlaylistWriters.h"

namespace hgf {
namespace {

using test::FakeClock;
using test::MemoryFileSystem;
using test::Row;

// A list as a folder scan makes it: headings with file counts, folders and played flags.
std::deque<PlaylistItem> ScannedList() {
    std::deque<PlaylistItem> items = {
        Row("C:\\Music", "Music", 1, 0),
        Row("C:\\Music\\a.mp3", "a.mp3", 0, 0),
        Row("C:\\Music\\表", "表", 1, 1),
        Row("C:\\Music\\表\\b & <c>.ogg", "b & <c>.ogg", 0, 1),
        Row("C:\\Music\\表\\d.wma", "d.wma", 0, 1),
    };
    items[0].fileCount = 1;
    items[2].fileCount = 2;
    items[0].played = items[2].played = 1;
    items[4].unplayable = 1;
    for (auto& item : items)
        item.folder = item.isFolder ? item.path : "C:\\Music";
    return items;
}

const std::string kSplHeader =
    "Harrowgladeforte Series PlayList\r\n"
    ";\r\n"
    ";0:ファイルパス\r\n"
    ";1:ファイルなら0 フォルダなら1\r\n"
    ";2:タイトル\r\n"
    ";3:インデント幅\r\n"
    ";@ 項目終了\r\n"
    ";その他の文字 シカト。\r\n"
    ";\r\n";

struct Saved {
    bool result = false;
    std::string contents;
};

// The names in `folder`, "." and ".." left out.
std::vector<std::string> FileNames(MemoryFileSystem& fs, const std::string& folder) {
    std::vector<std::string> names;
    auto enumeration = fs.Enumerate(folder);
    DirectoryEntry entry;
    while (enumeration && enumeration->Next(entry)) {
        if (entry.name != "." && entry.name != "..") names.push_back(entry.name);
    }
    return names;
}

Saved Save(const std::string& name, const std::deque<PlaylistItem>& items) {
    MemoryFileSystem fs;
    FakeClock clock;
    clock.utc = {2026, 3, 5, 23, 59};
    fs.AddFolder("C:\\Out");
    Saved saved;
    saved.result = SaveList(fs, clock, "C:\\Out\\" + name, items) == SaveResult::kSaved;
    saved.contents = fs.Contents("C:\\Out\\" + name).value_or("<none>");
    EXPECT_EQ(fs.OpenFileCount(), 0);
    EXPECT_EQ(FileNames(fs, "C:\\Out"), std::vector<std::string>{name});  // nothing beside it
    return saved;
}

TEST(WriteSpl, WritesTheHeaderAndOneBlockPerRowAndReadsBackTheSameRows) {
    std::deque<PlaylistItem> items = ScannedList();
    items[1].indent = -3;
    Saved saved = Save("list.spl", items);
    EXPECT_TRUE(saved.result);
    EXPECT_EQ(saved.contents,
              kSplHeader +
                  "0:C:\\Music\r\n1:1\r\n2:Music\r\n3:0\r\n@\r\n"
                  "0:C:\\Music\\a.mp3\r\n1:0\r\n2:a.mp3\r\n3:-3\r\n@\r\n"
                  "0:C:\\Music\\表\r\n1:1\r\n2:表\r\n3:1\r\n@\r\n"
                  "0:C:\\Music\\表\\b & <c>.ogg\r\n1:0\r\n2:b & <c>.ogg\r\n3:1\r\n@\r\n"
                  "0:C:\\Music\\表\\d.wma\r\n1:0\r\n2:d.wma\r\n3:1\r\n@\r\n");

    MemoryFileSystem fs;
    fs.AddFile("C:\\In\\list.spl", saved.contents);
    std::deque<PlaylistItem> back;
    ASSERT_TRUE(ReadPlaylistFile(fs, "C:\\In\\list.spl", back));
    ASSERT_EQ(back.size(), items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        // Only path, title, folder flag and indent are stored.
        EXPECT_EQ(back[i], Row(items[i].path, items[i].title, items[i].isFolder, items[i].indent));
    }
}

TEST(WriteSpl, KeepsEveryFieldOnItsOwnLine) {
    // A title taken from a tag or an old binary list may hold line breaks or a Ctrl-Z;
    // written raw they would end the field early, inject rows ("@") or cut the list short.
    Saved saved = Save("a.spl", {Row("C:\\x.mp3", "one\r\n@\r\n0:C:\\evil\ntwo"),
                                 Row("C:\\y.mp3", std::string("ctrl\x1Az\0!", 8))});
    EXPECT_EQ(saved.contents, kSplHeader +
                                  "0:C:\\x.mp3\r\n1:0\r\n2:one  @  0:C:\\evil two\r\n3:0\r\n@\r\n" +
                                  "0:C:\\y.mp3\r\n1:0\r\n2:ctrl z !\r\n3:0\r\n@\r\n");
    MemoryFileSystem fs;
    fs.AddFile("C:\\a.spl", saved.contents);
    std::deque<PlaylistItem> back;
    ReadSpl(fs, "C:\\a.spl", back);
    EXPECT_EQ(back, (std::deque<PlaylistItem>{Row("C:\\x.mp3", "one  @  0:C:\\evil two"),
                                              Row("C:\\y.mp3", "ctrl z !")}));
}

TEST(WriteM3u, WritesOneLinePerFileRow) {
    Saved saved = Save("LIST.M3U", ScannedList());
    EXPECT_TRUE(saved.result);
    EXPECT_EQ(saved.contents,
              "C:\\Music\\a.mp3\r\n"
              "C:\\Music\\表\\b & <c>.ogg\r\n"
              "C:\\Music\\表\\d.wma\r\n");
}

TEST(WriteHtm, WritesCountsDateAndIndentedRowsUnescaped) {
    Saved saved = Save("page.htm", ScannedList());
    EXPECT_TRUE(saved.result);
    EXPECT_EQ(saved.contents,
              "<html>\r\n"
              "<head>\r\n"
              "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">\r\n"
              "<title>プレイリスト登録ファイル</title>\r\n"
              "</head>\r\n"
              "<body>\r\n"
              "プレイリスト登録ファイル ( 2026/3/5 ) <br>\r\n"
              "<hr width=\"100%\" size=\"1\">\r\n"
              "<div align=\"right\">フォルダ：2/ ファイル：3/ 合計：5</div>\r\n"
              "<hr width=\"100%\" size=\"1\">\r\n"
              "<table border=\"1\" align=\"center\" cellpadding=\"1\" cellspacing=\"1\" "
              "bordercolor=\"#666666\">\r\n"
              "  <tr><td>[Music]</td><td>C:\\Music</td></tr>\r\n"
              "  <tr><td>　a.mp3</td><td>C:\\Music\\a.mp3</td></tr>\r\n"
              "  <tr><td>　[表]</td><td>C:\\Music\\表</td></tr>\r\n"
              "  <tr><td>　　b & <c>.ogg</td><td>C:\\Music\\表\\b & <c>.ogg</td></tr>\r\n"
              "  <tr><td>　　d.wma</td><td>C:\\Music\\表\\d.wma</td></tr>\r\n"
              "</table>\r\n"
              "<hr width=\"100%\" size=\"1\">\r\n"
              "<div align=\"right\"><a href=\"https://harrowgladeforte.example/\">"
              "Harrowgladeforte Series.</a></div>\r\n"
              "</body>\r\n"
              "</html>\r\n");

    // One heading and two files at indent 0; a file at indent 2 gets three spaces.
    saved = Save("b.HTM",
                 {Row("C:\\F", "F", 1), Row("C:\\F\\1", "1"), Row("C:\\F\\x\\y\\2", "2", 0, 2)});
    EXPECT_NE(saved.contents.find("フォルダ：1/ ファイル：2/ 合計：3</div>"), std::string::npos);
    EXPECT_NE(saved.contents.find("  <tr><td>[F]</td>"), std::string::npos);
    EXPECT_NE(saved.contents.find("  <tr><td>　1</td>"), std::string::npos);
    EXPECT_NE(saved.contents.find("  <tr><td>　　　2</td>"), std::string::npos);
    EXPECT_NE(saved.contents.find("( 2026/3/5 )"), std::string::npos);
}

TEST(SaveList, EmptyListsWriteTheirFrameOnly) {
    EXPECT_EQ(Save("e.spl", {}).contents, kSplHeader);
    Saved m3u = Save("e.m3u", {});
    EXPECT_TRUE(m3u.result);
    EXPECT_EQ(m3u.contents, "");
    std::string htm = Save("e.htm", {}).contents;
    EXPECT_NE(htm.find("フォルダ：0/ ファイル：0/ 合計：0</div>"), std::string::npos);
    EXPECT_EQ(htm.find("<tr>"), std::string::npos);
}

TEST(SaveList, WritesNothingWhereNoFileCanBeCreated) {
    MemoryFileSystem fs;
    FakeClock clock;
    fs.AddFolder("C:\\Out");
    auto items = ScannedList();
    for (const char* path :
         {"C:\\Out\\a.txt", "C:\\Out\\a.spl.bak", "C:\\Out\\htm", "", "C:\\Missing\\a.spl"}) {
        EXPECT_EQ(SaveList(fs, clock, path, items), SaveResult::kNotCreated) << path;
        EXPECT_FALSE(fs.Contents(path)) << path;
    }
    fs.AddFile("C:\\Out\\a.m3u", "old");
    fs.SetReadOnly(true);
    EXPECT_EQ(SaveList(fs, clock, "C:\\Out\\a.m3u", items), SaveResult::kNotCreated);
    EXPECT_EQ(FileNames(fs, "C:\\Out"), std::vector<std::string>{"a.m3u"});
    EXPECT_EQ(fs.Contents("C:\\Out\\a.m3u"), "old");
}

// Saving over an existing list, for each format and each way the new file can fail after
// it was created: the older list stays byte for byte and nothing is left beside it.
TEST(SaveList, ReplacesAnOlderListOnlyWithACompleteFile) {
    const std::deque<PlaylistItem> items = ScannedList();
    const std::string old = "C:\\Old\\list.ogg\r\n" + std::string(300, 'o') + "\r\n";
    for (const std::string name : {"list.spl", "list.m3u", "list.htm"}) {
        const std::size_t size = Save(name, items).contents.size();
        const std::string target = "C:\\Out\\" + name;
        struct Fault {
            std::string what;
            std::function<void(MemoryFileSystem&)> apply;  // null: the save succeeds
        };
        const Fault faults[] = {
            {"disk full from the start", [](MemoryFileSystem& fs) { fs.FailWritesAfter(0); }},
            {"disk full midway", [&](MemoryFileSystem& fs) { fs.FailWritesAfter(size / 2); }},
            {"last byte missing", [&](MemoryFileSystem& fs) { fs.FailWritesAfter(size - 1); }},
            {"close fails", [](MemoryFileSystem& fs) { fs.FailClose(true); }},
            {"replace fails", [](MemoryFileSystem& fs) { fs.FailReplace(true); }},
            {"no fault", nullptr},
        };
        for (const Fault& fault : faults) {
            MemoryFileSystem fs;
            FakeClock clock;
            clock.utc = {2026, 3, 5, 23, 59};
            fs.AddFile(target, old);
            if (fault.apply) fault.apply(fs);
            SaveResult result = SaveList(fs, clock, target, items);
            EXPECT_EQ(result, fault.apply ? SaveResult::kFailed : SaveResult::kSaved)
                << name << ": " << fault.what;
            EXPECT_EQ(fs.Contents(target), fault.apply ? old : Save(name, items).contents)
                << name << ": " << fault.what;
            EXPECT_EQ(FileNames(fs, "C:\\Out"), std::vector<std::string>{name})
                << name << ": " << fault.what;
            EXPECT_EQ(fs.OpenFileCount(), 0);
        }
    }
}

TEST(WriteHtm, BoundsTheIndentationOfDamagedRows) {
    std::string page =
        Save("deep.htm", {Row("p", "t", 0, 2000000000), Row("q", "u", 0, -5)}).contents;
    EXPECT_LT(page.size(), 4000u);
    EXPECT_NE(page.find("  <tr><td>　u</td><td>q</td></tr>"), std::string::npos);
}

}  // namespace
}  // namespace hgf
