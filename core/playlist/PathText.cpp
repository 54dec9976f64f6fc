// Shift_JIS-aware path order, separator search and suffix test.
#include "playlist/PathText.h"

#include <algorithm>
#include <array>
#include <vector>

namespace hgf {
namespace {

// The order value of the character at `text[i]`; advances `i` past it.
unsigned NextOrderValue(std::string_view text, std::size_t& i) {
    unsigned char first = static_cast<unsigned char>(text[i++]);
    if (IsShiftJisLeadByte(first) && i < text.size()) {
        unsigned value = first * 256u + static_cast<unsigned char>(text[i++]);
        if (value >= 0x8260 && value <= 0x8279) value += 0x21;  // full-width A-Z -> a-z
        return value;
    }
    if (first >= 'A' && first <= 'Z') return first + 32u;
    return first;
}

// Code units of the character at `text[i]`: two for a Shift_JIS double-byte character,
// else one (a UTF-16 unit is one character here: no separator is ever part of a pair).
std::size_t CharacterWidth(std::string_view text, std::size_t i) {
    return IsShiftJisLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}
std::size_t CharacterWidth(std::u16string_view, std::size_t) {
    return 1;
}

// Calls visit(start, length) for every character of `text`, walking from the start
// (lead bytes can only be told apart from trail bytes that way).
template <typename Char, typename Visit>
void ForEachCharacter(std::basic_string_view<Char> text, Visit visit) {
    for (std::size_t i = 0; i < text.size();) {
        std::size_t start = i;
        i += CharacterWidth(text, i);
        visit(start, i - start);
    }
}

template <typename Char>
bool IsBackslashAt(std::basic_string_view<Char> text, std::size_t start, std::size_t length) {
    return length == 1 && text[start] == Char('\\');
}

// True for the segment "." (count 1) or ".." (count 2).
template <typename Char>
bool IsDots(std::basic_string_view<Char> segment, std::size_t count) {
    return segment.size() == count &&
           std::all_of(segment.begin(), segment.end(), [](Char c) { return c == Char('.'); });
}

template <typename Char>
bool IsAsciiLetter(Char c) {
    return (c >= Char('a') && c <= Char('z')) || (c >= Char('A') && c <= Char('Z'));
}

template <typename Char>
std::size_t LastBackslash(std::basic_string_view<Char> path) {
    std::size_t found = std::basic_string_view<Char>::npos;
    ForEachCharacter(path, [&](std::size_t start, std::size_t length) {
        if (IsBackslashAt(path, start, length)) found = start;
    });
    return found;
}

// Length of the root of `path`: 2 for a drive ("C:"), the whole "\\\\server\\share" for a
// share, 0 for none.
template <typename Char>
std::size_t RootLength(std::basic_string_view<Char> path) {
    if (path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == Char(':')) return 2;
    if (path.size() < 2 || path[0] != Char('\\') || path[1] != Char('\\')) return 0;
    std::size_t end = path.size();
    int separators = 0;  // after "\\\\": the one that ends the server's name, then the share's
    ForEachCharacter(path.substr(2), [&](std::size_t start, std::size_t length) {
        if (end == path.size() && IsBackslashAt(path.substr(2), start, length) && ++separators == 2)
            end = start + 2;
    });
    return end;
}

// `path` with its "." and ".." segments folded and repeated separators made one, never
// above its root.
template <typename Char>
std::basic_string<Char> FoldSegments(std::basic_string_view<Char> path) {
    using View = std::basic_string_view<Char>;
    const std::size_t root = RootLength(path);
    const View rest = path.substr(root);
    std::vector<View> kept;
    std::size_t segmentStart = 0;
    auto take = [&](std::size_t end) {
        View segment = rest.substr(segmentStart, end - segmentStart);
        if (segment.empty() || IsDots(segment, 1)) return;
        if (IsDots(segment, 2)) {
            if (!kept.empty() && !IsDots(kept.back(), 2)) {
                kept.pop_back();
                return;
            }
            if (root > 0) return;  // nothing above a drive's root
        }
        kept.push_back(segment);
    };
    ForEachCharacter(rest, [&](std::size_t start, std::size_t length) {
        if (!IsBackslashAt(rest, start, length)) return;
        take(start);
        segmentStart = start + 1;
    });
    take(rest.size());
    std::basic_string<Char> folded(path.substr(0, root));
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (root > 0 || i > 0) folded += Char('\\');
        folded += kept[i];
    }
    if (root > 0 && kept.empty()) folded += Char('\\');
    return folded;
}

template <typename Char>
std::basic_string<Char> Resolve(std::basic_string_view<Char> playlist,
                                std::basic_string_view<Char> entry) {
    using String = std::basic_string<Char>;
    constexpr Char kBackslash = '\\';
    const std::size_t entryRoot = RootLength(entry);
    const bool fromRoot = !entry.empty() && entry[0] == kBackslash;
    if (entry.empty() || (fromRoot && entryRoot > 0) ||
        (entryRoot == 2 && entry.size() > 2 && entry[2] == kBackslash)) {
        return String(entry);  // nothing to resolve, or a full path
    }
    const std::size_t folderEnd = LastBackslash(playlist);
    const std::size_t listRoot = RootLength(playlist);
    if (folderEnd == std::basic_string_view<Char>::npos || folderEnd < listRoot)
        return String(entry);  // a list path without a folder gives nothing to resolve against
    String combined;
    if (fromRoot) {
        if (listRoot == 0) return String(entry);
        combined = String(playlist.substr(0, listRoot)) + String(entry);
    } else if (entryRoot == 2) {
        const bool sameDrive = listRoot == 2 && (entry[0] | 0x20) == (playlist[0] | 0x20);
        combined = String(sameDrive ? playlist.substr(0, folderEnd) : entry.substr(0, 2)) +
                   kBackslash + String(entry.substr(2));
    } else {
        combined = String(playlist.substr(0, folderEnd)) + kBackslash + String(entry);
    }
    return FoldSegments(std::basic_string_view<Char>(combined));
}

constexpr std::array<std::string_view, 15> kAcceptedSuffixes = {
    ".mml", ".ogg", ".mid", ".smf", ".mp3", ".mp2", ".mpa", "mpeg",
    ".mpe", ".mpg", ".wav", ".avi", ".asf", ".wmv", ".wma"};
// The FLAC and Opus engine's files, compared with their whole suffix.
constexpr std::array<std::string_view, 2> kStreamSuffixes = {".flac", ".opus"};

}  // namespace

