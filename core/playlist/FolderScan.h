// The folder scan: turns a folder tree into list rows, every accepted file under one
// heading row per folder, folders and files in path order, indented by nesting level.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/FileSystem.h"
#include "playlist/PlaylistItem.h"

namespace hgf {

struct FolderScanOptions {
    bool includeSubFolders = true;  // SubFolderFind
    bool allFiles = false;          // AllFileRegist: every file, not only accepted suffixes
};

// One scan, run on the loader worker. ScanFolder collects every folder entered with the
// names of its accepted files; TakeRows turns them into the list.
//
// The rows are those of the plain procedure (one raw list of all files plus a marker row
// per folder, sorted by full path; a heading per folder; the headings sorted; each
// heading followed by its folder's files in raw-list order), built without its linear
// searches: the files of one folder share the prefix "folder\", so their order in the
// sorted raw list is the order of their names, and each folder is sorted on its own.
class FolderScan {
  public:
    // `scanDepth` is the nesting level of the folder being scanned (-1 between scans);
    // `cancel`, when given, stops the scan early once set.
    FolderScan(FileSystem& fileSystem, FolderScanOptions options,
               std::atomic<std::int32_t>& scanDepth, const std::atomic<bool>* cancel = nullptr);

    // Scans `sourcePath` exactly as written (a trailing separator is kept) and returns
    // the rows; empty when nothing was accepted or the folder cannot be enumerated.
    std::deque<PlaylistItem> Run(const std::string& sourcePath);

    // Records the folder (its marker row) and its accepted files, recursing into
    // sub-folders when they are included. False when the folder cannot be enumerated
    // (it then adds nothing).
    bool ScanFolder(const std::string& folder);

    // Sorts and groups what was scanned into headings and files, counts each heading's
    // files, drops headings without files, and empties the work lists.
    std::deque<PlaylistItem> TakeRows();

    // Rows of the raw scan list so far: one marker per folder plus every file found.
    std::size_t RawRowCount() const { return rawRows_; }
    bool Cancelled() const { return cancel_ && cancel_->load(std::memory_order_relaxed); }

  private:
    struct File {
        std::string name;   // as it opens (a short name where code page 932 lacks a character)
        std::string title;  // the long name where it differs from `name`, else empty
        bool unplayable = false;  // neither name opens the file

        const std::string& Shown() const { return title.empty() ? name : title; }
    };
    struct Folder {
        std::string path;
        std::string title;      // the heading's text where it differs from the last component
        std::string orderPath;  // the path as the user reads it (long names): headings' order
        std::int32_t indent = 0;
        std::vector<File> files;  // accepted files in enumeration order
    };

    bool ScanFolder(const std::string& folder, const std::string& orderPath,
                    const std::string& title);
    // The index of the folder in folders_, added on its first entry.
    std::size_t EnterFolder(const std::string& path, const std::string& orderPath,
                            const std::string& title, std::int32_t indent);
    void Clear();

    FileSystem& fileSystem_;
    FolderScanOptions options_;
    std::atomic<std::int32_t>& scanDepth_;
    const std::atomic<bool>* cancel_;

    std::vector<Folder> folders_;  // every folder entered, in order of first entry
    std::unordered_map<std::string, std::size_t> folderIds_;  // path -> index in folders_
    std::size_t rawRows_ = 0;
};

}  // namespace hgf
