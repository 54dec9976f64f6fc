// Entry of "Harrowgladeforte Core.dll": the library entry point and CreateInstance.
#include "IHarrowgladeforteCore.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
    return TRUE;
}

HGF_CORE_API IHarrowgladeforteCore* CreateInstance(HINSTANCE) { return nullptr; }
