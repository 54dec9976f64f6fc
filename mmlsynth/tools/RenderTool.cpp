#include "RenderTool.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tonwerkel {
namespace {

constexpr const char* kUsage =
    "usage: tonwerkel-render [--seconds S] [--effects FILE.dat]\n"
    "                        [--noise-seed INDEX,STEP,COUNTER] SONG.mml OUT.wav\n"
    "       tonwerkel-render --effects FILE.dat --sound N [--seconds S]\n"
    "                        [--noise-seed INDEX,STEP,COUNTER] OUT.wav\n";

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes) {
    File f(std::fopen(path.c_str(), "rb"));
    if (!f) return false;
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) {
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return std::ferror(f.get()) == 0;
}

// Pushes what the stream holds through the system's cache onto the medium.
bool FlushToMedium(std::FILE* f) {
    if (std::fflush(f) != 0) return false;
#ifdef _WIN32
    return _commit(_fileno(f)) == 0;
#else
    return fsync(fileno(f)) == 0;
#endif
}

// Writes `bytes` into a new file beside `path` and puts it in the place of `path` in one step
// only once every byte is on the medium, so an older file there is never left cut short. On
// failure the new file is removed and an older one is unchanged.
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    const std::string newFile = path + ".~tmp";
    File f(std::fopen(newFile.c_str(), "wb"));
    if (!f) return false;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size() &&
                   FlushToMedium(f.get());
    written = std::fclose(f.release()) == 0 && written;
    std::error_code error;
    if (written) std::filesystem::rename(newFile, path, error);
    if (written && !error) return true;
    std::filesystem::remove(newFile, error);
    return false;
}

std::optional<long> ParseInteger(const std::string& s, long min, long max) {
    if (s.empty()) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < min || v > max) return std::nullopt;
    return v;
}

// Little-endian writer into a buffer of known size.
class ByteWriter {
  public:
    explicit ByteWriter(std::vector<uint8_t>& out) : out_(out) {}
    void Le(uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out_[at_++] = static_cast<uint8_t>(value >> (8 * i));
    }
    void Tag(const char (&tag)[5]) {
        for (int i = 0; i < 4; ++i)
            out_[at_++] = static_cast<uint8_t>(tag[i]);
    }

  private:
    std::vector<uint8_t>& out_;
    size_t at_ = 0;
};

}  // namespace

std::optional<int64_t> ChunksForSeconds(const std::string& seconds) {
    // Integer arithmetic on the decimal digits: S = whole + fraction / 10^digits.
    const size_t dot = seconds.find('.');
    const std::string whole = seconds.substr(0, dot);
    const std::string fraction = dot == std::string::npos ? "" : seconds.substr(dot + 1);
    if ((whole.empty() && fraction.empty()) || whole.size() > 5 || fraction.size() > 6) {
        return std::nullopt;
    }
    int64_t scaled = 0;  // S * 10^6
    for (char c : whole) {
        if (c < '0' || c > '9') return std::nullopt;
        scaled = scaled * 10 + (c - '0');
    }
    int64_t fractionValue = 0;
    for (size_t i = 0; i < 6; ++i) {
        const char c = i < fraction.size() ? fraction[i] : '0';
        if (c < '0' || c > '9') return std::nullopt;
        fractionValue = fractionValue * 10 + (c - '0');
    }
    scaled = scaled * 1000000 + fractionValue;
    if (scaled <= 0 || scaled > int64_t{86400} * 1000000) return std::nullopt;
    const int64_t divisor = int64_t{kChunkSamples} * 1000000;
    return (scaled * kSampleRate + divisor - 1) / divisor;
}

std::optional<RenderOptions> ParseRenderOptions(const std::vector<std::string>& args,
                                                std::string& error) {
    RenderOptions options;
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue =
            a == "--seconds" || a == "--effects" || a == "--sound" || a == "--noise-seed";
        if (takesValue && i + 1 >= args.size()) {
            error = a + " needs a value";
            return std::nullopt;
        }
        if (a == "--seconds") {
            const auto chunks = ChunksForSeconds(args[++i]);
            if (!chunks) {
                error = "--seconds: not a positive number of seconds (at most 86400): " + args[i];
                return std::nullopt;
            }
            options.chunks = *chunks;
        } else if (a == "--effects") {
            options.effectsPath = args[++i];
        } else if (a == "--sound") {
            const auto n = ParseInteger(args[++i], 0, 63);
            if (!n) {
                error = "--sound: not a sound number 0-63: " + args[i];
                return std::nullopt;
            }
            options.sound = static_cast<int>(*n);
        } else if (a == "--noise-seed") {
            const std::string& v = args[++i];
            std::array<uint8_t, 3> seed{};
            size_t start = 0;
            for (size_t k = 0; k < 3; ++k) {
                const size_t comma = v.find(',', start);
                const bool last = k == 2;
                if (last != (comma == std::string::npos)) {
                    error = "--noise-seed: expected INDEX,STEP,COUNTER: " + v;
                    return std::nullopt;
                }
                const auto byte = ParseInteger(v.substr(start, comma - start), 0, 255);
                if (!byte) {
                    error = "--noise-seed: values must be 0-255: " + v;
                    return std::nullopt;
                }
                seed[k] = static_cast<uint8_t>(*byte);
                start = comma + 1;
            }
            options.noiseSeed = seed;
        } else if (a.size() > 1 && a[0] == '-' && a != "-") {
            error = "unknown option " + a;
            return std::nullopt;
        } else {
            positional.push_back(a);
        }
    }
    // An effect (--sound) needs no song: OUT.wav alone.
    if (positional.size() == 1 && options.sound) {
        options.outputPath = positional[0];
        return options;
    }
    if (positional.size() != 2) {
        error = "expected SONG.mml and OUT.wav";
        return std::nullopt;
    }
    options.songPath = positional[0];
    options.outputPath = positional[1];
    return options;
}

