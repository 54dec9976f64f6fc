// The seven playlist readers and the entry that tries them in order.
#include "playlist/PlaylistReaders.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "platform/CodePage932.h"
#include "playlist/PathText.h"
#include "playlist/PlaylistFiles.h"
#include "playlist/PlaylistText.h"

namespace hgf {
namespace {

constexpr std::string_view kSplHeader = "Harrowgladeforte Series PlayList";

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && HasSuffix(a, b);
}

// A decimal integer with optional leading blanks and sign; anything unreadable gives 0,
// and values beyond the 32-bit range stop at its ends.
std::int32_t ParseIndent(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) break;
    }
    if (negative) value = -value;
    value = std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                     std::numeric_limits<std::int32_t>::max());
    return static_cast<std::int32_t>(value);
}

bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view start) {
    return text.size() >= start.size() && HasSuffix(text.substr(0, start.size()), start);
}

// A path of the player's own lists: a URL as written, any other path with backslashes.
std::string OwnListPath(std::string_view path) {
    return IsUrl(path) ? std::string(path) : WithBackslashes(path);
}

// The rows of the entries of another player's list `listPath`: entries relative to the
// list's folder or not, in code page 932 or in UTF-8.
class EntryRows {
  public:
    EntryRows(FileSystem& fileSystem, const std::string& listPath)
        : fileSystem_(fileSystem), listPath_(listPath) {}

    void ReadUtf8() { utf8_ = true; }

    // A title as the row keeps it: in code page 932, at most kShortLineBytes long.
    std::string Text(std::string_view text) const {
        std::string converted = utf8_ ? CodePage932TextFromUtf8(text).text : std::string(text);
        CutToCharacters(converted, kShortLineBytes);
        return converted;
    }

    // The row of `entry` as the list writes it; a non-empty `title` (code page 932)
    // replaces the file-name title.
    PlaylistItem Row(std::string_view entry, std::string title) const {
        if (!utf8_) {
            std::string text(entry);
            CutToCharacters(text, kShortLineBytes);
            return RowOf(text, std::move(title));
        }
        CodePage932Text converted = CodePage932TextFromUtf8(entry);
        CutToCharacters(converted.text, kShortLineBytes);
        PlaylistItem item = RowOf(converted.text, std::move(title));
        if (!converted.lossless && !IsUrl(converted.text)) {
            // A name that code page 932 cannot spell opens by its file's short path.
            const std::u16string full = ResolvePlaylistEntry(Utf16FromCodePage932(listPath_),
                                                             WithBackslashes(Utf16FromUtf8(entry)));
            if (std::optional<std::string> opening = fileSystem_.CodePage932PathThatOpens(full))
                item.path = std::move(*opening);
        }
        return item;
    }

  private:
    // `entry` in code page 932.
    PlaylistItem RowOf(std::string_view entry, std::string title) const {
        PlaylistItem item;
        if (IsUrl(entry)) {
            item.path = entry;
            item.title = title.empty() ? std::string(entry) : std::move(title);
            return item;
        }
        item.path = ResolvePlaylistEntry(listPath_, WithBackslashes(entry));
        item.title = title.empty() ? std::string(LastComponent(item.path)) : std::move(title);
        return item;
    }

    FileSystem& fileSystem_;
    const std::string& listPath_;
    bool utf8_ = false;
};

// The lines of an .m3u or .m3u8 list.
void ReadM3uLines(TextLineReader& reader, const EntryRows& rows, std::deque<PlaylistItem>& items) {
    std::string line;
    std::string title;  // of the next entry, from the "#EXTINF" line before it
    while (reader.ReadLine(line)) {
        if (line.empty()) continue;
        if (line[0] == '#') {
            if (StartsWithIgnoringAsciiCase(line, "#EXTINF:")) {
                const std::size_t comma = line.find(',');  // never a trail byte
                title = comma == std::string::npos
                            ? std::string()
                            : rows.Text(std::string_view(line).substr(comma + 1));
            }
            continue;
        }
        items.push_back(rows.Row(line, std::exchange(title, {})));
    }
}

