// The MP3 engine in the playback control: the library calls it makes and their order,
// its callback context, the player without the library, a whole list played through the
// real library, and the title reader over the library's tags.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

#include "CoreIds.h"
#include "FakeClock.h"
#include "FakeEngines.h"
#include "FakeWaveOutput.h"
#include "LinkedVbmp3.h"
#include "MemoryFileSystem.h"
#include "Mp3TestFiles.h"
#include "RecordingMessenger.h"
#include "Vbmp3Platform.h"
#include "engines/PlaybackControl.h"
#include "engines/TitleReader.h"
#include "engines/Vbmp3Engine.h"
#include "platform/CodePage932.h"

namespace hgf {
namespace {

using namespace std::chrono_literals;
using Calls = std::vector<std::string>;

const WindowHandle kWindow = reinterpret_cast<WindowHandle>(0x1234);

// Library functions that record their calls; `open` accepts the paths in `accepted`.
test::CallLog calls;
std::set<std::string> accepted;
std::atomic<VBMP3_CALLBACK> registered{nullptr};

struct Recording {
    static int32_t VBMP3_CALL Init() { return Log("init"); }
    static int32_t VBMP3_CALL Open(const char* path, VBMP3_INPUT_INFO*) {
        Log(std::string("open ") + path);
        return accepted.count(path) ? 1 : 0;
    }
    static int32_t VBMP3_CALL Callback(VBMP3_CALLBACK callback) {
        registered = callback;
        return Log("callback");
    }
    static int32_t VBMP3_CALL SetSoftVolume(int32_t left, int32_t right) {
        return Log("setSoftVolume " + std::to_string(left) + " " + std::to_string(right));
    }
    static int32_t VBMP3_CALL Reload() { return Log("reload"); }
    static int32_t VBMP3_CALL Play() { return Log("play"); }
    static int32_t VBMP3_CALL Pause() { return Log("pause"); }
    static int32_t VBMP3_CALL Restart() { return Log("restart"); }
    static int32_t VBMP3_CALL Close() { return Log("close"); }
    static int32_t VBMP3_CALL StopCallback() { return Log("stopCallback"); }
    static int32_t VBMP3_CALL Free() { return Log("free"); }
    static int32_t VBMP3_CALL GetFileTagInfo(const char*, VBMP3_TAG_INFO*) { return 0; }
    static int32_t Log(std::string call) {
        calls.Add(std::move(call));
        return 1;
    }
};
const Vbmp3Functions kRecording = {Recording::Init,
                                   Recording::Open,
                                   Recording::Callback,
                                   Recording::SetSoftVolume,
                                   Recording::Reload,
                                   Recording::Play,
                                   Recording::Pause,
                                   Recording::Restart,
                                   Recording::Close,
                                   Recording::StopCallback,
                                   Recording::Free,
                                   Recording::GetFileTagInfo,
                                   nullptr,
                                   nullptr};

class Vbmp3EngineTest : public ::testing::Test {
  protected:
    Vbmp3EngineTest() {
        list.SetPlayMode(PLAY_MODE_LIST_ORDER);
        accepted.clear();
        registered = nullptr;
        calls.Take();
    }

    void SetRows(std::initializer_list<std::string> paths) {
        std::deque<PlaylistItem> rows;
        for (const std::string& path : paths) {
            files.AddFile(path);
            PlaylistItem row;
            row.path = row.title = path;
            rows.push_back(row);
        }
        list.ReplaceItems(std::move(rows));
        list.SelectIndex(0);
    }
    bool PlayRow(std::int32_t index, std::uint8_t volume = 100) {
        list.SelectIndex(index);
        return control.Play(kWindow, MSG_PLAY_CURRENT, volume);
    }
    // The library's thread reports the end of the file.
    static void LibraryEnds(int32_t code = VBMP3_END_OF_FILE) {
        std::thread([code] {
            if (VBMP3_CALLBACK callback = registered.load()) callback(code, 0);
        }).join();
    }

