// Small owners of the windows the core creates or subclasses. Each holds the module
// instance, the window handle and the size; the destructor destroys the window if it
// still exists. A subclassed window keeps its original procedure, and the window's user
// data points to the owning object so that the replacement procedure can find it.
#pragma once

#include <windows.h>

#include <string>

namespace hgf {

class WindowWrapper {
  public:
    WindowWrapper() = default;
    virtual ~WindowWrapper();
    WindowWrapper(const WindowWrapper&) = delete;
    WindowWrapper& operator=(const WindowWrapper&) = delete;

    HWND Handle() const { return window_; }
    HINSTANCE Instance() const { return instance_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // True while the window exists (a wrapper whose window could not be created is empty).
    bool Exists() const { return window_ && IsWindow(window_); }
    // Records the window's current outer size.
    void UpdateSize();
    // For a window procedure at WM_NCDESTROY: the window is gone, so its handle value is
    // dropped before another window can be given the same one.
    void Forget() { window_ = nullptr; }

  protected:
    HINSTANCE instance_ = nullptr;
    HWND window_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// A window of another owner whose procedure the core replaces. The original procedure is
// also kept with the window itself, so that messages still reach it once the owner is gone.
class SubclassedWindow : public WindowWrapper {
  public:
    ~SubclassedWindow() override;

    // Takes `window` over: stores `owner` in its user data and installs `procedure`,
    // keeping the window's own procedure for CallOriginal.
    bool Attach(HWND window, void* owner, WNDPROC procedure);
    // The same for a window whose user data belongs to its own procedure (a system
    // dialog): the user data is left alone.
    bool AttachKeepingUserData(HWND window, WNDPROC procedure);
    // Leaves the window with no way to reach the owner: clears the user data Attach set
    // and, while the window still runs the replacement, puts its own procedure back.
    // When another subclass sits above ours the chain must stay as it is; the replacement
    // procedure then finds no owner and passes every message on (PassOnWithoutOwner).
    void Detach();
    // For the replacement procedure at WM_NCDESTROY: detaches and forgets the handle, so
    // that a later window given the same handle value is never taken for this one.
    void DetachAndForget();
    LRESULT CallOriginal(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const;
    WNDPROC OriginalProcedure() const { return original_; }
    // For a replacement procedure that finds no owner (before Attach finished, or after
    // Detach): the window's own procedure handles the message, as the window keeps it
    // for itself; DefWindowProc for a window that never was attached.
    static LRESULT PassOnWithoutOwner(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    WNDPROC original_ = nullptr;
    WNDPROC replacement_ = nullptr;
    bool ownsUserData_ = false;
};

// A window of a class the core registers itself.
class ClassWindow : public WindowWrapper {
  public:
    struct Params {
        DWORD exStyle = 0;
        const wchar_t* text = L"";
        DWORD style = 0;
        int x = 0, y = 0, width = 0, height = 0;
        HWND parent = nullptr;
        UINT_PTR id = 0;  // child window id
        void* createParam = nullptr;
    };
    // Registers `windowClass` (unless a class of that name exists in its module) and
    // creates the window; false leaves the wrapper empty.
    bool Create(const WNDCLASSEXW& windowClass, const Params& params);
};

// A modeless dialog made from a template.
class ModelessDialog : public WindowWrapper {
  public:
    // Creates the dialog from template `templateId` of `module`; false leaves the wrapper
    // empty (for example when the template is missing).
    bool Create(HINSTANCE module, int templateId, HWND owner, DLGPROC procedure, LPARAM param);
};

// The host's top-level window, subclassed, with the tray icon data and the state of the
// cursor-driven transparency.
class MainWindowWrapper : public SubclassedWindow {
  public:
    std::string trayTooltip;
    HICON trayIcon = nullptr;
    BYTE cursorInside = 0;         // 1 while the faded-in alpha applies
    BYTE dropDownOpen = 0;         // 1 between drop-down and close-up of the list
    BOOL savedComboAnimation = 0;  // the user's combo-box animation, while the list is open
};

}  // namespace hgf
