// Private window messages, timer ids, control ids and command ids of the main
// window, defined once for the whole core (portable: plain numbers).
#pragma once

namespace hgf {

// Private messages.
constexpr unsigned MSG_GET_ABOUT_PAGE = 33768;  // to the host: lParam points to a page handle
constexpr unsigned MSG_LIST_READY = 33820;      // sent by a loader: wParam = rows (0: none)
constexpr unsigned MSG_PLAY_CURRENT = 33821;    // posted at the end of a track
constexpr unsigned MSG_TRAY_NOTIFY = 33822;     // tray icon callback: lParam = mouse message
constexpr unsigned MSG_HOTKEY = 33823;          // posted by the keyboard hook
constexpr unsigned MSG_PLAY_PASS = 33824;       // posted to itself: go on trying rows to play
constexpr unsigned MM_MCINOTIFY_MESSAGE = 953;  // MM_MCINOTIFY from the media control interface

// WM_COPYDATA to the main window with this dwData: lpData holds a path in UTF-16 (without
// a terminator) to load as if dropped; sent by the program for a path on its command line.
constexpr unsigned long COPYDATA_OPEN_PATH = 0x48474630;  // "HGF0"
constexpr unsigned long COPYDATA_MAX_PATH_BYTES = 2 * 32767;

// The window class of the program's top-level window, the core's main window: the only
// window the keyboard hook posts to.
constexpr char kMainWindowClass[] = "Harrowgladeforte 2.03";

// Timers of the main window.
constexpr unsigned TIMER_FADE = 33773;          // 100 ms, cursor-driven transparency
constexpr unsigned TIMER_HOUSEKEEPING = 33774;  // 30 s, settings save and off-timer
constexpr unsigned TIMER_PLAY_PASS = 33825;     // once: MSG_PLAY_PASS after waiting messages
constexpr unsigned TIMER_FADE_MS = 100;
constexpr unsigned TIMER_HOUSEKEEPING_MS = 30000;

// Control ids.
constexpr int IDC_COMBO = 33769;
constexpr int IDC_CONTROLS = 33770;
constexpr int IDC_BROWSE_SUBFOLDERS = 33771;
constexpr int IDC_BROWSE_ALLFILES = 33772;

// Commands (WM_COMMAND low word); the main window handles 33775-33819.
constexpr int CMD_MODE_RANDOM = 33775;
constexpr int CMD_MODE_NORMAL = 33776;
constexpr int CMD_MODE_REPEAT = 33777;
constexpr int CMD_PLAY_PAUSE = 33778;
constexpr int CMD_SKIP = 33779;
constexpr int CMD_REPLAY = 33780;
constexpr int CMD_PREV_PLAY = 33781;
constexpr int CMD_CHANGE_FOLDER = 33782;
constexpr int CMD_HISTORY_0 = 33783;  // + n for load-history entry n, n = 0..19
constexpr int CMD_LOAD_PLAYLIST = 33803;
constexpr int CMD_SAVE_PLAYLIST = 33804;
constexpr int CMD_SHOW_HIDE = 33805;
constexpr int CMD_WINDOW_INIT = 33806;
constexpr int CMD_OPTIONS = 33807;
constexpr int CMD_HELP = 33808;
constexpr int CMD_EXIT = 33809;
constexpr int CMD_FOLDER_SC_0 = 33810;  // + n for folder shortcut n, n = 0..9
constexpr int CMD_FIRST = CMD_MODE_RANDOM;
constexpr int CMD_LAST = CMD_FOLDER_SC_0 + 9;

constexpr int LOAD_HISTORY_SIZE = 20;
constexpr int FOLDER_SHORTCUT_COUNT = 10;
constexpr int PLAY_HISTORY_SIZE = 100;

}  // namespace hgf
