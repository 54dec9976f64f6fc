// Writes 16-bit interleaved PCM as an Ogg Vorbis file (variable bit rate).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hgf::demo {

struct VorbisTags {
    std::string title;
    std::string artist;
    std::string album;
};

// False when the encoder cannot be set up or the file cannot be written.
bool WriteOggVorbis(const std::string& path, const std::vector<std::int16_t>& samples, int channels,
                    int sampleRate, const VorbisTags& tags, float quality = 0.3f);

}  // namespace hgf::demo
