// Prints what stream playback (Ogg Vorbis, FLAC, Opus) costs in process CPU time per
// second of sound, next to the decoding library decoding the same file by itself into
// 16-bit samples: the player's decoder alone, then the stream player with a device that
// takes the buffers at real-time pace and costs nothing itself (the player's own share),
// and on Windows also the full playback through waveOut and the same amount of silence
// written to waveOut without decoding (the platform's share). The files (a tone with
// noise) are made here. Under Wine: tests/engines/win32/stream_cpu_bench.sh.
// Usage: stream_playback_cpu_bench [seconds of sound, default 30] [vorbis|flac|flac24|opus...]
#include <FLAC/stream_decoder.h>
#include <opusfile.h>
#include <vorbis/vorbisfile.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "OggTestFiles.h"
#include "PlaybackBench.h"
#include "StreamTestFiles.h"
#include "engines/FlacOpusPlayer.h"
#include "engines/FlacStream.h"
#include "engines/OggStreamPlayer.h"
#include "engines/OggVorbisStream.h"
#include "engines/OpusStream.h"

namespace {

using namespace hgf;
using namespace hgf::bench;

// The library by itself, decoding the file at `path` into 16-bit samples; returns the
// sample frames.
long long DecodeWithVorbisfile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return 0;
    OggVorbis_File vorbisFile;
    if (ov_open(file, &vorbisFile, nullptr, 0) < 0) {
        std::fclose(file);
        return 0;
    }
    const int channels = ov_info(&vorbisFile, -1)->channels;
    char buffer[4096];
    int link = 0;
    long long total = 0;
    for (long got; (got = ov_read(&vorbisFile, buffer, sizeof buffer, 0, 2, 1, &link)) > 0;)
        total += got;
    ov_clear(&vorbisFile);
    return total / (2 * channels);
}

long long DecodeWithLibFlac(const std::string& path) {
    struct Sink {
        std::vector<std::int16_t> samples;
        long long frames = 0;
        static FLAC__StreamDecoderWriteStatus Write(const FLAC__StreamDecoder*,
                                                    const FLAC__Frame* frame,
                                                    const FLAC__int32* const buffer[], void* data) {
            auto& sink = *static_cast<Sink*>(data);
            const unsigned channels = frame->header.channels;
            const unsigned shift = frame->header.bits_per_sample - 16;
            sink.samples.resize(frame->header.blocksize * channels);
            for (unsigned c = 0; c < channels; ++c)
                for (unsigned i = 0; i < frame->header.blocksize; ++i)
                    sink.samples[i * channels + c] =
                        static_cast<std::int16_t>(buffer[c][i] >> shift);
            sink.frames += frame->header.blocksize;
            return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
        }
        static void Error(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void*) {}
    } sink;
    FLAC__StreamDecoder* decoder = FLAC__stream_decoder_new();
    FLAC__stream_decoder_set_md5_checking(decoder, false);
    if (FLAC__stream_decoder_init_file(decoder, path.c_str(), &Sink::Write, nullptr, &Sink::Error,
                                       &sink) == FLAC__STREAM_DECODER_INIT_STATUS_OK)
        FLAC__stream_decoder_process_until_end_of_stream(decoder);
    FLAC__stream_decoder_delete(decoder);
    return sink.frames;
}

long long DecodeWithOpusfile(const std::string& path) {
    OggOpusFile* file = op_open_file(path.c_str(), nullptr);
    if (!file) return 0;
    const int channels = op_channel_count(file, -1);
    std::vector<opus_int16> buffer(5760 * 2);
    long long frames = 0;
    for (int got;
         (got = op_read(file, buffer.data(), static_cast<int>(buffer.size()), nullptr)) > 0;)
        frames += got;
    op_free(file);
    return channels > 0 ? frames : 0;
}

struct Format {
    const char* name;
    std::function<std::string(double seconds)> make;
    std::function<long long(const std::string& path)> decodeAlone;
    std::function<std::unique_ptr<StreamDecoder>(const std::string& path)> openDecoder;
    std::function<std::unique_ptr<StreamPlayer>(WaveOutput& output)> makePlayer;
};

std::unique_ptr<StreamDecoder> OpenFlac(const std::string& path) {
    auto flac = std::make_unique<FlacStream>();
    if (!flac->Open(Files().OpenRead(path), FlacStream::Container::kNative)) return nullptr;
    return flac;
}

std::unique_ptr<StreamPlayer> MakeFlacOpusPlayer(WaveOutput& output) {
    return std::make_unique<FlacOpusPlayer>(Files(), output);
}

