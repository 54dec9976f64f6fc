// CMD_OPTIONS through the core library itself under Wine: with the program's own window
// as host the sheet ends with the host's About page; a host that ignores the request
// gets the six pages of the core.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>

#include "CoreIds.h"
#include "IHarrowgladeforteCore.h"
#include "ProductInfo.h"
#include "win32/LauncherWindow.h"
#include "win32/ModalLoopScript.h"
#include "win32/WindowTestKit.h"

namespace hgf {
namespace {

using test::ProgramIniPath;
using test::TabCount;
using test::TabText;

HWND FindSheet() {
    return test::FindThreadDialog("オプション");
}

class OptionsCommandTest : public testing::Test {
  protected:
    void SetUp() override {
        DeleteFileA(ProgramIniPath().c_str());
        INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&classes);
        core_ = CreateInstance(GetModuleHandleA(nullptr));
        ASSERT_TRUE(core_);
    }
    void TearDown() override {
        if (window_ && IsWindow(window_)) SendMessageA(window_, WM_CLOSE, 0, 0);
        launcher_.reset();
        registration_.reset();
        if (core_) core_->Release();
        DeleteFileA(ProgramIniPath().c_str());
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    // Opens the sheet with CMD_OPTIONS and runs `script` in it.
    void RunOptions(const std::function<void(HWND)>& script) {
        ASSERT_TRUE(test::RunInsideModalLoop(
            [&] { SendMessageA(window_, WM_COMMAND, CMD_OPTIONS, 0); }, FindSheet, script));
    }

    IHarrowgladeforteCore* core_ = nullptr;
    launcher::LauncherResources resources_;  // outlive the program's window
    std::unique_ptr<launcher::WindowClassRegistration> registration_;
    std::unique_ptr<launcher::LauncherWindow> launcher_;
    HWND window_ = nullptr;
};

TEST_F(OptionsCommandTest, WithTheProgramsWindowTheSeventhPageIsTheAboutPage) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    resources_ = launcher::LoadLauncherResources(instance);
    ASSERT_TRUE(resources_.Complete());
    registration_ =
        std::make_unique<launcher::WindowClassRegistration>(instance, resources_.icon.get());
    ASSERT_TRUE(registration_->Registered());
    launcher_ = std::make_unique<launcher::LauncherWindow>(*core_, instance, resources_);
    ASSERT_TRUE(launcher_->Create());
    window_ = launcher_->Handle();

    RunOptions([&](HWND sheet) {
        EXPECT_EQ(TabCount(sheet), 7);
        EXPECT_EQ(TabText(sheet, 0), "DLLファイル(1)");
        EXPECT_EQ(TabText(sheet, 6), "バージョン情報");
        EXPECT_FALSE(IsWindowEnabled(window_));
        EXPECT_FALSE(GetWindowLongPtrA(sheet, GWL_EXSTYLE) & WS_EX_CONTEXTHELP);
        PropSheet_SetCurSel(sheet, nullptr, 6);
        HWND about = PropSheet_GetCurrentPageHwnd(sheet);
        char version[64] = "";
        GetDlgItemTextA(about, 1000, version, sizeof version);
        EXPECT_STREQ(version, "バージョン " HGF_VERSION_TEXT);
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
    });
    EXPECT_TRUE(IsWindowEnabled(window_));
    EXPECT_EQ(FindSheet(), nullptr);
}

LRESULT CALLBACK IgnoringHost(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(OptionsCommandTest, AHostThatIgnoresTheRequestGetsSixPages) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = IgnoringHost;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "OptionsCommandTestHost";
    RegisterClassExA(&windowClass);
    window_ = CreateWindowExA(WS_EX_LAYERED | WS_EX_TOOLWINDOW, windowClass.lpszClassName, "host",
                              WS_POPUP, 600, 700, 320, 27, nullptr, nullptr, windowClass.hInstance,
                              nullptr);
    ASSERT_TRUE(window_);
    core_->AttachWindow(window_);
    core_->Start("Harrowgladeforte", 106);

    RunOptions([&](HWND sheet) {
        EXPECT_EQ(TabCount(sheet), 6);
        EXPECT_EQ(TabText(sheet, 5), "その他");
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
    });
}

}  // namespace
}  // namespace hgf
