// What every page of the options sheet shares: the page object that the dialog owns,
// the changed-state rule, and the sheet's notifications turned into calls.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <optional>
#include <string>

#include "settings/OptionsRules.h"
#include "settings/win32/OptionsSheet.h"

namespace hgf {

class OptionsPage {
  public:
    OptionsPage(HWND page, OptionsTarget& target, OptionsPageKind kind)
        : page_(page), target_(target), kind_(kind) {}
    virtual ~OptionsPage() = default;
    OptionsPage(const OptionsPage&) = delete;
    OptionsPage& operator=(const OptionsPage&) = delete;

    // The page's dialog procedure, for a page object made by `make` at WM_INITDIALOG
    // from the target in the page's parameter. The dialog owns the object: it lives in
    // the dialog's user data until WM_NCDESTROY.
    using Factory = std::unique_ptr<OptionsPage> (*)(HWND page, OptionsTarget& target);
    static INT_PTR Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, Factory make);

    // Tells the sheet that this page changed: the Apply button becomes usable.
    void MarkChanged();

  protected:
    virtual void OnInit() {}
    virtual void OnCommand(int /*id*/, unsigned /*notification*/) {}
    virtual void OnScroll(HWND /*control*/) {}
    // A notification other than the sheet's; true when handled.
    virtual bool OnNotify(const NMHDR& /*header*/) { return false; }
    // OK or Apply: write the page's values back.
    virtual void OnApply() {}
    // The sheet is being cancelled.
    virtual void OnCancel() {}

    HWND Sheet() const { return GetParent(page_); }
    HWND Item(int id) const { return GetDlgItem(page_, id); }
    // Texts of the page's controls in code page 932; a character it lacks reads as "?".
    std::string ItemText(int id) const;  // up to 519 characters
    // A path field: the path as typed where code page 932 spells it, else the short path
    // of the existing file or folder, else the text with "?" for what it lacks. Nothing
    // when that is longer than the 519 bytes a stored path may have (the field counts
    // characters, a Japanese one takes two bytes).
    std::optional<std::string> ItemPath(int id) const;
    void SetItemText(int id, const std::string& text) const;
    bool IsChecked(int id) const { return IsDlgButtonChecked(page_, id) == BST_CHECKED; }
    void Check(int id, bool checked) const;
    void Enable(int id, bool enabled) const { EnableWindow(Item(id), enabled ? TRUE : FALSE); }

    HWND page_;
    OptionsTarget& target_;

  private:
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    std::wstring WideItemText(int id) const;

    OptionsPageKind kind_;
    bool initialising_ = false;  // the page's own filling raises no change
};

// The factory of a page class, for OptionsPage::Procedure.
template <class Page>
std::unique_ptr<OptionsPage> MakeOptionsPage(HWND page, OptionsTarget& target) {
    return std::make_unique<Page>(page, target);
}

// Creates page `templateId` of the core library with `procedure` and `target` as its
// parameter; null on failure.
HPROPSHEETPAGE CreateOptionsPage(int templateId, DLGPROC procedure, OptionsTarget& target);

// The six pages of the core, in sheet order.
HPROPSHEETPAGE CreateLibrariesPage1(OptionsTarget& target);
HPROPSHEETPAGE CreateLibrariesPage2(OptionsTarget& target);
HPROPSHEETPAGE CreateTransparencyPage(OptionsTarget& target);
HPROPSHEETPAGE CreateKeyAssignmentPage(OptionsTarget& target);
HPROPSHEETPAGE CreateShortcutsPage(OptionsTarget& target);
HPROPSHEETPAGE CreateOtherPage(OptionsTarget& target);

}  // namespace hgf
