// MP3 files for the engine tests: the ones lame made at build time (HGF_TEST_MP3_DIR), ID3
// tags built byte by byte, frames of silence made here, and a reference decode through
// libmpg123.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace hgf::test {

// The bytes of a file made at build time ("tone-mono-22050.mp3" and so on); nothing when
// the build could not make it.
std::optional<std::string> BuiltMp3(const std::string& name);

// An MPEG-1 layer III frame of silence at 44100 Hz, 128 kbit/s, mono or stereo (417 bytes,
// or 418 with padding); `count` of them in a row.
std::string SilentFrames(int count, bool stereo = false);

struct Id3Frame {
    std::string name;        // "TIT2", "TT2", ...
    std::string body;        // as stored (encoding byte and text for text frames)
    std::uint8_t flags = 0;  // the second flag byte (versions 2.3 and 2.4)
};

// A text frame body: encoding byte, then the bytes of the text.
std::string TextBody(std::uint8_t encoding, const std::string& textBytes);
// UTF-16 code units as bytes, little- or big-endian, with or without a byte order mark.
std::string Utf16Bytes(const std::u16string& text, bool bigEndian, bool byteOrderMark);

struct Id3v2Options {
    int major = 3;                    // 2, 3 or 4
    std::uint8_t flags = 0;           // header flags
    std::uint32_t padding = 0;        // zero bytes after the frames
    bool plainSizesIn24 = false;      // version 2.4 sizes written as plain numbers
    std::string extendedHeader = {};  // bytes put before the frames (flags must say so)
};
// An ID3v2 tag with `frames` (sizes computed; the content is not unsynchronised here).
std::string Id3v2Tag(const std::vector<Id3Frame>& frames, const Id3v2Options& options = {});

// A 128-byte ID3v1 tag; each field is cut or NUL-padded to 30 bytes.
std::string Id3v1Tag(const std::string& title, const std::string& artist = {},
                     const std::string& album = {});

// Decodes `bytes` through libmpg123 the way the MP3 player does (16-bit, the stream's own
// format, gapless); the interleaved samples and the channel count.
struct DecodedMp3 {
    std::vector<std::int16_t> samples;
    int channels = 0;
    long rate = 0;
};
DecodedMp3 DecodeMp3Reference(const std::string& bytes);

// Zero crossings per second of one channel of interleaved samples, halved: the dominant
// frequency of a clean tone in Hz.
double ToneFrequency(const std::vector<std::int16_t>& samples, int channels, int channel,
                     long rate);

}  // namespace hgf::test