    test::MemoryFileSystem files;
    test::RecordingMessenger messenger;
    test::FakeClock clock;
    Playlist list{PlaylistServices{files, messenger, clock, {}}};
    Vbmp3Engine engine{[] { return &kRecording; }};
    PlaybackControl control{list, files, messenger, {.mp3 = &engine}};
};

TEST_F(Vbmp3EngineTest, CallsTheLibraryInItsOrder) {
    SetRows({"C:\\m\\a.mp3", "C:\\m\\b.mp3", "C:\\m\\c.wav"});
    accepted = {"C:\\m\\a.mp3", "C:\\m\\b.mp3"};
    ASSERT_TRUE(PlayRow(0, 80));
    EXPECT_EQ(calls.Take(), (Calls{"init", "open C:\\m\\a.mp3", "callback", "setSoftVolume 80 80",
                                   "reload", "play"}));
    EXPECT_EQ(control.GetEngineKind(), ENGINE_MP3);
    control.SetVolume(30);
    control.SetVolume(101);
    control.TogglePause();
    control.TogglePause();
    EXPECT_EQ(calls.Take(), (Calls{"setSoftVolume 30 30", "reload", "pause", "restart"}));

    // Volume 150: nothing about the volume before play.
    ASSERT_TRUE(PlayRow(1, 150));
    EXPECT_EQ(calls.Take(), (Calls{"close", "stopCallback", "free", "init", "open C:\\m\\b.mp3",
                                   "callback", "play"}));
    control.Stop();
    EXPECT_EQ(calls.Take(), (Calls{"close", "stopCallback", "free"}));

    // A refused file is freed at once, and the row is marked when no engine takes it.
    EXPECT_FALSE(PlayRow(2));
    EXPECT_EQ(calls.Take(), (Calls{"init", "open C:\\m\\c.wav", "free"}));
    EXPECT_TRUE(list.GetItem(2).unplayable);
}

TEST_F(Vbmp3EngineTest, TheEndCallbackAdvancesOnlyWhileArmed) {
    SetRows({"C:\\m\\a.mp3", "C:\\m\\b.mp3", "C:\\m\\c.mp3"});
    accepted = {"C:\\m\\a.mp3", "C:\\m\\b.mp3", "C:\\m\\c.mp3"};
    ASSERT_TRUE(PlayRow(0));
    ASSERT_NE(registered.load(), nullptr);
    LibraryEnds(3);  // other codes mean nothing
    EXPECT_EQ(messenger.Count(), 0u);
    LibraryEnds();
    ASSERT_EQ(messenger.Count(), 1u);
    EXPECT_EQ(messenger.Messages()[0].window, kWindow);
    EXPECT_EQ(messenger.Messages()[0].message, MSG_PLAY_CURRENT);
    EXPECT_FALSE(messenger.Messages()[0].sent);
    EXPECT_EQ(list.GetCurrentIndex(), 1);

    // Disarmed by code -2 nothing happens; -1 arms again.
    ASSERT_TRUE(PlayRow(1));
    LibraryEnds(-2);
    LibraryEnds();
    EXPECT_EQ(messenger.Count(), 1u);
    LibraryEnds(-1);
    LibraryEnds();
    EXPECT_EQ(messenger.Count(), 2u);
    EXPECT_EQ(list.GetCurrentIndex(), 2);

    // Stop, then a late end from the library: nothing is advanced or posted.
    ASSERT_TRUE(PlayRow(2));
    control.Stop();
    LibraryEnds();
    LibraryEnds(-1);
    LibraryEnds();
    EXPECT_EQ(messenger.Count(), 2u);
    EXPECT_EQ(list.GetCurrentIndex(), 2);
}

TEST_F(Vbmp3EngineTest, WithoutTheLibraryMp3FilesGoToTheNextEngine) {
    SetRows({"C:\\m\\a.mp3"});
    Vbmp3Engine absent{[] { return static_cast<const Vbmp3Functions*>(nullptr); }};
    test::CallLog mediaCalls;
    test::FakeMedia media{mediaCalls};
    media.accepts = {"C:\\m\\a.mp3"};
    PlaybackControl withoutLibrary{list, files, messenger, {.mp3 = &absent, .media = &media}};
    ASSERT_TRUE(withoutLibrary.Play(kWindow, MSG_PLAY_CURRENT, 100));
    EXPECT_EQ(withoutLibrary.GetEngineKind(), ENGINE_MEDIA);
    withoutLibrary.Stop();
    EXPECT_EQ(mediaCalls.Take().front(), "media.Open C:\\m\\a.mp3");
    absent.Close();  // nothing was opened: nothing to close
    EXPECT_TRUE(calls.Take().empty());
}

// The real library, with a device that plays at once.
class Vbmp3PlaybackTest : public ::testing::Test {
  protected:
    Vbmp3PlaybackTest() {
        vbmp3::InstallPlatform({&files, &output, &CodePage932FromUtf16});
        list.SetPlayMode(PLAY_MODE_LIST_ORDER);
        output.SetAutoComplete(true);
    }
    ~Vbmp3PlaybackTest() override {
        control.Stop();
        vbmp3::InstallPlatform({});
    }

