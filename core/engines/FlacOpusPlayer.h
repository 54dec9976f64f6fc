// The FLAC and Opus engine: the shared stream player with the FLAC decoder (a FLAC file
// or Ogg FLAC) or the Opus decoder, whichever the file's content calls for; any other
// file is refused. Portable.
#pragma once

#include <string>

#include "engines/StreamPlayer.h"

namespace hgf {

// The decoder of `file` (at its start) when its content is FLAC, Ogg FLAC or Opus and its
// headers can be played; null otherwise.
std::unique_ptr<StreamDecoder> OpenFlacOrOpus(std::unique_ptr<InputFile> file);

class FlacOpusPlayer final : public StreamPlayer {
  public:
    using StreamPlayer::StreamPlayer;

    // The stream's length, rounded up to whole milliseconds, read independently of the
    // playback; -1 when the file does not tell it.
    std::int64_t LengthMs(const std::string& path) override;

  private:
    std::unique_ptr<StreamDecoder> OpenDecoder(std::unique_ptr<InputFile> file) override;
};

}  // namespace hgf
