#include "win32/CoreModule.h"

namespace hgf {
namespace {

HINSTANCE g_coreModule = nullptr;

// The section ".HGFCORE" is marked shared: one copy for every process that maps the
// library. Only initialised data can live in it.
__attribute__((section(".HGFCORE"), shared)) HotkeyTarget g_hotkeyTarget = {nullptr, 0};

}  // namespace

HINSTANCE CoreModule() {
    return g_coreModule;
}
void SetCoreModule(HINSTANCE module) {
    g_coreModule = module;
}

void PublishHotkeyTarget(HWND window, UINT message) {
    g_hotkeyTarget.window = window;
    g_hotkeyTarget.message = message;
}

HotkeyTarget ReadHotkeyTarget() {
    return g_hotkeyTarget;
}

}  // namespace hgf
