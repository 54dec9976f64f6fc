#include "win32/Win32ConversionFiles.h"

#include <windows.h>

namespace smfconverter {
namespace {

constexpr DWORD kMaxChunk = 1 << 20;  // bytes per ReadFile or WriteFile call

class FileHandle {
  public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    bool Close() {
        if (!IsOpen()) return true;
        const bool closed = CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

  private:
    HANDLE handle_;
};

HANDLE OpenForReading(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

// Reads exactly `size` bytes.
bool ReadExactly(HANDLE file, std::uint8_t* bytes, std::size_t size) {
    while (size > 0) {
        DWORD read = 0;
        const DWORD want = size > kMaxChunk ? kMaxChunk : static_cast<DWORD>(size);
        if (!ReadFile(file, bytes, want, &read, nullptr) || read == 0) return false;
        bytes += read;
        size -= read;
    }
    return true;
}

bool WriteAll(HANDLE file, Bytes bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD want = bytes.size() > kMaxChunk ? kMaxChunk : static_cast<DWORD>(bytes.size());
        if (!WriteFile(file, bytes.data(), want, &written, nullptr) || written == 0) return false;
        bytes = bytes.subspan(written);
    }
    return true;
}

// The folder part of `path` ("." when it has none). A "\" byte may be the second byte of
// a double-byte character, so the path is walked character by character.
std::string FolderOf(const std::string& path) {
    std::size_t end = std::string::npos;
    for (std::size_t at = 0; at < path.size(); ++at) {
        if (path[at] == '\\' || path[at] == '/') {
            end = at;
        } else if (IsDBCSLeadByte(static_cast<BYTE>(path[at]))) {
            ++at;
        }
    }
    if (end == std::string::npos) return ".";
    return path.substr(0, end == 0 || path[end - 1] == ':' ? end + 1 : end);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> Win32ConversionFiles::ReadStart(const std::string& path,
                                                                         std::size_t count) {
    FileHandle file(OpenForReading(path));
    if (!file.IsOpen()) return std::nullopt;
    std::vector<std::uint8_t> bytes(count);
    DWORD read = 0;
    if (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(count), &read, nullptr))
        return std::nullopt;
    bytes.resize(read);
    return bytes;
}

std::optional<std::vector<std::uint8_t>> Win32ConversionFiles::ReadAll(const std::string& path,
                                                                       std::size_t limit) {
    FileHandle file(OpenForReading(path));
    LARGE_INTEGER size{};
    if (!file.IsOpen() || !GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
        static_cast<std::uint64_t>(size.QuadPart) > limit) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    if (!ReadExactly(file.Get(), bytes.data(), bytes.size())) return std::nullopt;
    return bytes;
}

bool Win32ConversionFiles::Replace(const std::string& path, Bytes bytes) {
    // GetTempFileName creates the file, with a name no other writer holds.
    char temporary[MAX_PATH] = "";
    if (!GetTempFileNameA(FolderOf(path).c_str(), "smf", 0, temporary)) return false;
    FileHandle file(CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    const bool written =
        file.IsOpen() && WriteAll(file.Get(), bytes) && FlushFileBuffers(file.Get()) &&
        file.Close() &&
        MoveFileExA(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!written) {
        file.Close();
        DeleteFileA(temporary);
    }
    return written;
}

}  // namespace smfconverter
