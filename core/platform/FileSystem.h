// File-system services that the portable core needs: attributes, directory
// enumeration, and byte streams. Paths are Windows paths in code page 932.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace hgf {

struct FileAttributes {
    bool isDirectory = false;
};

struct DirectoryEntry {
    std::string name;  // file or folder name without its path, as it opens in code page 932
    bool isDirectory = false;
    bool isLink = false;  // a symbolic link or junction: its target may lie anywhere, even above
    // The name as the user knows it where `name` differs from it (`name` is then the short
    // 8.3 name of a name that code page 932 cannot spell), with "?" for each character code
    // page 932 lacks; else empty.
    std::string title;
    bool unplayable = false;  // no short name either: `name` (the title) opens nothing
};

// One open directory enumeration, in the order the file system returns entries
// ("." and ".." included where the platform reports them).
class DirectoryEnumeration {
  public:
    virtual ~DirectoryEnumeration() = default;
    // Fills `entry` with the next entry; false at the end.
    virtual bool Next(DirectoryEntry& entry) = 0;
};

class InputFile {
  public:
    virtual ~InputFile() = default;
    // Reads up to `size` bytes; returns the count read (0 at the end or on error).
    virtual std::size_t Read(void* buffer, std::size_t size) = 0;
    // True once a read has failed for another reason than the end of the file.
    virtual bool HasError() const = 0;
    // The file's size in bytes, or nothing when it cannot be told.
    virtual std::optional<std::uint64_t> Size() { return std::nullopt; }
    // Moves the read position to `offset` bytes from the start (past the end, reads return
    // nothing); false when the file cannot seek.
    virtual bool Seek(std::uint64_t offset) { return false; }
};

class OutputFile {
  public:
    virtual ~OutputFile() = default;
    // Writes all `size` bytes; false when the file could not take them.
    virtual bool Write(const void* data, std::size_t size) = 0;
    // Flushes the data to the medium (not only into the system's cache) and closes; false
    // when data could not be written. Also run by the destructor.
    virtual bool Close() = 0;
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // The attributes of `path`, or nothing when the platform cannot tell them
    // (the path does not exist or cannot be reached).
    virtual std::optional<FileAttributes> GetAttributes(const std::string& path) = 0;
    // Enumerates the folder `folder` (the platform's search of folder + "\\*.*");
    // null when the folder cannot be opened.
    virtual std::unique_ptr<DirectoryEnumeration> Enumerate(const std::string& folder) = 0;
    // Opens an existing file for reading (binary); null when it cannot be opened.
    virtual std::unique_ptr<InputFile> OpenRead(const std::string& path) = 0;
    // Creates or truncates a file for writing (binary); null when it cannot be created.
    virtual std::unique_ptr<OutputFile> Create(const std::string& path) = 0;
    // Puts the closed file `source` in the place of `target` in one step, replacing a file
    // `target` that exists; false (and both left as they were) when it cannot.
    virtual bool Replace(const std::string& source, const std::string& target) = 0;
    // Deletes the file `path`; false when it cannot.
    virtual bool Remove(const std::string& path) = 0;
    // The code-page-932 path that opens the file or folder `path` (a full path in UTF-16):
    // `path` itself when every character has a code-page-932 form of its own; otherwise the
    // short (8.3) path the file system keeps for it, when the file exists and that path
    // converts without loss; otherwise nothing (no such file, or a volume without short
    // names).
    virtual std::optional<std::string> CodePage932PathThatOpens(std::u16string_view path) = 0;
    // The long name of the file or folder `path` where its last component is a short (8.3)
    // name, in code page 932 with "?" for each character it lacks; else empty.
    virtual std::string LongNameOf(const std::string& path) { return {}; }
};

}  // namespace hgf
