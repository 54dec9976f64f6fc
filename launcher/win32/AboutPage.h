// The About page that the launcher adds to the core's options sheet.
#pragma once

#include <windows.h>

#include <commctrl.h>

namespace hgf::launcher {

// Creates the page from dialog 111 of the given module; null on failure.
HPROPSHEETPAGE CreateAboutPage(HINSTANCE instance);

// Fills the version, legal notice and home-page fields; answers 0 to every message.
INT_PTR CALLBACK AboutDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace hgf::launcher
