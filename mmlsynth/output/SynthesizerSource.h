// The player's sound source in the library: the portable Synthesizer.
#pragma once

#include <memory>

#include "output/SoundSource.h"

namespace tonwerkel {

std::unique_ptr<SoundSource> MakeSynthesizerSource();

}  // namespace tonwerkel
