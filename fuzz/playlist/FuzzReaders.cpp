// One libFuzzer target per playlist reader (the reader is chosen at build time by
// HGF_FUZZ_SUFFIX). Every list read is also saved in all three formats; a .spl list must
// read back into the same rows, with line-ending bytes in its texts written as spaces.
#include <cstdint>
#include <cstdlib>

#include "OneFileSystem.h"
#include "platform/Clock.h"
#include "playlist/PlaylistFiles.h"
#include "playlist/PlaylistReaders.h"
#include "playlist/PlaylistWriters.h"

namespace {

class FixedClock final : public hgf::Clock {
  public:
    std::int64_t NowSeconds() override { return 0; }
    hgf::LocalTime NowUtc() override { return {2001, 2, 3, 4, 5}; }
    hgf::LocalTime NowLocal() override { return {2001, 2, 3, 4, 5}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    hgf::fuzz::OneFileSystem fs;
    const std::string source = std::string("C:\\list") + HGF_FUZZ_SUFFIX;
    fs.files[source].assign(reinterpret_cast<const char*>(data), size);

    std::deque<hgf::PlaylistItem> items;
    hgf::ReadPlaylistFile(fs, source, items);

    FixedClock clock;
    hgf::SaveList(fs, clock, "C:\\out.m3u", items);
    hgf::SaveList(fs, clock, "C:\\out.htm", items);
    if (hgf::SaveList(fs, clock, "C:\\out.spl", items) != hgf::SaveResult::kSaved) std::abort();
    if (fs.files.size() != 4) std::abort();  // the list and the three saved files, nothing beside
    std::deque<hgf::PlaylistItem> back;
    if (!hgf::ReadSpl(fs, "C:\\out.spl", back) || back.size() != items.size()) std::abort();
    for (std::size_t i = 0; i < items.size(); ++i) {
        hgf::PlaylistItem expected;
        expected.path = items[i].path;
        expected.title = items[i].title;
        for (std::string* text : {&expected.path, &expected.title}) {
            for (char& c : *text) {
                if (c == '\0' || c == '\r' || c == '\n' || c == '\x1A') c = ' ';
            }
        }
        expected.isFolder = items[i].isFolder;
        expected.indent = items[i].indent;
        if (!(back[i] == expected)) std::abort();
    }
    return 0;
}
