// The player core as the launcher sees it. The order of the virtual operations is
// the binary contract between the program and "Harrowgladeforte Core.dll": never
// reorder, insert or remove slots (and no virtual destructor: Release destroys).
#pragma once

#include <windows.h>

#include <string>

class IHarrowgladeforteCore {
  public:
    virtual void Release() = 0;                      // 0
    virtual HWND AttachWindow(HWND hostWindow) = 0;  // 1
    virtual BOOL ShowPopupMenu(int ownerDraw) = 0;   // 2
    virtual void SetWindowAlpha(HWND window, COLORREF colorKey, BYTE alpha,
                                DWORD flags) = 0;           // 3
    virtual RECT* GetSavedWindowRect(RECT* rect) = 0;       // 4
    virtual void Start(const char* title, int iconId) = 0;  // 5
    virtual LRESULT MoveToDefaultPosition() = 0;            // 6
    virtual std::string GetStatusText() = 0;                // 7
    virtual std::string GetItemPath(int index) = 0;         // 8
    virtual std::string GetItemTitle(int index) = 0;        // 9
    virtual int GetItemIndent(int index) = 0;               // 10
    virtual BYTE IsItemFolder(int index) = 0;               // 11
    virtual BYTE IsItemPlayed(int index) = 0;               // 12
    virtual int GetItemCount() = 0;                         // 13
    virtual BYTE IsItemMissing(int index) = 0;              // 14
    virtual BYTE IsPlaying() = 0;                           // 15
    virtual int GetCurrentIndex() = 0;                      // 16
    virtual std::string GetMenuText(int commandId) = 0;     // 17
    virtual bool HasFixedMenuText(int commandId) = 0;       // 18
    virtual HWND GetComboBoxWindow() = 0;                   // 19

  protected:
    ~IHarrowgladeforteCore() = default;
};

#ifdef HGF_CORE_BUILD
#define HGF_CORE_API __declspec(dllexport)
#else
#define HGF_CORE_API __declspec(dllimport)
#endif

// Creates the player core; null when it cannot be allocated.
HGF_CORE_API IHarrowgladeforteCore* CreateInstance(HINSTANCE hostInstance);
