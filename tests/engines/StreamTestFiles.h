// FLAC, Ogg FLAC and Ogg Opus files made on the fly for the engine tests (libFLAC's and
// libopus's encoders), holding a tone with optional noise, and a reference decode of
// Opus through opusfile.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hgf::test {

struct PcmToneOptions {
    int channels = 2;
    unsigned rate = 44100;
    unsigned bits = 16;  // FLAC only (Opus takes the tone as floating-point samples)
    double seconds = 1.0;
    double frequency = 440.0;  // Hz; channel c gets (1 + c / 2) times this
    double amplitude = 0.5;    // of full scale
    double noise = 0.0;        // amplitude of white noise added
    std::string title = {};    // the TITLE comment (UTF-8), none when empty
    int serial = 1;            // Ogg: the logical stream's serial number
};

// The tone's samples as `bits`-bit integers, interleaved.
std::vector<std::int32_t> ToneSamples(const PcmToneOptions& options);

// A FLAC file (or an Ogg FLAC file) of ToneSamples. Without `withLength` the stream
// information does not tell the number of samples.
std::string EncodeFlac(const PcmToneOptions& options, bool ogg = false, bool withLength = true);

// An Ogg Opus file of the tone at 48 kHz (options.rate and bits are ignored), with the
// output gain `outputGainQ8` (1/256 dB) in its header.
std::string EncodeOpus(const PcmToneOptions& options, int outputGainQ8 = 0);

// The first logical stream of an Ogg Opus file through opusfile's 16-bit reader, which the
// player uses too (interleaved; more than two channels mixed down to stereo).
std::vector<std::int16_t> DecodeOpusReference(const std::string& bytes);

}  // namespace hgf::test
