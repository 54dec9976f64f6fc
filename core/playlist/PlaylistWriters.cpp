// The .spl, .m3u and .htm writers and the save entry that picks one by suffix. Japanese
// texts are spelled as Shift_JIS bytes so that every compiler writes the same file.
#include "playlist/PlaylistWriters.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string_view>

#include "platform/ReplacingFile.h"
#include "playlist/PlaylistText.h"

namespace hgf {
namespace {

// "Harrowgladeforte Series PlayList" and the comment block that explains the keys.
constexpr std::string_view kSplHeader =
    "Harrowgladeforte Series PlayList\r\n"
    ";\r\n"
    // ";0:ファイルパス"
    ";0:\x83\x74\x83\x40\x83\x43\x83\x8b\x83\x70\x83\x58\r\n"
    // ";1:ファイルなら0 フォルダなら1"
    ";1:\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xc8\x82\xe7"
    "0 \x83\x74\x83\x48\x83\x8b\x83\x5f\x82\xc8\x82\xe7"
    "1\r\n"
    // ";2:タイトル"
    ";2:\x83\x5e\x83\x43\x83\x67\x83\x8b\r\n"
    // ";3:インデント幅"
    ";3:\x83\x43\x83\x93\x83\x66\x83\x93\x83\x67\x95\x9d\r\n"
    // ";@ 項目終了"
    ";@ \x8d\x80\x96\xda\x8f\x49\x97\xb9\r\n"
    // ";その他の文字 シカト。"
    ";\x82\xbb\x82\xcc\x91\xbc\x82\xcc\x95\xb6\x8e\x9a \x83\x56\x83\x4a\x83\x67\x81\x42\r\n"
    ";\r\n";

// "プレイリスト登録ファイル"
#define HGF_PAGE_TITLE                                                                             \
    "\x83\x76\x83\x8c\x83\x43\x83\x8a\x83\x58\x83\x67\x93\x6f\x98\x5e\x83\x74\x83\x40\x83\x43\x83" \
    "\x8b"

// Opens the page up to the date. The head is closed and the body opened here, so the page
// is well formed.
constexpr std::string_view kHtmHead =
    "<html>\r\n"
    "<head>\r\n"
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">\r\n"
    "<title>" HGF_PAGE_TITLE
    "</title>\r\n"
    "</head>\r\n"
    "<body>\r\n" HGF_PAGE_TITLE " ( ";

constexpr std::string_view kHtmAfterDate =
    " ) <br>\r\n"
    "<hr width=\"100%\" size=\"1\">\r\n"
    "<div align=\"right\">"
    "\x83\x74\x83\x48\x83\x8b\x83\x5f\x81\x46";  // "フォルダ："
constexpr std::string_view kHtmFiles =
    "/ \x83\x74\x83\x40\x83\x43\x83\x8b\x81\x46";                     // "/ ファイル："
constexpr std::string_view kHtmTotal = "/ \x8d\x87\x8c\x76\x81\x46";  // "/ 合計："
constexpr std::string_view kHtmTableStart =
    "</div>\r\n"
    "<hr width=\"100%\" size=\"1\">\r\n"
    "<table border=\"1\" align=\"center\" cellpadding=\"1\" cellspacing=\"1\" "
    "bordercolor=\"#666666\">\r\n";
constexpr std::string_view kIdeographicSpace = "\x81\x40";  // "　" (U+3000)
// Deepest indentation drawn on the page. A path of 260 characters nests at most 130
// folders; the bound keeps a damaged indent from writing gigabytes of spaces.
constexpr std::int32_t kMaxPageIndent = 256;

#undef HGF_PAGE_TITLE

// Collects output and hands it to the file in large pieces.
class BufferedOutput {
  public:
    explicit BufferedOutput(ReplacingFile& file) : file_(file) { buffer_.reserve(kFlushAt + 4096); }

    void Append(std::string_view text) {
        buffer_.append(text);
        if (buffer_.size() >= kFlushAt) Flush();
    }
    void AppendNumber(long long value) {
        char digits[24];
        std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, value);
        Append(std::string_view(digits, static_cast<std::size_t>(end.ptr - digits)));
    }
    // `text` with the bytes that would end its line early for a reader (CR, LF, Ctrl-Z
    // and NUL) written as spaces, for fields that must stay on one line.
    void AppendLineField(std::string_view text) {
        std::size_t written = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            unsigned char c = text[i];
            if (c <= 0x1A && (c == 0 || c == '\r' || c == '\n' || c == 0x1A)) {
                buffer_.append(text.data() + written, i - written);
                buffer_ += ' ';
                written = i + 1;
            }
        }
        Append(text.substr(written));
    }

