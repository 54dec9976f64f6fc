// Decoding of one Ogg Vorbis file into interleaved 16-bit PCM: the three headers at
// open, then the audio one 4096-byte chunk of the file at a time. Portable (libogg,
// libvorbis); the stream player runs it on its feeder thread.
#pragma once

#include <vorbis/codec.h>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/FileSystem.h"

namespace hgf {

class OggVorbisStream {
  public:
    static constexpr std::size_t kChunkBytes = 4096;         // bytes read from the file at once
    static constexpr std::size_t kConversionSamples = 4096;  // interleaved samples per chunk

    enum class DecodeStatus {
        kChunkRead,    // the decoded data is in the block and the next chunk was read
        kBufferFull,   // the block has no room left; the rest waits for the next block
        kStreamEnded,  // the first logical stream (or the file) has ended
        kReadFailed,   // the file reported a read error; try again later
    };

    OggVorbisStream();
    ~OggVorbisStream();
    OggVorbisStream(const OggVorbisStream&) = delete;
    OggVorbisStream& operator=(const OggVorbisStream&) = delete;

    // Reads the identification, comment and setup headers of the first logical stream
    // and prepares the decoder. False (with everything released) for a file that is not
    // Ogg, not Vorbis, or ends or breaks before its three headers.
    bool Open(std::unique_ptr<InputFile> file);
    void Close();
    bool IsOpen() const { return decoderReady_; }

    unsigned Channels() const { return static_cast<unsigned>(info_.channels); }
    unsigned Rate() const { return static_cast<unsigned>(info_.rate); }

    // Decodes into `block` from byte `filled` on (updated) until the pages at hand are
    // used up (then reads one further chunk), the block is full, or the stream ends.
    // Decoded samples are never dropped: what does not fit stays for the next call.
    // Damaged data (a gap in the pages or packets) is skipped.
    DecodeStatus Decode(std::uint8_t* block, std::uint32_t capacity, std::uint32_t& filled,
                        float gain);

    // One float sample as a 16-bit sample: scaled by 32767 and truncated, clamped to
    // -32768..32767, then scaled by `gain` and truncated again. NaN becomes 0.
    static std::int16_t ConvertSample(float sample, float gain);

  private:
    enum class ReadResult { kRead, kEndOfFile, kFailed };
    ReadResult ReadChunk();

    std::unique_ptr<InputFile> file_;
    vorbis_dsp_state dsp_{};
    vorbis_block block_{};
    ogg_sync_state sync_{};
    ogg_page page_{};
    ogg_stream_state stream_{};
    ogg_packet packet_{};
    vorbis_info info_{};
    vorbis_comment comment_{};
    std::int16_t conversion_[kConversionSamples] = {};

    // Which of the states above are initialised (each is cleared only if it is).
    bool syncReady_ = false;
    bool streamReady_ = false;
    bool infoReady_ = false;
    bool decoderReady_ = false;  // dsp_ and block_
    bool pageEnds_ = false;      // the last page taken into stream_ carries end-of-stream
};

}  // namespace hgf
