// The program's start-up order: single instance, core, resources, window, message loop;
// then the resources are freed and the core released, in that order.
#include "win32/Launcher.h"

#include <commctrl.h>

#include "win32/LauncherWindow.h"
#include "win32/SingleInstance.h"

namespace hgf::launcher {

int RunLauncher(HINSTANCE instance, CoreFactory createCore) {
    const std::wstring path = CommandLinePath();
    const InstanceClaim claim = ClaimSingleInstance();  // kept until the program ends
    if (claim.anotherCopyRuns) {
        // A path goes to the copy that runs; this one ends without asking.
        if (!path.empty() && HandPathToRunningCopy(path)) return 0;
        if (!AskStartAnyway()) return 0;
    }
    return RunPlayer(instance, createCore, path);
}

int RunPlayer(HINSTANCE instance, CoreFactory createCore, const std::wstring& pathToOpen) {
    InitCommonControls();

    // Declared in reverse order of release: the core goes last.
    const CorePtr core(createCore(instance));
    if (!core) return 0;
    const LauncherResources resources = LoadLauncherResources(instance);
    if (!resources.Complete()) return 0;
    const WindowClassRegistration windowClass(instance, resources.icon.get());
    if (!windowClass.Registered()) return 0;
    LauncherWindow window(*core, instance, resources, pathToOpen);
    if (!window.Create()) return 0;

    MSG message{};
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) break;
        if (got == -1) return 0;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace hgf::launcher
