// The MML bridge under Wine with the real tonwerkel.dll: one load, initialisation and
// release per attempt, songs that play for the MML play time before the next row starts,
// and the quiet failures (library or export missing, no sound device).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <fstream>

#include "CoreIds.h"
#include "FakeClock.h"
#include "MediaTestSupport.h"
#include "engines/OggStreamPlayer.h"
#include "engines/PlaybackControl.h"
#include "engines/win32/WinWaveOutput.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Messenger.h"

namespace hgf {
namespace {

using Calls = std::vector<std::string>;

bool NoSoundRun() {
    const char* value = std::getenv("HGF_NO_SOUND");
    return value && std::string(value) == "1";
}

// One long note on an SSG channel: "A" at 440 Hz, or "E" at 660 Hz.
bool WriteSong(const std::string& path, char note) {
    std::ofstream out(path, std::ios::binary);
    out << "4:t120 q8 v15 o4 l1 " << note << note << note << note << "\r\n";
    return static_cast<bool>(out);
}

int (*LibraryExport(const char* name))() {
    HMODULE library = GetModuleHandleA("tonwerkel.dll");
    return library
               ? reinterpret_cast<int (*)()>(reinterpret_cast<void*>(GetProcAddress(library, name)))
               : nullptr;
}

class MmlBridgeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (NoSoundRun()) GTEST_SKIP() << "the library needs a sound device";
        ASSERT_TRUE(WriteSong(song440, 'a'));
        ASSERT_TRUE(WriteSong(song660, 'e'));
        ASSERT_STREQ(test::LibraryState(), "unloaded");
    }

    test::ScratchFolder folder{"hgf-mml"};
    const std::string song440 = folder.File("a440.mml");
    const std::string song660 = folder.File("e660.mml");
    test::MessageWindow window;
};

TEST_F(MmlBridgeTest, BindsTheLibraryForOneAttemptAndReleasesIt) {
    WinMmlBridge bridge;
    ASSERT_TRUE(bridge.Bind(window.Handle()));
    EXPECT_STREQ(test::LibraryState(), "loaded");
    EXPECT_FALSE(bridge.Bind(window.Handle())) << "a second Bind must change nothing";
    EXPECT_TRUE(bridge.IsLoaded());

    EXPECT_FALSE(bridge.Load(folder.File("a440.txt")));  // only .mml and .dat
    ASSERT_TRUE(bridge.Load(song440));
    EXPECT_TRUE(bridge.Start());
    bridge.SetVolume(100 * 50 - 10000);
    auto getVolume = LibraryExport("GetBGMVolume");
    ASSERT_TRUE(getVolume);
    EXPECT_EQ(getVolume(), -5000);
    bridge.SetVolume(0);
    EXPECT_EQ(getVolume(), 0);
    bridge.Halt();
    bridge.Resume();

    bridge.Unload();
    EXPECT_STREQ(test::LibraryState(), "unloaded");
    EXPECT_FALSE(bridge.IsLoaded());
    EXPECT_FALSE(bridge.Load(song440));
    EXPECT_FALSE(bridge.Start());
    bridge.Halt();
    bridge.SetVolume(0);
    bridge.Unload();  // harmless when nothing is loaded

    // A new attempt loads and initialises the library again.
    ASSERT_TRUE(bridge.Bind(window.Handle()));
    EXPECT_TRUE(bridge.Load(song660));
    bridge.Unload();
    EXPECT_STREQ(test::LibraryState(), "unloaded");
}

TEST_F(MmlBridgeTest, ALibraryThatIsMissingOrLacksTheExportsIsNotBound) {
    WinMmlBridge absent("hgf-absent-synthesizer.dll");
    EXPECT_FALSE(absent.Bind(window.Handle()));
    EXPECT_FALSE(absent.IsLoaded());
    EXPECT_FALSE(absent.Load(song440));
    EXPECT_FALSE(absent.Start());
    absent.Unload();

    WinMmlBridge foreign("winmm.dll");  // loads, but has none of the eight exports
    EXPECT_FALSE(foreign.Bind(window.Handle()));
    EXPECT_FALSE(foreign.IsLoaded());
    EXPECT_FALSE(foreign.Load(song440));
}

