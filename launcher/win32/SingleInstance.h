// The single-instance check: a named mutex, and the question when another copy holds it.
#pragma once

#include <string>

#include "win32/Handles.h"

namespace hgf::launcher {

struct InstanceClaim {
    UniqueKernelHandle mutex;  // held until the process ends; null when creation failed
    bool anotherCopyRuns = false;
};

// Creates the single-instance mutex (with initial ownership) for this system's version.
InstanceClaim ClaimSingleInstance();

// Asks "start anyway?" with Yes/No; true for Yes.
bool AskStartAnyway();

// The first argument of the program's command line as a full path ("Open with" and the
// shell's verbs pass one); empty without one.
std::wstring CommandLinePath();

// Sends `path` to the player window `window` (WM_COPYDATA, COPYDATA_OPEN_PATH), waiting at
// most `timeoutMs` for a window of another thread. True when the window took it.
bool SendPathToOpen(HWND window, const std::wstring& path, unsigned timeoutMs);

// Hands `path` to the window of the copy already running; false when there is no such
// window or it did not take the path in time.
bool HandPathToRunningCopy(const std::wstring& path);

}  // namespace hgf::launcher