    test::MemoryFileSystem files;
    test::FakeWaveOutput output;
    test::RecordingMessenger messenger;
    test::FakeClock clock;
    Playlist list{PlaylistServices{files, messenger, clock, {}}};
    Vbmp3Engine engine{test::LinkedVbmp3()};
    test::CallLog mediaCalls;
    test::FakeMedia media{mediaCalls};
    PlaybackControl control{list, files, messenger, {.mp3 = &engine, .media = &media}};
};

TEST_F(Vbmp3PlaybackTest, AListPlaysThroughAndEachEndStartsTheNextRow) {
    std::optional<std::string> silence = test::BuiltMp3("silence-mono-22050.mp3");
    std::optional<std::string> tone = test::BuiltMp3("tone-mono-22050.mp3");
    if (!silence || !tone) GTEST_SKIP() << "no MP3 files were built";
    files.AddFile("C:\\m\\1.mp3", *silence);
    files.AddFile("C:\\m\\2.mp3", *tone);
    files.AddFile("C:\\m\\3.wma", *tone);  // an MP3 in disguise: the media engine's
    std::deque<PlaylistItem> rows(3);
    rows[0].path = "C:\\m\\1.mp3";
    rows[1].path = "C:\\m\\2.mp3";
    rows[2].path = "C:\\m\\3.wma";
    list.ReplaceItems(rows);
    list.SelectIndex(0);

    // Play, and answer each end-of-track message as the main window does.
    ASSERT_TRUE(control.Play(kWindow, MSG_PLAY_CURRENT, 100));
    EXPECT_EQ(control.GetEngineKind(), ENGINE_MP3);
    ASSERT_TRUE(messenger.WaitForCount(1));
    EXPECT_EQ(list.GetCurrentIndex(), 1);
    ASSERT_TRUE(control.Play(kWindow, MSG_PLAY_CURRENT, 40));
    ASSERT_TRUE(messenger.WaitForCount(2));
    EXPECT_EQ(list.GetCurrentIndex(), 2);
    EXPECT_EQ(output.Opens(), 2);
    EXPECT_FALSE(control.Play(kWindow, MSG_PLAY_CURRENT, 100));
    EXPECT_EQ(mediaCalls.Take(), Calls{"media.Open C:\\m\\3.wma"});
    EXPECT_EQ(output.Opens(), 2);  // the .wma never reached the library

    std::vector<std::int16_t> expected = test::DecodeMp3Reference(*silence).samples;
    for (std::int16_t sample : test::DecodeMp3Reference(*tone).samples)
        expected.push_back(static_cast<std::int16_t>(sample * 40 / 100));
    EXPECT_EQ(output.Samples(), expected);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(messenger.Count(), 2u);
}

TEST_F(Vbmp3PlaybackTest, TheTitleReaderReplacesTaggedTitlesAndKeepsTheOthers) {
    const std::string audio = test::SilentFrames(4);
    const std::string tagged = test::Id3v2Tag({{"TIT2", test::TextBody(0, "Tagged song")}}) + audio;
    const std::string oldTagged = audio + test::Id3v1Tag("Old song");
    const std::string emptyTitle = test::Id3v2Tag({{"TPE1", test::TextBody(0, "Someone")}}) + audio;
    const std::vector<std::pair<std::string, std::string>> files_ = {
        {"C:\\m\\tagged.mp3", tagged},
        {"C:\\m\\v1.mp3", oldTagged},
        {"C:\\m\\plain.mp3", audio},
        {"C:\\m\\empty.mp3", emptyTitle},
        {"C:\\m\\song.mml", "1 cde\r\n"}};
    std::deque<PlaylistItem> rows;
    PlaylistItem heading;
    heading.isFolder = 1;
    heading.path = "C:\\m";
    heading.title = "m";
    rows.push_back(heading);
    for (const auto& [path, bytes] : files_) {
        files.AddFile(path, bytes);
        PlaylistItem row;
        row.path = path;
        row.title = path.substr(5);
        rows.push_back(row);
    }
    PlaylistItem missing;
    missing.path = "C:\\m\\missing.mp3";
    missing.title = "missing.mp3";
    rows.push_back(missing);
    list.ReplaceItems(rows);

    std::atomic<int> changes{0};
    TitleReader reader(
        [](const std::string& path, std::string& title) {
            return ReadTagTitle(test::LinkedVbmp3Functions(), path, title);
        },
        [&] { ++changes; });
    reader.Start(list);
    reader.Wait();
    std::vector<std::string> titles;
    for (const PlaylistItem& row : list.Items())
        titles.push_back(row.title);
    EXPECT_EQ(titles, (std::vector<std::string>{"m", "Tagged song", "Old song", "plain.mp3",
                                                "empty.mp3", "song.mml", "missing.mp3"}));
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(files.OpenFileCount(), 0);
}

}  // namespace
}  // namespace hgf