    // Flushes what is left and puts the file in place: kFailed when any byte did not
    // reach it or it could not replace the older file.
    SaveResult Finish() {
        Flush();
        return file_.Commit() ? SaveResult::kSaved : SaveResult::kFailed;
    }

  private:
    static constexpr std::size_t kFlushAt = 64 * 1024;

    void Flush() {
        if (!buffer_.empty()) file_.Write(buffer_.data(), buffer_.size());
        buffer_.clear();
    }

    ReplacingFile& file_;
    std::string buffer_;
};

}  // namespace

SaveResult WriteSpl(FileSystem& fileSystem, const std::string& path,
                    const std::deque<PlaylistItem>& items) {
    if (!HasSuffix(path, ".spl")) return SaveResult::kNotCreated;
    ReplacingFile file(fileSystem, path);
    if (!file.IsCreated()) return SaveResult::kNotCreated;
    BufferedOutput out(file);
    out.Append(kSplHeader);
    for (const PlaylistItem& item : items) {
        out.Append("0:");
        out.AppendLineField(item.path);
        out.Append(item.isFolder ? "\r\n1:1\r\n2:" : "\r\n1:0\r\n2:");
        out.AppendLineField(item.title);
        out.Append("\r\n3:");
        out.AppendNumber(item.indent);
        out.Append("\r\n@\r\n");
    }
    return out.Finish();
}

SaveResult WriteM3u(FileSystem& fileSystem, const std::string& path,
                    const std::deque<PlaylistItem>& items) {
    if (!HasSuffix(path, ".m3u")) return SaveResult::kNotCreated;
    ReplacingFile file(fileSystem, path);
    if (!file.IsCreated()) return SaveResult::kNotCreated;
    BufferedOutput out(file);
    for (const PlaylistItem& item : items) {
        if (item.isFolder) continue;
        out.AppendLineField(item.path);
        out.Append("\r\n");
    }
    return out.Finish();
}

SaveResult WriteHtm(FileSystem& fileSystem, Clock& clock, const std::string& path,
                    const std::deque<PlaylistItem>& items) {
    if (!HasSuffix(path, ".htm")) return SaveResult::kNotCreated;
    ReplacingFile file(fileSystem, path);
    if (!file.IsCreated()) return SaveResult::kNotCreated;

    long long headings = 0;
    for (const PlaylistItem& item : items) {
        if (item.isFolder) ++headings;
    }
    const long long total = static_cast<long long>(items.size());
    const LocalTime today = clock.NowUtc();

    std::string indentation;  // the deepest indentation; each row takes its share
    for (std::int32_t level = 0; level < kMaxPageIndent; ++level)
        indentation += kIdeographicSpace;

    BufferedOutput out(file);
    out.Append(kHtmHead);
    out.AppendNumber(today.year);
    out.Append("/");
    out.AppendNumber(today.month);
    out.Append("/");
    out.AppendNumber(today.day);
    out.Append(kHtmAfterDate);
    out.AppendNumber(headings);
    out.Append(kHtmFiles);
    out.AppendNumber(total - headings);
    out.Append(kHtmTotal);
    out.AppendNumber(total);
    out.Append(kHtmTableStart);

    for (const PlaylistItem& item : items) {
        out.Append("  <tr><td>");
        if (item.indent > 0) {
            const std::size_t depth =
                static_cast<std::size_t>(std::min(item.indent, kMaxPageIndent));
            out.Append(std::string_view(indentation).substr(0, depth * kIdeographicSpace.size()));
        }
        if (item.isFolder) {
            out.Append("[");
            out.Append(item.title);
            out.Append("]</td><td>");
        } else {
            out.Append(kIdeographicSpace);  // lines file titles up under their heading's "["
            out.Append(item.title);
            out.Append("</td><td>");
        }
        out.Append(item.path);
        out.Append("</td></tr>\r\n");
    }

    out.Append(
        "</table>\r\n"
        "<hr width=\"100%\" size=\"1\">\r\n"
        "<div align=\"right\"><a href=\"");
    out.Append(kHomePageAddress);
    out.Append(
        "\">Harrowgladeforte Series.</a></div>\r\n"
        "</body>\r\n"
        "</html>\r\n");
    return out.Finish();
}

SaveResult SaveList(FileSystem& fileSystem, Clock& clock, const std::string& path,
                    const std::deque<PlaylistItem>& items) {
    SaveResult result = WriteSpl(fileSystem, path, items);
    if (result == SaveResult::kNotCreated) result = WriteM3u(fileSystem, path, items);
    if (result == SaveResult::kNotCreated) result = WriteHtm(fileSystem, clock, path, items);
    return result;
}

}  // namespace hgf