// Reads the rest of `reader` as UTF-8, in lines of at most `utf8LineBytes` bytes, when
// `utf8` or when the file starts with a UTF-8 byte-order mark (which is skipped).
void ChooseUtf8(TextLineReader& reader, EntryRows& rows, std::size_t utf8LineBytes, bool utf8) {
    if (!reader.SkipUtf8ByteOrderMark() && !utf8) return;
    reader.ReadUtf8(utf8LineBytes);
    rows.ReadUtf8();
}

// An .m3u list whose name ends in `suffix`: UTF-8 when `utf8` or when it starts with a
// byte-order mark, else code page 932.
bool ReadM3uList(FileSystem& fileSystem, const std::string& path, std::string_view suffix,
                 bool utf8, std::deque<PlaylistItem>& items) {
    if (!HasSuffix(path, suffix)) return false;
    std::unique_ptr<InputFile> file = fileSystem.OpenRead(path);
    if (!file) return false;
    TextLineReader reader(*file, kShortLineBytes);
    EntryRows rows(fileSystem, path);
    ChooseUtf8(reader, rows, kUtf8LineBytes, utf8);
    ReadM3uLines(reader, rows, items);
    return true;
}

// N of a "<prefix>N" key (prefix without regard to ASCII letter case), or nothing.
std::optional<std::uint32_t> KeyNumber(std::string_view key, std::string_view prefix) {
    if (!StartsWithIgnoringAsciiCase(key, prefix)) return std::nullopt;
    std::string_view digits = key.substr(prefix.size());
    if (digits.empty() || digits.size() > 9) return std::nullopt;
    std::uint32_t number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return number;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// Reads until `size` bytes arrived or the file ends; the count read.
std::size_t ReadFully(InputFile& file, void* buffer, std::size_t size) {
    std::size_t total = 0;
    while (total < size) {
        std::size_t got = file.Read(static_cast<char*>(buffer) + total, size - total);
        if (got == 0) break;
        total += got;
    }
    return total;
}

// The text of a fixed-size field up to its first NUL (the whole field when it has none).
std::string FixedField(const unsigned char* field, std::size_t size) {
    const void* nul = std::memchr(field, 0, size);
    std::size_t length =
        nul ? static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - field) : size;
    return std::string(reinterpret_cast<const char*>(field), length);
}

// A growable byte buffer without zero-filling. It grows through realloc, which moves
// large blocks by remapping pages instead of copying them.
class ByteBuffer {
  public:
    ByteBuffer() = default;
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;
    ~ByteBuffer() { std::free(data_); }

    unsigned char* data() const { return data_; }
    std::size_t capacity() const { return capacity_; }
    bool Grow(std::size_t capacity) {
        void* grown = std::realloc(data_, capacity);
        if (!grown) return false;
        data_ = static_cast<unsigned char*>(grown);
        capacity_ = capacity;
        return true;
    }

  private:
    unsigned char* data_ = nullptr;
    std::size_t capacity_ = 0;
};

// Inflates the zlib stream that `file` holds from its current position into `out`,
// taking at most `limit` bytes; the count inflated, or nothing when the stream is damaged
// or cut short, or would inflate to more than `limit` bytes. The output grows as data
// arrives, so a short or broken body never costs the memory its header claims.
std::optional<std::size_t> InflateBody(InputFile& file, std::size_t limit, ByteBuffer& out) {
    constexpr std::size_t kInputChunk = 64 * 1024;
    constexpr std::size_t kFirstOutput = 256 * 1024;
    std::vector<unsigned char> input(kInputChunk);
    unsigned char spare = 0;  // inflate needs somewhere to point when `limit` is 0

    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return std::nullopt;
    std::size_t produced = 0;
    bool inputEnded = false;
    bool ok = false;
    for (;;) {
        if (stream.avail_in == 0 && !inputEnded) {
            std::size_t got = file.Read(input.data(), input.size());
            if (got == 0 || file.HasError()) {
                inputEnded = true;
            } else {
                stream.next_in = input.data();
                stream.avail_in = static_cast<uInt>(got);
            }
        }
        if (produced == out.capacity() && out.capacity() < limit &&
            !out.Grow(std::min(limit, std::max(kFirstOutput, out.capacity() * 4)))) {
            break;
        }
        stream.next_out = out.capacity() == 0 ? &spare : out.data() + produced;
        stream.avail_out = static_cast<uInt>(out.capacity() - produced);
        int result = inflate(&stream, Z_NO_FLUSH);
        produced = out.capacity() - stream.avail_out;
        if (result == Z_STREAM_END) {
            ok = true;
            break;
        }
        if (result == Z_BUF_ERROR) {
            // No progress: either more input is needed or the output is full.
            if (stream.avail_in == 0 && !inputEnded) continue;
            break;  // cut short, or more than `limit` bytes
        }
        if (result != Z_OK) break;  // damaged data, or no memory
    }
    inflateEnd(&stream);
    if (!ok) return std::nullopt;
    return produced;
}

}  // namespace

