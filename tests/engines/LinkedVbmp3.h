// The functions of the MP3 library linked into a test program, as the engine calls them
// (the player binds VBMP3.dll instead).
#pragma once

#include "engines/Vbmp3Engine.h"
#include "vbmp3.h"

namespace hgf::test {

inline const Vbmp3Functions& LinkedVbmp3Functions() {
    static const Vbmp3Functions functions = {
        vbmp3_init, vbmp3_open,           vbmp3_callback, vbmp3_setSoftVolume, vbmp3_reload,
        vbmp3_play, vbmp3_pause,          vbmp3_restart,  vbmp3_close,         vbmp3_stopCallback,
        vbmp3_free, vbmp3_getFileTagInfo, vbmp3_seek,     vbmp3_getPosition};
    return functions;
}

inline Vbmp3Binding LinkedVbmp3() {
    return [] { return &LinkedVbmp3Functions(); };
}

}  // namespace hgf::test
