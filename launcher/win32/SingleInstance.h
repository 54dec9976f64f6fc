// The single-instance check: a named mutex, and the question when another copy holds it.
#pragma once

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

}  // namespace hgf::launcher
