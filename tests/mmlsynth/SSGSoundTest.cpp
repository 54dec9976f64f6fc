#include "SSGSound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "Tables.h"

namespace tonwerkel {
namespace {

// A voice after Reset with one note set up as the sequencer would.
void SetUpNote(TSSGSound& v, uint8_t note, int16_t ticks, uint8_t quantize = 8) {
    v.Reset();
    v.note = note;
    v.length = ticks;
    v.quantize = quantize;
}

// Renders the whole note into a fresh buffer large enough for it; returns the samples up to
// where Render reported the end of the duration.
std::vector<int16_t> RenderNote(TSSGSound& v, size_t capacity) {
    std::vector<int16_t> out(capacity, 0);
    v.KeyOn();
    int16_t* end = v.Render(out.data(), out.data() + out.size());
    out.resize(static_cast<size_t>(end - out.data()));
    return out;
}

int Peak(const std::vector<int16_t>& s, size_t from = 0, size_t to = SIZE_MAX) {
    int peak = 0;
    for (size_t i = from; i < std::min(to, s.size()); ++i)
        peak = std::max(peak, std::abs(s[i]));
    return peak;
}

TEST(SSGSound, WaveIsASquareWithSineEdges) {
    EXPECT_EQ(TSSGSound::Wave(0), 0);
    EXPECT_EQ(TSSGSound::Wave(0x1000), kFineHalfSine[0x2000]);  // halfway up the edge
    EXPECT_EQ(TSSGSound::Wave(0x2000), 32767);
    EXPECT_EQ(TSSGSound::Wave(0x4000), 32767);
    EXPECT_EQ(TSSGSound::Wave(0x7000), kFineHalfSine[0x6000]);  // on the way down
    EXPECT_EQ(TSSGSound::Wave(0x8000), 0);
    EXPECT_EQ(TSSGSound::Wave(0xA000), -32767);
    EXPECT_EQ(TSSGSound::Wave(0x9000), -kFineHalfSine[0x2000]);
}

TEST(SSGSound, FullVolumeNoteOfO4APeaksAt3149AndRunsAt440Hz) {
    TSSGSound v;
    SetUpNote(v, 45, 64);
    const std::vector<int16_t> s = RenderNote(v, 50000);
    ASSERT_EQ(s.size(), 64u * 626u);
    EXPECT_EQ(v.amplitude, 3150);
    EXPECT_EQ(Peak(s), 3149);
    // Rising zero crossings over the note: 440 cycles a second.
    int crossings = 0;
    for (size_t i = 1; i < s.size(); ++i)
        crossings += s[i - 1] < 0 && s[i] >= 0;
    const double seconds = static_cast<double>(s.size()) / kSampleRate;
    EXPECT_NEAR(crossings / seconds, 440.0, 1.0);
}

TEST(SSGSound, GateQuantizeAndDurationAcrossCalls) {
    // Default quantize 7: a quarter note lasts 10016 samples and sounds for 8764.
    TSSGSound v;
    SetUpNote(v, 45, 16, 7);
    std::vector<int16_t> buf(3 * kChunkSamples + 1000, 0);
    v.KeyOn();
    int16_t* p = buf.data();
    int calls = 0;
    for (;;) {  // in chunks, as the sequencer calls it
        int16_t* chunkEnd = p + kChunkSamples - (p - buf.data()) % kChunkSamples;
        int16_t* r = v.Render(p, chunkEnd);
        ++calls;
        if (r != chunkEnd) {
            p = r;
            break;
        }
        p = r;
    }
    EXPECT_EQ(p - buf.data(), 10016);
    EXPECT_EQ(calls, 4);
    EXPECT_EQ(v.remaining, 0);
    size_t lastSound = 0;
    for (size_t i = 0; i < buf.size(); ++i) {
        if (buf[i] != 0) lastSound = i;
    }
    EXPECT_LT(lastSound, 8764u);
    EXPECT_GT(lastSound, 8764u - 40);

    // Quantize 0 and rests: silent, but the duration is taken.
    for (uint8_t note : {uint8_t{45}, kRestNote, uint8_t{96}}) {
        TSSGSound q;
        SetUpNote(q, note, 16, note == 45 ? 0 : 8);
        const std::vector<int16_t> s = RenderNote(q, 20000);
        EXPECT_EQ(s.size(), 10016u);
        EXPECT_EQ(Peak(s), 0);
    }
}

TEST(SSGSound, VoiceAddsToTheMixWithWrapAround) {
    TSSGSound v;
    SetUpNote(v, 45, 4);
    std::vector<int16_t> s(4 * 626, 32000);
    v.KeyOn();
    v.Render(s.data(), s.data() + s.size());
    EXPECT_TRUE(std::any_of(s.begin(), s.end(), [](int16_t x) { return x < 0; }));
}

TEST(SSGSound, EnvelopeStepsHoldsAndIgnoresAStepLengthAlone) {
    SsgEnvelope e;
    e.bytes = {1, 15, 8, 3};  // one tick per level
    TSSGSound v;
    SetUpNote(v, 45, 8);
    v.SetEnvelope(&e);
    const std::vector<int16_t> s = RenderNote(v, 10000);
    const int full = 210 * 15 * 32767 / 32768;
    EXPECT_EQ(Peak(s, 0, 626), full);
    EXPECT_EQ(Peak(s, 626, 2 * 626), 210 * 8 * 32767 / 32768);
    EXPECT_EQ(Peak(s, 2 * 626, s.size()), 210 * 3 * 32767 / 32768);  // last level holds
    EXPECT_FALSE(v.envelopeRunning);

    SsgEnvelope only;
    only.bytes = {4};
    TSSGSound w;
    SetUpNote(w, 45, 8);
    w.SetEnvelope(&only);
    EXPECT_EQ(Peak(RenderNote(w, 10000)), 3149);

    SsgEnvelope loud;  // levels above 15 play as 15
    loud.bytes = {1, 200};
    TSSGSound x;
    SetUpNote(x, 45, 4);
    x.SetEnvelope(&loud);
    EXPECT_EQ(Peak(RenderNote(x, 10000)), 3149);
}

TEST(SSGSound, TremoloTogglesVolumeAndKeepsAHeldEnvelopeLevel) {
    TSSGSound v;
    SetUpNote(v, 45, 8);
    v.volume = 10;
    v.volumeLfoDepth = 3;
    v.volumeLfoPeriod = 1;
    v.volumeLfoDelay = 2;
    const std::vector<int16_t> s = RenderNote(v, 10000);
    auto peakOfTick = [&](int tick) { return Peak(s, tick * 626, (tick + 1) * 626); };
    const auto level = [](int vol) { return kVolumeTable[vol] * 15 * 32767 / 32768; };
    EXPECT_EQ(peakOfTick(0), level(10));
    EXPECT_EQ(peakOfTick(1), level(10));
    EXPECT_EQ(peakOfTick(2), level(13));  // +depth after the delay
    EXPECT_EQ(peakOfTick(3), level(7));   // then -depth, once per period
    EXPECT_EQ(peakOfTick(4), level(13));

    // With a finished envelope the tremolo works on the held level instead of silencing it.
    SsgEnvelope e;
    e.bytes = {1, 12, 6};
    TSSGSound w;
    SetUpNote(w, 45, 8);
    w.SetEnvelope(&e);
    w.volume = 10;
    w.volumeLfoDepth = 2;
    w.volumeLfoPeriod = 1;
    w.volumeLfoDelay = 4;
    const std::vector<int16_t> t = RenderNote(w, 10000);
    EXPECT_EQ(Peak(t, 4 * 626, 5 * 626), kVolumeTable[12] * 6 * 32767 / 32768);
    EXPECT_EQ(Peak(t, 5 * 626, 6 * 626), kVolumeTable[8] * 6 * 32767 / 32768);

    // An undefined (empty) envelope plays the plain level under a tremolo too.
    SsgEnvelope empty;
    TSSGSound x;
    SetUpNote(x, 45, 8);
    x.SetEnvelope(&empty);
    x.volumeLfoDepth = 1;
    x.volumeLfoPeriod = 1;
    const std::vector<int16_t> u = RenderNote(x, 10000);
    EXPECT_EQ(Peak(u, 0, 626), kVolumeTable[15] * 15 * 32767 / 32768);
    EXPECT_EQ(Peak(u, 626, 2 * 626), kVolumeTable[14] * 15 * 32767 / 32768);
}

TEST(SSGSound, PortamentoGlidesOneStepPerTick) {
    TSSGSound v;
    SetUpNote(v, 57, 8);
    v.previousNote = 45;
    v.portamentoTicks = 4;
    std::vector<int16_t> s(8 * 626, 0);
    v.KeyOn();
    const int32_t a = TSoundDevice::inc(45), b = TSoundDevice::inc(57);
    v.Render(s.data(), s.data() + 1);
    EXPECT_EQ(v.increment, (3 * a + 1 * b) / 4);
    v.Render(s.data() + 1, s.data() + 626 + 1);
    EXPECT_EQ(v.increment, (2 * a + 2 * b) / 4);
    v.Render(s.data() + 627, s.data() + 3 * 626 + 1);
    EXPECT_EQ(v.increment, b);
    EXPECT_EQ(v.portamentoTicks, 0);  // glide finished
}

TEST(SSGSound, VibratoSwingsPitchByDepthAroundTheDetunedNote) {
    TSSGSound v;
    SetUpNote(v, 45, 8);
    v.detune = 256;  // a semitone up
    v.pitchLfoDepth = 64;
    v.pitchLfoPeriod = 1;
    v.pitchLfoDelay = 1;
    std::vector<int16_t> s(8 * 626, 0);
    v.KeyOn();
    EXPECT_EQ(v.increment, TSoundDevice::inc(46));
    v.Render(s.data(), s.data() + 626);
    EXPECT_EQ(v.increment, TSoundDevice::inc(46));
    v.Render(s.data() + 626, s.data() + 627);
    EXPECT_EQ(v.increment, TSoundDevice::frequency(45, 256 + 64));
    v.Render(s.data() + 627, s.data() + 2 * 626 + 1);
    EXPECT_EQ(v.increment, TSoundDevice::frequency(45, 256 - 64));
}

}  // namespace
}  // namespace tonwerkel
