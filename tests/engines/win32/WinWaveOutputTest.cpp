// The stream player on Wine's real waveform output, with and without a sound device
// (the test runs twice; HGF_NO_SOUND=1 marks the run without one).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <thread>

#include "CoreIds.h"
#include "OggTestFiles.h"
#include "win32/OneRowList.h"
#include "engines/OggStreamPlayer.h"
#include "engines/PlaybackControl.h"
#include "engines/win32/WinWaveOutput.h"
#include "platform/win32/Win32FileSystem.h"

namespace hgf {
namespace {

using namespace std::chrono_literals;

bool NoSoundRun() {
    const char* value = std::getenv("HGF_NO_SOUND");
    return value && std::string(value) == "1";
}

class WinWaveOutputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        path = std::string(temp) + "hgf-wave-" + std::to_string(GetCurrentProcessId()) + ".ogg";
        std::ofstream(path, std::ios::binary)
            << test::EncodeTone({.channels = 2, .rate = 44100, .seconds = 1.5, .noise = 0.1});
    }
    void TearDown() override { DeleteFileA(path.c_str()); }

    std::string path;
    WinWaveOutput output;
    OggStreamPlayer player{TheWin32FileSystem(), output};
};

TEST_F(WinWaveOutputTest, PlaysAStreamToItsEndAndClosesPromptly) {
    if (NoSoundRun()) GTEST_SKIP() << "no sound device in this run";
    ASSERT_GT(output.DeviceCount(), 0u);
    ASSERT_TRUE(player.Open(path));
    EXPECT_EQ(player.Length(path), 1);
    player.Start();
    for (int i = 0; i < 300 && !player.Finished(); ++i)
        std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(player.Finished());
    player.Close();

    ASSERT_TRUE(player.Open(path));
    player.Start();
    std::this_thread::sleep_for(200ms);
    const ULONGLONG before = GetTickCount64();
    player.Close();
    EXPECT_LT(GetTickCount64() - before, 1000u);
    EXPECT_EQ(player.QueuedBuffers(), 0);
}

TEST_F(WinWaveOutputTest, JapaneseFileNamesOpenAndReportTheirLength) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    // "表.ogg": the trail byte of 表 (0x95 0x5C) is a backslash byte.
    const std::string japanese = std::string(temp) + "\x95\x5c.ogg";
    ASSERT_TRUE(CopyFileA(path.c_str(), japanese.c_str(), FALSE));
    EXPECT_EQ(player.Length(japanese), 1);
    if (!NoSoundRun()) {
        EXPECT_TRUE(player.Open(japanese));
        player.Close();
    }
    DeleteFileA(japanese.c_str());
}

TEST_F(WinWaveOutputTest, WithoutASoundDeviceTheRowIsMarkedUnplayable) {
    if (!NoSoundRun()) GTEST_SKIP() << "this run has a sound device";
    EXPECT_EQ(output.DeviceCount(), 0u);
    EXPECT_FALSE(player.Open(path));

    test::OneRowList row(path);
    PlaybackControl control(row.list, TheWin32FileSystem(), row.messenger,
                            PlaybackEngines{.ogg = &player});
    EXPECT_FALSE(control.PlayUntilStarted(nullptr, MSG_PLAY_CURRENT, 100));
    EXPECT_TRUE(row.list.GetItem(0).unplayable);
    EXPECT_EQ(control.GetEngineKind(), ENGINE_NONE);
    EXPECT_EQ(row.messenger.Count(), 0u);
}

}  // namespace
}  // namespace hgf
