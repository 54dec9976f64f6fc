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
    void Remove(const std::string& path);
    // The folder exists but cannot be enumerated (access denied).
    void DenyFolder(const std::string& path);
    // The entry is listed as a link (a junction or symbolic link).
    void MarkLink(const std::string& path);
    // Files can no longer be created (a read-only medium).
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    // The file exists but cannot be opened.
    void LockFile(const std::string& path);

    std::optional<std::string> Contents(const std::string& path) const;
    int OpenFileCount() const { return openFiles_; }

    std::optional<FileAttributes> GetAttributes(const std::string& path) override;
    std::unique_ptr<DirectoryEnumeration> Enumerate(const std::string& folder) override;
    std::unique_ptr<InputFile> OpenRead(const std::string& path) override;
    std::unique_ptr<OutputFile> Create(const std::string& path) override;

  private:
    struct Node;
    friend class MemoryInput;
    friend class MemoryOutput;
    Node* Find(const std::string& path) const;
    Node* MakeFolder(const std::vector<std::string>& components);

    std::unique_ptr<Node> root_;
    bool readOnly_ = false;
    int openFiles_ = 0;
};

}  // namespace hgf::test
