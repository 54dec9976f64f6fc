#include "engines/win32/WinSmfConverter.h"

#include <utility>

#include "platform/win32/ProgramFolder.h"

namespace hgf {
namespace {

constexpr char kLibraryName[] = "SMFK32.dll";
constexpr WORD kConvertOrdinal = 2;
constexpr int kRecordWords = 6;  // zero-filled for the library, not read afterwards

}  // namespace

WinSmfConverter::WinSmfConverter(std::string libraryPath) : libraryPath_(std::move(libraryPath)) {}

WinSmfConverter::~WinSmfConverter() {
    if (library_) FreeLibrary(library_);
}

bool WinSmfConverter::Bind() {
    if (convert_) return true;
    if (!library_) {
        const std::string path = libraryPath_.empty() ? BesideProgram(kLibraryName) : libraryPath_;
        if (path.empty()) return false;
        // A missing library is looked for again at the next conversion.
        library_ = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (!library_) return false;
    }
    convert_ = reinterpret_cast<ConvertProc>(
        reinterpret_cast<void*>(GetProcAddress(library_, MAKEINTRESOURCEA(kConvertOrdinal))));
    return convert_ != nullptr;
}

int WinSmfConverter::Convert(WindowHandle window, const std::string& itemPath,
                             const std::string& outputPath, const std::string& configPath) {
    if (outputPath.empty() || configPath.empty() || !Bind()) return 0;
    std::int32_t record[kRecordWords] = {};
    return convert_(static_cast<HWND>(window), itemPath.c_str(), outputPath.c_str(),
                    configPath.c_str(), configPath.c_str(), record, 0);
}

std::string WinSmfConverter::OutputPath() {
    const std::string program = ProgramPath();
    return program.empty() ? program : program + ".mid";
}

}  // namespace hgf
