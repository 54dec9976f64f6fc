// Compiles normalised MML song text into a Song. Compiling never fails: what cannot be
// understood is skipped piece by piece.
#pragma once

#include <array>
#include <string_view>

#include "Song.h"
#include "Timbre.h"

namespace tonwerkel {

// Replaces `song` with the song compiled from `text` (the output of NormaliseText). Tone
// records keep their values unless the text defines them anew. Returns true.
bool compileSong(std::string_view text, Song& song, std::array<ToneRecord, kToneCount>& tones);

}  // namespace tonwerkel
