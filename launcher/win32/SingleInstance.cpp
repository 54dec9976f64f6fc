// The single-instance mutex and the question shown when another copy runs.
#include "win32/SingleInstance.h"

#include <shellapi.h>

#include "CoreIds.h"
#include "LauncherRules.h"
#include "ProductInfo.h"
#include "launcher/LauncherResources.h"
#include "platform/win32/WideText.h"
#include "win32/LauncherWindow.h"

namespace hgf::launcher {

namespace {

constexpr unsigned kHandOverTimeoutMs = 5000;

int OsMajorVersion() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!GetVersionExW(&version)) return 0;
    return static_cast<int>(version.dwMajorVersion);
}

}  // namespace

InstanceClaim ClaimSingleInstance() {
    const std::string name = SingleInstanceMutexName(OsMajorVersion());
    InstanceClaim claim;
    claim.mutex.reset(CreateMutexW(nullptr, TRUE, WideFromCodePage932(name).c_str()));
    claim.anotherCopyRuns = !claim.mutex || GetLastError() == ERROR_ALREADY_EXISTS;
    return claim;
}

bool AskStartAnyway() {
    // "An instance of the application is already running; start it anyway?"
    const std::wstring question =
        WideFromCodePage932("アプリケーションが既に起動されていますが、それでも起動しますか？");
    const int answer =
        MessageBoxW(nullptr, question.c_str(), WideFromCodePage932(HGF_PRODUCT_TITLE).c_str(),
                    MB_YESNO | MB_ICONQUESTION);
    return answer == IDYES;
}

std::wstring CommandLinePath() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments) return {};
    std::wstring given = count >= 2 && arguments[1][0] ? arguments[1] : L"";
    LocalFree(arguments);
    if (given.empty()) return {};
    // The shell's "%1" for a drive's root, "C:\", arrives as C:" (the backslash escaped the
    // closing quote).
    if (given.back() == L'"') given.back() = L'\\';
    // A relative path means the folder this copy was started in, not the running copy's.
    DWORD length = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    if (length == 0) return given;
    std::wstring full(length, L'\0');
    length = GetFullPathNameW(given.c_str(), length, full.data(), nullptr);
    if (length == 0 || length >= full.size()) return given;
    full.resize(length);
    return full;
}

bool SendPathToOpen(HWND window, const std::wstring& path, unsigned timeoutMs) {
    const std::size_t bytes = path.size() * sizeof(wchar_t);
    if (path.empty() || bytes > COPYDATA_MAX_PATH_BYTES) return false;
    COPYDATASTRUCT data{COPYDATA_OPEN_PATH, static_cast<DWORD>(bytes),
                        const_cast<wchar_t*>(path.data())};
    const auto message = reinterpret_cast<LPARAM>(&data);
    DWORD_PTR taken = 0;
    if (timeoutMs == 0) return SendMessageW(window, WM_COPYDATA, 0, message) == TRUE;
    return SendMessageTimeoutW(window, WM_COPYDATA, 0, message, SMTO_ABORTIFHUNG, timeoutMs,
                               &taken) != 0 &&
           taken == TRUE;
}

bool HandPathToRunningCopy(const std::wstring& path) {
    HWND running = FindWindowW(LauncherWindow::kClassName, nullptr);
    return running && SendPathToOpen(running, path, kHandOverTimeoutMs);
}

}  // namespace hgf::launcher
