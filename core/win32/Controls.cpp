// The child controls that AttachWindow creates inside the host's window: the controls
// strip with the list combo box and the volume button, and the volume popup.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdlib>

#include "ControlRules.h"
#include "CoreIds.h"
#include "win32/CoreModule.h"
#include "win32/DialogPlacement.h"
#include "win32/PlayerCore.h"

namespace hgf {
namespace {

constexpr wchar_t kControlsClass[] = L"HarrowgladeforteCore Controls";
constexpr int kVolumeButtonWidth = 16;  // the volume button at the strip's right end
constexpr int kIndicatorWidth = 16;     // the host's play indicator left of the strip
constexpr int kStripHeight = 21;
constexpr int kVolumeIcon = 113;
constexpr int kVolumePopupTemplate = 112;
constexpr int kVolumeTrackbar = 1052;
constexpr int kVolumeCloseButton = 1053;
constexpr DWORD kVolumeSlideMs = 100;
constexpr DWORD kCommonControlClasses = ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_HOTKEY_CLASS;

RECT WorkArea() {
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

// The list opens into the larger free space above or below `window`.
int DropDownHeight(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    RECT area = WorkArea();
    return std::max(area.bottom - rect.bottom, rect.top - area.top);
}

PlayerCore* CoreOf(HWND window) {
    return reinterpret_cast<PlayerCore*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace

HWND PlayerCore::AttachWindow(HWND hostWindow) {
    INITCOMMONCONTROLSEX classes{sizeof classes, kCommonControlClasses};
    InitCommonControlsEx(&classes);
    if (!mainWindow_.Attach(hostWindow, this, MainWindowProcedure)) return nullptr;
    DragAcceptFiles(hostWindow, TRUE);  // folders, lists and music files dropped on the strip
    CreateControls();
    return controls_.Handle();
}

void PlayerCore::CreateControls() {
    HWND host = mainWindow_.Handle();
    RECT client{};
    GetClientRect(host, &client);
    int dropDownHeight = DropDownHeight(host);
    constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

    WNDCLASSEXW stripClass{};
    stripClass.cbSize = sizeof stripClass;
    stripClass.lpfnWndProc = ControlsProcedure;
    stripClass.hInstance = CoreModule();
    stripClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    stripClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    stripClass.lpszClassName = kControlsClass;
    ClassWindow::Params strip;
    strip.text = L"HGFcoreControls";
    strip.style = kChildStyle;
    strip.x = kIndicatorWidth;
    strip.width = client.right - kIndicatorWidth;
    strip.height = kStripHeight;
    strip.parent = host;
    strip.id = IDC_CONTROLS;
    strip.createParam = this;
    controls_.Create(stripClass, strip);

    if (volumePopup_.Create(CoreModule(), kVolumePopupTemplate, host, VolumePopupProcedure,
                            reinterpret_cast<LPARAM>(this))) {
        SetWindowTextW(volumePopup_.Handle(), L"HGFcoreExtBox");
    }

    if (!controls_.Exists()) return;
    HWND combo = CreateWindowExW(
        0, L"ComboBox", L"HGFcoreComboBox",
        kChildStyle | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED, kIndicatorWidth, 0,
        client.right - kIndicatorWidth, dropDownHeight, controls_.Handle(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_COMBO)), CoreModule(), nullptr);
    if (!comboBox_.Attach(combo, this, ComboBoxProcedure)) return;
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);

    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(combo, &info) &&
        comboList_.Attach(info.hwndList, this, ComboListProcedure)) {
        ULONG_PTR style = GetClassLongPtrW(info.hwndList, GCL_STYLE);
        SetClassLongPtrW(info.hwndList, GCL_STYLE, style ^ CS_DBLCLKS);
    }
}

LRESULT CALLBACK PlayerCore::ControlsProcedure(HWND strip, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(strip, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    PlayerCore* core = CoreOf(strip);
    if (!core) return DefWindowProcW(strip, message, wParam, lParam);
    if (message == WM_NCDESTROY) core->controls_.Forget();
    return core->OnControlsMessage(strip, message, wParam, lParam);
}

LRESULT PlayerCore::OnControlsMessage(HWND strip, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND combo = comboBox_.Handle();
    switch (message) {
        case WM_SIZE:
            if (combo) {
                SetWindowPos(combo, nullptr, 0, 0, LOWORD(lParam) - kVolumeButtonWidth,
                             DropDownHeight(strip), SWP_NOZORDER | SWP_NOACTIVATE);
            }
            break;
        case WM_MOVE:
            if (combo) {
                RECT client{};
                GetClientRect(strip, &client);
                SetWindowPos(combo, nullptr, 0, 0, client.right - kVolumeButtonWidth,
                             DropDownHeight(strip), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            break;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(strip, &paint);
            RECT client{};
            GetClientRect(strip, &client);
            auto icon = static_cast<HICON>(
                LoadImageW(CoreModule(), MAKEINTRESOURCEW(kVolumeIcon), IMAGE_ICON, 16, 16, 0));
            if (icon) {
                DrawIconEx(dc, client.right - kVolumeButtonWidth, 0, icon, kVolumeButtonWidth,
                           client.bottom, 0, nullptr, DI_NORMAL);
                DestroyIcon(icon);
            }
            EndPaint(strip, &paint);
            return 0;
        }
        case WM_DRAWITEM:
        case WM_MEASUREITEM:
            // The host draws the list rows.
            return mainWindow_.CallOriginal(mainWindow_.Handle(), message, wParam, lParam);
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_COMBO) {
                int code = HIWORD(wParam);
                if (code == CBN_SETFOCUS || code == CBN_DROPDOWN || code == CBN_CLOSEUP ||
                    code == CBN_SELENDOK) {
                    OnComboNotification(strip, code);
                    return 0;
                }
            }
            break;
        case WM_LBUTTONUP:
            ShowVolumePopup();
            break;
        case WM_RBUTTONUP: {
            POINT cursor{};
            GetCursorPos(&cursor);
            SendMessageW(mainWindow_.Handle(), WM_NCRBUTTONUP, HTCAPTION,
                         MAKELPARAM(cursor.x, cursor.y));
            break;
        }
        default:
            break;
    }
    return DefWindowProcW(strip, message, wParam, lParam);
}

void PlayerCore::OnComboNotification(HWND strip, int code) {
    HWND combo = comboBox_.Handle();
    switch (code) {
        case CBN_SETFOCUS: {
            // Keep the focus only for a click into the closed box; otherwise the keyboard
            // stays with whatever had it.
            RECT rect{};
            POINT cursor{};
            GetWindowRect(combo, &rect);
            GetCursorPos(&cursor);
            bool inside = cursor.x > rect.left && cursor.x < rect.right && cursor.y > rect.top &&
                          cursor.y < rect.bottom;
            if (!inside || mainWindow_.dropDownOpen) SetFocus(nullptr);
            break;
        }
        case CBN_DROPDOWN: {
            // Remembered once per opening: a repeated notification must not take our own
            // "off" for the user's setting.
            if (mainWindow_.dropDownOpen) break;
            BOOL animation = FALSE;
            SystemParametersInfoW(SPI_GETCOMBOBOXANIMATION, 0, &animation, 0);
            mainWindow_.savedComboAnimation = animation;
            SystemParametersInfoW(SPI_SETCOMBOBOXANIMATION, 0, reinterpret_cast<void*>(FALSE), 0);
            mainWindow_.dropDownOpen = 1;
            break;
        }
        case CBN_CLOSEUP:
            SystemParametersInfoW(
                SPI_SETCOMBOBOXANIMATION, 0,
                reinterpret_cast<void*>(static_cast<INT_PTR>(mainWindow_.savedComboAnimation)), 0);
            mainWindow_.dropDownOpen = 0;
            SetFocus(nullptr);
            break;
        case CBN_SELENDOK: {
            LRESULT selection = SendMessageW(combo, CB_GETCURSEL, 0, 0);
            if (selection != CB_ERR)
                controller_.PlayChosenRow(static_cast<std::int32_t>(selection));
            break;
        }
        default:
            break;
    }
}

void PlayerCore::ShowVolumePopup() {
    HWND popup = volumePopup_.Handle();
    if (!volumePopup_.Exists()) return;
    RECT outer{};
    GetWindowRect(popup, &outer);
    POINT cursor{};
    GetCursorPos(&cursor);
    PopupPlacement placement =
        PlaceBesideCursor(cursor.x, cursor.y, outer.right - outer.left, outer.bottom - outer.top,
                          MonitorWorkAreaOf(mainWindow_.Handle()));
    SetWindowPos(popup, nullptr, placement.rect.left, placement.rect.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
    AnimateWindow(popup, kVolumeSlideMs,
                  AW_SLIDE | (placement.rightOfCursor ? AW_HOR_POSITIVE : AW_HOR_NEGATIVE) |
                      (placement.aboveCursor ? AW_VER_NEGATIVE : AW_VER_POSITIVE));
    ShowWindow(popup, SW_SHOW);
}

INT_PTR CALLBACK PlayerCore::VolumePopupProcedure(HWND popup, UINT message, WPARAM wParam,
                                                  LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(popup, GWLP_USERDATA, lParam);
        ShowWindow(popup, SW_HIDE);
        auto* core = reinterpret_cast<PlayerCore*>(lParam);
        HWND trackbar = GetDlgItem(popup, kVolumeTrackbar);
        // The top of a vertical track is its minimum: -100 there is full volume.
        SendMessageW(trackbar, TBM_SETRANGEMIN, FALSE, -100);
        SendMessageW(trackbar, TBM_SETRANGEMAX, FALSE, 0);
        SendMessageW(trackbar, TBM_SETPOS, TRUE, core ? -core->settings_.Volume : -100);
        return 0;
    }
    PlayerCore* core = CoreOf(popup);
    if (!core) return 0;
    switch (message) {
        case WM_NCDESTROY:
            core->volumePopup_.Forget();
            break;
        case WM_VSCROLL: {
            HWND trackbar = GetDlgItem(popup, kVolumeTrackbar);
            if (reinterpret_cast<HWND>(lParam) != trackbar) break;
            int position = static_cast<int>(SendMessageW(trackbar, TBM_GETPOS, 0, 0));
            auto volume = static_cast<std::uint8_t>(std::min(std::abs(position), 100));
            core->settings_.Volume = volume;
            core->controller_.SetVolume(volume);
            break;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == kVolumeCloseButton) ShowWindow(popup, SW_HIDE);
            break;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) ShowWindow(popup, SW_HIDE);
            break;
        default:
            break;
    }
    return 0;
}

LRESULT CALLBACK PlayerCore::ComboBoxProcedure(HWND combo, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    PlayerCore* core = CoreOf(combo);
    if (!core) return SubclassedWindow::PassOnWithoutOwner(combo, message, wParam, lParam);
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (core->liveList_.ItemCount() == 0) return 0;  // an empty list never drops down
            break;
        case WM_RBUTTONDOWN:
            if (core->liveList_.ItemCount() > 0) {
                SetFocus(nullptr);
                core->controller_.SkipFromList();
            }
            break;
        case WM_MOUSEWHEEL:
            if (GET_KEYSTATE_WPARAM(wParam) & MK_RBUTTON) {
                core->JumpToFolderGroup(GET_WHEEL_DELTA_WPARAM(wParam));
                return 0;
            }
            break;
        default:
            break;
    }
    LRESULT result = core->comboBox_.CallOriginal(combo, message, wParam, lParam);
    if (message == WM_NCDESTROY) core->comboBox_.DetachAndForget();
    return result;
}

