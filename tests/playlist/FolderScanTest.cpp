// The folder scan through the loader worker: which files become rows, their order,
// headings, indents and file counts.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

#include "PlaylistFixture.h"
#include "playlist/FolderScan.h"
#include "playlist/PathText.h"

namespace hgf::test {
namespace {

using Lines = std::vector<std::string>;

class FolderScanTest : public PlaylistFixture {};

TEST_F(FolderScanTest, AcceptsSuffixesInAnyCaseAndEveryFileWhenAsked) {
    fs.AddFile("C:\\M\\readme.txt");
    fs.AddFile("C:\\M\\Song.MP3");
    fs.AddFile("C:\\M\\a.mp4");
    fs.AddFile("C:\\M\\x.Mml");
    fs.AddFile("C:\\M\\b.flac");
    fs.AddFile("C:\\M\\clip.mpeg");
    fs.AddFile("C:\\M\\mp3");  // shorter than a suffix
    fs.AddFolder("C:\\M\\Sub");
    Playlist list(Services());

    EXPECT_EQ(Scan(list, "C:\\M"), 5u);
    EXPECT_EQ(Describe(list.Items()), (Lines{"+0 M (4)", "0 C:\\M\\b.flac", "0 C:\\M\\clip.mpeg",
                                             "0 C:\\M\\Song.MP3", "0 C:\\M\\x.Mml"}));

    // Every file, but never "." or ".." of a sub-folder, which hold no accepted file.
    fs.AddFile("C:\\M\\Sub\\notes.doc");
    EXPECT_EQ(Scan(list, "C:\\M", true, true), 10u);
    EXPECT_EQ(Describe(list.Items()),
              (Lines{"+0 M (8)", "0 C:\\M\\a.mp4", "0 C:\\M\\b.flac", "0 C:\\M\\clip.mpeg",
                     "0 C:\\M\\mp3", "0 C:\\M\\readme.txt", "0 C:\\M\\Song.MP3", "0 C:\\M\\x.Mml",
                     "+1 Sub (1)", "1 C:\\M\\Sub\\notes.doc"}));
}

TEST_F(FolderScanTest, SubFoldersOffListsOnlyTheSourceFolder) {
    fs.AddFile("C:\\M\\Deep\\x.mp3");
    fs.AddFile("C:\\M\\b.mp3");
    fs.AddFile("C:\\M\\a.mp3");
    Playlist list(Services());
    EXPECT_EQ(Scan(list, "C:\\M", false), 3u);
    EXPECT_EQ(Describe(list.Items()), (Lines{"+0 M (2)", "0 C:\\M\\a.mp3", "0 C:\\M\\b.mp3"}));
}

TEST_F(FolderScanTest, SpaceSortsBeforeTheSeparatorAndCountsStopAtTheNextSibling) {
    // Enumeration order is the reverse of the path order, so the sort does the work.
    fs.AddFile("C:\\M\\A\\C\\c.mp3");
    fs.AddFile("C:\\M\\A B\\b.mp3");
    fs.AddFile("C:\\M\\A\\a2.mp3");
    fs.AddFile("C:\\M\\A\\A1.mp3");
    fs.AddFile("C:\\M\\m.mp3");
    Playlist list(Services());
    EXPECT_EQ(Scan(list, "C:\\M"), 9u);
    EXPECT_EQ(Describe(list.Items()),
              (Lines{"+0 M (5)", "0 C:\\M\\m.mp3",                            //
                     "+1 A (2)", "1 C:\\M\\A\\A1.mp3", "1 C:\\M\\A\\a2.mp3",  //
                     "+1 A B (2)", "1 C:\\M\\A B\\b.mp3",                     //
                     "+2 C (1)", "2 C:\\M\\A\\C\\c.mp3"}));
    EXPECT_EQ(list.ScanDepth(), -1);
}

TEST_F(FolderScanTest, FolderWithOnlyMusicSubFoldersKeepsItsHeading) {
    fs.AddFile("C:\\M\\Only\\Y\\y.ogg");
    fs.AddFile("C:\\M\\Only\\X\\x1.mp3");
    fs.AddFile("C:\\M\\Only\\X\\x2.mp3");
    fs.AddFolder("C:\\M\\Empty\\Deeper");
    fs.AddFile("C:\\M\\Junk\\notes.txt");
    Playlist list(Services());
    EXPECT_EQ(Scan(list, "C:\\M"), 7u);
    EXPECT_EQ(Describe(list.Items()),
              (Lines{"+0 M (3)", "+1 Only (3)", "+2 X (2)", "2 C:\\M\\Only\\X\\x1.mp3",
                     "2 C:\\M\\Only\\X\\x2.mp3", "+2 Y (1)", "2 C:\\M\\Only\\Y\\y.ogg"}));
}

TEST_F(FolderScanTest, NothingAcceptedCompletesWithZero) {
    fs.AddFolder("C:\\Empty");
    fs.AddFile("C:\\Junk\\a.txt");
    fs.AddFile("C:\\Junk\\Sub\\b.mp4");
    Playlist list(Services());
    list.ReplaceItems({File("C:\\old.mp3")});
    EXPECT_EQ(Scan(list, "C:\\Empty"), 0u);
    EXPECT_EQ(list.ItemCount(), 0);
    EXPECT_EQ(Scan(list, "C:\\Junk"), 0u);
    EXPECT_EQ(list.ItemCount(), 0);
    EXPECT_EQ(list.PlayedCount(), 0);
}

TEST_F(FolderScanTest, DeniedSubFolderIsSkippedAndLaterFoldersKeepTheirIndent) {
    fs.AddFile("C:\\M\\Locked\\Inner\\hidden.mp3");
    fs.AddFile("C:\\M\\Open\\Inner\\x.mp3");
    fs.AddFile("C:\\M\\Open\\y.mp3");
    fs.DenyFolder("C:\\M\\Locked");
    Playlist list(Services());
    EXPECT_EQ(Scan(list, "C:\\M"), 5u);
    EXPECT_EQ(Describe(list.Items()), (Lines{"+0 M (2)", "+1 Open (2)", "1 C:\\M\\Open\\y.mp3",
                                             "+2 Inner (1)", "2 C:\\M\\Open\\Inner\\x.mp3"}));

    // A source folder that cannot be enumerated yields nothing.
    EXPECT_EQ(Scan(list, "C:\\M\\Locked"), 0u);
}

TEST_F(FolderScanTest, LinkedFoldersAreNotEntered) {
    // A link back up the tree (as /proc/<n>/root or a junction loop) must not make the
    // scan endless; a linked folder is passed over like a file that is not accepted.
    fs.AddFile("C:\\M\\a.mp3");
    fs.AddFile("C:\\M\\Loop\\b.mp3");
    fs.MarkLink("C:\\M\\Loop");
    fs.AddFile("C:\\M\\Real\\c.mp3");
    Playlist list(Services());
    EXPECT_EQ(Scan(list, "C:\\M"), 4u);
    EXPECT_EQ(Describe(list.Items()),
              (Lines{"+0 M (2)", "0 C:\\M\\a.mp3", "+1 Real (1)", "1 C:\\M\\Real\\c.mp3"}));
}

TEST_F(FolderScanTest, DriveRootAndTrailingSeparatorKeepThePathAsWritten) {
    fs.AddFile("C:\\Sub\\b.mp3");
    fs.AddFile("C:\\a.mp3");
    Playlist list(Services());
    ASSERT_EQ(Scan(list, "C:\\"), 4u);
    std::deque<PlaylistItem> items = list.Items();
    EXPECT_EQ(Describe(items),
              (Lines{"+0  (2)", "0 C:\\\\a.mp3", "+1 Sub (1)", "1 C:\\\\Sub\\b.mp3"}));
    EXPECT_EQ(items[0].path, "C:\\");
    EXPECT_EQ(items[2].path, "C:\\\\Sub");

    fs.AddFile("C:\\Music\\x.mid");
    ASSERT_EQ(Scan(list, "C:\\Music\\"), 2u);
    EXPECT_EQ(list.SourcePath(), "C:\\Music\\");
    EXPECT_EQ(list.GetItem(1).path, "C:\\Music\\\\x.mid");
}

TEST_F(FolderScanTest, JapaneseNamesSortAfterAsciiAndGetTheirTitles) {
    // 曲 (8B C8), ａ/Ｂ full-width (82 81 / 82 61) — no 0x5C trail bytes here, because the
    // in-memory file system splits paths at every backslash byte.
    const std::string kyoku = "\x8b\xc8";
    fs.AddFile("C:\\M\\" + kyoku + "\\\x82\x61.mp3");  // Ｂ.mp3
    fs.AddFile("C:\\M\\" + kyoku + "\\\x82\x81.mp3");  // ａ.mp3
    fs.AddFile("C:\\M\\z\\z.mp3");
    Playlist list(Services());
    EXPECT_EQ(Scan(list, "C:\\M"), 6u);
    EXPECT_EQ(
        Describe(list.Items()),
        (Lines{"+0 M (3)", "+1 z (1)", "1 C:\\M\\z\\z.mp3", "+1 " + kyoku + " (2)",
               "1 C:\\M\\" + kyoku + "\\\x82\x81.mp3", "1 C:\\M\\" + kyoku + "\\\x82\x61.mp3"}));
}

// Names that code page 932 cannot spell: the path holds the short name, the title the long
// one with "?" marks, and both the order and the suffix follow the long name. Without a
// short name the file is still listed, marked unplayable; such a folder is not entered.
TEST_F(FolderScanTest, NamesOutsideCodePage932OpenByShortNamesUnderTheirLongTitles) {
    fs.AddFile("C:\\M\\BEYO~1.OGG");
    fs.ListAs("C:\\M\\BEYO~1.OGG", "Beyonc? - Halo.ogg");
    fs.AddFile("C:\\M\\AAAA~1.OGG");  // a title after "Beyonc?", a short name before it
    fs.ListAs("C:\\M\\AAAA~1.OGG", "Bj?rk.ogg");
    fs.AddFile("C:\\M\\???.ogg");
    fs.ListAs("C:\\M\\???.ogg", "???.ogg", false);
    fs.AddFile("C:\\M\\HOPP~1.FLA");  // a short name keeps three letters of ".flac"
    fs.ListAs("C:\\M\\HOPP~1.FLA", "Hopp?polla.flac");
    fs.AddFile("C:\\M\\NOTE~1.OGG");  // only the short name has an accepted suffix
    fs.ListAs("C:\\M\\NOTE~1.OGG", "Notes?.txt");
    fs.AddFile("C:\\M\\SIGU~1\\a.ogg");
    fs.ListAs("C:\\M\\SIGU~1", "Sigur R?s");
    fs.AddFile("C:\\M\\?\\b.ogg");
    fs.ListAs("C:\\M\\?", "?", false);
    Playlist list(Services());

    EXPECT_EQ(Scan(list, "C:\\M"), 7u);  // two folder markers and five files
    std::vector<std::string> rows;
    for (const PlaylistItem& row : list.Items())
        rows.push_back(row.title + " | " + row.path + (row.unplayable ? " | unplayable" : ""));
    EXPECT_EQ(rows, (Lines{"M | C:\\M", "???.ogg | C:\\M\\???.ogg | unplayable",
                           "Beyonc? - Halo.ogg | C:\\M\\BEYO~1.OGG",
                           "Bj?rk.ogg | C:\\M\\AAAA~1.OGG", "Hopp?polla.flac | C:\\M\\HOPP~1.FLA",
                           "Sigur R?s | C:\\M\\SIGU~1", "a.ogg | C:\\M\\SIGU~1\\a.ogg"}));
}

// The scan written out plainly, step by step: one raw list with marker rows, linear
// duplicate and heading searches, a full sort by path. The scan must give exactly its rows.
std::deque<PlaylistItem> PlainScan(FileSystem& fileSystem, const std::string& source,
                                   bool subFolders, bool allFiles) {
    std::vector<PlaylistItem> raw;
    int depth = -1;
    std::function<bool(const std::string&)> scanFolder = [&](const std::string& folder) {
        const int d = ++depth;
        auto enumeration = fileSystem.Enumerate(folder);
        if (!enumeration) {
            --depth;
            return false;
        }
        raw.push_back({d, 0, 0, 0, ".", folder + "\\.", 0, folder});
        DirectoryEntry entry;
        while (enumeration->Next(entry)) {
            if (entry.isDirectory) {
                if (entry.name != "." && entry.name != ".." && subFolders)
                    scanFolder(folder + "\\" + entry.name);
                continue;
            }
            const std::string path = folder + "\\" + entry.name;
            if (std::any_of(raw.begin(), raw.end(), [&](auto& row) { return row.path == path; }))
                continue;
            if (!allFiles && !HasAcceptedSuffix(entry.name)) continue;
            raw.push_back({d, 0, 0, 0, entry.name, path, 0, folder});
        }
        --depth;
        return true;
    };
    scanFolder(source);
    auto byPath = [](const PlaylistItem& a, const PlaylistItem& b) {
        return ComparePathOrder(a.path, b.path) < 0;
    };
    std::stable_sort(raw.begin(), raw.end(), byPath);
    std::vector<PlaylistItem> headings;
    for (const PlaylistItem& row : raw) {
        if (std::any_of(headings.begin(), headings.end(),
                        [&](auto& heading) { return heading.path == row.folder; }))
            continue;
        const std::size_t separator = FindLastBackslash(row.folder);
        headings.push_back(
            {row.indent, 0, 1, 1,
             separator == std::string::npos ? row.folder : row.folder.substr(separator + 1),
             row.folder, 0, row.folder});
    }
    std::stable_sort(headings.begin(), headings.end(), byPath);
    std::erase_if(raw, [](const PlaylistItem& row) { return row.title == "."; });
    std::vector<PlaylistItem> rows;
    for (const PlaylistItem& heading : headings) {
        rows.push_back(heading);
        for (const PlaylistItem& row : raw)
            if (row.folder == heading.path) rows.push_back(row);
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!rows[i].isFolder) continue;
        for (std::size_t j = i + 1; j < rows.size(); ++j) {
            if (rows[j].isFolder && rows[j].indent <= rows[i].indent) break;
            if (!rows[j].isFolder) ++rows[i].fileCount;
        }
    }
    std::erase_if(rows, [](const PlaylistItem& row) { return row.isFolder && !row.fileCount; });
    return {rows.begin(), rows.end()};
}

TEST_F(FolderScanTest, MatchesThePlainStepByStepScan) {
    // Name pieces that sort in telling ways: space and "_" around the separator, case,
    // digits, 曲 and the full-width Ａ (double-byte, after all single bytes).
    const std::vector<std::string> pieces = {"a", "B", " ", "_", "1", "\x8b\xc8", "\x82\x60", "z"};
    const std::vector<std::string> suffixes = {".mp3", ".MP3", ".Ogg", "mpeg", ".txt", ".flac", ""};
    std::mt19937 random(7);
    auto name = [&] {
        std::string text = pieces[random() % 2 == 0 ? 0 : random() % pieces.size()];
        for (unsigned n = random() % 3; n > 0; --n)
            text += pieces[random() % pieces.size()];
        return text;
    };
    for (int trial = 0; trial < 30; ++trial) {
        MemoryFileSystem tree;
        std::function<void(const std::string&, int)> fill = [&](const std::string& folder,
                                                                int level) {
            tree.AddFolder(folder);
            for (unsigned n = random() % 6; n > 0; --n)
                tree.AddFile(folder + "\\" + name() + suffixes[random() % suffixes.size()]);
            if (level < 3)
                for (unsigned n = random() % 4; n > 0; --n)
                    fill(folder + "\\" + name(), level + 1);
            if (level > 0 && random() % 10 == 0) tree.DenyFolder(folder);
        };
        fill("C:\\R", 0);
        for (bool subFolders : {true, false})
            for (bool allFiles : {false, true}) {
                std::atomic<std::int32_t> depth{-1};
                FolderScan scan(tree, {subFolders, allFiles}, depth);
                std::deque<PlaylistItem> rows = scan.Run("C:\\R");
                ASSERT_EQ(rows, PlainScan(tree, "C:\\R", subFolders, allFiles))
                    << "trial " << trial << " sub " << subFolders << " all " << allFiles;
                EXPECT_EQ(depth, -1);
            }
    }
}

}  // namespace
}  // namespace hgf::test
