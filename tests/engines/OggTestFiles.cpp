// Tone encoding with libvorbisenc and reference decoding with vorbisfile from memory.
#include "OggTestFiles.h"

#include <ogg/ogg.h>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <cstring>

#include "engines/PcmConversion.h"

namespace hgf::test {
namespace {

constexpr double kTwoPi = 6.283185307179586;

void AppendPage(std::string& out, const ogg_page& page) {
    out.append(reinterpret_cast<const char*>(page.header), page.header_len);
    out.append(reinterpret_cast<const char*>(page.body), page.body_len);
}

struct MemorySource {
    const std::string* bytes;
    std::size_t position = 0;
};

std::size_t MemoryRead(void* buffer, std::size_t size, std::size_t count, void* source) {
    auto* memory = static_cast<MemorySource*>(source);
    std::size_t left = memory->bytes->size() - memory->position;
    std::size_t want = size * count < left ? size * count : left;
    std::memcpy(buffer, memory->bytes->data() + memory->position, want);
    memory->position += want;
    return size ? want / size : 0;
}

int MemorySeek(void* source, ogg_int64_t offset, int whence) {
    auto* memory = static_cast<MemorySource*>(source);
    ogg_int64_t base = whence == SEEK_SET   ? 0
                       : whence == SEEK_CUR ? static_cast<ogg_int64_t>(memory->position)
                                            : static_cast<ogg_int64_t>(memory->bytes->size());
    ogg_int64_t target = base + offset;
    if (target < 0 || target > static_cast<ogg_int64_t>(memory->bytes->size())) return -1;
    memory->position = static_cast<std::size_t>(target);
    return 0;
}

long MemoryTell(void* source) {
    return static_cast<long>(static_cast<MemorySource*>(source)->position);
}

}  // namespace

std::string EncodeTone(const ToneOptions& options) {
    vorbis_info info;
    vorbis_info_init(&info);
    int setup =
        options.bitrate > 0
            ? vorbis_encode_init(&info, options.channels, options.rate, -1, options.bitrate, -1)
            : vorbis_encode_init_vbr(&info, options.channels, options.rate, options.quality);
    if (setup != 0) {
        vorbis_info_clear(&info);
        return {};
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "TITLE", options.title.c_str());
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, options.serial);

    std::string out;
    ogg_packet header, headerComment, headerCode;
    vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &headerComment);
    ogg_stream_packetin(&stream, &headerCode);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page))
        AppendPage(out, page);

    const long total = static_cast<long>(std::lround(options.seconds * options.rate));
    std::uint32_t noiseState = 12345;
    long done = 0;
    bool ended = false;
    while (!ended) {
        const long count = total - done < 1024 ? total - done : 1024;
        if (count > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, 1024);
            for (long i = 0; i < count; ++i) {
                const double t = static_cast<double>(done + i) / options.rate;
                for (int c = 0; c < options.channels; ++c) {
                    const double frequency = options.frequency * (c == 0 ? 1.0 : 1.5);
                    double value = options.amplitude * std::sin(kTwoPi * frequency * t);
                    if (options.noise > 0) {
                        noiseState = noiseState * 1664525u + 1013904223u;
                        value += options.noise * ((noiseState >> 8) / 8388608.0 - 1.0);
                    }
                    buffer[c][i] = static_cast<float>(value);
                }
            }
            vorbis_analysis_wrote(&dsp, static_cast<int>(count));
            done += count;
        } else {
            vorbis_analysis_wrote(&dsp, 0);
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page)) {
                    AppendPage(out, page);
                    if (ogg_page_eos(&page)) ended = true;
                }
            }
        }
    }
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

std::vector<std::int16_t> DecodeReference(const std::string& bytes, float gain) {
    std::vector<std::int16_t> samples;
    MemorySource source{&bytes};
    ov_callbacks callbacks{MemoryRead, MemorySeek, nullptr, MemoryTell};
    OggVorbis_File file;
    if (ov_open_callbacks(&source, &file, nullptr, 0, callbacks) < 0) return samples;
    const int channels = ov_info(&file, 0)->channels;
    for (;;) {
        float** pcm = nullptr;
        int link = 0;
        long frames = ov_read_float(&file, &pcm, 4096, &link);
        if (frames <= 0 || link != 0) break;
        for (long i = 0; i < frames; ++i)
            for (int c = 0; c < channels; ++c)
                samples.push_back(hgf::FloatToPcm16(pcm[c][i], gain));
    }
    ov_clear(&file);
    return samples;
}

std::vector<std::size_t> PageOffsets(const std::string& bytes) {
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i + 4 <= bytes.size(); ++i)
        if (bytes.compare(i, 4, "OggS") == 0) offsets.push_back(i);
    return offsets;
}

}  // namespace hgf::test
