// Shift_JIS-aware helpers for the Windows paths held by the playlist: the
// case-blind path order used by the folder scan, separator searches that never
// mistake the trail byte of a double-byte character (such as the 0x5C of 表) for
// a backslash, the accepted-suffix test, and the full path of a playlist entry.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace hgf {

// True for the first byte of a double-byte Shift_JIS character.
constexpr bool IsShiftJisLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// A key whose plain byte order (std::string comparison) is the path order: every
// character becomes two big-endian bytes of its order value. A single-byte character
// is its byte value (ASCII capitals as lower-case letters); a double-byte character is
// lead byte * 256 + trail byte (full-width Latin capitals as their lower-case letters),
// so it sorts after every single-byte character; a string that ends first sorts first.
std::string PathOrderKey(std::string_view path);
// Appends the key of `path` to `key`.
void AppendPathOrderKey(std::string& key, std::string_view path);

// <0, 0 or >0 as `a` sorts before, with or after `b` in path order.
int ComparePathOrder(std::string_view a, std::string_view b);

// Position of the last "\\" that is a character of its own, or npos.
std::size_t FindLastBackslash(std::string_view path);

// True when the last character of `path` is "\\" or "/" (a trail byte does not count).
bool EndsWithSeparator(std::string_view path);

// `path` without its last character when that is a separator; else `path` unchanged.
std::string WithoutTrailingSeparator(std::string_view path);

// True when `entry` starts with a URL scheme ("http:", "mms:", ...): a letter, then
// letters, digits, "+", "-" or ".", two characters at least (a drive letter is none),
// then ":".
bool IsUrl(std::string_view entry);

// `path` with every "/" turned into "\\".
std::string WithBackslashes(std::string_view path);
std::u16string WithBackslashes(std::u16string_view path);

// The full path of the playlist entry `entry` (a path with "\\" separators) of the list
// file `playlistPath`. A full path ("C:\\x", "\\\\server\\share\\x") stays as written.
// A path from a drive's root ("\\x") takes the list's drive (or its "\\\\server\\share"); a
// path on a drive without its root ("D:x") is taken from the list's folder on the list's
// drive and from the root on any other; every other path is taken from the list's folder.
// The "." and ".." segments of a path so made are folded, never above its drive.
std::string ResolvePlaylistEntry(std::string_view playlistPath, std::string_view entry);
std::u16string ResolvePlaylistEntry(std::u16string_view playlistPath, std::u16string_view entry);

// True when the last four characters of `name` are one of the accepted suffixes
// (".mml", ".ogg", ".mid", ".smf", ".mp3", ".mp2", ".mpa", "mpeg", ".mpe", ".mpg",
// ".wav", ".avi", ".asf", ".wmv", ".wma"), or its last five ".flac" or ".opus", without
// regard to letter case.
bool HasAcceptedSuffix(std::string_view name);

}  // namespace hgf
