// The options sheet: six pages of the core and, last, the host's About page, shown
// modally over the main window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "playlist/Playlist.h"
#include "settings/Settings.h"
#include "win32/WindowWrappers.h"

namespace hgf {

// The off-timer as the core holds it (memory only; the housekeeping timer reads it).
struct OffTimerFields {
    std::uint8_t& enabled;
    int& hour;
    int& minute;
};

// What the pages edit and call: the core's members in the player, stand-ins in tests.
// Everything must outlive the sheet.
struct OptionsTarget {
    Settings& settings;
    Playlist& liveList;  // the playback takes its MML play time and SMF file from it
    OffTimerFields offTimer;
    HWND mainWindow;  // the sheet's owner; asked for the host's page; previewed on
    std::function<void(int opacity)> setMainWindowAlpha;  // 0-255, through SetWindowAlpha
    SubclassedWindow& folderChooser;  // holds the folder browser while it is open
};

// Asks the main window for the host's page (MSG_GET_ABOUT_PAGE), then shows the sheet
// "オプション" with the six core pages and that page, starting on the first page. Returns
// when the sheet is closed; false when it could not be shown. While a sheet is open, a
// second call only brings it to the front.
bool ShowOptionsSheet(OptionsTarget& target);

// The open options sheet, or null while none is open (the popup menu greys "オプション"
// then).
HWND OptionsSheetWindow();

}  // namespace hgf
