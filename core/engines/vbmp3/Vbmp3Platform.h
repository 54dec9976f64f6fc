// What the MP3 library needs from the platform: files, the waveform output and the
// code page 932 conversion. The core installs them before the first call (tests install
// fakes); until then vbmp3_open and vbmp3_getFileTagInfo fail.
#pragma once

#include "engines/WaveOutput.h"
#include "engines/vbmp3/Id3Tags.h"
#include "platform/FileSystem.h"

namespace hgf::vbmp3 {

struct Platform {
    FileSystem* files = nullptr;
    WaveOutput* output = nullptr;
    CodePage932Converter toCodePage932 = nullptr;
};

// Frees the library's playback (as vbmp3_free), then makes `platform` the services of the
// library. The objects must outlive their installation; no other call may run meanwhile.
// Installing Platform{} uninstalls.
void InstallPlatform(const Platform& platform);

// Installs a platform for its lifetime.
class PlatformInstallation {
  public:
    explicit PlatformInstallation(const Platform& platform) { InstallPlatform(platform); }
    ~PlatformInstallation() { InstallPlatform({}); }
    PlatformInstallation(const PlatformInstallation&) = delete;
    PlatformInstallation& operator=(const PlatformInstallation&) = delete;
};

}  // namespace hgf::vbmp3
