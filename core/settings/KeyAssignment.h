// The forty player actions that can carry a global hot key: their stored names, their
// labels on the key-assignment page, their default keys and the commands they send;
// the key table built from them, and the text shown for a key.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace hgf {

// A key value: virtual-key code in the low byte, modifier bits in the high byte. 0: no key.
constexpr std::uint16_t KEY_MOD_SHIFT = 0x100;
constexpr std::uint16_t KEY_MOD_CTRL = 0x200;
constexpr std::uint16_t KEY_MOD_ALT = 0x400;

struct KeyAction {
    const char* name;          // the configuration key and action name, e.g. "e_PlayPause"
    const char* label;         // the text on the key-assignment page (Shift_JIS)
    std::uint16_t defaultKey;  // 0: none
    int command;               // the WM_COMMAND id the action sends
};

constexpr int KEY_ACTION_COUNT = 40;

// The actions in their fixed order: configuration keys, page rows and menu labels.
extern const std::array<KeyAction, KEY_ACTION_COUNT> kKeyActions;

struct KeyBinding {
    std::uint16_t key = 0;
    std::int32_t command = 0;
    bool operator==(const KeyBinding&) const = default;
};

// One binding per action, in action order.
using KeyTable = std::array<KeyBinding, KEY_ACTION_COUNT>;

// The virtual-key codes of the keyboard's media keys.
constexpr std::uint16_t KEY_MEDIA_NEXT_TRACK = 0xB0;
constexpr std::uint16_t KEY_MEDIA_PREV_TRACK = 0xB1;
constexpr std::uint16_t KEY_MEDIA_STOP = 0xB2;
constexpr std::uint16_t KEY_MEDIA_PLAY_PAUSE = 0xB3;

// Every action bound to its default key.
KeyTable DefaultKeyTable();

// The commands of every entry bound to `key`, in action order. A key value of 0 binds
// nothing, so it never matches.
std::vector<int> CommandsForKey(const KeyTable& table, std::uint16_t key);

// What the main window does for a key that the keyboard hook reports.
struct HotkeyResponse {
    std::vector<int> commands;  // WM_COMMAND ids to send, in order
    bool pause = false;         // pause the playback if it plays (never resume it)
    bool operator==(const HotkeyResponse&) const = default;
};

// The commands bound to `key` (CommandsForKey). A media key that no entry binds, with
// whatever modifier, works without being set up: Play/Pause sends CMD_PLAY_PAUSE, Next
// Track CMD_SKIP, Previous Track CMD_PREV_PLAY, and Stop pauses.
HotkeyResponse RespondToHotkey(const KeyTable& table, std::uint16_t key);

// The text shown for a key: "なし" for 0; else "Ctrl + ", "Shift + " and "Alt + " for the
// modifiers held, followed by the key's name: the media keys' own names ("Play/Pause",
// "Next Track", "Previous Track", "Stop"), else `keyName` (the platform's name of the key)
// or, when that is empty, `nameArgument` (the value the name was asked for) as "%#0x".
std::string FormatKeyText(std::uint16_t key, const std::string& keyName,
                          std::uint32_t nameArgument);

}  // namespace hgf
