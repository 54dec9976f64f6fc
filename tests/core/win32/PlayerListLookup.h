// For the probes that watch the running program from another process: its window and the
// list box in its controls strip.
#pragma once

#include <windows.h>

#include "CoreIds.h"

namespace hgf::test {

// The list box of the running player, its top-level window in `player`; null while the
// window or its controls do not exist (yet).
inline HWND FindPlayerList(HWND& player) {
    player = FindWindowA(kMainWindowClass, nullptr);
    HWND strip = player ? GetDlgItem(player, IDC_CONTROLS) : nullptr;
    return strip ? GetDlgItem(strip, IDC_COMBO) : nullptr;
}

}  // namespace hgf::test
