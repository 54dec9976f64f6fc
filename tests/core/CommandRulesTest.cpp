// The rules behind the main window's commands that need no window: busy gating, fixed
// menu texts, the remembered path lists, the file dialog's filters and save extension,
// and where the help page is.
#include <gtest/gtest.h>

#include "CoreIds.h"
#include "FileDialogFilters.h"
#include "HelpPage.h"
#include "PlayerCommands.h"
#include "RememberedPaths.h"

namespace hgf {
namespace {

TEST(CommandRules, BusyBlocksPlaybackLoadsAndSaveOnly) {
    std::vector<int> blocked = {CMD_PLAY_PAUSE,   CMD_SKIP,          CMD_REPLAY,
                                CMD_PREV_PLAY,    CMD_CHANGE_FOLDER, CMD_LOAD_PLAYLIST,
                                CMD_SAVE_PLAYLIST};
    for (int n = 0; n < 20; ++n)
        blocked.push_back(CMD_HISTORY_0 + n);
    for (int n = 0; n < 10; ++n)
        blocked.push_back(CMD_FOLDER_SC_0 + n);
    for (int id = CMD_FIRST - 5; id <= CMD_LAST + 5; ++id) {
        bool expected = std::find(blocked.begin(), blocked.end(), id) != blocked.end();
        EXPECT_EQ(IsIgnoredWhileBusy(id), expected) << id;
        EXPECT_EQ(IsPlayerCommand(id), id >= 33775 && id <= 33819) << id;
    }
}

TEST(CommandRules, MenuTextsOfModesAndHistoryChange) {
    for (int id = 33700; id < 33900; ++id) {
        bool changing = (id >= 33775 && id <= 33777) || (id >= 33783 && id <= 33802);
        EXPECT_EQ(HasFixedMenuText(id), !changing) << id;
    }
    EXPECT_EQ(LoadHistoryIndexOf(CMD_HISTORY_0 + 19), 19);
    EXPECT_EQ(LoadHistoryIndexOf(CMD_LOAD_PLAYLIST), -1);
    EXPECT_EQ(FolderShortcutIndexOf(CMD_FOLDER_SC_0 + 9), 9);
    EXPECT_EQ(FolderShortcutIndexOf(CMD_EXIT), -1);
}

TEST(RememberedPaths, NewestFirstWithoutDuplicatesAndBounded) {
    std::deque<std::string> paths;
    PutFirst(paths, "a", 3);
    PutFirst(paths, "b", 3);
    PutFirst(paths, "c", 3);
    PutFirst(paths, "a", 3);  // moves to the front, no duplicate
    EXPECT_EQ(paths, (std::deque<std::string>{"a", "c", "b"}));
    PutFirst(paths, "d", 3);  // the oldest falls off
    EXPECT_EQ(paths, (std::deque<std::string>{"d", "a", "c"}));
    PutFirst(paths, "D", 3);  // letter case counts
    EXPECT_EQ(paths, (std::deque<std::string>{"D", "d", "a"}));

    EXPECT_EQ(TakeEntry(paths, 1), "d");
    EXPECT_EQ(paths, (std::deque<std::string>{"D", "a"}));
    EXPECT_EQ(TakeEntry(paths, 2), std::nullopt);
    EXPECT_EQ(TakeEntry(paths, -1), std::nullopt);
    EXPECT_EQ(paths.size(), 2u);
}

TEST(FileDialog, FilterTextsAreDescriptionPatternPairs) {
    std::string text = FileDialogFilterText(FILE_DIALOG_PLAYLIST);
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), std::string(2, '\0'));
    int parts = 0;
    for (char c : text)
        parts += c == '\0';
    EXPECT_EQ(parts, 2 * 8 + 1);
    using namespace std::string_literals;
    EXPECT_NE(text.find("(7FileTypes)\0*.spl;*.spf;*.spt;*.m3u;*.asx;*.m3u8;*.pls\0"s),
              std::string::npos);
    EXPECT_NE(text.find("\0*.m3u8\0"s), std::string::npos);
    EXPECT_NE(text.find("\0*.pls\0"s), std::string::npos);
    EXPECT_EQ(FileDialogFilters(FILE_DIALOG_MEDIA).size(), 1u);
    EXPECT_NE(FileDialogFilterText(FILE_DIALOG_MEDIA).find(";*.ogg;*.flac;*.opus"),
              std::string::npos);
    EXPECT_EQ(FileDialogFilters(FILE_DIALOG_SAVE_LIST).size(), 3u);
    EXPECT_EQ(FileDialogFilters(FILE_DIALOG_SMF_CONFIG).size(), 1u);
    EXPECT_TRUE(FileDialogFilters(4).empty());
}

TEST(FileDialog, SaveAppendsTheChosenFiltersExtensionUnlessContained) {
    EXPECT_EQ(WithSaveExtension("C:\\list", FILE_DIALOG_SAVE_LIST, 1), "C:\\list.spl");
    EXPECT_EQ(WithSaveExtension("C:\\list", FILE_DIALOG_SAVE_LIST, 2), "C:\\list.m3u");
    EXPECT_EQ(WithSaveExtension("C:\\list", FILE_DIALOG_SAVE_LIST, 3), "C:\\list.htm");
    // Contained anywhere, even in the middle or in a folder name: left alone.
    EXPECT_EQ(WithSaveExtension("C:\\a.m3u.bak", FILE_DIALOG_SAVE_LIST, 2), "C:\\a.m3u.bak");
    EXPECT_EQ(WithSaveExtension("C:\\x.htm\\list", FILE_DIALOG_SAVE_LIST, 3), "C:\\x.htm\\list");
    // Another filter's extension does not count.
    EXPECT_EQ(WithSaveExtension("C:\\list.spl", FILE_DIALOG_SAVE_LIST, 2), "C:\\list.spl.m3u");
    // No filter, or one of several patterns: nothing to append.
    EXPECT_EQ(WithSaveExtension("C:\\list", FILE_DIALOG_SAVE_LIST, 0), "C:\\list");
    EXPECT_EQ(WithSaveExtension("C:\\list", FILE_DIALOG_SAVE_LIST, 4), "C:\\list");
    EXPECT_EQ(WithSaveExtension("C:\\list", FILE_DIALOG_PLAYLIST, 1), "C:\\list");
    EXPECT_EQ(WithSaveExtension("C:\\list", FILE_DIALOG_PLAYLIST, 5), "C:\\list.m3u");
}

TEST(HelpPage, BesideTheProgram) {
    EXPECT_EQ(HelpPagePath("C:\\Program Files\\HGF\\Harrowgladeforte.exe"),
              "C:\\Program Files\\HGF\\Help\\index.html");
    EXPECT_EQ(HelpPagePath("player.exe"), "Help\\index.html");
    // "C:\表\表.exe": the trail byte 0x5C of 表 is not a separator.
    EXPECT_EQ(HelpPagePath("C:\\\x95\x5C\\\x95\x5C.exe"), "C:\\\x95\x5C\\Help\\index.html");
}

}  // namespace
}  // namespace hgf
