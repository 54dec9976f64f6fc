// opendir/readdir enumeration, stat attributes, stdio streams, rename and unlink.
#include "platform/posix/PosixFileSystem.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "platform/CodePage932.h"

namespace hgf {
namespace {

class DirEnumeration final : public DirectoryEnumeration {
  public:
    DirEnumeration(DIR* dir, std::string folder) : dir_(dir), folder_(std::move(folder)) {}
    ~DirEnumeration() override { closedir(dir_); }

    bool Next(DirectoryEntry& entry) override {
        dirent* found = readdir(dir_);
        if (!found) return false;
        entry.name = found->d_name;
        entry.title.clear();
        entry.unplayable = false;
        entry.isLink = found->d_type == DT_LNK;
        if (found->d_type == DT_DIR) {
            entry.isDirectory = true;
        } else if (found->d_type == DT_UNKNOWN || found->d_type == DT_LNK) {
            struct stat info;
            std::string full = folder_ + "/" + entry.name;
            entry.isDirectory = stat(full.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
            if (found->d_type == DT_UNKNOWN) {
                entry.isLink = lstat(full.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
            }
        } else {
            entry.isDirectory = false;
        }
        return true;
    }

  private:
    DIR* dir_;
    std::string folder_;
};

class StdioInput final : public InputFile {
  public:
    explicit StdioInput(std::FILE* file) : file_(file) {}
    ~StdioInput() override { std::fclose(file_); }
    std::size_t Read(void* buffer, std::size_t size) override {
        return std::fread(buffer, 1, size, file_);
    }
    bool HasError() const override { return std::ferror(file_) != 0; }
    std::optional<std::uint64_t> Size() override {
        struct stat status;
        if (fstat(fileno(file_), &status) != 0) return std::nullopt;
        return static_cast<std::uint64_t>(status.st_size);
    }
    bool Seek(std::uint64_t offset) override {
        return offset <= 0x7FFFFFFFFFFFFFFFull &&
               fseeko(file_, static_cast<off_t>(offset), SEEK_SET) == 0;
    }

  private:
    std::FILE* file_;
};

class StdioOutput final : public OutputFile {
  public:
    explicit StdioOutput(std::FILE* file) : file_(file) {}
    ~StdioOutput() override { Close(); }
    bool Write(const void* data, std::size_t size) override {
        if (!file_) return false;
        if (std::fwrite(data, 1, size, file_) != size) ok_ = false;
        return ok_;
    }
    bool Close() override {
        if (file_) {
            if (std::fflush(file_) != 0 || fsync(fileno(file_)) != 0) ok_ = false;
            if (std::fclose(file_) != 0) ok_ = false;
            file_ = nullptr;
        }
        return ok_;
    }

  private:
    std::FILE* file_;
    bool ok_ = true;
};

}  // namespace

std::string PosixFileSystem::ToHostPath(const std::string& path) {
    std::string host = path;
    for (char& c : host)
        if (c == '\\') c = '/';
    return host;
}

std::optional<FileAttributes> PosixFileSystem::GetAttributes(const std::string& path) {
    struct stat info;
    if (stat(ToHostPath(path).c_str(), &info) != 0) return std::nullopt;
    return FileAttributes{S_ISDIR(info.st_mode)};
}

std::unique_ptr<DirectoryEnumeration> PosixFileSystem::Enumerate(const std::string& folder) {
    std::string host = ToHostPath(folder);
    DIR* dir = opendir(host.c_str());
    if (!dir) return nullptr;
    return std::make_unique<DirEnumeration>(dir, std::move(host));
}

std::unique_ptr<InputFile> PosixFileSystem::OpenRead(const std::string& path) {
    std::string host = ToHostPath(path);
    struct stat info;
    if (stat(host.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return nullptr;
    std::FILE* file = std::fopen(host.c_str(), "rb");
    if (!file) return nullptr;
    return std::make_unique<StdioInput>(file);
}

std::unique_ptr<OutputFile> PosixFileSystem::Create(const std::string& path) {
    std::FILE* file = std::fopen(ToHostPath(path).c_str(), "wb");
    if (!file) return nullptr;
    return std::make_unique<StdioOutput>(file);
}

bool PosixFileSystem::Replace(const std::string& source, const std::string& target) {
    return std::rename(ToHostPath(source).c_str(), ToHostPath(target).c_str()) == 0;
}

bool PosixFileSystem::Remove(const std::string& path) {
    return unlink(ToHostPath(path).c_str()) == 0;
}

std::optional<std::string> PosixFileSystem::CodePage932PathThatOpens(std::u16string_view path) {
    // POSIX file systems keep no short names.
    CodePage932Text converted = CodePage932TextFromUtf16(path);
    if (!converted.lossless) return std::nullopt;
    return std::move(converted.text);
}

}  // namespace hgf
