// The tray icon, the popup menu, the off-timer, the keyboard hook and the list controls'
// input under Wine. The core is linked into this program (its resources too) so that the
// off-timer runs on a test clock and fake power services; a test window plays the host,
// and everything is driven by the messages the shell, the mouse and the timers send.
#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "CoreIds.h"
#include "FakeClock.h"
#include "FakePowerControl.h"
#include "ToneOgg.h"
#include "TrayIconRules.h"
#include "platform/PowerControl.h"
#include "win32/CoreModule.h"
#include "win32/KeyboardHook.h"
#include "win32/PlayerCore.h"
#include "win32/TrayRecord.h"
#include "win32/WindowTestKit.h"

namespace hgf {
namespace {

using test::IniValue;
using test::ProgramIniPath;
using test::Pump;
using test::PumpUntil;
using test::WriteProgramIni;

constexpr int kTrayIconResource = 113;  // an icon this program holds (the core's resources)
constexpr int kNoIcon = 1;              // no icon of this program: no tray icon
constexpr int kWindowX = 37;            // a place no other test's window uses
constexpr int kWindowY = 333;

// One item of a tracked menu as the system holds it.
struct MenuItem {
    UINT id = 0;
    std::string text;
    UINT state = 0;  // MFS_GRAYED, MFS_CHECKED
    bool separator = false;
    std::vector<MenuItem> submenu;
};

std::vector<MenuItem> ReadMenu(HMENU menu) {
    std::vector<MenuItem> items;
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[512] = L"";
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = static_cast<UINT>(std::size(text));
        GetMenuItemInfoW(menu, i, TRUE, &info);
        MenuItem item;
        item.id = info.wID;
        item.text = CodePage932FromWide(text);  // as Windows holds it, whatever its code page
        item.state = info.fState & (MFS_GRAYED | MFS_CHECKED);
        item.separator = (info.fType & MFT_SEPARATOR) != 0;
        if (info.hSubMenu) item.submenu = ReadMenu(info.hSubMenu);
        items.push_back(item);
    }
    return items;
}

const MenuItem* FindItem(const std::vector<MenuItem>& items, UINT id) {
    for (const MenuItem& item : items)
        if (item.id == id && item.submenu.empty()) return &item;
    return nullptr;
}

// The host side.
PlayerCore* g_core = nullptr;
HWND g_strip = nullptr;
// Wine's shell takes seconds to remove a tray icon, so only the tests that look at the
// icon have one.
int g_trayIconId = kNoIcon;
int g_frameRightClicks = 0;  // WM_NCRBUTTONUP that reached the host
bool g_openMenuOnRightClick = false;
std::vector<MenuItem> g_trackedMenu;  // the menu as it was shown, read while it was open

LRESULT CALLBACK HostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            g_strip = g_core->AttachWindow(window);
            SetWindowPos(window, nullptr, kWindowX, kWindowY, 320, 27,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            g_core->Start("Harrowgladeforte", g_trayIconId);
            return 0;
        case WM_SIZE:
            // The strip fills the window right of the play indicator, as in the program.
            if (g_strip) {
                RECT combo{};
                GetClientRect(g_core->GetComboBoxWindow(), &combo);
                SetWindowPos(g_strip, nullptr, 16, 0, LOWORD(lParam) - 16, combo.bottom,
                             SWP_NOZORDER | SWP_NOACTIVATE);
            }
            return 0;
        case WM_NCRBUTTONUP:
            ++g_frameRightClicks;
            if (g_openMenuOnRightClick) g_core->ShowPopupMenu(0);
            return 0;
        case WM_INITMENUPOPUP:
            // The first popup is the main menu; once read it is closed, as Escape does.
            if (g_trackedMenu.empty()) {
                g_trackedMenu = ReadMenu(reinterpret_cast<HMENU>(wParam));
                PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
            }
            return 0;
        case WM_ENTERIDLE:
            if (wParam == MSGF_MENU) EndMenu();
            return 0;
        default:
            return test::HostWindowDefaults(window, message, wParam, lParam);
    }
}

bool TrayIconExists(HWND window) {
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V2_SIZE;
    record.hWnd = window;
    record.uID = 0;
    return Shell_NotifyIconA(NIM_MODIFY, &record) != FALSE;
}

