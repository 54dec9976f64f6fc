// The player in threaded mode: the output thread feeds both streams, raises its priority
// while catching up, hands streams back through the stop handshake and suspends itself when
// nothing plays.
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "FakeOutput.h"

namespace tonwerkel {
namespace {

using Access = TMMLPlay2TestAccess;

struct ThreadedRig {
    explicit ThreadedRig(std::map<int, int> effects = {}) {
        auto scripted = std::make_unique<ScriptedSource>(std::move(effects));
        source = scripted.get();
        player = std::make_unique<TMMLPlay2>(true, std::move(scripted));
        player->SetDevice(&device);
        const uint8_t text[] = {'A'};
        player->LoadBGMFromMem(text, 1);
    }

    FakeStreamDevice device;
    ScriptedSource* source;
    std::unique_ptr<TMMLPlay2> player;
};

// Polls `done` for up to five seconds.
bool WaitUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 500; ++i) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
}

// Whether `count` stays unchanged for a while: the thread has stopped looking.
bool StaysStill(const std::function<int()>& count) {
    const int before = count();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    return count() == before;
}

TEST(OutputThread, FillsTheSongBufferRaisingItsPriorityWhileFarBehind) {
    ThreadedRig rig;
    std::vector<bool> raised;
    rig.device.bgm->OnWrite([&] { raised.push_back(rig.player->RaisedPriority()); });
    EXPECT_EQ(rig.player->Store(4), 0);  // Store belongs to host-driven mode
    ASSERT_TRUE(rig.player->PlayBGM());
    // Cursor at 0: four blocks ahead, then the thread writes until 5512 bytes or less are
    // free, above normal priority while more than 22048 bytes were free.
    ASSERT_TRUE(WaitUntil([&] { return rig.device.bgm->Writes() == 31; }));
    EXPECT_TRUE(StaysStill([&] { return rig.device.bgm->Writes(); }));
    ASSERT_EQ(raised.size(), 31u);
    const auto kinds = rig.device.bgm->Events();
    EXPECT_EQ(kinds[5].what, "play");  // after the four blocks written ahead
    for (size_t i = 0; i < raised.size(); ++i) {
        EXPECT_EQ(raised[i], i >= 4 && i < 4 + 24) << "block " << i;
    }
    EXPECT_FALSE(rig.player->RaisedPriority());

    // Playing on: one block per 5512 bytes the cursor moves.
    rig.device.bgm->SetCursor(3 * kBlockBytes);
    ASSERT_TRUE(WaitUntil([&] { return rig.device.bgm->Writes() == 34; }));
    EXPECT_TRUE(StaysStill([&] { return rig.device.bgm->Writes(); }));
    EXPECT_FALSE(rig.player->PlayBGM());
}

TEST(OutputThread, StopHandsTheSongBackAndResumeContinuesIt) {
    ThreadedRig rig;
    ASSERT_TRUE(rig.player->PlayBGM());
    ASSERT_TRUE(WaitUntil([&] { return rig.device.bgm->Writes() == 31; }));
    // Keep the thread busy: every write moves the cursor on by one block.
    std::atomic<uint32_t> cursor{0};
    rig.device.bgm->OnWrite([&] {
        cursor = (cursor + kBlockBytes) % kBgmBufferBytes;
        rig.device.bgm->SetCursor(cursor);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    });
    cursor = kBlockBytes;
    rig.device.bgm->SetCursor(cursor);
    ASSERT_TRUE(WaitUntil([&] { return rig.device.bgm->Writes() > 35; }));
    EXPECT_TRUE(rig.player->StopBGM());
    EXPECT_EQ(Access::BgmState(*rig.player), kStreamIdle);
    EXPECT_FALSE(rig.device.bgm->IsPlaying());
    const int writes = rig.device.bgm->Writes();
    const auto marks = BlockMarks(rig.device.bgm->Written());
    EXPECT_TRUE(StaysStill([&] { return rig.device.bgm->Writes(); }));
    EXPECT_EQ(rig.device.bgm->Writes(), writes);

    rig.device.bgm->OnWrite(nullptr);
    ASSERT_TRUE(rig.player->ResumeBGM());
    EXPECT_TRUE(rig.device.bgm->IsPlaying());
    rig.device.bgm->SetCursor((cursor + 2 * kBlockBytes) % kBgmBufferBytes);
    ASSERT_TRUE(WaitUntil([&] { return rig.device.bgm->Writes() > writes; }));
    const auto after = BlockMarks(rig.device.bgm->Written());
    EXPECT_EQ(after[marks.size()], ScriptedSource::SongSample('A', static_cast<int>(marks.size())));
    EXPECT_EQ(rig.source->songResets, 1);
}

