#include "settings/win32/OptionsSheet.h"

#include <commctrl.h>

#include <vector>

#include "CoreIds.h"
#include "platform/win32/WideText.h"
#include "settings/win32/OptionsPage.h"
#include "win32/CoreModule.h"
#include "win32/DialogPlacement.h"

namespace hgf {
namespace {

// The open sheet, written by its callback and cleared when it closes (user-interface
// thread only).
HWND g_sheetWindow = nullptr;

int CALLBACK SheetCallback(HWND sheet, UINT message, LPARAM) {
    if (message != PSCB_INITIALIZED) return 0;
    // No context-help button in the frame.
    LONG_PTR exStyle = GetWindowLongPtrW(sheet, GWL_EXSTYLE);
    if (exStyle & WS_EX_CONTEXTHELP) {
        SetWindowLongPtrW(sheet, GWL_EXSTYLE, exStyle & ~WS_EX_CONTEXTHELP);
        SetWindowPos(sheet, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    g_sheetWindow = sheet;
    return 0;
}

using PageMaker = HPROPSHEETPAGE (*)(OptionsTarget&);
constexpr PageMaker kCorePages[] = {CreateLibrariesPage1,   CreateLibrariesPage2,
                                    CreateTransparencyPage, CreateKeyAssignmentPage,
                                    CreateShortcutsPage,    CreateOtherPage};

}  // namespace

bool ShowOptionsSheet(OptionsTarget& target) {
    if (HWND open = OptionsSheetWindow()) {
        SetForegroundWindow(open);
        return true;
    }
    // The host may add one page. A host that answers 1 without a page adds nothing, and
    // a page offered with another answer is not kept.
    HPROPSHEETPAGE hostPage = nullptr;
    LRESULT hostPages =
        SendMessageW(target.mainWindow, MSG_GET_ABOUT_PAGE, 0, reinterpret_cast<LPARAM>(&hostPage));
    if (hostPage && hostPages != 1) {
        DestroyPropertySheetPage(hostPage);
        hostPage = nullptr;
    }

    std::vector<HPROPSHEETPAGE> pages;
    for (PageMaker make : kCorePages) {
        if (HPROPSHEETPAGE page = make(target)) pages.push_back(page);
    }
    if (hostPage) pages.push_back(hostPage);
    if (pages.empty()) return false;

    const std::wstring caption = WideFromCodePage932("オプション");
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_USECALLBACK;
    header.hwndParent = target.mainWindow;
    header.hInstance = CoreModule();
    header.pszCaption = caption.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.nStartPage = 0;
    header.phpage = pages.data();
    header.pfnCallback = SheetCallback;
    DialogPlacement placement(target.mainWindow);  // the sheet and what its pages open
    INT_PTR result = PropertySheetW(&header);      // destroys the pages it was given
    g_sheetWindow = nullptr;
    return result >= 0;
}

HWND OptionsSheetWindow() {
    return g_sheetWindow && IsWindow(g_sheetWindow) ? g_sheetWindow : nullptr;
}

}  // namespace hgf
