// Keeps the dialogs and the popup of the core on the screen: they open wholly inside the
// work area of the monitor that the player's window is on, wherever that window sits.
#pragma once

#include <windows.h>

#include <vector>

#include "ControlRules.h"

namespace hgf {

// The work area of the monitor that `window` is on (the nearest one when it is on none).
ScreenRect MonitorWorkAreaOf(HWND window);

// While it lives, every window of this thread that belongs to the player's window (the
// root owner of `owner`) is kept inside that window's work area: the modal dialogs run
// meanwhile (the options sheet, the file dialogs, the folder chooser, and the boxes they
// open) are moved in whenever they place or size themselves, until the user moves or
// sizes one by hand. A dialog that fits where it opens is not moved. One placement serves
// the thread; one made while another lives does nothing.
class DialogPlacement {
  public:
    explicit DialogPlacement(HWND owner);
    ~DialogPlacement();
    DialogPlacement(const DialogPlacement&) = delete;
    DialogPlacement& operator=(const DialogPlacement&) = delete;

  private:
    static LRESULT CALLBACK AfterMessage(int code, WPARAM wParam, LPARAM lParam);
    void OnMessage(const CWPRETSTRUCT& message);

    HWND anchor_ = nullptr;  // the player's window
    HHOOK hook_ = nullptr;   // null for a placement nested in another
    std::vector<HWND> movedByUser_;
};

}  // namespace hgf
