// The three playlist writers. Each returns kNotCreated at once when the last four characters
// of `path` are not its suffix (ASCII letter case ignored) or the file cannot be created.
// Otherwise it writes the whole file in Shift_JIS with CR LF line ends into a new file
// beside `path` that replaces an existing one only once it is complete (ReplacingFile),
// and returns kSaved, or kFailed when that could not be done.
#pragma once

#include <deque>
#include <string>

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "playlist/PlaylistFiles.h"
#include "playlist/PlaylistItem.h"

namespace hgf {

// The footer link target of the .htm page: the product's home page.
inline constexpr const char* kHomePageAddress = "https://harrowgladeforte.example/";

// .spl: the header and comment block, then per row "0:" path, "1:" 1 or 0, "2:" title,
// "3:" indent and "@". Line breaks, Ctrl-Z and NUL inside a path or title are written as
// spaces, so that every field stays on its own line and the whole list reads back.
SaveResult WriteSpl(FileSystem& fileSystem, const std::string& path,
                    const std::deque<PlaylistItem>& items);

// .m3u: the path of every row that is not a heading, one per line (line breaks, Ctrl-Z
// and NUL written as spaces, as in .spl).
SaveResult WriteM3u(FileSystem& fileSystem, const std::string& path,
                    const std::deque<PlaylistItem>& items);

// .htm: a page with today's date (UTC), the heading, file and total counts, and a table
// of titles indented by ideographic spaces next to their paths. Texts are not escaped.
SaveResult WriteHtm(FileSystem& fileSystem, Clock& clock, const std::string& path,
                    const std::deque<PlaylistItem>& items);

}  // namespace hgf
