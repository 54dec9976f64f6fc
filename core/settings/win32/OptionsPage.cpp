#include "settings/win32/OptionsPage.h"

#include "platform/win32/WideText.h"
#include "platform/win32/Win32FileSystem.h"
#include "win32/CoreModule.h"

namespace hgf {
namespace {

constexpr int kTextBufferSize = 520;
constexpr std::size_t kStoredPathLimit = 519;  // bytes: the settings file reads back 520

}  // namespace

INT_PTR OptionsPage::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                               Factory make) {
    auto* page = reinterpret_cast<OptionsPage*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
    if (message == WM_INITDIALOG) {
        const auto* sheetPage = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
        if (page || !sheetPage || !sheetPage->lParam) return TRUE;
        auto& target = *reinterpret_cast<OptionsTarget*>(sheetPage->lParam);
        // From here the dialog owns the page object; WM_NCDESTROY deletes it.
        page = make(dialog, target).release();
        SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(page));
        page->initialising_ = true;
        page->OnInit();
        page->initialising_ = false;
        return TRUE;
    }
    if (!page) return FALSE;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(dialog, GWLP_USERDATA, 0);
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
                    SetWindowLongPtrW(page_, DWLP_MSGRESULT, PSNRET_NOERROR);
                    return TRUE;
                case PSN_QUERYCANCEL:  // sent to the page on show only
                    OnCancel();
                    SetWindowLongPtrW(page_, DWLP_MSGRESULT, FALSE);  // may close
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

std::wstring OptionsPage::WideItemText(int id) const {
    wchar_t text[kTextBufferSize] = L"";
    GetDlgItemTextW(page_, id, text, kTextBufferSize);
    return text;
}

std::string OptionsPage::ItemText(int id) const {
    return CodePage932FromWide(WideItemText(id));
}

std::optional<std::string> OptionsPage::ItemPath(int id) const {
    const std::wstring path = WideItemText(id);
    const std::u16string_view utf16(reinterpret_cast<const char16_t*>(path.data()), path.size());
    std::string stored =
        TheWin32FileSystem().CodePage932PathThatOpens(utf16).value_or(CodePage932FromWide(path));
    if (stored.size() > kStoredPathLimit) return std::nullopt;
    return stored;
}

void OptionsPage::SetItemText(int id, const std::string& text) const {
    SetDlgItemTextW(page_, id, WideFromCodePage932(text).c_str());
}

void OptionsPage::Check(int id, bool checked) const {
    CheckDlgButton(page_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

HPROPSHEETPAGE CreateOptionsPage(int templateId, DLGPROC procedure, OptionsTarget& target) {
    PROPSHEETPAGEW page{};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_DEFAULT;
    page.hInstance = CoreModule();
    page.pszTemplate = MAKEINTRESOURCEW(templateId);
    page.pfnDlgProc = procedure;
    page.lParam = reinterpret_cast<LPARAM>(&target);
    return CreatePropertySheetPageW(&page);
}

}  // namespace hgf
