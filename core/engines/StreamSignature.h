// Which kind of stream a file holds, told from its first bytes rather than its name:
// FLAC (also behind ID3v2 tags), or an Ogg file whose first packet starts an Ogg FLAC,
// Opus or Vorbis stream. Portable.
#pragma once

#include <cstdint>

#include "platform/FileSystem.h"

namespace hgf {

enum class StreamKind { kOther, kFlac, kOggFlac, kOggOpus, kOggVorbis };

// Reads the start of `file` from its current position (the start of the file). The read
// position is left behind what was read; for FLAC that is where its metadata blocks start,
// and `flacBlocks` (when given) receives that offset.
StreamKind DetectStreamKind(InputFile& file, std::uint64_t* flacBlocks = nullptr);

}  // namespace hgf
