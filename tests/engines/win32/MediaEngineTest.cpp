// The media engine under Wine: a wave file through the filter graph and, with the graph
// made unavailable, through the media control interface; the volume each mode is given,
// the end of the track (the media watcher's post, or MM_MCINOTIFY), and COM initialised
// and uninitialised in pairs.
#include <gtest/gtest.h>

#include <windows.h>

#include <dshow.h>
#include <mmsystem.h>

#include <algorithm>
#include <fstream>
#include <thread>

#include "CoreIds.h"
#include "FakeClock.h"
#include "MediaTestFiles.h"
#include "MediaTestSupport.h"
#include "engines/PlaybackControl.h"
#include "platform/CodePage932.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Messenger.h"

namespace hgf {
namespace {

using Commands = std::vector<std::string>;

// True when this process shows a window.
bool ShowsAWindow() {
    bool shown = false;
    EnumWindows(
        [](HWND window, LPARAM shown) -> BOOL {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (process == GetCurrentProcessId() && IsWindowVisible(window))
                *reinterpret_cast<bool*>(shown) = true;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&shown));
    return shown;
}

class MediaEngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(test::WriteToneWave(first, 440, 1.0));
        ASSERT_TRUE(test::WriteToneWave(second, 660, 1.0));
        std::deque<PlaylistItem> rows(2);
        rows[0].path = first;
        rows[1].path = second;
        list.ReplaceItems(rows);
        list.SetPlayMode(PLAY_MODE_LIST_ORDER);
        list.SelectIndex(0);
        ASSERT_TRUE(test::ComUninitialized());
    }
    bool Play(PlaybackControl& control, std::uint8_t volume) {
        return control.Play(window.Handle(), MSG_PLAY_CURRENT, volume);
    }

    test::ScratchFolder folder{"hgf-media"};
    const std::string first = folder.File("first.wav");
    const std::string second = folder.File("second.wav");
    test::MessageWindow window;
    test::FakeClock clock;
    Playlist list{PlaylistServices{TheWin32FileSystem(), TheWin32Messenger(), clock, {}}};
    test::RecordingMci mci;
};

TEST_F(MediaEngineTest, TheFilterGraphPlaysAWaveAndItsEndAdvancesAndPosts) {
    WinMediaEngine engine(mci);
    PlaybackControl control(list, TheWin32FileSystem(), TheWin32Messenger(),
                            PlaybackEngines{.media = &engine});
    const ULONGLONG start = GetTickCount64();
    ASSERT_TRUE(Play(control, 50));
    EXPECT_EQ(control.GetEngineKind(), ENGINE_MEDIA);
    EXPECT_FALSE(engine.InMciMode());
    EXPECT_EQ(engine.GraphVolume(), -5000);
    control.SetVolume(100);
    EXPECT_EQ(engine.GraphVolume(), 0);
    control.SetVolume(101);
    EXPECT_EQ(engine.GraphVolume(), 0);

    // The media watcher sees the graph complete, advances and posts.
    ASSERT_TRUE(window.PumpUntil([&] { return window.HasReceived(MSG_PLAY_CURRENT); }, 8000));
    const ULONGLONG played = GetTickCount64() - start;
    EXPECT_GE(played, 800u) << "the one-second tone ended too early";
    EXPECT_EQ(list.GetCurrentIndex(), 1);
    EXPECT_EQ(window.Received(MSG_PLAY_CURRENT).size(), 1u);

    ASSERT_TRUE(Play(control, 100));
    EXPECT_FALSE(engine.InMciMode());
    control.Stop();
    EXPECT_FALSE(engine.GraphVolume());
    window.Pump(200);
    EXPECT_EQ(window.Received(MSG_PLAY_CURRENT).size(), 1u) << "a stopped playback posted";
    EXPECT_TRUE(mci.commands.empty());
    EXPECT_TRUE(test::ComUninitialized());
}

TEST_F(MediaEngineTest, EachSetUpInitialisesComOnceAndItsCloseUninitialisesIt) {
    WinMediaEngine engine(mci);
    ASSERT_TRUE(engine.Open(first));
    ASSERT_TRUE(engine.Open(second));  // closes the first graph
    EXPECT_FALSE(engine.InMciMode());
    engine.Close();
    EXPECT_TRUE(test::ComUninitialized());
    engine.Close();  // nothing was set up since: COM is left alone
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    engine.Close();
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE) << "a Close without a set-up uninitialised COM";
    CoUninitialize();
    CoUninitialize();

    // A path with Japanese characters reaches the graph (converted from code page 932).
    // "表.wav": the trail byte of 表 (0x95 0x5C) is a backslash byte.
    const std::string japanese = folder.File("\x95\x5c.wav");
    ASSERT_TRUE(CopyFileA(first.c_str(), japanese.c_str(), FALSE));
    ASSERT_TRUE(engine.Open(japanese));
    EXPECT_FALSE(engine.InMciMode());
    engine.Close();

    // A file the graph cannot render is released before MCI is asked, which refuses it too.
    const std::string text = folder.File("notes.wav");
    std::ofstream(text) << "not a wave file";
    EXPECT_FALSE(engine.Open(text));
    EXPECT_EQ(mci.Take(), Commands{"open \"" + text + "\" alias music wait"});
    EXPECT_TRUE(test::ComUninitialized());
}

