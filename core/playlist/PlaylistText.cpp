// Line reading with Windows text-mode rules, and Shift_JIS-aware text helpers.
#include "playlist/PlaylistText.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace hgf {
namespace {

constexpr std::size_t kReadChunk = 64 * 1024;  // bytes asked of the file per read
constexpr char kCtrlZ = 0x1A;                  // end of file for a text-mode stream

// True for the first byte of a double-byte Shift_JIS (code page 932) character.
bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

unsigned char LowerAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

}  // namespace

bool HasSuffix(std::string_view path, std::string_view suffix) {
    if (path.size() < suffix.size()) return false;
    std::string_view tail = path.substr(path.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        if (LowerAscii(tail[i]) != LowerAscii(suffix[i])) return false;
    }
    return true;
}

std::string_view LastComponent(std::string_view path) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        unsigned char c = path[i];
        if (IsLeadByte(c)) {
            ++i;  // the trail byte may be 0x5C; it is part of the character
        } else if (c == '\\') {
            start = i + 1;
        }
    }
    return path.substr(start);
}

void CutToCharacters(std::string& text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return;
    std::size_t keep = 0;
    while (keep < maxBytes) {
        std::size_t width = IsLeadByte(text[keep]) ? 2 : 1;
        if (keep + width > maxBytes) break;
        keep += width;
    }
    text.resize(keep);
}

void CutToUtf8Characters(std::string& text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return;
    std::size_t keep = maxBytes;
    while (keep > 0 && (static_cast<unsigned char>(text[keep]) & 0xC0) == 0x80)
        --keep;  // text[keep] continues the character before it: cut before that one
    text.resize(keep);
}

TextLineReader::TextLineReader(InputFile& file, std::size_t maxLineBytes)
    : file_(file), maxLineBytes_(maxLineBytes), buffer_(new char[kReadChunk]) {}

TextLineReader::~TextLineReader() = default;

bool TextLineReader::SkipUtf8ByteOrderMark() {
    constexpr std::string_view kMark = "\xEF\xBB\xBF";
    // Only before the first line, when the buffer holds the start of the file.
    while (position_ == 0 && end_ < kMark.size() && !ended_) {
        std::size_t got = file_.Read(buffer_.get() + end_, kReadChunk - end_);
        if (got == 0 || file_.HasError()) {
            failed_ = file_.HasError();
            ended_ = true;
            break;
        }
        end_ += got;
    }
    if (position_ != 0 || end_ < kMark.size() ||
        std::string_view(buffer_.get(), kMark.size()) != kMark)
        return false;
    position_ = kMark.size();
    return true;
}

bool TextLineReader::Fill() {
    if (ended_) return false;
    position_ = 0;
    end_ = file_.Read(buffer_.get(), kReadChunk);
    if (end_ == 0 || file_.HasError()) {
        failed_ = file_.HasError();
        end_ = 0;
        ended_ = true;
        return false;
    }
    return true;
}

bool TextLineReader::ReadLine(std::string& line) {
    line.clear();
    // One byte beyond the limit is kept so that a CR of a CR LF pair can still be told
    // apart from content at the limit.
    const std::size_t keepLimit = maxLineBytes_ + 1;
    std::size_t rawLength = 0;  // bytes of this line seen so far
    char lastByte = 0;
    bool any = false;
    bool newline = false;
    while (!newline) {
        if (position_ == end_ && !Fill()) break;
        const char* start = buffer_.get() + position_;
        std::size_t available = end_ - position_;
        const char* lineEnd = static_cast<const char*>(std::memchr(start, '\n', available));
        std::size_t length = lineEnd ? static_cast<std::size_t>(lineEnd - start) : available;
        bool stop = false;
        if (const void* z = std::memchr(start, kCtrlZ, length)) {
            length = static_cast<std::size_t>(static_cast<const char*>(z) - start);
            stop = true;
        }
        if (length > 0 || !stop) any = true;  // a Ctrl-Z at a line start ends the file there
        if (line.size() < keepLimit) line.append(start, std::min(length, keepLimit - line.size()));
        if (length > 0) lastByte = start[length - 1];
        rawLength += length;
        if (stop) {
            ended_ = true;
            position_ = end_ = 0;
            break;
        }
        position_ += length;
        if (lineEnd) {
            ++position_;
            newline = true;
        }
    }
    if (!any) return false;
    if (failed_ && !newline) return false;  // the line a read error cut off is not used
    if (newline && rawLength > 0 && lastByte == '\r') {
        --rawLength;  // CR LF reads as one newline
        if (line.size() > rawLength) line.pop_back();
    }
    if (std::size_t nul = line.find('\0'); nul != std::string::npos) line.resize(nul);
    if (utf8_) {
        CutToUtf8Characters(line, maxLineBytes_);
    } else {
        CutToCharacters(line, maxLineBytes_);
    }
    return true;
}

}  // namespace hgf