TEST(OutputThread, EffectEndsAtItsMarkAndTheThreadSuspends) {
    ThreadedRig rig(Effects{{7, 2}});
    ASSERT_TRUE(rig.player->PlaySound(7));
    // The thread writes the four blocks ahead, then fills the buffer with silence behind the
    // effect.
    ASSERT_TRUE(WaitUntil([&] { return rig.device.effect->Writes() == 15; }));
    EXPECT_EQ(Access::EffectEndMark(*rig.player), 11024);
    EXPECT_TRUE(rig.device.effect->IsPlaying());
    rig.device.effect->SetCursor(8000);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_TRUE(rig.device.effect->IsPlaying());
    rig.device.effect->SetCursor(12000);
    ASSERT_TRUE(WaitUntil([&] { return !rig.device.effect->IsPlaying(); }));
    ASSERT_TRUE(WaitUntil([&] { return Access::EffectState(*rig.player) == kStreamIdle; }));
    EXPECT_FALSE(Access::EffectActive(*rig.player));
    // Suspended: nobody reads the cursor any more.
    EXPECT_TRUE(StaysStill([&] { return rig.device.effect->CursorReads(); }));

    // PlaySound wakes it again.
    const int reads = rig.device.effect->CursorReads();
    ASSERT_TRUE(rig.player->PlaySound(7));
    ASSERT_TRUE(WaitUntil([&] { return rig.device.effect->CursorReads() > reads; }));
    EXPECT_TRUE(rig.player->StopSound());
    EXPECT_FALSE(rig.device.effect->IsPlaying());
    EXPECT_TRUE(StaysStill([&] { return rig.device.effect->CursorReads(); }));
}

TEST(OutputThread, SongAndEffectPlayTogether) {
    ThreadedRig rig(Effects{{1, 50}});
    ASSERT_TRUE(rig.player->PlayBGM());
    ASSERT_TRUE(rig.player->PlaySound(1));
    // Both cursors advance; both streams keep up.
    for (int step = 1; step <= 40; ++step) {
        rig.device.bgm->SetCursor(step * 2000 % kBgmBufferBytes);
        rig.device.effect->SetCursor(step * 2000 % kEffectBufferBytes);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        if (step == 20) {
            // Loading effects while both play: the effect ends, the song pauses and goes on.
            const uint8_t text[] = "SOUND:@1,10";
            EXPECT_TRUE(rig.player->LoadSoundFromMem(text, sizeof text - 1));
            EXPECT_FALSE(Access::EffectActive(*rig.player));
            EXPECT_TRUE(rig.device.bgm->IsPlaying());
        }
    }
    EXPECT_TRUE(rig.player->StopBGM());
    const auto marks = BlockMarks(rig.device.bgm->Written());
    for (size_t i = 0; i < marks.size(); ++i) {
        ASSERT_EQ(marks[i], ScriptedSource::SongSample('A', static_cast<int>(i)));
    }
    EXPECT_GT(marks.size(), 31u);
    EXPECT_EQ(rig.source->songResets, 1);
}

TEST(OutputThread, EndsCleanlyWhetherNeverStartedSuspendedOrBusy) {
    { ThreadedRig never; }
    {
        ThreadedRig suspended;
        suspended.player->PlayBGM();
        suspended.player->StopBGM();
    }
    {
        ThreadedRig busy;
        busy.player->PlayBGM();
        busy.device.bgm->OnWrite([&] { busy.device.bgm->SetCursor(0); });
    }
    SUCCEED();
}

}  // namespace
}  // namespace tonwerkel
