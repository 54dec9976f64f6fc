// Test files: Ogg Vorbis files holding a sine tone, encoded with libvorbisenc.
#pragma once

#include <string>

namespace hgf::test {

// Writes `seconds` of a `frequency` Hz sine (22050 Hz, mono) to `path`; false on failure.
bool WriteToneOgg(const std::string& path, double frequency, double seconds);

}  // namespace hgf::test
