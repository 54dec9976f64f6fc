// The playlist model: starting loads, the common end of both workers, selection,
// the copy between the live and the staging list, and the worker's lifetime.
#include <gtest/gtest.h>

#include <atomic>

#include "PlaylistFixture.h"

namespace hgf::test {
namespace {

class PlaylistTest : public PlaylistFixture {
  protected:
    void AddMusic() {
        for (const char* name : {"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"})
            fs.AddFile(std::string("C:\\Music\\") + name);
        fs.AddFile("C:\\Music\\Sub\\f.ogg");
    }
};

TEST_F(PlaylistTest, TrailingSeparatorPassesTheExistenceTests) {
    AddMusic();
    Playlist list(Services());
    EXPECT_EQ(Scan(list, "C:\\Music\\"), 8u);
    EXPECT_EQ(Scan(list, "C:\\Music/"), 8u);
    EXPECT_EQ(Scan(list, "C:\\Music"), 8u);
    // A file named by a path with a trailing separator is still a file: the playlist
    // worker reads it.
    fs.AddFile("C:\\list.m3u");
    reader = [](FileSystem&, const std::string& path, std::deque<PlaylistItem>& items) {
        items.push_back(File(path + ":row"));
        return true;
    };
    Playlist withReader(Services());
    EXPECT_EQ(Load(withReader, Request("C:\\list.m3u\\")), 1u);
    EXPECT_EQ(withReader.GetItem(0).path, "C:\\list.m3u\\:row");
}

TEST_F(PlaylistTest, MissingOrEmptySourceCompletesAtOnceAndKeepsTheRows) {
    Playlist list(Services());
    list.ReplaceItems({File("C:\\keep.mp3")});
    list.SelectIndex(0);
    for (const char* source : {"", "C:\\Nowhere", "C:\\Nowhere\\"}) {
        const std::size_t before = messenger.Count();
        list.StartLoad(Request(source, "C:\\keep.mp3"));
        ASSERT_EQ(messenger.Count(), before + 1) << source;  // already there: no thread
        RecordedMessage message = messenger.Messages().back();
        EXPECT_TRUE(message.sent);
        EXPECT_EQ(message.message, kReadyMessage);
        EXPECT_EQ(message.wParam, 0u);
        EXPECT_EQ(list.ItemCount(), 1);
        EXPECT_EQ(list.SourcePath(), "");
        EXPECT_EQ(list.PlayedCount(), 1);
    }
}

TEST_F(PlaylistTest, LoadStartsANewRoundWithOnlyTheCurrentRowPlayed) {
    AddMusic();
    Playlist list(Services());
    for (PlayMode mode : {PLAY_MODE_LIST_ORDER, PLAY_MODE_RANDOM, PLAY_MODE_REPEAT}) {
        list.SetPlayMode(mode);
        ASSERT_EQ(Scan(list, "C:\\Music"), 8u);
        std::deque<PlaylistItem> items = list.Items();
        int headings = 0, playedFiles = 0;
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (items[i].isFolder) {
                ++headings;
            } else if (items[i].played) {
                ++playedFiles;
                EXPECT_EQ(static_cast<int>(i), list.GetCurrentIndex());
            }
        }
        EXPECT_EQ(playedFiles, 1);
        EXPECT_EQ(list.PlayedCount(), headings + 1);
        EXPECT_EQ(list.GetPlayMode(), mode);
    }
}

TEST_F(PlaylistTest, ResumePathSelectsItsRowAndSelectionIsCaseSensitive) {
    AddMusic();
    Playlist list(Services());
    ASSERT_EQ(Load(list, Request("C:\\Music", "C:\\Music\\Sub\\f.ogg")), 8u);
    EXPECT_EQ(list.GetCurrentIndex(), 7);
    EXPECT_EQ(list.ResumePath(), "C:\\Music\\Sub\\f.ogg");

    list.ReplaceItems({File("C:\\M\\a.mp3"), File("C:\\M\\A.mp3"), File("C:\\M\\b.mp3")});
    EXPECT_EQ(list.SelectByPath("C:\\M\\A.mp3"), 1);
    EXPECT_EQ(list.SelectByPath("C:\\M\\a.mp3"), 0);
    EXPECT_TRUE(list.GetItem(0).played);
    EXPECT_EQ(list.PlayedCount(), 2);
    // Not in the list: the play order chooses (random, so the only unplayed row).
    EXPECT_EQ(list.SelectByPath("C:\\M\\B.MP3"), 2);
}

TEST_F(PlaylistTest, CarriedIndexContinuesInListOrderAfterALoadWithoutResumePath) {
    AddMusic();  // rows: heading, a..e, heading Sub, f
    Playlist live(Services());
    Playlist staging(Services());
    live.SetPlayMode(PLAY_MODE_LIST_ORDER);
    struct Case {
        std::int32_t previous;
        std::int32_t expected;
    };
    for (Case c : {Case{3, 4}, Case{5, 7}, Case{7, 1}}) {
        live.SelectIndex(c.previous);
        staging.CopyContentFrom(live);
        ASSERT_EQ(Load(staging, Request("C:\\Music")), 8u);
        EXPECT_EQ(staging.GetCurrentIndex(), c.expected) << "from " << c.previous;
    }
    live.SelectIndex(20);  // beyond the new list: a random file row
    staging.CopyContentFrom(live);
    ASSERT_EQ(Load(staging, Request("C:\\Music")), 8u);
    EXPECT_FALSE(staging.GetItem(staging.GetCurrentIndex()).isFolder);
}

TEST_F(PlaylistTest, CopyTakesContentButKeepsThePlaybackFields) {
    AddMusic();
    Playlist live(Services());
    Playlist staging(Services());
    live.engineKind = ENGINE_OGG;
    live.playing = true;
    live.mmlPlayTime = 30;
    live.smfConversionFile = "C:\\smf.cfg";
    live.SetPlayMode(PLAY_MODE_REPEAT);

    staging.CopyContentFrom(live);
    LoadRequest request = Request("C:\\Music", "C:\\Music\\c.mp3");
    request.includeSubFolders = 0;
    request.allFiles = 1;
    ASSERT_EQ(Load(staging, request), 6u);
    live.CopyContentFrom(staging);

    EXPECT_EQ(live.Items(), staging.Items());
    EXPECT_EQ(live.GetCurrentIndex(), 3);
    EXPECT_EQ(live.GetPlayMode(), PLAY_MODE_REPEAT);
    EXPECT_EQ(live.PlayedCount(), 2);
    EXPECT_EQ(live.SourcePath(), "C:\\Music");
    EXPECT_EQ(live.ResumePath(), "C:\\Music\\c.mp3");
    EXPECT_EQ(live.IncludeSubFolders(), 0);
    EXPECT_EQ(live.AllFiles(), 1);
    EXPECT_EQ(live.ScanDepth(), -1);
    EXPECT_EQ(live.engineKind, ENGINE_OGG);
    EXPECT_TRUE(live.playing);
    EXPECT_EQ(live.mmlPlayTime, 30);
    EXPECT_EQ(live.smfConversionFile, "C:\\smf.cfg");
    EXPECT_EQ(staging.engineKind, ENGINE_NONE);
    EXPECT_EQ(staging.mmlPlayTime, 120);
}

TEST_F(PlaylistTest, PlaylistFileRowsGoThroughTheReaderOrNowhere) {
    fs.AddFile("C:\\Lists\\x.spl");
    Playlist withoutReader(Services());
    EXPECT_EQ(Load(withoutReader, Request("C:\\Lists\\x.spl")), 0u);

    std::string readPath;
    reader = [&](FileSystem& fileSystem, const std::string& path, std::deque<PlaylistItem>& items) {
        readPath = path;
        EXPECT_EQ(&fileSystem, &fs);
        PlaylistItem stale = File("C:\\b.mp3");
        stale.played = 1;  // flags from elsewhere are reset by the new round
        items.push_back(Heading("C:\\"));
        items.push_back(File("C:\\a.mp3"));
        items.push_back(stale);
        return true;
    };
    Playlist list(Services());
    list.SetPlayMode(PLAY_MODE_LIST_ORDER);
    ASSERT_EQ(Load(list, Request("C:\\Lists\\x.spl", "C:\\b.mp3")), 3u);
    EXPECT_EQ(readPath, "C:\\Lists\\x.spl");
    EXPECT_EQ(list.GetCurrentIndex(), 2);
    EXPECT_FALSE(list.GetItem(1).played);
    EXPECT_EQ(list.PlayedCount(), 2);
}

TEST_F(PlaylistTest, RowAccessIsSafeOutsideTheList) {
    Playlist list(Services());
    list.ReplaceItems({File("C:\\a.mp3"), File("C:\\b.mp3")});
    EXPECT_EQ(list.GetItem(2), PlaylistItem{});
    EXPECT_EQ(list.GetItem(-1), PlaylistItem{});
    list.MarkUnplayable(-3);
    list.MarkUnplayable(2);
    EXPECT_FALSE(list.SetItemTitle(5, "C:\\a.mp3", "x"));
    EXPECT_TRUE(list.HasChoosableRow());
    EXPECT_FALSE(list.SetItemTitle(1, "C:\\a.mp3", "Title of another row"));
    EXPECT_TRUE(list.SetItemTitle(1, "C:\\b.mp3", "Title from tags"));
    EXPECT_EQ(list.GetItem(1).title, "Title from tags");
    list.MarkUnplayable(1);
    list.MarkUnplayable(1);
    list.MarkUnplayable(0);
    EXPECT_FALSE(list.HasChoosableRow());
}

TEST_F(PlaylistTest, NewLoadAndDestructionStopARunningScan) {
    for (int folder = 0; folder < 60; ++folder)
        for (int file = 0; file < 200; ++file)
            fs.AddFile("C:\\Big\\" + std::to_string(folder) + "\\" + std::to_string(file) + ".mp3");
    fs.AddFile("C:\\Small\\one.mp3");
    {
        Playlist list(Services());
        list.StartLoad(Request("C:\\Big"));
        // Superseded at once: the last completion is the small folder's.
        ASSERT_EQ(Load(list, Request("C:\\Small")), 2u);
        EXPECT_EQ(list.GetItem(1).path, "C:\\Small\\one.mp3");
        list.StartLoad(Request("C:\\Big"));
    }  // destroyed while scanning: cancelled and joined
    for (const RecordedMessage& message : messenger.Messages())
        EXPECT_TRUE(message.wParam == 2u || message.wParam == 12061u);
}

TEST_F(PlaylistTest, CompletionHandlerMayCopyTheListWhileTheWorkerWaits) {
    AddMusic();
    Playlist live(Services());
    Playlist staging(Services());
    std::atomic<int> handled{0};
    messenger.OnSend([&](const RecordedMessage& message) -> std::intptr_t {
        if (message.wParam > 0) {
            live.CopyContentFrom(staging);  // as the main window does on MSG_LIST_READY
            live.AdvancePlayOrder();
        }
        ++handled;
        return 0;
    });
    ASSERT_EQ(Load(staging, Request("C:\\Music")), 8u);
    EXPECT_EQ(handled.load(), 1);
    EXPECT_EQ(live.ItemCount(), 8);
    EXPECT_EQ(live.PlayedCount(), 4);
}

}  // namespace
}  // namespace hgf::test
