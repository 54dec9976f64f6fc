// Start-up and shutdown of the program: the whole run with a fake core, start-up
// failures, and a second copy of the real program asking whether to start.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>

#include "FakeCore.h"
#include "LauncherRules.h"
#include "win32/Launcher.h"
#include "win32/LauncherWindow.h"

namespace hgf::launcher {
namespace {

using test::FakeCore;

FakeCore* g_nextCore = nullptr;
IHarrowgladeforteCore* CreateFakeCore(HINSTANCE) {
    return g_nextCore;
}
IHarrowgladeforteCore* CreateNoCore(HINSTANCE) {
    return nullptr;
}

bool ClassRegistered() {
    WNDCLASSEXW info{};
    info.cbSize = sizeof(info);
    return GetClassInfoExW(GetModuleHandleW(nullptr), LauncherWindow::kClassName, &info) != 0;
}

TEST(LauncherStart, RunsTheLoopUntilCloseThenReleasesTheCoreLast) {
    FakeCore core;
    core.onStart = [](HWND host) { PostMessageA(host, WM_CLOSE, 0, 0); };
    g_nextCore = &core;
    EXPECT_EQ(RunPlayer(GetModuleHandleA(nullptr), &CreateFakeCore), 0);
    g_nextCore = nullptr;

    ASSERT_FALSE(core.lifecycle.empty());
    EXPECT_EQ(core.lifecycle.front(), "AttachWindow");
    EXPECT_EQ(core.lifecycle.back(), "Release");
    EXPECT_EQ(std::count(core.lifecycle.begin(), core.lifecycle.end(), "Release"), 1);
    EXPECT_FALSE(core.hostAliveAtRelease);  // the window was gone before the core
    EXPECT_FALSE(ClassRegistered());
}

TEST(LauncherStart, WithoutACoreTheProgramEndsAtOnce) {
    EXPECT_EQ(RunPlayer(GetModuleHandleA(nullptr), &CreateNoCore), 0);
    EXPECT_FALSE(ClassRegistered());
}

TEST(LauncherStart, MissingResourcesEndTheProgramAndReleaseTheCore) {
    FakeCore core;
    g_nextCore = &core;
    // kernel32 has none of the program's pictures.
    EXPECT_EQ(RunPlayer(GetModuleHandleA("kernel32.dll"), &CreateFakeCore), 0);
    g_nextCore = nullptr;
    EXPECT_EQ(core.lifecycle, std::vector<std::string>{"Release"});
}

struct FoundBox {
    DWORD processId = 0;
    HWND box = nullptr;
};

BOOL CALLBACK FindMessageBox(HWND window, LPARAM param) {
    auto* found = reinterpret_cast<FoundBox*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[16] = {};
    GetClassNameA(window, className, sizeof(className));
    if (owner == found->processId && std::string(className) == "#32770" &&
        IsWindowVisible(window)) {
        found->box = window;
        return FALSE;
    }
    return TRUE;
}

// The texts of the box, as Windows shows them whatever its ANSI code page.
std::wstring StaticTexts(HWND dialog) {
    std::wstring texts;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[16] = {};
        GetClassNameW(child, className, ARRAYSIZE(className));
        if (_wcsicmp(className, L"Static") != 0) continue;
        wchar_t text[256] = {};
        GetWindowTextW(child, text, ARRAYSIZE(text));
        texts += text;
    }
    return texts;
}

TEST(LauncherStart, SecondCopyAsksAndNoEndsItWithZero) {
    // This process plays the first copy by holding the single-instance mutex.
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    ASSERT_TRUE(GetVersionExA(&version));
    const std::string name = SingleInstanceMutexName(static_cast<int>(version.dwMajorVersion));
    UniqueKernelHandle mutex(CreateMutexA(nullptr, TRUE, name.c_str()));
    ASSERT_TRUE(mutex);

    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string program(path);
    program = program.substr(0, program.find_last_of('\\') + 1) + "Harrowgladeforte.exe";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process))
        << program;
    const UniqueKernelHandle processHandle(process.hProcess);
    const UniqueKernelHandle threadHandle(process.hThread);

    FoundBox found{process.dwProcessId, nullptr};
    // (<chrono> does not compile with the Shift_JIS execution character set.)
    const ULONGLONG deadline = GetTickCount64() + 20000;
    while (!found.box && GetTickCount64() < deadline) {
        EnumWindows(FindMessageBox, reinterpret_cast<LPARAM>(&found));
        if (!found.box) Sleep(50);
    }
    if (!found.box) TerminateProcess(process.hProcess, 99);
    ASSERT_NE(found.box, nullptr) << "no question from the second copy";

    wchar_t caption[64] = {};
    GetWindowTextW(found.box, caption, ARRAYSIZE(caption));
    EXPECT_STREQ(caption, L"Harrowgladeforte");
    EXPECT_NE(StaticTexts(found.box).find(
                  L"アプリケーションが既に起動されていますが、それでも起動しますか？"),
              std::wstring::npos);
    const HWND no = GetDlgItem(found.box, IDNO);
    EXPECT_NE(GetDlgItem(found.box, IDYES), nullptr);
    ASSERT_NE(no, nullptr);
    PostMessageA(found.box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), reinterpret_cast<LPARAM>(no));

    ASSERT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
}

}  // namespace
}  // namespace hgf::launcher
