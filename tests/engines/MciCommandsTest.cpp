// The media control interface's command texts: the open command and its buffer limit,
// and the volume level for each attenuation.
#include <gtest/gtest.h>

#include "engines/MciCommands.h"

namespace hgf {
namespace {

TEST(MciCommandsTest, OpenQuotesThePathAndRefusesWhatItsBufferCannotHold) {
    // "表.wav": the trail byte of 表 (0x95 0x5C) is a backslash byte and stays as it is.
    EXPECT_EQ(MciOpenCommand("C:\\Music\\\x95\x5c.wav"),
              "open \"C:\\Music\\\x95\x5c.wav\" alias music wait");
    EXPECT_EQ(MciOpenCommand("C:\\my music\\a b.mid"),
              "open \"C:\\my music\\a b.mid\" alias music wait");

    // 24 bytes of command around the path and the NUL leave 575 bytes for the path.
    const std::string longest = "C:\\" + std::string(572, 'a');
    const std::string command = MciOpenCommand(longest);
    EXPECT_EQ(command.size(), kMciOpenCommandBytes - 1);
    EXPECT_TRUE(command.ends_with("a\" alias music wait"));
    EXPECT_EQ(MciOpenCommand(longest + "a"), "");
    EXPECT_EQ(MciOpenCommand(std::string("C:\\a.wav\0.mid", 13)), "");
}

TEST(MciCommandsTest, PlayFromAndTheNumbersOfQueries) {
    EXPECT_EQ(MciPlayFromCommand(61500), "play music from 61500 notify");
    const std::pair<const char*, std::int64_t> answers[] = {
        {"61500", 61500}, {"0", 0},   {"", -1},
        {"12 ms", -1},    {"-5", -1}, {"9999999999999999999", -1}};
    for (const auto& [answer, number] : answers)
        EXPECT_EQ(MciNumber(answer), number) << answer;
}

TEST(MciCommandsTest, VolumeLevelIsATenthOfTheAttenuationAboveSilence) {
    EXPECT_EQ(MciVolumeLevel(-10000), 0);
    EXPECT_EQ(MciVolumeLevel(-5000), 500);
    EXPECT_EQ(MciVolumeLevel(-9999), 0);  // rounded towards zero
    EXPECT_EQ(MciVolumeLevel(-9), 999);
    EXPECT_EQ(MciVolumeLevel(0), 1000);
    EXPECT_EQ(MciVolumeLevel(-20000), 0);
    EXPECT_EQ(MciVolumeLevel(300), 1000);

    const auto half = MciVolumeCommands(100 * 50 - 10000);
    EXPECT_EQ(half[0], "setaudio music left volume to 500 wait");
    EXPECT_EQ(half[1], "setaudio music right volume to 500 wait");
    EXPECT_EQ(MciVolumeCommands(-10000)[0], "setaudio music left volume to 0 wait");
    EXPECT_EQ(MciVolumeCommands(0)[1], "setaudio music right volume to 1000 wait");
}

}  // namespace
}  // namespace hgf
