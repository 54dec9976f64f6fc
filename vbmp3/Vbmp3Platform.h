// What the MP3 library needs from the platform: files, the waveform output and the
// code page 932 conversion. The library uses the system's own (SystemPlatform) unless
// others are installed (tests and tools install fakes or devices of their own).
#pragma once

#include "Id3Tags.h"
#include "engines/WaveOutput.h"
#include "platform/FileSystem.h"

namespace hgf::vbmp3 {

struct Platform {
    FileSystem* files = nullptr;
    WaveOutput* output = nullptr;
    CodePage932Converter toCodePage932 = nullptr;
};

// The running system's services, made at the first call (never when the library is
// loaded) and kept until it is unloaded. A system without a sound device gives no output.
Platform SystemPlatform();

// Frees the library's playback (as vbmp3_free), then makes `platform` the services of the
// library. The objects must outlive their installation; no other call may run meanwhile.
// Installing Platform{} goes back to the system's services.
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
