// Decoding of one Ogg Vorbis file into interleaved 16-bit PCM: the three headers at
// open, then the audio, reading the file 4096 bytes at a time. Portable (libogg,
// libvorbis); the stream player runs it on its feeder thread.
#pragma once

#include <vorbis/codec.h>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "engines/StreamDecoder.h"
#include "platform/FileSystem.h"

namespace hgf {

class OggVorbisStream final : public StreamDecoder {
  public:
    static constexpr std::size_t kChunkBytes = 4096;  // bytes read from the file at once

    OggVorbisStream();
    ~OggVorbisStream() override;
    OggVorbisStream(const OggVorbisStream&) = delete;
    OggVorbisStream& operator=(const OggVorbisStream&) = delete;

    // Reads the identification, comment and setup headers of the first logical stream
    // and prepares the decoder. False (with everything released) for a file that is not
    // Ogg, not Vorbis, or ends or breaks before its three headers.
    bool Open(std::unique_ptr<InputFile> file);
    void Close();
    bool IsOpen() const { return decoderReady_; }

    unsigned Channels() const override { return static_cast<unsigned>(info_.channels); }
    unsigned Rate() const override { return static_cast<unsigned>(info_.rate); }

    // The first logical stream ends at its end-of-stream page (or the end of the file);
    // pages of other streams are not played. Samples convert as FloatToPcm16.
    Status Decode(std::uint8_t* block, std::uint32_t capacity, std::uint32_t& filled,
                  float gain) override;

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

    // Which of the states above are initialised (each is cleared only if it is).
    bool syncReady_ = false;
    bool streamReady_ = false;
    bool infoReady_ = false;
    bool decoderReady_ = false;  // dsp_ and block_
    bool pageEnds_ = false;      // the last page taken into stream_ carries end-of-stream
};

}  // namespace hgf
