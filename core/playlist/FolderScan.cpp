// The folder scan: recursive enumeration into the raw scan list, then path-order
// sorting, grouping under folder headings, file counts and removal of empty headings.
// Hash sets and buckets replace linear searches; the rows and their order are those
// of the plain searches.
#include "playlist/FolderScan.h"

#include <algorithm>
#include <numeric>

#include "playlist/PathText.h"

namespace hgf {

FolderScan::FolderScan(FileSystem& fileSystem, FolderScanOptions options,
                       std::atomic<std::int32_t>& scanDepth, const std::atomic<bool>* cancel)
    : fileSystem_(fileSystem), options_(options), scanDepth_(scanDepth), cancel_(cancel) {}

std::deque<PlaylistItem> FolderScan::Run(const std::string& sourcePath) {
    scanDepth_ = -1;
    raw_.clear();
    pathSet_.clear();
    folders_.clear();
    folderIds_.clear();
    ScanFolder(sourcePath);
    if (Cancelled()) {
        raw_.clear();
        pathSet_.clear();
        folders_.clear();
        folderIds_.clear();
        return {};
    }
    return TakeRows();
}

std::uint32_t FolderScan::InternFolder(const std::string& path, std::int32_t indent) {
    auto [it, added] = folderIds_.try_emplace(path, static_cast<std::uint32_t>(folders_.size()));
    if (added) folders_.push_back({path, indent});
    return it->second;
}

bool FolderScan::ScanFolder(const std::string& folder) {
    const std::int32_t depth = ++scanDepth_;
    std::unique_ptr<DirectoryEnumeration> enumeration = fileSystem_.Enumerate(folder);
    if (!enumeration) {
        --scanDepth_;
        return false;
    }
    const std::uint32_t folderId = InternFolder(folder, depth);

    // The marker row makes sure every folder entered gets a heading, even without files.
    RawRow& marker = raw_.emplace_back();
    marker.path = folder + "\\.";
    marker.folder = folderId;
    marker.marker = true;
    pathSet_.insert(marker.path);

    DirectoryEntry entry;
    while (!Cancelled() && enumeration->Next(entry)) {
        if (entry.isDirectory) {
            // "." and ".." are never rows, not even when every file is taken.
            if (entry.name == "." || entry.name == "..") continue;
            if (options_.includeSubFolders) ScanFolder(folder + "\\" + entry.name);
            continue;
        }
        std::string path = folder + "\\" + entry.name;
        if (pathSet_.contains(path)) continue;
        if (!options_.allFiles && !HasAcceptedSuffix(entry.name)) continue;
        RawRow& row = raw_.emplace_back();
        row.name = entry.name;
        row.path = std::move(path);
        row.folder = folderId;
        pathSet_.insert(row.path);
    }
    --scanDepth_;
    return true;
}

std::deque<PlaylistItem> FolderScan::TakeRows() {
    const std::size_t rawCount = raw_.size();
    pathSet_.clear();  // it views the paths that are moved into the rows below

    // Sort the raw scan list by path order.
    std::vector<std::string> keys(rawCount);
    for (std::size_t i = 0; i < rawCount; ++i)
        keys[i] = PathOrderKey(raw_[i].path);
    std::vector<std::uint32_t> order(rawCount);
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; });
    keys.clear();

    // One heading per folder, in the order its first row appears in the sorted list;
    // then the headings sorted by path order.
    std::vector<std::uint32_t> headings;
    std::vector<char> hasHeading(folders_.size(), 0);
    for (std::uint32_t index : order) {
        std::uint32_t folder = raw_[index].folder;
        if (!hasHeading[folder]) {
            hasHeading[folder] = 1;
            headings.push_back(folder);
        }
    }
    std::vector<std::string> folderKeys(folders_.size());
    for (std::uint32_t folder : headings)
        folderKeys[folder] = PathOrderKey(folders_[folder].path);
    std::stable_sort(headings.begin(), headings.end(), [&](std::uint32_t a, std::uint32_t b) {
        return folderKeys[a] < folderKeys[b];
    });

    // Each heading followed by its folder's files (markers dropped), in sorted order.
    std::vector<std::vector<std::uint32_t>> members(folders_.size());
    for (std::uint32_t index : order)
        if (!raw_[index].marker) members[raw_[index].folder].push_back(index);

    std::vector<PlaylistItem> rows;
    rows.reserve(headings.size() + rawCount);
    for (std::uint32_t folder : headings) {
        const Folder& info = folders_[folder];
        PlaylistItem& heading = rows.emplace_back();
        heading.indent = info.indent;
        heading.isFolder = 1;
        heading.played = 1;
        std::size_t separator = FindLastBackslash(info.path);
        heading.title =
            separator == std::string::npos ? info.path : info.path.substr(separator + 1);
        heading.path = info.path;
        heading.folder = info.path;
        for (std::uint32_t index : members[folder]) {
            RawRow& raw = raw_[index];
            PlaylistItem& file = rows.emplace_back();
            file.indent = info.indent;
            file.title = std::move(raw.name);
            file.path = std::move(raw.path);
            file.folder = info.path;
        }
    }

    // File counts: a heading counts the file rows after it up to the first heading that
    // is not deeper than itself, so deeper headings' files count for it too. The open
    // headings form a stack of strictly growing indents.
    struct Open {
        std::size_t row;
        std::int32_t filesBefore;
    };
    std::vector<Open> open;
    std::int32_t files = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!rows[i].isFolder) {
            ++files;
            continue;
        }
        while (!open.empty() && rows[open.back().row].indent >= rows[i].indent) {
            rows[open.back().row].fileCount = files - open.back().filesBefore;
            open.pop_back();
        }
        open.push_back({i, files});
    }
    for (const Open& heading : open)
        rows[heading.row].fileCount = files - heading.filesBefore;

    std::deque<PlaylistItem> result;
    for (PlaylistItem& row : rows)
        if (!row.isFolder || row.fileCount > 0) result.push_back(std::move(row));

    raw_.clear();
    folders_.clear();
    folderIds_.clear();
    return result;
}

}  // namespace hgf
