// The top-level window driven by messages, with a fake core: placement, frame
// behaviour, the blink timer, item measuring, closing and the About page.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <prsht.h>

#include <memory>

#include "CoreIds.h"
#include "FakeCore.h"
#include "ProductInfo.h"
#include "launcher/LauncherResources.h"
#include "win32/AboutPage.h"
#include "win32/LauncherWindow.h"

namespace hgf::launcher {
namespace {

using test::FakeCore;

RECT WorkArea() {
    RECT area{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

RECT WindowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

int ClientHeight(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return r.bottom;
}

// Takes a pending WM_QUIT off the thread's queue; returns its exit code or -1.
int TakeQuitMessage() {
    MSG message;
    int code = -1;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) code = static_cast<int>(message.wParam);
    }
    return code;
}

class LauncherWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InitCommonControls();
        instance_ = GetModuleHandleA(nullptr);
        resources_ = LoadLauncherResources(instance_);
        ASSERT_TRUE(resources_.Complete());
        registration_ = std::make_unique<WindowClassRegistration>(instance_, resources_.icon.get());
        ASSERT_TRUE(registration_->Registered());
    }
    void TearDown() override {
        window_.reset();
        registration_.reset();
        TakeQuitMessage();
    }

    HWND Create() {
        window_ = std::make_unique<LauncherWindow>(core_, instance_, resources_);
        EXPECT_TRUE(window_->Create());
        return window_->Handle();
    }
    int ExpectedHeight() const {
        return 2 * GetSystemMetrics(SM_CYDLGFRAME) + ClientHeight(core_.comboBox);
    }

    FakeCore core_;
    HINSTANCE instance_ = nullptr;
    LauncherResources resources_;
    std::unique_ptr<WindowClassRegistration> registration_;
    std::unique_ptr<LauncherWindow> window_;
};

TEST_F(LauncherWindowTest, CreationAttachesPlacesAndStartsTheCoreInOrder) {
    const HWND window = Create();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(core_.lifecycle, (std::vector<std::string>{"AttachWindow", "GetComboBoxWindow",
                                                         "GetSavedWindowRect", "Start"}));
    EXPECT_EQ(core_.host, window);
    EXPECT_EQ(core_.startTitle, "Harrowgladeforte");
    EXPECT_EQ(core_.startIconId, 106);
    EXPECT_FALSE(IsWindowVisible(window));  // showing it is the core's job

    const auto font = reinterpret_cast<LRESULT>(resources_.font.get());
    EXPECT_EQ(SendMessageA(core_.strip, WM_GETFONT, 0, 0), font);
    EXPECT_EQ(SendMessageA(core_.comboBox, WM_GETFONT, 0, 0), font);

    wchar_t className[64] = {};
    GetClassNameW(window, className, ARRAYSIZE(className));
    EXPECT_STREQ(className, L"Harrowgladeforte 2.03");  // other programs look for it
    LOGFONTW face{};
    ASSERT_TRUE(GetObjectW(resources_.font.get(), sizeof(face), &face));
    EXPECT_STREQ(face.lfFaceName, L"ＭＳ Ｐゴシック");
    const LONG_PTR exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_LAYERED);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_EQ(style & WS_CAPTION, WS_DLGFRAME);  // a dialog frame and no title bar

    EXPECT_TRUE(KillTimer(window, 0));  // the blink timer runs
}

// Each case creates a fresh window from a stored placement (X, Y, width, height).
TEST_F(LauncherWindowTest, PlacementComesFromTheStoredRectangleOrTheBottomRightCorner) {
    const RECT work = WorkArea();
    struct Case {
        const char* name;
        RECT stored;
        bool usable;
    } cases[] = {
        {"first start (width 0)", {0, 0, 0, 0}, false},
        {"X at the right edge", {work.right, 100, 400, 30}, false},
        {"usable", {100, 200, 400, 30}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        core_.savedRect = c.stored;
        const RECT r = WindowRect(Create());
        if (c.usable) {
            EXPECT_EQ(r.left, c.stored.left);
            EXPECT_EQ(r.top, c.stored.top);
            EXPECT_EQ(r.right - r.left, c.stored.right);
            EXPECT_EQ(r.bottom - r.top, c.stored.bottom);
        } else {
            EXPECT_EQ(r.right, work.right);
            EXPECT_EQ(r.bottom, work.bottom);
            EXPECT_EQ(r.right - r.left, 320);
            EXPECT_EQ(r.bottom - r.top, ExpectedHeight());
            EXPECT_GT(ExpectedHeight(), 2 * GetSystemMetrics(SM_CYDLGFRAME));
        }
        window_.reset();
    }
}

TEST_F(LauncherWindowTest, StripSitsRightOfTheIndicatorAndFollowsTheWidth) {
    const HWND window = Create();
    SetWindowPos(window, nullptr, 0, 0, 400, ExpectedHeight(), SWP_NOMOVE | SWP_NOZORDER);
    RECT client{};
    GetClientRect(window, &client);
    RECT strip = WindowRect(core_.strip);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&strip), 2);
    EXPECT_EQ(strip.left, 16);
    EXPECT_EQ(strip.top, 0);
    EXPECT_EQ(strip.right, client.right);
    EXPECT_EQ(strip.bottom - strip.top, ClientHeight(core_.comboBox));
}

