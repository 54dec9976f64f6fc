// The three playlist writers. Each returns false at once when the last four characters of
// `path` are not its suffix (ASCII letter case ignored) or the file cannot be created;
// otherwise it writes the whole file in Shift_JIS with CR LF line ends, overwriting an
// existing one, and returns whether every byte reached the file.
#pragma once

#include <deque>
#include <string>

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "playlist/PlaylistItem.h"

namespace hgf {

// The footer link target of the .htm page: the product's home page.
inline constexpr const char* kHomePageAddress = "https://harrowgladeforte.example/";

// .spl: the header and comment block, then per row "0:" path, "1:" 1 or 0, "2:" title,
// "3:" indent and "@". Line breaks, Ctrl-Z and NUL inside a path or title are written as
// spaces, so that every field stays on its own line and the whole list reads back.
bool WriteSpl(FileSystem& fileSystem, const std::string& path,
              const std::deque<PlaylistItem>& items);

// .m3u: the path of every row that is not a heading, one per line (line breaks, Ctrl-Z
// and NUL written as spaces, as in .spl).
bool WriteM3u(FileSystem& fileSystem, const std::string& path,
              const std::deque<PlaylistItem>& items);

// .htm: a page with today's date (UTC), the heading, file and total counts, and a table
// of titles indented by ideographic spaces next to their paths. Texts are not escaped.
bool WriteHtm(FileSystem& fileSystem, Clock& clock, const std::string& path,
              const std::deque<PlaylistItem>& items);

}  // namespace hgf
