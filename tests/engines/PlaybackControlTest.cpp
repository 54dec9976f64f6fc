// The playback control with fake engines: which engine gets a row and in which order,
// the rows it moves past, volume and pause per engine, and the end-of-track reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <system_error>
#include <thread>

#include "CoreIds.h"
#include "FakeClock.h"
#include "FakeEngines.h"
#include "MemoryFileSystem.h"
#include "RecordingMessenger.h"
#include "engines/PlaybackControl.h"

namespace hgf {
namespace {

using namespace std::chrono_literals;
using Calls = std::vector<std::string>;

const WindowHandle kWindow = reinterpret_cast<WindowHandle>(0x1234);

class PlaybackControlTest : public ::testing::Test {
  protected:
    PlaybackControlTest() { list.SetPlayMode(PLAY_MODE_LIST_ORDER); }

    // Rows of files (created in the file system) and headings ("dir\\").
    void SetRows(std::initializer_list<std::string> paths, std::int32_t current = 0) {
        std::deque<PlaylistItem> rows;
        for (const std::string& path : paths) {
            PlaylistItem row;
            if (path.ends_with("\\")) {
                row.isFolder = 1;
                row.path = path.substr(0, path.size() - 1);
                files.AddFolder(row.path);
            } else {
                row.path = path;
                files.AddFile(path);
            }
            row.title = path;
            rows.push_back(row);
        }
        list.ReplaceItems(std::move(rows));
        list.SelectIndex(current);
        log.Take();
    }
    bool Play(std::uint8_t volume = 100) { return control.Play(kWindow, MSG_PLAY_CURRENT, volume); }
    bool PlayRow(std::int32_t index, std::uint8_t volume = 100) {
        list.SelectIndex(index);
        return Play(volume);
    }

    test::MemoryFileSystem files;
    test::RecordingMessenger messenger;
    test::FakeClock clock;
    Playlist list{PlaylistServices{files, messenger, clock, {}}};
    test::CallLog log;
    test::FakeMp3 mp3{log};
    test::FakeMedia media{log};
    test::FakeMml mml{log};
    test::FakeStream ogg{log};
    test::FakeSmf smf{log};
    PlaybackControl control{list, files, messenger, {&mp3, &media, &mml, &ogg, &smf}};
};

TEST_F(PlaybackControlTest, EnginesAreAskedInOrderAndTheFirstThatAcceptsPlays) {
    SetRows({"C:\\m\\a.mp3", "C:\\m\\b.wav", "C:\\m\\c.mml", "C:\\m\\d.ogg", "C:\\m\\e.txt"});
    mp3.accepts = {"C:\\m\\a.mp3"};
    media.accepts = {"C:\\m\\b.wav"};
    mml.accepts = {"C:\\m\\c.mml"};
    ogg.accepts = {"C:\\m\\d.ogg"};
    ogg.length = 5;

    EXPECT_TRUE(Play(80));
    EXPECT_EQ(control.GetEngineKind(), ENGINE_MP3);
    EXPECT_EQ(log.Take(), (Calls{"mp3.Open C:\\m\\a.mp3", "mp3.SetVolume 80", "mp3.Play"}));

    EXPECT_TRUE(PlayRow(1, 80));
    EXPECT_EQ(control.GetEngineKind(), ENGINE_MEDIA);
    EXPECT_EQ(log.Take(), (Calls{"mp3.Close", "mp3.Open C:\\m\\b.wav", "media.Open C:\\m\\b.wav",
                                 "media.SetVolume -2000", "media.Play"}));

    EXPECT_TRUE(PlayRow(2, 80));
    EXPECT_EQ(control.GetEngineKind(), ENGINE_MML);
    EXPECT_EQ(control.EndOfTrackDelayMs(), 120000);
    EXPECT_EQ(log.Take(),
              (Calls{"media.Close", "mp3.Open C:\\m\\c.mml", "media.Open C:\\m\\c.mml", "mml.Bind",
                     "mml.Load C:\\m\\c.mml", "mml.SetVolume -2000", "mml.Start"}));

    EXPECT_TRUE(PlayRow(3, 80));
    EXPECT_EQ(control.GetEngineKind(), ENGINE_OGG);
    EXPECT_EQ(control.EndOfTrackDelayMs(), 5000);
    EXPECT_EQ(log.Take(),
              (Calls{"mml.Halt", "mml.Unload", "mp3.Open C:\\m\\d.ogg", "media.Open C:\\m\\d.ogg",
                     "ogg.Open C:\\m\\d.ogg", "ogg.SetGain 80%", "ogg.Start"}));
    EXPECT_TRUE(control.IsPlaying());
    EXPECT_TRUE(list.playing);
    EXPECT_EQ(list.engineKind, ENGINE_OGG);

    // Nobody takes the last row: it is marked, and nothing plays.
    EXPECT_FALSE(PlayRow(4, 80));
    EXPECT_EQ(log.Take(), (Calls{"ogg.Close", "mp3.Open C:\\m\\e.txt", "media.Open C:\\m\\e.txt",
                                 "ogg.Open C:\\m\\e.txt"}));
    EXPECT_TRUE(list.GetItem(4).unplayable);
    EXPECT_EQ(control.GetEngineKind(), ENGINE_NONE);
    EXPECT_FALSE(control.IsPlaying());
}

TEST_F(PlaybackControlTest, WindowsMediaSuffixesInAnyCaseSkipTheMp3Engine) {
    SetRows({"C:\\m\\A.WMA", "C:\\m\\b.Wmv", "C:\\m\\c.asf", "C:\\m\\d.wma.mp3"});
    for (const PlaylistItem& row : list.Items()) {
        mp3.accepts.insert(row.path);
        media.accepts.insert(row.path);
    }
    for (std::int32_t row = 0; row < 3; ++row) {
        EXPECT_TRUE(PlayRow(row));
        EXPECT_EQ(control.GetEngineKind(), ENGINE_MEDIA);
        for (const std::string& call : log.Take())
            EXPECT_FALSE(call.starts_with("mp3.Open")) << call;
    }
    EXPECT_TRUE(PlayRow(3));
    EXPECT_EQ(control.GetEngineKind(), ENGINE_MP3);
}

TEST_F(PlaybackControlTest, OnlySongsAndSoundSetsAreOfferedToTheSynthesizer) {
    const std::pair<const char*, bool> cases[] = {
        {"C:\\m\\a.mml", true},  {"C:\\m\\B.MML", true},      {"C:\\m\\c.Dat", true},
        {"C:\\m\\d.ogg", false}, {"C:\\m\\e.mml.ogg", false}, {"C:\\m.mml\\f", false},
    };
    for (const auto& [path, offered] : cases) {
        SetRows({path});
        Play();
        const Calls calls = log.Take();
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "mml.Bind"), offered ? 1 : 0) << path;
    }
}

