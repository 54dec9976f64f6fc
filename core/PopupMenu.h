// The popup menu as data: its items top to bottom with their command ids, texts, greying
// and checks, the two submenus, and the key labels shown beside the items. The Win32
// side turns this into menus and tracks them.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "playlist/Playlist.h"
#include "settings/KeyAssignment.h"

namespace hgf {

// The key text of a key value as the platform names the key ("Ctrl + F10"; see
// FormatKeyText).
using KeyTextOf = std::function<std::string(std::uint16_t key)>;

// The label beside a menu item: empty for key value 0, else "\t[" + the key text + "]".
std::string KeyLabel(std::uint16_t key, const KeyTextOf& keyText);

// One label per key-assignable action, in action order.
using KeyLabels = std::array<std::string, KEY_ACTION_COUNT>;
KeyLabels BuildKeyLabels(const KeyTable& table, const KeyTextOf& keyText);

enum class MenuEntryKind {
    Command,       // a command item with `id`
    Separator,     // a line
    PlayModeMenu,  // the play-mode submenu
    HistoryMenu,   // the load-history submenu
};

struct MenuEntry {
    MenuEntryKind kind = MenuEntryKind::Command;
    int id = 0;  // the command id of a Command entry
    std::string text;
    bool grayed = false;
    bool checked = false;
    bool operator==(const MenuEntry&) const = default;
};

// What the menu depends on.
struct PopupMenuState {
    std::int32_t itemCount = 0;        // rows in the live list (0: "empty")
    bool busy = false;                 // a load, or a pass over rows that do not start, runs
    std::size_t playHistoryCount = 0;  // fewer than 2: "short"
    bool sheetOpen = false;            // the options sheet exists
    bool playing = false;              // an item plays and is not paused
    bool windowVisible = true;
    PlayMode playMode = PLAY_MODE_RANDOM;
    std::deque<std::string> loadHistory;  // newest first
};

struct PopupMenuModel {
    std::vector<MenuEntry> main;  // top to bottom; the submenus appear as their entries
    std::vector<MenuEntry> playMode;
    std::vector<MenuEntry> history;
};

PopupMenuModel BuildPopupMenu(const PopupMenuState& state, const KeyLabels& labels);

}  // namespace hgf
