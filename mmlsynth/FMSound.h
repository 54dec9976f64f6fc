// TFMSound: the voice of channels 1-3. Four sine operators, each with a frequency multiple
// and a four-stage envelope, joined by one of eight algorithms; operator 1 can modulate
// itself (feedback). Without a tone the voice plays a plain sine.
#pragma once

#include <array>
#include <cstdint>

#include "SoundDevice.h"
#include "Timbre.h"

namespace tonwerkel {

// One byte per operator: 0x01 = carrier (goes to the output); 0x40, 0x20, 0x10 = its output
// modulates operator 2, 3, 4.
inline constexpr uint8_t kFmAlgorithms[8][4] = {
    {0x40, 0x20, 0x10, 0x01},  // 0: 1->2->3->4->out
    {0x20, 0x20, 0x10, 0x01},  // 1: (1+2)->3->4->out
    {0x10, 0x20, 0x10, 0x01},  // 2: (1 + (2->3))->4->out
    {0x40, 0x10, 0x10, 0x01},  // 3: ((1->2) + 3)->4->out
    {0x40, 0x01, 0x10, 0x01},  // 4: 1->2->out, 3->4->out
    {0x70, 0x01, 0x01, 0x01},  // 5: 1->(2, 3, 4)->out
    {0x40, 0x01, 0x01, 0x01},  // 6: 1->2->out, 3->out, 4->out
    {0x01, 0x01, 0x01, 0x01},  // 7: all four to out
};

class TFMSound : public TSoundDevice {
  public:
    enum Stage : uint8_t { kAttack, kDecay, kSustain, kRelease, kOff };

    struct Operator {
        uint8_t stage = kOff;
        int32_t level = 0;       // envelope level; 2^26 is full output (TL 0)
        int32_t attackRate = 0;  // level change per sample in each stage
        int32_t decayRate = 0;
        int32_t sustainRate = 0;
        int32_t releaseRate = 0;
        int32_t peakLevel = 0;     // end of the attack, from TL
        int32_t sustainLevel = 0;  // end of the decay, SL 3 dB steps below the peak
        uint32_t phase = 0;        // one cycle = 2^17
        uint32_t increment = 0;
    };

    int16_t* Render(int16_t* from, int16_t* to) override;
    void KeyOn() override;
    void Reset() override;
    void SetTone(const ToneRecord* selected) override { tone = selected; }

    // Envelope of one operator at the start of a note (level 0, attack).
    static Operator StartOperator(const ToneOperator& op, int note);
    // Base increment of a note detuned by d 1/256 semitones, interpolated towards the
    // neighbouring note on the side of the detune.
    static int32_t FmFrequency(int note, int d);
    // Gives every operator the base increment times its frequency multiple.
    void setOperatorIncrements(int32_t base);

    const ToneRecord* tone = nullptr;  // selected by "@", or none (plain sine)
    int16_t feedbackMemory = 0;        // operator 1's scaled last output, its own input
    std::array<Operator, 4> ops{};
    uint8_t currentVolume = 0;  // volume plus tremolo offset, 0-15
    bool done = false;          // the note has died away; the rest of its duration is silent

  private:
    void StepTremolo();
    void ReleaseKey();
    void StepModulation();  // portamento, vibrato and tremolo of one sample
    int16_t* SkipRest(int16_t* pos, int16_t* to);
    int16_t* RenderSine(int16_t* pos, int16_t* to);
    // The per-sample loop with a tone, one instance per algorithm so that the routing is
    // fixed at compile time.
    template <int Algorithm>
    int16_t* RenderTone(int16_t* pos, int16_t* to);
    template <int Algorithm, int Index>
    void OperatorSample(int32_t (&modulation)[4], int32_t& sum, int feedback);
};

}  // namespace tonwerkel
