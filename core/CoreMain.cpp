// Entry of "Harrowgladeforte Core.dll": the library entry point and CreateInstance.
#include <cstdlib>
#include <ctime>
#include <new>

#include "IHarrowgladeforteCore.h"
#include "win32/CoreModule.h"
#include "win32/PlayerCore.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        hgf::SetCoreModule(instance);
        DisableThreadLibraryCalls(instance);
        std::srand(static_cast<unsigned>(std::time(nullptr)));
    }
    return TRUE;
}

HGF_CORE_API IHarrowgladeforteCore* CreateInstance(HINSTANCE) {
    try {
        return new hgf::PlayerCore;  // owned by the host until it calls Release
    } catch (...) {
        return nullptr;
    }
}
