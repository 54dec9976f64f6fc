// The core's windows at their edges under Wine: where its dialogs and the volume popup open
// with the player in each corner of the screen, what the list's rows hold, and what a
// window that another subclass sits on keeps once the core is released. The core is
// linked into this program (its resources too); a test window plays the host.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "CoreIds.h"
#include "ToneOgg.h"
#include "win32/CoreModule.h"
#include "win32/ModalLoopScript.h"
#include "win32/PlayerCore.h"
#include "win32/WindowTestKit.h"

// Allocations by one thread, counted while that thread runs CountAllocations.
namespace {
std::atomic<DWORD> g_countedThread{0};
std::atomic<int> g_allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    if (g_countedThread != 0 && GetCurrentThreadId() == g_countedThread) ++g_allocations;
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

namespace hgf {
namespace {

int CountAllocations(const std::function<void()>& run) {
    g_allocations = 0;
    g_countedThread = GetCurrentThreadId();
    run();
    g_countedThread = 0;
    return g_allocations;
}

using test::ClassOf;
using test::ProgramIniPath;
using test::PumpUntil;
using test::WriteProgramIni;

constexpr int kNoTrayIcon = 1;  // no icon of this program: Wine's shell is slow to drop one
constexpr int kWidth = 320, kHeight = 27;

PlayerCore* g_core = nullptr;
int g_hostDestroyed = 0;  // WM_NCDESTROY that reached the host's own procedure

LRESULT CALLBACK HostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            g_core->AttachWindow(window);
            SetWindowPos(window, nullptr, 600, 700, kWidth, kHeight, SWP_NOZORDER | SWP_NOACTIVATE);
            g_core->Start("Harrowgladeforte", kNoTrayIcon);
            return 0;
        case WM_NCDESTROY:
            ++g_hostDestroyed;
            return 0;
        default:
            return test::HostWindowDefaults(window, message, wParam, lParam);
    }
}

RECT WorkArea() {
    RECT area{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

::testing::AssertionResult Inside(HWND window, const RECT& area) {
    RECT rect{};
    if (!GetWindowRect(window, &rect)) return ::testing::AssertionFailure() << "no window";
    if (rect.left >= area.left && rect.top >= area.top && rect.right <= area.right &&
        rect.bottom <= area.bottom) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "(" << rect.left << ", " << rect.top << ")-(" << rect.right << ", " << rect.bottom
           << ") is not inside (" << area.left << ", " << area.top << ")-(" << area.right << ", "
           << area.bottom << ")";
}

// The visible dialog of this thread that carries control `id`.
HWND ThreadDialogWith(int id) {
    return test::FindThreadWindow([id](HWND window) {
        return ClassOf(window) == "#32770" && IsWindowVisible(window) && GetDlgItem(window, id);
    });
}

class CoreWindowEdgeTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { SetCoreModule(GetModuleHandleA(nullptr)); }

    void SetUp() override { DeleteFileA(ProgramIniPath().c_str()); }
    void TearDown() override {
        if (window_ && IsWindow(window_)) SendMessageA(window_, WM_CLOSE, 0, 0);
        if (core_) core_->Release();
        g_core = nullptr;
        DeleteFileA(ProgramIniPath().c_str());
    }

    void Open() {
        g_hostDestroyed = 0;
        core_ = g_core = new PlayerCore();  // released by TearDown or the test
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = HostProcedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "CoreWindowEdgeTestHost";
        RegisterClassExA(&windowClass);
        window_ = CreateWindowExA(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST,
                                  windowClass.lpszClassName, "Harrowgladeforte",
                                  WS_POPUP | WS_CLIPCHILDREN | WS_DLGFRAME, 0, 0, 0, 0, nullptr,
                                  nullptr, windowClass.hInstance, nullptr);
        ASSERT_TRUE(window_);
        combo_ = core_->GetComboBoxWindow();
        strip_ = GetParent(combo_);
    }

    // Runs `command` and, once `find` sees its dialog, checks where it is and closes it.
    void ExpectDialogInside(const char* what, int command, const std::function<HWND()>& find,
                            const std::function<void(HWND)>& close, const RECT& area) {
        SCOPED_TRACE(what);
        bool ran =
            test::RunInsideModalLoop([&] { SendMessageA(window_, WM_COMMAND, command, 0); }, find,
                                     [&](HWND dialog) {
                                         EXPECT_TRUE(Inside(dialog, area));
                                         close(dialog);
                                     });
        EXPECT_TRUE(ran);
    }

    PlayerCore* core_ = nullptr;
    HWND window_ = nullptr;
    HWND combo_ = nullptr;
    HWND strip_ = nullptr;
};

TEST_F(CoreWindowEdgeTest, DialogsAndVolumePopupOpenInsideTheWorkAreaFromEveryCorner) {
    Open();
    const RECT area = WorkArea();
    struct Corner {
        POINT at;
        bool choosers;  // they take seconds to open under Wine: two opposite corners show them
    };
    const Corner corners[] = {{{area.left, area.top}, true},
                              {{area.right - kWidth, area.top}, false},
                              {{area.left, area.bottom - kHeight}, false},
                              {{area.right - kWidth, area.bottom - kHeight}, true}};
    auto cancel = [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); };
    for (const Corner& place : corners) {
        const POINT corner = place.at;
        SCOPED_TRACE(testing::Message() << "player at " << corner.x << ", " << corner.y);
        SetWindowPos(window_, nullptr, corner.x, corner.y, kWidth, kHeight,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        ExpectDialogInside(
            "options sheet", CMD_OPTIONS, [] { return test::FindThreadDialog("オプション"); },
            [](HWND sheet) { PropSheet_PressButton(sheet, PSBTN_CANCEL); }, area);
        if (place.choosers) {
            ExpectDialogInside(
                "folder chooser", CMD_CHANGE_FOLDER,
                [] { return ThreadDialogWith(IDC_BROWSE_SUBFOLDERS); }, cancel, area);
            ExpectDialogInside(
                "file dialog", CMD_LOAD_PLAYLIST,
                [] { return test::FindThreadDialog("プレイリストの読み込み"); }, cancel, area);
        }

        // A click on the volume button at the strip's right end slides the popup out.
        RECT strip{};
        GetWindowRect(strip_, &strip);
        SetCursorPos(strip.right - 8, (strip.top + strip.bottom) / 2);
        SendMessageA(strip_, WM_LBUTTONUP, 0, 0);
        HWND popup = test::FindThreadWindow(
            [](HWND window) { return test::WindowText(window) == "HGFcoreExtBox"; });
        ASSERT_TRUE(popup && IsWindowVisible(popup));
        EXPECT_TRUE(Inside(popup, area)) << "volume popup";
        ShowWindow(popup, SW_HIDE);
    }
}

// The list's rows are drawn by the host from the item operations, five of them per row:
// the combo box keeps no data for them that could outlive what it points into, and each
// operation copies only the field it returns.
TEST_F(CoreWindowEdgeTest, ListRowsAreDrawnFieldByFieldFromTheListAlone) {
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    const std::string music =
        std::string(temp) + "hgf-edge-" + std::to_string(GetCurrentProcessId());
    std::filesystem::remove_all(music);
    std::filesystem::create_directories(music);
    const std::string title = "z tone with a title longer than a short string.ogg";
    for (const std::string& name : {std::string("a.ogg"), std::string("b.ogg"), title})
        ASSERT_TRUE(test::WriteToneOgg(music + "\\" + name, 440, 5));  // row 3 never starts
    WriteProgramIni("Histry0=" + music + "\r\nPlayListMode=0\r\n");
    Open();
    ASSERT_TRUE(PumpUntil([&] { return SendMessageA(combo_, CB_GETCOUNT, 0, 0) == 4; }));
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(SendMessageA(combo_, CB_GETITEMDATA, row, 0), 0) << row;

    ASSERT_EQ(core_->GetItemPath(3), music + "\\" + title);
    // What drawing row 3 allocates: the title's copy, and nothing for the other four.
    int indentCopies = CountAllocations([&] { EXPECT_EQ(core_->GetItemIndent(3), 0); });
    int flagCopies = CountAllocations([&] {
        EXPECT_EQ(core_->IsItemFolder(3), 0);
        EXPECT_EQ(core_->IsItemMissing(3), 0);
        EXPECT_EQ(core_->IsItemPlayed(3), 0);
    });
    int titleCopies = CountAllocations([&] { EXPECT_EQ(core_->GetItemTitle(3), title); });
    EXPECT_EQ(indentCopies, 0);
    EXPECT_EQ(flagCopies, 0);
    EXPECT_EQ(titleCopies, 1);
    SendMessageA(window_, WM_CLOSE, 0, 0);
    std::error_code ignored;
    std::filesystem::remove_all(music, ignored);
}

// Another program's subclass above the core's, on the main window and on the combo box.
struct OuterSubclass {
    WNDPROC previous = nullptr;
    bool watching = false;
    std::vector<LONG_PTR> userData;  // the window's user data at each message watched
};
OuterSubclass g_outerMain, g_outerCombo;

LRESULT CALLBACK OuterProcedure(OuterSubclass& outer, HWND window, UINT message, WPARAM wParam,
                                LPARAM lParam) {
    if (outer.watching) outer.userData.push_back(GetWindowLongPtrA(window, GWLP_USERDATA));
    return CallWindowProcA(outer.previous, window, message, wParam, lParam);
}
LRESULT CALLBACK OuterMainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return OuterProcedure(g_outerMain, window, message, wParam, lParam);
}
LRESULT CALLBACK OuterComboProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return OuterProcedure(g_outerCombo, window, message, wParam, lParam);
}

// A host that releases the core while its window still exists: the core cannot take its
// subclass out of a chain that another one sits on, so it leaves no way back to itself
// and every message still reaches the window's own procedure.
TEST_F(CoreWindowEdgeTest, AReleasedCoreCannotBeReachedThroughAChainItCannotLeave) {
    Open();
    g_outerMain = {};
    g_outerCombo = {};
    g_outerMain.previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OuterMainProcedure)));
    g_outerCombo.previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(combo_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OuterComboProcedure)));
    g_outerMain.watching = g_outerCombo.watching = true;

    core_->Release();  // destroys the windows that still exist
    core_ = g_core = nullptr;
    EXPECT_FALSE(IsWindow(window_));
    EXPECT_FALSE(IsWindow(combo_));
    EXPECT_EQ(g_hostDestroyed, 1);  // the host's procedure still handled its window
    EXPECT_FALSE(g_outerMain.userData.empty());
    EXPECT_FALSE(g_outerCombo.userData.empty());
    for (LONG_PTR data : g_outerMain.userData)
        EXPECT_EQ(data, 0);
    for (LONG_PTR data : g_outerCombo.userData)
        EXPECT_EQ(data, 0);
    window_ = nullptr;
}

}  // namespace
}  // namespace hgf
