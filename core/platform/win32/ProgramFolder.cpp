// The program's folder through the wide functions, so that a folder name outside the ANSI
// code page still loads our DLLs.
#include "platform/win32/ProgramFolder.h"

#include <optional>

#include "platform/win32/Win32FileSystem.h"

namespace hgf {
namespace {

constexpr DWORD kPathBufferSize = 520;  // bytes, ProgramPath
constexpr DWORD kLongestPath = 32768;   // characters, the terminator included

// The running program's folder with its final "\"; empty when it cannot be had.
std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        if (path.size() >= kLongestPath) return {};
        path.resize(path.size() * 2);  // cut short: try a larger buffer
    }
    std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
}

// `fileName` is a plain ASCII name such as "VBMP3.dll".
std::wstring Widened(const char* fileName) {
    return std::wstring(fileName, fileName + std::char_traits<char>::length(fileName));
}

}  // namespace

std::string AnsiCodePagePath(const std::wstring& path) {
    auto lossless = [](const wchar_t* text) -> std::string {
        BOOL lossy = FALSE;
        const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, nullptr, 0,
                                              nullptr, &lossy);
        if (bytes <= 1 || lossy) return {};
        std::string narrow(static_cast<std::size_t>(bytes), '\0');
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, narrow.data(), bytes, nullptr,
                            nullptr);
        narrow.resize(static_cast<std::size_t>(bytes) - 1);
        return narrow;
    };
    if (std::string narrow = lossless(path.c_str()); !narrow.empty()) return narrow;
    std::wstring shortPath(MAX_PATH, L'\0');
    const DWORD length =
        GetShortPathNameW(path.c_str(), shortPath.data(), static_cast<DWORD>(shortPath.size()));
    if (length == 0 || length >= shortPath.size()) return {};
    shortPath.resize(length);
    return lossless(shortPath.c_str());
}

std::string ProgramPath() {
    wchar_t module[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    const std::wstring path(module, length);
    std::optional<std::string> opening =
        TheWin32FileSystem().CodePage932PathThatOpens(std::u16string(path.begin(), path.end()));
    return opening && opening->size() < kPathBufferSize ? *opening : std::string();
}

HMODULE LoadProgramFolderLibrary(const char* fileName) {
    std::wstring folder = ProgramFolder();
    if (folder.empty()) return nullptr;
    std::wstring path = folder + Widened(fileName);
    // The loader's message boxes (a damaged file, a missing import) stay off for this call.
    DWORD previous = 0;
    BOOL quiet = SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous);
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (quiet) SetThreadErrorMode(previous, nullptr);
    return module;
}

}  // namespace hgf
