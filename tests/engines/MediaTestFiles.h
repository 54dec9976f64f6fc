// Media files made on the fly for the media engine tests: a wave file holding a sine tone
// (16-bit mono 22050 Hz, written with the synthesizer's own WAV writer), and a tiny video.
#pragma once

#include <string>

namespace hgf::test {

// The bytes of a RIFF WAV file holding `seconds` of a `frequency` Hz sine at `amplitude`
// of full scale.
std::string EncodeToneWave(double frequency, double seconds, double amplitude = 0.5);

// Writes EncodeToneWave's bytes to `path`; false on failure.
bool WriteToneWave(const std::string& path, double frequency, double seconds,
                   double amplitude = 0.5);

// The bytes of an AVI file with one uncompressed video stream: `frames` red frames of
// 16 x 16 pixels (24-bit) at 10 frames per second, and no sound.
std::string EncodeTinyAvi(int frames);

}  // namespace hgf::test
