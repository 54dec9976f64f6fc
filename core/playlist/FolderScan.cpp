// The folder scan: recursive enumeration, then path-order sorting, grouping under
// folder headings, file counts and removal of empty headings.
#include "playlist/FolderScan.h"

#include <algorithm>
#include <numeric>
#include <string_view>

#include "playlist/PathText.h"

namespace hgf {

FolderScan::FolderScan(FileSystem& fileSystem, FolderScanOptions options,
                       std::atomic<std::int32_t>& scanDepth, const std::atomic<bool>* cancel)
    : fileSystem_(fileSystem), options_(options), scanDepth_(scanDepth), cancel_(cancel) {}

std::deque<PlaylistItem> FolderScan::Run(const std::string& sourcePath) {
    scanDepth_ = -1;
    Clear();
    ScanFolder(sourcePath);
    if (Cancelled()) {
        Clear();
        return {};
    }
    return TakeRows();
}

void FolderScan::Clear() {
    folders_.clear();
    folderIds_.clear();
    rawRows_ = 0;
}

std::size_t FolderScan::EnterFolder(const std::string& path, const std::string& orderPath,
                                    const std::string& title, std::int32_t indent) {
    auto [it, added] = folderIds_.try_emplace(path, folders_.size());
    if (added) folders_.push_back({path, title, orderPath, indent, {}});
    ++rawRows_;  // its marker row
    return it->second;
}

bool FolderScan::ScanFolder(const std::string& folder) {
    // A folder given by its short path (one that code page 932 cannot spell) is headed and
    // ordered by its long name.
    const std::string title = fileSystem_.LongNameOf(folder);
    return ScanFolder(folder, folder, title);
}

bool FolderScan::ScanFolder(const std::string& folder, const std::string& orderPath,
                            const std::string& title) {
    const std::int32_t depth = ++scanDepth_;
    std::unique_ptr<DirectoryEnumeration> enumeration = fileSystem_.Enumerate(folder);
    if (!enumeration) {
        --scanDepth_;
        return false;
    }
    // An index, not a reference: entering sub-folders grows folders_.
    const std::size_t folderId = EnterFolder(folder, orderPath, title, depth);

    DirectoryEntry entry;
    while (!Cancelled() && enumeration->Next(entry)) {
        if (entry.isDirectory) {
            // "." and ".." are never rows, not even when every file is taken.
            if (entry.name == "." || entry.name == "..") continue;
            // A linked folder (junction, symbolic link) is not entered: it can lead back
            // up the tree, and a scan must end. Neither is one that no name opens.
            if (entry.isLink || entry.unplayable) continue;
            if (options_.includeSubFolders) {
                const std::string& shown = entry.title.empty() ? entry.name : entry.title;
                ScanFolder(folder + "\\" + entry.name, orderPath + "\\" + shown, entry.title);
            }
            continue;
        }
        // The suffix is the long name's: a short name keeps only three of its letters.
        const std::string& shown = entry.title.empty() ? entry.name : entry.title;
        if (!options_.allFiles && !HasAcceptedSuffix(shown)) continue;
        // A name listed twice is dropped after sorting; so is a file named ".", whose path
        // would be the folder's marker path.
        folders_[folderId].files.push_back(
            {std::move(entry.name), std::move(entry.title), entry.unplayable});
        ++rawRows_;
    }
    --scanDepth_;
    return true;
}

std::deque<PlaylistItem> FolderScan::TakeRows() {
    // Each folder's files in path order, exact duplicates (and ".") dropped. Equal keys
    // that differ in their bytes (case variants, on case-sensitive file systems) are
    // ordered by their bytes.
    std::string keys;
    std::vector<std::size_t> keyStart;
    std::vector<std::uint32_t> order;
    std::vector<File> sorted;
    for (Folder& folder : folders_) {
        const std::size_t count = folder.files.size();
        keys.clear();
        keyStart.assign(1, 0);
        for (const File& file : folder.files) {
            AppendPathOrderKey(keys, file.Shown());
            keyStart.push_back(keys.size());
        }
        auto key = [&](std::uint32_t i) {
            return std::string_view(keys).substr(keyStart[i], keyStart[i + 1] - keyStart[i]);
        };
        order.resize(count);
        std::iota(order.begin(), order.end(), 0u);
        std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
            int byKey = key(a).compare(key(b));
            if (byKey != 0) return byKey < 0;
            int byBytes = folder.files[a].Shown().compare(folder.files[b].Shown());
            if (byBytes == 0) byBytes = folder.files[a].name.compare(folder.files[b].name);
            return byBytes != 0 ? byBytes < 0 : a < b;
        });
        sorted.clear();
        for (std::uint32_t index : order) {
            File& file = folder.files[index];
            if (file.name == "." || (!sorted.empty() && sorted.back().name == file.name &&
                                     sorted.back().title == file.title))
                continue;
            sorted.push_back(std::move(file));
        }
        folder.files.swap(sorted);
    }

    // The headings in path order.
    std::vector<std::string> folderKeys(folders_.size());
    for (std::size_t i = 0; i < folders_.size(); ++i)
        folderKeys[i] = PathOrderKey(folders_[i].orderPath);
    std::vector<std::uint32_t> headings(folders_.size());
    std::iota(headings.begin(), headings.end(), 0u);
    std::sort(headings.begin(), headings.end(), [&](std::uint32_t a, std::uint32_t b) {
        int byKey = folderKeys[a].compare(folderKeys[b]);
        if (byKey != 0) return byKey < 0;
        int byBytes = folders_[a].path.compare(folders_[b].path);
        return byBytes != 0 ? byBytes < 0 : a < b;
    });

    // File counts: a heading counts the file rows after it up to the first heading that
    // is not deeper than itself, so deeper headings' files count for it too. The open
    // headings form a stack of strictly growing indents.
    struct Open {
        std::size_t heading;
        std::size_t filesBefore;
    };
    std::vector<Open> open;
    std::vector<std::size_t> fileCounts(headings.size());
    std::size_t files = 0;
    for (std::size_t i = 0; i < headings.size(); ++i) {
        const std::int32_t indent = folders_[headings[i]].indent;
        while (!open.empty() && folders_[headings[open.back().heading]].indent >= indent) {
            fileCounts[open.back().heading] = files - open.back().filesBefore;
            open.pop_back();
        }
        open.push_back({i, files});
        files += folders_[headings[i]].files.size();
    }
    for (const Open& heading : open)
        fileCounts[heading.heading] = files - heading.filesBefore;

    // The rows: each heading that counts a file, followed by its folder's files.
    std::deque<PlaylistItem> rows;
    for (std::size_t i = 0; i < headings.size(); ++i) {
        Folder& folder = folders_[headings[i]];
        if (fileCounts[i] == 0) continue;  // then it has no files of its own either
        PlaylistItem& heading = rows.emplace_back();
        heading.indent = folder.indent;
        heading.isFolder = 1;
        heading.played = 1;
        const std::size_t separator = FindLastBackslash(folder.path);
        if (!folder.title.empty())
            heading.title = std::move(folder.title);
        else
            heading.title =
                separator == std::string::npos ? folder.path : folder.path.substr(separator + 1);
        heading.path = folder.path;
        heading.folder = folder.path;
        heading.fileCount = static_cast<std::int32_t>(fileCounts[i]);
        for (File& scanned : folder.files) {
            PlaylistItem& file = rows.emplace_back();
            file.indent = folder.indent;
            file.unplayable = scanned.unplayable ? 1 : 0;
            file.path.reserve(folder.path.size() + 1 + scanned.name.size());
            file.path.append(folder.path).append(1, '\\').append(scanned.name);
            file.title = scanned.title.empty() ? std::move(scanned.name) : std::move(scanned.title);
            file.folder = folder.path;
        }
    }
    Clear();
    return rows;
}

}  // namespace hgf
