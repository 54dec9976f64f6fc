// The file system of a POSIX host (native builds: benchmarks and tools). Windows
// separators in paths are taken as "/", so the core's "\\"-joined paths work as they are.
#pragma once

#include "platform/FileSystem.h"

namespace hgf {

class PosixFileSystem final : public FileSystem {
  public:
    std::optional<FileAttributes> GetAttributes(const std::string& path) override;
    std::unique_ptr<DirectoryEnumeration> Enumerate(const std::string& folder) override;
    std::unique_ptr<InputFile> OpenRead(const std::string& path) override;
    std::unique_ptr<OutputFile> Create(const std::string& path) override;
    bool Replace(const std::string& source, const std::string& target) override;
    bool Remove(const std::string& path) override;
    std::optional<std::string> CodePage932PathThatOpens(std::u16string_view path) override;

    // `path` with every "\\" turned into "/".
    static std::string ToHostPath(const std::string& path);
};

}  // namespace hgf
