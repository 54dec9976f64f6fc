#include "settings/win32/OptionsPage.h"

#include "win32/CoreModule.h"

namespace hgf {
namespace {

constexpr int kTextBufferSize = 520;

}  // namespace

INT_PTR OptionsPage::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                               Factory make) {
    auto* page = reinterpret_cast<OptionsPage*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    if (message == WM_INITDIALOG) {
        const auto* sheetPage = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
        if (page || !sheetPage || !sheetPage->lParam) return TRUE;
        auto& target = *reinterpret_cast<OptionsTarget*>(sheetPage->lParam);
        // From here the dialog owns the page object; WM_NCDESTROY deletes it.
        page = make(dialog, target).release();
        SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(page));
        page->initialising_ = true;
        page->OnInit();
        page->initialising_ = false;
        return TRUE;
    }
    if (!page) return FALSE;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(dialog, GWLP_USERDATA, 0);
        std::unique_ptr<OptionsPage> owned(page);
        return FALSE;
    }
    return page->Handle(message, wParam, lParam);
}

INT_PTR OptionsPage::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            unsigned notification = HIWORD(wParam);
            if (!initialising_ && lParam != 0 && CommandChangesPage(kind_, notification))
                MarkChanged();
            OnCommand(LOWORD(wParam), notification);
            return TRUE;
        }
        case WM_HSCROLL:
        case WM_VSCROLL:
            OnScroll(reinterpret_cast<HWND>(lParam));
            return TRUE;
        case WM_NOTIFY: {
            const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
            switch (header.code) {
                case PSN_APPLY:
                    OnApply();
                    SetWindowLongPtrA(page_, DWLP_MSGRESULT, PSNRET_NOERROR);
                    return TRUE;
                case PSN_QUERYCANCEL:  // sent to the page on show only
                    OnCancel();
                    SetWindowLongPtrA(page_, DWLP_MSGRESULT, FALSE);  // may close
                    return TRUE;
                case PSN_RESET:  // sent to every page that was created
                    OnCancel();
                    return TRUE;
                default:
                    return OnNotify(header) ? TRUE : FALSE;
            }
        }
        default:
            return FALSE;
    }
}

void OptionsPage::MarkChanged() {
    if (initialising_) return;
    PropSheet_Changed(Sheet(), page_);
}

std::string OptionsPage::ItemText(int id) const {
    char text[kTextBufferSize] = "";
    GetDlgItemTextA(page_, id, text, sizeof text);
    return text;
}

void OptionsPage::SetItemText(int id, const std::string& text) const {
    SetDlgItemTextA(page_, id, text.c_str());
}

void OptionsPage::Check(int id, bool checked) const {
    CheckDlgButton(page_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

HPROPSHEETPAGE CreateOptionsPage(int templateId, DLGPROC procedure, OptionsTarget& target) {
    PROPSHEETPAGEA page{};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_DEFAULT;
    page.hInstance = CoreModule();
    page.pszTemplate = MAKEINTRESOURCEA(templateId);
    page.pfnDlgProc = procedure;
    page.lParam = reinterpret_cast<LPARAM>(&target);
    return CreatePropertySheetPageA(&page);
}

}  // namespace hgf
