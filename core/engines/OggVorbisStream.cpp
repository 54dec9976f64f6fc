// Header parsing and chunked decoding of the first logical stream of an Ogg Vorbis file.
#include "engines/OggVorbisStream.h"

#include <algorithm>
#include <cstdint>

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
    position_ += got;
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
    placeLost_ = false;
    // The audio begins with the page after the last header's (bytes read, less those
    // still waiting in the sync state).
    audioStart_ = position_ - static_cast<std::uint64_t>(sync_.fill - sync_.returned);
    seekable_ = file_->Size().has_value() && file_->Seek(position_);
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
    pageEnds_ = placeLost_ = seekable_ = false;
    position_ = audioStart_ = 0;
    firstGranule_.reset();
    file_.reset();
}

std::optional<OggVorbisStream::PageMark> OggVorbisStream::PageFrom(std::uint64_t offset,
                                                                   std::uint64_t limit) {
    if (!file_->Seek(offset)) return std::nullopt;
    position_ = offset;
    ogg_sync_reset(&sync_);
    for (std::uint64_t at = offset; at < limit;) {
        const long bytes = ogg_sync_pageseek(&sync_, &page_);
        if (bytes < 0) {
            at += static_cast<std::uint64_t>(-bytes);  // not a page: skipped
        } else if (bytes == 0) {
            if (ReadChunk() != ReadResult::kRead) return std::nullopt;
        } else {
            const std::int64_t granule = ogg_page_granulepos(&page_);
            if (ogg_page_serialno(&page_) == stream_.serialno && granule >= 0)
                return PageMark{at, granule};
            at += static_cast<std::uint64_t>(bytes);
        }
    }
    return std::nullopt;
}

std::optional<OggVorbisStream::PageMark> OggVorbisStream::LastPageUpTo(std::int64_t granule) {
    // No page at or after `high` ends at or before `granule`; `best` is the last such page
    // found before `low`.
    const std::optional<std::uint64_t> size = file_->Size();
    std::uint64_t low = audioStart_;
    std::uint64_t high = size.value_or(0);
    std::optional<PageMark> best;
    while (low < high) {
        const std::uint64_t middle = low + (high - low) / 2;
        const std::optional<PageMark> page = PageFrom(middle, high);
        if (page && page->granule <= granule) {
            best = page;
            low = page->offset + 1;
        } else {
            high = middle;
        }
    }
    return best;
}

bool OggVorbisStream::RestartAt(std::uint64_t offset) {
    if (!file_->Seek(offset)) return false;
    position_ = offset;
    ogg_sync_reset(&sync_);
    ogg_stream_reset(&stream_);  // a packet continued from the page before is left out
    vorbis_synthesis_restart(&dsp_);
    pageEnds_ = false;
    return true;
}

bool OggVorbisStream::TakePage() {
    for (;;) {
        if (pageEnds_) return false;
        const int pageResult = ogg_sync_pageout(&sync_, &page_);
        if (pageResult < 0) continue;
        if (pageResult == 1) {
            if (ogg_stream_pagein(&stream_, &page_) != 0) continue;  // another stream's
            pageEnds_ = ogg_page_eos(&page_) != 0;
            return true;
        }
        if (ReadChunk() != ReadResult::kRead) return false;
    }
}

int OggVorbisStream::SynthesizeNext(bool& gap) {
    gap = false;
    for (;;) {
        const int packetResult = ogg_stream_packetout(&stream_, &packet_);
        if (packetResult < 0) {
            gap = true;
            continue;
        }
        if (packetResult == 0) {
            if (!TakePage()) return -1;
            continue;
        }
        if (vorbis_synthesis(&block_, &packet_) != 0) continue;
        vorbis_synthesis_blockin(&dsp_, &block_);
        return vorbis_synthesis_pcmout(&dsp_, nullptr);
    }
}

std::optional<std::int64_t> OggVorbisStream::FirstFrameGranule() {
    if (!RestartAt(audioStart_)) return std::nullopt;
    std::int64_t frames = 0;
    for (bool gap;;) {
        const int held = SynthesizeNext(gap);
        if (held < 0 || gap) return std::nullopt;
        frames += held;
        if (packet_.granulepos >= 0) {
            const std::int64_t first = packet_.granulepos - frames;
            if (first < 0 || first > INT64_MAX / 2) return std::nullopt;  // damaged
            return first;
        }
        vorbis_synthesis_read(&dsp_, held);
    }
}

OggVorbisStream::Reached OggVorbisStream::DecodeUpTo(std::int64_t frame, bool fromStart) {
    // The frame of the next sample the decoder gives, once known; then counted on.
    std::optional<std::int64_t> next;
    if (fromStart) next = 0;
    for (bool gap;;) {
        const int frames = SynthesizeNext(gap);
        if (frames < 0) return Reached::kEnded;
        if (gap) next.reset();  // the count starts again at the next page end
        if (!next && packet_.granulepos >= 0) next = packet_.granulepos - *firstGranule_ - frames;
        if (next) {
            if (*next > frame) return Reached::kPast;
            if (*next + frames > frame) {
                vorbis_synthesis_read(&dsp_, static_cast<int>(frame - *next));
                return Reached::kThere;
            }
            *next += frames;
        }
        vorbis_synthesis_read(&dsp_, frames);
    }
}

bool OggVorbisStream::SeekToFrame(std::uint64_t frame) {
    if (!decoderReady_ || !seekable_ || frame > static_cast<std::uint64_t>(INT64_MAX / 2))
        return false;
    // The granule position of the first frame: 0, but for a stream cut from a longer one.
    if (!firstGranule_) firstGranule_ = FirstFrameGranule();
    const auto wanted = static_cast<std::int64_t>(frame);
    // The page found may lose its only packet end to a packet continued from the page
    // before it: then a page further back is tried.
    std::int64_t upTo = wanted;
    for (int attempt = 0; firstGranule_ && attempt < 4 && !placeLost_; ++attempt) {
        const std::optional<PageMark> page = LastPageUpTo(upTo + *firstGranule_);
        if (!RestartAt(page ? page->offset : audioStart_)) break;
        const Reached reached = DecodeUpTo(wanted, !page);
        if (reached == Reached::kThere) return true;
        if (reached == Reached::kEnded || !page || page->granule <= *firstGranule_) break;
        upTo = page->granule - *firstGranule_ - 1;
    }
    // Back to the start; where even that fails, the place is lost and the stream ends.
    placeLost_ = !RestartAt(audioStart_);
    return false;
}

StreamDecoder::Status OggVorbisStream::Decode(std::uint8_t* block, std::uint32_t capacity,
                                              std::uint32_t& filled, float gain) {
    if (!decoderReady_ || placeLost_) return Status::kEnded;
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
