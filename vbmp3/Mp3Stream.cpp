// The probe for the first frame, and libmpg123 reading through the file interface.
#include "Mp3Stream.h"

#include <mpg123.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <mutex>
#include <span>

namespace hgf::vbmp3 {
namespace {

constexpr int kMaxId3v2Tags = 4;  // tags in a row skipped before the audio

// Signatures of other files whose contents could hold frame-like bytes (they belong to
// the media engine): RIFF (WAV, AVI), Ogg, MIDI, FLAC, ASF, AIFF, MPEG program and video
// streams.
bool StartsAsAnotherKindOfFile(std::span<const std::uint8_t> data) {
    static constexpr std::string_view kSignatures[] = {"RIFF",
                                                       "OggS",
                                                       "MThd",
                                                       "fLaC",
                                                       "\x30\x26\xB2\x75",
                                                       "FORM",
                                                       std::string_view("\x00\x00\x01\xBA", 4),
                                                       std::string_view("\x00\x00\x01\xB3", 4)};
    for (std::string_view signature : kSignatures)
        if (data.size() >= signature.size() &&
            std::memcmp(data.data(), signature.data(), signature.size()) == 0)
            return true;
    return false;
}

void InitialiseLibraryOnce() {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

// Scales the 16-bit samples in bytes[0..count*2) by percent/100 (truncated toward zero),
// channel by channel: sample i belongs to channel i % channels.
void ScaleSamples(std::uint8_t* bytes, std::size_t count, unsigned channels, const int* percents) {
    for (std::size_t i = 0; i < count; ++i) {
        std::int16_t sample;
        std::memcpy(&sample, bytes + 2 * i, 2);
        sample = static_cast<std::int16_t>(sample * percents[i % channels] / 100);
        std::memcpy(bytes + 2 * i, &sample, 2);
    }
}

constexpr int kMaxIdleReads = 64;  // decoder calls in a row that give nothing before giving up

}  // namespace

// The decoder's reader callbacks.
struct Mp3StreamReader {
    static mpg123_ssize_t Read(void* self, void* buffer, size_t bytes) {
        return static_cast<mpg123_ssize_t>(
            static_cast<Mp3Stream*>(self)->ReadForDecoder(buffer, bytes));
    }
    static off_t Seek(void* self, off_t offset, int whence) {
        const std::int64_t at = static_cast<Mp3Stream*>(self)->SeekForDecoder(offset, whence);
        return at >= 0 && static_cast<off_t>(at) == at ? static_cast<off_t>(at) : off_t{-1};
    }
};

Mp3Stream::Mp3Stream() = default;

Mp3Stream::~Mp3Stream() {
    Close();
}

std::size_t Mp3Stream::ReadForDecoder(void* buffer, std::size_t bytes) {
    std::size_t got = 0;
    if (pendingAt_ < pending_.size()) {
        got = std::min(bytes, pending_.size() - pendingAt_);
        std::memcpy(buffer, pending_.data() + pendingAt_, got);
        pendingAt_ += got;
        if (pendingAt_ == pending_.size()) {
            pending_.clear();
            pending_.shrink_to_fit();
            pendingAt_ = 0;
        }
    }
    if (got < bytes && file_)
        got += file_->Read(static_cast<std::uint8_t*>(buffer) + got, bytes - got);
    inputAt_ += got;
    return got;
}

std::int64_t Mp3Stream::SeekForDecoder(std::int64_t offset, int whence) {
    if (!seekable_) return -1;
    const std::optional<std::uint64_t> size = file_->Size();
    if (!size || *size < audioStart_) return -1;
    std::int64_t base = 0;
    if (whence == SEEK_CUR) {
        base = static_cast<std::int64_t>(inputAt_);
    } else if (whence == SEEK_END) {
        base = static_cast<std::int64_t>(*size - audioStart_);
    } else if (whence != SEEK_SET) {
        return -1;
    }
    if (offset < -base || (offset > 0 && base > INT64_MAX - offset)) return -1;
    const auto target = static_cast<std::uint64_t>(base + offset);
    if (target > UINT64_MAX - audioStart_ || !file_->Seek(audioStart_ + target)) return -1;
    // The probed bytes are read again from the file when wanted.
    pending_.clear();
    pending_.shrink_to_fit();
    pendingAt_ = 0;
    inputAt_ = target;
    return static_cast<std::int64_t>(target);
}

bool Mp3Stream::SeekToFrame(std::uint64_t frame) {
    if (!handle_ || !seekable_ || frame > std::uint64_t{std::numeric_limits<off_t>::max()})
        return false;
    const auto wanted = static_cast<off_t>(frame);
    // The decoder would also go past the end it knows; that is a failure here.
    const std::optional<std::int64_t> length = LengthInSamples();
    ended_ = false;
    if ((!length || wanted < *length) && mpg123_seek(handle_, wanted, SEEK_SET) == wanted)
        return true;
    // Back to the start; where even that fails, the place is lost and the stream ends.
    ended_ = mpg123_seek(handle_, 0, SEEK_SET) != 0;
    return false;
}

bool Mp3Stream::SkipId3v2Tags() {
    // Reads the tags' headers; what follows the last tag stays in pending_.
    audioStart_ = 0;
    for (int tag = 0; tag < kMaxId3v2Tags; ++tag) {
        std::uint8_t header[10];
        std::size_t got = 0;
        while (got < sizeof header) {
            std::size_t n = file_->Read(header + got, sizeof header - got);
            if (n == 0) break;
            got += n;
        }
        if (got < sizeof header || std::memcmp(header, "ID3", 3) != 0 ||
            ((header[6] | header[7] | header[8] | header[9]) & 0x80)) {
            pending_.assign(header, header + got);
            return true;
        }
        std::uint64_t size = (std::uint32_t{header[6]} << 21) | (std::uint32_t{header[7]} << 14) |
                             (std::uint32_t{header[8]} << 7) | header[9];
        if (header[3] >= 4 && (header[5] & 0x10)) size += 10;  // footer
        audioStart_ += sizeof header + size;
        if (!file_->Seek(audioStart_)) {
            // Not seekable: read past the tag.
            std::uint8_t skip[4096];
            for (std::uint64_t left = size; left > 0;) {
                std::size_t n = file_->Read(
                    skip, static_cast<std::size_t>(std::min<std::uint64_t>(left, sizeof skip)));
                if (n == 0) return false;
                left -= n;
            }
        }
    }
    pending_.clear();
    return true;
}

bool Mp3Stream::Open(std::unique_ptr<InputFile> file) {
    Close();
    if (!file) return false;
    file_ = std::move(file);
    if (!SkipId3v2Tags()) {
        Close();
        return false;
    }
    // The probe window: what SkipId3v2Tags left, topped up from the file.
    const std::size_t kept = pending_.size();
    pending_.resize(kProbeBytes);
    std::size_t got = kept;
    while (got < kProbeBytes) {
        std::size_t n = file_->Read(pending_.data() + got, kProbeBytes - got);
        if (n == 0) break;
        got += n;
    }
    pending_.resize(got);
    const bool windowEndsFile = got < kProbeBytes;
    // Seeking to where the file already stands shows whether it can seek at all.
    seekable_ = file_->Size().has_value() && file_->Seek(audioStart_ + got);
    std::optional<std::size_t> start;
    if (!StartsAsAnotherKindOfFile(pending_))
        start = FindMpegAudioStart(pending_, kMaxLeadingJunk, windowEndsFile);
    if (!start) {
        Close();
        return false;
    }
    firstFrame_ = *ParseMpegFrameHeader(&pending_[*start]);
    pendingAt_ = *start;
    audioStart_ += *start;
    inputAt_ = 0;

    InitialiseLibraryOnce();
    handle_ = mpg123_new(nullptr, nullptr);
    if (!handle_) {
        Close();
        return false;
    }
    // Quiet; ID3v2 tags further on are skipped, and the stream ends where its Info frame
    // says or where its format would change (the device keeps the first format).
    mpg123_param(handle_, MPG123_ADD_FLAGS,
                 MPG123_QUIET | MPG123_SKIP_ID3V2 | MPG123_NO_FRANKENSTEIN | MPG123_GAPLESS, 0);
    mpg123_format_none(handle_);
    const long* rates = nullptr;
    std::size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (std::size_t i = 0; i < rateCount; ++i)
        mpg123_format(handle_, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);

    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_replace_reader_handle(handle_, &Mp3StreamReader::Read, &Mp3StreamReader::Seek,
                                     nullptr) != MPG123_OK ||
        mpg123_open_handle(handle_, this) != MPG123_OK) {
        Close();
        return false;
    }
    if (std::optional<std::uint64_t> size = file_->Size(); size && *size > audioStart_)
        mpg123_set_filesize(
            handle_, static_cast<off_t>(std::min<std::uint64_t>(*size - audioStart_, 0x7FFFFFFF)));
    if (mpg123_getformat(handle_, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 ||
        (channels != 1 && channels != 2) || encoding != MPG123_ENC_SIGNED_16) {
        Close();
        return false;
    }
    rate_ = static_cast<unsigned>(rate);
    channels_ = static_cast<unsigned>(channels);
    ended_ = false;
    return true;
}

void Mp3Stream::Close() {
    if (handle_) {
        mpg123_close(handle_);
        mpg123_delete(handle_);
        handle_ = nullptr;
    }
    file_.reset();
    pending_.clear();
    pending_.shrink_to_fit();
    pendingAt_ = 0;
    audioStart_ = 0;
    inputAt_ = 0;
    seekable_ = false;
    channels_ = rate_ = 0;
    ended_ = false;
}

std::optional<std::int64_t> Mp3Stream::LengthInSamples() const {
    if (!handle_) return std::nullopt;
    const off_t length = mpg123_length(handle_);
    if (length < 0) return std::nullopt;
    return static_cast<std::int64_t>(length);
}

Mp3Stream::DecodeStatus Mp3Stream::Decode(std::uint8_t* block, std::uint32_t capacity,
                                          std::uint32_t& filled, int leftPercent,
                                          int rightPercent) {
    if (!handle_ || ended_) return DecodeStatus::kEnded;
    const int percents[2] = {channels_ == 2 ? leftPercent : (leftPercent + rightPercent) / 2,
                             rightPercent};
    const bool scaled = percents[0] != 100 || (channels_ == 2 && percents[1] != 100);
    int idle = 0;
    while (filled < capacity) {
        std::size_t done = 0;
        const int result = mpg123_read(handle_, block + filled, capacity - filled, &done);
        done = std::min<std::size_t>(done, capacity - filled);
        // `filled` is a whole number of sample frames, so channel 0 comes first.
        if (scaled) ScaleSamples(block + filled, done / 2, channels_, percents);
        filled += static_cast<std::uint32_t>(done);
        idle = done > 0 ? 0 : idle + 1;
        if (result == MPG123_OK && idle < kMaxIdleReads) continue;
        if (result == MPG123_NEW_FORMAT) {
            long rate = 0;
            int channels = 0;
            int encoding = 0;
            if (mpg123_getformat(handle_, &rate, &channels, &encoding) == MPG123_OK &&
                static_cast<unsigned>(rate) == rate_ &&
                static_cast<unsigned>(channels) == channels_ && idle < kMaxIdleReads)
                continue;
        }
        // The end of the stream, a changed format, or an error the decoder cannot go on from.
        ended_ = true;
        return DecodeStatus::kEnded;
    }
    return DecodeStatus::kFull;
}

}  // namespace hgf::vbmp3
