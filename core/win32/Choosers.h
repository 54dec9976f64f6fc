// The file dialog (open or save, with the four filter sets) and the folder chooser with
// the two search options of a folder scan.
#pragma once

#include <windows.h>

#include <shtypes.h>

#include <cstdint>
#include <optional>
#include <string>

#include "win32/WindowWrappers.h"

namespace hgf {

// Shows the open (`open`) or save dialog of `kind` (FileDialogKind). `path` holds the
// initial name and receives the chosen one; a saved name gets the chosen filter's
// extension unless it contains it anywhere. Returns the 1-based index of the chosen
// filter, or 0 when the dialog was cancelled (then `path` is unchanged).
int ShowFileDialog(HWND owner, const char* title, const char* initialDirectory, int kind, bool open,
                   std::string& path);

// What the folder chooser shows and changes.
struct FolderChooserOptions {
    std::string initialFolder;    // preselected: the folder or playlist loaded last
    std::uint8_t& subFolderFind;  // "サブフォルダも検索する", stored on OK only
    std::uint8_t& allFileRegist;  // "すべてのファイルを読み込む", stored on OK only
    SubclassedWindow& dialog;     // holds the browser window while it is open
};

// Runs the system folder browser with the two check boxes; true when a folder was
// chosen, its path then in `path`.
bool ChooseFolder(HWND owner, FolderChooserOptions& options, std::string& path);

// The file-system path of the shell item `item` in code page 932: its short path where code
// page 932 cannot spell the long one; nothing for an item without a path, or without a short
// path where one is needed.
std::optional<std::string> CodePage932PathOfItem(PCIDLIST_ABSOLUTE item);

}  // namespace hgf
