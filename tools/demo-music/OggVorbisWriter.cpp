// Ogg Vorbis encoding with libvorbisenc: analysis in blocks of 1024 frames, pages
// flushed to the file as the stream produces them.
#include "OggVorbisWriter.h"

#include <ogg/ogg.h>
#include <vorbis/vorbisenc.h>

#include <cstdio>
#include <memory>

namespace hgf::demo {

namespace {

constexpr int kBlockFrames = 1024;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The encoder's state, cleared in reverse order of set-up.
class Encoder {
  public:
    Encoder() {
        vorbis_info_init(&info_);
        vorbis_comment_init(&comment_);
    }
    ~Encoder() {
        if (streamReady_) ogg_stream_clear(&stream_);
        if (blockReady_) vorbis_block_clear(&block_);
        if (dspReady_) vorbis_dsp_clear(&dsp_);
        vorbis_comment_clear(&comment_);
        vorbis_info_clear(&info_);
    }
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    bool Start(int channels, int sampleRate, float quality, const VorbisTags& tags, int serial) {
        if (vorbis_encode_init_vbr(&info_, channels, sampleRate, quality) != 0) return false;
        auto tag = [this](const char* key, const std::string& value) {
            if (!value.empty()) vorbis_comment_add_tag(&comment_, key, value.c_str());
        };
        tag("TITLE", tags.title);
        tag("ARTIST", tags.artist);
        tag("ALBUM", tags.album);
        if (vorbis_analysis_init(&dsp_, &info_) != 0) return false;
        dspReady_ = true;
        if (vorbis_block_init(&dsp_, &block_) != 0) return false;
        blockReady_ = true;
        if (ogg_stream_init(&stream_, serial) != 0) return false;
        streamReady_ = true;
        return true;
    }

    bool WriteHeaders(std::FILE* file) {
        ogg_packet header, comments, codebooks;
        vorbis_analysis_headerout(&dsp_, &comment_, &header, &comments, &codebooks);
        ogg_stream_packetin(&stream_, &header);
        ogg_stream_packetin(&stream_, &comments);
        ogg_stream_packetin(&stream_, &codebooks);
        ogg_page page;
        while (ogg_stream_flush(&stream_, &page) != 0) {
            if (!WritePage(file, page)) return false;
        }
        return true;
    }

    // Hands frames [first, first + count) to the encoder; count 0 ends the stream.
    bool Encode(std::FILE* file, const std::int16_t* samples, int count, int channels) {
        if (count > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp_, count);
            for (int i = 0; i < count; ++i) {
                for (int c = 0; c < channels; ++c) {
                    buffer[c][i] = samples[i * channels + c] / 32768.0f;
                }
            }
        }
        vorbis_analysis_wrote(&dsp_, count);
        while (vorbis_analysis_blockout(&dsp_, &block_) == 1) {
            vorbis_analysis(&block_, nullptr);
            vorbis_bitrate_addblock(&block_);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp_, &packet) == 1) {
                ogg_stream_packetin(&stream_, &packet);
                ogg_page page;
                while (ogg_stream_pageout(&stream_, &page) != 0) {
                    if (!WritePage(file, page)) return false;
                }
            }
        }
        return true;
    }

    bool Finish(std::FILE* file) {
        ogg_page page;
        while (ogg_stream_flush(&stream_, &page) != 0) {
            if (!WritePage(file, page)) return false;
        }
        return true;
    }

  private:
    static bool WritePage(std::FILE* file, const ogg_page& page) {
        return std::fwrite(page.header, 1, page.header_len, file) ==
                   static_cast<size_t>(page.header_len) &&
               std::fwrite(page.body, 1, page.body_len, file) == static_cast<size_t>(page.body_len);
    }

    vorbis_info info_;
    vorbis_comment comment_;
    vorbis_dsp_state dsp_{};
    vorbis_block block_{};
    ogg_stream_state stream_{};
    bool dspReady_ = false;
    bool blockReady_ = false;
    bool streamReady_ = false;
};

}  // namespace

bool WriteOggVorbis(const std::string& path, const std::vector<std::int16_t>& samples, int channels,
                    int sampleRate, const VorbisTags& tags, float quality) {
    if (channels <= 0 || samples.size() % static_cast<size_t>(channels) != 0) return false;
    Encoder encoder;
    if (!encoder.Start(channels, sampleRate, quality, tags, /*serial=*/0x48474601)) return false;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) return false;
    if (!encoder.WriteHeaders(file.get())) return false;

    const size_t frames = samples.size() / static_cast<size_t>(channels);
    for (size_t first = 0; first < frames; first += kBlockFrames) {
        const int count = static_cast<int>(std::min<size_t>(kBlockFrames, frames - first));
        if (!encoder.Encode(file.get(), samples.data() + first * channels, count, channels)) {
            return false;
        }
    }
    if (!encoder.Encode(file.get(), nullptr, 0, channels)) return false;  // end of stream
    if (!encoder.Finish(file.get())) return false;
    return std::fflush(file.get()) == 0;
}

}  // namespace hgf::demo
