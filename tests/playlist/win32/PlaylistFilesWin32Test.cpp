// The playlist files on real files through the Win32 file system: what the writers leave
// on disk and what the readers take back, with a Japanese file name for the list itself.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "PlaylistFileBytes.h"
#include "platform/Clock.h"
#include "platform/CodePage932.h"
#include "platform/win32/Win32FileSystem.h"
#include "playlist/PlaylistFiles.h"

namespace hgf {
namespace {

using test::Row;
// A fresh folder under the temporary folder, removed with its files at the end.
class TempFolder {
  public:
    TempFolder() {
        char base[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        char name[MAX_PATH];
        snprintf(name, sizeof name, "%shgf-playlist-%lu", base, GetCurrentProcessId());
        path_ = name;
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~TempFolder() {
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA((path_ + "\\*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileA((path_ + "\\" + data.cFileName).c_str());
            } while (FindNextFileA(find, &data));
            FindClose(find);
        }
        RemoveDirectoryA(path_.c_str());
    }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }

  private:
    std::string path_;
};

std::string RawContents(FileSystem& fs, const std::string& path) {
    std::string contents;
    auto file = fs.OpenRead(path);
    if (!file) return "<none>";
    char buffer[4096];
    while (std::size_t got = file->Read(buffer, sizeof buffer))
        contents.append(buffer, got);
    return contents;
}

TEST(PlaylistFilesOnDisk, RoundTripThroughWin32Files) {
    TempFolder folder;
    Win32FileSystem& fs = TheWin32FileSystem();
    const std::deque<PlaylistItem> items = {
        Row("C:\\音楽", "音楽", 1, 0),
        Row("C:\\音楽\\表.mp3", "表.mp3", 0, 0),
        Row("C:\\音楽\\ソ", "ソ", 1, 1),
        Row("C:\\音楽\\ソ\\b.ogg", "b.ogg", 0, 1),
    };

    const std::string spl = folder.File("表のリスト.SPL");
    ASSERT_EQ(SaveList(fs, SystemClock(), spl, items), SaveResult::kSaved);
    std::string raw = RawContents(fs, spl);
    const std::string lastBlock = "0:C:\\音楽\\ソ\\b.ogg\r\n1:0\r\n2:b.ogg\r\n3:1\r\n@\r\n";
    ASSERT_GT(raw.size(), lastBlock.size());
    EXPECT_EQ(raw.substr(raw.size() - lastBlock.size()), lastBlock);
    std::deque<PlaylistItem> back;
    ASSERT_TRUE(ReadPlaylistFile(fs, spl, back));
    EXPECT_EQ(back, items);

    const std::string m3u = folder.File("list.m3u");
    ASSERT_EQ(SaveList(fs, SystemClock(), m3u, items), SaveResult::kSaved);
    EXPECT_EQ(RawContents(fs, m3u), "C:\\音楽\\表.mp3\r\nC:\\音楽\\ソ\\b.ogg\r\n");
    back.clear();
    ASSERT_TRUE(ReadPlaylistFile(fs, m3u, back));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].title, "表.mp3");
    EXPECT_EQ(back[1].path, "C:\\音楽\\ソ\\b.ogg");

    const std::string htm = folder.File("page.htm");
    ASSERT_EQ(SaveList(fs, SystemClock(), htm, items), SaveResult::kSaved);
    raw = RawContents(fs, htm);
    EXPECT_EQ(raw.rfind("<html>\r\n", 0), 0u);
    EXPECT_NE(raw.find("  <tr><td>　　b.ogg</td><td>C:\\音楽\\ソ\\b.ogg</td></tr>\r\n"),
              std::string::npos);

    // A list with bare LF line ends, as another program may write it, reads the same.
    const std::string lf = folder.File("lf.m3u");
    {
        auto out = fs.Create(lf);
        ASSERT_TRUE(out);
        std::string text = "#EXTM3U\nC:\\音楽\\表.mp3\nC:\\音楽\\ソ\\b.ogg";
        ASSERT_TRUE(out->Write(text.data(), text.size()));
    }
    std::deque<PlaylistItem> fromLf;
    ASSERT_TRUE(ReadPlaylistFile(fs, lf, fromLf));
    EXPECT_EQ(fromLf, back);

    // A file that does not exist, and a name the system cannot create.
    back.clear();
    EXPECT_FALSE(ReadPlaylistFile(fs, folder.File("gone.spl"), back));
    EXPECT_EQ(SaveList(fs, SystemClock(), folder.File("bad?name.spl"), items),
              SaveResult::kNotCreated);
    EXPECT_TRUE(back.empty());
}

TEST(PlaylistFilesOnDisk, SavingOverAListReplacesItWholeOrNotAtAll) {
    TempFolder folder;
    Win32FileSystem& fs = TheWin32FileSystem();
    const std::string m3u = folder.File("list.m3u");
    {
        auto out = fs.Create(m3u);
        ASSERT_TRUE(out);
        ASSERT_TRUE(out->Write(std::string(500, 'o').data(), 500));
    }
    ASSERT_EQ(SaveList(fs, SystemClock(), m3u, {Row("C:\\a.ogg", "a.ogg")}), SaveResult::kSaved);
    EXPECT_EQ(RawContents(fs, m3u), "C:\\a.ogg\r\n");

    // Where the list cannot be replaced (a folder of that name stands there), the new file
    // is written, then removed.
    const std::string busy = folder.File("busy.m3u");
    ASSERT_TRUE(CreateDirectoryA(busy.c_str(), nullptr));
    EXPECT_EQ(SaveList(fs, SystemClock(), busy, {Row("C:\\b.ogg", "b.ogg")}), SaveResult::kFailed);
    EXPECT_TRUE(fs.GetAttributes(busy)->isDirectory);
    EXPECT_FALSE(fs.GetAttributes(busy + ".~tmp"));
    RemoveDirectoryA(busy.c_str());
    EXPECT_TRUE(fs.Remove(m3u));
    EXPECT_FALSE(fs.Remove(m3u));
}

// A UTF-8 list naming a file whose name code page 932 cannot spell: the row opens the file
// by its short path (the system's), and its title shows the long name.
TEST(PlaylistFilesOnDisk, NamesOutsideCodePage932OpenByTheirShortPaths) {
    TempFolder folder;
    Win32FileSystem& fs = TheWin32FileSystem();
    const std::u16string wideFolder = Utf16FromCodePage932(folder.File(""));
    const std::u16string songPath = wideFolder + u"Beyoncé.ogg";
    const std::wstring song(songPath.begin(), songPath.end());
    HANDLE file = CreateFileW(song.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "song", 4, &written, nullptr);
    CloseHandle(file);

    EXPECT_EQ(fs.CodePage932PathThatOpens(wideFolder + u"曲.ogg"), folder.File("曲.ogg"));
    const std::u16string missing = wideFolder + u"Missing é.ogg";
    EXPECT_EQ(fs.CodePage932PathThatOpens(missing), std::nullopt);

    const std::string list = folder.File("list.m3u8");
    {
        auto out = fs.Create(list);
        const std::string text =
            "\xEF\xBB\xBF"
            "Beyonc\xC3\xA9.ogg\r\n";
        ASSERT_TRUE(out && out->Write(text.data(), text.size()));
    }
    std::deque<PlaylistItem> rows;
    ASSERT_TRUE(ReadPlaylistFile(fs, list, rows));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].title, "Beyonc?.ogg");
    EXPECT_EQ(RawContents(fs, rows[0].path), "song") << rows[0].path;
    DeleteFileW(song.c_str());
}

}  // namespace
}  // namespace hgf
