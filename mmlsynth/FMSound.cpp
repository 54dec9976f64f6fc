// Rendering of the FM voice, one sample at a time, integers only.
#include "FMSound.h"

#include <algorithm>
#include <bit>

#include "Tables.h"

namespace tonwerkel {
namespace {

constexpr int32_t kFullLevel = 0x4000000;  // envelope level of an operator at TL 0 (2^26)

// Detune term per block (octave band of the increment); with note increments below 2^22
// the block is always 0 and the term 0, so DT never moves the pitch.
constexpr int32_t kDetuneTable[8] = {18400, 27600, 38400, 52800, 80000, 124000, 160000, 1840000};

// c * 181 / 256 is -3 dB, c * 235 / 256 is -0.75 dB, both computed on c >> 4 first.
constexpr int32_t Minus3dB(int32_t c) {
    return (c >> 4) * 181 >> 4;
}
constexpr int32_t Minus075dB(int32_t c) {
    return (c >> 4) * 235 >> 4;
}

// r * 362 / 256 (+3 dB in rate terms); large rates are shifted first to stay in range.
int32_t TimesRootTwo(int32_t r, int rate) {
    return rate >= 10 ? (r >> 8) * 362 : r * 362 / 256;
}

void AddSample(int16_t* position, int32_t value) {
    *position = static_cast<int16_t>(static_cast<uint16_t>(*position + value));
}

}  // namespace

TFMSound::Operator TFMSound::StartOperator(const ToneOperator& op, int note) {
    const int tl = op.tl & 127, sl = op.sl & 15, ar = op.ar & 31, dr = op.dr & 31;
    const int sr = op.sr & 31, rr = op.rr & 15, ks = op.ks & 3;

    // TL counts in 0.75 dB steps: the low three bits scale, the upper bits shift (6 dB each).
    int32_t c = kFullLevel;
    int t = tl & 7;
    if (t >= 4) {
        t -= 4;
        c = Minus3dB(c);
    }
    for (; t > 0; --t)
        c = Minus075dB(c);
    const int shift = tl >> 3;

    Operator o;
    o.peakLevel = c >> shift;
    int32_t e = c >> (sl >> 1);
    if (sl & 1) e = Minus3dB(e);
    o.sustainLevel = e >> shift;

    // Every rate takes the same TL shift as the peak, so envelope times do not depend on TL.
    if (ar != 0) {
        int32_t a = (c / kSampleRate) << ((ar - 1) >> 1);
        a >>= shift + 3;
        if ((ar & 1) == 0) a = TimesRootTwo(a, ar);
        o.attackRate = a;
    }
    if (dr == 0) {
        o.decayRate = (c / kSampleRate) >> 6;
    } else {
        int32_t d = (c / kSampleRate) << (dr >> 1);
        d >>= shift + 3;
        if (dr & 1) d = TimesRootTwo(d, dr);
        o.decayRate = d;
    }
    o.sustainRate = static_cast<int32_t>((int64_t{c} * sr / kSampleRate) >> (shift + 8));
    o.releaseRate = ((c / 66150) << rr) >> (shift + 2);

    if (ks > 0) {
        const int32_t k = std::max<int32_t>((kPitchTableB[note] >> (5 - ks)) + 180, 256);
        for (int32_t* r : {&o.attackRate, &o.decayRate, &o.sustainRate, &o.releaseRate}) {
            *r = *r > 0xFFFFF ? (*r >> 8) * k : static_cast<int32_t>(int64_t{*r} * k / 256);
        }
    }
    o.level = 0;
    o.stage = kAttack;
    o.phase = 0;
    return o;
}

int32_t TFMSound::FmFrequency(int note, int d) {
    const int64_t c = inc(note);
    const int64_t c2 = d > 0 ? inc(note + 1) : inc(note - 1);
    const int64_t a = d < 0 ? -int64_t{d} : d;
    return static_cast<int32_t>(((256 - a) * c + c2 * a) >> 8);
}

void TFMSound::setOperatorIncrements(int32_t base) {
    if (tone == nullptr) {
        for (Operator& o : ops)
            o.increment = static_cast<uint32_t>(base);
        return;
    }
    const uint32_t block = std::min<uint32_t>(std::bit_width(static_cast<uint32_t>(base) >> 22), 7);
    const int32_t detuneUnit = kDetuneTable[block] / kSampleRate;
    for (int j = 0; j < 4; ++j) {
        const ToneOperator& op = tone->op[static_cast<size_t>(j)];
        const uint32_t g = static_cast<uint32_t>(base + detuneUnit * op.dt / 8);
        const uint32_t ml = op.ml & 15;
        ops[static_cast<size_t>(j)].increment = ml != 0 ? g * ml : g >> 1;
    }
}

void TFMSound::KeyOn() {
    TSoundDevice::KeyOn();
    if (tone != nullptr && note < 96) {
        for (int j = 0; j < 4; ++j) {
            ops[static_cast<size_t>(j)] = StartOperator(tone->op[static_cast<size_t>(j)], note);
        }
    }
    setOperatorIncrements(increment);
    currentVolume = volume;
    // A note without a sounding part (quantize 0) is silent for its whole duration.
    done = gate == 0;
}

void TFMSound::Reset() {
    TSoundDevice::Reset();
    tone = nullptr;
    // A song starts from the same voice state every time it is played.
    ops = {};
    feedbackMemory = 0;
    done = false;
}

void TFMSound::StepTremolo() {
    if (StepVolumeLfo())
        currentVolume = static_cast<uint8_t>(std::clamp(volume + volumeLfoOffset, 0, 15));
}

void TFMSound::ReleaseKey() {
    if (tone == nullptr) {
        done = true;
        return;
    }
    for (Operator& o : ops) {
        if (o.stage != kOff) o.stage = kRelease;
    }
}

namespace {

// Advances an operator's envelope by one sample; true when it has just turned off.
inline bool AdvanceEnvelope(TFMSound::Operator& o) {
    switch (o.stage) {
        case TFMSound::kAttack:
            o.level += o.attackRate;
            if (o.level >= o.peakLevel) {
                o.level = o.peakLevel;
                o.stage = TFMSound::kDecay;
            }
            return false;
        case TFMSound::kDecay:
            o.level -= o.decayRate;
            if (o.level <= o.sustainLevel) {
                o.level = o.sustainLevel;
                o.stage = TFMSound::kSustain;
            }
            return false;
        case TFMSound::kSustain:
            o.level -= o.sustainRate;
            break;
        case TFMSound::kRelease:
            o.level -= o.releaseRate;
            break;
        default:
            return false;
    }
    if (o.level > 0) return false;
    o.level = 0;
    o.stage = TFMSound::kOff;
    return true;
}

}  // namespace

template <int Algorithm, int Index>
inline void TFMSound::OperatorSample(int32_t (&modulation)[4], int32_t& sum, int feedback) {
    constexpr uint8_t kRoute = kFmAlgorithms[Algorithm][Index];
    Operator& o = ops[Index];
    if (AdvanceEnvelope(o)) {
        // The note is done once every carrier of the algorithm is off.
        bool allOff = true;
        for (int k = 0; k < 4; ++k) {
            if (kFmAlgorithms[Algorithm][k] & 1)
                allOff &= ops[static_cast<size_t>(k)].stage == kOff;
        }
        if (allOff) done = true;
    }

    o.phase += o.increment;
    const int32_t amplitude = o.level >> 10;
    int32_t out = 0;
    if (amplitude > 0) {
        const uint32_t x = (o.phase >> 1) + static_cast<uint32_t>(modulation[Index]);
        out = static_cast<int32_t>((int64_t{FineSine(x & 0xFFFF)} * amplitude) >> 14);
        if constexpr ((kRoute & 0x01) != 0) sum += out;
        if constexpr ((kRoute & 0x40) != 0) modulation[1] += out;
        if constexpr ((kRoute & 0x20) != 0) modulation[2] += out;
        if constexpr ((kRoute & 0x10) != 0) modulation[3] += out;
    }
    // An operator at level 0 feeds back nothing rather than its last output.
    if constexpr (Index == 0) {
        if (feedback > 0) feedbackMemory = static_cast<int16_t>(out >> (8 - feedback));
    }
}

void TFMSound::StepModulation() {
    if (StepPitch()) setOperatorIncrements(increment);
    if (volumeLfoDepth != 0) StepTremolo();
}

// Nothing sounds until the next note: skips to the end of the duration or of the block.
int16_t* TFMSound::SkipRest(int16_t* pos, int16_t* to) {
    const int32_t n = std::min(remaining, static_cast<int32_t>(to - pos));
    remaining -= n;
    if (gate > 0) {
        gate = std::max(gate - n, 0);
        if (gate == 0) ReleaseKey();
    }
    return pos + n;
}

int16_t* TFMSound::RenderSine(int16_t* pos, int16_t* to) {
    Operator& o = ops[0];
    while (remaining > 0 && pos < to) {
        if (done) return SkipRest(pos, to);
        if (portamentoTicks > 0 || pitchLfoDepth != 0 || volumeLfoDepth != 0) StepModulation();
        o.phase += o.increment;
        const int32_t v = FineSine((o.phase >> 1) & 0xFFFF);
        const int32_t sum = v - v % 4;  // the two lowest bits cleared, rounded toward zero
        AddSample(pos, (currentVolume * sum) >> 9);
        ++pos;
        --remaining;
        if (gate > 0 && --gate == 0) ReleaseKey();
    }
    return pos;
}

template <int Algorithm>
int16_t* TFMSound::RenderTone(int16_t* pos, int16_t* to) {
    const int feedback = tone->feedback & 7;
    while (remaining > 0 && pos < to) {
        if (done) return SkipRest(pos, to);
        if (portamentoTicks > 0 || pitchLfoDepth != 0 || volumeLfoDepth != 0) StepModulation();
        int32_t modulation[4] = {feedbackMemory, 0, 0, 0};
        int32_t sum = 0;
        OperatorSample<Algorithm, 0>(modulation, sum, feedback);
        OperatorSample<Algorithm, 1>(modulation, sum, feedback);
        OperatorSample<Algorithm, 2>(modulation, sum, feedback);
        OperatorSample<Algorithm, 3>(modulation, sum, feedback);
        AddSample(pos, (currentVolume * sum) >> 9);
        ++pos;
        --remaining;
        if (gate > 0 && --gate == 0) ReleaseKey();
    }
    return pos;
}

int16_t* TFMSound::Render(int16_t* from, int16_t* to) {
    if (note >= 96) {
        gate = 0;
        return SkipSilently(from, to);
    }

    // During a glide the operators stay on the glide's current increment; setting them
    // from the target note here would make the pitch jump at every block boundary.
    setOperatorIncrements(portamentoTicks > 0 ? increment
                                              : FmFrequency(note, detune + pitchLfoOffset));
    if (tone == nullptr) return RenderSine(from, to);
    switch (tone->algorithm & 7) {
        case 0:
            return RenderTone<0>(from, to);
        case 1:
            return RenderTone<1>(from, to);
        case 2:
            return RenderTone<2>(from, to);
        case 3:
            return RenderTone<3>(from, to);
        case 4:
            return RenderTone<4>(from, to);
        case 5:
            return RenderTone<5>(from, to);
        case 6:
            return RenderTone<6>(from, to);
        default:
            return RenderTone<7>(from, to);
    }
}

}  // namespace tonwerkel
