// The folder scan: turns a folder tree into list rows, every accepted file under one
// heading row per folder, folders and files in path order, indented by nesting level.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/FileSystem.h"
#include "playlist/PlaylistItem.h"

namespace hgf {

struct FolderScanOptions {
    bool includeSubFolders = true;  // SubFolderFind
    bool allFiles = false;          // AllFileRegist: every file, not only accepted suffixes
};

// One scan, run on the loader worker. ScanFolder collects the raw scan list (one row per
// file found plus one marker row per folder entered); TakeRows turns it into the list.
class FolderScan {
  public:
    // `scanDepth` is the nesting level of the folder being scanned (-1 between scans);
    // `cancel`, when given, stops the scan early once set.
    FolderScan(FileSystem& fileSystem, FolderScanOptions options,
               std::atomic<std::int32_t>& scanDepth, const std::atomic<bool>* cancel = nullptr);

    // Scans `sourcePath` exactly as written (a trailing separator is kept) and returns
    // the rows; empty when nothing was accepted or the folder cannot be enumerated.
    std::deque<PlaylistItem> Run(const std::string& sourcePath);

    // Appends the folder's marker and files to the raw scan list, recursing into
    // sub-folders when they are included. False when the folder cannot be enumerated
    // (it then adds nothing).
    bool ScanFolder(const std::string& folder);

    // Sorts and groups the raw scan list into headings and files, counts each heading's
    // files, drops headings without files, and empties the work lists.
    std::deque<PlaylistItem> TakeRows();

    std::size_t RawRowCount() const { return raw_.size(); }
    bool Cancelled() const { return cancel_ && cancel_->load(std::memory_order_relaxed); }

  private:
    struct RawRow {
        std::string name;  // the file name; empty for a marker row
        std::string path;
        std::uint32_t folder = 0;  // index into folders_
        bool marker = false;
    };
    struct Folder {
        std::string path;
        std::int32_t indent = 0;
    };

    std::uint32_t InternFolder(const std::string& path, std::int32_t indent);

    FileSystem& fileSystem_;
    FolderScanOptions options_;
    std::atomic<std::int32_t>& scanDepth_;
    const std::atomic<bool>* cancel_;

    // The raw scan list (a deque: rows never move, so pathSet_ can view their paths).
    std::deque<RawRow> raw_;
    std::unordered_set<std::string_view> pathSet_;  // paths in raw_, for the duplicate test
    std::vector<Folder> folders_;                   // every folder entered, by first entry
    std::unordered_map<std::string, std::uint32_t> folderIds_;
};

}  // namespace hgf