bool ReadSpl(FileSystem& fileSystem, const std::string& path, std::deque<PlaylistItem>& items) {
    if (!HasSuffix(path, ".spl")) return false;
    std::unique_ptr<InputFile> file = fileSystem.OpenRead(path);
    if (!file) return false;
    TextLineReader reader(*file, kSplLineBytes);
    std::string line;
    if (!reader.ReadLine(line) || !EqualsIgnoringAsciiCase(line, kSplHeader)) return false;

    PlaylistItem row;  // not cleared after "@": keys a row omits carry over
    while (reader.ReadLine(line)) {
        if (line.empty()) continue;
        if (line[0] == '@') {
            items.push_back(row);
            continue;
        }
        if (line.size() < 2 || line[1] != ':') continue;
        std::string_view value = std::string_view(line).substr(2);
        switch (line[0]) {
            case '0':
                row.path = OwnListPath(value);
                break;
            case '1':
                row.isFolder = (!value.empty() && value[0] == '0') ? 0 : 1;
                break;
            case '2':
                row.title = value;
                break;
            case '3':
                row.indent = ParseIndent(value);
                break;
            default:
                break;
        }
    }
    return true;
}

bool ReadSpf(FileSystem& fileSystem, const std::string& path, std::deque<PlaylistItem>& items) {
    if (!HasSuffix(path, ".spf")) return false;
    std::unique_ptr<InputFile> file = fileSystem.OpenRead(path);
    if (!file) return false;

    unsigned char header[8];
    if (ReadFully(*file, header, sizeof header) != sizeof header) return false;
    if (std::memcmp(header, "SPL1", 4) != 0) return false;
    std::size_t count = header[4] | (std::size_t{header[5]} << 8);

    ByteBuffer body;
    std::optional<std::size_t> inflated = InflateBody(*file, count * kSpfRecordBytes, body);
    if (!inflated) return false;
    std::size_t whole = *inflated / kSpfRecordBytes;  // a body may end before N records
    for (std::size_t i = 0; i < whole; ++i) {
        const unsigned char* record = body.data() + i * kSpfRecordBytes;
        PlaylistItem item;
        item.path = OwnListPath(FixedField(record, 260));
        item.title = FixedField(record + 260, 260);
        item.isFolder = record[520] == 9 ? 1 : 0;
        items.push_back(std::move(item));
    }
    return true;
}

bool ReadSpt(FileSystem& fileSystem, const std::string& path, std::deque<PlaylistItem>& items) {
    if (!HasSuffix(path, ".spt")) return false;
    std::unique_ptr<InputFile> file = fileSystem.OpenRead(path);
    if (!file) return false;
    TextLineReader reader(*file, kShortLineBytes);
    std::string line;
    reader.ReadLine(line);  // the header, not read
    while (reader.ReadLine(line)) {
        // Characters other than "0", "1" and ";" at a line start are skipped one by one.
        std::size_t i = 0;
        while (i < line.size() && line[i] != '0' && line[i] != '1' && line[i] != ';')
            ++i;
        if (i == line.size() || line[i] == ';') continue;
        PlaylistItem item;
        item.isFolder = line[i] == '1' ? 1 : 0;
        if (i + 2 <= line.size()) item.title = line.substr(i + 2);  // one separator skipped
        if (!reader.ReadLine(line)) break;                          // a row without its path line
        item.path = OwnListPath(line);
        items.push_back(std::move(item));
    }
    return true;
}

bool ReadM3u(FileSystem& fileSystem, const std::string& path, std::deque<PlaylistItem>& items) {
    return ReadM3uList(fileSystem, path, ".m3u", false, items);
}