TEST_F(PlaybackControlTest, ATrackWhoseWatcherCannotStartDoesNotStart) {
    PlaybackControl noThreads{list,
                              files,
                              messenger,
                              {&mp3, &media, &mml, &ogg, &smf},
                              [](std::function<void()>) -> std::thread {
                                  throw std::system_error(std::make_error_code(
                                      std::errc::resource_unavailable_try_again));
                              }};
    SetRows({"C:\\m\\a.wav", "C:\\m\\b.mml", "C:\\m\\c.ogg"});
    media.accepts = {"C:\\m\\a.wav"};
    mml.accepts = {"C:\\m\\b.mml"};
    ogg.accepts = {"C:\\m\\c.ogg"};
    const std::pair<std::int32_t, const char*> cases[] = {
        {0, "media.Close"}, {1, "mml.Unload"}, {2, "ogg.Close"}};
    for (const auto& [row, release] : cases) {
        list.SelectIndex(row);
        EXPECT_FALSE(noThreads.Play(kWindow, MSG_PLAY_CURRENT, 100)) << row;
        const Calls calls = log.Take();
        EXPECT_EQ(std::count(calls.begin(), calls.end(), release), 1) << row;
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "ogg.Start"), 0) << row;
        EXPECT_TRUE(list.GetItem(row).unplayable);
        EXPECT_EQ(noThreads.GetEngineKind(), ENGINE_NONE);
        EXPECT_FALSE(noThreads.IsPlaying());
    }
}

