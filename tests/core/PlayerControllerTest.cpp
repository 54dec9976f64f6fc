// The main window's behaviour without a window: load requests and the busy flag, the
// hand-over of a loaded list, playing with the play history, and the commands. A real
// Playlist loads from an in-memory file system; the window and the playback are fakes
// that record what they were asked to do.
#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

#include "CoreIds.h"
#include "FakeClock.h"
#include "MemoryFileSystem.h"
#include "PlayerController.h"
#include "RecordingMessenger.h"
#include "playlist/PlaylistFiles.h"

namespace hgf {
namespace {

class FakeWindow final : public PlayerWindow {
  public:
    int statusRepaints = 0;
    std::vector<std::string> listTitles;
    std::vector<int> selections;
    int nothingFoundReports = 0;
    std::vector<std::string> saveFailures;  // the paths reported
    int chooserCalls = 0;
    std::string chosenFolder, chosenPlaylist, chosenSaveFile;  // empty: cancelled
    std::function<void()> whileChoosing;  // the messages the window handles meanwhile
    std::function<void()> onAnswerLoader;
    int showHides = 0, defaultPlacements = 0, helpPages = 0, closes = 0;
    int continuationsAsked = 0;

    WindowHandle Handle() override { return reinterpret_cast<WindowHandle>(0x1234); }
    void ShowStatusText() override { ++statusRepaints; }
    void FillList(const Playlist& list) override {
        listTitles.clear();
        for (const PlaylistItem& item : list.Items())
            listTitles.push_back(item.title);
    }
    int ListRowCount() override { return static_cast<int>(listTitles.size()); }
    void SelectListRow(int index) override { selections.push_back(index); }
    void AnswerLoader() override {
        if (onAnswerLoader) onAnswerLoader();
    }
    void ReportNothingFound() override { ++nothingFoundReports; }
    void ReportSaveFailed(const std::string& path) override { saveFailures.push_back(path); }
    bool ChooseFolder(std::string& path) override { return Choose(chosenFolder, path); }
    bool ChoosePlaylistFile(std::string& path) override { return Choose(chosenPlaylist, path); }
    bool ChooseSaveFile(std::string& path) override { return Choose(chosenSaveFile, path); }
    void ShowOrHide() override { ++showHides; }
    void PlaceAtDefaultPosition() override { ++defaultPlacements; }
    void OpenHelpPage() override { ++helpPages; }
    void Close() override { ++closes; }
    void ContinueLater() override { ++continuationsAsked; }

  private:
    bool Choose(const std::string& choice, std::string& path) {
        ++chooserCalls;
        if (whileChoosing) whileChoosing();
        if (choice.empty()) return false;
        path = choice;
        return true;
    }
};

// Plays the current row the way the playback control does: headings and marked rows are
// passed over, a refused row is marked, and the attempts of a pass are bounded; at most
// `attemptsPerCall` of them are made in one call. Like the real one it must never be called
// again while a call runs; `whileNextPlay` stands for the messages that the window receives
// while an engine waits for its device.
class FakePlayback final : public PlayerPlayback {
  public:
    explicit FakePlayback(Playlist& list) : list(list) {}
    Playlist& list;
    std::set<std::string> refused;
    int attemptsPerCall = 1000;
    std::vector<std::string> started;
    std::vector<std::string> tried;  // every row offered to the engines
    std::vector<NotifyTarget> targets;
    std::vector<std::uint8_t> volumes;
    int stops = 0, toggles = 0;
    std::vector<std::string> calls;       // every call, in order
    std::function<void()> whileNextPlay;  // run once inside the next ContinuePass
    int nestedCalls = 0;                  // calls made while another call ran

