// hgf_demo_music <folder>: writes the demo tunes as Ogg Vorbis files into <folder>
// (created when missing), with sub-folders as the tunes name them.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "DemoTunes.h"
#include "OggVorbisWriter.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    namespace fs = std::filesystem;
    const fs::path root(argv[1]);
    for (const hgf::demo::Tune& tune : hgf::demo::DemoTunes()) {
        const fs::path folder = tune.folder.empty() ? root : root / tune.folder;
        std::error_code error;
        fs::create_directories(folder, error);
        const fs::path file = folder / tune.file;
        const hgf::demo::VorbisTags tags{tune.title, "Harrowgladeforte demo", "Demo tunes"};
        if (!hgf::demo::WriteOggVorbis(file.string(), hgf::demo::Render(tune), hgf::demo::kChannels,
                                       hgf::demo::kSampleRate, tags)) {
            std::fprintf(stderr, "cannot write %s\n", file.string().c_str());
            return 1;
        }
        std::printf("%s\n", file.string().c_str());
    }
    return 0;
}