std::string PathOrderKey(std::string_view path) {
    std::string key;
    AppendPathOrderKey(key, path);
    return key;
}

void AppendPathOrderKey(std::string& key, std::string_view path) {
    key.reserve(key.size() + path.size() * 2);
    for (std::size_t i = 0; i < path.size();) {
        unsigned value = NextOrderValue(path, i);
        key.push_back(static_cast<char>(value >> 8));
        key.push_back(static_cast<char>(value & 0xFF));
    }
}

int ComparePathOrder(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        unsigned x = NextOrderValue(a, i), y = NextOrderValue(b, j);
        if (x != y) return x < y ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

std::size_t FindLastBackslash(std::string_view path) {
    return LastBackslash(path);
}

bool EndsWithSeparator(std::string_view path) {
    bool separator = false;
    ForEachCharacter(path, [&](std::size_t start, std::size_t length) {
        separator = length == 1 && (path[start] == '\\' || path[start] == '/');
    });
    return separator;
}

std::string WithoutTrailingSeparator(std::string_view path) {
    if (EndsWithSeparator(path)) path.remove_suffix(1);
    return std::string(path);
}

bool IsUrl(std::string_view entry) {
    if (entry.empty() || !IsAsciiLetter(entry[0])) return false;
    for (std::size_t i = 1; i < entry.size(); ++i) {
        const char c = entry[i];
        if (c == ':') return i >= 2;
        if (!IsAsciiLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
            return false;
    }
    return false;
}

std::string WithBackslashes(std::string_view path) {
    // "/" (2F) is never the trail byte of a double-byte character.
    std::string converted(path);
    std::replace(converted.begin(), converted.end(), '/', '\\');
    return converted;
}

std::u16string WithBackslashes(std::u16string_view path) {
    std::u16string converted(path);
    std::replace(converted.begin(), converted.end(), u'/', u'\\');
    return converted;
}

std::string ResolvePlaylistEntry(std::string_view playlistPath, std::string_view entry) {
    return Resolve(playlistPath, entry);
}

std::u16string ResolvePlaylistEntry(std::u16string_view playlistPath, std::u16string_view entry) {
    return Resolve(playlistPath, entry);
}

bool HasAcceptedSuffix(std::string_view name) {
    // The suffix must start on a character boundary: a name ending in the double-byte ノ
    // (83 6D) followed by "peg" does not end in "mpeg".
    auto endsWith = [&](std::string_view suffix) {
        if (name.size() < suffix.size()) return false;
        const std::size_t tail = name.size() - suffix.size();
        bool boundary = false;
        ForEachCharacter(name, [&](std::size_t start, std::size_t) {
            if (start == tail) boundary = true;
        });
        if (!boundary) return false;
        for (std::size_t k = 0; k < suffix.size(); ++k) {
            char c = name[tail + k];
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
            if (c != suffix[k]) return false;
        }
        return true;
    };
    return std::any_of(kAcceptedSuffixes.begin(), kAcceptedSuffixes.end(), endsWith) ||
           std::any_of(kStreamSuffixes.begin(), kStreamSuffixes.end(), endsWith);
}

}  // namespace hgf
