// The page "キーアサイン": the forty actions with their global keys in a list view. A key
// pressed on the list binds the selected row; the sheet's OK or Apply writes the rows
// into the key table.
#include <vector>

#include "core/CoreResources.h"
#include "platform/win32/WideText.h"
#include "settings/win32/KeyNames.h"
#include "settings/win32/OptionsPage.h"

namespace hgf {
namespace {

constexpr int kActionColumnWidth = 230;  // pixels
constexpr int kKeyColumnWidth = 110;

std::uint16_t HeldModifiers() {
    std::uint16_t held = 0;
    if (GetKeyState(VK_CONTROL) < 0) held |= KEY_MOD_CTRL;
    if (GetKeyState(VK_SHIFT) < 0) held |= KEY_MOD_SHIFT;
    if (GetKeyState(VK_MENU) < 0) held |= KEY_MOD_ALT;
    return held;
}

class KeyAssignmentPage final : public OptionsPage {
  public:
    KeyAssignmentPage(HWND page, OptionsTarget& target)
        : OptionsPage(page, target, OptionsPageKind::Keys) {}

  private:
    HWND List() const { return list_.Handle(); }

    void OnInit() override {
        list_.Attach(Item(IDC_KEY_LIST), this, CaptureProcedure);
        HWND list = List();
        if (!list) return;
        SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                     LVS_EX_FULLROWSELECT);
        InsertColumn(0, "機能", kActionColumnWidth);
        InsertColumn(1, "キー", kKeyColumnWidth);
        const KeyTable& table = target_.settings.keyTable;
        for (int i = 0; i < KEY_ACTION_COUNT; ++i) {
            std::wstring label = WideFromCodePage932(kKeyActions[i].label);
            LVITEMW item{};
            item.mask = LVIF_TEXT | LVIF_PARAM;
            item.iItem = i;
            item.pszText = label.data();
            item.lParam = table[i].key;
            int row = static_cast<int>(
                SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
            if (row >= 0) SetKeyText(row, KeyTextForValue(table[i].key));
        }
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
    }

    void OnCommand(int id, unsigned notification) override {
        if (id != IDC_KEY_DEFAULTS || notification != BN_CLICKED) return;
        for (int i = 0; i < KEY_ACTION_COUNT; ++i)
            SetRow(i, kKeyActions[i].defaultKey, KeyTextForValue(kKeyActions[i].defaultKey));
        MarkChanged();
    }

    bool OnNotify(const NMHDR& header) override {
        if (header.hwndFrom != List() || header.code != LVN_KEYDOWN) return false;
        MarkChanged();
        return true;
    }

    void OnApply() override {
        std::vector<std::uintptr_t> rows;
        int count = static_cast<int>(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count && i < KEY_ACTION_COUNT; ++i)
            rows.push_back(static_cast<std::uintptr_t>(RowValue(i)));
        target_.settings.keyTable = KeyTableFromRows(target_.settings.keyTable, rows);
    }

    void InsertColumn(int index, const char* title, int width) {
        std::wstring text = WideFromCodePage932(title);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = text.data();
        column.cx = width;
        SendMessageW(List(), LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
    }
    void SetKeyText(int row, const std::string& text) {
        std::wstring wide = WideFromCodePage932(text);
        LVITEMW item{};
        item.iSubItem = 1;
        item.pszText = wide.data();
        SendMessageW(List(), LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    }
    void SetRow(int row, std::uint16_t key, const std::string& text) {
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        item.lParam = key;
        SendMessageW(List(), LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        SetKeyText(row, text);
    }
    LPARAM RowValue(int row) const {
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        SendMessageW(List(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        return item.lParam;
    }
    int SelectedRow() const {
        return static_cast<int>(SendMessageW(List(), LVM_GETNEXTITEM, -1, LVNI_SELECTED));
    }

    // Binds, refuses or clears for a key message that reached the list.
    void OnListKey(UINT message, WPARAM wParam, LPARAM lParam) {
        auto virtualKey = static_cast<std::uint8_t>(wParam & 0xFF);
        KeyCapture::Result result;
        if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
            bool autoRepeat = (lParam & (1 << 30)) != 0;
            result = capture_.KeyDown(virtualKey, HeldModifiers(), autoRepeat);
        } else {
            result = capture_.KeyUp(virtualKey);
        }
        int row = SelectedRow();
        switch (result.outcome) {
            case KeyCapture::Outcome::None:
                return;
            case KeyCapture::Outcome::Refuse:
                // The page's explanation says why nothing changed.
                MessageBeep(MB_ICONWARNING);
                return;
            case KeyCapture::Outcome::Bind:
                if (row < 0) return;
                SetRow(row, result.key, KeyTextForMessage(result.key, lParam));
                break;
            case KeyCapture::Outcome::Clear:
                if (row < 0) return;
                SetRow(row, 0, KeyTextForValue(0));
                break;
        }
        // Keys that reach the list as system keys (F10, Alt combinations) raise no
        // LVN_KEYDOWN, so every change is reported here.
        MarkChanged();
    }

    // The list view's subclass: captures the key, then lets the list handle the message
    // (navigation keys also move the selection after being bound).
    static LRESULT CALLBACK CaptureProcedure(HWND list, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
        auto* page = reinterpret_cast<KeyAssignmentPage*>(GetWindowLongPtrW(list, GWLP_USERDATA));
        if (!page) return SubclassedWindow::PassOnWithoutOwner(list, message, wParam, lParam);
        switch (message) {
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN:
            case WM_KEYUP:
            case WM_SYSKEYUP:
                page->OnListKey(message, wParam, lParam);
                break;
            case WM_SETFOCUS:
            case WM_KILLFOCUS:
                page->capture_.Reset();  // keys pressed before belong to another window
                break;
            default:
                break;
        }
        LRESULT result = page->list_.CallOriginal(list, message, wParam, lParam);
        if (message == WM_NCDESTROY) page->list_.DetachAndForget();
        return result;
    }

    SubclassedWindow list_;
    KeyCapture capture_;
};

INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return OptionsPage::Procedure(dialog, message, wParam, lParam,
                                  MakeOptionsPage<KeyAssignmentPage>);
}

}  // namespace

HPROPSHEETPAGE CreateKeyAssignmentPage(OptionsTarget& target) {
    return CreateOptionsPage(IDD_OPTIONS_KEYS, Procedure, target);
}

}  // namespace hgf