    PassOutcome ContinuePass(PlayPass& pass, NotifyTarget endOfTrack, std::uint8_t volume,
                             std::chrono::steady_clock::duration) override {
        Call call(*this, "play");
        if (auto inside = std::exchange(whileNextPlay, nullptr)) inside();
        targets.push_back(endOfTrack);
        if (pass.attemptsLeft < 0) pass.attemptsLeft = list.ItemCount() + 1;
        for (int attempt = 0; attempt < attemptsPerCall && pass.attemptsLeft > 0; ++attempt) {
            --pass.attemptsLeft;
            PlaylistItem row = list.GetItem(list.GetCurrentIndex());
            if (row.isFolder || row.unplayable) {
                list.AdvancePlayOrder();
                row = list.GetItem(list.GetCurrentIndex());
            }
            if (row.isFolder || row.unplayable) break;  // nothing left to choose
            tried.push_back(row.path);
            if (!refused.count(row.path)) {
                calls.back() += " " + row.path;
                started.push_back(row.path);
                volumes.push_back(volume);
                list.playing = true;
                return PassOutcome::kStarted;
            }
            list.MarkUnplayable(list.GetCurrentIndex());
        }
        if (pass.attemptsLeft > 0 && list.HasChoosableRow()) return PassOutcome::kUnfinished;
        list.playing = false;
        return PassOutcome::kNothingPlayable;
    }
    void Stop() override {
        Call call(*this, "stop");
        ++stops;
        list.playing = false;
    }
    bool TogglePause() override {
        Call call(*this, "toggle");
        ++toggles;
        return list.playing = !list.playing;
    }
    void SetVolume(std::uint8_t volume) override {
        Call call(*this, "volume " + std::to_string(volume));
        volumes.push_back(volume);
    }

  private:
    struct Call {
        FakePlayback& playback;
        Call(FakePlayback& p, std::string name) : playback(p) {
            if (playback.running) ++playback.nestedCalls;
            playback.running = true;
            playback.calls.push_back(std::move(name));
        }
        ~Call() { playback.running = false; }
    };
    bool running = false;
};

class PlayerControllerTest : public testing::Test {
  protected:
    PlayerControllerTest() {
        fs.AddFile("C:\\Music\\a.ogg");
        fs.AddFile("C:\\Music\\b.ogg");
        fs.AddFile("C:\\Music\\c.ogg");
        fs.AddFolder("C:\\Empty");
        fs.AddFile("C:\\Other\\x.ogg");
        fs.AddFile("C:\\Other\\y.ogg");
    }

    PlaylistServices Services() { return {fs, messenger, clock, ReadPlaylistFile}; }

    // Delivers the loader's completion message as the main window receives it.
    void DeliverListReady() {
        ASSERT_TRUE(messenger.WaitForCount(delivered + 1));
        std::vector<test::RecordedMessage> messages = messenger.Messages();
        ASSERT_EQ(messages.size(), delivered + 1);
        const test::RecordedMessage& ready = messages.back();
        ++delivered;
        EXPECT_EQ(ready.window, window.Handle());
        EXPECT_EQ(ready.message, MSG_LIST_READY);
        EXPECT_TRUE(ready.sent);
        controller.OnListReady(ready.wParam);
    }

    void Load(const std::string& source, const std::string& resume = {}) {
        controller.RequestLoad(source, resume);
        DeliverListReady();
    }

    test::MemoryFileSystem fs;
    test::RecordingMessenger messenger;
    test::FakeClock clock;
    std::size_t delivered = 0;

