// The About page: picture, support note, version, legal notice and home page.
#include "win32/AboutPage.h"

#include "ProductInfo.h"
#include "launcher/LauncherResources.h"
#include "platform/win32/WideText.h"

namespace hgf::launcher {

HPROPSHEETPAGE CreateAboutPage(HINSTANCE instance) {
    // The page header of the version the options sheet was written for (with the header
    // titles); the extra fields of later versions stay unused.
    PROPSHEETPAGEW page{};
    page.dwSize = sizeof(PROPSHEETPAGEW_V2);
    page.dwFlags = PSP_DEFAULT;
    page.hInstance = instance;
    page.pszTemplate = MAKEINTRESOURCEW(IDD_ABOUT);
    page.pfnDlgProc = AboutDialogProcedure;
    return CreatePropertySheetPageW(&page);
}

INT_PTR CALLBACK AboutDialogProcedure(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) {
        const struct {
            int id;
            const char* text;  // code page 932
        } fields[] = {
            {IDC_ABOUT_VERSION, "バージョン " HGF_VERSION_TEXT},
            {IDC_ABOUT_LEGAL, HGF_LEGAL_NOTICE},
            {IDC_ABOUT_HOME_PAGE, HGF_HOME_PAGE},
        };
        for (const auto& field : fields) {
            SetDlgItemTextW(dialog, field.id, WideFromCodePage932(field.text).c_str());
        }
    }
    return 0;
}

}  // namespace hgf::launcher
