// TDramSound: the voice of the drum channel D. A note's drum number 0-6 plays that sound of
// the loaded effect set at half amplitude, cut off when the note's duration ends.
#pragma once

#include <cstdint>

#include "EffectSet.h"
#include "SoundDevice.h"
#include "SoundEffect.h"

namespace tonwerkel {

class TDramSound : public TSoundDevice {
  public:
    static constexpr int kDrumSounds = 10;  // drum numbers below this select a sound

    TDramSound(const EffectSet& effects, NoiseRunGenerator& runs)
        : effects_(effects), generator_(runs, 1) {}

    int16_t* Render(int16_t* from, int16_t* to) override;
    void KeyOn() override;
    void Reset() override;

    // Number of the record that started the current drum, 0 = none.
    int record() const { return record_; }

  private:
    const EffectSet& effects_;
    TSoundEffect generator_;
    int record_ = 0;
};

}  // namespace tonwerkel
