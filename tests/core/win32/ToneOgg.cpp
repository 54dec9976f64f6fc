#include "ToneOgg.h"

#include <fstream>

#include "OggTestFiles.h"

namespace hgf::test {

bool WriteToneOgg(const std::string& path, double frequency, double seconds) {
    ToneOptions options;
    options.seconds = seconds;
    options.frequency = frequency;
    options.quality = 0.3f;
    const std::string bytes = EncodeTone(options);
    if (bytes.empty()) return false;
    std::ofstream file(path, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file.flush());
}

}  // namespace hgf::test
