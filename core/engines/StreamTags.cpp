// FLAC metadata blocks and the comment header of an Ogg stream, each searched for TITLE.
#include "engines/StreamTags.h"

#include <ogg/ogg.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

#include "engines/StreamSignature.h"
#include "engines/TagText.h"
#include "platform/CodePage932.h"

namespace hgf {
namespace {

constexpr std::size_t kMaxCommentBytes = 1u << 20;      // of a comment block that is looked at
constexpr std::uint64_t kMaxOggHeaderBytes = 4u << 20;  // read in search of the comments
constexpr int kMaxFlacBlocks = 64;                      // metadata blocks looked at
constexpr int kMaxOggHeaderPackets = 8;                 // packets looked at
constexpr std::size_t kOggReadBytes = 8192;
constexpr std::uint8_t kFlacCommentBlock = 4;  // VORBIS_COMMENT

std::uint32_t LittleEndian32(const std::uint8_t* bytes) {
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (std::uint32_t{bytes[3]} << 24);
}

bool StartsWithTitleKey(std::string_view entry) {
    static constexpr std::string_view kKey = "TITLE=";
    if (entry.size() < kKey.size()) return false;
    for (std::size_t i = 0; i < kKey.size(); ++i) {
        char c = entry[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        if (c != kKey[i]) return false;
    }
    return true;
}

// The first non-empty TITLE of a comment list (vendor text, count, then length-prefixed
// "KEY=value" entries), as a title; the list may be cut short.
std::optional<std::string> TitleOfComments(std::string_view data, Utf16ToCodePage932 convert) {
    auto take = [&](std::uint32_t& value) {
        if (data.size() < 4) return false;
        value = LittleEndian32(reinterpret_cast<const std::uint8_t*>(data.data()));
        data.remove_prefix(4);
        return true;
    };
    std::uint32_t length = 0, count = 0;
    if (!take(length) || length > data.size()) return std::nullopt;
    data.remove_prefix(length);
    if (!take(count)) return std::nullopt;
    for (std::uint32_t i = 0; i < count && take(length) && length <= data.size(); ++i) {
        const std::string_view entry = data.substr(0, length);
        data.remove_prefix(length);
        if (!StartsWithTitleKey(entry)) continue;
        std::string title =
            CutShiftJis(TidyTagText(convert(Utf16FromUtf8(entry.substr(6)))), kMaxTagTitleBytes);
        while (!title.empty() && title.back() == ' ')
            title.pop_back();
        if (!title.empty()) return title;
    }
    return std::nullopt;
}

std::size_t ReadFully(InputFile& file, void* out, std::size_t count) {
    std::size_t got = 0;
    while (got < count) {
        const std::size_t n = file.Read(static_cast<char*>(out) + got, count - got);
        if (n == 0) break;
        got += n;
    }
    return got;
}

// Native FLAC: the metadata blocks from `offset` on (the read position stands there).
std::optional<std::string> FlacTitle(InputFile& file, std::uint64_t offset,
                                     Utf16ToCodePage932 convert) {
    for (int block = 0; block < kMaxFlacBlocks; ++block) {
        std::uint8_t header[4];
        if (ReadFully(file, header, 4) != 4) return std::nullopt;
        const std::uint32_t length = (header[1] << 16) | (header[2] << 8) | header[3];
        offset += 4 + std::uint64_t{length};
        if ((header[0] & 0x7F) == kFlacCommentBlock) {
            std::string data(std::min<std::size_t>(length, kMaxCommentBytes), '\0');
            data.resize(ReadFully(file, data.data(), data.size()));
            return TitleOfComments(data, convert);
        }
        if ((header[0] & 0x80) || !file.Seek(offset)) return std::nullopt;  // the last block
    }
    return std::nullopt;
}

// The comments of an Ogg stream's header packets: where they start in each kind of packet.
std::optional<std::string> CommentsOfPacket(StreamKind kind, const ogg_packet& packet,
                                            Utf16ToCodePage932 convert) {
    const std::string_view data(reinterpret_cast<const char*>(packet.packet),
                                static_cast<std::size_t>(packet.bytes));
    std::string_view prefix;
    switch (kind) {
        case StreamKind::kOggVorbis:
            prefix = "\x03vorbis";
            break;
        case StreamKind::kOggOpus:
            prefix = "OpusTags";
            break;
        default:
            // An Ogg FLAC header packet is one metadata block: its header, then the block.
            if (data.size() < 4 || (data[0] & 0x7F) != kFlacCommentBlock) return std::nullopt;
            return TitleOfComments(data.substr(4), convert);
    }
    if (!data.starts_with(prefix)) return std::nullopt;
    return TitleOfComments(data.substr(prefix.size()), convert);
}

// The header packets of the file's first logical stream, until one holds the comments.
std::optional<std::string> OggTitle(InputFile& file, StreamKind kind, Utf16ToCodePage932 convert) {
    ogg_sync_state sync;
    ogg_stream_state stream;
    ogg_sync_init(&sync);
    bool streamReady = false;
    std::optional<std::string> title;
    std::uint64_t read = 0;
    int packets = 0;
    bool done = false;
    while (!done && read < kMaxOggHeaderBytes) {
        char* buffer = ogg_sync_buffer(&sync, static_cast<long>(kOggReadBytes));
        const std::size_t got = buffer ? file.Read(buffer, kOggReadBytes) : 0;
        if (got == 0 || ogg_sync_wrote(&sync, static_cast<long>(got)) != 0) break;
        read += got;
        ogg_page page;
        int pageResult;
        while (!done && (pageResult = ogg_sync_pageout(&sync, &page)) != 0) {
            if (pageResult < 0) continue;  // bytes skipped up to the next page
            if (!streamReady) {
                if (ogg_stream_init(&stream, ogg_page_serialno(&page)) != 0) {
                    done = true;
                    break;
                }
                streamReady = true;
            }
            if (ogg_stream_pagein(&stream, &page) != 0) continue;  // another stream's page
            ogg_packet packet;
            int result;
            while (!done && (result = ogg_stream_packetout(&stream, &packet)) != 0) {
                if (result < 0 || ++packets > kMaxOggHeaderPackets) {
                    done = true;
                    break;
                }
                if (packets == 1) continue;  // the identification header
                title = CommentsOfPacket(kind, packet, convert);
                // Vorbis and Opus have their comments in the second packet.
                done = title.has_value() || kind != StreamKind::kOggFlac;
            }
        }
    }
    if (streamReady) ogg_stream_clear(&stream);
    ogg_sync_clear(&sync);
    return title;
}

}  // namespace

bool ReadStreamTitle(InputFile& file, Utf16ToCodePage932 toCodePage932, std::string& title) {
    std::uint64_t flacBlocks = 0;
    const StreamKind kind = DetectStreamKind(file, &flacBlocks);
    std::optional<std::string> found;
    if (kind == StreamKind::kFlac) {
        found = FlacTitle(file, flacBlocks, toCodePage932);
    } else if (kind != StreamKind::kOther && file.Seek(0)) {
        found = OggTitle(file, kind, toCodePage932);
    }
    if (!found) return false;
    title = std::move(*found);
    return true;
}

bool ReadStreamTitle(FileSystem& files, const std::string& path, Utf16ToCodePage932 toCodePage932,
                     std::string& title) {
    const std::unique_ptr<InputFile> file = files.OpenRead(path);
    return file && ReadStreamTitle(*file, toCodePage932, title);
}

}  // namespace hgf
