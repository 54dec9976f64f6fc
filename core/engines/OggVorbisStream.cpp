// Header parsing and chunked decoding of the first logical stream of an Ogg Vorbis file.
#include "engines/OggVorbisStream.h"

#include <algorithm>

#include "engines/PcmConversion.h"

namespace hgf {

OggVorbisStream::OggVorbisStream() = default;

OggVorbisStream::~OggVorbisStream() {
    Close();
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

StreamDecoder::Status OggVorbisStream::Decode(std::uint8_t* block, std::uint32_t capacity,
                                              std::uint32_t& filled, float gain) {
    if (!decoderReady_) return Status::kEnded;
    const int channels = info_.channels;
    const std::uint32_t frameBytes = static_cast<std::uint32_t>(channels) * 2;
    for (;;) {
        // Decoded samples waiting in the decoder go first.
        float** pcm = nullptr;
        int frames;
        while ((frames = vorbis_synthesis_pcmout(&dsp_, &pcm)) > 0) {
            const std::uint32_t room = (capacity - std::min(filled, capacity)) / frameBytes;
            if (room == 0) return Status::kFull;
            frames = std::min(frames, static_cast<int>(room));
            InterleaveFloat(pcm, channels, frames, gain,
                            reinterpret_cast<std::int16_t*>(block + filled));
            filled += static_cast<std::uint32_t>(frames) * frameBytes;
            vorbis_synthesis_read(&dsp_, frames);
        }
        if (filled + frameBytes > capacity) return Status::kFull;

        int packetResult = ogg_stream_packetout(&stream_, &packet_);
        if (packetResult < 0) continue;  // a gap in the packets: go on after it
        if (packetResult == 1) {
            if (vorbis_synthesis(&block_, &packet_) == 0) vorbis_synthesis_blockin(&dsp_, &block_);
            continue;
        }
        // Every packet of the last page is decoded.
        if (pageEnds_) return Status::kEnded;

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
                break;
            case ReadResult::kEndOfFile:
                return Status::kEnded;
            case ReadResult::kFailed:
                return Status::kReadFailed;
        }
    }
}

}  // namespace hgf
