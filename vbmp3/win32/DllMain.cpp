// Entry of VBMP3.dll. Loading it does nothing of ours but turn the thread notifications
// off: the player, its device and its services are made by the first call that needs
// them, and vbmp3_free releases the playback before the library is unloaded.
#include <windows.h>

namespace __gnu_cxx {
// Frees the C++ runtime's emergency exception pool. The runtime linked into this library
// allocates the pool when the library is loaded and never frees it on its own, which
// would leave it behind at every unload.
void __freeres();
}  // namespace __gnu_cxx

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
    // Unloaded by FreeLibrary rather than at the end of the process: nothing runs here any
    // more that could throw.
    if (reason == DLL_PROCESS_DETACH && !reserved) __gnu_cxx::__freeres();
    return TRUE;
}
