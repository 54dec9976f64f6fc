// VBMP3.dll, bound from the program's folder at its first use: its twelve functions looked
// up by name (and seek and getPosition, which a library may lack). Without the DLL, or
// without one of the twelve names, the library stays absent for the life of the object and
// MP3 files go on to the next engine. Releasing the object frees the library's playback and
// unloads it.
#pragma once

#include <windows.h>

#include <mutex>

#include "engines/Vbmp3Engine.h"

namespace hgf {

class Vbmp3Library {
  public:
    Vbmp3Library() = default;  // binds nothing yet
    // Frees the playback and unloads the library; the engine and the title reader that
    // use it have stopped.
    ~Vbmp3Library();
    Vbmp3Library(const Vbmp3Library&) = delete;
    Vbmp3Library& operator=(const Vbmp3Library&) = delete;

    // The functions, the DLL loaded at the first call; null while it is absent. Safe from
    // several threads (the main thread and the title reader).
    const Vbmp3Functions* Functions();
    // Functions, for the engine.
    Vbmp3Binding Binding() {
        return [this] { return Functions(); };
    }

  private:
    std::once_flag bound_;
    HMODULE module_ = nullptr;    // written once, inside bound_
    Vbmp3Functions functions_{};  // complete while module_ is set
};

}  // namespace hgf
