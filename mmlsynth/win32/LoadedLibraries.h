// Libraries loaded at run time, each once, keyed by lower-cased file name. They stay loaded
// until ReleaseAll, which the library calls when it is unloaded.
#pragma once

#include <windows.h>

#include <map>
#include <string>

namespace tonwerkel {

class LoadedLibraries {
  public:
    // Loads `library` if needed and looks up `function`; throws tonwerkel::Error
    // ("... を読み込めません") when either fails.
    FARPROC Function(const char* library, const char* function);
    void ReleaseAll();
    bool Empty() const { return modules_.empty(); }

  private:
    std::map<std::string, HMODULE> modules_;
};

// The process-wide list.
LoadedLibraries& Libraries();

}  // namespace tonwerkel