TEST_F(PlaybackControlTest, HeadingsMarkedRowsAndMissingFilesArePassedInTheSameCall) {
    SetRows({"C:\\m\\", "C:\\m\\gone.ogg", "C:\\m\\b.ogg", "C:\\m\\c.ogg"});
    files.Remove("C:\\m\\gone.ogg");
    ogg.accepts = {"C:\\m\\b.ogg", "C:\\m\\c.ogg"};
    EXPECT_TRUE(Play());
    EXPECT_EQ(list.GetCurrentIndex(), 2);
    EXPECT_TRUE(list.GetItem(1).unplayable);
    const Calls calls = log.Take();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "ogg.Open C:\\m\\gone.ogg"), 0);
    EXPECT_EQ(calls.back(), "ogg.Start");

    // A row marked earlier is moved past.
    list.MarkUnplayable(3);
    list.SelectIndex(3);
    EXPECT_TRUE(Play());
    EXPECT_EQ(list.GetCurrentIndex(), 2);

    // A list without anything left to play offers nothing to the engines.
    SetRows({"C:\\m\\", "C:\\m\\gone.ogg"});
    files.Remove("C:\\m\\gone.ogg");
    EXPECT_FALSE(Play());
    EXPECT_EQ(log.Take(), (Calls{"ogg.Close"}));
    EXPECT_FALSE(control.PlayUntilStarted(kWindow, MSG_PLAY_CURRENT, 100));
}

TEST_F(PlaybackControlTest, MmlPlayTimeBelowOneLeavesTheBridgeOut) {
    SetRows({"C:\\m\\song.mml"});
    mml.accepts = {"C:\\m\\song.mml"};
    list.mmlPlayTime = 0;
    EXPECT_FALSE(Play());
    EXPECT_EQ(log.Take(), (Calls{"mp3.Open C:\\m\\song.mml", "media.Open C:\\m\\song.mml",
                                 "ogg.Open C:\\m\\song.mml"}));
    EXPECT_TRUE(list.GetItem(0).unplayable);

    SetRows({"C:\\m\\song.mml"});
    list.mmlPlayTime = 30;
    EXPECT_TRUE(Play());
    EXPECT_EQ(control.EndOfTrackDelayMs(), 30000);
}

TEST_F(PlaybackControlTest, VolumeMapsPerEngineAndValuesAboveHundredChangeNothing) {
    SetRows({"C:\\m\\a.ogg", "C:\\m\\b.mml", "C:\\m\\c.wav", "C:\\m\\d.mp3"});
    ogg.accepts = {"C:\\m\\a.ogg"};
    mml.accepts = {"C:\\m\\b.mml"};
    media.accepts = {"C:\\m\\c.wav"};
    mp3.accepts = {"C:\\m\\d.mp3"};
    ogg.length = 60;

    EXPECT_TRUE(Play(150));  // no volume call before the start
    const Calls started = log.Take();
    ASSERT_GE(started.size(), 2u);
    EXPECT_EQ(Calls(started.end() - 2, started.end()),
              (Calls{"ogg.Open C:\\m\\a.ogg", "ogg.Start"}));
    control.SetVolume(101);
    control.SetVolume(255);
    EXPECT_TRUE(log.Take().empty());
    control.SetVolume(0);
    control.SetVolume(50);
    control.SetVolume(100);
    EXPECT_EQ(log.Take(), (Calls{"ogg.SetGain 0%", "ogg.SetGain 50%", "ogg.SetGain 100%"}));

    PlayRow(1);
    log.Take();
    control.SetVolume(0);
    control.SetVolume(50);
    control.SetVolume(100);
    EXPECT_EQ(log.Take(),
              (Calls{"mml.SetVolume -10000", "mml.SetVolume -5000", "mml.SetVolume 0"}));

    PlayRow(2);
    log.Take();
    control.SetVolume(50);
    control.SetVolume(101);
    EXPECT_EQ(log.Take(), (Calls{"media.SetVolume -5000"}));

    PlayRow(3);
    log.Take();
    control.SetVolume(50);
    EXPECT_EQ(log.Take(), (Calls{"mp3.SetVolume 50"}));

    control.Stop();
    log.Take();
    control.SetVolume(50);
    EXPECT_TRUE(log.Take().empty());
}

