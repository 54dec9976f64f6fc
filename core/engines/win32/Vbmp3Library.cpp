#include "engines/win32/Vbmp3Library.h"

#include "platform/win32/ProgramFolder.h"

namespace hgf {
namespace {

constexpr char kLibraryName[] = "VBMP3.dll";

template <typename Function>
bool Bind(HMODULE module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return function != nullptr;
}

bool BindAll(HMODULE module, Vbmp3Functions& f) {
    return Bind(module, "vbmp3_init", f.init) && Bind(module, "vbmp3_open", f.open) &&
           Bind(module, "vbmp3_callback", f.callback) &&
           Bind(module, "vbmp3_setSoftVolume", f.setSoftVolume) &&
           Bind(module, "vbmp3_reload", f.reload) && Bind(module, "vbmp3_play", f.play) &&
           Bind(module, "vbmp3_pause", f.pause) && Bind(module, "vbmp3_restart", f.restart) &&
           Bind(module, "vbmp3_close", f.close) &&
           Bind(module, "vbmp3_stopCallback", f.stopCallback) &&
           Bind(module, "vbmp3_free", f.free) &&
           Bind(module, "vbmp3_getFileTagInfo", f.getFileTagInfo);
}

// The functions that a library may lack.
void BindOptional(HMODULE module, Vbmp3Functions& f) {
    Bind(module, "vbmp3_seek", f.seek);
    Bind(module, "vbmp3_getPosition", f.getPosition);
}

}  // namespace

Vbmp3Library::~Vbmp3Library() {
    if (!module_) return;
    functions_.stopCallback();
    functions_.free();
    FreeLibrary(module_);
}

const Vbmp3Functions* Vbmp3Library::Functions() {
    std::call_once(bound_, [this] {
        HMODULE module = LoadProgramFolderLibrary(kLibraryName);
        if (!module) return;
        if (!BindAll(module, functions_)) {
            functions_ = {};
            FreeLibrary(module);
            return;
        }
        BindOptional(module, functions_);
        module_ = module;
    });
    return module_ ? &functions_ : nullptr;
}

}  // namespace hgf
