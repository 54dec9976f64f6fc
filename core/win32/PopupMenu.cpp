// The popup menu: built from the player's state on every opening, tracked at the cursor
// with the main window as owner (the choice arrives there as WM_COMMAND), then destroyed.
#include <windows.h>

#include "PopupMenu.h"
#include "platform/win32/WideText.h"
#include "settings/win32/KeyNames.h"
#include "settings/win32/OptionsSheet.h"
#include "win32/PlayerCore.h"

namespace hgf {
namespace {

// Appends `entries` to `menu` and records their texts; the submenu entries get their
// submenu handle as id.
void AppendEntries(HMENU menu, const std::vector<MenuEntry>& entries, HMENU playModeMenu,
                   HMENU historyMenu, bool ownerDraw, std::map<int, std::string>& texts) {
    for (const MenuEntry& entry : entries) {
        if (entry.kind == MenuEntryKind::Separator) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        UINT flags =
            (entry.grayed ? MF_GRAYED : MF_ENABLED) | (entry.checked ? MF_CHECKED : MF_UNCHECKED);
        UINT_PTR id = static_cast<UINT_PTR>(entry.id);
        if (entry.kind != MenuEntryKind::Command) {
            flags |= MF_POPUP;
            id = reinterpret_cast<UINT_PTR>(
                entry.kind == MenuEntryKind::PlayModeMenu ? playModeMenu : historyMenu);
        }
        // A menu handle keeps its meaning in 32 bits, as the interface's int ids do.
        const std::string& text = texts[static_cast<int>(id)] = entry.text;
        // An owner-drawn item carries its code-page-932 text as item data; the host may draw
        // it from there or from GetMenuText.
        if (ownerDraw) {
            AppendMenuW(menu, flags | MF_OWNERDRAW, id, reinterpret_cast<LPCWSTR>(text.c_str()));
        } else {
            AppendMenuW(menu, flags | MF_STRING, id, WideFromCodePage932(text).c_str());
        }
    }
}

}  // namespace

BOOL PlayerCore::ShowPopupMenu(int ownerDraw) {
    HWND main = mainWindow_.Handle();
    // One menu at a time: a second request while one is open (the tray's right click
    // reaches the window during tracking) would replace the handles being tracked.
    if (!main || mainMenu_) return FALSE;
    menuOwner_ = main;
    BuildMenus(ownerDraw == 1);
    SetForegroundWindow(main);
    POINT cursor{};
    GetCursorPos(&cursor);
    TrackPopupMenu(mainMenu_, TPM_BOTTOMALIGN, cursor.x, cursor.y, 0, main, nullptr);
    // A menu opened from the tray icon closes on a click elsewhere only once the owner
    // has seen another message.
    PostMessageW(main, WM_NULL, 0, 0);
    BOOL destroyed = DestroyMenu(mainMenu_);  // the submenus go with it
    mainMenu_ = historyMenu_ = playModeMenu_ = nullptr;
    return destroyed;
}

void PlayerCore::BuildMenus(bool ownerDraw) {
    mainMenu_ = CreatePopupMenu();
    historyMenu_ = CreatePopupMenu();
    playModeMenu_ = CreatePopupMenu();

    KeyLabels labels = BuildKeyLabels(settings_.keyTable, KeyTextForValue);
    PopupMenuState state;
    state.itemCount = liveList_.ItemCount();
    state.busy = controller_.IsBusy();
    state.playHistoryCount = playHistory_.size();
    state.sheetOpen = OptionsSheetWindow() != nullptr;
    state.playing = liveList_.playing;
    state.windowVisible = IsWindowVisible(mainWindow_.Handle()) != FALSE;
    state.playMode = liveList_.GetPlayMode();
    state.loadHistory = settings_.loadHistory;
    PopupMenuModel menu = BuildPopupMenu(state, labels);

    menuTexts_.clear();
    AppendEntries(historyMenu_, menu.history, playModeMenu_, historyMenu_, ownerDraw, menuTexts_);
    AppendEntries(playModeMenu_, menu.playMode, playModeMenu_, historyMenu_, ownerDraw, menuTexts_);
    AppendEntries(mainMenu_, menu.main, playModeMenu_, historyMenu_, ownerDraw, menuTexts_);
}

}  // namespace hgf