    std::deque<std::string> playHistory;
    Playlist live{Services()};
    std::uint8_t busy = 0;
    std::string status;
    Settings settings = [] {
        Settings s;
        s.Volume = 80;
        return s;
    }();
    std::deque<std::string>& loadHistory = settings.loadHistory;
    std::string& lastPlayFile = settings.LastPlayFile;
    Playlist staging{Services()};
    FakeWindow window;
    FakePlayback playback{live};
    // The files' tag titles, read slowly enough for a list to change during a run.
    std::map<std::string, std::string> tagTitles;
    std::chrono::milliseconds tagReadTime{0};
    TitleReader titleReader{[this](const std::string& path, std::string& title) {
        std::this_thread::sleep_for(tagReadTime);
        auto found = tagTitles.find(path);
        if (found == tagTitles.end()) return false;
        title = found->second;
        return true;
    }};
    PlayerController controller{
        PlayerController::Parts{playHistory, live, busy, status, settings, staging},
        PlayerController::Services{window, playback, fs, clock, &titleReader}};
};

TEST_F(PlayerControllerTest, LoadHandsTheListOverAndPlaysTheResumedRow) {
    settings.LastPlayPosition = 61000;  // of the file played before; a new start clears it
    controller.RequestLoad("C:\\Music", "C:\\Music\\b.ogg");
    EXPECT_EQ(busy, 1);
    EXPECT_EQ(status, kStatusSearching);
    EXPECT_EQ(window.statusRepaints, 1);
    DeliverListReady();

    EXPECT_EQ(busy, 0);
    EXPECT_EQ(status, "");
    EXPECT_EQ(live.ItemCount(), 4);  // the heading and three files
    EXPECT_EQ(window.listTitles, (std::vector<std::string>{"Music", "a.ogg", "b.ogg", "c.ogg"}));
    EXPECT_EQ(live.SourcePath(), "C:\\Music");
    EXPECT_EQ(loadHistory, std::deque<std::string>{"C:\\Music"});
    EXPECT_EQ(live.GetCurrentIndex(), 2);
    ASSERT_EQ(window.selections.size(), 3u);  // after the hand-over, before and after Play
    EXPECT_EQ(window.selections.back(), 2);
    EXPECT_EQ(playback.started, std::vector<std::string>{"C:\\Music\\b.ogg"});
    EXPECT_EQ(playback.volumes, std::vector<std::uint8_t>{80});
    ASSERT_EQ(playback.targets.size(), 1u);
    EXPECT_EQ(playback.targets[0].window, window.Handle());
    EXPECT_EQ(playback.targets[0].message, MSG_PLAY_CURRENT);
    EXPECT_EQ(lastPlayFile, "C:\\Music\\b.ogg");
    EXPECT_EQ(settings.LastPlayPosition, 0);
    EXPECT_EQ(playHistory, std::deque<std::string>{"C:\\Music\\b.ogg"});

    // A second source goes in front of the first; loading the first again moves it back.
    Load("C:\\Other");
    Load("C:\\Music");
    EXPECT_EQ(loadHistory, (std::deque<std::string>{"C:\\Music", "C:\\Other"}));
    EXPECT_EQ(live.GetPlayMode(), PLAY_MODE_RANDOM);  // carried over from list to list
}

TEST_F(PlayerControllerTest, NothingFoundLeavesTheLiveListAndPlaybackAlone) {
    // No list yet: the status tells that nothing is selected.
    Load("C:\\Empty");
    EXPECT_EQ(busy, 0);
    EXPECT_EQ(status, kStatusNoList);
    EXPECT_EQ(window.nothingFoundReports, 1);
    EXPECT_TRUE(loadHistory.empty());

    Load("C:\\Music", "C:\\Music\\a.ogg");
    std::deque<PlaylistItem> rows = live.Items();
    std::vector<std::string> shown = window.listTitles;

    // An empty folder (found by the worker) and a missing one (answered at once).
    for (const char* source : {"C:\\Empty", "C:\\Gone"}) {
        Load(source);
        EXPECT_EQ(busy, 0);
        EXPECT_EQ(status, "");
        EXPECT_EQ(live.Items(), rows);
        EXPECT_EQ(live.SourcePath(), "C:\\Music");
        EXPECT_EQ(window.listTitles, shown);
        EXPECT_TRUE(live.playing);
        EXPECT_EQ(playback.stops, 0);
        EXPECT_EQ(playback.started.size(), 1u);
        EXPECT_EQ(loadHistory, std::deque<std::string>{"C:\\Music"});
    }
    EXPECT_EQ(window.nothingFoundReports, 3);
}

TEST_F(PlayerControllerTest, WhileLoadingOnlyModesAndWindowCommandsWork) {
    Load("C:\\Music", "C:\\Music\\a.ogg");
    loadHistory.push_back("C:\\Other");
    settings.folderShortcuts[0] = "C:\\Other";
    window.chosenFolder = window.chosenPlaylist = "C:\\Other";
    window.chosenSaveFile = "C:\\saved.m3u";
    controller.RequestLoad("C:\\Other", {});  // its completion is held back
    ASSERT_EQ(busy, 1);
    ASSERT_TRUE(messenger.WaitForCount(delivered + 1));

    for (int command = CMD_FIRST; command <= CMD_LAST; ++command)
        controller.Command(command);
    controller.OnDoubleClick();
    controller.PauseIfPlaying();

    EXPECT_EQ(playback.toggles, 0);
    EXPECT_EQ(playback.started.size(), 1u);
    EXPECT_EQ(window.chooserCalls, 0);
    EXPECT_FALSE(fs.Contents("C:\\saved.m3u"));
    EXPECT_EQ(messenger.Count(), delivered + 1);  // no further load started
    EXPECT_EQ(loadHistory, (std::deque<std::string>{"C:\\Music", "C:\\Other"}));
    EXPECT_EQ(live.GetPlayMode(), PLAY_MODE_REPEAT);  // the last of the three mode commands
    EXPECT_EQ(window.showHides, 1);
    EXPECT_EQ(window.defaultPlacements, 1);
    EXPECT_EQ(window.helpPages, 1);
    EXPECT_EQ(window.closes, 1);

    // Once the list is ready the blocked commands work again; the mode chosen meanwhile
    // outlives the hand-over.
    DeliverListReady();
    EXPECT_EQ(live.SourcePath(), "C:\\Other");
    EXPECT_EQ(live.GetPlayMode(), PLAY_MODE_REPEAT);
    controller.Command(CMD_PLAY_PAUSE);
    controller.OnDoubleClick();
    EXPECT_EQ(playback.toggles, 2);
    controller.Command(CMD_SAVE_PLAYLIST);
    EXPECT_TRUE(fs.Contents("C:\\saved.m3u"));
}

// Drops and paths handed to the program: a folder or a list loads as chosen, a music file
// loads its folder and starts at that file; nothing loads during a load.
TEST_F(PlayerControllerTest, LoadPathTakesFoldersListsAndMusicFiles) {
    fs.AddFile("C:\\Lists\\two.m3u", "C:\\Other\\y.ogg\r\nC:\\Music\\c.ogg\r\n");
    fs.AddFile("C:\\root.ogg");
    EXPECT_EQ(LoadSourceOfPath(fs, "C:\\root.ogg"), (LoadSource{"C:\\", "C:\\root.ogg"}));
    EXPECT_EQ(LoadSourceOfPath(fs, "C:\\Music\\"), (LoadSource{"C:\\Music\\", ""}));
    EXPECT_EQ(LoadSourceOfPath(fs, "C:\\Music\\none.ogg"), std::nullopt);
    live.SetPlayMode(PLAY_MODE_LIST_ORDER);
    struct Case {
        const char* path;
        const char* source;
        const char* started;
    };
    for (const Case& c : {Case{"C:\\Other", "C:\\Other", "C:\\Other\\x.ogg"},
                          Case{"C:\\Lists\\two.m3u", "C:\\Lists\\two.m3u", "C:\\Other\\y.ogg"},
                          Case{"C:\\Music\\c.ogg", "C:\\Music", "C:\\Music\\c.ogg"}}) {
        ASSERT_TRUE(controller.LoadPath(c.path)) << c.path;
        DeliverListReady();
        EXPECT_EQ(live.SourcePath(), c.source);
        EXPECT_EQ(playback.started.back(), c.started);
        EXPECT_EQ(loadHistory.front(), c.source);
    }
    EXPECT_FALSE(controller.LoadPath("C:\\nowhere"));
    controller.RequestLoad("C:\\Other", {});  // its completion is held back
    EXPECT_FALSE(controller.LoadPath("C:\\Lists\\two.m3u"));
    DeliverListReady();
    EXPECT_EQ(messenger.Count(), delivered);  // no other load ran
    EXPECT_EQ(live.SourcePath(), "C:\\Other");

    // A path handed over by another copy during a load waits for it instead.
    controller.RequestLoad("C:\\Other", {});
    controller.OpenPath("C:\\Music\\b.ogg");
    DeliverListReady();
    DeliverListReady();
    EXPECT_EQ(live.SourcePath(), "C:\\Music");
    EXPECT_EQ(playback.started.back(), "C:\\Music\\b.ogg");
}

// The Stop media key: it pauses, and never resumes what is paused or stopped.
TEST_F(PlayerControllerTest, PauseIfPlayingOnlyEverPauses) {
    controller.PauseIfPlaying();  // nothing plays yet
    Load("C:\\Music", "C:\\Music\\a.ogg");
    controller.PauseIfPlaying();
    EXPECT_FALSE(live.playing);
    controller.PauseIfPlaying();
    EXPECT_FALSE(live.playing);
    EXPECT_EQ(playback.toggles, 1);
    controller.Command(CMD_PLAY_PAUSE);
    controller.PauseIfPlaying();
    EXPECT_FALSE(live.playing);
    EXPECT_EQ(playback.toggles, 3);
}

TEST_F(PlayerControllerTest, SkipInRepeatModeMovesOnAndKeepsRepeating) {
    Load("C:\\Music", "C:\\Music\\a.ogg");
    live.SetPlayMode(PLAY_MODE_REPEAT);
    controller.Command(CMD_SKIP);
    EXPECT_EQ(live.GetPlayMode(), PLAY_MODE_REPEAT);
    ASSERT_EQ(playback.started.size(), 2u);
    std::string next = playback.started[1];
    EXPECT_NE(next, "C:\\Music\\a.ogg");  // a random row not yet played in this round

    // The end of that track repeats it (the watcher advances, then the message comes).
    live.AdvancePlayOrder();
    controller.PlayCurrentItem();
    EXPECT_EQ(playback.started.back(), next);
    controller.Command(CMD_REPLAY);
    EXPECT_EQ(playback.started.back(), next);

    // In list order skip takes the next row.
    live.SetPlayMode(PLAY_MODE_LIST_ORDER);
    live.SelectByPath("C:\\Music\\a.ogg");
    controller.Command(CMD_SKIP);
    EXPECT_EQ(playback.started.back(), "C:\\Music\\b.ogg");
    controller.OnMediaNotifySuccessful();
    EXPECT_EQ(playback.started.back(), "C:\\Music\\c.ogg");
}

TEST_F(PlayerControllerTest, HistoryLoadsTakeTheirEntryOut) {
    loadHistory = {"C:\\Gone", "C:\\Music", "C:\\Other"};
    controller.Command(CMD_HISTORY_0);  // fails at once: the entry is gone for good
    DeliverListReady();
    EXPECT_EQ(loadHistory, (std::deque<std::string>{"C:\\Music", "C:\\Other"}));
    EXPECT_EQ(window.nothingFoundReports, 1);

    controller.Command(CMD_HISTORY_0 + 1);  // succeeds: back at the front
    EXPECT_EQ(loadHistory, std::deque<std::string>{"C:\\Music"});
    DeliverListReady();
    EXPECT_EQ(loadHistory, (std::deque<std::string>{"C:\\Other", "C:\\Music"}));
    EXPECT_EQ(live.SourcePath(), "C:\\Other");

    controller.Command(CMD_HISTORY_0 + 2);  // beyond the count: ignored
    controller.Command(CMD_HISTORY_0 + 19);
    EXPECT_EQ(busy, 0);
    EXPECT_EQ(messenger.Count(), delivered);
    EXPECT_EQ(loadHistory.size(), 2u);
}

TEST_F(PlayerControllerTest, LoadCommandsUseTheirSources) {
    settings.folderShortcuts[4] = "C:\\Other";
    controller.Command(CMD_FOLDER_SC_0 + 4);
    DeliverListReady();
    EXPECT_EQ(live.SourcePath(), "C:\\Other");

    controller.Command(CMD_FOLDER_SC_0 + 5);  // never set: nothing playable
    DeliverListReady();
    EXPECT_EQ(window.nothingFoundReports, 1);

    controller.Command(CMD_CHANGE_FOLDER);  // cancelled
    EXPECT_EQ(messenger.Count(), delivered);
    window.chosenFolder = "C:\\Music";
    controller.Command(CMD_CHANGE_FOLDER);
    DeliverListReady();
    EXPECT_EQ(live.SourcePath(), "C:\\Music");

    fs.AddFile("C:\\Lists\\two.m3u", "C:\\Other\\y.ogg\r\nC:\\Music\\c.ogg\r\n");
    window.chosenPlaylist = "C:\\Lists\\two.m3u";
    controller.Command(CMD_LOAD_PLAYLIST);
    DeliverListReady();
    EXPECT_EQ(window.listTitles, (std::vector<std::string>{"y.ogg", "c.ogg"}));
    EXPECT_EQ(loadHistory.front(), "C:\\Lists\\two.m3u");
}

TEST_F(PlayerControllerTest, PreviousWalksBackWhileTheFirstStaysInFront) {
    Load("C:\\Music", "C:\\Music\\a.ogg");
    live.SetPlayMode(PLAY_MODE_LIST_ORDER);
    controller.Command(CMD_SKIP);
    controller.Command(CMD_SKIP);
    ASSERT_EQ(playHistory, (std::deque<std::string>{"C:\\Music\\c.ogg", "C:\\Music\\b.ogg",
                                                    "C:\\Music\\a.ogg"}));

    controller.Command(CMD_PREV_PLAY);
    EXPECT_EQ(playback.started.back(), "C:\\Music\\b.ogg");
    EXPECT_EQ(lastPlayFile, "C:\\Music\\b.ogg");
    controller.Command(CMD_PREV_PLAY);
    EXPECT_EQ(playback.started.back(), "C:\\Music\\a.ogg");
    EXPECT_EQ(playHistory, std::deque<std::string>{"C:\\Music\\c.ogg"});
    controller.Command(CMD_PREV_PLAY);  // one entry left: ignored
    EXPECT_EQ(playback.started.size(), 5u);
}

TEST_F(PlayerControllerTest, PlayHistoryIsBoundedAndFailuresAreNotRecorded) {
    controller.Command(CMD_REPLAY);  // no list yet: nothing to play
    controller.Command(CMD_SKIP);
    EXPECT_TRUE(playback.targets.empty());

    Load("C:\\Music", "C:\\Music\\a.ogg");
    for (int n = 0; n < 120; ++n)
        playHistory.push_back("C:\\old" + std::to_string(n));
    controller.Command(CMD_REPLAY);
    EXPECT_EQ(playHistory.size(), 100u);
    EXPECT_EQ(playHistory.front(), "C:\\Music\\a.ogg");

    // Every file refused: the bounded attempts end, and nothing is recorded.
    playback.refused = {"C:\\Music\\a.ogg", "C:\\Music\\b.ogg", "C:\\Music\\c.ogg"};
    lastPlayFile = "C:\\kept.ogg";
    EXPECT_FALSE(controller.PlayCurrentItem());
    EXPECT_EQ(lastPlayFile, "C:\\kept.ogg");
    EXPECT_EQ(playHistory.front(), "C:\\Music\\a.ogg");
    EXPECT_FALSE(live.playing);
}

TEST_F(PlayerControllerTest, SaveWritesTheLiveListUnlessCancelled) {
    Load("C:\\Other");
    controller.Command(CMD_SAVE_PLAYLIST);  // cancelled
    fs.AddFolder("C:\\Lists");
    window.chosenSaveFile = "C:\\Lists\\out.m3u";
    controller.Command(CMD_SAVE_PLAYLIST);
    std::optional<std::string> written = fs.Contents("C:\\Lists\\out.m3u");
    ASSERT_TRUE(written);
    EXPECT_NE(written->find("C:\\Other\\x.ogg"), std::string::npos);
    EXPECT_NE(written->find("C:\\Other\\y.ogg"), std::string::npos);
    EXPECT_TRUE(window.saveFailures.empty());

    // A save that stops after its file was created is reported with the path; one whose
    // file cannot be created at all stays silent. Neither touches the list or the file.
    const std::deque<PlaylistItem> rows = live.Items();
    fs.FailWritesAfter(10);
    controller.Command(CMD_SAVE_PLAYLIST);
    EXPECT_EQ(window.saveFailures, std::vector<std::string>{"C:\\Lists\\out.m3u"});
    fs.SetReadOnly(true);
    controller.Command(CMD_SAVE_PLAYLIST);
    EXPECT_EQ(window.saveFailures.size(), 1u);
    EXPECT_EQ(fs.Contents("C:\\Lists\\out.m3u"), written);
    EXPECT_EQ(live.Items(), rows);
}

TEST_F(PlayerControllerTest, WithListItemNameTaggedRowsShowTheirTagTitles) {
    tagTitles = {{"C:\\Music\\a.ogg", "First song"}, {"C:\\Music\\c.ogg", "Third song"}};
    Load("C:\\Music");
    titleReader.Wait();
    EXPECT_EQ(live.GetItem(1).title, "a.ogg");  // the option is off

    settings.ListItemName = 1;
    Load("C:\\Music");
    titleReader.Wait();
    std::vector<std::string> titles;
    for (const PlaylistItem& row : live.Items())
        titles.push_back(row.title);
    EXPECT_EQ(titles, (std::vector<std::string>{"Music", "First song", "b.ogg", "Third song"}));
    EXPECT_EQ(live.GetItem(1).path, "C:\\Music\\a.ogg");
}

TEST_F(PlayerControllerTest, TheTitleReaderStopsBeforeTheListIsReplaced) {
    for (char name = 'd'; name <= 'z'; ++name) {
        const std::string path = std::string("C:\\Music\\") + name + ".ogg";
        fs.AddFile(path);
        tagTitles[path] = std::string("Tagged ") + name;
    }
    tagReadTime = std::chrono::milliseconds(5);
    settings.ListItemName = 1;
    Load("C:\\Music");
    // The same folder again with the option off, while the first run is still reading:
    // the rows have the same paths, and none of them may take a tag title any more.
    settings.ListItemName = 0;
    Load("C:\\Music");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    for (const PlaylistItem& row : live.Items()) {
        EXPECT_EQ(row.title.find("Tagged"), std::string::npos) << row.title;
    }

    // Closing stops a run as well.
    settings.ListItemName = 1;
    Load("C:\\Music");
    controller.Stop();
    const std::deque<PlaylistItem> stopped = live.Items();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(live.Items(), stopped);
}

TEST_F(PlayerControllerTest, ALoadThatEndsWhileATrackStartsIsHandedOverAfterIt) {
    // The track starts at the end of the one before, or by the list's right-click skip.
    const std::pair<const char*, std::function<void()>> starts[] = {
        {"end of track",
         [&] {
             live.AdvancePlayOrder();
             EXPECT_TRUE(controller.PlayCurrentItem());
         }},
        {"skip from the list", [&] { controller.SkipFromList(); }},
    };
    for (const auto& [name, start] : starts) {
        SCOPED_TRACE(name);
        playHistory.clear();
        playback.started.clear();
        Load("C:\\Music", "C:\\Music\\a.ogg");
        live.SetPlayMode(PLAY_MODE_LIST_ORDER);
        controller.RequestLoad("C:\\Other", {});
        ASSERT_TRUE(messenger.WaitForCount(delivered + 1));

        // While the next track starts, the loader's completion arrives.
        playback.whileNextPlay = [&] {
            DeliverListReady();
            EXPECT_EQ(busy, 1);  // held back until the track has started
            EXPECT_EQ(live.SourcePath(), "C:\\Music");
        };
        start();

        EXPECT_EQ(playback.nestedCalls, 0);
        ASSERT_EQ(playback.started.size(), 3u);
        EXPECT_EQ(playback.started[1], "C:\\Music\\b.ogg");
        EXPECT_EQ(playback.started[2].rfind("C:\\Other\\", 0), 0u);
        EXPECT_EQ(busy, 0);
        EXPECT_EQ(status, "");
        EXPECT_EQ(live.SourcePath(), "C:\\Other");
        EXPECT_EQ(window.listTitles.front(), "Other");
        EXPECT_EQ(lastPlayFile, playback.started[2]);
        EXPECT_EQ(playHistory, (std::deque<std::string>{playback.started[2], "C:\\Music\\b.ogg",
                                                        "C:\\Music\\a.ogg"}));
    }
}

// The loader's completion as SendMessage delivers it: the worker waits until the window's
// thread has handled the message (or answered it early), and gives up after a while, which
// it never must.
class SentToWindow {
  public:
    struct Waiting {
        int serial;
        std::uintptr_t rows;
    };
    test::RecordingMessenger::Handler Handler() {
        return [this](const test::RecordedMessage& message) -> std::intptr_t {
            std::unique_lock lock(mutex_);
            waiting_ = Waiting{++serial_, message.wParam};
            changed_.notify_all();
            if (!changed_.wait_for(lock, std::chrono::seconds(3), [&] { return !waiting_; }))
                gaveUp_ = true;
            waiting_.reset();
            return 0;
        };
    }
    // The message a worker waits in; nullopt after 5 s.
    std::optional<Waiting> WaitForMessage() {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(5), [&] { return waiting_.has_value(); });
        return waiting_;
    }
    // Answers message `serial` (any message when 0) if it still waits.
    void Answer(int serial = 0) {
        std::lock_guard lock(mutex_);
        if (waiting_ && (serial == 0 || waiting_->serial == serial)) waiting_.reset();
        changed_.notify_all();
    }
    bool GaveUp() {
        std::lock_guard lock(mutex_);
        return gaveUp_;
    }

