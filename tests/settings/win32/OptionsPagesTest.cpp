// The options sheet and its six pages under Wine, over a stand-in for the core: a
// layered test window as the main window, a settings record, a list and an off-timer.
// Each test drives the real modal sheet with messages from inside its own loop.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "CoreIds.h"
#include "ProductInfo.h"
#include "core/CoreResources.h"
#include "platform/Clock.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Messenger.h"
#include "playlist/PlaylistFiles.h"
#include "settings/OptionsRules.h"
#include "settings/win32/OptionsSheet.h"
#include "win32/CoreModule.h"
#include "win32/ModalLoopScript.h"
#include "win32/WindowTestKit.h"

namespace hgf {
namespace {

using test::TabCount;
constexpr int kApplyButton = 0x3021;  // the sheet's Apply button

// Texts are read through the wide functions, as a Windows of any ANSI code page shows them,
// and compared in code page 932.
std::wstring WideText(HWND page, int id) {
    wchar_t text[600] = L"";
    GetDlgItemTextW(page, id, text, static_cast<int>(std::size(text)));
    return text;
}
std::string Text(HWND page, int id) {
    return CodePage932FromWide(WideText(page, id));
}

// The text of a control's item through a W message that fills `item` (TCITEMW, LVITEMW,
// LVCOLUMNW), its mask already set.
template <class Item>
std::wstring ItemText(HWND control, UINT message, WPARAM index, Item item) {
    wchar_t text[256] = L"";
    item.pszText = text;
    item.cchTextMax = static_cast<int>(std::size(text));
    SendMessageW(control, message, index, reinterpret_cast<LPARAM>(&item));
    return text;
}
std::wstring TabText(HWND sheet, int index) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    return ItemText(PropSheet_GetTabControl(sheet), TCM_GETITEMW, index, item);
}

void Click(HWND page, int id) {
    SendMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0);
}

bool Checked(HWND page, int id) {
    return IsDlgButtonChecked(page, id) == BST_CHECKED;
}

bool Enabled(HWND page, int id) {
    return IsWindowEnabled(GetDlgItem(page, id)) != FALSE;
}

bool ApplyEnabled(HWND sheet) {
    return Enabled(sheet, kApplyButton);
}

// Applies at once (pressing the button by message would only post the request).
void PressApply(HWND sheet) {
    SendMessageA(sheet, WM_COMMAND, MAKEWPARAM(kApplyButton, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(sheet, kApplyButton)));
}

HWND ShowPage(HWND sheet, int index) {
    PropSheet_SetCurSel(sheet, nullptr, index);
    return PropSheet_GetCurrentPageHwnd(sheet);
}

// --- The key list ---

int RowCount(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}
std::wstring WideRowText(HWND list, int row, int column) {
    LVITEMW item{};
    item.iSubItem = column;
    return ItemText(list, LVM_GETITEMTEXTW, row, item);
}
std::string RowText(HWND list, int row, int column) {
    return CodePage932FromWide(WideRowText(list, row, column));
}
std::wstring ColumnTitle(HWND list, int column) {
    LVCOLUMNW item{};
    item.mask = LVCF_TEXT;
    return ItemText(list, LVM_GETCOLUMNW, column, item);
}
LPARAM RowValue(HWND list, int row) {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.lParam;
}
int SelectedRow(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
}
void SelectRow(HWND list, int row) {
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
}