std::vector<int16_t> RenderSongChunks(Synthesizer& synth, int64_t chunks) {
    synth.ResetForPlay();
    std::vector<int16_t> samples(static_cast<size_t>(chunks) * kChunkSamples);
    for (int64_t i = 0; i < chunks; ++i) {
        synth.RenderBgmBlock(samples.data() + static_cast<size_t>(i) * kChunkSamples);
    }
    return samples;
}

std::vector<int16_t> RenderEffectBlocks(Synthesizer& synth, int sound, int64_t maxChunks) {
    std::vector<int16_t> samples;
    if (!synth.StartEffect(sound)) return samples;
    for (int64_t i = 0; i < maxChunks && synth.EffectGenerating(); ++i) {
        const size_t at = samples.size();
        samples.resize(at + kChunkSamples);
        synth.RenderEffectBlock(samples.data() + at);
    }
    return samples;
}

std::vector<uint8_t> EncodeWave(const std::vector<int16_t>& samples) {
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> out(44 + size_t{dataBytes});
    ByteWriter w(out);
    w.Tag("RIFF");
    w.Le(36 + dataBytes, 4);
    w.Tag("WAVE");
    w.Tag("fmt ");
    w.Le(16, 4);  // format chunk size
    w.Le(1, 2);   // PCM
    w.Le(1, 2);   // mono
    w.Le(kSampleRate, 4);
    w.Le(kSampleRate * 2, 4);  // bytes per second
    w.Le(2, 2);                // block alignment
    w.Le(16, 2);               // bits per sample
    w.Tag("data");
    w.Le(dataBytes, 4);
    for (int16_t s : samples)
        w.Le(static_cast<uint16_t>(s), 2);
    return out;
}

int RenderFromOptions(const RenderOptions& options, std::vector<int16_t>& samples, std::FILE* err) {
    if (options.sound && options.effectsPath.empty()) {
        std::fprintf(err, "tonwerkel-render: --sound needs --effects FILE.dat\n%s", kUsage);
        return 2;
    }
    if (options.sound && !options.songPath.empty()) {
        std::fprintf(err, "tonwerkel-render: --sound renders an effect, not a song\n%s", kUsage);
        return 2;
    }

    auto synth = std::make_unique<Synthesizer>();
    if (options.noiseSeed) {
        const std::array<uint8_t, 3>& seed = *options.noiseSeed;
        synth->SetNoiseSeed({seed[0], seed[1], seed[2]});
    }
    // The effect set comes first, so that the song's drums find their sounds.
    if (!options.effectsPath.empty()) {
        std::vector<uint8_t> effects;
        if (!ReadWholeFile(options.effectsPath, effects)) {
            std::fprintf(err, "tonwerkel-render: cannot read %s\n", options.effectsPath.c_str());
            return 1;
        }
        synth->LoadEffects(effects.data(), effects.size());
    }

    if (options.sound) {
        // The blocks PlaySound(N) writes, up to the one in which the effect stops generating.
        samples = RenderEffectBlocks(*synth, *options.sound, options.chunks);
        if (samples.empty()) {
            std::fprintf(err, "tonwerkel-render: sound %d of %s is empty or silent\n",
                         *options.sound, options.effectsPath.c_str());
            return 1;
        }
        if (synth->EffectGenerating()) {
            std::fprintf(err, "tonwerkel-render: sound %d cut off after %lld blocks (--seconds)\n",
                         *options.sound, static_cast<long long>(options.chunks));
        }
        return 0;
    }
    std::vector<uint8_t> song;
    if (!ReadWholeFile(options.songPath, song)) {
        std::fprintf(err, "tonwerkel-render: cannot read %s\n", options.songPath.c_str());
        return 1;
    }
    synth->LoadSong(song.data(), song.size());
    if (!synth->HasChannels()) {
        std::fprintf(err, "tonwerkel-render: %s has no channel text to play\n",
                     options.songPath.c_str());
        return 1;
    }
    samples = RenderSongChunks(*synth, options.chunks);
    return 0;
}

int RunRenderTool(const std::vector<std::string>& args, std::FILE* err) {
    std::string error;
    const std::optional<RenderOptions> options = ParseRenderOptions(args, error);
    if (!options) {
        std::fprintf(err, "tonwerkel-render: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    std::vector<int16_t> samples;
    if (const int rc = RenderFromOptions(*options, samples, err); rc != 0) return rc;
    if (!WriteWholeFile(options->outputPath, EncodeWave(samples))) {
        std::fprintf(err, "tonwerkel-render: cannot write %s\n", options->outputPath.c_str());
        return 1;
    }
    return 0;
}

}  // namespace tonwerkel