  private:
    std::mutex mutex_;
    bool gaveUp_ = false;
    std::condition_variable changed_;
    std::optional<Waiting> waiting_;
    int serial_ = 0;
};

TEST_F(PlayerControllerTest, AFolderChosenWhileALoadBeganIsLoadedAfterThatLoad) {
    SentToWindow sent;
    messenger.OnSend(sent.Handler());
    window.onAnswerLoader = [&] { sent.Answer(); };
    // The window's thread handles the message as the window procedure does, then returns.
    auto handleListReady = [&] {
        std::optional<SentToWindow::Waiting> message = sent.WaitForMessage();
        ASSERT_TRUE(message);
        controller.OnListReady(message->rows);
        sent.Answer(message->serial);
    };

    // While the chooser is open a hot key loads a folder shortcut, whose worker then waits
    // for the window's thread with its completion.
    settings.folderShortcuts[0] = "C:\\Other";
    window.chosenFolder = "C:\\Music";
    window.whileChoosing = [&] {
        controller.Command(CMD_FOLDER_SC_0);
        ASSERT_TRUE(sent.WaitForMessage());
    };
    controller.Command(CMD_CHANGE_FOLDER);
    window.whileChoosing = nullptr;
    EXPECT_EQ(busy, 1);
    EXPECT_FALSE(sent.GaveUp()) << "the window's thread waited for a worker that waited for it";

    handleListReady();  // the shortcut's list, then the chosen folder's load starts
    EXPECT_EQ(live.SourcePath(), "C:\\Other");
    EXPECT_EQ(busy, 1);
    handleListReady();
    EXPECT_EQ(busy, 0);
    EXPECT_EQ(live.SourcePath(), "C:\\Music");
    EXPECT_EQ(loadHistory, (std::deque<std::string>{"C:\\Music", "C:\\Other"}));
    EXPECT_FALSE(sent.GaveUp());
    ASSERT_TRUE(messenger.WaitForCount(2));  // both workers are out of `sent`
}

// Rows that no engine plays: Play tries them a few at a time (here two per part), and the
// window handles its messages in between.
TEST_F(PlayerControllerTest, APassOverRowsThatDoNotPlayGoesOnInPartsLikeALoad) {
    for (char name = '1'; name <= '6'; ++name)
        fs.AddFile(std::string("C:\\Bad\\") + name + ".ogg");
    for (bool lastPlays : {true, false}) {
        SCOPED_TRACE(lastPlays ? "the last row plays" : "no row plays");
        playback.refused = {"C:\\Bad\\1.ogg", "C:\\Bad\\2.ogg", "C:\\Bad\\3.ogg", "C:\\Bad\\4.ogg",
                            "C:\\Bad\\5.ogg"};
        if (!lastPlays) playback.refused.insert("C:\\Bad\\6.ogg");
        playback.attemptsPerCall = 2;
        playback.tried.clear();
        lastPlayFile = "C:\\kept.ogg";
        live.SetPlayMode(PLAY_MODE_LIST_ORDER);
        Load("C:\\Bad", "C:\\Bad\\1.ogg");
        EXPECT_EQ(playback.tried, (std::vector<std::string>{"C:\\Bad\\1.ogg", "C:\\Bad\\2.ogg"}));
        EXPECT_EQ(window.continuationsAsked, lastPlays ? 1 : 3);

        // Meanwhile the commands follow the rules of a running load.
        EXPECT_TRUE(controller.IsBusy());
        for (int command : {CMD_SKIP, CMD_PLAY_PAUSE, CMD_FOLDER_SC_0, CMD_EXIT})
            controller.Command(command);
        EXPECT_EQ(playback.tried.size(), 2u);
        EXPECT_EQ(messenger.Count(), delivered);  // no load started
        EXPECT_EQ(window.closes, lastPlays ? 1 : 2);

        for (std::size_t tried : {4u, 6u, 6u}) {  // the last continuation comes too late
            controller.OnContinuePass();
            EXPECT_EQ(playback.tried.size(), tried);
        }
        EXPECT_FALSE(controller.IsBusy());
        EXPECT_EQ(window.continuationsAsked, lastPlays ? 2 : 4);
        EXPECT_EQ(window.selections.back(), live.GetCurrentIndex());
        EXPECT_EQ(lastPlayFile, lastPlays ? "C:\\Bad\\6.ogg" : "C:\\kept.ogg");
        EXPECT_EQ(live.playing, lastPlays);
    }
}

TEST_F(PlayerControllerTest, AHandOverOrAStopEndsAPassUnderWay) {
    for (bool handOver : {true, false}) {
        SCOPED_TRACE(handOver ? "hand-over" : "stop");
        Load("C:\\Music", "C:\\Music\\a.ogg");
        if (handOver) {
            controller.RequestLoad("C:\\Other", {});
            ASSERT_TRUE(messenger.WaitForCount(delivered + 1));
        }
        // The track ends, and the next rows do not play.
        playback.refused = {"C:\\Music\\a.ogg", "C:\\Music\\b.ogg", "C:\\Music\\c.ogg"};
        playback.attemptsPerCall = 1;
        live.AdvancePlayOrder();
        controller.PlayCurrentItem();
        ASSERT_TRUE(controller.IsBusy());

        if (handOver) {
            DeliverListReady();  // the new list plays at once
            EXPECT_EQ(live.SourcePath(), "C:\\Other");
            EXPECT_EQ(playback.started.back().rfind("C:\\Other\\", 0), 0u);
        } else {
            controller.Stop();
            EXPECT_FALSE(live.playing);
        }
        EXPECT_FALSE(controller.IsBusy());
        const std::size_t tried = playback.tried.size();
        controller.OnContinuePass();  // the continuation the ended pass asked for
        EXPECT_EQ(playback.tried.size(), tried);
        playback.refused.clear();
    }
}

}  // namespace
}  // namespace hgf
