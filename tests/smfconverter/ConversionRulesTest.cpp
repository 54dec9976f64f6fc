// The configuration text: each kind of line, the lines that are refused (with their line
// number), comments and separators in Shift_JIS text, and the shipped sample.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "ConversionRules.h"

namespace smfconverter {
namespace {

struct LineCase {
    const char* text;
    std::function<bool(const ConversionRules&)> holds;
};

TEST(ConversionRulesTest, EachLineSetsItsRule) {
    const LineCase cases[] = {
        {"RESET gm2", [](const auto& r) { return r.reset == ModuleReset::Gm2; }},
        {"reset xg\nreset none", [](const auto& r) { return r.reset == ModuleReset::None; }},
        {"sysex remove\nsysex keep", [](const auto& r) { return !r.removeExclusive; }},
        {"tempo 50%\ntempo 120%", [](const auto& r) { return r.tempoPercent == 120; }},
        // A channel's own setting wins, whichever line comes first.
        {"velocity ch3 50%\nvelocity 80%",
         [](const auto& r) {
             return r.velocityPercent.For(2) == 50 && r.velocityPercent.For(0) == 80;
         }},
        {"transpose -12\ntranspose CH2 +7",
         [](const auto& r) { return r.transpose.For(1) == 7 && r.transpose.For(0) == -12; }},
        {"program 25->128", [](const auto& r) { return r.ProgramFor(0, 24) == 127; }},
        {"channel ch16 -> ch1\nmute 4 ch5\nchannel 5 -> 5",
         [](const auto& r) {
             return r.channelMap[15] == 0 && r.channelMap[3] == kMutedChannel &&
                    r.channelMap[4] == 4;
         }},
    };
    for (const LineCase& c : cases) {
        ConversionRules rules;
        ASSERT_TRUE(ReadRules(c.text, rules).ok) << c.text;
        EXPECT_TRUE(c.holds(rules)) << c.text;
    }
}

TEST(ConversionRulesTest, RefusesALineThatIsNotARuleAndSaysWhichOne) {
    const char* bad[] = {
        "tempo 0%",
        "tempo 120",
        "tempo 1001%",
        "tempo 50% 60%",
        "velocity -1%",
        "velocity ch0 50%",
        "velocity ch17 50%",
        "volume ch 50%",
        "transpose ch10 +1",
        "transpose +128",
        "transpose 1.5",
        "program ch10 1 -> 2",
        "program 0 -> 1",
        "program 1 -> 129",
        "program 1 2",
        "program 1 -> 2 -> 3",
        "drum 1 ->",
        "channel 17 -> 1",
        "channel 1 -> mute",
        "mute",
        "mute ch0",
        "reset GS2",
        "reset",
        "sysex",
        "sysex off",
        "velocity 50",
        "ch3 program 1 -> 2",
        "unknown 1",
        "program 00001 -> 2",
        "program \x82\x50 -> 2",  // a full-width digit
    };
    for (const char* line : bad) {
        ConversionRules rules;
        const RulesReadResult result = ReadRules(std::string("tempo 90%\r\n") + line, rules);
        EXPECT_FALSE(result.ok) << line;
        EXPECT_EQ(result.errorLine, 2) << line;
    }
}

TEST(ConversionRulesTest, ReadsShiftJisTextWithCommentsAndEveryLineEnd) {
    ConversionRules rules;
    // A byte order mark; a comment holding 表 (its second byte is a backslash) and 「#」;
    // ideographic spaces between words; line ends CR LF, LF and CR.
    const std::string text =
        "\xEF\xBB\xBF; \x95\x5C \x81\x75#\x81\x76\r\n"
        "program\x81\x40"
        "1\x81\x40->\x81\x40"
        "2 # \x83\x73\x83\x41\x83\x6D\n"
        "\n"
        "   \t\r"
        "tempo 80%;comment\r\n"
        "bad";
    const RulesReadResult result = ReadRules(text, rules);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.errorLine, 6);
    EXPECT_EQ(rules.ProgramFor(0, 0), 1);
    EXPECT_EQ(rules.tempoPercent, 80);
}

TEST(ConversionRulesTest, TellsRulesThatChangeNothingFromRulesThatDo) {
    const char* nothing[] = {"", "; only a comment", "tempo 100%\nvelocity ch2 100%",
                             "program 5 -> 5\ndrum 1 -> 1\nchannel 3 -> 3", "reset none"};
    for (const char* text : nothing) {
        ConversionRules rules;
        ASSERT_TRUE(ReadRules(text, rules).ok) << text;
        EXPECT_TRUE(rules.ChangesNothing()) << text;
    }
    const char* something[] = {"mute 1", "volume ch10 90%", "transpose ch1 1",
                               "program ch1 1 -> 2"};
    for (const char* text : something) {
        ConversionRules rules;
        ASSERT_TRUE(ReadRules(text, rules).ok) << text;
        EXPECT_FALSE(rules.ChangesNothing()) << text;
    }
}

std::string ReadText(const char* path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

bool Reads(const std::string& text) {
    ConversionRules rules;
    return ReadRules(text, rules).ok;
}

// The sample that ships with the program reads, and so does each example rule in it
// (the lines written ";rule", without a space after the semicolon), and each example of
// the help page.
TEST(ConversionRulesTest, TheSampleConfigurationAndTheHelpExamplesRead) {
    const std::string sample = ReadText(HGF_SMF_SAMPLE_CONFIG);
    ConversionRules rules;
    const RulesReadResult result = ReadRules(sample, rules);
    EXPECT_TRUE(result.ok) << "line " << result.errorLine;
    EXPECT_FALSE(rules.ChangesNothing());
    std::string line;
    int examples = 0;
    for (std::istringstream lines(sample); std::getline(lines, line);) {
        if (line.size() < 2 || line[0] != ';' || line[1] < 'a' || line[1] > 'z') continue;
        EXPECT_TRUE(Reads(line.substr(1))) << line;
        ++examples;
    }
    EXPECT_GE(examples, 10);

    // The help page's example column and its example file (HTML escapes undone).
    const std::string help = ReadText(HGF_SMF_HELP_FRAGMENT);
    auto unescape = [](const std::string& text) {
        std::string plain;
        for (std::size_t at = 0; at < text.size(); ++at) {
            const bool escaped = text.compare(at, 4, "&gt;") == 0;
            plain += escaped ? '>' : text[at];
            if (escaped) at += 3;
        }
        return plain;
    };
    examples = 0;
    for (std::size_t at = 0; (at = help.find("<td><code>", at)) != std::string::npos;) {
        at += 10;
        const std::size_t end = help.find("</code></td>", at);
        const std::string cell = help.substr(at, end - at);
        // Cells of the other columns hold placeholders in Japanese, or two forms.
        if (std::any_of(cell.begin(), cell.end(), [](char c) { return c & 0x80 || c == '<'; }))
            continue;
        EXPECT_TRUE(Reads(unescape(cell))) << cell;
        ++examples;
    }
    EXPECT_EQ(examples, 10);
    const std::size_t pre = help.find("<pre>") + 5;
    EXPECT_TRUE(Reads(unescape(help.substr(pre, help.find("</pre>") - pre))));
}

}  // namespace
}  // namespace smfconverter
