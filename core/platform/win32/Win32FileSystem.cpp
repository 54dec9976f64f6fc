// The file system through the wide-character functions (FindFirstFileW, CreateFileW, ...):
// paths are converted from code page 932 explicitly, never through the system's ANSI code
// page, and names that code page 932 cannot spell are given by their short (8.3) names.
#include "platform/win32/Win32FileSystem.h"

#include <windows.h>

#include "platform/CodePage932.h"
#include "platform/win32/WideText.h"

namespace hgf {
namespace {

CodePage932Text CodePage932TextFromWide(const wchar_t* text) {
    return CodePage932TextFromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(text)));
}

class FindEnumeration final : public DirectoryEnumeration {
  public:
    FindEnumeration(HANDLE find, const WIN32_FIND_DATAW& first) : find_(find), data_(first) {}
    ~FindEnumeration() override { FindClose(find_); }

    bool Next(DirectoryEntry& entry) override {
        if (!pending_ && !FindNextFileW(find_, &data_)) return false;
        pending_ = false;
        CodePage932Text name = CodePage932TextFromWide(data_.cFileName);
        entry.title.clear();
        entry.unplayable = false;
        if (!name.lossless) {
            // The short name opens the file and converts without loss (it is plain ASCII
            // where the volume makes it); the long name, with "?" marks, is its title.
            CodePage932Text alternate = CodePage932TextFromWide(data_.cAlternateFileName);
            entry.title = std::move(name.text);
            if (!alternate.text.empty() && alternate.lossless) {
                name.text = std::move(alternate.text);
            } else {
                name.text = entry.title;
                entry.unplayable = true;
            }
        }
        entry.name = std::move(name.text);
        entry.isDirectory = (data_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.isLink = (data_.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        return true;
    }

  private:
    HANDLE find_;
    WIN32_FIND_DATAW data_;
    bool pending_ = true;  // the entry FindFirstFileW returned has not been handed out
};

class HandleInput final : public InputFile {
  public:
    explicit HandleInput(HANDLE file) : file_(file) {}
    ~HandleInput() override { CloseHandle(file_); }

    std::size_t Read(void* buffer, std::size_t size) override {
        DWORD got = 0;
        DWORD want = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        if (!ReadFile(file_, buffer, want, &got, nullptr)) {
            error_ = true;
            return 0;
        }
        return got;
    }
    bool HasError() const override { return error_; }
    std::optional<std::uint64_t> Size() override {
        LARGE_INTEGER size;
        if (!GetFileSizeEx(file_, &size)) return std::nullopt;
        return static_cast<std::uint64_t>(size.QuadPart);
    }
    bool Seek(std::uint64_t offset) override {
        LARGE_INTEGER distance;
        distance.QuadPart = static_cast<LONGLONG>(offset);
        return offset <= 0x7FFFFFFFFFFFFFFFull &&
               SetFilePointerEx(file_, distance, nullptr, FILE_BEGIN) != 0;
    }

  private:
    HANDLE file_;
    bool error_ = false;
};

class HandleOutput final : public OutputFile {
  public:
    explicit HandleOutput(HANDLE file) : file_(file) {}
    ~HandleOutput() override { Close(); }

    bool Write(const void* data, std::size_t size) override {
        const char* bytes = static_cast<const char*>(data);
        while (size > 0 && ok_ && file_ != INVALID_HANDLE_VALUE) {
            DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
            DWORD written = 0;
            if (!WriteFile(file_, bytes, chunk, &written, nullptr) || written != chunk) ok_ = false;
            bytes += written;
            size -= written;
        }
        return ok_ && size == 0;
    }

    bool Close() override {
        if (file_ != INVALID_HANDLE_VALUE) {
            if (!FlushFileBuffers(file_)) ok_ = false;
            if (!CloseHandle(file_)) ok_ = false;
            file_ = INVALID_HANDLE_VALUE;
        }
        return ok_;
    }

  private:
    HANDLE file_;
    bool ok_ = true;
};

}  // namespace

std::optional<FileAttributes> Win32FileSystem::GetAttributes(const std::string& path) {
    DWORD attributes = GetFileAttributesW(WideFromCodePage932(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return FileAttributes{(attributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
}

std::unique_ptr<DirectoryEnumeration> Win32FileSystem::Enumerate(const std::string& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(WideFromCodePage932(folder + "\\*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<FindEnumeration>(find, data);
}

std::unique_ptr<InputFile> Win32FileSystem::OpenRead(const std::string& path) {
    HANDLE file = CreateFileW(WideFromCodePage932(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<HandleInput>(file);
}

std::unique_ptr<OutputFile> Win32FileSystem::Create(const std::string& path) {
    HANDLE file = CreateFileW(WideFromCodePage932(path).c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<HandleOutput>(file);
}

bool Win32FileSystem::Replace(const std::string& source, const std::string& target) {
    return MoveFileExW(WideFromCodePage932(source).c_str(), WideFromCodePage932(target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool Win32FileSystem::Remove(const std::string& path) {
    return DeleteFileW(WideFromCodePage932(path).c_str()) != 0;
}

std::optional<std::string> Win32FileSystem::CodePage932PathThatOpens(std::u16string_view path) {
    CodePage932Text direct = CodePage932TextFromUtf16(path);
    if (direct.lossless) return std::move(direct.text);
    const std::wstring wide(path.begin(), path.end());
    std::wstring shortPath(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD length =
            GetShortPathNameW(wide.c_str(), shortPath.data(), static_cast<DWORD>(shortPath.size()));
        if (length == 0) return std::nullopt;  // no such file
        if (length < shortPath.size()) {
            shortPath.resize(length);
            CodePage932Text converted = CodePage932TextFromUtf16(std::u16string_view(
                reinterpret_cast<const char16_t*>(shortPath.data()), shortPath.size()));
            if (!converted.lossless) return std::nullopt;  // the volume keeps no short name
            return std::move(converted.text);
        }
        shortPath.assign(length, L'\0');  // the size it asked for, terminator included
    }
    return std::nullopt;
}

std::string Win32FileSystem::LongNameOf(const std::string& path) {
    const std::size_t separator = path.find_last_of('\\');
    const std::string lastName = separator == std::string::npos ? path : path.substr(separator + 1);
    if (lastName.empty() || lastName.find('~') == std::string::npos) return {};
    const std::wstring wide = WideFromCodePage932(path);
    std::wstring longPath(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD length =
            GetLongPathNameW(wide.c_str(), longPath.data(), static_cast<DWORD>(longPath.size()));
        if (length == 0) return {};
        if (length < longPath.size()) {
            longPath.resize(length);
            const std::size_t start = longPath.find_last_of(L"\\/");
            const std::wstring longName =
                start == std::wstring::npos ? longPath : longPath.substr(start + 1);
            std::string name = CodePage932TextFromWide(longName.c_str()).text;
            return name == lastName ? std::string() : name;
        }
        longPath.assign(length, L'\0');  // the size it asked for, terminator included
    }
    return {};
}

Win32FileSystem& TheWin32FileSystem() {
    static Win32FileSystem fileSystem;
    return fileSystem;
}

}  // namespace hgf
