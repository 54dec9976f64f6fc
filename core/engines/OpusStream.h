// Decoding of one Ogg Opus file into interleaved 16-bit PCM at 48 kHz through opusfile,
// with the stream's output gain applied and the conversion to 16 bits dithered; more
// than two channels are mixed down to stereo. Portable; the stream player runs it on its
// feeder thread.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "engines/StreamDecoder.h"
#include "platform/FileSystem.h"

struct OggOpusFile;

namespace hgf {

class OpusStream final : public StreamDecoder {
  public:
    static constexpr unsigned kRate = 48000;  // Opus decodes at this rate

    OpusStream();
    ~OpusStream() override;
    OpusStream(const OpusStream&) = delete;
    OpusStream& operator=(const OpusStream&) = delete;

    // Reads the headers (and, when the file can seek, finds the end of its first logical
    // stream). False (with everything released) for a file that is no Ogg Opus stream.
    bool Open(std::unique_ptr<InputFile> file);
    void Close();

    unsigned Channels() const override { return channels_; }
    unsigned Rate() const override { return kRate; }
    unsigned SourceChannels() const { return sourceChannels_; }
    // Sample frames (at 48 kHz) of the first logical stream, when the file can seek.
    std::optional<std::uint64_t> TotalFrames() const override;

    // Within the first logical stream, when the file can seek (opusfile decodes the
    // pre-roll itself); a failed seek goes back to the start.
    bool SeekToFrame(std::uint64_t frame) override;

    // The first logical stream ends at its end-of-stream page (or the end of the file);
    // further chained streams are not played. A gap in the data is skipped; a read error
    // ends the stream.
    Status Decode(std::uint8_t* block, std::uint32_t capacity, std::uint32_t& filled,
                  float gain) override;

  private:
    friend struct OpusCallbacks;

    std::unique_ptr<InputFile> file_;
    std::uint64_t position_ = 0;  // of the next byte read from file_
    OggOpusFile* opus_ = nullptr;
    unsigned sourceChannels_ = 0;
    unsigned channels_ = 0;
    bool ended_ = false;
};

}  // namespace hgf
