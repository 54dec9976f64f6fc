// Entry of tonwerkel.dll: unloading the library finalises it.
#include <windows.h>

#include "win32/ExceptionState.h"
#include "win32/Exports.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
    if (reason == DLL_PROCESS_DETACH) {
        bool processExiting = reserved != nullptr;
        tonwerkel::UnloadLibrary(processExiting);
        if (!processExiting) tonwerkel::ReleaseExceptionState();
    }
    return TRUE;
}
