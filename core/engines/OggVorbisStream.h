// Decoding of one Ogg Vorbis file into interleaved 16-bit PCM: the three headers at
// open, then the audio, reading the file 4096 bytes at a time. Portable (libogg,
// libvorbis); the stream player runs it on its feeder thread.
#pragma once

#include <vorbis/codec.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

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

    // When the file can seek: the last page of the stream that ends at or before `frame`
    // is found by bisection, and the packets from there on are decoded (the first one
    // only primes the decoder) until the page's granule positions show where `frame` is.
    // The samples then match those of decoding from the start. A failed seek (past the
    // end, damaged pages) goes back to the start.
    bool SeekToFrame(std::uint64_t frame) override;

    // The first logical stream ends at its end-of-stream page (or the end of the file);
    // pages of other streams are not played. Samples convert as FloatToPcm16.
    Status Decode(std::uint8_t* block, std::uint32_t capacity, std::uint32_t& filled,
                  float gain) override;

  private:
    enum class ReadResult { kRead, kEndOfFile, kFailed };
    ReadResult ReadChunk();

    struct PageMark {
        std::uint64_t offset;  // where the page begins in the file
        std::int64_t granule;  // the sample frame at the end of its last packet
    };
    // The first page of the stream that ends a packet and begins in [offset, limit).
    std::optional<PageMark> PageFrom(std::uint64_t offset, std::uint64_t limit);
    // The last page of the stream that ends a packet at or before granule position
    // `granule`, or nothing.
    std::optional<PageMark> LastPageUpTo(std::int64_t granule);
    // Reads on from the page at `offset` with the decoder started afresh.
    bool RestartAt(std::uint64_t offset);
    // Takes the next page of the stream into stream_; false at its end or a read error.
    bool TakePage();
    // Decodes the next packet (taking pages as needed) into the decoder: the frames it
    // holds then, or -1 at the end. `gap` tells that packets were lost before it.
    int SynthesizeNext(bool& gap);
    // From the start: the granule position of the first frame (0 but in a stream cut
    // from a longer one), or nothing when the first page end cannot be read.
    std::optional<std::int64_t> FirstFrameGranule();
    // After RestartAt: decodes until the decoder holds `frame` as its next sample. From the
    // start of the stream, frames are counted from 0 (as a playback from the start gives
    // them); else from the first page end's granule position, less the first frame's.
    enum class Reached { kThere, kPast, kEnded };  // kPast: the first samples lie after it
    Reached DecodeUpTo(std::int64_t frame, bool fromStart);

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
    bool placeLost_ = false;     // a failed seek could not go back to the start: ended

    std::uint64_t position_ = 0;                // of the next byte read from file_
    std::uint64_t audioStart_ = 0;              // where the first page after the headers begins
    bool seekable_ = false;                     // the file tells its size and can seek
    std::optional<std::int64_t> firstGranule_;  // of the first frame; found at the first seek
};

}  // namespace hgf