TEST_F(PlaybackControlTest, TogglePausePausesAndResumesTheEngineThatPlays) {
    EXPECT_TRUE(control.TogglePause());  // nothing plays: only the flag flips
    EXPECT_FALSE(control.TogglePause());
    EXPECT_TRUE(log.Take().empty());

    SetRows({"C:\\m\\a.ogg", "C:\\m\\b.mml", "C:\\m\\c.mp3"});
    ogg.accepts = {"C:\\m\\a.ogg"};
    mml.accepts = {"C:\\m\\b.mml"};
    mp3.accepts = {"C:\\m\\c.mp3"};
    ogg.length = 60;
    const std::pair<std::int32_t, Calls> cases[] = {
        {0, {"ogg.Pause", "ogg.Start"}},
        {1, {"mml.Halt", "mml.Resume"}},
        {2, {"mp3.Pause", "mp3.Restart"}},
    };
    for (const auto& [row, calls] : cases) {
        ASSERT_TRUE(PlayRow(row));
        log.Take();
        EXPECT_FALSE(control.TogglePause());
        EXPECT_FALSE(list.playing);
        EXPECT_TRUE(control.TogglePause());
        EXPECT_TRUE(list.playing);
        EXPECT_EQ(log.Take(), calls);
    }
}

TEST_F(PlaybackControlTest, TheTimedWatcherAdvancesAndPostsOnceAfterTheDelay) {
    SetRows({"C:\\m\\a.ogg", "C:\\m\\b.ogg"});
    ogg.accepts = {"C:\\m\\a.ogg", "C:\\m\\b.ogg"};
    ogg.length = 1;
    ASSERT_TRUE(Play());
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(messenger.Count(), 0u);
    ASSERT_TRUE(messenger.WaitForCount(1, 3000));
    const test::RecordedMessage posted = messenger.Messages()[0];
    EXPECT_EQ(posted.window, kWindow);
    EXPECT_EQ(posted.message, MSG_PLAY_CURRENT);
    EXPECT_EQ(posted.wParam, 0u);
    EXPECT_EQ(posted.lParam, 0);
    EXPECT_FALSE(posted.sent);
    EXPECT_EQ(list.GetCurrentIndex(), 1);  // advanced before the message

    // Paused, the delay still runs out.
    ogg.length = 0;
    ASSERT_TRUE(Play());
    control.TogglePause();
    ASSERT_TRUE(messenger.WaitForCount(2, 3000));
    EXPECT_EQ(list.GetCurrentIndex(), 0);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(messenger.Count(), 2u);
}

TEST_F(PlaybackControlTest, AStoppedOrReplacedPlaybackNeverReportsItsEnd) {
    SetRows({"C:\\m\\a.ogg", "C:\\m\\b.mp3", "C:\\m\\c.wav"});
    ogg.accepts = {"C:\\m\\a.ogg"};
    mp3.accepts = {"C:\\m\\b.mp3"};
    media.accepts = {"C:\\m\\c.wav"};
    ogg.length = 1;

    ASSERT_TRUE(PlayRow(0));
    control.Stop();
    ASSERT_TRUE(PlayRow(0));
    ASSERT_TRUE(PlayRow(1));  // replaces the Ogg playback while its watcher waits
    ASSERT_TRUE(PlayRow(0));
    ASSERT_TRUE(PlayRow(2));
    control.Stop();  // the media watcher is waiting for completion
    media.Complete();
    ASSERT_TRUE(PlayRow(1));
    control.Stop();
    mp3.FireEnd();  // a late end from the MP3 engine's thread
    std::this_thread::sleep_for(1300ms);
    EXPECT_EQ(messenger.Count(), 0u);
    EXPECT_EQ(list.GetCurrentIndex(), 1);

    // The same engines report the end of a playback that is still current, once.
    ASSERT_TRUE(PlayRow(1));
    mp3.FireEnd();
    mp3.FireEnd();
    ASSERT_TRUE(PlayRow(2));  // completed is still set: the media watcher reports at once
    ASSERT_TRUE(messenger.WaitForCount(2));
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(messenger.Count(), 2u);
}

TEST_F(PlaybackControlTest, AnUnknownOggLengthWaitsForTheStreamToPlayOut) {
    SetRows({"C:\\m\\a.ogg", "C:\\m\\b.ogg"});
    ogg.accepts = {"C:\\m\\a.ogg"};
    ogg.length = -1;
    ASSERT_TRUE(Play());
    EXPECT_EQ(control.EndOfTrackDelayMs(), -1);
    std::this_thread::sleep_for(150ms);
    EXPECT_EQ(messenger.Count(), 0u);
    ogg.finished = true;
    EXPECT_TRUE(messenger.WaitForCount(1, 2000));
}

