// Texts read from a file's tags, made fit to be a row's title: one line of code page 932
// text of bounded length. The MP3 tags and the Vorbis comments follow the same rules.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace hgf {

// Bytes a title from a tag keeps at most.
constexpr std::size_t kMaxTagTitleBytes = 255;

// Control characters become spaces (a title is one line of a playlist file); trailing
// spaces go.
std::string TidyTagText(std::string text);

// `text` cut to at most `maxBytes` bytes without splitting a double-byte character; an
// unfinished double-byte character at the end is dropped as well.
std::string CutShiftJis(std::string_view text, std::size_t maxBytes);

}  // namespace hgf
