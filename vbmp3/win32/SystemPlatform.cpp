// The library's services on Windows: the system's files and code page tables, and one
// waveOut device, made at the first call that asks for them.
#include "Vbmp3Platform.h"
#include "engines/win32/WinWaveOutput.h"
#include "platform/CodePage932.h"
#include "platform/win32/Win32FileSystem.h"

namespace hgf::vbmp3 {

Platform SystemPlatform() {
    static WinWaveOutput output;
    return Platform{&TheWin32FileSystem(), &output, &CodePage932FromUtf16};
}

}  // namespace hgf::vbmp3
