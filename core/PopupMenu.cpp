#include "PopupMenu.h"

#include "CoreIds.h"

namespace hgf {
namespace {

// Key-assignable actions by their place in the action order.
constexpr int ACTION_MODE_RANDOM = 0;
constexpr int ACTION_MODE_NORMAL = 1;
constexpr int ACTION_MODE_REPEAT = 2;
constexpr int ACTION_PLAY_PAUSE = 3;
constexpr int ACTION_SKIP = 4;
constexpr int ACTION_REPLAY = 5;
constexpr int ACTION_PREV_PLAY = 6;
constexpr int ACTION_HISTORY_0 = 7;
constexpr int ACTION_SHOW_HIDE = 27;
constexpr int ACTION_WINDOW_INIT = 28;
constexpr int ACTION_EXIT = 29;
static_assert(ACTION_HISTORY_0 + LOAD_HISTORY_SIZE == ACTION_SHOW_HIDE);

MenuEntry Command(int id, std::string text, bool grayed = false, bool checked = false) {
    return MenuEntry{MenuEntryKind::Command, id, std::move(text), grayed, checked};
}

MenuEntry Separator() {
    return MenuEntry{MenuEntryKind::Separator, 0, {}, false, false};
}

MenuEntry Submenu(MenuEntryKind kind, std::string text, bool grayed = false) {
    return MenuEntry{kind, 0, std::move(text), grayed, false};
}

}  // namespace

std::string KeyLabel(std::uint16_t key, const KeyTextOf& keyText) {
    if (key == 0) return {};
    return "\t[" + keyText(key) + "]";
}

KeyLabels BuildKeyLabels(const KeyTable& table, const KeyTextOf& keyText) {
    KeyLabels labels;
    for (std::size_t i = 0; i < labels.size(); ++i)
        labels[i] = KeyLabel(table[i].key, keyText);
    return labels;
}

PopupMenuModel BuildPopupMenu(const PopupMenuState& state, const KeyLabels& labels) {
    PopupMenuModel menu;
    const bool empty = state.itemCount <= 0;
    const bool busy = state.busy;
    const bool shortHistory = state.playHistoryCount < 2;

    const std::deque<std::string>& history = state.loadHistory;
    if (history.empty()) {
        menu.history.push_back(Command(CMD_HISTORY_0, "履歴はありません", true));
    }
    for (std::size_t n = 0; n < history.size() && n < LOAD_HISTORY_SIZE; ++n) {
        menu.history.push_back(Command(CMD_HISTORY_0 + static_cast<int>(n),
                                       history[n] + labels[ACTION_HISTORY_0 + n]));
    }

    menu.playMode = {
        Command(CMD_MODE_RANDOM, "ランダム再生" + labels[ACTION_MODE_RANDOM], false,
                state.playMode == PLAY_MODE_RANDOM),
        Command(CMD_MODE_NORMAL, "リスト順再生" + labels[ACTION_MODE_NORMAL], false,
                state.playMode == PLAY_MODE_LIST_ORDER),
        Command(CMD_MODE_REPEAT, "リピート再生" + labels[ACTION_MODE_REPEAT], false,
                state.playMode == PLAY_MODE_REPEAT),
    };

    menu.main = {
        Submenu(MenuEntryKind::PlayModeMenu, "再生モード"),
        Separator(),
        Command(CMD_PLAY_PAUSE, (state.playing ? "一時停止" : "再生") + labels[ACTION_PLAY_PAUSE],
                empty || busy),
        Command(CMD_SKIP, "この曲をスキップ" + labels[ACTION_SKIP], empty || busy),
        Command(CMD_REPLAY, "この曲を始めから再生" + labels[ACTION_REPLAY], empty || busy),
        Command(CMD_PREV_PLAY, "１つ前の曲を再生" + labels[ACTION_PREV_PLAY],
                empty || busy || shortHistory),
        Separator(),
        Command(CMD_CHANGE_FOLDER, "フォルダを変更する", busy),
        Submenu(MenuEntryKind::HistoryMenu, "最近読み込んだフォルダ／プレイリスト", busy),
        Separator(),
        Command(CMD_LOAD_PLAYLIST, "プレイリストを読み込む", busy),
        Command(CMD_SAVE_PLAYLIST, "プレイリストを書き込む", empty || busy),
        Separator(),
        Command(CMD_SHOW_HIDE, (state.windowVisible ? "ウィンドウを隠す" : "ウィンドウを表示する") +
                                   labels[ACTION_SHOW_HIDE]),
        Command(CMD_WINDOW_INIT,
                "ウィンドウを初期位置(画面右下)に移動" + labels[ACTION_WINDOW_INIT]),
        Separator(),
        Command(CMD_OPTIONS, "オプション", state.sheetOpen),
        Command(CMD_HELP, "ヘルプ"),
        Command(CMD_EXIT, "アプリケーションの終了" + labels[ACTION_EXIT]),
    };
    return menu;
}

}  // namespace hgf
