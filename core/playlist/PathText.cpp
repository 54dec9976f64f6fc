// Shift_JIS-aware path order, separator search and suffix test.
#include "playlist/PathText.h"

#include <algorithm>
#include <array>

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

// Calls visit(start, length) for every character of `text`, walking from the start
// (lead bytes can only be told apart from trail bytes that way).
template <typename Visit>
void ForEachCharacter(std::string_view text, Visit visit) {
    for (std::size_t i = 0; i < text.size();) {
        std::size_t start = i;
        bool lead = IsShiftJisLeadByte(static_cast<unsigned char>(text[i]));
        i += (lead && i + 1 < text.size()) ? 2 : 1;
        visit(start, i - start);
    }
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
    std::size_t found = std::string_view::npos;
    ForEachCharacter(path, [&](std::size_t start, std::size_t length) {
        if (length == 1 && path[start] == '\\') found = start;
    });
    return found;
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
