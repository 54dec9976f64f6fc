// The Ogg Vorbis stream player: the shared stream player with the Vorbis decoder, and
// the track length in whole seconds. Portable.
#pragma once

#include <string>

#include "engines/StreamPlayer.h"

namespace hgf {

class OggStreamPlayer final : public StreamPlayer {
  public:
    using StreamPlayer::StreamPlayer;

    // Whole seconds of the file (truncated), read independently of the playback; -1 if
    // unknown.
    int Length(const std::string& path);
    // Length in milliseconds: the end-of-track delay cuts the fraction of the last second.
    std::int64_t LengthMs(const std::string& path) override;

  private:
    std::unique_ptr<StreamDecoder> OpenDecoder(std::unique_ptr<InputFile> file) override;
};

}  // namespace hgf
