// The file system through the Win32 wide-character functions (paths in code page 932).
#pragma once

#include "platform/FileSystem.h"

namespace hgf {

class Win32FileSystem final : public FileSystem {
  public:
    std::optional<FileAttributes> GetAttributes(const std::string& path) override;
    std::unique_ptr<DirectoryEnumeration> Enumerate(const std::string& folder) override;
    std::unique_ptr<InputFile> OpenRead(const std::string& path) override;
    std::unique_ptr<OutputFile> Create(const std::string& path) override;
    bool Replace(const std::string& source, const std::string& target) override;
    bool Remove(const std::string& path) override;
    std::optional<std::string> CodePage932PathThatOpens(std::u16string_view path) override;
    std::string LongNameOf(const std::string& path) override;
};

// The process-wide instance.
Win32FileSystem& TheWin32FileSystem();

}  // namespace hgf
