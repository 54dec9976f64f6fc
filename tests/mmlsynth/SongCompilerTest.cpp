#include "SongCompiler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TextNormaliser.h"

namespace tonwerkel {
namespace {

using Bytes = std::vector<uint8_t>;

struct Compiled {
    Song song;
    std::array<ToneRecord, kToneCount> tones{};

    void Compile(const std::string& source) {
        const std::vector<char> text = NormaliseText(source.data(), source.size());
        EXPECT_TRUE(compileSong(std::string_view(text.data(), text.size()), song, tones));
    }
    const Bytes& channel(int c) const { return song.channels[static_cast<size_t>(c)]; }
};

Bytes ChannelOf(const std::string& source, int c = 1) {
    Compiled s;
    s.Compile(source);
    return s.channel(c);
}

TEST(SongCompiler, NotesWithAndWithoutBlanksCompileAlike) {
    const Bytes expected = {0, 0, 2, 0, 4, 0, 5, 0, 7, 0, 9, 0, 11, 0, 32, 33};
    EXPECT_EQ(ChannelOf("1:cdefgab"), expected);
    EXPECT_EQ(ChannelOf("1:C D E F G A B\r\n"), expected);
    EXPECT_EQ(ChannelOf("1:\tc d  e\tfgab\n"), expected);
}

TEST(SongCompiler, LengthsDotsAndAccidentals) {
    EXPECT_EQ(ChannelOf("1:c4.&c8"), (Bytes{0, 24, 21, 0, 8, 32, 33}));
    EXPECT_EQ(ChannelOf("1:c c128 c0 c65 c-4"), (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 16, 32, 33}));
    EXPECT_EQ(ChannelOf("1:c4.. c1... c3. c64 c2"),
              (Bytes{0, 28, 0, 120, 0, 31, 0, 1, 0, 32, 32, 33}));
    // Dots after no number are ignored; so is anything that is not a whole number.
    EXPECT_EQ(ChannelOf("1:c.. c4h c4,1 c+4x"), (Bytes{0, 0, 0, 0, 0, 0, 1, 0, 32, 33}));
    // b+ and c- stay within the octave.
    EXPECT_EQ(ChannelOf("1:b+ c- c#8 e-16 f+"), (Bytes{11, 0, 0, 0, 1, 8, 3, 4, 6, 0, 32, 33}));
    EXPECT_EQ(ChannelOf("1:r4 w2. l8. l0 r"),
              (Bytes{12, 16, 13, 48, 15, 12, 15, 0, 12, 0, 32, 33}));
}

TEST(SongCompiler, CommandsStoreTheirNumbersAsBytes) {
    EXPECT_EQ(ChannelOf("1:t300"), (Bytes{19, 44, 32, 33}));
    EXPECT_EQ(ChannelOf("1:o9q9v16@21p300{256 o-1 v"),
              (Bytes{14, 9, 16, 9, 17, 16, 18, 21, 22, 44, 29, 0, 14, 255, 17, 0, 32, 33}));
    EXPECT_EQ(ChannelOf("1:n-128n300n"), (Bytes{20, 0x80, 0xFF, 20, 0x2C, 0x01, 20, 0, 0, 32, 33}));
    EXPECT_EQ(ChannelOf("1:u3,4 u0,4,1 i8,2,3 i5 u"),
              (Bytes{23, 3, 4, 0, 25, 24, 8, 2, 3, 26, 25, 32, 33}));
    EXPECT_EQ(ChannelOf("1:&><}ms1y2"), (Bytes{21, 27, 28, 30, 32, 33}));
    // Text before the first command and letters that start no command are skipped.
    EXPECT_EQ(ChannelOf("1:12hc4k"), (Bytes{0, 0, 32, 33}));
    // A ";" inside a line is no comment: it sticks to the note before it.
    EXPECT_EQ(ChannelOf("1:c;d"), (Bytes{0, 0, 2, 0, 32, 33}));
}

TEST(SongCompiler, LongTokensAreReadInFull) {
    // 300 nines: a length above 64 gives 0; a byte command keeps the number's low byte.
    const std::string nines(300, '9');
    EXPECT_EQ(ChannelOf("1:c" + nines), (Bytes{0, 0, 32, 33}));
    EXPECT_EQ(ChannelOf("1:t" + nines), (Bytes{19, 255, 32, 33}));
    EXPECT_EQ(ChannelOf("1:v0000000000000000000000000000000000000012"), (Bytes{17, 12, 32, 33}));
    EXPECT_EQ(ChannelOf("1:c4" + std::string(400, '.')), (Bytes{0, 31, 32, 33}));
}

TEST(SongCompiler, LinesHeadersAndComments) {
    Compiled s;
    s.Compile(
        ";1:c\n"
        "\n"
        "1:c\n"
        "d\n"  // continues channel 1
        "D:a\n"
        "b\n"  // drum text needs its header: ignored
        "6:e\n"
        "7:f\n"  // unknown single character: header cleared
        "g\n"
        "XYZ:a\n"  // unknown header: ignored
        "b\n");
    EXPECT_EQ(s.channel(1), (Bytes{0, 0, 32, 2, 0, 32, 33}));
    EXPECT_EQ(s.channel(0), (Bytes{9, 0, 32, 33}));
    EXPECT_EQ(s.channel(6), (Bytes{4, 0, 32, 33}));
    for (int c : {2, 3, 4, 5})
        EXPECT_TRUE(s.channel(c).empty()) << c;
    // An empty channel line still marks the line end.
    EXPECT_EQ(ChannelOf("2:", 2), (Bytes{32, 33}));
}

TEST(SongCompiler, MacrosByName) {
    Compiled s;
    s.Compile("STR:$A$=cde\n1:$A$$A$\nSTR:$$B$$=f\ng\n2:$B$ $NEW$ $A$");
    EXPECT_EQ(s.channel(1), (Bytes{31, 0, 31, 0, 32, 33}));
    EXPECT_EQ(s.song.macros[0], (Bytes{0, 0, 2, 0, 4, 0, 33}));  // no line end in macros
    EXPECT_EQ(s.song.macros[1], (Bytes{5, 0, 7, 0, 33}));        // continuation line added
    EXPECT_EQ(s.channel(2), (Bytes{31, 1, 31, 2, 31, 0, 32, 33}));
    ASSERT_EQ(s.song.macroNames.size(), 3u);
    EXPECT_EQ(s.song.macroNames[1], "B");
    EXPECT_EQ(s.song.macroNames[2], "NEW");
    EXPECT_TRUE(s.song.macros[2].empty());  // called but never defined

    // A second definition of a name adds to its buffer; STR without "=" is ignored.
    s.Compile("STR:A=c\nSTR:A=d\nSTR:nothing\ne");
    EXPECT_EQ(s.song.macros[0], (Bytes{0, 0, 2, 0, 33}));
    EXPECT_EQ(s.song.macroNames.size(), 1u);
}

TEST(SongCompiler, FullMacroTableAndOverlongNames) {
    std::string text;
    for (int i = 0; i < 256; ++i)
        text += "STR:M" + std::to_string(i) + "=r\n";
    text += "STR:EXTRA=c\n1:$EXTRA$ $OTHER$ $M3$\n";
    text += "STR:" + std::string(255, 'Q') + "=d\ne\n";  // ignored, with its continuation
    text += "2:$" + std::string(255, 'Q') + "$c\n";
    Compiled s;
    s.Compile(text);
    EXPECT_EQ(s.song.macroNames.size(), 256u);
    EXPECT_EQ(s.song.macros[255], (Bytes{12, 0, 0, 0, 33}));  // the new name went to 255
    EXPECT_EQ(s.channel(1), (Bytes{31, 3, 32, 33}));          // new names cannot be called
    EXPECT_EQ(s.channel(2), (Bytes{0, 0, 32, 33}));
}

TEST(SongCompiler, ToneDefinitionsAndTheirLifetime) {
    Compiled s;
    s.Compile(
        "SOUND:@3\n"
        "LFO:5,6,70000,9,10\n"
        "OP1:31,31,31,31,31,255,7,31,5,99\n"
        "OP4:1,2,3,4,5,6,7,8,2\n"
        "OP5:1,1,1,1,1,1,1,1,1,1\n"
        "SOUND:21\n"
        "LFO:1,1,1,7,7\n");
    const ToneRecord& t = s.tones[3];
    EXPECT_EQ(t.lfo1, 1);
    EXPECT_EQ(t.lfo2, 6);
    EXPECT_EQ(t.lfo3, 70000 & 0xFFFF);
    EXPECT_EQ(t.algorithm, 1);
    EXPECT_EQ(t.feedback, 2);
    const ToneOperator& op1 = t.op[0];
    EXPECT_EQ(op1.ar, 31);
    EXPECT_EQ(op1.dr, 31);
    EXPECT_EQ(op1.sr, 31);
    EXPECT_EQ(op1.rr, 15);
    EXPECT_EQ(op1.sl, 15);
    EXPECT_EQ(op1.tl, 127);
    EXPECT_EQ(op1.ks, 3);
    EXPECT_EQ(op1.ml, 15);
    EXPECT_EQ(op1.dt, -1);
    EXPECT_EQ(op1.extra, 99);
    EXPECT_EQ(t.op[3].dt, 2);
    EXPECT_EQ(t.op[3].extra, 0);  // missing value
    EXPECT_EQ(t.op[3].ml, 8);
    for (const ToneRecord& other : {s.tones[0], s.tones[20]})
        EXPECT_EQ(other.algorithm, 0);

    // A new song keeps the tones it does not define.
    s.Compile("SOUND:4\nLFO:0,0,0,5,0\n");
    EXPECT_EQ(s.tones[3].op[0].tl, 127);
    EXPECT_EQ(s.tones[4].algorithm, 5);
}

TEST(SongCompiler, SsgEnvelopesSpanLinesAndAreEmptiedByTheNextSong) {
    Compiled s;
    s.Compile(
        "SSGENV:@2,4,15,14,\n"
        "->13,,12\n"
        "SSGENV:21,1,2\n"
        "SSGENV:3\n"
        "SSGENV:@5,\n");
    EXPECT_EQ(s.song.envelopes[2].bytes, (Bytes{4, 15, 14, 13, 0, 12}));
    EXPECT_EQ(s.song.envelopes[2].count(), 6);
    EXPECT_TRUE(s.song.envelopes[3].bytes.empty());  // no "," : ignored
    EXPECT_TRUE(s.song.envelopes[5].bytes.empty());
    s.Compile("1:c");
    EXPECT_TRUE(s.song.envelopes[2].bytes.empty());
}

TEST(SongCompiler, BuffersGrowAndEndExactly) {
    std::string text = "1:";
    for (int i = 0; i < 1000; ++i)
        text += "c";
    const Bytes c = ChannelOf(text);
    ASSERT_EQ(c.size(), 2000u + 2u);
    EXPECT_EQ(c[1998], 0);
    EXPECT_EQ(c[2000], 32);
    EXPECT_EQ(c[2001], 33);
    EXPECT_EQ(c.capacity(), c.size());
}

}  // namespace
}  // namespace tonwerkel
