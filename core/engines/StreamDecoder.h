// What the stream players decode with: one open file turned into interleaved 16-bit PCM
// of one or two channels, block by block. Ogg Vorbis, FLAC and Opus each have one.
#pragma once

#include <cstdint>
#include <optional>

namespace hgf {

class StreamDecoder {
  public:
    enum class Status {
        kFull,        // the block is full; the stream goes on
        kEnded,       // the stream has ended; the block holds its last samples
        kReadFailed,  // the file reported a read error; the block keeps what it holds
    };

    virtual ~StreamDecoder() = default;

    virtual unsigned Channels() const = 0;  // of the output: 1 or 2
    virtual unsigned Rate() const = 0;      // samples per second
    // Sample frames of the whole stream, when the file tells them.
    virtual std::optional<std::uint64_t> TotalFrames() const { return std::nullopt; }

    // Moves to sample frame `frame` of the stream (0 is its start), so that the next Decode
    // gives that frame first; samples held from before are dropped. False when the file
    // cannot seek there (not seekable, damaged, or `frame` lies past the end): the decoder
    // then goes on from the start of the stream. Not while Decode runs.
    virtual bool SeekToFrame(std::uint64_t frame) { return false; }

    // Decodes into block[filled..capacity) and advances `filled`, until the block is full
    // or the stream ends. `capacity` is a whole number of frames; `block` is 16-bit sample
    // storage. Samples are scaled by `gain` (v * gain, truncated toward zero). Decoded
    // samples that do not fit stay for the next call; damaged data is skipped; once ended,
    // the stream stays ended.
    virtual Status Decode(std::uint8_t* block, std::uint32_t capacity, std::uint32_t& filled,
                          float gain) = 0;
};

}  // namespace hgf
