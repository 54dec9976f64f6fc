// Text handling shared by the playlist readers and writers: suffix tests, Shift_JIS-aware
// cuts, and line reading that behaves like a Windows text-mode stream on every build.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace hgf {

// True when the last four characters of `path` equal `suffix` (".spl" and the like),
// ignoring ASCII letter case.
bool HasSuffix(std::string_view path, std::string_view suffix);

// The part of `path` after its last "\\" (the whole text when it holds none). A 0x5C
// that is the second byte of a double-byte character (as in "表") is not a separator.
std::string_view LastComponent(std::string_view path);

// Shortens `text` to at most `maxBytes` bytes without leaving half a double-byte character.
void CutToCharacters(std::string& text, std::size_t maxBytes);
// The same for UTF-8 text: no sequence of a character is left cut.
void CutToUtf8Characters(std::string& text, std::size_t maxBytes);

// Reads lines from a byte stream the way a Windows text-mode stream delivers them: a CR LF
// pair is one newline (a lone CR stays), and a Ctrl-Z byte ends the file. Bare LF line
// ends read the same. Each line arrives whole, without its newline, cut after its first
// `maxLineBytes` bytes on a whole character (Shift_JIS, or UTF-8 after ReadUtf8; the rest
// of the line is skipped, never read as a line of its own) and at its first NUL byte.
class TextLineReader {
  public:
    TextLineReader(InputFile& file, std::size_t maxLineBytes);
    ~TextLineReader();

    // Before the first line: skips a UTF-8 byte-order mark (EF BB BF) that starts the
    // file; true when there was one.
    bool SkipUtf8ByteOrderMark();
    // Lines from here on are UTF-8, cut after `maxLineBytes` bytes.
    void ReadUtf8(std::size_t maxLineBytes) {
        utf8_ = true;
        maxLineBytes_ = maxLineBytes;
    }

    // The next line in `line`; false at the end of the file. After a read error the lines
    // read in whole before it still arrive; the line it cut off does not.
    bool ReadLine(std::string& line);

  private:
    bool Fill();

    InputFile& file_;
    std::size_t maxLineBytes_;
    bool utf8_ = false;  // lines are UTF-8, not Shift_JIS
    std::unique_ptr<char[]> buffer_;
    std::size_t position_ = 0;  // next unread byte in buffer_
    std::size_t end_ = 0;       // bytes held in buffer_
    bool ended_ = false;        // end of file, read error or Ctrl-Z seen
    bool failed_ = false;       // a read error ended the file
};

}  // namespace hgf
