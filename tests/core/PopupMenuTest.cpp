// The popup menu as data: key labels, the submenus, texts and greying by the player's
// state.
#include <gtest/gtest.h>

#include <map>

#include "CoreIds.h"
#include "PopupMenu.h"

namespace hgf {
namespace {

// Key texts as the platform would give them: F10 and K have names, other keys show a
// made-up name argument (the scan code is the virtual key + 0x100).
std::string FakeKeyText(std::uint16_t key) {
    std::uint8_t virtualKey = key & 0xFF;
    std::string name = virtualKey == 0x79 ? "F10" : virtualKey == 0x4B ? "K" : "";
    return FormatKeyText(key, name, static_cast<std::uint32_t>(virtualKey + 0x100) << 16);
}

MenuEntry Item(int id, std::string text, bool grayed = false, bool checked = false) {
    return MenuEntry{MenuEntryKind::Command, id, std::move(text), grayed, checked};
}

const MenuEntry* FindCommand(const std::vector<MenuEntry>& entries, int id) {
    for (const MenuEntry& entry : entries)
        if (entry.kind == MenuEntryKind::Command && entry.id == id) return &entry;
    return nullptr;
}

// Greyed state of the commands that depend on the player, by id.
std::map<int, bool> Greying(const PopupMenuModel& menu) {
    std::map<int, bool> grayed;
    for (const MenuEntry& entry : menu.main) {
        if (entry.kind == MenuEntryKind::Command) grayed[entry.id] = entry.grayed;
        if (entry.kind == MenuEntryKind::HistoryMenu) grayed[0] = entry.grayed;
    }
    return grayed;
}

TEST(KeyLabel, NoKeyNoLabelAndModifiersInFixedOrder) {
    EXPECT_EQ(KeyLabel(0, FakeKeyText), "");
    EXPECT_EQ(KeyLabel(0x279, FakeKeyText), "\t[Ctrl + F10]");
    // Alt + Shift + Ctrl held: always Ctrl, Shift, Alt.
    EXPECT_EQ(KeyLabel(0x74B, FakeKeyText), "\t[Ctrl + Shift + Alt + K]");
    EXPECT_EQ(KeyLabel(0x34B, FakeKeyText), "\t[Ctrl + Shift + K]");
    // No name: the shifted scan code in hexadecimal.
    EXPECT_EQ(KeyLabel(0x17C, FakeKeyText), "\t[Shift + 0x17c0000]");

    KeyTable table = DefaultKeyTable();
    table[0].key = 0x34B;
    KeyLabels labels = BuildKeyLabels(table, FakeKeyText);
    EXPECT_EQ(labels[0], "\t[Ctrl + Shift + K]");
    EXPECT_EQ(labels[1], "");
    EXPECT_EQ(labels[3], "\t[Ctrl + F10]");  // e_PlayPause by default
}

TEST(PopupMenu, MainMenuOrderTextsAndLabels) {
    KeyTable table = DefaultKeyTable();
    table[29].key = 0x4B;  // e_Exit on K
    PopupMenuState state;
    state.itemCount = 3;
    state.playHistoryCount = 2;
    state.playing = true;
    PopupMenuModel menu = BuildPopupMenu(state, BuildKeyLabels(table, FakeKeyText));

    std::vector<std::string> texts;
    for (const MenuEntry& entry : menu.main)
        texts.push_back(entry.kind == MenuEntryKind::Separator ? "-" : entry.text);
    EXPECT_EQ(
        texts,
        (std::vector<std::string>{
            "再生モード", "-", "一時停止\t[Ctrl + F10]", "この曲をスキップ\t[Ctrl + 0x17a0000]",
            "この曲を始めから再生\t[Ctrl + 0x17b0000]", "１つ前の曲を再生\t[Ctrl + 0x1780000]", "-",
            "フォルダを変更する", "最近読み込んだフォルダ／プレイリスト", "-",
            "プレイリストを読み込む", "プレイリストを書き込む", "-",
            "ウィンドウを隠す\t[0x17b0000]", "ウィンドウを初期位置(画面右下)に移動", "-",
            "オプション", "ヘルプ", "アプリケーションの終了\t[K]"}));
    EXPECT_EQ(menu.main[0].kind, MenuEntryKind::PlayModeMenu);
    EXPECT_EQ(menu.main[8].kind, MenuEntryKind::HistoryMenu);
    std::vector<int> ids;
    for (const MenuEntry& entry : menu.main)
        if (entry.kind == MenuEntryKind::Command) ids.push_back(entry.id);
    EXPECT_EQ(ids, (std::vector<int>{33778, 33779, 33780, 33781, 33782, 33803, 33804, 33805, 33806,
                                     33807, 33808, 33809}));
    for (const MenuEntry& entry : menu.main)
        EXPECT_FALSE(entry.grayed || entry.checked) << entry.text;

    // Paused (or stopped) and hidden: the other texts.
    state.playing = false;
    state.windowVisible = false;
    menu = BuildPopupMenu(state, BuildKeyLabels(table, FakeKeyText));
    EXPECT_EQ(FindCommand(menu.main, CMD_PLAY_PAUSE)->text, "再生\t[Ctrl + F10]");
    EXPECT_EQ(FindCommand(menu.main, CMD_SHOW_HIDE)->text, "ウィンドウを表示する\t[0x17b0000]");
}

TEST(PopupMenu, PlayModeChecksAndHistoryEntries) {
    KeyTable table = DefaultKeyTable();
    table[7 + 1].key = 0x279;  // e_Histry[01]
    KeyLabels labels = BuildKeyLabels(table, FakeKeyText);
    PopupMenuState state;
    state.loadHistory = {"C:\\Music", "D:\\Songs\\list.spl"};
    for (PlayMode mode : {PLAY_MODE_LIST_ORDER, PLAY_MODE_RANDOM, PLAY_MODE_REPEAT}) {
        state.playMode = mode;
        PopupMenuModel menu = BuildPopupMenu(state, labels);
        ASSERT_EQ(menu.playMode.size(), 3u);
        EXPECT_EQ(menu.playMode[0], Item(33775, "ランダム再生", false, mode == PLAY_MODE_RANDOM));
        EXPECT_EQ(menu.playMode[1],
                  Item(33776, "リスト順再生", false, mode == PLAY_MODE_LIST_ORDER));
        EXPECT_EQ(menu.playMode[2], Item(33777, "リピート再生", false, mode == PLAY_MODE_REPEAT));
        EXPECT_EQ(menu.history,
                  (std::vector<MenuEntry>{Item(33783, "C:\\Music"),
                                          Item(33784, "D:\\Songs\\list.spl\t[Ctrl + F10]")}));
    }

    state.loadHistory.clear();
    PopupMenuModel menu = BuildPopupMenu(state, labels);
    EXPECT_EQ(menu.history, std::vector<MenuEntry>{Item(33783, "履歴はありません", true)});
}

TEST(PopupMenu, GreyingWhileEmptyBusyShortOrSheetOpen) {
    KeyLabels labels = BuildKeyLabels(DefaultKeyTable(), FakeKeyText);
    auto greyed = [&](PopupMenuState state) {
        std::map<int, bool> all = Greying(BuildPopupMenu(state, labels));
        std::vector<int> ids;
        for (auto [id, grayed] : all)
            if (grayed) ids.push_back(id);
        return ids;  // 0 stands for the history submenu
    };
    PopupMenuState ready;
    ready.itemCount = 5;
    ready.playHistoryCount = 2;
    EXPECT_EQ(greyed(ready), std::vector<int>{});

    PopupMenuState empty = ready;
    empty.itemCount = 0;
    EXPECT_EQ(greyed(empty), (std::vector<int>{33778, 33779, 33780, 33781, 33804}));

    PopupMenuState busy = ready;
    busy.busy = true;
    EXPECT_EQ(greyed(busy), (std::vector<int>{0, 33778, 33779, 33780, 33781, 33782, 33803, 33804}));

    PopupMenuState shortHistory = ready;
    shortHistory.playHistoryCount = 1;
    EXPECT_EQ(greyed(shortHistory), std::vector<int>{33781});

    PopupMenuState sheet = ready;
    sheet.sheetOpen = true;
    EXPECT_EQ(greyed(sheet), std::vector<int>{33807});
}

}  // namespace
}  // namespace hgf
