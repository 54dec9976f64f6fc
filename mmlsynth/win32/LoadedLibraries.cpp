// The list of libraries loaded at run time.
#include "win32/LoadedLibraries.h"

#include "output/Error.h"
#include "win32/Messages.h"

namespace tonwerkel {

FARPROC LoadedLibraries::Function(const char* library, const char* function) {
    std::string key(library);
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    auto found = modules_.find(key);
    if (found == modules_.end()) {
        HMODULE module = LoadLibraryA(library);
        if (!module) throw Error::Format(kCannotLoad, library);
        found = modules_.emplace(key, module).first;
    }
    FARPROC address = GetProcAddress(found->second, function);
    if (!address) throw Error::Format(kCannotLoad, library);
    return address;
}

void LoadedLibraries::ReleaseAll() {
    for (auto& [name, module] : modules_)
        FreeLibrary(module);
    modules_.clear();
}

namespace {
// Its destructor frees no library: releasing belongs to the library's unload. At namespace
// scope, not inside Libraries(): see g_writeObserver in DirectSound.cpp.
LoadedLibraries g_libraries;
}  // namespace

LoadedLibraries& Libraries() {
    return g_libraries;
}

}  // namespace tonwerkel
