// The player's single top-level window: a borderless, topmost, layered tool window with
// the blinking play indicator at its left and the core's controls strip beside it. The
// core subclasses it in AttachWindow; every message reaches Procedure after the core.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "CoreIds.h"
#include "LauncherRules.h"
#include "win32/Handles.h"

namespace hgf::launcher {

// What the window draws with, loaded from the program's resources and owned here.
struct LauncherResources {
    UniqueIcon icon;                  // icon 106 at the default size
    UniqueImageList indicatorFrames;  // bitmap 107: the play indicator's two frames
    UniqueImageList itemIcons;        // bitmap 109: the list items' icons
    UniqueFont font;

    bool Complete() const { return icon && indicatorFrames && itemIcons && font; }
};

// Loads the icon, both image lists and the font; check Complete() for failures.
LauncherResources LoadLauncherResources(HINSTANCE instance);

// Registration of the window class, undone when the owner goes.
class WindowClassRegistration {
  public:
    WindowClassRegistration(HINSTANCE instance, HICON icon);
    ~WindowClassRegistration();
    WindowClassRegistration(const WindowClassRegistration&) = delete;
    WindowClassRegistration& operator=(const WindowClassRegistration&) = delete;

    bool Registered() const { return atom_ != 0; }

  private:
    HINSTANCE instance_;
    ATOM atom_ = 0;
};

// The window class name as the wide-character functions take it: the core's main window
// class, which the keyboard hook and a second copy look for.
inline constexpr wchar_t kMainWindowClassWide[] = L"Harrowgladeforte 2.03";

constexpr bool SameAsciiName(const char* narrow, const wchar_t* wide) {
    for (; *narrow || *wide; ++narrow, ++wide) {
        if (static_cast<wchar_t>(*narrow) != *wide) return false;
    }
    return true;
}
static_assert(SameAsciiName(kMainWindowClass, kMainWindowClassWide));

class LauncherWindow {
  public:
    static constexpr const wchar_t* kClassName = kMainWindowClassWide;

    // The core and the resources must outlive the window. `pathToOpen` (a full path, or
    // empty) is handed to the core before Start, which then loads it instead of the newest
    // history entry.
    LauncherWindow(IHarrowgladeforteCore& core, HINSTANCE instance,
                   const LauncherResources& resources, std::wstring pathToOpen = {});
    ~LauncherWindow();  // destroys the window if it still exists
    LauncherWindow(const LauncherWindow&) = delete;
    LauncherWindow& operator=(const LauncherWindow&) = delete;

    // Creates the (hidden) window; its WM_CREATE attaches, places and starts the core.
    // Needs a registered window class. False when the window could not be created.
    bool Create();

    HWND Handle() const { return window_; }
    std::uint8_t BlinkValue() const { return blink_.Value(); }

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    friend class WindowClassRegistration;

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCreate();
    void OnSize(int clientWidth);
    void OnPaint();
    void OnBlinkTimer();
    LRESULT OnNcHitTest(LPARAM lParam);
    LRESULT OnMeasureItem(WPARAM wParam, LPARAM lParam);
    LRESULT OnDrawItem(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetAboutPage(LPARAM lParam);
    int ComboClientHeight() const;
    int CurrentWindowHeight() const;

    IHarrowgladeforteCore& core_;
    HINSTANCE instance_;
    std::wstring pathToOpen_;
    const LauncherResources& resources_;
    HWND window_ = nullptr;
    HWND strip_ = nullptr;     // the core's controls strip, from AttachWindow
    HWND comboBox_ = nullptr;  // the core's list combo box
    BlinkCounter blink_;
};

}  // namespace hgf::launcher