BYTE AlphaOf(HWND window) {
    BYTE alpha = 0;
    DWORD flags = 0;
    GetLayeredWindowAttributes(window, nullptr, &alpha, &flags);
    return alpha;
}

POINT CentreOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

class MenuTrayTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { SetCoreModule(GetModuleHandleA(nullptr)); }

    void SetUp() override {
        DeleteFileA(ProgramIniPath().c_str());
        char temp[MAX_PATH] = "";
        GetTempPathA(sizeof temp, temp);
        folder_ = std::string(temp) + "hgf-menu-tray-" + std::to_string(GetCurrentProcessId());
        std::filesystem::remove_all(folder_);
        music_ = folder_ + "\\music";
        std::filesystem::create_directories(music_ + "\\A");
        std::filesystem::create_directories(music_ + "\\B");
    }
    void TearDown() override {
        Close();
        DeleteFileA(ProgramIniPath().c_str());
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    // Two folder groups of tones, resumed from the newest history entry in list order.
    void WriteGroupsAndResumeIni(const std::string& moreLines = {}) {
        ASSERT_TRUE(test::WriteToneOgg(music_ + "\\A\\a1.ogg", 440, 3));
        ASSERT_TRUE(test::WriteToneOgg(music_ + "\\A\\a2.ogg", 550, 3));
        ASSERT_TRUE(test::WriteToneOgg(music_ + "\\B\\b1.ogg", 660, 3));
        WriteProgramIni("Histry0=" + music_ + "\r\nLastPlayFile=" + music_ +
                        "\\A\\a1.ogg\r\nPlayListMode=0\r\n" + moreLines);
    }

    void Open(int trayIconId = kNoIcon) {
        g_trayIconId = trayIconId;
        g_frameRightClicks = 0;
        g_openMenuOnRightClick = false;
        core_ = g_core = new PlayerCore(clock_, power_);  // released by Close
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = HostProcedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kMainWindowClass;
        RegisterClassExA(&windowClass);
        window_ =
            CreateWindowExA(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kMainWindowClass,
                            "Harrowgladeforte", WS_POPUP | WS_CLIPCHILDREN | WS_DLGFRAME, 0, 0, 0,
                            0, nullptr, nullptr, windowClass.hInstance, nullptr);
        ASSERT_TRUE(window_);
        combo_ = core_->GetComboBoxWindow();
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        GetComboBoxInfo(combo_, &info);
        list_ = info.hwndList;
    }
    void Close() {
        if (window_ && IsWindow(window_)) SendMessageA(window_, WM_CLOSE, 0, 0);
        window_ = nullptr;
        if (core_) core_->Release();
        core_ = g_core = nullptr;
    }
    bool WaitUntilPlaying() {
        return PumpUntil([&] { return core_->GetItemCount() > 0 && core_->IsPlaying() == 1; });
    }
    // Opens the popup menu as a right click on the frame does, and returns it as shown.
    std::vector<MenuItem> OpenMenu() {
        g_trackedMenu.clear();
        g_openMenuOnRightClick = true;
        SendMessageA(window_, WM_NCRBUTTONUP, HTCAPTION, 0);
        g_openMenuOnRightClick = false;
        return g_trackedMenu;
    }
    void Tick(UINT timer) { SendMessageA(window_, WM_TIMER, timer, 0); }

    std::string folder_, music_;
    test::FakeClock clock_;
    test::FakePowerControl power_;
    PlayerCore* core_ = nullptr;
    HWND window_ = nullptr;
    HWND combo_ = nullptr;
    HWND list_ = nullptr;
};