TEST_F(LauncherWindowTest, WithoutControlsTheWindowIs25PixelsHigh) {
    core_.createControls = false;
    const HWND window = Create();
    const RECT r = WindowRect(window);
    EXPECT_EQ(r.bottom - r.top, 25);
    MINMAXINFO info{};
    SendMessageA(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.y, 25);
    EXPECT_EQ(info.ptMaxTrackSize.y, 25);
}

TEST_F(LauncherWindowTest, FrameResizesOnlyInTheSideBandsAndStaysInTheWorkArea) {
    core_.savedRect = {300, 300, 400, 30};
    const HWND window = Create();
    const RECT work = WorkArea();

    MINMAXINFO info{};
    SendMessageA(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 280);
    EXPECT_EQ(info.ptMaxTrackSize.x, work.right);
    EXPECT_EQ(info.ptMinTrackSize.y, ExpectedHeight());
    EXPECT_EQ(info.ptMaxTrackSize.y, ExpectedHeight());

    auto hit = [window](int x) {
        return SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(x, 310));
    };
    EXPECT_EQ(hit(300), HTLEFT);
    EXPECT_EQ(hit(305), HTLEFT);
    EXPECT_EQ(hit(306), HTCAPTION);
    EXPECT_EQ(hit(500), HTCAPTION);
    EXPECT_EQ(hit(695), HTRIGHT);
    EXPECT_EQ(hit(699), HTRIGHT);

    RECT proposed{work.left - 40, work.top - 10, work.left + 280, work.top + 14};
    EXPECT_EQ(SendMessageA(window, WM_MOVING, WMSZ_TOP, reinterpret_cast<LPARAM>(&proposed)), TRUE);
    EXPECT_EQ(proposed.left, work.left);
    EXPECT_EQ(proposed.top, work.top);
    EXPECT_EQ(proposed.right - proposed.left, 320);
    EXPECT_EQ(proposed.bottom - proposed.top, 24);
    proposed = {work.right - 100, work.bottom - 5, work.right + 220, work.bottom + 19};
    SendMessageA(window, WM_MOVING, 0, reinterpret_cast<LPARAM>(&proposed));
    EXPECT_EQ(proposed.right, work.right);
    EXPECT_EQ(proposed.bottom, work.bottom);
    EXPECT_EQ(proposed.right - proposed.left, 320);
}

TEST_F(LauncherWindowTest, BlinkTimerAdvancesOnlyWhilePlaying) {
    const HWND window = Create();
    SendMessageA(window, WM_TIMER, 0, 0);
    EXPECT_EQ(window_->BlinkValue(), 0);
    core_.playing = 1;
    SendMessageA(window, WM_TIMER, 0, 0);
    SendMessageA(window, WM_TIMER, 0, 0);
    EXPECT_EQ(window_->BlinkValue(), 2);
    SendMessageA(window, WM_TIMER, 33773, 0);  // the core's fade timer is not the blink
    EXPECT_EQ(window_->BlinkValue(), 2);
    core_.playing = 0;  // paused or stopped: the indicator freezes
    SendMessageA(window, WM_TIMER, 0, 0);
    EXPECT_EQ(window_->BlinkValue(), 2);
}

TEST_F(LauncherWindowTest, RightClickInTheFrameOpensThePopupMenu) {
    const HWND window = Create();
    SendMessageA(window, WM_NCRBUTTONUP, HTCAPTION, 0);
    EXPECT_EQ(core_.popupMenuFlags, std::vector<int>{0});
}