// The thread's key state, as GetKeyState reads it.
void Hold(UINT virtualKey, UINT leftKey, bool down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[virtualKey] = keys[leftKey] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}
void HoldControl(bool down) {
    Hold(VK_CONTROL, VK_LCONTROL, down);
}
void HoldShift(bool down) {
    Hold(VK_SHIFT, VK_LSHIFT, down);
}
LPARAM KeyParam(UINT virtualKey, bool release) {
    LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC)) << 16;
    return 1 | scan | (release ? (3 << 30) : 0);
}
void Key(HWND list, UINT message, UINT virtualKey) {
    bool release = message == WM_KEYUP || message == WM_SYSKEYUP;
    SendMessageA(list, message, virtualKey, KeyParam(virtualKey, release));
}
// The platform's name of the key, or its scan-code argument in hexadecimal when the
// platform has none (as Wine for the numeric keypad).
std::string KeyName(UINT virtualKey) {
    wchar_t wide[101] = L"";
    LONG argument = static_cast<LONG>(KeyParam(virtualKey, false) & 0xFFFF0000);
    if (GetKeyNameTextW(argument, wide, static_cast<int>(std::size(wide))) > 0)
        return CodePage932FromWide(wide);
    char name[16];
    std::snprintf(name, sizeof name, "%#0x", static_cast<unsigned>(argument));
    return name;
}

// --- The stand-in for the core ---

int g_hostPageQueries = 0;

LRESULT CALLBACK MainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == MSG_GET_ABOUT_PAGE) ++g_hostPageQueries;  // and answers 0
    return DefWindowProcA(window, message, wParam, lParam);
}

class OptionsPagesTest : public testing::Test {
  protected:
    // One main window for all tests: under Wine without a window manager, destroying a
    // window that was once active waits two seconds for the display.
    static void SetUpTestSuite() {
        SetCoreModule(GetModuleHandleA(nullptr));
        INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&classes);
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = MainProcedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "OptionsPagesTestMain";
        RegisterClassExA(&windowClass);
        main_ = CreateWindowExA(WS_EX_LAYERED | WS_EX_TOOLWINDOW, windowClass.lpszClassName, "main",
                                WS_POPUP, 600, 700, 320, 27, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
        ShowWindow(main_, SW_SHOWNA);
    }
    static void TearDownTestSuite() { DestroyWindow(main_); }

    void SetUp() override {
        ASSERT_TRUE(main_);
        SetLayeredWindowAttributes(main_, 0, 100, LWA_ALPHA);
        target_.mainWindow = main_;
        g_hostPageQueries = 0;
    }
    void TearDown() override { SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS); }

    // Opens the sheet and runs `script` in it; the script closes it.
    void RunSheet(const std::function<void(HWND)>& script) {
        ASSERT_TRUE(test::RunInsideModalLoop([&] { EXPECT_TRUE(ShowOptionsSheet(target_)); },
                                             [] { return OptionsSheetWindow(); }, script));
    }

    int Alpha() const {
        BYTE alpha = 0;
        DWORD flags = 0;
        GetLayeredWindowAttributes(main_, nullptr, &alpha, &flags);
        return alpha;
    }

    static inline HWND main_ = nullptr;
    Settings settings_;
    Playlist list_{PlaylistServices{TheWin32FileSystem(), TheWin32Messenger(), SystemClock(),
                                    ReadPlaylistFile}};
    std::uint8_t timerEnabled_ = 0;
    int timerHour_ = 0, timerMinute_ = 0;
    std::vector<int> alphas_;  // every opacity the pages set
    SubclassedWindow folderChooser_;
    OptionsTarget target_{settings_,
                          list_,
                          {timerEnabled_, timerHour_, timerMinute_},
                          nullptr,  // the main window, once it exists
                          [this](int opacity) {
                              alphas_.push_back(opacity);
                              SetLayeredWindowAttributes(main_, 0, static_cast<BYTE>(opacity),
                                                         LWA_ALPHA);
                          },
                          folderChooser_};
};

