#include "win32/Win32ConversionFiles.h"

#include <windows.h>

#include <string>

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

// A code-page-932 path (the callers' text) as the wide-character functions take it, never
// read through the system's ANSI code page; empty when it is no code-page-932 text.
std::wstring WidePath(const std::string& path) {
    if (path.empty() || path.size() > 0x7FFFFFFF) return {};
    const int length = static_cast<int>(path.size());
    const int units =
        MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, path.data(), length, nullptr, 0);
    if (units <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, path.data(), length, wide.data(), units);
    return wide;
}

HANDLE OpenForReading(const std::string& path) {
    return CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN,
                       nullptr);
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
        } else if (IsDBCSLeadByteEx(932, static_cast<BYTE>(path[at]))) {
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
    const std::wstring target = WidePath(path);
    if (target.empty()) return false;
    // GetTempFileName creates the file, with a name no other writer holds.
    wchar_t temporary[MAX_PATH] = L"";
    if (!GetTempFileNameW(WidePath(FolderOf(path)).c_str(), L"smf", 0, temporary)) return false;
    FileHandle file(CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    const bool written =
        file.IsOpen() && WriteAll(file.Get(), bytes) && FlushFileBuffers(file.Get()) &&
        file.Close() &&
        MoveFileExW(temporary, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!written) {
        file.Close();
        DeleteFileW(temporary);
    }
    return written;
}

}  // namespace smfconverter
