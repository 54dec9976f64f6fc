// Writes the seed files of the FLAC and Opus fuzzer into the folder given: short FLAC,
// Ogg FLAC and Opus files of several layouts, made with the test tone encoders.
// Usage: make_flac_opus_seeds <folder>
#include <filesystem>
#include <fstream>
#include <string>

#include "StreamTestFiles.h"

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    using hgf::test::PcmToneOptions;
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    auto write = [&](const char* name, const std::string& bytes) {
        std::ofstream(folder / name, std::ios::binary) << bytes;
    };
    const PcmToneOptions stereo{.channels = 2, .rate = 8000, .seconds = 0.3, .title = "seed"};
    write("stereo.flac", hgf::test::EncodeFlac(stereo));
    write("stereo.oga", hgf::test::EncodeFlac(stereo, true));
    write("deep.flac",
          hgf::test::EncodeFlac({.channels = 1, .rate = 8000, .bits = 24, .seconds = 0.2}));
    write("six.flac", hgf::test::EncodeFlac({.channels = 6, .rate = 8000, .seconds = 0.1}));
    write("stereo.opus", hgf::test::EncodeOpus({.channels = 2, .seconds = 0.2, .title = "seed"}));
    write("mono.opus", hgf::test::EncodeOpus({.channels = 1, .seconds = 0.1}, -256));
    write("six.opus", hgf::test::EncodeOpus({.channels = 6, .seconds = 0.1}));
    return 0;
}
