// Decoding of one MPEG audio file (an MP3 file, or layer I or II) into interleaved 16-bit
// PCM through libmpg123. Open accepts only a file whose audio starts, after any ID3v2 tags
// and a little leading junk, with a run of well-formed frames, so that no other kind of
// file (a WAV, Ogg, MIDI or MPEG video file, a text) is ever played as noise. Portable.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "MpegAudioFrames.h"
#include "platform/FileSystem.h"

struct mpg123_handle_struct;

namespace hgf::vbmp3 {

class Mp3Stream {
  public:
    // Bytes looked at for the first frame after the ID3v2 tags.
    static constexpr std::size_t kProbeBytes = 64 * 1024;
    static constexpr std::size_t kMaxLeadingJunk = kProbeBytes - 16 * 1024;

    enum class DecodeStatus {
        kFull,   // the block is full
        kEnded,  // the stream has ended (or cannot be decoded any further)
    };

    Mp3Stream();
    ~Mp3Stream();
    Mp3Stream(const Mp3Stream&) = delete;
    Mp3Stream& operator=(const Mp3Stream&) = delete;

    // False (with everything released) for a file that is no MPEG audio stream or that the
    // decoder refuses.
    bool Open(std::unique_ptr<InputFile> file);
    void Close();
    bool IsOpen() const { return handle_ != nullptr; }

    unsigned Channels() const { return channels_; }
    unsigned Rate() const { return rate_; }
    // The first frame's header.
    const MpegFrameHeader& FirstFrame() const { return firstFrame_; }
    // Sample frames of the whole stream as far as it tells (an Info frame, or the file
    // size and bit rate); nothing when unknown.
    std::optional<std::int64_t> LengthInSamples() const;

    // Moves to sample frame `frame` (0 is the first frame Decode gives), so that the next
    // Decode begins there. False when the file cannot seek or the decoder cannot find the
    // frame; the stream then goes on from its start. Not while Decode runs.
    bool SeekToFrame(std::uint64_t frame);

    // Decodes into block[filled..capacity) until the block is full or the stream ends.
    // The samples of channel 0 are scaled by leftPercent/100 and those of channel 1 by
    // rightPercent/100 (a mono stream by their mean), truncated toward zero. Once ended,
    // it stays ended. `capacity` should be a whole number of sample frames.
    DecodeStatus Decode(std::uint8_t* block, std::uint32_t capacity, std::uint32_t& filled,
                        int leftPercent, int rightPercent);

  private:
    friend struct Mp3StreamReader;
    // The decoder's input: the probed bytes from the first frame on, then the rest of the file.
    std::size_t ReadForDecoder(void* buffer, std::size_t bytes);
    // The decoder's seek in its input (offset 0 is the first frame), as lseek; -1 when the
    // file cannot seek.
    std::int64_t SeekForDecoder(std::int64_t offset, int whence);
    bool SkipId3v2Tags();

    std::unique_ptr<InputFile> file_;
    std::vector<std::uint8_t> pending_;  // bytes read while probing, handed to the decoder first
    std::size_t pendingAt_ = 0;
    std::uint64_t audioStart_ = 0;  // file offset of the first frame
    std::uint64_t inputAt_ = 0;     // the decoder's offset of the next byte it reads
    bool seekable_ = false;         // the file can seek, and tells its size
    mpg123_handle_struct* handle_ = nullptr;
    MpegFrameHeader firstFrame_;
    unsigned channels_ = 0;
    unsigned rate_ = 0;
    bool ended_ = false;
};

}  // namespace hgf::vbmp3
