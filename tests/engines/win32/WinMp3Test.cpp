// The MP3 library on Wine's real waveform output and file system, with and without a sound
// device (the program runs twice; HGF_NO_SOUND=1 marks the run without one): linked in,
// and as VBMP3.dll beside the program.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "CoreIds.h"
#include "FakeClock.h"
#include "Mp3TestFiles.h"
#include "RecordingMessenger.h"
#include "Vbmp3Platform.h"
#include "engines/PlaybackControl.h"
#include "engines/Vbmp3Engine.h"
#include "engines/win32/Vbmp3Library.h"
#include "engines/win32/WinWaveOutput.h"
#include "platform/CodePage932.h"
#include "platform/win32/Win32FileSystem.h"

namespace hgf {
namespace {

using namespace std::chrono_literals;

bool NoSoundRun() {
    const char* value = std::getenv("HGF_NO_SOUND");
    return value && std::string(value) == "1";
}

std::atomic<int> ends{0};
void VBMP3_CALL CountEnds(int32_t code, intptr_t) {
    if (code == VBMP3_END_OF_FILE) ++ends;
}

class WinMp3Test : public ::testing::Test {
  protected:
    void SetUp() override {
        std::optional<std::string> tone = test::BuiltMp3("tone-stereo-44100.mp3");
        if (!tone) GTEST_SKIP() << "no MP3 files were built";
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        // "表.mp3": the trail byte of 表 (0x95 0x5C) is a backslash byte. Its title is
        // 日本語 in UTF-16.
        path = std::string(temp) + "\x95\x5c" + std::to_string(GetCurrentProcessId()) + ".mp3";
        const std::string title = test::Utf16Bytes(u"\u65E5\u672C\u8A9E", false, true);
        std::ofstream(path, std::ios::binary)
            << test::Id3v2Tag({{"TIT2", test::TextBody(1, title)}}) + *tone;
        ends = 0;
    }
    void TearDown() override {
        if (!path.empty()) DeleteFileA(path.c_str());
    }

    std::string path;
    WinWaveOutput output;
    vbmp3::PlatformInstallation platform{{&TheWin32FileSystem(), &output, &CodePage932FromUtf16}};
};

TEST_F(WinMp3Test, AJapaneseFileNameOpensAndItsTagTitleComesInCodePage932) {
    VBMP3_TAG_INFO tag;
    ASSERT_EQ(vbmp3_getFileTagInfo(path.c_str(), &tag), 1);
    EXPECT_STREQ(tag.title, "\x93\xFA\x96\x7B\x8C\xEA");  // 日本語
    if (NoSoundRun()) return;
    VBMP3_INPUT_INFO info = {};
    ASSERT_EQ(vbmp3_open(path.c_str(), &info), 1);
    EXPECT_EQ(info.samplesPerSecond, 44100);
    EXPECT_EQ(info.channels, 2);
    vbmp3_free();
}

TEST_F(WinMp3Test, PlaysToTheEndPausesTheDeviceAndClosesPromptly) {
    if (NoSoundRun()) GTEST_SKIP() << "no sound device in this run";
    ASSERT_EQ(vbmp3_init(), 1);
    ASSERT_EQ(vbmp3_open(path.c_str(), nullptr), 1);
    vbmp3_callback(&CountEnds);
    vbmp3_play();
    for (int i = 0; i < 300 && ends == 0; ++i)
        std::this_thread::sleep_for(20ms);
    EXPECT_EQ(ends, 1);
    vbmp3_close();

    // While paused the device's position stands still.
    ASSERT_EQ(vbmp3_open(path.c_str(), nullptr), 1);
    vbmp3_play();
    std::this_thread::sleep_for(150ms);
    ASSERT_EQ(vbmp3_pause(), 1);
    std::this_thread::sleep_for(50ms);
    const std::optional<std::uint64_t> paused = output.PositionBytes();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(output.PositionBytes(), paused);
    ASSERT_EQ(vbmp3_restart(), 1);
    std::this_thread::sleep_for(200ms);
    EXPECT_GT(output.PositionBytes().value_or(0), paused.value_or(0));
    const ULONGLONG before = GetTickCount64();
    vbmp3_close();
    EXPECT_LT(GetTickCount64() - before, 1000u);
    vbmp3_stopCallback();
    vbmp3_free();
    EXPECT_EQ(ends, 1);
}

TEST_F(WinMp3Test, WithoutASoundDeviceTheRowIsMarkedUnplayable) {
    if (!NoSoundRun()) GTEST_SKIP() << "this run has a sound device";
    EXPECT_EQ(vbmp3_open(path.c_str(), nullptr), 0);

    test::RecordingMessenger messenger;
    test::FakeClock clock;
    Playlist list(PlaylistServices{TheWin32FileSystem(), messenger, clock, {}});
    std::deque<PlaylistItem> rows(1);
    rows[0].path = path;
    list.ReplaceItems(rows);
    list.SelectIndex(0);
    Vbmp3Library library;  // VBMP3.dll opens the system's device itself
    Vbmp3Engine engine(library.Binding());
    PlaybackControl control(list, TheWin32FileSystem(), messenger, PlaybackEngines{.mp3 = &engine});
    EXPECT_FALSE(control.PlayUntilStarted(nullptr, MSG_PLAY_CURRENT, 100));
    EXPECT_TRUE(list.GetItem(0).unplayable);
    EXPECT_EQ(control.GetEngineKind(), ENGINE_NONE);
    EXPECT_EQ(messenger.Count(), 0u);
}

}  // namespace
}  // namespace hgf
