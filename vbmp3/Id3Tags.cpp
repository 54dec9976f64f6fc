// ID3v2 frames and ID3v1 fields, read with as few bytes as the file allows: the frames of
// an ID3v2 tag are walked by seeking, and only the text frames wanted are read.
#include "Id3Tags.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "engines/TagText.h"
#include "platform/CodePage932.h"

namespace hgf::vbmp3 {
namespace {

constexpr std::uint32_t kHeaderBytes = 10;               // "ID3", version, flags, size
constexpr std::uint32_t kMaxTextFrameBytes = 1u << 16;   // a larger text frame is passed over
constexpr std::uint32_t kMaxLoadedTagBytes = 16u << 20;  // a tag read whole: the part kept
constexpr std::uint32_t kId3v1Bytes = 128;

// The 28-bit value of four bytes that hold 7 bits each.
std::uint32_t Syncsafe(const std::uint8_t* b) {
    return (std::uint32_t{b[0]} << 21) | (std::uint32_t{b[1]} << 14) | (std::uint32_t{b[2]} << 7) |
           b[3];
}
std::uint32_t BigEndian(const std::uint8_t* b, int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 8) | b[i];
    return value;
}

// Unsynchronisation undone: every 0xFF 0x00 becomes 0xFF.
void Resynchronise(std::vector<std::uint8_t>& bytes) {
    std::size_t out = 0;
    for (std::size_t in = 0; in < bytes.size(); ++in) {
        bytes[out++] = bytes[in];
        if (bytes[in] == 0xFF && in + 1 < bytes.size() && bytes[in + 1] == 0x00) ++in;
    }
    bytes.resize(out);
}

// Reads `count` bytes (fewer only at the end of the file).
std::size_t ReadFully(InputFile& file, std::uint8_t* out, std::size_t count) {
    std::size_t got = 0;
    while (got < count) {
        std::size_t n = file.Read(out + got, count - got);
        if (n == 0) break;
        got += n;
    }
    return got;
}

// The bytes of an ID3v2 tag after its header, by offset.
class TagBytes {
  public:
    virtual ~TagBytes() = default;
    virtual bool Read(std::uint32_t offset, std::uint8_t* out, std::uint32_t count) = 0;
    std::uint32_t size = 0;
};

// The tag read whole (an unsynchronised tag, or a file that cannot seek).
class LoadedTag final : public TagBytes {
  public:
    LoadedTag(InputFile& file, std::uint32_t declared, bool unsynchronised) {
        const std::uint32_t wanted = std::min(declared, kMaxLoadedTagBytes);
        constexpr std::uint32_t kStep = 1u << 16;
        while (bytes_.size() < wanted) {
            const std::size_t at = bytes_.size();
            const std::size_t step = std::min<std::size_t>(kStep, wanted - at);
            bytes_.resize(at + step);
            const std::size_t got = ReadFully(file, bytes_.data() + at, step);
            bytes_.resize(at + got);
            if (got < step) break;
        }
        if (unsynchronised) Resynchronise(bytes_);
        size = static_cast<std::uint32_t>(bytes_.size());
    }
    bool Read(std::uint32_t offset, std::uint8_t* out, std::uint32_t count) override {
        if (offset > size || count > size - offset) return false;
        std::memcpy(out, bytes_.data() + offset, count);
        return true;
    }

  private:
    std::vector<std::uint8_t> bytes_;
};

// The tag read from the file where needed.
class SeekingTag final : public TagBytes {
  public:
    SeekingTag(InputFile& file, std::uint32_t declared, std::optional<std::uint64_t> fileSize)
        : file_(file) {
        size = declared;
        if (fileSize) {
            const std::uint64_t available = *fileSize > kHeaderBytes ? *fileSize - kHeaderBytes : 0;
            size = static_cast<std::uint32_t>(std::min<std::uint64_t>(declared, available));
        }
    }
    bool Read(std::uint32_t offset, std::uint8_t* out, std::uint32_t count) override {
        if (offset > size || count > size - offset) return false;
        return file_.Seek(kHeaderBytes + std::uint64_t{offset}) &&
               ReadFully(file_, out, count) == count;
    }