bool ReadAsx(FileSystem& fileSystem, const std::string& path, std::deque<PlaylistItem>& items) {
    if (!HasSuffix(path, ".asx")) return false;
    std::unique_ptr<InputFile> file = fileSystem.OpenRead(path);
    if (!file) return false;
    TextLineReader reader(*file, kShortLineBytes);
    const EntryRows rows(fileSystem, path);
    std::string line;
    while (reader.ReadLine(line)) {
        std::size_t match = line.find("<Ref href");
        if (match == std::string::npos) continue;
        std::size_t open = line.find('"', match);
        if (open == std::string::npos) continue;
        std::size_t close = line.find('"', open + 1);
        if (close == std::string::npos) continue;  // no closing quote: no entry
        items.push_back(rows.Row(std::string_view(line).substr(open + 1, close - open - 1), {}));
    }
    return true;
}

bool ReadM3u8(FileSystem& fileSystem, const std::string& path, std::deque<PlaylistItem>& items) {
    return ReadM3uList(fileSystem, path, ".m3u8", true, items);
}

bool ReadPls(FileSystem& fileSystem, const std::string& path, std::deque<PlaylistItem>& items) {
    if (!HasSuffix(path, ".pls")) return false;
    std::unique_ptr<InputFile> file = fileSystem.OpenRead(path);
    if (!file) return false;
    TextLineReader reader(*file, kPlsLineBytes);
    EntryRows rows(fileSystem, path);
    ChooseUtf8(reader, rows, kPlsLineBytes, false);
    struct Entry {
        std::optional<std::string> file;
        std::optional<std::string> title;
    };
    std::map<std::uint32_t, Entry> entries;  // by N; only numbers the file names take room
    bool inPlaylist = true;                  // keys before any section count too
    std::string line;
    while (reader.ReadLine(line)) {
        std::string_view text = TrimBlanks(line);
        if (!text.empty() && text.front() == '[') {
            inPlaylist = EqualsIgnoringAsciiCase(text, "[playlist]");
            continue;
        }
        const std::size_t equals = text.find('=');
        if (!inPlaylist || equals == std::string_view::npos) continue;
        const std::string_view key = TrimBlanks(text.substr(0, equals));
        const std::string_view value = TrimBlanks(text.substr(equals + 1));
        if (std::optional<std::uint32_t> n = KeyNumber(key, "File")) {
            if (!entries[*n].file) entries[*n].file = value;
        } else if (std::optional<std::uint32_t> n = KeyNumber(key, "Title")) {
            if (!entries[*n].title) entries[*n].title = value;
        }
    }
    for (const auto& [number, entry] : entries) {
        if (!entry.file || entry.file->empty()) continue;
        items.push_back(rows.Row(*entry.file, entry.title ? rows.Text(*entry.title) : ""));
    }
    return true;
}

bool ReadPlaylistFile(FileSystem& fileSystem, const std::string& path,
                      std::deque<PlaylistItem>& items) {
    return ReadSpl(fileSystem, path, items) || ReadSpf(fileSystem, path, items) ||
           ReadSpt(fileSystem, path, items) || ReadM3u(fileSystem, path, items) ||
           ReadAsx(fileSystem, path, items) || ReadM3u8(fileSystem, path, items) ||
           ReadPls(fileSystem, path, items);
}

bool IsPlaylistFileName(const std::string& path) {
    for (std::string_view suffix : {".spl", ".spf", ".spt", ".m3u", ".asx", ".m3u8", ".pls"})
        if (HasSuffix(path, suffix)) return true;
    return false;
}

std::optional<LoadSource> LoadSourceOfPath(FileSystem& fileSystem, const std::string& path) {
    if (path.empty()) return std::nullopt;
    std::optional<FileAttributes> attributes =
        fileSystem.GetAttributes(WithoutTrailingSeparator(path));
    if (!attributes) return std::nullopt;
    if (attributes->isDirectory || IsPlaylistFileName(path)) return LoadSource{path, {}};
    const std::size_t separator = FindLastBackslash(path);
    if (separator == std::string::npos || separator == 0) return std::nullopt;
    // "C:\a.mp3" lies in "C:\", not in "C:" (the drive's current folder).
    const bool driveRoot = separator == 2 && path[1] == ':';
    return LoadSource{path.substr(0, driveRoot ? separator + 1 : separator), path};
}

}  // namespace hgf
