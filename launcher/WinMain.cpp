// Entry of Harrowgladeforte.exe.
#include "IHarrowgladeforteCore.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    IHarrowgladeforteCore* core = CreateInstance(instance);
    if (!core) return 0;
    core->Release();
    return 0;
}
