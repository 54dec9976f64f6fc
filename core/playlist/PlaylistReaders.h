// The five playlist readers. Each first checks the suffix of `path` (ASCII letter case
// ignored) and opens the file; it returns false at once when the suffix is not its own or
// the file cannot be opened. Otherwise it appends the rows it finds to `items`.
#pragma once

#include <cstddef>
#include <deque>
#include <string>

#include "platform/FileSystem.h"
#include "playlist/PlaylistItem.h"

namespace hgf {

// Longest line, in bytes, that the .spl reader takes whole; the others take kShortLineBytes.
inline constexpr std::size_t kSplLineBytes = 1023;
inline constexpr std::size_t kShortLineBytes = 259;

// Bytes of one .spf record: path (260), title (260), kind (1), unused (5).
inline constexpr std::size_t kSpfRecordBytes = 526;

// .spl: "Harrowgladeforte Series PlayList" header, then "0:" path, "1:" folder flag,
// "2:" title, "3:" indent lines, each row ended by "@". Keys a row does not repeat keep
// the previous row's values. False when the header is missing.
bool ReadSpl(FileSystem& fileSystem, const std::string& path, std::deque<PlaylistItem>& items);

// .spf: "SPL1", a 16-bit record count and a zlib body of 526-byte records. A short header,
// a wrong magic or a damaged body yields no rows and false. A body that ends cleanly
// before N records yields the whole records it holds; one that holds more than N records
// is damaged.
bool ReadSpf(FileSystem& fileSystem, const std::string& path, std::deque<PlaylistItem>& items);

// .spt: a header line, then rows of a "0" (file) or "1" (heading) line carrying the title
// after one separator character, followed by the path line; ";" lines are comments.
bool ReadSpt(FileSystem& fileSystem, const std::string& path, std::deque<PlaylistItem>& items);

// .m3u: one path per line; "#" lines and empty lines are skipped.
bool ReadM3u(FileSystem& fileSystem, const std::string& path, std::deque<PlaylistItem>& items);

// .asx: each line holding "<Ref href" (exact case) gives the text between the next two
// double quotes; a line without such a pair gives no row.
bool ReadAsx(FileSystem& fileSystem, const std::string& path, std::deque<PlaylistItem>& items);

}  // namespace hgf
