#include "Sequencer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "SongCompiler.h"
#include "Synthesizer.h"
#include "TextNormaliser.h"

namespace tonwerkel {
namespace {

struct NoteStart {
    int channel;
    uint8_t note;
    int16_t length;
    uint8_t quantize;
    int32_t samplesPerTick;
    int64_t at;  // sample position in the song
};

struct Clock {
    const int16_t* mix = nullptr;
    int64_t chunkStart = 0;
    std::vector<NoteStart> log;
};

// Takes the duration of its notes like every voice and logs where each note starts.
class RecordingVoice : public TSilentVoice {
  public:
    RecordingVoice(int channel, Clock& clock) : channel_(channel), clock_(clock) {}
    void KeyOn() override {
        TSoundDevice::KeyOn();
        started_ = true;
    }
    int16_t* Render(int16_t* from, int16_t* to) override {
        if (started_) {
            clock_.log.push_back({channel_, note, length, quantize, samplesPerTick,
                                  clock_.chunkStart + (from - clock_.mix)});
            started_ = false;
        }
        return TSilentVoice::Render(from, to);
    }

  private:
    int channel_;
    Clock& clock_;
    bool started_ = false;
};

class Harness {
  public:
    explicit Harness(const std::string& source) : sequencer_(song_, tones_, Pointers()) {
        const std::vector<char> text = NormaliseText(source.data(), source.size());
        compileSong(std::string_view(text.data(), text.size()), song_, tones_);
        sequencer_.Reset();
    }

    // Renders until `chunks` chunks are done; returns the note starts of the given channel.
    std::vector<NoteStart> Run(int chunks, int channel = -1) {
        for (int i = 0; i < chunks; ++i) {
            clock_.mix = mix_.data();
            sequencer_.RenderChunk(mix_.data());
            clock_.chunkStart += kChunkSamples;
        }
        std::vector<NoteStart> out;
        for (const NoteStart& n : clock_.log) {
            if (channel < 0 || n.channel == channel) out.push_back(n);
        }
        return out;
    }

    Sequencer& sequencer() { return sequencer_; }

  private:
    std::array<TSoundDevice*, kChannelCount> Pointers() {
        std::array<TSoundDevice*, kChannelCount> p{};
        for (int c = 0; c < kChannelCount; ++c) {
            voices_[static_cast<size_t>(c)] = std::make_unique<RecordingVoice>(c, clock_);
            p[static_cast<size_t>(c)] = voices_[static_cast<size_t>(c)].get();
        }
        return p;
    }

