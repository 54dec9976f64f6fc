// The notification-area icon of the main window: added by Start, added again when the
// shell restarts, removed on WM_CLOSE, and its mouse messages.
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <iterator>

#include "CoreIds.h"
#include "TrayIconRules.h"
#include "platform/win32/WideText.h"
#include "win32/PlayerCore.h"
#include "win32/TrayRecord.h"

namespace hgf {
namespace {

constexpr UINT kTrayIconId = 0;

bool LoadIconInVgaColours() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return false;
    return UseVgaColourIcon(version.dwMajorVersion, version.dwMinorVersion);
}

}  // namespace

NOTIFYICONDATAW TrayRecord(HWND window, HICON icon, const std::string& tooltip) {
    NOTIFYICONDATAW record{};
    record.cbSize = NOTIFYICONDATAW_V2_SIZE;
    record.hWnd = window;
    record.uID = kTrayIconId;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = MSG_TRAY_NOTIFY;
    record.hIcon = icon;
    const std::wstring tip = WideFromCodePage932(tooltip);
    tip.copy(record.szTip, std::min(tip.size(), std::size(record.szTip) - 1));
    return record;
}

bool PlayerCore::AddTrayIcon(const char* title, int iconId) {
    if (!mainWindow_.trayIcon) {
        UINT colours = LoadIconInVgaColours() ? LR_VGACOLOR : LR_DEFAULTCOLOR;
        mainWindow_.trayIcon =
            static_cast<HICON>(LoadImageW(mainWindow_.Instance(), MAKEINTRESOURCEW(iconId),
                                          IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | colours));
        if (!mainWindow_.trayIcon) return false;
    }
    mainWindow_.trayTooltip = TrayTooltipText(title ? title : "");
    NOTIFYICONDATAW record =
        TrayRecord(mainWindow_.Handle(), mainWindow_.trayIcon, mainWindow_.trayTooltip);
    return Shell_NotifyIconW(NIM_ADD, &record) != FALSE;
}

void PlayerCore::AddTrayIconAgain() {
    // Without an icon there was never a tray icon to bring back.
    if (!mainWindow_.trayIcon || !mainWindow_.Exists()) return;
    NOTIFYICONDATAW record =
        TrayRecord(mainWindow_.Handle(), mainWindow_.trayIcon, mainWindow_.trayTooltip);
    Shell_NotifyIconW(NIM_ADD, &record);
}

void PlayerCore::RemoveTrayIcon() {
    if (!mainWindow_.trayIcon) return;  // never loaded, so never added
    NOTIFYICONDATAW record{};
    record.cbSize = NOTIFYICONDATAW_V2_SIZE;
    record.hWnd = mainWindow_.Handle();
    record.uID = kTrayIconId;
    if (!Shell_NotifyIconW(NIM_DELETE, &record)) return;
    DestroyIcon(mainWindow_.trayIcon);
    mainWindow_.trayIcon = nullptr;
}

void PlayerCore::OnTrayNotify(UINT mouseMessage) {
    HWND main = mainWindow_.Handle();
    switch (mouseMessage) {
        case WM_LBUTTONDBLCLK:
            if (settings_.TrayIconDblClkToDefault == 1) {
                SendMessageW(main, WM_COMMAND, CMD_WINDOW_INIT, 0);
            } else {
                SendMessageW(main, WM_CLOSE, 0, 0);
            }
            break;
        case WM_RBUTTONUP: {
            POINT cursor{};
            GetCursorPos(&cursor);
            PostMessageW(main, WM_NCRBUTTONUP, HTCAPTION, MAKELPARAM(cursor.x, cursor.y));
            break;
        }
        default:
            break;
    }
}

}  // namespace hgf