  private:
    InputFile& file_;
};

enum Field { kTitle, kArtist, kAlbum, kFieldCount };

// Frame names of the three texts: version 2.2, then 2.3 and 2.4.
constexpr const char* kFrameNames[2][kFieldCount] = {{"TT2", "TP1", "TAL"},
                                                     {"TIT2", "TPE1", "TALB"}};

bool IsFrameNameChar(std::uint8_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

std::string TextUntilNul(std::span<const std::uint8_t> bytes) {
    const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    return std::string(bytes.begin(), end);
}

std::u16string Utf16UntilNul(std::span<const std::uint8_t> bytes, bool bigEndian) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t unit = bigEndian ? static_cast<char16_t>((bytes[i] << 8) | bytes[i + 1])
                                        : static_cast<char16_t>((bytes[i + 1] << 8) | bytes[i]);
        if (unit == 0) break;
        text.push_back(unit);
    }
    return text;
}

// The first text of a text frame's body (encoding byte, then the text).
std::string FrameText(std::span<const std::uint8_t> body, CodePage932Converter toCodePage932) {
    if (body.empty()) return {};
    const std::uint8_t encoding = body[0];
    std::span<const std::uint8_t> text = body.subspan(1);
    switch (encoding) {
        case 0:  // ISO-8859-1 by the format; code page 932 in the files of this kind
            return TextUntilNul(text);
        case 1: {  // UTF-16 with a byte order mark (little-endian without one)
            bool bigEndian = false;
            if (text.size() >= 2 &&
                ((text[0] == 0xFE && text[1] == 0xFF) || (text[0] == 0xFF && text[1] == 0xFE))) {
                bigEndian = text[0] == 0xFE;
                text = text.subspan(2);
            }
            return toCodePage932(Utf16UntilNul(text, bigEndian));
        }
        case 2:  // UTF-16 big-endian
            return toCodePage932(Utf16UntilNul(text, true));
        case 3:  // UTF-8
            return toCodePage932(Utf16FromUtf8(TextUntilNul(text)));
        default:
            return {};
    }
}

// Where a frame header may stand: the end of the frames, padding, or a frame name.
bool FramesGoOnAt(TagBytes& tag, std::uint32_t offset) {
    if (offset == tag.size) return true;
    std::uint8_t name[4];
    if (!tag.Read(offset, name, 4)) return false;
    return name[0] == 0 || std::all_of(std::begin(name), std::end(name),
                                       [](std::uint8_t c) { return IsFrameNameChar(c); });
}

void ReadFrames(TagBytes& tag, int major, bool unsynchronisedFrames, std::uint32_t start,
                CodePage932Converter toCodePage932, TagTexts& texts) {
    const std::uint32_t nameBytes = major == 2 ? 3 : 4;
    const std::uint32_t headerBytes = major == 2 ? 6 : 10;
    std::string* fields[kFieldCount] = {&texts.title, &texts.artist, &texts.album};
    bool found[kFieldCount] = {};
    std::uint32_t offset = start;
    while (offset <= tag.size && headerBytes <= tag.size - offset) {
        std::uint8_t header[10];
        if (!tag.Read(offset, header, headerBytes)) return;
        // Padding, or bytes that are no frame, end the frames.
        if (!std::all_of(header, header + nameBytes, IsFrameNameChar)) return;
        const std::uint32_t bodyOffset = offset + headerBytes;
        std::uint32_t size;
        if (major == 2) {
            size = BigEndian(header + 3, 3);
        } else if (major == 3) {
            size = BigEndian(header + 4, 4);
        } else {
            // Version 2.4 sizes are syncsafe, but some writers stored plain numbers there:
            // the plain number wins when only it lands on the next frame.
            const std::uint32_t plain = BigEndian(header + 4, 4);
            const bool syncsafe = ((header[4] | header[5] | header[6] | header[7]) & 0x80) == 0;
            size = syncsafe ? Syncsafe(header + 4) : plain;
            if (syncsafe && size != plain && plain <= tag.size - bodyOffset &&
                !FramesGoOnAt(tag, bodyOffset + std::min(size, tag.size - bodyOffset)) &&
                FramesGoOnAt(tag, bodyOffset + plain))
                size = plain;
        }
        if (size > tag.size - bodyOffset) return;
        offset = bodyOffset + size;

        int field = kFieldCount;
        for (int f = 0; f < kFieldCount; ++f)
            if (std::memcmp(header, kFrameNames[major == 2 ? 0 : 1][f], nameBytes) == 0) field = f;
        if (field == kFieldCount || found[field] || size > kMaxTextFrameBytes) continue;

        // Extra bytes before the body, and frames that cannot be read as they are.
        std::uint32_t skip = 0;
        bool unsynchronised = false;
        if (major == 3) {
            const std::uint8_t flags = header[9];
            if (flags & 0xC0) continue;  // compressed or encrypted
            if (flags & 0x20) skip = 1;  // group identifier
        } else if (major == 4) {
            const std::uint8_t flags = header[9];
            if (flags & 0x0C) continue;   // compressed or encrypted
            if (flags & 0x40) skip += 1;  // group identifier
            if (flags & 0x01) skip += 4;  // data length indicator
            unsynchronised = unsynchronisedFrames || (flags & 0x02);
        }
        if (skip > size) continue;
        std::vector<std::uint8_t> body(size - skip);
        if (!tag.Read(bodyOffset + skip, body.data(), size - skip)) return;
        if (unsynchronised) Resynchronise(body);
        *fields[field] = TidyTagText(FrameText(body, toCodePage932));
        found[field] = true;
    }
}

