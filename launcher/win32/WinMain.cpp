// Entry of Harrowgladeforte.exe.
#include "win32/Launcher.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return hgf::launcher::RunLauncher(instance, &CreateInstance);
}
