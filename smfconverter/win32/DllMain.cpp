// Entry of SMFK32.dll. Loading does nothing; unloading gives back the C++ runtime's
// emergency exception buffer, which the runtime takes at load and would otherwise leave
// behind each time a process frees the library.
#include <windows.h>

namespace __gnu_cxx {
void __freeres();
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
    // At process exit (reserved set) the heap goes away with the process.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) __gnu_cxx::__freeres();
    return TRUE;
}