void PlayerCore::JumpToFolderGroup(int wheelDelta) {
    HWND combo = comboBox_.Handle();
    auto selection = static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
    int target = FolderJumpTarget(selection, wheelDelta, liveList_.ItemCount(), [&](int row) {
        return liveList_.GetItemField(row, &PlaylistItem::isFolder) == 1;
    });
    // Selected without a notification: nothing starts playing. The item count selects
    // nothing (said as -1, which every combo box clears the selection for).
    int count = liveList_.ItemCount();
    SendMessageW(combo, CB_SETCURSEL, target >= count ? -1 : target, 0);
}

LRESULT CALLBACK PlayerCore::ComboListProcedure(HWND list, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
    PlayerCore* core = CoreOf(list);
    if (!core) return SubclassedWindow::PassOnWithoutOwner(list, message, wParam, lParam);
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // the host's owner-drawn rows cover the whole list
        case WM_MOUSEMOVE:
            if (wParam & MK_RBUTTON) return 0;  // the selection does not follow the mouse
            break;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
            if (core->ClickChoosesFolderRow(list)) return 0;  // headings cannot be chosen
            break;
        case WM_RBUTTONUP:
            return 0;
        default:
            break;
    }
    LRESULT result = core->comboList_.CallOriginal(list, message, wParam, lParam);
    if (message == WM_NCDESTROY) core->comboList_.DetachAndForget();
    return result;
}