// Whatever the system's ANSI code page, a Japanese path and the short path of a name that
// code page 932 cannot spell open through the filter graph and through MCI.
TEST_F(MediaEngineTest, JapanesePathsAndShortPathsOpenThroughTheGraphAndMci) {
    const std::u16string wideFolder = Utf16FromCodePage932(folder.File(""));
    const std::u16string wideFirst = Utf16FromCodePage932(first);
    auto copy = [&](std::u16string_view name) {
        const std::u16string target = wideFolder + std::u16string(name);
        EXPECT_TRUE(CopyFileW(reinterpret_cast<const wchar_t*>(wideFirst.c_str()),
                              reinterpret_cast<const wchar_t*>(target.c_str()), FALSE));
        return TheWin32FileSystem().CodePage932PathThatOpens(target).value_or("<none>");
    };
    const std::string japanese = copy(u"表.wav");
    EXPECT_EQ(japanese, folder.File("\x95\x5c.wav"));
    const std::string shortPath = copy(u"Beyoncé.wav");
    EXPECT_EQ(shortPath.find('?'), std::string::npos) << shortPath;
    for (const std::string& path : {japanese, shortPath}) {
        WinMediaEngine graph(mci);
        EXPECT_TRUE(graph.Open(path)) << path;
        EXPECT_FALSE(graph.InMciMode());
        graph.Close();
        WinMediaEngine noGraph(mci, test::NoFilterGraph);
        EXPECT_TRUE(noGraph.Open(path)) << path;
        EXPECT_TRUE(noGraph.InMciMode());
        noGraph.Close();
    }
}

TEST_F(MediaEngineTest, AVideoPlaysToItsEndWithoutAWindow) {
    const std::string video = folder.File("clip.avi");
    std::ofstream(video, std::ios::binary) << test::EncodeTinyAvi(10);
    WinMediaEngine engine(mci);
    ASSERT_TRUE(engine.Open(video));
    EXPECT_FALSE(engine.InMciMode());
    engine.Play(window.Handle());
    bool shown = false;
    window.PumpUntil([&] { return (shown = ShowsAWindow()); }, 500);
    EXPECT_FALSE(shown) << "the video window appeared";
    EXPECT_TRUE(engine.WaitForCompletion());
    EXPECT_FALSE(ShowsAWindow());
    engine.Close();
}

TEST_F(MediaEngineTest, WaitForCompletionEndsWhenCancelledAlsoWhilePaused) {
    WinMediaEngine engine(mci);
    ASSERT_TRUE(engine.Open(first));
    engine.Play(window.Handle());
    engine.Pause();
    const ULONGLONG start = GetTickCount64();
    std::thread canceller([&] {
        Sleep(300);
        engine.CancelWait();
    });
    EXPECT_FALSE(engine.WaitForCompletion());
    canceller.join();
    EXPECT_GE(GetTickCount64() - start, 250u);
    EXPECT_LT(GetTickCount64() - start, 1000u);
    EXPECT_FALSE(engine.WaitForCompletion()) << "a cancel lasts until the next Open";
    engine.Close();
    // Nothing to wait on once closed.
    EXPECT_FALSE(engine.WaitForCompletion());
    EXPECT_TRUE(test::ComUninitialized());
}

TEST_F(MediaEngineTest, WithoutDirectShowTheWaveGoesThroughMciAndItsEndAsMciNotify) {
    WinMediaEngine engine(mci, test::NoFilterGraph);
    PlaybackControl control(list, TheWin32FileSystem(), TheWin32Messenger(),
                            PlaybackEngines{.media = &engine});
    ASSERT_TRUE(Play(control, 50));
    EXPECT_EQ(control.GetEngineKind(), ENGINE_MEDIA);
    EXPECT_TRUE(engine.InMciMode());
    EXPECT_FALSE(engine.GraphVolume());
    EXPECT_EQ(mci.Take(), (Commands{"open \"" + first + "\" alias music wait",
                                    "setaudio music left volume to 500 wait",
                                    "setaudio music right volume to 500 wait", "play music notify",
                                    "window music state hide", "set music video off"}));

    // The end arrives at the notify window from MCI; the watcher neither advances nor posts.
    ASSERT_TRUE(window.PumpUntil([&] { return window.HasReceived(MM_MCINOTIFY); }, 8000));
    EXPECT_EQ(window.Received(MM_MCINOTIFY).front().wParam, WPARAM{MCI_NOTIFY_SUCCESSFUL});
    window.Pump(200);
    EXPECT_FALSE(window.HasReceived(MSG_PLAY_CURRENT));
    EXPECT_EQ(list.GetCurrentIndex(), 0);

    // As the main window answers it: advance and play.
    list.AdvancePlayOrder();
    ASSERT_TRUE(Play(control, 100));
    // The stop closes the device, and so does the new set-up (in MCI mode a Close always
    // sends its command).
    EXPECT_EQ(mci.Take(), (Commands{"close music wait", "close music wait",
                                    "open \"" + second + "\" alias music wait",
                                    "setaudio music left volume to 1000 wait",
                                    "setaudio music right volume to 1000 wait", "play music notify",
                                    "window music state hide", "set music video off"}));
    control.Stop();
    EXPECT_EQ(mci.Take(), Commands{"close music wait"});
    EXPECT_TRUE(test::ComUninitialized());
}

