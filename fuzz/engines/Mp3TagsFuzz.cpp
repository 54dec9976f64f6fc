// Feeds arbitrary bytes to the tag reader as a file (its first byte chooses a file that
// can seek or one that cannot): every text must come out bounded, without control
// characters, and fit the tag record cut at a character boundary.
#include <cstddef>
#include <cstdint>

#include "Id3Tags.h"
#include "MemoryInput.h"
#include "platform/CodePage932.h"
#include "playlist/PathText.h"

namespace {

void Check(const std::string& text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20) __builtin_trap();
    const std::string cut = hgf::vbmp3::CutShiftJis(text, 255);
    if (cut.size() > 255 || text.compare(0, cut.size(), cut) != 0) __builtin_trap();
    // The cut never ends inside a double-byte character.
    std::size_t at = 0;
    while (at < cut.size())
        at += hgf::IsShiftJisLeadByte(static_cast<unsigned char>(cut[at])) ? 2 : 1;
    if (at != cut.size()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    hgf::fuzz::MemoryInput file(data + 1, size - 1, (data[0] & 1) == 0);
    std::optional<hgf::vbmp3::TagTexts> texts =
        hgf::vbmp3::ReadTags(file, &hgf::CodePage932FromUtf16);
    if (texts) {
        Check(texts->title);
        Check(texts->artist);
        Check(texts->album);
    }
    return 0;
}
