// Start-up and shutdown of the program.
#pragma once

#include <windows.h>

#include "IHarrowgladeforteCore.h"

namespace hgf::launcher {

using CoreFactory = IHarrowgladeforteCore* (*)(HINSTANCE hostInstance);

// The whole program: the single-instance check, then RunPlayer. Returns the exit code.
int RunLauncher(HINSTANCE instance, CoreFactory createCore);

// Everything after the single-instance check: the common controls, the core, the
// resources, the window, the message loop and the teardown. Any start-up failure ends
// it at once with 0. Returns the exit code.
int RunPlayer(HINSTANCE instance, CoreFactory createCore);

}  // namespace hgf::launcher