TEST_F(PlaybackControlTest, TheFlacAndOpusEngineComesRightAfterMp3AndPlaysLikeTheOggPlayer) {
    test::FakeStream flacOpus{log, "flac"};
    PlaybackControl six{list, files, messenger, {&mp3, &media, &mml, &ogg, &smf, &flacOpus}};
    SetRows({"C:\\m\\a.flac", "C:\\m\\b.wav", "C:\\m\\c.opus"});
    flacOpus.accepts = {"C:\\m\\a.flac", "C:\\m\\c.opus"};
    media.accepts = {"C:\\m\\a.flac", "C:\\m\\b.wav"};
    flacOpus.length = 1;
    list.SelectIndex(0);
    ASSERT_TRUE(six.Play(kWindow, MSG_PLAY_CURRENT, 80));
    EXPECT_EQ(six.GetEngineKind(), ENGINE_FLAC_OPUS);
    EXPECT_EQ(six.EndOfTrackDelayMs(), 1000);
    EXPECT_EQ(log.Take(), (Calls{"mp3.Open C:\\m\\a.flac", "flac.Open C:\\m\\a.flac",
                                 "flac.SetGain 80%", "flac.Start"}));
    EXPECT_FALSE(six.TogglePause());
    EXPECT_TRUE(six.TogglePause());
    six.SetVolume(30);
    EXPECT_EQ(log.Take(), (Calls{"flac.Pause", "flac.Start", "flac.SetGain 30%"}));
    ASSERT_TRUE(messenger.WaitForCount(1, 3000));  // the length drives the watcher
    EXPECT_EQ(list.GetCurrentIndex(), 1);

    // Any other content goes on to the engines it reached before.
    ASSERT_TRUE(six.Play(kWindow, MSG_PLAY_CURRENT, 100));
    EXPECT_EQ(six.GetEngineKind(), ENGINE_MEDIA);
    EXPECT_EQ(log.Take(), (Calls{"flac.Close", "mp3.Open C:\\m\\b.wav", "flac.Open C:\\m\\b.wav",
                                 "media.Open C:\\m\\b.wav", "media.SetVolume 0", "media.Play"}));

    // An unknown length waits for the stream to play out.
    flacOpus.length = -1;
    list.SelectIndex(2);
    ASSERT_TRUE(six.Play(kWindow, MSG_PLAY_CURRENT, 100));
    EXPECT_EQ(six.EndOfTrackDelayMs(), -1);
    flacOpus.finished = true;
    EXPECT_TRUE(messenger.WaitForCount(2, 2000));
    six.Stop();
    EXPECT_EQ(log.Take().back(), "flac.Close");
}

TEST_F(PlaybackControlTest, StartNextAtSeeksTheNamedTrackOnceInsideItsLength) {
    SetRows({"C:\\m\\a.ogg", "C:\\m\\b.mp3", "C:\\m\\c.wav", "C:\\m\\d.mml"});
    ogg.accepts = {"C:\\m\\a.ogg"};
    mp3.accepts = {"C:\\m\\b.mp3"};
    media.accepts = {"C:\\m\\c.wav"};
    mml.accepts = {"C:\\m\\d.mml"};
    ogg.length = 10;
    struct Case {
        std::int32_t row;
        std::string named;  // the path given to StartNextAt
        std::int64_t ms;
        std::string seek;  // the seek expected ("" none)
        std::int64_t delayMs;
    } cases[] = {
        {0, "C:\\m\\a.ogg", 4000, "ogg.SeekMs 4000", 6000},  // the watcher waits for the rest
        {0, "C:\\m\\a.ogg", 10000, "", 10000},               // at the end: from the start
        {0, "C:\\m\\b.mp3", 4000, "", 10000},                // another track
        {1, "C:\\m\\b.mp3", 4000, "mp3.SeekMs 4000", 0},
        {2, "C:\\m\\c.wav", 4000, "media.SeekMs 4000", 0},
        {3, "C:\\m\\d.mml", 4000, "", 120000},  // songs start from the beginning
        {0, "C:\\m\\a.ogg", 0, "", 10000},
    };
    for (const Case& c : cases) {
        control.StartNextAt(c.named, c.ms);
        ASSERT_TRUE(PlayRow(c.row)) << c.row;
        const Calls calls = log.Take();
        const auto seek = std::find_if(calls.begin(), calls.end(), [](const std::string& call) {
            return call.find(".SeekMs") != std::string::npos;
        });
        EXPECT_EQ(seek == calls.end() ? "" : *seek, c.seek)
            << c.row << " " << c.named << " " << c.ms;
        if (seek != calls.end()) {  // before the sound starts
            EXPECT_TRUE(calls.back().ends_with("Start") || calls.back().ends_with("Play"));
        }
        if (c.delayMs > 0) {  // the timed watchers (not the media engine's or the MP3 end)
            EXPECT_EQ(control.EndOfTrackDelayMs(), c.delayMs) << c.row;
        }
    }
    // Used up by the first start, whichever track it was.
    control.StartNextAt("C:\\m\\b.mp3", 4000);
    ASSERT_TRUE(PlayRow(0));
    ASSERT_TRUE(PlayRow(1));
    for (const std::string& call : log.Take())
        EXPECT_EQ(call.find(".SeekMs"), std::string::npos) << call;
}

