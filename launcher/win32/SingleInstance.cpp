// The single-instance mutex and the question shown when another copy runs.
#include "win32/SingleInstance.h"

#include "LauncherRules.h"
#include "ProductInfo.h"
#include "launcher/LauncherResources.h"

namespace hgf::launcher {

namespace {

int OsMajorVersion() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!GetVersionExA(&version)) return 0;
    return static_cast<int>(version.dwMajorVersion);
}

}  // namespace

InstanceClaim ClaimSingleInstance() {
    const std::string name = SingleInstanceMutexName(OsMajorVersion());
    InstanceClaim claim;
    claim.mutex.reset(CreateMutexA(nullptr, TRUE, name.c_str()));
    claim.anotherCopyRuns = !claim.mutex || GetLastError() == ERROR_ALREADY_EXISTS;
    return claim;
}

bool AskStartAnyway() {
    // "An instance of the application is already running; start it anyway?"
    const int answer =
        MessageBoxA(nullptr, "アプリケーションが既に起動されていますが、それでも起動しますか？",
                    HGF_PRODUCT_TITLE, MB_YESNO | MB_ICONQUESTION);
    return answer == IDYES;
}

}  // namespace hgf::launcher
