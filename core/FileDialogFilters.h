// The four filter sets of the file dialog and the extension rule of its save mode.
#pragma once

#include <span>
#include <string>

namespace hgf {

// Kinds of file dialog: what the user is asked to pick.
enum FileDialogKind : int {
    FILE_DIALOG_MEDIA = 0,       // every playable file type
    FILE_DIALOG_PLAYLIST = 1,    // the playlist formats read
    FILE_DIALOG_SAVE_LIST = 2,   // the three formats the list is written as
    FILE_DIALOG_SMF_CONFIG = 3,  // configuration files of the MIDI conversion
};

struct FileFilter {
    const char* description;
    const char* pattern;  // "*.a;*.b"
};

// The filters of `kind`, in the order the dialog lists them (empty for an unknown kind).
std::span<const FileFilter> FileDialogFilters(int kind);

// The filters as the dialog takes them: description, NUL, pattern, NUL, ..., NUL.
std::string FileDialogFilterText(int kind);

// A name chosen in the save dialog with the 1-based filter `filterIndex` of `kind`: the
// filter's extension (".spl", ".m3u", ".htm" for the list formats) is appended unless the
// name contains it anywhere. Filters of several patterns add nothing.
std::string WithSaveExtension(std::string name, int kind, int filterIndex);

}  // namespace hgf
