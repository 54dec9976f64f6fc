// Ogg Vorbis files made on the fly for the engine tests (libvorbisenc), and a reference
// decode through vorbisfile to compare the stream player's output with.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hgf::test {

struct ToneOptions {
    int channels = 1;
    long rate = 22050;
    double seconds = 1.0;
    double frequency = 440.0;    // Hz; the second channel gets 1.5 times this
    double amplitude = 0.5;      // of full scale
    double noise = 0.0;          // amplitude of white noise added (makes the file larger)
    float quality = 0.4f;        // VBR quality -0.1..1.0, used when bitrate is 0
    long bitrate = 0;            // average bits per second (managed mode) when not 0
    int serial = 1;              // the logical stream's serial number
    std::string title = "tone";  // the TITLE comment
};

// The bytes of an Ogg Vorbis file holding a sine tone.
std::string EncodeTone(const ToneOptions& options);

// Decodes the first logical stream of `bytes` through vorbisfile and converts the samples
// exactly as the stream player does (interleaved 16-bit).
std::vector<std::int16_t> DecodeReference(const std::string& bytes, float gain = 1.0f);

// Byte offsets at which the Ogg pages of `bytes` start.
std::vector<std::size_t> PageOffsets(const std::string& bytes);

}  // namespace hgf::test