// The ID3v2 tag at the start of the file, if it has one.
std::optional<TagTexts> ReadId3v2(InputFile& file, CodePage932Converter toCodePage932) {
    std::uint8_t header[kHeaderBytes];
    if (ReadFully(file, header, kHeaderBytes) != kHeaderBytes) return std::nullopt;
    const int major = header[3];
    const std::uint8_t flags = header[5];
    if (std::memcmp(header, "ID3", 3) != 0 || major < 2 || major > 4 || header[4] == 0xFF ||
        ((header[6] | header[7] | header[8] | header[9]) & 0x80))
        return std::nullopt;
    TagTexts texts;
    if (major == 2 && (flags & 0x40)) return texts;  // compressed by a scheme never defined
    const std::uint32_t declared = Syncsafe(header + 6);

    // A tag unsynchronised as a whole has its frame sizes counted after undoing it, so it
    // is read whole; so is the tag of a file that cannot seek.
    const bool wholeTagUnsynchronised = major < 4 && (flags & 0x80);
    std::unique_ptr<TagBytes> tag;
    if (wholeTagUnsynchronised || !file.Seek(kHeaderBytes))
        tag = std::make_unique<LoadedTag>(file, declared, wholeTagUnsynchronised);
    else
        tag = std::make_unique<SeekingTag>(file, declared, file.Size());

    std::uint32_t start = 0;
    if (major >= 3 && (flags & 0x40)) {  // extended header
        std::uint8_t size[4];
        if (!tag->Read(0, size, 4)) return texts;
        start = major == 3 ? BigEndian(size, 4) + 4 : Syncsafe(size);
        if (start < 6 || start > tag->size) return texts;
    }
    ReadFrames(*tag, major, major == 4 && (flags & 0x80), start, toCodePage932, texts);
    return texts;
}

// One field of an ID3v1 tag: up to the first NUL, without trailing spaces.
std::string Id3v1Field(const std::uint8_t* bytes, std::size_t count) {
    return TidyTagText(CutShiftJis(TextUntilNul({bytes, count}), count));
}

std::optional<TagTexts> ReadId3v1(InputFile& file) {
    const std::optional<std::uint64_t> size = file.Size();
    if (!size || *size < kId3v1Bytes || !file.Seek(*size - kId3v1Bytes)) return std::nullopt;
    std::uint8_t tag[kId3v1Bytes];
    if (ReadFully(file, tag, kId3v1Bytes) != kId3v1Bytes || std::memcmp(tag, "TAG", 3) != 0)
        return std::nullopt;
    return TagTexts{Id3v1Field(tag + 3, 30), Id3v1Field(tag + 33, 30), Id3v1Field(tag + 63, 30)};
}

}  // namespace

std::optional<TagTexts> ReadTags(InputFile& file, CodePage932Converter toCodePage932) {
    std::optional<TagTexts> v2 = ReadId3v2(file, toCodePage932);
    std::optional<TagTexts> v1 = ReadId3v1(file);
    if (!v2) return v1;
    if (v1) {
        if (v2->title.empty()) v2->title = std::move(v1->title);
        if (v2->artist.empty()) v2->artist = std::move(v1->artist);
        if (v2->album.empty()) v2->album = std::move(v1->album);
    }
    return v2;
}

}  // namespace hgf::vbmp3
