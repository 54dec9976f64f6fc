// Building ID3 tags and silent frames, and decoding through libmpg123 from memory.
#include "Mp3TestFiles.h"

#include <mpg123.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace hgf::test {
namespace {

std::string Syncsafe(std::uint32_t value) {
    std::string out(4, '\0');
    for (int i = 3; i >= 0; --i, value >>= 7)
        out[i] = static_cast<char>(value & 0x7F);
    return out;
}

std::string BigEndian(std::uint32_t value, int bytes) {
    std::string out(bytes, '\0');
    for (int i = bytes - 1; i >= 0; --i, value >>= 8)
        out[i] = static_cast<char>(value & 0xFF);
    return out;
}

struct MemoryReader {
    const std::string* bytes;
    std::size_t position = 0;
    static mpg123_ssize_t Read(void* self, void* buffer, size_t count) {
        auto* reader = static_cast<MemoryReader*>(self);
        const std::size_t n = std::min(count, reader->bytes->size() - reader->position);
        std::memcpy(buffer, reader->bytes->data() + reader->position, n);
        reader->position += n;
        return static_cast<mpg123_ssize_t>(n);
    }
    static off_t Seek(void*, off_t, int) { return -1; }
};

}  // namespace

std::optional<std::string> BuiltMp3(const std::string& name) {
    std::ifstream in(std::string(HGF_TEST_MP3_DIR) + "/" + name, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string SilentFrames(int count, bool stereo) {
    // Header: sync, MPEG-1, layer III, no CRC; 128 kbit/s, 44100 Hz; the channel mode.
    // Side information and main data all zero decode to silence.
    std::string frames;
    for (int i = 0; i < count; ++i) {
        std::string frame(417, '\0');
        frame[0] = static_cast<char>(0xFF);
        frame[1] = static_cast<char>(0xFB);
        frame[2] = static_cast<char>(0x90);
        frame[3] = static_cast<char>(stereo ? 0x00 : 0xC0);
        frames += frame;
    }
    return frames;
}

std::string TextBody(std::uint8_t encoding, const std::string& textBytes) {
    return std::string(1, static_cast<char>(encoding)) + textBytes;
}

std::string Utf16Bytes(const std::u16string& text, bool bigEndian, bool byteOrderMark) {
    std::string out;
    auto put = [&](char16_t unit) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        out += bigEndian ? std::string{high, low} : std::string{low, high};
    };
    if (byteOrderMark) put(0xFEFF);
    for (char16_t unit : text)
        put(unit);
    return out;
}

std::string Id3v2Tag(const std::vector<Id3Frame>& frames, const Id3v2Options& options) {
    std::string body = options.extendedHeader;
    for (const Id3Frame& frame : frames) {
        const auto size = static_cast<std::uint32_t>(frame.body.size());
        body += frame.name;
        if (options.major == 2) {
            body += BigEndian(size, 3);
        } else {
            body +=
                options.major == 4 && !options.plainSizesIn24 ? Syncsafe(size) : BigEndian(size, 4);
            body += std::string(1, '\0') + static_cast<char>(frame.flags);
        }
        body += frame.body;
    }
    body += std::string(options.padding, '\0');
    return std::string("ID3") + static_cast<char>(options.major) + '\0' +
           static_cast<char>(options.flags) + Syncsafe(static_cast<std::uint32_t>(body.size())) +
           body;
}

std::string Id3v1Tag(const std::string& title, const std::string& artist,
                     const std::string& album) {
    auto field = [](std::string text) {
        text.resize(30, '\0');
        return text;
    };
    std::string tag = "TAG" + field(title) + field(artist) + field(album);
    tag.resize(128, '\0');
    return tag;
}

DecodedMp3 DecodeMp3Reference(const std::string& bytes) {
    DecodedMp3 decoded;
    mpg123_init();
    mpg123_handle* handle = mpg123_new(nullptr, nullptr);
    mpg123_param(handle, MPG123_ADD_FLAGS,
                 MPG123_QUIET | MPG123_SKIP_ID3V2 | MPG123_NO_FRANKENSTEIN | MPG123_GAPLESS, 0);
    mpg123_format_none(handle);
    const long* rates = nullptr;
    std::size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (std::size_t i = 0; i < rateCount; ++i)
        mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    MemoryReader reader{&bytes};
    mpg123_replace_reader_handle(handle, &MemoryReader::Read, &MemoryReader::Seek, nullptr);
    if (mpg123_open_handle(handle, &reader) == MPG123_OK) {
        int encoding = 0;
        mpg123_getformat(handle, &decoded.rate, &decoded.channels, &encoding);
        std::int16_t buffer[4096];
        for (;;) {
            std::size_t done = 0;
            const int result = mpg123_read(handle, buffer, sizeof buffer, &done);
            decoded.samples.insert(decoded.samples.end(), buffer, buffer + done / 2);
            if (result != MPG123_OK && result != MPG123_NEW_FORMAT) break;
        }
        mpg123_close(handle);
    }
    mpg123_delete(handle);
    return decoded;
}

double ToneFrequency(const std::vector<std::int16_t>& samples, int channels, int channel,
                     long rate) {
    long crossings = 0;
    std::size_t frames = samples.size() / channels;
    for (std::size_t i = 1; i < frames; ++i) {
        const int before = samples[(i - 1) * channels + channel];
        const int now = samples[i * channels + channel];
        if ((before < 0) != (now < 0)) ++crossings;
    }
    return frames > 0 ? crossings / 2.0 * rate / static_cast<double>(frames) : 0.0;
}

}  // namespace hgf::test