TEST_F(LauncherWindowTest, ComboBoxRowsAreMeasuredByTheLauncher) {
    const HWND window = Create();
    // The owner-drawn combo box asked the window while it was created.
    EXPECT_EQ(SendMessageA(core_.comboBox, CB_GETITEMHEIGHT, 0, 0), 14);

    MEASUREITEMSTRUCT edit{ODT_COMBOBOX, 1, static_cast<UINT>(-1), 0, 0, 0};
    SendMessageA(window, WM_MEASUREITEM, 1, reinterpret_cast<LPARAM>(&edit));
    EXPECT_EQ(edit.itemWidth, 280u);
    EXPECT_EQ(edit.itemHeight, 12u);
    MEASUREITEMSTRUCT list{ODT_LISTBOX, 1, 5, 0, 0, 0};
    SendMessageA(window, WM_MEASUREITEM, 1, reinterpret_cast<LPARAM>(&list));
    EXPECT_EQ(list.itemWidth, 280u);
    EXPECT_EQ(list.itemHeight, 14u);
    MEASUREITEMSTRUCT button{ODT_BUTTON, 1, 0, 33, 44, 0};
    SendMessageA(window, WM_MEASUREITEM, 1, reinterpret_cast<LPARAM>(&button));
    EXPECT_EQ(button.itemWidth, 33u);  // other controls are not touched
    EXPECT_EQ(button.itemHeight, 44u);
}

TEST_F(LauncherWindowTest, CloseDestroysTheWindowAndEndsTheLoopWithZero) {
    const HWND window = Create();
    TakeQuitMessage();
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(window_->Handle(), nullptr);
    EXPECT_EQ(TakeQuitMessage(), 0);
}

TEST_F(LauncherWindowTest, AboutPageShowsVersionNoticeAndHomePage) {
    const HWND window = Create();
    EXPECT_EQ(SendMessageA(window, MSG_GET_ABOUT_PAGE, 0, 0), 0);  // no slot, no page

    HPROPSHEETPAGE page = nullptr;
    ASSERT_EQ(SendMessageA(window, MSG_GET_ABOUT_PAGE, 0, reinterpret_cast<LPARAM>(&page)), 1);
    ASSERT_NE(page, nullptr);

    // Shown in a sheet as the core shows it (modeless here, so the test can look). The texts
    // are read back through the wide-character functions: whatever the system's ANSI code
    // page, they are the Japanese texts.
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_MODELESS;
    header.hwndParent = window;
    header.nPages = 1;
    header.phpage = &page;
    const auto sheet = reinterpret_cast<HWND>(PropertySheetW(&header));
    ASSERT_NE(sheet, nullptr);
    const HWND about = PropSheet_GetCurrentPageHwnd(sheet);
    ASSERT_NE(about, nullptr);

    wchar_t text[128] = {};
    TCITEMW tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = text;
    tab.cchTextMax = ARRAYSIZE(text);
    SendMessageW(PropSheet_GetTabControl(sheet), TCM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tab));
    EXPECT_STREQ(text, L"バージョン情報");

    GetDlgItemTextW(about, IDC_ABOUT_VERSION, text, ARRAYSIZE(text));
    EXPECT_STREQ(text, L"バージョン 2.03.2003.0620");
    GetDlgItemTextW(about, IDC_ABOUT_LEGAL, text, ARRAYSIZE(text));
    EXPECT_STREQ(text, L"" HGF_LEGAL_NOTICE);
    GetDlgItemTextW(about, IDC_ABOUT_HOME_PAGE, text, ARRAYSIZE(text));
    EXPECT_STREQ(text, L"https://harrowgladeforte.example/");
    for (int id : {IDC_ABOUT_VERSION, IDC_ABOUT_LEGAL, IDC_ABOUT_HOME_PAGE}) {
        EXPECT_TRUE(GetWindowLongPtrA(GetDlgItem(about, id), GWL_STYLE) & ES_READONLY) << id;
    }
    // The picture at the top carries the About bitmap.
    HWND child = GetWindow(about, GW_CHILD);
    HANDLE picture = nullptr;
    for (; child && !picture; child = GetWindow(child, GW_HWNDNEXT)) {
        picture = reinterpret_cast<HANDLE>(SendMessageA(child, STM_GETIMAGE, IMAGE_BITMAP, 0));
    }
    EXPECT_NE(picture, nullptr);
    DestroyWindow(sheet);
}

TEST_F(LauncherWindowTest, DestroyingTheOwnerDestroysALiveWindow) {
    const HWND window = Create();
    window_.reset();
    EXPECT_FALSE(IsWindow(window));
}

}  // namespace
}  // namespace hgf::launcher