TEST_F(MediaEngineTest, StartPositionsAndPositionsGoThroughTheGraphOrMci) {
    const std::string longer = folder.File("longer.wav");
    ASSERT_TRUE(test::WriteToneWave(longer, 550, 3.0));
    for (bool mci : {false, true}) {
        WinMediaEngine engine(this->mci,
                              mci ? test::NoFilterGraph : &WinMediaEngine::CreateFilterGraph);
        ASSERT_TRUE(engine.Open(longer));
        ASSERT_EQ(engine.InMciMode(), mci);
        EXPECT_FALSE(engine.SeekMs(3000)) << mci;  // at the end: from the start
        EXPECT_FALSE(engine.SeekMs(0)) << mci;
        ASSERT_TRUE(engine.SeekMs(2000)) << mci;
        this->mci.Take();
        engine.Play(window.Handle());
        if (mci) {
            EXPECT_EQ(this->mci.Take().front(), "play music from 2000 notify");
        }
        const std::int64_t position = engine.PositionMs();
        EXPECT_GE(position, 2000) << mci;
        EXPECT_LT(position, 3000) << mci;
        engine.Close();
        EXPECT_EQ(engine.PositionMs(), -1) << mci;
    }
    window.Pump(100);
    EXPECT_TRUE(test::ComUninitialized());
}

// What the main window acts on: MCI_NOTIFY_SUCCESSFUL for the device open now.
std::vector<MSG> Successes(const test::MessageWindow& window, const WinMediaEngine& engine) {
    std::vector<MSG> successes;
    for (const MSG& message : window.Received(MM_MCINOTIFY))
        if (message.wParam == MCI_NOTIFY_SUCCESSFUL &&
            engine.IsCurrentMciDevice(static_cast<std::uintptr_t>(message.lParam)))
            successes.push_back(message);
    return successes;
}

TEST_F(MediaEngineTest, AnMciPlaybackReportsSuccessOnlyAtTheEndAlsoWhenResumed) {
    const std::string longer = folder.File("longer.wav");
    ASSERT_TRUE(test::WriteToneWave(longer, 550, 3.0));
    std::deque<PlaylistItem> rows(1);
    rows[0].path = longer;
    list.ReplaceItems(rows);
    list.SelectIndex(0);
    WinMediaEngine engine(mci, test::NoFilterGraph);
    PlaybackControl control(list, TheWin32FileSystem(), TheWin32Messenger(),
                            PlaybackEngines{.media = &engine});
    ASSERT_TRUE(Play(control, 100));
    window.Pump(100);
    EXPECT_FALSE(control.TogglePause());
    window.Pump(300);
    mci.Take();
    EXPECT_TRUE(control.TogglePause());
    EXPECT_EQ(mci.Take(), (Commands{"resume music wait", "play music notify",
                                    "window music state hide", "set music video off"}));
    // Some devices answer a play on a paused device with a success at once: the resume
    // command before it keeps the notification for the end of the file.
    window.Pump(20);
    EXPECT_TRUE(Successes(window, engine).empty()) << "the resume was reported as the end";
    EXPECT_TRUE(window.PumpUntil([&] { return !Successes(window, engine).empty(); }, 8000));
    EXPECT_EQ(Successes(window, engine).size(), 1u);

    // What a device reported before it was closed never reaches the window: a later
    // file may get the same device id.
    PostMessageA(window.Handle(), MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, mciGetDeviceIDA("music"));
    control.Stop();
    window.received.clear();
    window.Pump(100);
    EXPECT_TRUE(window.Received(MM_MCINOTIFY).empty());
    EXPECT_EQ(mci.Take().back(), "close music wait");

    // A path too long for the open command's buffer is not cut short: nothing is sent.
    EXPECT_FALSE(engine.Open(folder.File(std::string(580, 'a') + ".wav")));
    EXPECT_EQ(mci.Take(), Commands{"close music wait"});  // the set-up's Close
}

}  // namespace
}  // namespace hgf
