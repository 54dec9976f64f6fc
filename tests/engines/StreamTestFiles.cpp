// libFLAC's encoder into memory, libopus's encoder with the Ogg Opus headers and pages
// written here, and opusfile reading from memory.
#include "StreamTestFiles.h"

#include <FLAC/metadata.h>
#include <FLAC/stream_encoder.h>
#include <ogg/ogg.h>
#include <opus.h>
#include <opus_multistream.h>
#include <opusfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace hgf::test {
namespace {

constexpr double kTwoPi = 6.283185307179586;

// The tone as floating-point samples (full scale 1.0), interleaved.
std::vector<float> ToneFloats(const PcmToneOptions& options, unsigned rate) {
    const long frames = std::lround(options.seconds * rate);
    std::vector<float> samples(static_cast<std::size_t>(frames) * options.channels);
    std::uint32_t noiseState = 12345;
    for (long i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        for (int c = 0; c < options.channels; ++c) {
            double value =
                options.amplitude * std::sin(kTwoPi * options.frequency * (1.0 + c / 2.0) * t);
            if (options.noise > 0) {
                noiseState = noiseState * 1664525u + 1013904223u;
                value += options.noise * ((noiseState >> 8) / 8388608.0 - 1.0);
            }
            samples[static_cast<std::size_t>(i) * options.channels + c] =
                static_cast<float>(std::clamp(value, -1.0, 1.0));
        }
    }
    return samples;
}

// A byte string that libFLAC's encoder writes, seeks in and reads back.
struct MemorySink {
    std::string bytes;
    std::size_t position = 0;

    static FLAC__StreamEncoderWriteStatus Write(const FLAC__StreamEncoder*,
                                                const FLAC__byte buffer[], size_t count, uint32_t,
                                                uint32_t, void* data) {
        auto& sink = *static_cast<MemorySink*>(data);
        if (sink.position + count > sink.bytes.size()) sink.bytes.resize(sink.position + count);
        std::memcpy(sink.bytes.data() + sink.position, buffer, count);
        sink.position += count;
        return FLAC__STREAM_ENCODER_WRITE_STATUS_OK;
    }
    static FLAC__StreamEncoderSeekStatus Seek(const FLAC__StreamEncoder*, FLAC__uint64 offset,
                                              void* data) {
        static_cast<MemorySink*>(data)->position = static_cast<std::size_t>(offset);
        return FLAC__STREAM_ENCODER_SEEK_STATUS_OK;
    }
    static FLAC__StreamEncoderTellStatus Tell(const FLAC__StreamEncoder*, FLAC__uint64* offset,
                                              void* data) {
        *offset = static_cast<MemorySink*>(data)->position;
        return FLAC__STREAM_ENCODER_TELL_STATUS_OK;
    }
    static FLAC__StreamEncoderReadStatus Read(const FLAC__StreamEncoder*, FLAC__byte buffer[],
                                              size_t* count, void* data) {
        auto& sink = *static_cast<MemorySink*>(data);
        const std::size_t n =
            std::min(*count, sink.bytes.size() - std::min(sink.position, sink.bytes.size()));
        std::memcpy(buffer, sink.bytes.data() + sink.position, n);
        sink.position += n;
        *count = n;
        return n ? FLAC__STREAM_ENCODER_READ_STATUS_CONTINUE
                 : FLAC__STREAM_ENCODER_READ_STATUS_END_OF_STREAM;
    }
};

void PutLe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void AppendPage(std::string& out, const ogg_page& page) {
    out.append(reinterpret_cast<const char*>(page.header), page.header_len);
    out.append(reinterpret_cast<const char*>(page.body), page.body_len);
}

// One Ogg packet from bytes.
void PacketIn(ogg_stream_state& stream, std::string& bytes, bool first, bool last,
              ogg_int64_t granule, ogg_int64_t number) {
    ogg_packet packet{};
    packet.packet = reinterpret_cast<unsigned char*>(bytes.data());
    packet.bytes = static_cast<long>(bytes.size());
    packet.b_o_s = first;
    packet.e_o_s = last;
    packet.granulepos = granule;
    packet.packetno = number;
    ogg_stream_packetin(&stream, &packet);
}

struct MemoryReader {
    const std::string* bytes;
    std::size_t position = 0;
    static int Read(void* self, unsigned char* out, int count) {
        auto& reader = *static_cast<MemoryReader*>(self);
        const std::size_t n = std::min<std::size_t>(count, reader.bytes->size() - reader.position);
        std::memcpy(out, reader.bytes->data() + reader.position, n);
        reader.position += n;
        return static_cast<int>(n);
    }
    static int Seek(void* self, opus_int64 offset, int whence) {
        auto& reader = *static_cast<MemoryReader*>(self);
        const opus_int64 base = whence == SEEK_SET ? 0
                                : whence == SEEK_CUR
                                    ? static_cast<opus_int64>(reader.position)
                                    : static_cast<opus_int64>(reader.bytes->size());
        if (base + offset < 0) return -1;
        reader.position = static_cast<std::size_t>(base + offset);
        return 0;
    }
    static opus_int64 Tell(void* self) {
        return static_cast<opus_int64>(static_cast<MemoryReader*>(self)->position);
    }
};

}  // namespace

