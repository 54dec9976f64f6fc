// The playlist readers: the player's own .spl, .spf and .spt lists, and the .m3u, .asx,
// .m3u8 and .pls lists of other players. Each first checks the suffix of `path` (ASCII
// letter case ignored) and opens the file; it returns false at once when the suffix is not
// its own or the file cannot be opened. Otherwise it appends the rows it finds to `items`.
//
// Paths: a URL ("http:", "mms:", ...) is kept as written (no engine plays it). Every other
// path gets "\\" for "/"; in .m3u, .asx, .m3u8 and .pls, which other players write with
// paths relative to the list, it is then taken from the list's folder (ResolvePlaylistEntry).
// UTF-8 lists are read into code page 932; a name that code page 932 cannot spell becomes
// the short path of its file where the file exists, else it keeps "?" for the characters it
// lacks (so the row is marked unplayable when played), and its title keeps the long name.
#pragma once

#include <cstddef>
#include <deque>
#include <string>

#include "platform/FileSystem.h"
#include "playlist/PlaylistItem.h"

namespace hgf {

// Longest line, in bytes, that the .spl reader takes whole; .spt, .m3u and .asx take
// kShortLineBytes, and so does every path and title of a row read from a UTF-8 list or .pls.
inline constexpr std::size_t kSplLineBytes = 1023;
inline constexpr std::size_t kShortLineBytes = 259;
// Longest UTF-8 line taken whole: kShortLineBytes characters of code page 932, each of which
// (a half-width kana, or a "?" for a character beyond the first plane) may take four bytes.
inline constexpr std::size_t kUtf8LineBytes = 4 * kShortLineBytes;
// Longest .pls line taken whole: a key such as "File12345=" and a UTF-8 path.
inline constexpr std::size_t kPlsLineBytes = 32 + kUtf8LineBytes;

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

// .m3u: one path per line; "#EXTINF:<seconds>,<title>" gives the title of the entry after
// it, other "#" lines and empty lines are skipped. A file that starts with a UTF-8
// byte-order mark is UTF-8, as .m3u8.
bool ReadM3u(FileSystem& fileSystem, const std::string& path, std::deque<PlaylistItem>& items);

// .asx: each line holding "<Ref href" (exact case) gives the text between the next two
// double quotes; a line without such a pair gives no row.
bool ReadAsx(FileSystem& fileSystem, const std::string& path, std::deque<PlaylistItem>& items);

// .m3u8: .m3u in UTF-8 (a byte-order mark is skipped).
bool ReadM3u8(FileSystem& fileSystem, const std::string& path, std::deque<PlaylistItem>& items);

// .pls: "FileN=" paths of the [playlist] section (or before any section) in the order of N,
// each titled by its "TitleN=", else by its file name; the first of repeated keys counts.
// NumberOfEntries and Version are not needed. UTF-8 when it starts with a byte-order mark.
bool ReadPls(FileSystem& fileSystem, const std::string& path, std::deque<PlaylistItem>& items);

}  // namespace hgf
