// The library's services on other systems (native builds): files and the code page
// conversion, but no sound device, so tags can be read and nothing opens for playing.
#include "Vbmp3Platform.h"
#include "platform/CodePage932.h"
#include "platform/posix/PosixFileSystem.h"

namespace hgf::vbmp3 {

Platform SystemPlatform() {
    static PosixFileSystem files;
    return Platform{&files, nullptr, &CodePage932FromUtf16};
}

}  // namespace hgf::vbmp3