TEST_F(MenuTrayTest, TrayIconLivesFromStartToCloseAndReturnsWithTheShell) {
    WriteProgramIni("TrayIconDblClkToDefault=true\r\n");
    Open(kTrayIconResource);
    EXPECT_TRUE(TrayIconExists(window_));

    // The shell restarted: its icons are gone until their owners add them again.
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V2_SIZE;
    record.hWnd = window_;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &record));
    EXPECT_FALSE(TrayIconExists(window_));
    SendMessageA(window_, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(TrayIconExists(window_));

    // A right click on the icon asks the host for the menu, as one on the frame does.
    SendMessageA(window_, MSG_TRAY_NOTIFY, 0, WM_RBUTTONUP);
    EXPECT_TRUE(PumpUntil([] { return g_frameRightClicks == 1; }, 2000));
    SendMessageA(window_, MSG_TRAY_NOTIFY, 0, WM_LBUTTONUP);  // other mouse messages: nothing
    Pump(100);
    EXPECT_EQ(g_frameRightClicks, 1);

    // A double click brings the hidden window back to its default place.
    SendMessageA(window_, WM_COMMAND, CMD_SHOW_HIDE, 0);
    ASSERT_FALSE(IsWindowVisible(window_));
    SendMessageA(window_, MSG_TRAY_NOTIFY, 0, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(IsWindowVisible(window_));
    RECT area{}, placed{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    GetWindowRect(window_, &placed);
    EXPECT_EQ(placed.right, area.right);
    EXPECT_EQ(placed.bottom, area.bottom);

    HWND window = window_;
    Close();
    EXPECT_FALSE(TrayIconExists(window));
}

TEST_F(MenuTrayTest, TrayDoubleClickEndsTheProgramWhenSoSet) {
    WriteProgramIni("TrayIconDblClkToDefault=false\r\n");
    Open(kTrayIconResource);
    HWND window = window_;
    SendMessageA(window, MSG_TRAY_NOTIFY, 0, WM_LBUTTONDBLCLK);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(TrayIconExists(window));
    EXPECT_FALSE(KeyboardHookInstalled());
}

// The menu's texts and greying rules are tested natively; here: what reaches the system's
// menus, with the keys named by the keyboard layout.
TEST_F(MenuTrayTest, MenuShowsTheStateOfTheLoadAndThePlayback) {
    WriteGroupsAndResumeIni("e_Exit=" + std::to_string(0x276) + "\r\n");  // Ctrl + F7
    Open();
    auto grayed = [](const MenuItem* item) { return item && (item->state & MFS_GRAYED); };
    // Start's load runs: commands that need the list or start a load are greyed, the
    // history submenu too.
    std::vector<MenuItem> menu = OpenMenu();
    ASSERT_EQ(menu.size(), 19u);
    EXPECT_TRUE(grayed(FindItem(menu, CMD_PLAY_PAUSE)));
    EXPECT_TRUE(grayed(FindItem(menu, CMD_LOAD_PLAYLIST)));
    EXPECT_FALSE(grayed(FindItem(menu, CMD_OPTIONS)));
    EXPECT_EQ(menu[8].text, "最近読み込んだフォルダ／プレイリスト");
    EXPECT_TRUE(grayed(&menu[8]));
    ASSERT_TRUE(WaitUntilPlaying());

    menu = OpenMenu();
    ASSERT_EQ(menu.size(), 19u);
    EXPECT_TRUE(menu[1].separator);
    ASSERT_EQ(menu[0].submenu.size(), 3u);
    EXPECT_EQ(menu[0].submenu[0].text, "ランダム再生");
    EXPECT_EQ(menu[0].submenu[1].state, UINT(MFS_CHECKED));  // list order
    EXPECT_EQ(menu[0].submenu[2].state, 0u);
    EXPECT_EQ(FindItem(menu, CMD_PLAY_PAUSE)->text, "一時停止\t[Ctrl + F10]");
    EXPECT_EQ(FindItem(menu, CMD_EXIT)->text, "アプリケーションの終了\t[Ctrl + F7]");
    EXPECT_FALSE(grayed(FindItem(menu, CMD_SKIP)));
    EXPECT_TRUE(grayed(FindItem(menu, CMD_PREV_PLAY)));  // one item played so far
    ASSERT_EQ(menu[8].submenu.size(), 1u);
    EXPECT_EQ(menu[8].submenu[0].id, UINT(CMD_HISTORY_0));
    EXPECT_EQ(menu[8].submenu[0].text, music_);
    // The texts of the last build stay readable.
    EXPECT_EQ(core_->GetMenuText(CMD_SHOW_HIDE), "ウィンドウを隠す\t[F12]");
    EXPECT_EQ(core_->GetMenuText(CMD_HISTORY_0), music_);
    EXPECT_EQ(core_->GetMenuText(12345), "");
}

TEST_F(MenuTrayTest, HookPostsReleasesAndBoundActionsAllFire) {
    // F7 runs two actions: hide the window and repeat mode.
    WriteProgramIni("e_WindowShow_Hide=" + std::to_string(0x76) +
                    "\r\ne_Mode_Repert=" + std::to_string(0x76) + "\r\n");
    Open();
    EXPECT_TRUE(KeyboardHookInstalled());
    auto takeHotkey = [&](MSG& message) {
        return PeekMessageA(&message, window_, MSG_HOTKEY, MSG_HOTKEY, PM_REMOVE) != FALSE;
    };
    MSG message{};
    constexpr LPARAM kRelease = static_cast<LPARAM>(0xC0410001u);  // F7 going up
    constexpr LPARAM kPress = 0x00410001;

    KeyboardHookProcedure(HC_ACTION, VK_F7, kPress);
    KeyboardHookProcedure(3 /* HC_NOREMOVE */, VK_F7, kRelease);
    EXPECT_FALSE(takeHotkey(message));

    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = keys[VK_SHIFT] = 0x80;  // Ctrl wins over Shift
    SetKeyboardState(keys);
    KeyboardHookProcedure(HC_ACTION, VK_F7, kRelease);
    keys[VK_CONTROL] = keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    ASSERT_TRUE(takeHotkey(message));
    EXPECT_EQ(message.wParam, 0x276u);
    EXPECT_EQ(message.lParam, kRelease);
    DispatchMessageA(&message);  // Ctrl + F7 is bound to nothing
    Pump(100);
    EXPECT_TRUE(IsWindowVisible(window_));

    KeyboardHookProcedure(HC_ACTION, VK_F7, kRelease);
    ASSERT_TRUE(takeHotkey(message));
    EXPECT_EQ(message.wParam, 0x76u);
    DispatchMessageA(&message);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(window_); }, 2000));
    Close();
    EXPECT_FALSE(KeyboardHookInstalled());
    EXPECT_EQ(IniValue("PlayListMode"), "2");
}