TEST_F(MmlBridgeTest, SongsPlayForThePlayTimeAndEachLoadsTheLibraryAnew) {
    FileSystem& files = TheWin32FileSystem();
    test::FakeClock clock;
    Playlist list{PlaylistServices{files, TheWin32Messenger(), clock, {}}};
    const std::string text = folder.File("c.txt");
    std::ofstream(text) << "neither a song nor a sound";
    std::deque<PlaylistItem> rows(3);
    rows[0].path = song440;
    rows[1].path = song660;
    rows[2].path = text;
    list.ReplaceItems(rows);
    list.SetPlayMode(PLAY_MODE_LIST_ORDER);
    list.SelectIndex(0);
    list.mmlPlayTime = 2;

    test::RecordingBridge bridge;
    WinWaveOutput output;
    OggStreamPlayer ogg(files, output);
    PlaybackControl control(list, files, TheWin32Messenger(),
                            PlaybackEngines{.mml = &bridge, .ogg = &ogg});
    const ULONGLONG start = GetTickCount64();
    ASSERT_TRUE(control.Play(window.Handle(), MSG_PLAY_CURRENT, 50));
    EXPECT_EQ(control.GetEngineKind(), ENGINE_MML);
    EXPECT_EQ(bridge.Take(),
              (Calls{"Bind true loaded", "Load a440.mml true", "SetVolume -5000", "Start"}));

    // The timed watcher ends the song after the play time, advances and posts.
    ASSERT_TRUE(window.PumpUntil([&] { return window.HasReceived(MSG_PLAY_CURRENT); }, 6000));
    const ULONGLONG played = GetTickCount64() - start;
    EXPECT_GE(played, 1950u);
    EXPECT_LT(played, 3500u);
    EXPECT_EQ(list.GetCurrentIndex(), 1);

    // The next song: the library is released and loaded again.
    ASSERT_TRUE(control.Play(window.Handle(), MSG_PLAY_CURRENT, 100));
    EXPECT_EQ(bridge.Take(), (Calls{"Halt", "Unload unloaded", "Bind true loaded",
                                    "Load e660.mml true", "SetVolume 0", "Start"}));
    EXPECT_FALSE(control.TogglePause());
    EXPECT_TRUE(control.TogglePause());
    EXPECT_EQ(bridge.Take(), (Calls{"Halt", "Resume"}));

    // A file that is neither a song nor a sound set never loads the library: it goes on to
    // the Ogg player, which refuses it too.
    list.SelectIndex(2);
    EXPECT_FALSE(control.Play(window.Handle(), MSG_PLAY_CURRENT, 100));
    EXPECT_EQ(bridge.Take(), (Calls{"Halt", "Unload unloaded"}));
    EXPECT_TRUE(list.GetItem(2).unplayable);
    EXPECT_EQ(control.GetEngineKind(), ENGINE_NONE);
}

TEST_F(MmlBridgeTest, WithoutTheLibraryASongIsUnplayable) {
    FileSystem& files = TheWin32FileSystem();
    test::FakeClock clock;
    Playlist list{PlaylistServices{files, TheWin32Messenger(), clock, {}}};
    std::deque<PlaylistItem> rows(1);
    rows[0].path = song440;
    list.ReplaceItems(rows);
    list.SelectIndex(0);

    test::RecordingBridge bridge("hgf-absent-synthesizer.dll");
    WinWaveOutput output;
    OggStreamPlayer ogg(files, output);
    PlaybackControl control(list, files, TheWin32Messenger(),
                            PlaybackEngines{.mml = &bridge, .ogg = &ogg});
    EXPECT_FALSE(control.Play(window.Handle(), MSG_PLAY_CURRENT, 100));
    EXPECT_TRUE(list.GetItem(0).unplayable);
    EXPECT_EQ(bridge.Take(),
              (Calls{"Bind false unloaded", "Load a440.mml false", "Unload unloaded"}));
}

// The run without a sound device: the library's initialisation fails, so Bind fails and
// releases the library.
TEST(NoSoundDevice, BindFailsAndReleasesTheLibrary) {
    if (!NoSoundRun()) GTEST_SKIP() << "only in the run without a sound device";
    test::MessageWindow window;
    WinMmlBridge bridge;
    EXPECT_FALSE(bridge.Bind(window.Handle()));
    EXPECT_FALSE(bridge.IsLoaded());
    EXPECT_STREQ(test::LibraryState(), "unloaded");
    EXPECT_FALSE(bridge.Load("song.mml"));
}

}  // namespace
}  // namespace hgf