std::vector<std::int32_t> ToneSamples(const PcmToneOptions& options) {
    const std::vector<float> floats = ToneFloats(options, options.rate);
    const double scale = std::ldexp(1.0, static_cast<int>(options.bits) - 1) - 1.0;
    std::vector<std::int32_t> samples(floats.size());
    for (std::size_t i = 0; i < floats.size(); ++i)
        samples[i] = static_cast<std::int32_t>(std::lround(floats[i] * scale));
    return samples;
}

std::string EncodeFlac(const PcmToneOptions& options, bool ogg, bool withLength) {
    FLAC__StreamEncoder* encoder = FLAC__stream_encoder_new();
    FLAC__stream_encoder_set_channels(encoder, static_cast<uint32_t>(options.channels));
    FLAC__stream_encoder_set_bits_per_sample(encoder, options.bits);
    FLAC__stream_encoder_set_sample_rate(encoder, options.rate);
    FLAC__stream_encoder_set_compression_level(encoder, 5);
    FLAC__stream_encoder_set_ogg_serial_number(encoder, options.serial);
    FLAC__StreamMetadata* comments = nullptr;
    if (!options.title.empty()) {
        comments = FLAC__metadata_object_new(FLAC__METADATA_TYPE_VORBIS_COMMENT);
        FLAC__StreamMetadata_VorbisComment_Entry entry;
        FLAC__metadata_object_vorbiscomment_entry_from_name_value_pair(&entry, "TITLE",
                                                                       options.title.c_str());
        FLAC__metadata_object_vorbiscomment_append_comment(comments, entry, false);
        FLAC__stream_encoder_set_metadata(encoder, &comments, 1);
    }
    MemorySink sink;
    // Without seeking, the encoder cannot go back to write the length into the header.
    const auto seek = withLength ? &MemorySink::Seek : nullptr;
    const auto tell = withLength ? &MemorySink::Tell : nullptr;
    const FLAC__StreamEncoderInitStatus status =
        ogg ? FLAC__stream_encoder_init_ogg_stream(encoder,
                                                   withLength ? &MemorySink::Read : nullptr,
                                                   &MemorySink::Write, seek, tell, nullptr, &sink)
            : FLAC__stream_encoder_init_stream(encoder, &MemorySink::Write, seek, tell, nullptr,
                                               &sink);
    if (status == FLAC__STREAM_ENCODER_INIT_STATUS_OK) {
        const std::vector<std::int32_t> samples = ToneSamples(options);
        FLAC__stream_encoder_process_interleaved(
            encoder, samples.data(), static_cast<uint32_t>(samples.size() / options.channels));
        FLAC__stream_encoder_finish(encoder);
    } else {
        sink.bytes.clear();
    }
    FLAC__stream_encoder_delete(encoder);
    if (comments) FLAC__metadata_object_delete(comments);
    return sink.bytes;
}

