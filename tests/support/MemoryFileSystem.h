// An in-memory file system with Windows path rules (case-blind ASCII names, "\\"
// separators, repeated separators folded, "." and ".." listed in sub-folders), for tests.
// Entries are enumerated in the order they were added, so tests choose the order.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace hgf::test {

class MemoryFileSystem final : public FileSystem {
  public:
    MemoryFileSystem();
    ~MemoryFileSystem() override;

    // Adds a folder (and any missing parents). The first component is a drive
    // ("C:") or any other root name.
    void AddFolder(const std::string& path);
    // Adds or replaces a file (and any missing parent folders).
    void AddFile(const std::string& path, std::string contents = {});
    // The folder exists but cannot be enumerated (access denied).
    void DenyFolder(const std::string& path);
    // The entry is listed as a link (a junction or symbolic link).
    void MarkLink(const std::string& path);
    // Files can no longer be created (a read-only medium).
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    // The entry is listed as a name that code page 932 cannot spell: by `title`, and by its
    // own name as the short name that opens it (`opens`) or as a name that opens nothing.
    void ListAs(const std::string& path, std::string title, bool opens = true);
    // The file exists but cannot be opened.
    void LockFile(const std::string& path);
    // The medium takes only `bytes` more bytes: a write beyond them stores what fits and
    // fails, as on a full disk.
    void FailWritesAfter(std::size_t bytes) { room_ = bytes; }
    // Closing a written file reports that its data did not reach the medium.
    void FailClose(bool fail) { failClose_ = fail; }
    // Replace fails and leaves both files as they were.
    void FailReplace(bool fail) { failReplace_ = fail; }
    // Files opened from now on do not tell their size (they can still seek).
    void HideSizes(bool hide) { hideSizes_ = hide; }
    // The short path by which the file `longPath`, whose name code page 932 cannot spell,
    // opens (as a volume with short names keeps it).
    void AddShortPath(std::u16string longPath, std::string shortPath) {
        shortPaths_[std::move(longPath)] = std::move(shortPath);
    }

    std::optional<std::string> Contents(const std::string& path) const;
    int OpenFileCount() const { return openFiles_; }

    std::optional<FileAttributes> GetAttributes(const std::string& path) override;
    std::unique_ptr<DirectoryEnumeration> Enumerate(const std::string& folder) override;
    std::unique_ptr<InputFile> OpenRead(const std::string& path) override;
    std::unique_ptr<OutputFile> Create(const std::string& path) override;
    // Like the platform's, a file still open for writing can be neither moved nor removed.
    bool Replace(const std::string& source, const std::string& target) override;
    // Removes a file or a folder with everything in it.
    bool Remove(const std::string& path) override;
    // The path itself when it converts without loss, else a short path added before.
    std::optional<std::string> CodePage932PathThatOpens(std::u16string_view path) override;

  private:
    struct Node;
    friend class MemoryInput;
    friend class MemoryOutput;
    Node* Find(const std::string& path) const;
    // The folder that holds `path` (null when there is none), and the last component.
    Node* ParentOf(const std::string& path, std::string& name) const;
    Node* MakeFolder(const std::vector<std::string>& components);

    std::unique_ptr<Node> root_;
    bool readOnly_ = false;
    int openFiles_ = 0;
    std::optional<std::size_t> room_;  // bytes the medium still takes; none: no limit
    bool failClose_ = false;
    bool failReplace_ = false;
    bool hideSizes_ = false;
    std::map<std::u16string, std::string, std::less<>> shortPaths_;
};

}  // namespace hgf::test
