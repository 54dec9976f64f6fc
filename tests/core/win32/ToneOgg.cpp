#include "ToneOgg.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>

namespace hgf::test {
namespace {

constexpr int kRate = 22050;
constexpr int kChannels = 1;
constexpr int kBlock = 1024;  // samples handed to the encoder at a time

using File = std::unique_ptr<FILE, decltype(&std::fclose)>;

bool WritePage(FILE* file, const ogg_page& page) {
    return std::fwrite(page.header, 1, page.header_len, file) == size_t(page.header_len) &&
           std::fwrite(page.body, 1, page.body_len, file) == size_t(page.body_len);
}

}  // namespace

bool WriteToneOgg(const std::string& path, double frequency, double seconds) {
    long total = static_cast<long>(seconds * kRate);
    File file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file) return false;

    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, kChannels, kRate, 0.3f) != 0) {
        vorbis_info_clear(&info);
        return false;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1);

    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    ogg_page page;
    bool ok = true;
    while (ogg_stream_flush(&stream, &page) != 0)
        ok = ok && WritePage(file.get(), page);

    long written = 0;
    for (bool finished = false; !finished;) {
        long count = std::min<long>(kBlock, total - written);
        if (count > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
            for (long i = 0; i < count; ++i) {
                double t = static_cast<double>(written + i) / kRate;
                buffer[0][i] =
                    static_cast<float>(0.5 * std::sin(2 * std::numbers::pi * frequency * t));
            }
            vorbis_analysis_wrote(&dsp, static_cast<int>(count));
            written += count;
        } else {
            vorbis_analysis_wrote(&dsp, 0);  // the end of the stream
            finished = true;
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0)
                    ok = ok && WritePage(file.get(), page);
            }
        }
    }
    while (ogg_stream_flush(&stream, &page) != 0)
        ok = ok && WritePage(file.get(), page);

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return ok;
}

}  // namespace hgf::test
