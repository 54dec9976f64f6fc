// The About page: picture, support note, version, legal notice and home page.
#include "win32/AboutPage.h"

#include "ProductInfo.h"
#include "launcher/LauncherResources.h"

namespace hgf::launcher {

HPROPSHEETPAGE CreateAboutPage(HINSTANCE instance) {
    // The page header of the version the options sheet was written for (with the header
    // titles); the extra fields of later versions stay unused.
    PROPSHEETPAGEA page{};
    page.dwSize = sizeof(PROPSHEETPAGEA_V2);
    page.dwFlags = PSP_DEFAULT;
    page.hInstance = instance;
    page.pszTemplate = MAKEINTRESOURCEA(IDD_ABOUT);
    page.pfnDlgProc = AboutDialogProcedure;
    return CreatePropertySheetPageA(&page);
}

INT_PTR CALLBACK AboutDialogProcedure(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) {
        SetDlgItemTextA(dialog, IDC_ABOUT_VERSION, "バージョン " HGF_VERSION_TEXT);
        SetDlgItemTextA(dialog, IDC_ABOUT_LEGAL, HGF_LEGAL_NOTICE);
        SetDlgItemTextA(dialog, IDC_ABOUT_HOME_PAGE, HGF_HOME_PAGE);
    }
    return 0;
}

}  // namespace hgf::launcher
