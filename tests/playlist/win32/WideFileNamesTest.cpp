// File names that code page 932 cannot spell (accented Latin letters, Hangul, emoji) next
// to Japanese ones, on a real folder through the Win32 file system: each is listed under a
// title the user recognises, plays, and plays again from a saved list, whatever the
// system's ANSI code page (run with 932 and with 1252).
#include <gtest/gtest.h>
#include <windows.h>

#include <shlobj.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "FakeWaveOutput.h"
#include "OggTestFiles.h"
#include "engines/OggStreamPlayer.h"
#include "platform/Clock.h"
#include "platform/CodePage932.h"
#include "platform/win32/Win32FileSystem.h"
#include "playlist/FolderScan.h"
#include "playlist/PlaylistFiles.h"
#include "win32/Choosers.h"

namespace hgf {
namespace {

std::wstring Wide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

// The files, by their long names below the folder, and the title each row must show.
struct NamedFile {
    std::u16string relative;
    std::string title;  // code page 932: "?" for each character it lacks
};
const NamedFile kFiles[] = {
    {u"Beyoncé - Halo.ogg", "Beyonc? - Halo.ogg"},
    {u"Sigur Rós\\Hoppípolla.ogg", "Hopp?polla.ogg"},
    {u"아리랑.ogg", "???.ogg"},
    {u"🎵 Theme.ogg", "? Theme.ogg"},
    {u"曲.ogg", "\x8B\xC8.ogg"},
    {u"表.ogg", "\x95\x5C.ogg"},  // its trail byte is a backslash byte
};

class WideFileNames : public ::testing::Test {
  protected:
    void SetUp() override {
        // The run meant for a Western Windows must have its ANSI code page.
        const char* locale = std::getenv("HGF_WINE_LOCALE");
        ASSERT_EQ(GetACP(), locale && std::string(locale).rfind("en_US", 0) == 0 ? 1252u : 932u);
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"hgf-wide-" + std::to_wstring(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW((folder_ + L"\\Sigur R\u00F3s").c_str(), nullptr));
        const std::string song = test::EncodeTone({.seconds = 1.0});
        for (const NamedFile& file : kFiles) {
            const std::wstring path = folder_ + L"\\" + Wide(file.relative);
            HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(handle, INVALID_HANDLE_VALUE);
            DWORD written = 0;
            WriteFile(handle, song.data(), static_cast<DWORD>(song.size()), &written, nullptr);
            CloseHandle(handle);
        }
        root_ = CodePage932FromUtf16(std::u16string(folder_.begin(), folder_.end()));
    }
    void TearDown() override { std::filesystem::remove_all(std::filesystem::path(folder_)); }

    std::deque<PlaylistItem> Scan() {
        std::atomic<std::int32_t> depth{-1};
        return FolderScan(TheWin32FileSystem(), {}, depth).Run(root_);
    }

    // Opens and starts each file row in turn, as the player does; the titles of those that
    // did not reach the device.
    static std::vector<std::string> RowsThatDoNotPlay(const std::deque<PlaylistItem>& rows) {
        std::vector<std::string> silent;
        for (const PlaylistItem& row : rows) {
            if (row.isFolder) continue;
            test::FakeWaveOutput output;
            OggStreamPlayer player(TheWin32FileSystem(), output);
            const bool played = !row.unplayable && player.Length(row.path) == 1 &&
                                player.Open(row.path) && player.Start() && output.WaitForWrites(1);
            player.Close();
            if (!played) silent.push_back(row.title + " <" + row.path + ">");
        }
        return silent;
    }

    std::wstring folder_;
    std::string root_;  // the folder in code page 932 (its name is ASCII)
};

TEST_F(WideFileNames, EveryFileIsListedUnderItsNameAndPlays) {
    const std::deque<PlaylistItem> rows = Scan();
    std::vector<std::string> titles;
    for (const PlaylistItem& row : rows)
        titles.push_back(row.title);
    // Path order of what the user reads; the heading shows the folder's long name.
    const std::string root = root_.substr(root_.rfind('\\') + 1);
    EXPECT_EQ(titles, (std::vector<std::string>{root, "? Theme.ogg", "???.ogg",
                                                "Beyonc? - Halo.ogg", "\x8B\xC8.ogg",
                                                "\x95\x5C.ogg", "Sigur R?s", "Hopp?polla.ogg"}));
    for (const PlaylistItem& row : rows) {
        EXPECT_FALSE(row.unplayable) << row.title;
        // A name that converts keeps its own bytes in the path (what lists and the INI store).
        if (row.title == "\x95\x5C.ogg" || row.title == "\x8B\xC8.ogg") {
            EXPECT_EQ(row.path, root_ + "\\" + row.title);
        }
        // Every other path is one code page 932 spells: no "?" in it.
        EXPECT_EQ(row.path.find('?'), std::string::npos) << row.title;
    }
    EXPECT_EQ(RowsThatDoNotPlay(rows), std::vector<std::string>{});

    // Saved and read back, the list still plays every file.
    for (const char* suffix : {".spl", ".m3u"}) {
        const std::string list = root_ + "\\list" + suffix;
        ASSERT_EQ(SaveList(TheWin32FileSystem(), SystemClock(), list, rows), SaveResult::kSaved);
        std::deque<PlaylistItem> readBack;
        ASSERT_TRUE(ReadPlaylistFile(TheWin32FileSystem(), list, readBack)) << suffix;
        std::size_t files = 0;
        for (const PlaylistItem& row : readBack)
            files += row.isFolder ? 0 : 1;
        EXPECT_EQ(files, std::size(kFiles)) << suffix;
        EXPECT_EQ(RowsThatDoNotPlay(readBack), std::vector<std::string>{}) << suffix;
    }
}

// The folder chooser's answer: a Japanese folder by its own name, one that code page 932
// cannot spell by its short path, which lists its files under its long name.
TEST_F(WideFileNames, TheChosenFolderIsAPathThatOpens) {
    ASSERT_TRUE(CreateDirectoryW((folder_ + L"\\\u8868").c_str(), nullptr));  // 表
    for (const wchar_t* name : {L"\u8868", L"Sigur R\u00F3s"}) {
        const std::wstring chosen = folder_ + L"\\" + name;
        PIDLIST_ABSOLUTE item = nullptr;
        ASSERT_EQ(SHParseDisplayName(chosen.c_str(), nullptr, &item, 0, nullptr), S_OK);
        const std::optional<std::string> path = CodePage932PathOfItem(item);
        CoTaskMemFree(item);
        ASSERT_TRUE(path);
        if (name[0] == L'\u8868') {
            EXPECT_EQ(*path, root_ + "\\\x95\x5C");
        } else {
            std::atomic<std::int32_t> depth{-1};
            const std::deque<PlaylistItem> rows =
                FolderScan(TheWin32FileSystem(), {}, depth).Run(*path);
            ASSERT_EQ(rows.size(), 2u) << *path;
            EXPECT_EQ(rows[0].title, "Sigur R?s");  // the heading, by the long name
            EXPECT_EQ(rows[1].title, "Hopp?polla.ogg");
        }
    }
}

}  // namespace
}  // namespace hgf
