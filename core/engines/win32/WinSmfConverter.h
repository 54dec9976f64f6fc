// The SMF bridge: "SMFK32.dll" from the program's folder, loaded at the first conversion
// (never at the core's load: the core also runs inside other processes as the keyboard
// hook's module) and kept until this object goes. Its one function is found by ordinal 2.
// Without the library, nothing is converted and every item plays as it is.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "engines/Engines.h"

namespace hgf {

class WinSmfConverter final : public SmfConverter {
  public:
    // `libraryPath`: the library file; empty: "SMFK32.dll" beside the running program.
    explicit WinSmfConverter(std::string libraryPath = {});
    // Releases the library.
    ~WinSmfConverter() override;
    WinSmfConverter(const WinSmfConverter&) = delete;
    WinSmfConverter& operator=(const WinSmfConverter&) = delete;

    // The library's answer: -1 when it wrote `outputPath` to be played instead of the item;
    // 0 also when the library or its function is missing or a path is empty.
    int Convert(WindowHandle window, const std::string& itemPath, const std::string& outputPath,
                const std::string& configPath) override;
    // The running program's path with ".mid" appended; empty when that path is unknown.
    std::string OutputPath() override;

    bool IsLoaded() const { return library_ != nullptr; }

  private:
    // window, item, output, configuration, the configuration again, a 24-byte record, 0.
    using ConvertProc = std::int32_t(WINAPI*)(HWND, const char*, const char*, const char*,
                                              const char*, std::int32_t*, std::int32_t);

    // Loads the library and finds the function, unless that was done already.
    bool Bind();

    std::string libraryPath_;
    HMODULE library_ = nullptr;
    ConvertProc convert_ = nullptr;
};

}  // namespace hgf