bool PlayerCore::ClickChoosesFolderRow(HWND list) {
    auto selection = static_cast<int>(SendMessageW(comboBox_.Handle(), CB_GETCURSEL, 0, 0));
    if (selection == CB_ERR) return false;
    POINT cursor{};
    GetCursorPos(&cursor);
    if (WindowFromPoint(cursor) != list) return false;
    if (SendMessageW(list, WM_NCHITTEST, 0, MAKELPARAM(cursor.x, cursor.y)) != HTCLIENT)
        return false;
    return liveList_.GetItemField(selection, &PlaylistItem::isFolder) == 1;
}

void PlayerCore::OnFadeTimer() {
    POINT cursor{};
    GetCursorPos(&cursor);
    HWND under = WindowFromPoint(cursor);
    // The volume popup is a window of its own: over it the player counts as left.
    bool cursorNear = (under && (under == mainWindow_.Handle() || under == comboBox_.Handle() ||
                                 under == comboList_.Handle() || under == controls_.Handle())) ||
                      mainWindow_.dropDownOpen;
    AlphaFade fade = TrackCursorAlpha(cursorNear, mainWindow_.cursorInside, settings_.LayeredActive,
                                      settings_.LayeredNoActive);
    if (!fade.run) return;
    HWND main = mainWindow_.Handle();
    if (fade.up) {
        for (int alpha = fade.from; alpha <= fade.to; ++alpha)
            SetWindowAlpha(main, 0, static_cast<BYTE>(alpha), LWA_ALPHA);
    } else {
        for (int alpha = fade.from; alpha >= fade.to; --alpha)
            SetWindowAlpha(main, 0, static_cast<BYTE>(alpha), LWA_ALPHA);
    }
}

}  // namespace hgf
