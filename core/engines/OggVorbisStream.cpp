// Header parsing and chunked decoding of the first logical stream of an Ogg Vorbis file.
#include "engines/OggVorbisStream.h"

#include <algorithm>
#include <cstring>

namespace hgf {

OggVorbisStream::OggVorbisStream() = default;

OggVorbisStream::~OggVorbisStream() {
    Close();
}

std::int16_t OggVorbisStream::ConvertSample(float sample, float gain) {
    // Clamp before converting to an integer, so no value (not even inf or NaN)
    // reaches an out-of-range conversion.
    double scaled = static_cast<double>(sample) * 32767.0;
    int value;
    if (scaled != scaled) {
        value = 0;
    } else if (scaled >= 32767.0) {
        value = 32767;
    } else if (scaled <= -32768.0) {
        value = -32768;
    } else {
        value = static_cast<int>(scaled);
    }
    return static_cast<std::int16_t>(static_cast<int>(value * static_cast<double>(gain)));
}

OggVorbisStream::ReadResult OggVorbisStream::ReadChunk() {
    char* buffer = ogg_sync_buffer(&sync_, static_cast<long>(kChunkBytes));
    if (!buffer) return ReadResult::kFailed;
    std::size_t got = file_->Read(buffer, kChunkBytes);
    if (got < kChunkBytes && file_->HasError()) return ReadResult::kFailed;
    if (ogg_sync_wrote(&sync_, static_cast<long>(got)) != 0) return ReadResult::kFailed;
    return got == 0 ? ReadResult::kEndOfFile : ReadResult::kRead;
}

bool OggVorbisStream::Open(std::unique_ptr<InputFile> file) {
    Close();
    if (!file) return false;
    file_ = std::move(file);

    // The first page names the logical stream and holds the identification header.
    ogg_sync_init(&sync_);
    syncReady_ = true;
    if (ReadChunk() == ReadResult::kFailed || ogg_sync_pageout(&sync_, &page_) != 1) {
        Close();
        return false;
    }
    if (ogg_stream_init(&stream_, ogg_page_serialno(&page_)) != 0) {
        Close();
        return false;
    }
    streamReady_ = true;
    vorbis_info_init(&info_);
    vorbis_comment_init(&comment_);
    infoReady_ = true;
    if (ogg_stream_pagein(&stream_, &page_) < 0 || ogg_stream_packetout(&stream_, &packet_) != 1 ||
        vorbis_synthesis_headerin(&info_, &comment_, &packet_) < 0) {
        Close();
        return false;
    }

    // The comment and setup headers, which may span several pages.
    int headers = 0;
    while (headers < 2) {
        while (headers < 2) {
            int pageResult = ogg_sync_pageout(&sync_, &page_);
            if (pageResult == 0) break;
            if (pageResult < 0) continue;
            ogg_stream_pagein(&stream_, &page_);  // pages of other streams are not ours
            while (headers < 2) {
                int packetResult = ogg_stream_packetout(&stream_, &packet_);
                if (packetResult == 0) break;
                // A damaged header would leave the decoder half set up: refuse the file.
                if (packetResult < 0 ||
                    vorbis_synthesis_headerin(&info_, &comment_, &packet_) < 0) {
                    Close();
                    return false;
                }
                ++headers;
            }
        }
        ReadResult read = ReadChunk();
        if (read == ReadResult::kFailed || (read == ReadResult::kEndOfFile && headers < 2)) {
            Close();
            return false;
        }
    }

    if (info_.channels < 1 || info_.rate < 1 || vorbis_synthesis_init(&dsp_, &info_) != 0) {
        Close();
        return false;
    }
    if (vorbis_block_init(&dsp_, &block_) != 0) {
        vorbis_dsp_clear(&dsp_);
        Close();
        return false;
    }
    decoderReady_ = true;
    pageEnds_ = false;
    return true;
}

void OggVorbisStream::Close() {
    if (streamReady_) ogg_stream_clear(&stream_);
    if (syncReady_) ogg_sync_clear(&sync_);
    if (decoderReady_) {
        vorbis_block_clear(&block_);
        vorbis_dsp_clear(&dsp_);
    }
    if (infoReady_) {
        vorbis_comment_clear(&comment_);
        vorbis_info_clear(&info_);
    }
    streamReady_ = syncReady_ = decoderReady_ = infoReady_ = false;
    pageEnds_ = false;
    file_.reset();
}

OggVorbisStream::DecodeStatus OggVorbisStream::Decode(std::uint8_t* block, std::uint32_t capacity,
                                                      std::uint32_t& filled, float gain) {
    if (!decoderReady_) return DecodeStatus::kStreamEnded;
    const int channels = info_.channels;
    const int frameBytes = channels * 2;
    const int framesPerChunk = static_cast<int>(kConversionSamples) / channels;
    for (;;) {
        // Decoded samples waiting in the decoder go first.
        float** pcm = nullptr;
        int frames;
        while ((frames = vorbis_synthesis_pcmout(&dsp_, &pcm)) > 0) {
            const std::uint32_t room = (capacity - std::min(filled, capacity)) / frameBytes;
            if (room == 0) return DecodeStatus::kBufferFull;
            frames = std::min({frames, framesPerChunk, static_cast<int>(room)});
            std::int16_t* out = conversion_;
            for (int i = 0; i < frames; ++i)
                for (int c = 0; c < channels; ++c)
                    *out++ = ConvertSample(pcm[c][i], gain);
            const std::size_t bytes = static_cast<std::size_t>(frames) * frameBytes;
            std::memcpy(block + filled, conversion_, bytes);
            filled += static_cast<std::uint32_t>(bytes);
            vorbis_synthesis_read(&dsp_, frames);
        }

        int packetResult = ogg_stream_packetout(&stream_, &packet_);
        if (packetResult < 0) continue;  // a gap in the packets: go on after it
        if (packetResult == 1) {
            if (vorbis_synthesis(&block_, &packet_) == 0) vorbis_synthesis_blockin(&dsp_, &block_);
            continue;
        }
        // Every packet of the last page is decoded.
        if (pageEnds_) return DecodeStatus::kStreamEnded;

        int pageResult = ogg_sync_pageout(&sync_, &page_);
        if (pageResult < 0) continue;  // bytes skipped to the next page
        if (pageResult == 1) {
            // Pages of other logical streams (a chained or multiplexed file) are refused
            // by the stream state and do not end it.
            if (ogg_stream_pagein(&stream_, &page_) == 0) pageEnds_ = ogg_page_eos(&page_) != 0;
            continue;
        }

        switch (ReadChunk()) {
            case ReadResult::kRead:
                return DecodeStatus::kChunkRead;
            case ReadResult::kEndOfFile:
                return DecodeStatus::kStreamEnded;
            case ReadResult::kFailed:
                return DecodeStatus::kReadFailed;
        }
    }
}

}  // namespace hgf
