#include "FMSound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "Tables.h"

namespace tonwerkel {
namespace {

constexpr int kTick = 626;  // samples per tick at tempo 120

ToneOperator Op(int ar, int dr, int sr, int rr, int sl, int tl, int ml = 1, int ks = 0) {
    ToneOperator op;
    op.ar = static_cast<uint8_t>(ar);
    op.dr = static_cast<uint8_t>(dr);
    op.sr = static_cast<uint8_t>(sr);
    op.rr = static_cast<uint8_t>(rr);
    op.sl = static_cast<uint8_t>(sl);
    op.tl = static_cast<uint8_t>(tl);
    op.ml = static_cast<uint8_t>(ml);
    op.ks = static_cast<uint8_t>(ks);
    return op;
}

const ToneOperator kSilentOp = Op(0, 0, 0, 15, 0, 127);
const ToneOperator kFullOp = Op(31, 0, 0, 15, 0, 0);  // instant attack, holds the peak

ToneRecord Tone(int algorithm, int feedback, ToneOperator op1, ToneOperator op2, ToneOperator op3,
                ToneOperator op4) {
    ToneRecord t;
    t.algorithm = static_cast<uint8_t>(algorithm);
    t.feedback = static_cast<uint8_t>(feedback);
    t.op = {op1, op2, op3, op4};
    return t;
}

// A voice after Reset with one note set up as the sequencer would.
void SetUpNote(TFMSound& v, const ToneRecord* tone, uint8_t note, int16_t ticks,
               uint8_t quantize = 8) {
    v.Reset();
    v.SetTone(tone);
    v.note = note;
    v.length = ticks;
    v.quantize = quantize;
}

// Starts the note and renders it in pieces of `piece` samples into a buffer of `capacity`;
// returns the samples up to where Render reported the end of the duration.
std::vector<int16_t> RenderNote(TFMSound& v, size_t capacity, size_t piece = 2756) {
    std::vector<int16_t> out(capacity, 0);
    v.KeyOn();
    int16_t* pos = out.data();
    int16_t* const end = out.data() + out.size();
    while (pos < end) {
        int16_t* to = std::min(pos + piece, end);
        int16_t* reached = v.Render(pos, to);
        if (reached < to) {
            pos = reached;
            break;
        }
        pos = reached;
    }
    out.resize(static_cast<size_t>(pos - out.data()));
    return out;
}

std::vector<int16_t> PlayTone(const ToneRecord& tone, uint8_t note = 45, int16_t ticks = 16,
                              uint8_t quantize = 8) {
    TFMSound v;
    SetUpNote(v, &tone, note, ticks, quantize);
    return RenderNote(v, static_cast<size_t>(ticks) * kTick + 500);
}

int Peak(const std::vector<int16_t>& s, size_t from = 0, size_t to = SIZE_MAX) {
    int peak = 0;
    for (size_t i = from; i < std::min(to, s.size()); ++i)
        peak = std::max(peak, std::abs(s[i]));
    return peak;
}

// Largest positive sample (the negative half reaches one further: the shifts round down).
int Highest(const std::vector<int16_t>& s, size_t from = 0, size_t to = SIZE_MAX) {
    int highest = 0;
    for (size_t i = from; i < std::min(to, s.size()); ++i)
        highest = std::max<int>(highest, s[i]);
    return highest;
}

// Frequency in Hz from the rising zero crossings of a stretch of samples.
double Frequency(const std::vector<int16_t>& s, size_t from, size_t to) {
    int crossings = 0;
    for (size_t i = from + 1; i < std::min(to, s.size()); ++i) {
        crossings += s[i - 1] < 0 && s[i] >= 0;
    }
    return crossings * static_cast<double>(kSampleRate) / static_cast<double>(to - from);
}

TEST(FMSound, WithoutAToneASineEndsAtTheGate) {
    TFMSound v;
    SetUpNote(v, nullptr, 45, 64, 7);
    const std::vector<int16_t> s = RenderNote(v, 64 * kTick + 100);
    ASSERT_EQ(s.size(), 64u * kTick);
    const size_t gate = 64u * kTick * 7 / 8;
    EXPECT_EQ(Highest(s, 0, gate), 959);  // (15 * 32764) >> 9
    EXPECT_NEAR(Frequency(s, 0, gate), 440.0, 2.0);
    EXPECT_EQ(Peak(s, gate, s.size()), 0);
    EXPECT_TRUE(v.done);

    // Volume scales the sine, and the output stays a multiple of the cleared sine.
    SetUpNote(v, nullptr, 45, 16);
    v.volume = 8;
    EXPECT_EQ(Highest(RenderNote(v, 16 * kTick)), (8 * 32764) >> 9);
}

TEST(FMSound, RestsHighNotesAndQuantizeZeroAreSilentButTakeTheirDuration) {
    const ToneRecord tone = Tone(7, 0, kFullOp, kFullOp, kFullOp, kFullOp);
    for (const ToneRecord* t : {static_cast<const ToneRecord*>(nullptr), &tone}) {
        for (uint8_t note : {uint8_t{96}, kRestNote}) {
            TFMSound v;
            SetUpNote(v, t, note, 8);
            const std::vector<int16_t> s = RenderNote(v, 8 * kTick + 100, 1000);
            EXPECT_EQ(s.size(), 8u * kTick);
            EXPECT_EQ(Peak(s), 0);
        }
        TFMSound v;
        SetUpNote(v, t, 45, 8, 0);
        const std::vector<int16_t> s = RenderNote(v, 8 * kTick + 100, 1000);
        EXPECT_EQ(s.size(), 8u * kTick);
        EXPECT_EQ(Peak(s), 0);
    }
}

TEST(FMSound, AlgorithmSevenCarriersPeakAndAddUp) {
    const ToneRecord one = Tone(7, 0, kSilentOp, kSilentOp, kSilentOp, kFullOp);
    TFMSound v;
    SetUpNote(v, &one, 45, 16);
    v.KeyOn();
    std::vector<int16_t> part(1000, 0);
    v.Render(part.data(), part.data() + part.size());
    // The operator reaches 2^26: amplitude 65536, output up to (32767 * 65536) >> 14 = 131068,
    // which volume 15 scales to at most (15 * 131068) >> 9 = 3839.
    EXPECT_EQ(v.ops[3].level, 0x4000000);
    EXPECT_EQ(v.ops[3].stage, TFMSound::kSustain);
    const std::vector<int16_t> single = PlayTone(one);
    EXPECT_LE(Highest(single), 3839);
    EXPECT_GE(Highest(single), 3830);

    const std::vector<int16_t> four = PlayTone(Tone(7, 0, kFullOp, kFullOp, kFullOp, kFullOp));
    ASSERT_EQ(four.size(), single.size());
    for (size_t i = 0; i < four.size(); ++i)
        ASSERT_NEAR(four[i], 4 * single[i], 4) << i;
    EXPECT_LE(Highest(four), 15359);
}

TEST(FMSound, EveryAlgorithmRoutesItsModulators) {
    // Each algorithm with only its carriers audible (modulators at AR 0) sounds like that
    // many plain carriers; with the modulators on, only the modulated carriers change.
    const int carrierCount[8] = {1, 1, 1, 1, 2, 3, 3, 4};
    for (int a = 0; a < 8; ++a) {
        ToneOperator ops[4];
        for (int j = 0; j < 4; ++j)
            ops[j] = (kFmAlgorithms[a][j] & 1) ? kFullOp : kSilentOp;
        const ToneRecord carriersOnly = Tone(a, 0, ops[0], ops[1], ops[2], ops[3]);
        const std::vector<int16_t> s = PlayTone(carriersOnly, 45, 4);
        EXPECT_NEAR(Peak(s), carrierCount[a] * 3839, 4 * carrierCount[a]) << "algorithm " << a;

        const ToneRecord all = Tone(a, 0, kFullOp, kFullOp, kFullOp, kFullOp);
        const std::vector<int16_t> modulated = PlayTone(all, 45, 4);
        if (a == 7) {
            EXPECT_EQ(modulated, s);  // no modulators
        } else {
            EXPECT_NE(modulated, s) << "algorithm " << a;
        }
    }
    // The carrier of algorithm 0 alone, without modulators, is the same sine as algorithm 7's
    // fourth operator alone.
    EXPECT_EQ(PlayTone(Tone(0, 0, kSilentOp, kSilentOp, kSilentOp, kFullOp)),
              PlayTone(Tone(7, 0, kSilentOp, kSilentOp, kSilentOp, kFullOp)));
}

TEST(FMSound, AttackZeroIsSilent) {
    const ToneOperator noAttack = Op(0, 0, 0, 15, 0, 0);
    EXPECT_EQ(Peak(PlayTone(Tone(7, 0, noAttack, noAttack, noAttack, noAttack))), 0);
    // Modulators alone make no sound either when the carrier never rises.
    EXPECT_EQ(Peak(PlayTone(Tone(0, 7, kFullOp, kFullOp, kFullOp, noAttack))), 0);
}

TEST(FMSound, DecayAndSustainLevels) {
    // SL 4 is 12 dB below the peak: a quarter of the amplitude, (15 * 32767) >> 9 = 959.
    // DR 10 takes about 4100 samples to get there.
    const std::vector<int16_t> held =
        PlayTone(Tone(7, 0, kSilentOp, kSilentOp, kSilentOp, Op(31, 10, 0, 15, 4, 0)), 45, 32);
    const size_t end = 32u * kTick;
    EXPECT_GT(Peak(held, 0, 300), 3000);
    EXPECT_NEAR(Peak(held, 6000, 8000), 959, 2);
    EXPECT_EQ(Peak(held, end - 2000, end), Peak(held, 6000, 8000));  // SR 0 holds

    const std::vector<int16_t> falling =
        PlayTone(Tone(7, 0, kSilentOp, kSilentOp, kSilentOp, Op(31, 10, 20, 15, 4, 0)), 45, 32);
    EXPECT_LT(Peak(falling, end - 2000, end), Peak(falling, 6000, 8000) - 100);

    // SL 0: the sustain level is the peak, so even the fastest decay keeps full level.
    const std::vector<int16_t> full =
        PlayTone(Tone(7, 0, kSilentOp, kSilentOp, kSilentOp, Op(31, 31, 0, 15, 0, 0)), 45, 32);
    EXPECT_GE(Peak(full, end - 2000, end), 3830);
}

TEST(FMSound, MultipleSetsTheOperatorFrequency) {
    const double expected[3] = {220.0, 440.0, 880.0};
    for (int ml = 0; ml <= 2; ++ml) {
        const ToneOperator op = Op(31, 0, 0, 15, 0, 0, ml);
        const std::vector<int16_t> s =
            PlayTone(Tone(7, 0, kSilentOp, kSilentOp, kSilentOp, op), 45, 64);
        EXPECT_NEAR(Frequency(s, 0, s.size()), expected[ml], 2.0) << "ML " << ml;
    }
}

TEST(FMSound, CarriersThatDieEndTheNote) {
    // Algorithm 4: carriers 2 and 4 decay to nothing within the gate (SR 31 from SL 8 takes
    // about 11400 samples) while modulators 1 and 3 keep running: the rest is silent.
    const ToneOperator dying = Op(31, 31, 31, 15, 8, 0);
    TFMSound v;
    const ToneRecord tone = Tone(4, 5, kFullOp, dying, kFullOp, dying);
    SetUpNote(v, &tone, 45, 32, 8);
    const std::vector<int16_t> s = RenderNote(v, 32 * kTick);
    EXPECT_TRUE(v.done);
    EXPECT_GT(Peak(s, 0, 2000), 100);
    EXPECT_EQ(Peak(s, 12000, s.size()), 0);
    EXPECT_EQ(v.ops[1].stage, TFMSound::kOff);
    EXPECT_NE(v.ops[0].stage, TFMSound::kOff);

    // With one carrier still sounding the note goes on.
    const ToneRecord half = Tone(4, 5, kFullOp, dying, kFullOp, kFullOp);
    SetUpNote(v, &half, 45, 32, 8);
    const std::vector<int16_t> h = RenderNote(v, 32 * kTick);
    EXPECT_FALSE(v.done);
    EXPECT_GT(Peak(h, h.size() - 500, h.size()), 1000);
}

TEST(FMSound, FeedbackModulatesOperatorOne) {
    // Feedback 0: operator 1 alone is a clean sine, four times the plain sine's amplitude.
    TFMSound plain;
    SetUpNote(plain, nullptr, 45, 16);
    const std::vector<int16_t> sine = RenderNote(plain, 16 * kTick);
    const std::vector<int16_t> fb0 = PlayTone(Tone(7, 0, kFullOp, kSilentOp, kSilentOp, kSilentOp));
    ASSERT_EQ(fb0.size(), sine.size());
    for (size_t i = 10; i < sine.size(); ++i)
        ASSERT_NEAR(fb0[i], 4 * sine[i], 5) << i;

    // Feedback 7 feeds back half the output: a different, brighter wave of the same pitch.
    const std::vector<int16_t> fb7 = PlayTone(Tone(7, 7, kFullOp, kSilentOp, kSilentOp, kSilentOp));
    int64_t difference = 0;
    for (size_t i = 0; i < fb0.size(); ++i)
        difference += std::abs(fb7[i] - fb0[i]);
    EXPECT_GT(difference / static_cast<int64_t>(fb0.size()), 500);
    EXPECT_LE(Highest(fb7), 3839);
}

TEST(FMSound, ReleaseAfterTheGate) {
    // Quantize 4: the key is released halfway; a slow release keeps sounding until the
    // duration ends, a fast one dies at once.
    const size_t gate = 16u * kTick / 2;
    const std::vector<int16_t> slow =
        PlayTone(Tone(7, 0, kSilentOp, kSilentOp, kSilentOp, Op(31, 0, 0, 3, 0, 0)), 45, 16, 4);
    ASSERT_EQ(slow.size(), 16u * kTick);
    EXPECT_GT(Peak(slow, slow.size() - 300, slow.size()), 100);
    EXPECT_LT(Peak(slow, slow.size() - 300, slow.size()), Peak(slow, gate - 300, gate));

    const std::vector<int16_t> fast =
        PlayTone(Tone(7, 0, kSilentOp, kSilentOp, kSilentOp, Op(31, 0, 0, 15, 0, 0)), 45, 16, 4);
    EXPECT_EQ(Peak(fast, gate + 200, fast.size()), 0);
}

TEST(FMSound, EnvelopeRates) {
    // AR 1 rises to the peak in about 8 s; each step of two halves the time.
    const auto attackSeconds = [](int ar, int tl) {
        const TFMSound::Operator o = TFMSound::StartOperator(Op(ar, 0, 0, 0, 0, tl), 45);
        return static_cast<double>(o.peakLevel) / o.attackRate / kSampleRate;
    };
    EXPECT_NEAR(attackSeconds(1, 0), 8.0, 0.1);
    EXPECT_NEAR(attackSeconds(3, 0), 4.0, 0.1);
    EXPECT_NEAR(attackSeconds(2, 0), 8.0 / 1.41421, 0.1);
    EXPECT_NEAR(attackSeconds(9, 40), attackSeconds(9, 0), 0.01);  // nor on TL
    EXPECT_EQ(TFMSound::StartOperator(Op(0, 0, 0, 0, 0, 0), 45).attackRate, 0);

    // TL: 6 dB per eight steps; SL: 3 dB steps below the peak.
    EXPECT_EQ(TFMSound::StartOperator(Op(1, 0, 0, 0, 0, 8), 45).peakLevel, 0x2000000);
    EXPECT_EQ(TFMSound::StartOperator(Op(1, 0, 0, 0, 2, 0), 45).sustainLevel, 0x2000000);

    // Key scaling speeds every rate up for high notes (about 8.4 times at KS 3 and note 95)
    // and leaves low notes alone.
    const TFMSound::Operator flat = TFMSound::StartOperator(Op(31, 9, 5, 7, 2, 0, 1, 0), 95);
    const TFMSound::Operator scaled = TFMSound::StartOperator(Op(31, 9, 5, 7, 2, 0, 1, 3), 95);
    for (auto rate : {&TFMSound::Operator::attackRate, &TFMSound::Operator::decayRate,
                      &TFMSound::Operator::sustainRate, &TFMSound::Operator::releaseRate}) {
        EXPECT_NEAR(static_cast<double>(scaled.*rate) / (flat.*rate), 8.4, 0.1);
    }
    const TFMSound::Operator low = TFMSound::StartOperator(Op(31, 9, 5, 7, 2, 0, 1, 1), 0);
    EXPECT_EQ(low.attackRate, flat.attackRate);
    EXPECT_EQ(low.decayRate, flat.decayRate);
}

TEST(FMSound, PortamentoGlidesAcrossBlocks) {
    const ToneRecord tone = Tone(7, 0, kSilentOp, kSilentOp, kSilentOp, kFullOp);
    const auto glide = [&](size_t piece) {
        TFMSound v;
        SetUpNote(v, &tone, 45, 32);
        v.previousNote = 33;
        v.portamentoTicks = 16;
        return RenderNote(v, 32 * kTick, piece);
    };
    const std::vector<int16_t> whole = glide(32 * kTick);
    EXPECT_NEAR(Frequency(whole, 0, 2 * kTick), 240.0, 25.0);  // starts an octave below
    EXPECT_NEAR(Frequency(whole, 20 * kTick, 32 * kTick), 440.0, 4.0);
    // Block boundaries do not disturb the glide.
    EXPECT_EQ(glide(2756), whole);
    EXPECT_EQ(glide(100), whole);
}

TEST(FMSound, VibratoAndTremolo) {
    const ToneRecord tone = Tone(7, 0, kSilentOp, kSilentOp, kSilentOp, kFullOp);
    const auto vibrato = [&](size_t piece) {
        TFMSound v;
        SetUpNote(v, &tone, 45, 64);
        v.pitchLfoDepth = 256;
        v.pitchLfoPeriod = 8;
        v.pitchLfoDelay = 8;
        return RenderNote(v, 64 * kTick, piece);
    };
    const std::vector<int16_t> s = vibrato(64 * kTick);
    EXPECT_NEAR(Frequency(s, 0, 8 * kTick), 440.0, 5.0);            // the delay
    EXPECT_NEAR(Frequency(s, 8 * kTick, 16 * kTick), 466.2, 5.0);   // a semitone up
    EXPECT_NEAR(Frequency(s, 16 * kTick, 24 * kTick), 415.3, 5.0);  // a semitone down
    EXPECT_EQ(vibrato(2756), s);

    // Tremolo without a tone: volume 15 + 5 (clamped to 15) and 15 - 5 in turn, per tick.
    TFMSound v;
    SetUpNote(v, nullptr, 45, 16);
    v.volumeLfoDepth = 5;
    v.volumeLfoPeriod = 2;
    const std::vector<int16_t> t = RenderNote(v, 16 * kTick);
    EXPECT_EQ(Highest(t, 0, 2 * kTick), 959);
    EXPECT_EQ(Highest(t, 2 * kTick, 4 * kTick), (10 * 32764) >> 9);
    EXPECT_EQ(Highest(t, 4 * kTick, 6 * kTick), 959);
}

TEST(FMSound, ResetDropsTheToneAndRestartsCleanly) {
    const ToneRecord tone = Tone(2, 6, kFullOp, kFullOp, kFullOp, kFullOp);
    TFMSound v;
    SetUpNote(v, &tone, 40, 8);
    const std::vector<int16_t> first = RenderNote(v, 8 * kTick);
    SetUpNote(v, &tone, 40, 8);
    EXPECT_EQ(RenderNote(v, 8 * kTick), first);  // a replay renders the same samples
    v.Reset();
    EXPECT_EQ(v.tone, nullptr);
    EXPECT_EQ(v.remaining, 0);
    int16_t sample = 0;
    EXPECT_EQ(v.Render(&sample, &sample + 1), &sample);
}

}  // namespace
}  // namespace tonwerkel
