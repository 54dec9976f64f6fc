// The notification-area icon of the main window: added by Start, added again when the
// shell restarts, removed on WM_CLOSE, and its mouse messages.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>

#include "CoreIds.h"
#include "TrayIconRules.h"
#include "win32/PlayerCore.h"

namespace hgf {
namespace {

constexpr UINT kTrayIconId = 0;

// The record every notification uses: the version-2 layout of this platform's ANSI
// structure (488 bytes on 32-bit systems).
NOTIFYICONDATAA TrayRecord(HWND window, HICON icon, const std::string& tooltip) {
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V2_SIZE;
    record.hWnd = window;
    record.uID = kTrayIconId;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = MSG_TRAY_NOTIFY;
    record.hIcon = icon;
    std::snprintf(record.szTip, sizeof record.szTip, "%s", tooltip.c_str());
    return record;
}

bool LoadIconInVgaColours() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return false;
    return UseVgaColourIcon(version.dwMajorVersion, version.dwMinorVersion);
}

}  // namespace

bool PlayerCore::AddTrayIcon(const char* title, int iconId) {
    if (!mainWindow_.trayIcon) {
        UINT colours = LoadIconInVgaColours() ? LR_VGACOLOR : LR_DEFAULTCOLOR;
        mainWindow_.trayIcon =
            static_cast<HICON>(LoadImageA(mainWindow_.Instance(), MAKEINTRESOURCEA(iconId),
                                          IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | colours));
        if (!mainWindow_.trayIcon) return false;
    }
    mainWindow_.trayTooltip = TrayTooltipText(title ? title : "");
    NOTIFYICONDATAA record =
        TrayRecord(mainWindow_.Handle(), mainWindow_.trayIcon, mainWindow_.trayTooltip);
    return Shell_NotifyIconA(NIM_ADD, &record) != FALSE;
}

void PlayerCore::AddTrayIconAgain() {
    // Without an icon there was never a tray icon to bring back.
    if (!mainWindow_.trayIcon || !mainWindow_.Exists()) return;
    NOTIFYICONDATAA record =
        TrayRecord(mainWindow_.Handle(), mainWindow_.trayIcon, mainWindow_.trayTooltip);
    Shell_NotifyIconA(NIM_ADD, &record);
}

void PlayerCore::RemoveTrayIcon() {
    if (!mainWindow_.trayIcon) return;  // never loaded, so never added
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V2_SIZE;
    record.hWnd = mainWindow_.Handle();
    record.uID = kTrayIconId;
    if (!Shell_NotifyIconA(NIM_DELETE, &record)) return;
    DestroyIcon(mainWindow_.trayIcon);
    mainWindow_.trayIcon = nullptr;
}

void PlayerCore::OnTrayNotify(UINT mouseMessage) {
    HWND main = mainWindow_.Handle();
    switch (mouseMessage) {
        case WM_LBUTTONDBLCLK:
            if (settings_.TrayIconDblClkToDefault == 1) {
                SendMessageA(main, WM_COMMAND, CMD_WINDOW_INIT, 0);
            } else {
                SendMessageA(main, WM_CLOSE, 0, 0);
            }
            break;
        case WM_RBUTTONUP: {
            POINT cursor{};
            GetCursorPos(&cursor);
            PostMessageA(main, WM_NCRBUTTONUP, HTCAPTION, MAKELPARAM(cursor.x, cursor.y));
            break;
        }
        default:
            break;
    }
}

}  // namespace hgf
