// The page "フォルダショートカット": the ten folders or playlists that the folder-shortcut
// keys load, each with a folder button "F" and a playlist button "P".
#include "FileDialogFilters.h"
#include "core/CoreResources.h"
#include "settings/win32/OptionsPage.h"
#include "win32/Choosers.h"

namespace hgf {
namespace {

struct ShortcutRow {
    int editId, folderId, playlistId;
};
constexpr ShortcutRow kRows[] = {
    {IDC_SHORTCUT0_EDIT, IDC_SHORTCUT0_FOLDER, IDC_SHORTCUT0_PLAYLIST},
    {IDC_SHORTCUT1_EDIT, IDC_SHORTCUT1_FOLDER, IDC_SHORTCUT1_PLAYLIST},
    {IDC_SHORTCUT2_EDIT, IDC_SHORTCUT2_FOLDER, IDC_SHORTCUT2_PLAYLIST},
    {IDC_SHORTCUT3_EDIT, IDC_SHORTCUT3_FOLDER, IDC_SHORTCUT3_PLAYLIST},
    {IDC_SHORTCUT4_EDIT, IDC_SHORTCUT4_FOLDER, IDC_SHORTCUT4_PLAYLIST},
    {IDC_SHORTCUT5_EDIT, IDC_SHORTCUT5_FOLDER, IDC_SHORTCUT5_PLAYLIST},
    {IDC_SHORTCUT6_EDIT, IDC_SHORTCUT6_FOLDER, IDC_SHORTCUT6_PLAYLIST},
    {IDC_SHORTCUT7_EDIT, IDC_SHORTCUT7_FOLDER, IDC_SHORTCUT7_PLAYLIST},
    {IDC_SHORTCUT8_EDIT, IDC_SHORTCUT8_FOLDER, IDC_SHORTCUT8_PLAYLIST},
    {IDC_SHORTCUT9_EDIT, IDC_SHORTCUT9_FOLDER, IDC_SHORTCUT9_PLAYLIST},
};
static_assert(std::size(kRows) == kFolderShortcutCount);

constexpr int kPathLimit = 519;  // path buffers hold 520 characters

class ShortcutsPage final : public OptionsPage {
  public:
    ShortcutsPage(HWND page, OptionsTarget& target)
        : OptionsPage(page, target, OptionsPageKind::Shortcuts) {}

  private:
    void OnInit() override {
        for (std::size_t k = 0; k < kFolderShortcutCount; ++k) {
            SendMessageW(Item(kRows[k].editId), EM_LIMITTEXT, kPathLimit, 0);
            SetItemText(kRows[k].editId, target_.settings.folderShortcuts[k]);
        }
    }

    void OnCommand(int id, unsigned notification) override {
        if (notification != BN_CLICKED) return;
        for (const ShortcutRow& row : kRows) {
            std::string path;
            if (id == row.folderId && ChooseFolderFor(path)) SetItemText(row.editId, path);
            if (id == row.playlistId && ShowFileDialog(Sheet(), "プレイリストファイルの参照", "",
                                                       FILE_DIALOG_PLAYLIST, true, path) != 0) {
                SetItemText(row.editId, path);
            }
        }
    }

    // The folder chooser of the folder command, with its two search options. The sheet
    // owns it, so the main window stays disabled until the sheet itself closes.
    bool ChooseFolderFor(std::string& path) {
        Settings& settings = target_.settings;
        FolderChooserOptions options{
            settings.loadHistory.empty() ? std::string() : settings.loadHistory.front(),
            settings.SubFolderFind, settings.AllFileRegist, target_.folderChooser};
        return ChooseFolder(Sheet(), options, path);
    }

    void OnApply() override {
        for (std::size_t k = 0; k < kFolderShortcutCount; ++k) {
            // A path too long to store keeps the one before.
            if (std::optional<std::string> path = ItemPath(kRows[k].editId))
                target_.settings.folderShortcuts[k] = std::move(*path);
        }
    }
};

INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return OptionsPage::Procedure(dialog, message, wParam, lParam, MakeOptionsPage<ShortcutsPage>);
}

}  // namespace

HPROPSHEETPAGE CreateShortcutsPage(OptionsTarget& target) {
    return CreateOptionsPage(IDD_OPTIONS_SHORTCUTS, Procedure, target);
}

}  // namespace hgf