TEST_F(PlaybackControlTest, PlayUntilStartedGivesUpWhenNoRowStarts) {
    SetRows({"C:\\m\\a.ogg", "C:\\m\\b.ogg", "C:\\m\\c.ogg", "C:\\m\\d.ogg"});
    EXPECT_FALSE(control.PlayUntilStarted(kWindow, MSG_PLAY_CURRENT, 100));
    const Calls calls = log.Take();
    EXPECT_LE(std::count_if(calls.begin(), calls.end(),
                            [](const std::string& call) { return call.starts_with("ogg.Open"); }),
              5);
    for (const PlaylistItem& row : list.Items())
        EXPECT_TRUE(row.unplayable);
    EXPECT_EQ(list.ItemCount(), 4);
    EXPECT_EQ(control.GetEngineKind(), ENGINE_NONE);
    EXPECT_FALSE(control.IsPlaying());

    SetRows({"C:\\m\\a.ogg", "C:\\m\\b.ogg", "C:\\m\\c.ogg"});
    ogg.accepts = {"C:\\m\\c.ogg"};
    ogg.length = 60;
    EXPECT_TRUE(control.PlayUntilStarted(kWindow, MSG_PLAY_CURRENT, 100));
    EXPECT_EQ(list.GetCurrentIndex(), 2);
}

TEST_F(PlaybackControlTest, StopClosesTheEngineItStartedWhateverTheListSays) {
    SetRows({"C:\\m\\a.ogg", "C:\\m\\b.ogg"});
    ogg.accepts = {"C:\\m\\a.ogg", "C:\\m\\b.ogg"};
    ogg.length = 60;
    ASSERT_TRUE(Play());
    // A finished load copies the staging list's stale playback fields over the live list.
    list.engineKind = ENGINE_MEDIA;
    list.playing = false;
    log.Take();
    ASSERT_TRUE(PlayRow(1));
    EXPECT_EQ(log.Take().front(), "ogg.Close");
    list.engineKind = ENGINE_NONE;
    control.Stop();
    EXPECT_EQ(log.Take(), (Calls{"ogg.Close"}));
}

TEST_F(PlaybackControlTest, SmfConversionSwapsInTheConvertedFile) {
    const std::string converted = "C:\\player\\Harrowgladeforte.exe.mid";
    SetRows({"C:\\m\\x.mid"});
    media.accepts = {"C:\\m\\x.mid", converted};
    list.smfConversionFile = "C:\\cfg\\smf.cfg";
    smf.result = -1;
    ASSERT_TRUE(Play(50));
    EXPECT_EQ(control.GetEngineKind(), ENGINE_MEDIA_CONVERTED_MIDI);
    EXPECT_EQ(
        log.Take(),
        (Calls{"mp3.Open C:\\m\\x.mid", "media.Open C:\\m\\x.mid",
               "smf.Convert C:\\m\\x.mid -> " + converted + " with C:\\cfg\\smf.cfg", "media.Close",
               "media.Open " + converted, "media.SetVolume -5000", "media.Play"}));
    EXPECT_FALSE(control.TogglePause());  // the converted file pauses like any media file
    EXPECT_EQ(log.Take(), (Calls{"media.Pause"}));

    // The converted file does not open: the item itself plays.
    media.accepts = {"C:\\m\\x.mid"};
    ASSERT_TRUE(Play());
    EXPECT_EQ(control.GetEngineKind(), ENGINE_MEDIA);

    smf.result = 0;
    ASSERT_TRUE(Play());
    EXPECT_EQ(control.GetEngineKind(), ENGINE_MEDIA);
    list.smfConversionFile.clear();
    log.Take();
    ASSERT_TRUE(Play());
    for (const std::string& call : log.Take())
        EXPECT_FALSE(call.starts_with("smf.")) << call;
}

}  // namespace
}  // namespace hgf
