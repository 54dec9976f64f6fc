// The stream players on Wine's real waveform output, with and without a sound device
// (the test runs twice; HGF_NO_SOUND=1 marks the run without one): Ogg Vorbis, and a list
// that mixes every kind of stream (with Japanese file names, a file cut short and a
// damaged one) played track after track the way the main window plays it, each kind of
// FLAC and Opus pausing and resuming. The sound itself is checked by stream_capture_test.sh.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <thread>
#include <vector>

#include "CoreIds.h"
#include "OggTestFiles.h"
#include "StreamTestFiles.h"
#include "engines/FlacOpusPlayer.h"
#include "engines/OggStreamPlayer.h"
#include "engines/PlaybackControl.h"
#include "engines/win32/WinWaveOutput.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Messenger.h"
#include "win32/OneRowList.h"

namespace hgf {
namespace {

using namespace std::chrono_literals;
using test::EncodeFlac;
using test::EncodeOpus;
using test::PcmToneOptions;

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

class WinFlacOpusTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "hgf-flac-opus-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder.c_str(), nullptr);
    }
    void TearDown() override {
        for (const std::string& path : written)
            DeleteFileA(path.c_str());
        RemoveDirectoryA(folder.c_str());
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = folder + "\\" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        written.push_back(path);
        return path;
    }

    std::string folder;
    std::vector<std::string> written;
    WinWaveOutput output;
    OggStreamPlayer ogg{TheWin32FileSystem(), output};
    FlacOpusPlayer flacOpus{TheWin32FileSystem(), output};
};

TEST_F(WinFlacOpusTest, AMixedListPlaysTrackAfterTrack) {
    const PcmToneOptions half{.channels = 2, .rate = 44100, .seconds = 0.5, .amplitude = 0.3};
    const std::string cut = EncodeFlac({.channels = 2, .rate = 44100, .seconds = 1.0});
    const std::vector<std::string> paths = {
        Write("a.flac", EncodeFlac(half)),
        Write("\x93\xfa\x96\x7b\x8c\xea.opus", EncodeOpus(half)),  // 日本語.opus
        Write("\x95\x5c.ogg", EncodeFlac(half, true)),             // 表.ogg, Ogg FLAC inside
        Write("deep.flac", EncodeFlac({.channels = 2, .rate = 96000, .bits = 24, .seconds = 0.5})),
        Write("cut.flac", cut.substr(0, cut.size() / 2)),
        Write("damaged.flac", "fLaC" + std::string(4000, '\x5a')),
        Write("vorbis.ogg", test::EncodeTone({.channels = 2, .rate = 44100, .seconds = 1.0})),
    };
    Playlist list(PlaylistServices{TheWin32FileSystem(), TheWin32Messenger(), SystemClock(), {}});
    std::deque<PlaylistItem> rows(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i)
        rows[i].path = paths[i];
    list.ReplaceItems(rows);
    list.SetPlayMode(PLAY_MODE_LIST_ORDER);
    list.SelectIndex(0);
    PlaybackControl control(list, TheWin32FileSystem(), TheWin32Messenger(),
                            PlaybackEngines{.ogg = &ogg, .flacOpus = &flacOpus});
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);

    if (NoSoundRun()) {
        EXPECT_FALSE(control.PlayUntilStarted(window, MSG_PLAY_CURRENT, 100));
        for (const PlaylistItem& row : list.Items())
            EXPECT_TRUE(row.unplayable);
        DestroyWindow(window);
        return;
    }

    // Play, and at every end-of-track message play the next row, until the list wraps.
    std::vector<std::pair<std::int32_t, EngineKind>> started;
    auto start = [&] {
        ASSERT_TRUE(control.PlayUntilStarted(window, MSG_PLAY_CURRENT, 100));
        started.emplace_back(list.GetCurrentIndex(), control.GetEngineKind());
    };
    start();
    SetTimer(nullptr, 0, 20000, nullptr);  // gives up if the end messages do not come
    MSG message;
    while (started.size() < 7 && GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.hwnd == nullptr) break;
        if (message.hwnd == window && message.message == MSG_PLAY_CURRENT) {
            start();
        } else {
            DispatchMessageA(&message);
        }
    }
    control.Stop();
    DestroyWindow(window);
    const std::vector<std::pair<std::int32_t, EngineKind>> expected = {
        {0, ENGINE_FLAC_OPUS}, {1, ENGINE_FLAC_OPUS}, {2, ENGINE_FLAC_OPUS}, {3, ENGINE_FLAC_OPUS},
        {4, ENGINE_FLAC_OPUS}, {6, ENGINE_OGG},       {0, ENGINE_FLAC_OPUS}};
    EXPECT_EQ(started, expected);
    EXPECT_TRUE(list.GetItem(5).unplayable);  // the damaged file, refused by both players
}

TEST_F(WinFlacOpusTest, EveryKindPausesAndResumes) {
    if (NoSoundRun()) GTEST_SKIP() << "no sound device in this run";
    const PcmToneOptions tone{.channels = 2, .seconds = 6.0, .amplitude = 0.3};
    const std::pair<const char*, std::string> kinds[] = {
        {"flac", EncodeFlac(tone)},
        {"deep.flac", EncodeFlac({.channels = 2, .rate = 96000, .bits = 24, .seconds = 6.0})},
        {"ogg.flac", EncodeFlac(tone, true)},
        {"x.opus", EncodeOpus(tone)},
    };
    for (const auto& [name, bytes] : kinds) {
        SCOPED_TRACE(name);
        const std::string path = Write(name, bytes);
        ASSERT_TRUE(flacOpus.Open(path));
        flacOpus.SetGain(0.5f);
        flacOpus.Start();
        auto position = [&] { return output.PositionBytes().value_or(0); };
        for (int i = 0; i < 100 && position() == 0; ++i)
            std::this_thread::sleep_for(20ms);
        ASSERT_GT(position(), 0u);
        // Held: the queued buffers play out, then the position stands still.
        flacOpus.Pause();
        std::uint64_t last = position();
        for (int i = 0; i < 60; ++i) {
            std::this_thread::sleep_for(50ms);
            if (position() == last) break;
            last = position();
        }
        std::this_thread::sleep_for(300ms);
        EXPECT_EQ(position(), last);
        EXPECT_FALSE(flacOpus.Finished());
        flacOpus.Start();
        for (int i = 0; i < 100 && position() == last; ++i)
            std::this_thread::sleep_for(20ms);
        EXPECT_GT(position(), last);
        flacOpus.Close();
    }
}

}  // namespace
}  // namespace hgf
