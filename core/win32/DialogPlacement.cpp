#include "win32/DialogPlacement.h"

#include <algorithm>

namespace hgf {
namespace {

// The placement that serves this thread's dialogs (user-interface thread only).
thread_local DialogPlacement* t_placement = nullptr;

ScreenRect ToScreenRect(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

}  // namespace

ScreenRect MonitorWorkAreaOf(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    if (monitor && GetMonitorInfoW(monitor, &info)) return ToScreenRect(info.rcWork);
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return ToScreenRect(area);
}

DialogPlacement::DialogPlacement(HWND owner) {
    if (t_placement || !owner) return;
    anchor_ = GetAncestor(owner, GA_ROOTOWNER);
    if (!anchor_) return;
    hook_ = SetWindowsHookExA(WH_CALLWNDPROCRET, AfterMessage, nullptr, GetCurrentThreadId());
    if (hook_) t_placement = this;
}

DialogPlacement::~DialogPlacement() {
    if (!hook_) return;
    UnhookWindowsHookEx(hook_);
    t_placement = nullptr;
}

LRESULT CALLBACK DialogPlacement::AfterMessage(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && t_placement)
        t_placement->OnMessage(*reinterpret_cast<const CWPRETSTRUCT*>(lParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void DialogPlacement::OnMessage(const CWPRETSTRUCT& message) {
    if (message.message != WM_WINDOWPOSCHANGED && message.message != WM_ENTERSIZEMOVE) return;
    HWND window = message.hwnd;
    if (window == anchor_ || GetAncestor(window, GA_ROOTOWNER) != anchor_) return;
    if (GetAncestor(window, GA_ROOT) != window) return;  // a child control
    bool userMoved =
        std::find(movedByUser_.begin(), movedByUser_.end(), window) != movedByUser_.end();
    if (message.message == WM_ENTERSIZEMOVE) {
        // The user takes it from here, even out of the work area.
        if (!userMoved) movedByUser_.push_back(window);
        return;
    }
    // Shown, moved or sized by the dialog itself.
    const UINT flags = reinterpret_cast<const WINDOWPOS*>(message.lParam)->flags;
    bool placed = (flags & SWP_SHOWWINDOW) || !(flags & SWP_NOMOVE) || !(flags & SWP_NOSIZE);
    if (!placed || userMoved || IsIconic(window)) return;
    RECT rect{};
    if (!GetWindowRect(window, &rect)) return;
    ScreenRect inside = MoveInside(ToScreenRect(rect), MonitorWorkAreaOf(anchor_));
    if (inside == ToScreenRect(rect)) return;
    SetWindowPos(window, nullptr, inside.left, inside.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace hgf