std::string EncodeOpus(const PcmToneOptions& options, int outputGainQ8) {
    constexpr int kRate = 48000;
    constexpr int kFrame = 960;  // 20 ms
    const int channels = options.channels;
    int error = 0;
    int streams = 1, coupled = channels == 2 ? 1 : 0;
    unsigned char mapping[255] = {0, 1};
    const int family = channels > 2 ? 1 : 0;
    OpusMSEncoder* encoder =
        family == 1
            ? opus_multistream_surround_encoder_create(kRate, channels, family, &streams, &coupled,
                                                       mapping, OPUS_APPLICATION_AUDIO, &error)
            : opus_multistream_encoder_create(kRate, channels, streams, coupled, mapping,
                                              OPUS_APPLICATION_AUDIO, &error);
    if (!encoder || error != OPUS_OK) return {};
    opus_int32 lookahead = 0;
    opus_multistream_encoder_ctl(encoder, OPUS_GET_LOOKAHEAD(&lookahead));

    ogg_stream_state stream;
    ogg_stream_init(&stream, options.serial);
    std::string out;
    ogg_page page;
    std::string head = "OpusHead";
    head.push_back(1);
    head.push_back(static_cast<char>(channels));
    PutLe(head, static_cast<std::uint32_t>(lookahead), 2);
    PutLe(head, kRate, 4);
    PutLe(head, static_cast<std::uint16_t>(static_cast<std::int16_t>(outputGainQ8)), 2);
    head.push_back(static_cast<char>(family));
    if (family == 1) {
        head.push_back(static_cast<char>(streams));
        head.push_back(static_cast<char>(coupled));
        head.append(reinterpret_cast<const char*>(mapping), static_cast<std::size_t>(channels));
    }
    PacketIn(stream, head, true, false, 0, 0);
    while (ogg_stream_flush(&stream, &page))
        AppendPage(out, page);
    std::string tags = "OpusTags";
    const std::string vendor = "test tones";
    PutLe(tags, static_cast<std::uint32_t>(vendor.size()), 4);
    tags += vendor;
    PutLe(tags, options.title.empty() ? 0 : 1, 4);
    if (!options.title.empty()) {
        PutLe(tags, static_cast<std::uint32_t>(6 + options.title.size()), 4);
        tags += "TITLE=" + options.title;
    }
    PacketIn(stream, tags, false, false, 0, 1);
    while (ogg_stream_flush(&stream, &page))
        AppendPage(out, page);

    std::vector<float> samples = ToneFloats(options, kRate);
    const std::size_t frames = samples.size() / channels;
    // Enough frames to cover the lookahead, so that every sample comes out.
    const std::size_t packets = (frames + lookahead + kFrame - 1) / kFrame;
    samples.resize(packets * kFrame * channels, 0.0f);
    std::string packet(4000, '\0');
    for (std::size_t p = 0; p < packets; ++p) {
        const int bytes =
            opus_multistream_encode_float(encoder, samples.data() + p * kFrame * channels, kFrame,
                                          reinterpret_cast<unsigned char*>(packet.data()),
                                          static_cast<opus_int32>(packet.size()));
        if (bytes < 0) break;
        std::string data = packet.substr(0, static_cast<std::size_t>(bytes));
        const bool last = p + 1 == packets;
        // The last page's position ends the stream where the tone ends.
        const ogg_int64_t granule = last ? static_cast<ogg_int64_t>(frames + lookahead)
                                         : static_cast<ogg_int64_t>((p + 1) * kFrame);
        PacketIn(stream, data, false, last, granule, static_cast<ogg_int64_t>(p + 2));
        while (ogg_stream_pageout(&stream, &page))
            AppendPage(out, page);
    }
    while (ogg_stream_flush(&stream, &page))
        AppendPage(out, page);
    ogg_stream_clear(&stream);
    opus_multistream_encoder_destroy(encoder);
    return out;
}

std::vector<std::int16_t> DecodeOpusReference(const std::string& bytes) {
    std::vector<std::int16_t> samples;
    MemoryReader reader{&bytes};
    const OpusFileCallbacks callbacks{&MemoryReader::Read, &MemoryReader::Seek, &MemoryReader::Tell,
                                      nullptr};
    OggOpusFile* file = op_open_callbacks(&reader, &callbacks, nullptr, 0, nullptr);
    if (!file) return samples;
    const bool mix = op_channel_count(file, 0) > 2;
    std::vector<opus_int16> buffer(5760 * 2);
    for (;;) {
        int link = 0;
        const int frames =
            mix ? op_read_stereo(file, buffer.data(), static_cast<int>(buffer.size()))
                : op_read(file, buffer.data(), static_cast<int>(buffer.size()), &link);
        if (mix) link = op_current_link(file);
        if (frames <= 0 || link != 0) break;
        const int channels = mix ? 2 : op_channel_count(file, 0);
        samples.insert(samples.end(), buffer.begin(), buffer.begin() + frames * channels);
    }
    op_free(file);
    return samples;
}

}  // namespace hgf::test