TEST_F(OptionsPagesTest, SheetHasTheSixCorePagesWithoutHelpButtonAndIsKnownWhileOpen) {
    HWND seen = nullptr;
    RunSheet([&](HWND sheet) {
        seen = sheet;
        EXPECT_EQ(OptionsSheetWindow(), sheet);
        wchar_t caption[64] = L"";
        GetWindowTextW(sheet, caption, static_cast<int>(std::size(caption)));
        EXPECT_EQ(caption, WideFromCodePage932("オプション"));
        EXPECT_EQ(GetWindow(sheet, GW_OWNER), main_);
        EXPECT_FALSE(IsWindowEnabled(main_));  // modal over the main window
        EXPECT_FALSE(GetWindowLongPtrA(sheet, GWL_EXSTYLE) & WS_EX_CONTEXTHELP);
        EXPECT_EQ(TabCount(sheet), 6);
        const char* titles[] = {"DLLファイル(1)", "DLLファイル(2)",         "レイヤードウィンドウ",
                                "キーアサイン",   "フォルダショートカット", "その他"};
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(TabText(sheet, i), WideFromCodePage932(titles[i]));
        EXPECT_EQ(PropSheet_HwndToIndex(sheet, PropSheet_GetCurrentPageHwnd(sheet)), 0);
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
    });
    EXPECT_EQ(g_hostPageQueries, 1);
    EXPECT_FALSE(IsWindow(seen));
    EXPECT_EQ(OptionsSheetWindow(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(main_));
}

// The Japanese texts the pages put into their controls, as the wide functions read them:
// also on a Windows whose ANSI code page has no Japanese (the run with code page 1252).
TEST_F(OptionsPagesTest, JapaneseTextsReadBackThroughTheWideFunctions) {
    const char* locale = std::getenv("HGF_WINE_LOCALE");
    ASSERT_EQ(GetACP(), locale && std::string(locale).rfind("en_US", 0) == 0 ? 1252u : 932u);
    settings_.LayeredActive = 180;
    RunSheet([&](HWND sheet) {
        HWND libraries = PropSheet_GetCurrentPageHwnd(sheet);
        EXPECT_EQ(WideText(libraries, IDC_CORE_VERSION), L"バージョン " HGF_PRODUCT_VERSION_TEXT);
        EXPECT_EQ(WideText(libraries, IDC_CORE_COPYRIGHT), L"著作権 " HGF_LEGAL_NOTICE);
        HWND layered = ShowPage(sheet, 2);
        EXPECT_EQ(WideText(layered, IDC_LAYERED_ACTIVE_TEXT), L"透明度 29％");
        HWND keys = ShowPage(sheet, 3);
        HWND list = GetDlgItem(keys, IDC_KEY_LIST);
        EXPECT_EQ(ColumnTitle(list, 0), L"機能");
        EXPECT_EQ(ColumnTitle(list, 1), L"キー");
        EXPECT_EQ(WideRowText(list, 3, 0), L"再生・一時停止");
        EXPECT_EQ(WideRowText(list, 1, 1), L"なし");
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
    });
}

// A path typed or pasted into a path field keeps opening where code page 932 lacks a
// character of it: the short path is stored instead. A path too long for the settings file
// keeps the one stored before.
TEST_F(OptionsPagesTest, PathFieldsStoreShortPathsForNamesCodePage932Lacks) {
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"hgf-options-" +
                                std::to_wstring(GetCurrentProcessId()) + L"-caf\u00E9";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring config = folder + L"\\smf\u00E9.cfg";
    HANDLE file = CreateFileW(config.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    settings_.folderShortcuts[3] = "D:\\before";
    RunSheet([&](HWND sheet) {
        SetDlgItemTextW(PropSheet_GetCurrentPageHwnd(sheet), IDC_SMF_CONFIG_FILE, config.c_str());
        HWND shortcuts = ShowPage(sheet, 4);
        SetDlgItemTextW(shortcuts, IDC_SHORTCUT0_EDIT, folder.c_str());
        SetDlgItemTextW(shortcuts, IDC_SHORTCUT1_EDIT, L"C:\\gone\u00E9");  // no such folder
        SetDlgItemTextW(shortcuts, IDC_SHORTCUT2_EDIT, L"C:\\音楽");        // code page 932 has it
        // 300 characters that code page 932 spells in 600 bytes: too long to store.
        SetDlgItemTextW(shortcuts, IDC_SHORTCUT3_EDIT, std::wstring(300, L'音').c_str());
        PropSheet_PressButton(sheet, PSBTN_OK);
    });
    auto attributes = [](const std::string& path) {
        return GetFileAttributesW(WideFromCodePage932(path).c_str());
    };
    EXPECT_EQ(settings_.SmfkConfigFile.find('?'), std::string::npos) << settings_.SmfkConfigFile;
    EXPECT_NE(attributes(settings_.SmfkConfigFile), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(list_.smfConversionFile, settings_.SmfkConfigFile);
    EXPECT_EQ(settings_.folderShortcuts[0].find('?'), std::string::npos);
    const DWORD folderAttributes = attributes(settings_.folderShortcuts[0]);
    EXPECT_TRUE(folderAttributes != INVALID_FILE_ATTRIBUTES &&
                (folderAttributes & FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(settings_.folderShortcuts[1], "C:\\gone?");  // kept as typed, as far as it converts
    EXPECT_EQ(settings_.folderShortcuts[2], "C:\\音楽");
    EXPECT_EQ(settings_.folderShortcuts[3], "D:\\before");
    std::filesystem::remove_all(std::filesystem::path(folder));
}

TEST_F(OptionsPagesTest, LibraryPagesShowVersionsAndApplyThePlayTimeAndConfigFileAtOnce) {
    settings_.SmfkConfigFile = "C:\\old.cfg";
    RunSheet([&](HWND sheet) {
        HWND page = PropSheet_GetCurrentPageHwnd(sheet);
        // The libraries beside this program.
        EXPECT_EQ(Text(page, IDC_CORE_VERSION), "バージョン " HGF_PRODUCT_VERSION_TEXT);
        EXPECT_EQ(Text(page, IDC_CORE_COPYRIGHT), "著作権 " HGF_LEGAL_NOTICE);
        EXPECT_EQ(Text(page, IDC_CORE_ADDRESS), HGF_HOME_PAGE);
        EXPECT_EQ(Text(page, IDC_MML_VERSION), "バージョン " HGF_TONWERKEL_VERSION_TEXT);
        EXPECT_EQ(Text(page, IDC_SMF_VERSION), "バージョン " HGF_SMFK32_VERSION_TEXT);
        EXPECT_EQ(Text(page, IDC_SMF_COPYRIGHT), "著作権 " HGF_LEGAL_NOTICE);
        EXPECT_EQ(Text(page, IDC_MML_PLAY_TIME), "120");
        EXPECT_EQ(Text(page, IDC_SMF_CONFIG_FILE), "C:\\old.cfg");
        EXPECT_FALSE(ApplyEnabled(sheet));  // filling the page is no change

        SetDlgItemTextA(page, IDC_MML_PLAY_TIME, "45");
        EXPECT_TRUE(ApplyEnabled(sheet));
        SetDlgItemTextA(page, IDC_SMF_CONFIG_FILE, "C:\\conf\\smf.cfg");
        PressApply(sheet);
        EXPECT_EQ(settings_.MmlPlayTime, 45);
        EXPECT_EQ(list_.mmlPlayTime, 45);  // the playback's, for the next MML item
        EXPECT_EQ(settings_.SmfkConfigFile, "C:\\conf\\smf.cfg");
        EXPECT_EQ(list_.smfConversionFile, "C:\\conf\\smf.cfg");

        HWND page2 = ShowPage(sheet, 1);
        EXPECT_EQ(Text(page2, IDC_OGG_VERSION), "バージョン 1.0");
        EXPECT_EQ(Text(page2, IDC_OGG_ADDRESS), "https://xiph.org/vorbis/");
        EXPECT_EQ(Text(page2, IDC_MP3_VERSION), "バージョン " HGF_VBMP3_VERSION_TEXT);
        EXPECT_EQ(Text(page2, IDC_MP3_COPYRIGHT), "著作権 " HGF_LEGAL_NOTICE);
        EXPECT_EQ(Text(page2, IDC_ZLIB_VERSION), "バージョン " ZLIB_VERSION);  // linked in
        // The FLAC and Opus libraries of the build, by their own account.
        EXPECT_EQ(Text(page2, IDC_FLAC_VERSION), "バージョン libFLAC 1.4.2");
        EXPECT_EQ(Text(page2, IDC_OPUS_VERSION), "バージョン libopus 1.3.1, libopusfile 0.12");

        // An emptied play time gives 0, which switches MML playback off.
        ShowPage(sheet, 0);
        SetDlgItemTextA(page, IDC_MML_PLAY_TIME, "");
        PropSheet_PressButton(sheet, PSBTN_OK);
    });
    EXPECT_EQ(settings_.MmlPlayTime, 0);
    EXPECT_EQ(list_.mmlPlayTime, 0);
}

TEST_F(OptionsPagesTest, TransparencyDefaultsButtonPreviewsAndOkStoresBoth) {
    settings_.LayeredActive = 180;
    settings_.LayeredNoActive = 120;
    RunSheet([&](HWND sheet) {
        HWND page = ShowPage(sheet, 2);
        HWND active = GetDlgItem(page, IDC_LAYERED_ACTIVE_SLIDER);
        EXPECT_EQ(SendMessageA(active, TBM_GETRANGEMAX, 0, 0), 255);
        EXPECT_EQ(SendMessageA(active, TBM_GETPOS, 0, 0), 75);
        EXPECT_EQ(Text(page, IDC_LAYERED_ACTIVE_TEXT), "透明度 29％");
        EXPECT_EQ(Text(page, IDC_LAYERED_AWAY_TEXT), "透明度 52％");
        EXPECT_EQ(Alpha(), 120);  // both previewed as set: the away-opacity is last

        Click(page, IDC_LAYERED_DEFAULTS);
        EXPECT_EQ(Text(page, IDC_LAYERED_ACTIVE_TEXT), "透明度 21％");
        EXPECT_EQ(Text(page, IDC_LAYERED_AWAY_TEXT), "透明度 60％");
        EXPECT_EQ(Alpha(), 100);
        EXPECT_TRUE(ApplyEnabled(sheet));
        PropSheet_PressButton(sheet, PSBTN_OK);
    });
    EXPECT_EQ(settings_.LayeredActive, 200);
    EXPECT_EQ(settings_.LayeredNoActive, 100);
    EXPECT_EQ(Alpha(), 100);
}

TEST_F(OptionsPagesTest, SliderDragPreviewsAndCancelRestoresTheStoredOpacity) {
    settings_.LayeredNoActive = 150;
    RunSheet([&](HWND sheet) {
        HWND page = ShowPage(sheet, 2);
        EXPECT_EQ(Alpha(), 150);
        HWND slider = GetDlgItem(page, IDC_LAYERED_AWAY_SLIDER);
        RECT thumb{};
        SendMessageA(slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
        int x = (thumb.left + thumb.right) / 2, y = (thumb.top + thumb.bottom) / 2;
        SendMessageA(slider, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageA(slider, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 40, y));
        SendMessageA(slider, WM_LBUTTONUP, 0, MAKELPARAM(x + 40, y));
        int position = static_cast<int>(SendMessageA(slider, TBM_GETPOS, 0, 0));
        EXPECT_GT(position, 105);
        EXPECT_EQ(Alpha(), 255 - position);  // the preview follows the thumb
        EXPECT_EQ(Text(page, IDC_LAYERED_AWAY_TEXT), TransparencyText(position));
        EXPECT_TRUE(ApplyEnabled(sheet));
        ShowPage(sheet, 0);  // cancelled from another page
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
    });
    EXPECT_EQ(Alpha(), 150);
    EXPECT_EQ(settings_.LayeredNoActive, 150);
}

TEST_F(OptionsPagesTest, OffTimerControlsFollowTheirChecksAndLeaveTheRadiosAlone) {
    settings_.TrayIconDblClkToDefault = 0;
    const int timerControls[] = {IDC_TIMER_HOUR,     IDC_TIMER_MINUTE,     IDC_TIMER_FORCE,
                                 IDC_TIMER_SUSPEND,  IDC_TIMER_HOUR_LABEL, IDC_TIMER_MINUTE_LABEL,
                                 IDC_TIMER_EXIT_ONLY};
    RunSheet([&](HWND sheet) {
        SYSTEMTIME before{};
        GetLocalTime(&before);
        HWND page = ShowPage(sheet, 5);
        SYSTEMTIME after{};
        GetLocalTime(&after);
        int hour = static_cast<int>(SendDlgItemMessageA(page, IDC_TIMER_HOUR, CB_GETCURSEL, 0, 0));
        int minute =
            static_cast<int>(SendDlgItemMessageA(page, IDC_TIMER_MINUTE, CB_GETCURSEL, 0, 0));
        EXPECT_TRUE(hour == before.wHour || hour == after.wHour);
        EXPECT_TRUE(minute == before.wMinute || minute == after.wMinute);
        EXPECT_EQ(SendDlgItemMessageA(page, IDC_TIMER_HOUR, CB_GETCOUNT, 0, 0), 24);
        EXPECT_EQ(SendDlgItemMessageA(page, IDC_TIMER_MINUTE, CB_GETCOUNT, 0, 0), 60);
        for (int id : timerControls)
            EXPECT_FALSE(Enabled(page, id)) << id;
        EXPECT_FALSE(Checked(page, IDC_TRAY_TO_DEFAULT));
        EXPECT_TRUE(Checked(page, IDC_TRAY_EXIT));

        Click(page, IDC_TIMER_ON);
        for (int id : timerControls)
            EXPECT_TRUE(Enabled(page, id)) << id;
        Click(page, IDC_TIMER_EXIT_ONLY);
        EXPECT_FALSE(Enabled(page, IDC_TIMER_FORCE));
        EXPECT_FALSE(Enabled(page, IDC_TIMER_SUSPEND));
        EXPECT_TRUE(Enabled(page, IDC_TIMER_HOUR));
        Click(page, IDC_TIMER_ON);
        for (int id : timerControls)
            EXPECT_FALSE(Enabled(page, id)) << id;
        Click(page, IDC_TIMER_ON);
        EXPECT_TRUE(Enabled(page, IDC_TIMER_MINUTE));
        EXPECT_FALSE(Enabled(page, IDC_TIMER_FORCE));  // "アプリケーションの終了のみ" is on
        EXPECT_FALSE(Checked(page, IDC_TRAY_TO_DEFAULT));
        EXPECT_TRUE(Checked(page, IDC_TRAY_EXIT));

        SendDlgItemMessageA(page, IDC_TIMER_HOUR, CB_SETCURSEL, 5, 0);
        SendDlgItemMessageA(page, IDC_TIMER_MINUTE, CB_SETCURSEL, 30, 0);
        Click(page, IDC_PRIORITY_IDLE);
        EXPECT_FALSE(Checked(page, IDC_PRIORITY_NORMAL));
        Click(page, IDC_ITEM_NAME_TAGS);
        Click(page, IDC_SCAN_SUBFOLDERS);
        EXPECT_TRUE(Checked(page, IDC_RESUME_POSITION));  // on by default
        Click(page, IDC_RESUME_POSITION);
        EXPECT_TRUE(ApplyEnabled(sheet));
        PropSheet_PressButton(sheet, PSBTN_OK);
    });
    EXPECT_EQ(timerEnabled_, 1);
    EXPECT_EQ(timerHour_, 5);
    EXPECT_EQ(timerMinute_, 30);
    EXPECT_EQ(settings_.TimerIsAppExitOnly, 1);
    EXPECT_EQ(settings_.TrayIconDblClkToDefault, 0);
    EXPECT_EQ(settings_.CpuPrioryMin, 1);
    EXPECT_EQ(settings_.ListItemName, 1);
    EXPECT_EQ(settings_.SubFolderFind, 0);
    EXPECT_EQ(settings_.ResumePosition, 0);
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), static_cast<DWORD>(IDLE_PRIORITY_CLASS));

    // Opened again with the timer on: the set time, and no shutdown choices.
    RunSheet([&](HWND sheet) {
        HWND page = ShowPage(sheet, 5);
        EXPECT_EQ(SendDlgItemMessageA(page, IDC_TIMER_HOUR, CB_GETCURSEL, 0, 0), 5);
        EXPECT_EQ(SendDlgItemMessageA(page, IDC_TIMER_MINUTE, CB_GETCURSEL, 0, 0), 30);
        EXPECT_TRUE(Enabled(page, IDC_TIMER_EXIT_ONLY));
        EXPECT_FALSE(Enabled(page, IDC_TIMER_SUSPEND));
        Click(page, IDC_PRIORITY_NORMAL);
        PropSheet_PressButton(sheet, PSBTN_OK);
    });
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
}

TEST_F(OptionsPagesTest, KeyCaptureBindsTheSelectedRowAndTheDefaultsComeBack) {
    settings_.keyTable[0].key = 'A';
    RunSheet([&](HWND sheet) {
        HWND page = ShowPage(sheet, 3);
        HWND list = GetDlgItem(page, IDC_KEY_LIST);
        ASSERT_EQ(RowCount(list), 40);
        EXPECT_EQ(RowText(list, 3, 0), "再生・一時停止");
        EXPECT_EQ(RowText(list, 3, 1), "Ctrl + " + KeyName(VK_F10));
        EXPECT_EQ(RowText(list, 0, 1), KeyName('A'));
        EXPECT_EQ(RowText(list, 1, 1), "なし");
        EXPECT_EQ(SelectedRow(list), 0);
        EXPECT_FALSE(ApplyEnabled(sheet));

        // Ctrl pressed and released alone clears the row.
        HoldControl(true);
        Key(list, WM_KEYDOWN, VK_CONTROL);
        EXPECT_EQ(RowValue(list, 0), 'A');
        HoldControl(false);
        Key(list, WM_KEYUP, VK_CONTROL);
        EXPECT_EQ(RowValue(list, 0), 0);
        EXPECT_EQ(RowText(list, 0, 1), "なし");
        EXPECT_TRUE(ApplyEnabled(sheet));

        // Ctrl + F10 binds 0x279; letting go of F10 and then Ctrl keeps it.
        SelectRow(list, 1);
        HoldControl(true);
        Key(list, WM_KEYDOWN, VK_CONTROL);
        Key(list, WM_KEYDOWN, VK_F10);
        EXPECT_EQ(RowValue(list, 1), 0x279);
        EXPECT_EQ(RowText(list, 1, 1), "Ctrl + " + KeyName(VK_F10));
        Key(list, WM_KEYUP, VK_F10);
        HoldControl(false);
        Key(list, WM_KEYUP, VK_CONTROL);
        EXPECT_EQ(RowValue(list, 1), 0x279);

        // The defaults button: the default keys, and every other row cleared.
        Click(page, IDC_KEY_DEFAULTS);
        for (int i = 0; i < 40; ++i)
            EXPECT_EQ(RowValue(list, i), kKeyActions[i].defaultKey) << i;
        EXPECT_EQ(RowText(list, 1, 1), "なし");
        EXPECT_EQ(RowText(list, 27, 1), KeyName(VK_F12));
        EXPECT_EQ(RowText(list, 30, 1), "Ctrl + " + KeyName(VK_NUMPAD0));

        // A media key shows its own name, whatever the platform calls it.
        SelectRow(list, 1);
        Key(list, WM_KEYDOWN, VK_MEDIA_NEXT_TRACK);
        Key(list, WM_KEYUP, VK_MEDIA_NEXT_TRACK);
        EXPECT_EQ(RowText(list, 1, 1), "Next Track");

        // A plain key on row 2, then OK writes the rows into the key table.
        SelectRow(list, 2);
        Key(list, WM_KEYDOWN, 'R');
        Key(list, WM_KEYUP, 'R');
        PropSheet_PressButton(sheet, PSBTN_OK);
    });
    KeyTable expected = DefaultKeyTable();
    expected[1].key = VK_MEDIA_NEXT_TRACK;
    expected[2].key = 'R';
    EXPECT_EQ(settings_.keyTable, expected);
}

// Releases whose presses the list never saw leave the row alone, and a combination that
// the hot keys cannot report is refused with the row's binding kept.
TEST_F(OptionsPagesTest, KeyPageKeepsBindingsForStrayReleasesAndUnreportableKeys) {
    settings_.keyTable[0].key = 'A';
    RunSheet([&](HWND sheet) {
        HWND page = ShowPage(sheet, 3);
        HWND list = GetDlgItem(page, IDC_KEY_LIST);
        HWND defaults = GetDlgItem(page, IDC_KEY_DEFAULTS);
        auto focusAwayAndBack = [&] {
            SetFocus(defaults);
            SetFocus(list);
            ASSERT_EQ(GetFocus(), list);
        };
        // Tab moved the focus into the list, or Ctrl + Tab switched to the page: only
        // the releases arrive there.
        focusAwayAndBack();
        Key(list, WM_KEYUP, VK_TAB);
        Key(list, WM_KEYUP, VK_CONTROL);
        // Ctrl went down on the list, but the focus left before its release.
        HoldControl(true);
        Key(list, WM_KEYDOWN, VK_CONTROL);
        focusAwayAndBack();
        HoldControl(false);
        Key(list, WM_KEYUP, VK_CONTROL);
        EXPECT_EQ(RowValue(list, 0), 'A');

        // Ctrl + Shift + K: the hot keys would report Ctrl + K only.
        HoldControl(true);
        Key(list, WM_KEYDOWN, VK_CONTROL);
        HoldShift(true);
        Key(list, WM_KEYDOWN, VK_SHIFT);
        Key(list, WM_KEYDOWN, 'K');
        Key(list, WM_KEYUP, 'K');
        HoldShift(false);
        Key(list, WM_KEYUP, VK_SHIFT);
        HoldControl(false);
        Key(list, WM_KEYUP, VK_CONTROL);
        EXPECT_EQ(RowValue(list, 0), 'A');
        EXPECT_EQ(RowText(list, 0, 1), KeyName('A'));
        PropSheet_PressButton(sheet, PSBTN_OK);
    });
    EXPECT_EQ(settings_.keyTable[0].key, 'A');
}

TEST_F(OptionsPagesTest, ShortcutEditsAreStoredInOrder) {
    settings_.folderShortcuts[0] = "C:\\music";
    settings_.folderShortcuts[9] = "C:\\lists\\all.spl";
    RunSheet([&](HWND sheet) {
        HWND page = ShowPage(sheet, 4);
        EXPECT_EQ(Text(page, IDC_SHORTCUT0_EDIT), "C:\\music");
        EXPECT_EQ(Text(page, IDC_SHORTCUT9_EDIT), "C:\\lists\\all.spl");
        EXPECT_EQ(Text(page, IDC_SHORTCUT4_EDIT), "");
        SetDlgItemTextA(page, IDC_SHORTCUT0_EDIT, "");
        SetDlgItemTextA(page, IDC_SHORTCUT4_EDIT, "D:\\jazz");
        EXPECT_TRUE(ApplyEnabled(sheet));
        PropSheet_PressButton(sheet, PSBTN_OK);
    });
    EXPECT_EQ(settings_.folderShortcuts[0], "");
    EXPECT_EQ(settings_.folderShortcuts[4], "D:\\jazz");
    EXPECT_EQ(settings_.folderShortcuts[9], "C:\\lists\\all.spl");
}

}  // namespace
}  // namespace hgf