TEST_F(MenuTrayTest, HookPostsOnlyTheHotkeyMessageToAWindowOfThePlayersClass) {
    // Any program can write the shared section; the hook trusts only its own message and a
    // window of the player's class.
    Open();
    constexpr LPARAM kRelease = static_cast<LPARAM>(0xC0410001u);  // F7 going up
    constexpr UINT kForeignMessage = WM_APP + 0x77;
    HWND foreign = CreateWindowA("STATIC", "foreign", 0, 0, 0, 1, 1, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    HWND gone = CreateWindowA("STATIC", "gone", 0, 0, 0, 1, 1, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    DestroyWindow(gone);
    auto posted = [](UINT message) {
        MSG taken{};
        return PeekMessageA(&taken, nullptr, message, message, PM_REMOVE) != FALSE;
    };
    const std::pair<HWND, UINT> refused[] = {{foreign, MSG_HOTKEY},
                                             {window_, kForeignMessage},
                                             {gone, MSG_HOTKEY},
                                             {nullptr, MSG_HOTKEY}};
    for (auto [target, message] : refused) {
        PublishHotkeyTarget(target, message);
        KeyboardHookProcedure(HC_ACTION, VK_F7, kRelease);
        EXPECT_FALSE(posted(MSG_HOTKEY)) << target << " " << message;
        EXPECT_FALSE(posted(kForeignMessage)) << target << " " << message;
    }
    PublishHotkeyTarget(window_, MSG_HOTKEY);
    KeyboardHookProcedure(HC_ACTION, VK_F7, kRelease);
    EXPECT_TRUE(posted(MSG_HOTKEY));
    DestroyWindow(foreign);
}

TEST_F(MenuTrayTest, OffTimerFiresInItsMinuteInEachMode) {
    for (const char* mode :
         {"TimerIsAppExitOnly=true\r\n", "TimerIsSuspend=true\r\n", "TimerIsForce=true\r\n"}) {
        SCOPED_TRACE(mode);
        power_.calls.clear();
        WriteProgramIni(mode);
        Open();
        HWND window = window_;
        core_->SetOffTimer(1, 23, 59);
        clock_.local = LocalTime{2026, 12, 7, 23, 58};
        Tick(TIMER_HOUSEKEEPING);
        EXPECT_TRUE(IsWindow(window));
        EXPECT_TRUE(power_.calls.empty());
        clock_.local.minute = 59;
        Tick(TIMER_HOUSEKEEPING);
        if (std::string(mode).find("Suspend") != std::string::npos) {
            // Hibernation leaves the player running; a second tick in the minute asks again,
            // and the resume switches the timer off.
            EXPECT_TRUE(IsWindow(window));
            Tick(TIMER_HOUSEKEEPING);
            EXPECT_EQ(power_.calls, (std::vector<std::string>{"privilege", "power 0 0", "privilege",
                                                              "power 0 0"}));
            SendMessageA(window, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
            Tick(TIMER_HOUSEKEEPING);
            EXPECT_EQ(power_.calls.size(), 4u);
            Close();
        } else {
            EXPECT_FALSE(IsWindow(window));
            Close();
            if (std::string(mode).find("Force") != std::string::npos) {
                EXPECT_EQ(power_.calls, (std::vector<std::string>{"privilege", "exit 13 262144"}));
            } else {
                EXPECT_TRUE(power_.calls.empty());
            }
        }
    }
}

TEST_F(MenuTrayTest, EmptyListIgnoresClicks) {
    Open();
    SendMessageA(combo_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(combo_, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_FALSE(SendMessageA(combo_, CB_GETDROPPEDSTATE, 0, 0));
    SendMessageA(combo_, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    SendMessageA(combo_, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(core_->GetItemCount(), 0);
    EXPECT_EQ(core_->IsPlaying(), 0);
    EXPECT_EQ(core_->GetCurrentIndex(), 0);
}

TEST_F(MenuTrayTest, WheelWithTheRightButtonJumpsBetweenGroupsWithoutPlaying) {
    WriteGroupsAndResumeIni();
    Open();
    ASSERT_TRUE(WaitUntilPlaying());
    // music, A, a1, a2, B, b1: the top heading and one per sub-folder.
    ASSERT_EQ(core_->GetItemCount(), 6);
    ASSERT_EQ(core_->IsItemFolder(1), 1);
    ASSERT_EQ(core_->IsItemFolder(4), 1);
    ASSERT_EQ(core_->GetCurrentIndex(), 2);
    auto wheel = [&](int selection, int delta) {
        SendMessageA(combo_, CB_SETCURSEL, selection, 0);
        SendMessageA(combo_, WM_MOUSEWHEEL, MAKEWPARAM(MK_RBUTTON, delta), 0);
        return static_cast<int>(SendMessageA(combo_, CB_GETCURSEL, 0, 0));
    };
    EXPECT_EQ(wheel(4, 120), 1);             // from group B's heading to group A's
    EXPECT_EQ(wheel(1, 120), 0);             // from the first sub-group to the top
    EXPECT_EQ(wheel(2, -120), 4);            // down to the next heading
    EXPECT_EQ(wheel(5, -120), -1);           // down from the last group: nothing selected
    EXPECT_EQ(core_->GetCurrentIndex(), 2);  // nothing started
    EXPECT_EQ(core_->IsPlaying(), 1);

    // A right click skips (list order: the next file).
    SendMessageA(combo_, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    SendMessageA(combo_, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(core_->GetCurrentIndex(), 3);
    EXPECT_EQ(SendMessageA(combo_, CB_GETCURSEL, 0, 0), 3);

    // Without the right button the wheel is the combo box's own: no jump to a heading.
    SendMessageA(combo_, CB_SETCURSEL, 2, 0);
    SendMessageA(combo_, WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0);
    EXPECT_NE(SendMessageA(combo_, CB_GETCURSEL, 0, 0), 4);
}

TEST_F(MenuTrayTest, OpenListRefusesFolderRowsAndRestoresTheAnimation) {
    WriteGroupsAndResumeIni();
    Open();
    ASSERT_TRUE(WaitUntilPlaying());
    BOOL userAnimation = FALSE;
    SystemParametersInfoA(SPI_GETCOMBOBOXANIMATION, 0, &userAnimation, 0);
    SystemParametersInfoA(SPI_SETCOMBOBOXANIMATION, 0, reinterpret_cast<void*>(TRUE), 0);

    SendMessageA(combo_, CB_SHOWDROPDOWN, TRUE, 0);
    ASSERT_TRUE(SendMessageA(combo_, CB_GETDROPPEDSTATE, 0, 0));
    BOOL animation = TRUE;
    SystemParametersInfoA(SPI_GETCOMBOBOXANIMATION, 0, &animation, 0);
    EXPECT_FALSE(animation);
    EXPECT_EQ(SendMessageA(list_, WM_ERASEBKGND, 0, 0), 1);

    // A click on heading B: the list stays open and nothing starts.
    auto rowPoint = [&](int row) {
        RECT item{};
        SendMessageA(list_, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&item));
        return POINT{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    };
    auto clickRow = [&](int row) {
        POINT point = rowPoint(row);
        POINT screen = point;
        ClientToScreen(list_, &screen);
        SetCursorPos(screen.x, screen.y);
        SendMessageA(list_, WM_MOUSEMOVE, 0, MAKELPARAM(point.x, point.y));  // hover selects
        SendMessageA(combo_, CB_SETCURSEL, row, 0);
        SendMessageA(list_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
        SendMessageA(list_, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
        Pump(50);
    };
    // With the right button held the selection does not follow the mouse.
    SendMessageA(combo_, CB_SETCURSEL, 2, 0);
    POINT row1 = rowPoint(1);
    SendMessageA(list_, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(row1.x, row1.y));
    EXPECT_EQ(SendMessageA(combo_, CB_GETCURSEL, 0, 0), 2);

    clickRow(4);
    EXPECT_TRUE(SendMessageA(combo_, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(core_->GetCurrentIndex(), 2);

    // A click on file b1 chooses it: the list closes, b1 plays and the animation is back.
    clickRow(5);
    EXPECT_FALSE(SendMessageA(combo_, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(core_->GetCurrentIndex(), 5);
    EXPECT_EQ(core_->IsPlaying(), 1);
    SystemParametersInfoA(SPI_GETCOMBOBOXANIMATION, 0, &animation, 0);
    EXPECT_TRUE(animation);
    SystemParametersInfoA(SPI_SETCOMBOBOXANIMATION, 0,
                          reinterpret_cast<void*>(static_cast<INT_PTR>(userAnimation)), 0);
}

TEST_F(MenuTrayTest, AlphaFadesOnlyWhenTheCursorCrosses) {
    WriteProgramIni("LayeredActive=180\r\nLayeredNoActive=90\r\n");
    Open();
    POINT inside = CentreOf(window_);
    RECT rect{};
    GetWindowRect(window_, &rect);
    POINT away{rect.right + 200, rect.top};

    SetCursorPos(away.x, away.y);
    Tick(TIMER_FADE);
    EXPECT_EQ(AlphaOf(window_), 89);  // the start-up fade's last step

    SetCursorPos(inside.x, inside.y);
    Tick(TIMER_FADE);
    EXPECT_EQ(AlphaOf(window_), 179);
    SetLayeredWindowAttributes(window_, 0, 42, LWA_ALPHA);
    Tick(TIMER_FADE);  // still near: no new fade
    EXPECT_EQ(AlphaOf(window_), 42);

    SetCursorPos(away.x, away.y);
    Tick(TIMER_FADE);
    EXPECT_EQ(AlphaOf(window_), 91);
    Tick(TIMER_FADE);
    EXPECT_EQ(AlphaOf(window_), 91);

    // The open list counts as near wherever the cursor is.
    SendMessageA(g_strip, WM_COMMAND, MAKEWPARAM(IDC_COMBO, CBN_DROPDOWN),
                 reinterpret_cast<LPARAM>(combo_));
    Tick(TIMER_FADE);
    EXPECT_EQ(AlphaOf(window_), 179);
    SendMessageA(g_strip, WM_COMMAND, MAKEWPARAM(IDC_COMBO, CBN_CLOSEUP),
                 reinterpret_cast<LPARAM>(combo_));
    SetCursorPos(away.x, away.y);
    Tick(TIMER_FADE);
    EXPECT_EQ(AlphaOf(window_), 91);
}

// The shell offers no way to read a tooltip back, so the record it is handed is checked:
// it holds the Japanese title, whatever the system's code page.
TEST(TrayRecordTest, TheTooltipIsTheTitleInJapanese) {
    NOTIFYICONDATAW record = TrayRecord(nullptr, nullptr, TrayTooltipText("曲の題名"));
    EXPECT_EQ(std::wstring(record.szTip), L"曲の題名");
    EXPECT_EQ(record.cbSize, UINT(NOTIFYICONDATAW_V2_SIZE));
}

}  // namespace
}  // namespace hgf