const Format kFormats[] = {
    {"vorbis",
     [](double seconds) {
         return test::EncodeTone({.channels = 2,
                                  .rate = 44100,
                                  .seconds = seconds,
                                  .amplitude = 0.4,
                                  .noise = 0.3,
                                  .bitrate = 160000});
     },
     DecodeWithVorbisfile,
     [](const std::string& path) -> std::unique_ptr<StreamDecoder> {
         auto vorbis = std::make_unique<OggVorbisStream>();
         if (!vorbis->Open(Files().OpenRead(path))) return nullptr;
         return vorbis;
     },
     [](WaveOutput& output) -> std::unique_ptr<StreamPlayer> {
         return std::make_unique<OggStreamPlayer>(Files(), output);
     }},
    {"flac",
     [](double seconds) {
         return test::EncodeFlac(
             {.channels = 2, .rate = 44100, .seconds = seconds, .amplitude = 0.4, .noise = 0.1});
     },
     DecodeWithLibFlac, OpenFlac, MakeFlacOpusPlayer},
    {"flac24",
     [](double seconds) {
         return test::EncodeFlac({.channels = 2,
                                  .rate = 96000,
                                  .bits = 24,
                                  .seconds = seconds,
                                  .amplitude = 0.4,
                                  .noise = 0.1});
     },
     DecodeWithLibFlac, OpenFlac, MakeFlacOpusPlayer},
    {"opus",
     [](double seconds) {
         return test::EncodeOpus(
             {.channels = 2, .seconds = seconds, .amplitude = 0.4, .noise = 0.1});
     },
     DecodeWithOpusfile,
     [](const std::string& path) -> std::unique_ptr<StreamDecoder> {
         auto opus = std::make_unique<OpusStream>();
         if (!opus->Open(Files().OpenRead(path))) return nullptr;
         return opus;
     },
     MakeFlacOpusPlayer},
};

// Decodes the whole file through the player's decoder, buffer by buffer.
void DecodeWithPlayersDecoder(const Format& format, const std::string& path) {
    std::unique_ptr<StreamDecoder> decoder = format.openDecoder(path);
    if (!decoder) return;
    const std::uint32_t bytes =
        WaveFeeder::BufferBytes(PcmFormat::Pcm16(decoder->Channels(), decoder->Rate()));
    auto block = std::make_unique<std::int16_t[]>(bytes / 2);
    for (;;) {
        std::uint32_t filled = 0;
        if (decoder->Decode(reinterpret_cast<std::uint8_t*>(block.get()), bytes, filled, 1.0f) !=
            StreamDecoder::Status::kFull)
            break;
    }
}

// Plays the file to its end through `output`. This thread sleeps through the sound and
// only then asks for its end, so that it adds next to nothing.
Run PlayFile(const Format& format, const std::string& path, WaveOutput& output, double seconds) {
    std::unique_ptr<StreamPlayer> player = format.makePlayer(output);
    const double cpu = ProcessCpuSeconds();
    const double wall = WallSeconds();
    if (!player->Open(path)) return {};
    player->Start();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    while (!player->Finished() && WallSeconds() - wall < seconds + 10)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    player->Close();
    return {ProcessCpuSeconds() - cpu, WallSeconds() - wall};
}

void Measure(const Format& format, double seconds) {
    constexpr int kDecodePasses = 5;
    const std::string path =
        (std::filesystem::temp_directory_path() /
         ("hgf-stream-bench-" + std::to_string(Clock::now().time_since_epoch().count())))
            .string();
    const std::string bytes = format.make(seconds);
    std::ofstream(path, std::ios::binary) << bytes;
    std::unique_ptr<StreamDecoder> probe = format.openDecoder(path);
    if (!probe) {
        std::printf("%s: the file cannot be opened\n", format.name);
        return;
    }
    const PcmFormat pcm = PcmFormat::Pcm16(probe->Channels(), probe->Rate());
    probe.reset();
    std::printf("\n%s: %.1f s, %u Hz, %u channel(s), %.0f kbit/s\n", format.name, seconds,
                pcm.samplesPerSecond, pcm.channels, bytes.size() * 8 / seconds / 1000.0);

    double cpu = ProcessCpuSeconds();
    long long frames = 0;
    for (int pass = 0; pass < kDecodePasses; ++pass)
        frames = format.decodeAlone(path);
    const double decodeMs = 1000.0 * (ProcessCpuSeconds() - cpu) / (kDecodePasses * seconds);
    cpu = ProcessCpuSeconds();
    for (int pass = 0; pass < kDecodePasses; ++pass)
        DecodeWithPlayersDecoder(format, path);
    const double playerDecodeMs = 1000.0 * (ProcessCpuSeconds() - cpu) / (kDecodePasses * seconds);
    std::printf("decoding alone, the library: %.2f ms CPU per s of sound (%.1f s decoded)\n",
                decodeMs, static_cast<double>(frames) / pcm.samplesPerSecond);
    std::printf("decoding alone, the player's decoder: %.2f ms CPU per s of sound (%.2f x)\n",
                playerDecodeMs, playerDecodeMs / decodeMs);

    PacedNullOutput paced;
    Run run = PlayFile(format, path, paced, seconds);
    run.device = paced.DeviceCpuSeconds();
    Report("player, device at real-time pace costing nothing", run, seconds, decodeMs);
#ifdef _WIN32
    Report("waveOut alone, silence without decoding",
           PlaySilence(seconds, pcm, WaveFeeder::BufferBytes(pcm)), seconds, decodeMs);
    WinWaveOutput output;
    Report("player through waveOut", PlayFile(format, path, output, seconds), seconds, decodeMs);
#endif
    std::filesystem::remove(path);
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 30.0;
    for (const Format& format : kFormats) {
        bool wanted = argc <= 2;
        for (int i = 2; i < argc; ++i)
            wanted = wanted || std::strcmp(argv[i], format.name) == 0;
        if (wanted) Measure(format, seconds);
    }
    return 0;
}
