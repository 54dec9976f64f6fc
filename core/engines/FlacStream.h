// Decoding of one FLAC stream, in a file of its own or in an Ogg container, into
// interleaved 16-bit PCM through libFLAC: deeper samples are reduced with dither, more
// than two channels mixed down to stereo. Portable; the stream player runs it on its
// feeder thread.
#pragma once

#include <FLAC/stream_decoder.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "engines/PcmConversion.h"
#include "engines/StreamDecoder.h"
#include "platform/FileSystem.h"

namespace hgf {

class FlacStream final : public StreamDecoder {
  public:
    enum class Container { kNative, kOgg };

    FlacStream();
    ~FlacStream() override;
    FlacStream(const FlacStream&) = delete;
    FlacStream& operator=(const FlacStream&) = delete;

    // Reads the stream's metadata. False (with everything released) for a file that is
    // no FLAC stream in `container`, or whose stream information cannot be played.
    bool Open(std::unique_ptr<InputFile> file, Container container);
    void Close();

    unsigned Channels() const override { return IntegerPcmConverter::OutputChannels(channels_); }
    unsigned Rate() const override { return rate_; }
    unsigned SourceChannels() const { return channels_; }
    unsigned SourceBits() const { return bits_; }
    // Sample frames of the whole stream, when its stream information tells them.
    std::optional<std::uint64_t> TotalFrames() const override;

    // Through the stream's seek table where it has one, else by bisection of the file; a
    // failed seek goes back to the start of the stream.
    bool SeekToFrame(std::uint64_t frame) override;

    // A damaged frame is left out; a read error ends the stream.
    Status Decode(std::uint8_t* block, std::uint32_t capacity, std::uint32_t& filled,
                  float gain) override;

  private:
    friend struct FlacCallbacks;

    // The write callback's target: a frame goes straight into the block when it fits,
    // else (and after anything pending) into pending_, before the gain.
    void TakeFrame(const std::int32_t* const* channelSamples, int channels, unsigned bits,
                   int frames);

    FLAC__StreamDecoder* decoder_ = nullptr;
    std::unique_ptr<InputFile> file_;
    std::uint64_t position_ = 0;  // of the next byte read from file_
    bool infoRead_ = false;
    unsigned rate_ = 0;
    unsigned channels_ = 0;
    unsigned bits_ = 0;
    std::uint64_t totalFrames_ = 0;  // 0: not told
    bool ended_ = false;

    IntegerPcmConverter converter_;
    // The block that Decode fills, for the write callback.
    std::int16_t* target_ = nullptr;
    std::size_t targetRoom_ = 0;  // samples
    std::size_t targetUsed_ = 0;  // samples
    float gain_ = 1.0f;
    // Converted samples that did not fit (or that a seek decoded), at gain 1: the gain
    // applies as they go into a block.
    std::vector<std::int16_t> pending_;
    std::size_t pendingAt_ = 0;
};

}  // namespace hgf