    Clock clock_;
    Song song_;
    std::array<ToneRecord, kToneCount> tones_{};
    std::array<std::unique_ptr<RecordingVoice>, kChannelCount> voices_;
    Sequencer sequencer_;
    std::array<int16_t, kChunkSamples> mix_{};
};

std::vector<uint8_t> Notes(const std::vector<NoteStart>& starts, size_t count) {
    std::vector<uint8_t> notes;
    for (size_t i = 0; i < std::min(count, starts.size()); ++i)
        notes.push_back(starts[i].note);
    return notes;
}

constexpr int64_t kQuarter = 16 * 626;  // samples of a quarter note at tempo 120

TEST(Sequencer, NotesTakeTheirDurationAtTheDefaultTempo) {
    Harness h("1:c d8 r o5 e");
    const auto n = h.Run(24, 1);
    ASSERT_GE(n.size(), 5u);
    EXPECT_EQ(n[0].note, 36);  // o4 C
    EXPECT_EQ(n[0].length, 16);
    EXPECT_EQ(n[0].quantize, 7);
    EXPECT_EQ(n[0].samplesPerTick, 626);
    EXPECT_EQ(n[0].at, 0);
    EXPECT_EQ(n[1].at, kQuarter);  // c lasts 16 x 626 = 10016 samples
    EXPECT_EQ(n[1].length, 8);
    EXPECT_EQ(n[2].note, kRestNote);
    EXPECT_EQ(n[2].at, kQuarter + kQuarter / 2);
    EXPECT_EQ(n[3].note, 52);  // o5 E
    EXPECT_EQ(n[4].note, 48);  // the song starts again, still in octave 5
    EXPECT_EQ(n[4].at, 4 * kQuarter - kQuarter / 2);
}

TEST(Sequencer, OctavesClampAndDrumsIgnoreThem) {
    Harness h("1:o8>c o1<c o9c o0c\nD:o8abcdefg");
    EXPECT_EQ(Notes(h.Run(40, 1), 4), (std::vector<uint8_t>{84, 0, 84, 0}));
    EXPECT_EQ(Notes(h.Run(0, 0), 7), (std::vector<uint8_t>{0, 1, 2, 3, 4, 5, 6}));
}

TEST(Sequencer, Ties) {
    Harness same("1:c4&c4 d");
    auto n = same.Run(10, 1);
    ASSERT_GE(n.size(), 2u);
    EXPECT_EQ(n[0].length, 32);  // one note
    EXPECT_EQ(n[0].quantize, 7);
    EXPECT_EQ(n[1].note, 38);
    EXPECT_EQ(n[1].at, 2 * kQuarter);

    Harness other("1:c4&d4 e");
    n = other.Run(10, 1);
    ASSERT_GE(n.size(), 3u);
    EXPECT_EQ(n[0].note, 36);
    EXPECT_EQ(n[0].length, 16);
    EXPECT_EQ(n[0].quantize, 8);  // no gap before d
    EXPECT_EQ(n[1].note, 38);
    EXPECT_EQ(n[1].at, kQuarter);
    EXPECT_EQ(n[1].quantize, 7);

    // A tie before the line end starts the note; the mark is read afterwards.
    Harness atLineEnd("1:c4&\n1:c4");
    n = atLineEnd.Run(10, 1);
    ASSERT_GE(n.size(), 2u);
    EXPECT_EQ(n[0].length, 16);
    EXPECT_EQ(n[0].quantize, 8);
    EXPECT_EQ(n[1].at, kQuarter);

    // Very long tie chains saturate instead of wrapping to a negative length.
    std::string chain = "1:t255";
    for (int i = 0; i < 600; ++i)
        chain += "c1&";
    Harness longChain(chain + "c1");
    n = longChain.Run(2, 1);
    ASSERT_EQ(n.size(), 1u);
    EXPECT_EQ(n[0].length, 32767);
}

TEST(Sequencer, LoopsAndMacros) {
    Harness loop("1:{3 c} d");
    EXPECT_EQ(Notes(loop.Run(40, 1), 8), (std::vector<uint8_t>{36, 36, 36, 38, 36, 36, 36, 38}));

    Harness nested("1:{2 c {2 d}} e");
    EXPECT_EQ(Notes(nested.Run(40, 1), 7), (std::vector<uint8_t>{36, 38, 38, 36, 38, 38, 40}));

    Harness forever("1:{0 c} d");
    const auto f = forever.Run(30, 1);
    EXPECT_GT(f.size(), 7u);
    for (const NoteStart& s : f)
        EXPECT_EQ(s.note, 36);

    Harness macros("STR:A=c d\n1:$A$ e $A$$MISSING$ f");
    EXPECT_EQ(Notes(macros.Run(40, 1), 6), (std::vector<uint8_t>{36, 38, 40, 36, 38, 41}));

    // A macro without notes may be called several times in a row.
    Harness quiet("STR:V=v10\n1:$V$$V$ c");
    EXPECT_EQ(Notes(quiet.Run(4, 1), 1), (std::vector<uint8_t>{36}));
    EXPECT_TRUE(quiet.sequencer().playing(1));
}

TEST(Sequencer, ChannelsWithoutAnythingToPlayEnd) {
    Harness endless("1:{0 v1} c\n2:c");
    endless.Run(2);
    EXPECT_FALSE(endless.sequencer().playing(1));
    EXPECT_TRUE(endless.sequencer().playing(2));

    Harness empty("");
    empty.Run(3);
    for (int c = 0; c < kChannelCount; ++c)
        EXPECT_FALSE(empty.sequencer().playing(c));

    // Lines without notes repeat without taking time: the channel ends instead of hanging.
    Harness lines("1:v1\n1:v2\n2:v3");
    lines.Run(2);
    EXPECT_FALSE(lines.sequencer().playing(1));
    EXPECT_FALSE(lines.sequencer().playing(2));

    // So do loops of loops without notes.
    Harness deep("1:{255{255{255{255 v1}}}} c");
    deep.Run(2);
    EXPECT_FALSE(deep.sequencer().playing(1));
}

TEST(Sequencer, ChannelsWithoutTempoInheritTheSongTempo) {
    Harness h("1:t150 c\n2:d\n3:r t200 e");
    h.Run(12);
    const auto two = h.Run(0, 2);
    ASSERT_FALSE(two.empty());
    EXPECT_EQ(two[0].samplesPerTick, 1653750 / (150 * 22));
    EXPECT_EQ(two[0].at, 0);
    const auto three = h.Run(0, 3);
    ASSERT_GE(three.size(), 2u);
    EXPECT_EQ(three[0].samplesPerTick, 501);  // the rest takes the inherited tempo 150
    EXPECT_EQ(three[1].samplesPerTick, 1653750 / (200 * 22));
    EXPECT_EQ(h.sequencer().songTempo(), 200);

    Harness none("2:c");
    EXPECT_EQ(none.Run(1, 2).at(0).samplesPerTick, 626);
}

TEST(Sequencer, LinesStartTogether) {
    Harness h("1:c4c4\n1:e\n2:c4\n2:g\n4:c8\n4:a");
    h.Run(20);
    const auto one = h.Run(0, 1);
    const auto two = h.Run(0, 2);
    const auto four = h.Run(0, 4);
    ASSERT_GE(one.size(), 3u);
    ASSERT_GE(two.size(), 2u);
    ASSERT_GE(four.size(), 2u);
    EXPECT_EQ(one[2].at, 2 * kQuarter);
    EXPECT_EQ(two[1].at, 2 * kQuarter);
    EXPECT_EQ(four[1].at, 2 * kQuarter);
    // The next round of the song starts together as well, after the longest second line.
    ASSERT_GE(one.size(), 4u);
    EXPECT_EQ(one[3].at, 3 * kQuarter);
    EXPECT_EQ(two[2].at, 3 * kQuarter);
}

TEST(Sequencer, ALineWaitsForAChannelThatSatOutTheTempoPass) {
    // Channel 2 takes the song tempo in a second pass while channel 1 holds a whole note; its
    // short first line must still wait for channel 1's line.
    Harness h("1:t120 c1\n1:e\n2:c64\n2:d");
    h.Run(20);
    const auto two = h.Run(0, 2);
    ASSERT_GE(two.size(), 2u);
    EXPECT_EQ(two[1].at, 4 * kQuarter);
    const auto one = h.Run(0, 1);
    ASSERT_GE(one.size(), 2u);
    EXPECT_EQ(one[1].at, 4 * kQuarter);
}

TEST(Sequencer, CommandsReachTheVoice) {
    Synthesizer synth;
    const std::string text = "SSGENV:@3,2,15,9\n4:v9 n-128 q3 u4,5,6 @3 p7 i9,8,7 c";
    synth.LoadSong(text.data(), text.size());
    synth.ResetForPlay();
    std::array<int16_t, kChunkSamples> mix{};
    synth.RenderBgmBlock(mix.data());
    const TSoundDevice& v = synth.voice(4);
    EXPECT_EQ(v.volume, 9);
    EXPECT_EQ(v.detune, -128);
    EXPECT_EQ(v.quantize, 3);
    EXPECT_EQ(v.volumeLfoDepth, 0);  // "i" switches the volume LFO off
    EXPECT_EQ(v.pitchLfoDepth, 4);   // half the written depth
    EXPECT_EQ(v.pitchLfoPeriod, 8);
    EXPECT_EQ(v.pitchLfoDelay, 7);
    EXPECT_EQ(v.portamentoTicks, 0);  // and portamento
    EXPECT_EQ(synth.sequencer().channel(4).portamentoTicks, 0);
}

}  // namespace
}  // namespace tonwerkel
