// The title, artist and album stored in a file's ID3 tags: the ID3v2 tag at the start
// (versions 2.2, 2.3 and 2.4) and the ID3v1 tag in the last 128 bytes. Texts come out in
// code page 932: ISO-8859-1 fields are taken byte for byte (files of this kind hold
// Shift_JIS there), UTF-16 and UTF-8 fields are converted.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engines/TagText.h"
#include "platform/FileSystem.h"

namespace hgf::vbmp3 {

struct TagTexts {
    std::string title;
    std::string artist;
    std::string album;
};

// UTF-16 text as code page 932 (the platform's conversion).
using CodePage932Converter = std::string (*)(std::u16string_view text);

// Reads both tags of `file`. Each text comes from the ID3v2 tag, or from the ID3v1 tag
// when the ID3v2 tag lacks it or leaves it empty. Control characters become spaces.
// Nothing when the file has neither tag.
std::optional<TagTexts> ReadTags(InputFile& file, CodePage932Converter toCodePage932);

using hgf::CutShiftJis;

}  // namespace hgf::vbmp3
