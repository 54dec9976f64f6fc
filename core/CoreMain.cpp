// Entry of "Harrowgladeforte Core.dll": the library entry point and CreateInstance.
#include <cstdlib>
#include <ctime>
#include <new>

#include "IHarrowgladeforteCore.h"
#include "win32/CoreModule.h"
#include "win32/PlayerCore.h"

namespace __gnu_cxx {
void __freeres() noexcept;  // the C++ runtime's: frees its emergency exception arena
}

// The keyboard hook loads this library into every program that receives keys, so loading it
// changes nothing there, and freeing it takes back what the C++ runtime allocated at load.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        hgf::SetCoreModule(instance);
        DisableThreadLibraryCalls(instance);
    }
    if (reason == DLL_PROCESS_DETACH && !reserved) __gnu_cxx::__freeres();
    return TRUE;
}

HGF_CORE_API IHarrowgladeforteCore* CreateInstance(HINSTANCE) {
    // Only the player creates the core; its C random generator is seeded here, not at load.
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    try {
        return new hgf::PlayerCore;  // owned by the host until it calls Release
    } catch (...) {
        return nullptr;
    }
}
