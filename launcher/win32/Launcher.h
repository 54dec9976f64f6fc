// Start-up and shutdown of the program.
#pragma once

#include <windows.h>

#include <string>

#include "IHarrowgladeforteCore.h"

namespace hgf::launcher {

using CoreFactory = IHarrowgladeforteCore* (*)(HINSTANCE hostInstance);

// The whole program: the single-instance check, then RunPlayer. A path on the command
// line goes to a copy that runs already, and this one ends with 0 without asking; when
// none takes it, the usual question follows. Returns the exit code.
int RunLauncher(HINSTANCE instance, CoreFactory createCore);

// Everything after the single-instance check: the common controls, the core, the
// resources, the window, the message loop and the teardown. Any start-up failure ends
// it at once with 0. `pathToOpen` (empty: none) loads at start instead of the newest
// history entry. Returns the exit code.
int RunPlayer(HINSTANCE instance, CoreFactory createCore, const std::wstring& pathToOpen = {});

}  // namespace hgf::launcher
