// The action table and the key text.
#include "settings/KeyAssignment.h"

#include <cstdio>

#include "CoreIds.h"

namespace hgf {
namespace {

// Virtual-key codes of the default keys.
constexpr std::uint16_t KEY_NUMPAD0 = 0x60;
constexpr std::uint16_t KEY_F9 = 0x78;
constexpr std::uint16_t KEY_F10 = 0x79;
constexpr std::uint16_t KEY_F11 = 0x7A;
constexpr std::uint16_t KEY_F12 = 0x7B;

// The media keys: their names (the platform has none for most of them) and what they do
// while no binding takes them. A command of 0 stands for "pause".
struct MediaKey {
    std::uint16_t virtualKey;
    const char* name;
    int command;
};
constexpr MediaKey kMediaKeys[] = {
    {KEY_MEDIA_PLAY_PAUSE, "Play/Pause", CMD_PLAY_PAUSE},
    {KEY_MEDIA_NEXT_TRACK, "Next Track", CMD_SKIP},
    {KEY_MEDIA_PREV_TRACK, "Previous Track", CMD_PREV_PLAY},
    {KEY_MEDIA_STOP, "Stop", 0},
};

const MediaKey* MediaKeyOf(std::uint16_t key) {
    for (const MediaKey& media : kMediaKeys)
        if (media.virtualKey == (key & 0xFF)) return &media;
    return nullptr;
}

}  // namespace

const std::array<KeyAction, KEY_ACTION_COUNT> kKeyActions = {
    KeyAction{"e_Mode_Random", "再生モード(ランダム再生)", 0, CMD_MODE_RANDOM},
    KeyAction{"e_Mode_Normal", "再生モード(リスト順再生)", 0, CMD_MODE_NORMAL},
    KeyAction{"e_Mode_Repert", "再生モード(リピート再生)", 0, CMD_MODE_REPEAT},
    KeyAction{"e_PlayPause", "再生・一時停止", KEY_MOD_CTRL | KEY_F10, CMD_PLAY_PAUSE},
    KeyAction{"e_Skip", "この曲をスキップ", KEY_MOD_CTRL | KEY_F11, CMD_SKIP},
    KeyAction{"e_Replay", "この曲を始めから再生", KEY_MOD_CTRL | KEY_F12, CMD_REPLAY},
    KeyAction{"e_PrevPlay", "１つ前の曲を再生", KEY_MOD_CTRL | KEY_F9, CMD_PREV_PLAY},
    KeyAction{"e_Histry[00]", "履歴[00]", 0, CMD_HISTORY_0 + 0},
    KeyAction{"e_Histry[01]", "履歴[01]", 0, CMD_HISTORY_0 + 1},
    KeyAction{"e_Histry[02]", "履歴[02]", 0, CMD_HISTORY_0 + 2},
    KeyAction{"e_Histry[03]", "履歴[03]", 0, CMD_HISTORY_0 + 3},
    KeyAction{"e_Histry[04]", "履歴[04]", 0, CMD_HISTORY_0 + 4},
    KeyAction{"e_Histry[05]", "履歴[05]", 0, CMD_HISTORY_0 + 5},
    KeyAction{"e_Histry[06]", "履歴[06]", 0, CMD_HISTORY_0 + 6},
    KeyAction{"e_Histry[07]", "履歴[07]", 0, CMD_HISTORY_0 + 7},
    KeyAction{"e_Histry[08]", "履歴[08]", 0, CMD_HISTORY_0 + 8},
    KeyAction{"e_Histry[09]", "履歴[09]", 0, CMD_HISTORY_0 + 9},
    KeyAction{"e_Histry[10]", "履歴[10]", 0, CMD_HISTORY_0 + 10},
    KeyAction{"e_Histry[11]", "履歴[11]", 0, CMD_HISTORY_0 + 11},
    KeyAction{"e_Histry[12]", "履歴[12]", 0, CMD_HISTORY_0 + 12},
    KeyAction{"e_Histry[13]", "履歴[13]", 0, CMD_HISTORY_0 + 13},
    KeyAction{"e_Histry[14]", "履歴[14]", 0, CMD_HISTORY_0 + 14},
    KeyAction{"e_Histry[15]", "履歴[15]", 0, CMD_HISTORY_0 + 15},
    KeyAction{"e_Histry[16]", "履歴[16]", 0, CMD_HISTORY_0 + 16},
    KeyAction{"e_Histry[17]", "履歴[17]", 0, CMD_HISTORY_0 + 17},
    KeyAction{"e_Histry[18]", "履歴[18]", 0, CMD_HISTORY_0 + 18},
    KeyAction{"e_Histry[19]", "履歴[19]", 0, CMD_HISTORY_0 + 19},
    KeyAction{"e_WindowShow_Hide", "ウィンドウを隠す・表示する", KEY_F12, CMD_SHOW_HIDE},
    KeyAction{"e_WindowInit", "ウィンドウを初期位置(画面右下)に移動", 0, CMD_WINDOW_INIT},
    KeyAction{"e_Exit", "アプリケーションを終了", 0, CMD_EXIT},
    KeyAction{"e_FolderSC[00]", "フォルダショートカット[00]", KEY_MOD_CTRL | (KEY_NUMPAD0 + 0),
              CMD_FOLDER_SC_0 + 0},
    KeyAction{"e_FolderSC[01]", "フォルダショートカット[01]", KEY_MOD_CTRL | (KEY_NUMPAD0 + 1),
              CMD_FOLDER_SC_0 + 1},
    KeyAction{"e_FolderSC[02]", "フォルダショートカット[02]", KEY_MOD_CTRL | (KEY_NUMPAD0 + 2),
              CMD_FOLDER_SC_0 + 2},
    KeyAction{"e_FolderSC[03]", "フォルダショートカット[03]", KEY_MOD_CTRL | (KEY_NUMPAD0 + 3),
              CMD_FOLDER_SC_0 + 3},
    KeyAction{"e_FolderSC[04]", "フォルダショートカット[04]", KEY_MOD_CTRL | (KEY_NUMPAD0 + 4),
              CMD_FOLDER_SC_0 + 4},
    KeyAction{"e_FolderSC[05]", "フォルダショートカット[05]", KEY_MOD_CTRL | (KEY_NUMPAD0 + 5),
              CMD_FOLDER_SC_0 + 5},
    KeyAction{"e_FolderSC[06]", "フォルダショートカット[06]", KEY_MOD_CTRL | (KEY_NUMPAD0 + 6),
              CMD_FOLDER_SC_0 + 6},
    KeyAction{"e_FolderSC[07]", "フォルダショートカット[07]", KEY_MOD_CTRL | (KEY_NUMPAD0 + 7),
              CMD_FOLDER_SC_0 + 7},
    KeyAction{"e_FolderSC[08]", "フォルダショートカット[08]", KEY_MOD_CTRL | (KEY_NUMPAD0 + 8),
              CMD_FOLDER_SC_0 + 8},
    KeyAction{"e_FolderSC[09]", "フォルダショートカット[09]", KEY_MOD_CTRL | (KEY_NUMPAD0 + 9),
              CMD_FOLDER_SC_0 + 9},
};

KeyTable DefaultKeyTable() {
    KeyTable table;
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = {kKeyActions[i].defaultKey, kKeyActions[i].command};
    return table;
}

std::vector<int> CommandsForKey(const KeyTable& table, std::uint16_t key) {
    std::vector<int> commands;
    if (key == 0) return commands;
    for (const KeyBinding& binding : table)
        if (binding.key == key) commands.push_back(binding.command);
    return commands;
}

HotkeyResponse RespondToHotkey(const KeyTable& table, std::uint16_t key) {
    HotkeyResponse response{CommandsForKey(table, key)};
    if (!response.commands.empty()) return response;
    if (const MediaKey* media = MediaKeyOf(key)) {
        if (media->command != 0)
            response.commands.push_back(media->command);
        else
            response.pause = true;
    }
    return response;
}

std::string FormatKeyText(std::uint16_t key, const std::string& keyName,
                          std::uint32_t nameArgument) {
    if (key == 0) return "なし";
    std::string text;
    if (key & KEY_MOD_CTRL) text += "Ctrl + ";
    if (key & KEY_MOD_SHIFT) text += "Shift + ";
    if (key & KEY_MOD_ALT) text += "Alt + ";
    if (const MediaKey* media = MediaKeyOf(key)) return text + media->name;
    if (!keyName.empty()) return text + keyName;
    char number[16];
    std::snprintf(number, sizeof number, "%#0x", static_cast<unsigned>(nameArgument));
    return text + number;
}

}  // namespace hgf
