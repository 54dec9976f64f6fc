#include "SoundDevice.h"

#include <gtest/gtest.h>

namespace tonwerkel {
namespace {

// The base alone: a voice that only takes its duration.
class BareVoice : public TSoundDevice {
  public:
    int16_t* Render(int16_t* from, int16_t* to) override { return to; }
};

TEST(SoundDevice, TempoGivesSamplesPerTick) {
    BareVoice v;
    v.setTempo(120);
    EXPECT_EQ(v.samplesPerTick, 626);
    v.setTempo(0);
    EXPECT_EQ(v.samplesPerTick, 626);
    v.setTempo(255);
    EXPECT_EQ(v.samplesPerTick, 294);
    v.setTempo(1);
    EXPECT_EQ(v.samplesPerTick, 75170);
}

TEST(SoundDevice, IncrementsAndDetune) {
    EXPECT_EQ(TSoundDevice::inc(45), 2615);  // o4 A: one cycle in about 50.1 samples
    EXPECT_EQ(TSoundDevice::inc(0), 194);
    EXPECT_EQ(TSoundDevice::inc(97), 0);
    EXPECT_EQ(TSoundDevice::inc(255), 0);
    EXPECT_EQ(TSoundDevice::frequency(45, 0), 2615);
    EXPECT_EQ(TSoundDevice::frequency(45, 256), TSoundDevice::inc(46));
    EXPECT_EQ(TSoundDevice::frequency(45, -256), TSoundDevice::inc(44));
    EXPECT_EQ(TSoundDevice::frequency(45, -128),
              (TSoundDevice::inc(45) + TSoundDevice::inc(44)) / 2);
    // No neighbour beyond the ends of the table: the plain increment.
    EXPECT_EQ(TSoundDevice::frequency(96, 100), TSoundDevice::inc(96));
    EXPECT_EQ(TSoundDevice::frequency(0, -100), TSoundDevice::inc(0));
    // A rest has no pitch, whatever its detune.
    EXPECT_EQ(TSoundDevice::frequency(255, -300), 0);
    // Extreme detunes stay defined (no overflow).
    EXPECT_GT(TSoundDevice::frequency(95, 32767), 0);
}

TEST(SoundDevice, KeyOnSetsDurationGateAndPitch) {
    BareVoice v;
    v.Reset();
    v.note = 0;
    v.KeyOn();
    EXPECT_EQ(v.remaining, 16 * 626);
    EXPECT_EQ(v.gate, 10016 * 7 / 8);
    EXPECT_EQ(v.increment, TSoundDevice::inc(0));

    v.quantize = 0;
    v.KeyOn();
    EXPECT_EQ(v.gate, 0);
    EXPECT_EQ(v.remaining, 10016);

    v.quantize = 8;
    v.note = 96;  // takes its duration but never sounds
    v.KeyOn();
    EXPECT_EQ(v.gate, 0);
    EXPECT_EQ(v.increment, 0);
    EXPECT_EQ(v.remaining, 10016);
}

TEST(SoundDevice, KeyOnStartsAGlideFromThePreviousNote) {
    BareVoice v;
    v.Reset();
    v.previousNote = 45;
    v.note = 57;
    v.portamentoTicks = 4;
    v.pitchLfoDepth = 10;
    v.pitchLfoDelay = 200;  // 200 * 626 samples: the 16-bit countdown wraps
    v.KeyOn();
    EXPECT_EQ(v.glideStart, TSoundDevice::inc(45));
    EXPECT_EQ(v.glideEnd, TSoundDevice::inc(57));
    EXPECT_EQ(v.increment, v.glideStart);
    EXPECT_EQ(v.pitchLfoCountdown, static_cast<int16_t>(200 * 626));
}

TEST(SoundDevice, LongTiedNotesSaturateInsteadOfWrapping) {
    BareVoice v;
    v.Reset();
    v.setTempo(1);
    v.note = 10;
    v.quantize = 8;
    v.length = 32767;
    v.KeyOn();
    EXPECT_EQ(v.remaining, INT32_MAX);
    EXPECT_EQ(v.gate, INT32_MAX);
    v.length = -5;  // never produced by the sequencer; still no negative duration
    v.KeyOn();
    EXPECT_EQ(v.remaining, 0);
    EXPECT_EQ(v.gate, 0);
}

}  // namespace
}  // namespace tonwerkel
