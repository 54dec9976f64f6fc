// The player in host-driven mode: every block is written inside PlayBGM, ResumeBGM, PlaySound
// and Store, so the stream bookkeeping can be followed call by call.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "FakeOutput.h"
#include "output/SynthesizerSource.h"

namespace tonwerkel {
namespace {

using Access = TMMLPlay2TestAccess;

struct Rig {
    explicit Rig(std::map<int, int> effects = {}, FileReader reader = ReadWholeFile) {
        auto scripted = std::make_unique<ScriptedSource>(std::move(effects));
        source = scripted.get();
        player = std::make_unique<TMMLPlay2>(false, std::move(scripted), std::move(reader));
        player->SetDevice(&device);
    }
    void LoadSong(char tag) {
        const uint8_t text[] = {static_cast<uint8_t>(tag)};
        ASSERT_TRUE(player->LoadBGMFromMem(text, 1));
    }

    FakeStreamDevice device;
    ScriptedSource* source;
    std::unique_ptr<TMMLPlay2> player;
};

std::vector<std::string> Kinds(const std::vector<FakeStreamBuffer::Event>& events) {
    std::vector<std::string> kinds;
    for (auto& e : events)
        kinds.push_back(e.what);
    return kinds;
}

TEST(HostDriven, PlayBgmRewindsWritesFourBlocksAheadThenStoresTwo) {
    Rig rig;
    rig.LoadSong('A');
    ASSERT_TRUE(rig.player->PlayBGM());
    auto events = rig.device.bgm->Events();
    ASSERT_EQ(Kinds(events), (std::vector<std::string>{"position", "write", "write", "write",
                                                       "write", "play", "write", "write"}));
    EXPECT_EQ(events[0].offset, 0u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(events[1 + i].offset, i * kBlockBytes);
    // The buffer starts with the write offset at four blocks; Store(2) then adds two more.
    EXPECT_EQ(events[6].offset, 22048u);
    EXPECT_EQ(Access::BgmWrite(*rig.player), 33072u);
    EXPECT_EQ(BlockMarks(rig.device.bgm->Written()),
              (std::vector<int16_t>{
                  ScriptedSource::SongSample('A', 0), ScriptedSource::SongSample('A', 1),
                  ScriptedSource::SongSample('A', 2), ScriptedSource::SongSample('A', 3),
                  ScriptedSource::SongSample('A', 4), ScriptedSource::SongSample('A', 5)}));

    // A second PlayBGM neither restarts nor writes.
    rig.device.bgm->ClearEvents();
    EXPECT_FALSE(rig.player->PlayBGM());
    EXPECT_TRUE(rig.device.bgm->Events().empty());
    EXPECT_EQ(rig.source->songResets, 1);
}

TEST(HostDriven, StoreWritesUntilTheFreeSpaceIsOneBlockOrLess) {
    Rig rig;
    rig.LoadSong('A');
    rig.player->PlayBGM();
    EXPECT_EQ(rig.player->Store(0), 0);
    EXPECT_EQ(rig.player->Store(-3), 0);

    // Cursor 100000, write offset 120000: 176384 - 20000 = 156384 bytes free.
    rig.device.bgm->SetCursor(100000);
    Access::BgmWrite(*rig.player) = 120000;
    Access::BgmFree(*rig.player) = 156384;
    EXPECT_EQ(FreeSpace(100000, 120000, kBgmBufferBytes), 156384u);
    rig.device.bgm->ClearEvents();
    EXPECT_EQ(rig.player->Store(100), 28);  // 156384 - 28 * 5512 = 2048 <= 5512
    EXPECT_EQ(Access::BgmWrite(*rig.player), (120000 + 28 * kBlockBytes) % kBgmBufferBytes);
    EXPECT_EQ(FreeSpace(100000, Access::BgmWrite(*rig.player), kBgmBufferBytes), 2048u);
    // The block that crossed the buffer end was split over both regions.
    auto events = rig.device.bgm->Events();
    EXPECT_EQ(events[10].offset, 120000u + 10 * kBlockBytes);
    EXPECT_EQ(events[10].bytes, kBlockBytes);

    EXPECT_EQ(rig.player->Store(100), 0);  // full
    rig.device.bgm->SetCursor(100000 + 3 * kBlockBytes);
    EXPECT_EQ(rig.player->Store(1), 1);  // at most `count` blocks
    EXPECT_EQ(rig.player->Store(100), 2);
}

TEST(HostDriven, UnderrunStopsTheSongUntilTheBufferIsFullAgain) {
    Rig rig;
    rig.LoadSong('A');
    rig.player->PlayBGM();
    rig.player->Store(100);  // cursor 0: fills until one block or less is free
    const uint32_t write = Access::BgmWrite(*rig.player);
    ASSERT_LE(FreeSpace(0, write, kBgmBufferBytes), kBlockBytes);
    // Another look with the cursor far along: the free space only grew.
    rig.device.bgm->SetCursor(100000);
    rig.player->Store(1);
    EXPECT_TRUE(rig.device.bgm->IsPlaying());

    // The cursor overtakes the write offset: the free space drops from large to small.
    const uint32_t now = Access::BgmWrite(*rig.player);
    rig.device.bgm->SetCursor(now + 1000);
    rig.device.bgm->ClearEvents();
    EXPECT_EQ(rig.player->Store(1), 1);
    EXPECT_EQ(Kinds(rig.device.bgm->Events()), (std::vector<std::string>{"stop", "write"}));
    EXPECT_FALSE(rig.device.bgm->IsPlaying());

    // Refilled block by block while it stays stopped; it plays again once full.
    rig.player->Store(29);
    EXPECT_FALSE(rig.device.bgm->IsPlaying());
    rig.player->Store(100);
    EXPECT_TRUE(rig.device.bgm->IsPlaying());
    EXPECT_LE(FreeSpace(now + 1000, Access::BgmWrite(*rig.player), kBgmBufferBytes), kBlockBytes);
}

TEST(HostDriven, StopAndResumeContinueTheSongWhereItWas) {
    Rig rig;
    rig.LoadSong('A');
    rig.player->PlayBGM();  // blocks 0-5
    EXPECT_TRUE(rig.player->StopBGM());
    EXPECT_FALSE(rig.device.bgm->IsPlaying());
    EXPECT_TRUE(rig.player->StopBGM());  // harmless when stopped
    EXPECT_EQ(rig.player->Store(5), 0);  // nothing plays

    rig.device.bgm->ClearEvents();
    EXPECT_TRUE(rig.player->ResumeBGM());
    auto events = rig.device.bgm->Events();
    EXPECT_EQ(Kinds(events), (std::vector<std::string>{"play", "write", "write"}));
    EXPECT_EQ(events[1].offset, 33072u);  // no rewind
    EXPECT_EQ(BlockMarks(rig.device.bgm->Written()),
              (std::vector<int16_t>{ScriptedSource::SongSample('A', 6),
                                    ScriptedSource::SongSample('A', 7)}));
    EXPECT_FALSE(rig.player->ResumeBGM());  // already playing
    EXPECT_EQ(rig.source->songResets, 1);
}

TEST(HostDriven, ANewSongStartsFromItsBeginning) {
    Rig rig;
    // Never played: ResumeBGM starts the song.
    rig.LoadSong('A');
    EXPECT_TRUE(rig.player->ResumeBGM());
    EXPECT_EQ(rig.source->songResets, 1);

    // Stop, load, resume: the new song from its first block.
    rig.player->StopBGM();
    rig.LoadSong('B');
    rig.device.bgm->ClearEvents();
    EXPECT_TRUE(rig.player->ResumeBGM());
    EXPECT_EQ(rig.device.bgm->Events().front().what, "position");
    EXPECT_EQ(BlockMarks(rig.device.bgm->Written()).front(), ScriptedSource::SongSample('B', 0));

    // Loading while the song plays restarts at once with the new song.
    rig.device.bgm->ClearEvents();
    rig.LoadSong('C');
    EXPECT_TRUE(rig.device.bgm->IsPlaying());
    auto kinds = Kinds(rig.device.bgm->Events());
    EXPECT_EQ(kinds[0], "stop");
    EXPECT_EQ(kinds[1], "position");
    EXPECT_EQ(BlockMarks(rig.device.bgm->Written()).front(), ScriptedSource::SongSample('C', 0));
    // ... and a later resume does not restart it again.
    rig.player->StopBGM();
    EXPECT_TRUE(rig.player->ResumeBGM());
    EXPECT_EQ(rig.source->songResets, 3);
}

TEST(HostDriven, FailedLockWritesTheSameBlockAgainLater) {
    Rig rig;
    rig.LoadSong('A');
    rig.player->PlayBGM();
    rig.device.bgm->SetCursor(5 * kBlockBytes);
    rig.device.bgm->ClearEvents();
    rig.device.bgm->FailNextWrites(1);
    EXPECT_EQ(rig.player->Store(3), 0);  // the lock failed: nothing written, offset stays
    EXPECT_EQ(Access::BgmWrite(*rig.player), 33072u);
    EXPECT_EQ(rig.player->Store(1), 1);
    EXPECT_EQ(BlockMarks(rig.device.bgm->Written()),
              (std::vector<int16_t>{ScriptedSource::SongSample('A', 6)}));
}

TEST(HostDriven, EffectStopsOnceTheCursorPassesItsEndMark) {
    Rig rig(Effects{{3, 2}, {5, 20}});
    EXPECT_FALSE(rig.player->PlaySound(64));
    EXPECT_FALSE(rig.player->PlaySound(-1));
    EXPECT_FALSE(rig.player->PlaySound(4));  // nothing to play: the stream stays untouched
    EXPECT_TRUE(rig.device.effect->Events().empty());

    // Sound 3 ends within its second block: end mark after that block.
    ASSERT_TRUE(rig.player->PlaySound(3));
    EXPECT_EQ(Kinds(rig.device.effect->Events()),
              (std::vector<std::string>{"position", "write", "write", "write", "write", "play"}));
    EXPECT_EQ(Access::EffectEndMark(*rig.player), 11024);
    EXPECT_EQ(BlockMarks(rig.device.effect->Written()),
              (std::vector<int16_t>{ScriptedSource::EffectSample(3, 0),
                                    ScriptedSource::EffectSample(3, 1), 0, 0}));

    rig.device.effect->SetCursor(6000);  // before the mark: keeps feeding silence
    EXPECT_EQ(rig.player->Store(100), 13);
    EXPECT_TRUE(Access::EffectActive(*rig.player));
    rig.device.effect->SetCursor(12000);  // passed it
    EXPECT_EQ(rig.player->Store(100), 0);
    EXPECT_FALSE(Access::EffectActive(*rig.player));
    EXPECT_FALSE(rig.device.effect->IsPlaying());
    EXPECT_EQ(Access::EffectState(*rig.player), kStreamIdle);

    // A long effect is fed as the cursor moves and wraps; StopSound ends it.
    ASSERT_TRUE(rig.player->PlaySound(5));
    EXPECT_EQ(Access::EffectEndMark(*rig.player), -1);
    rig.device.effect->SetCursor(80000);
    EXPECT_EQ(rig.player->Store(100), 10);
    rig.device.effect->SetCursor(20000);  // wrapped
    EXPECT_GT(rig.player->Store(100), 0);
    EXPECT_TRUE(rig.player->StopSound());
    EXPECT_FALSE(rig.device.effect->IsPlaying());
    EXPECT_EQ(rig.player->Store(100), 0);
}

TEST(HostDriven, EndMarkIsFoundWhenTheCursorWrapsPastIt) {
    Rig rig(Effects{{1, 40}});
    ASSERT_TRUE(rig.player->PlaySound(1));
    auto look = [&](uint32_t last, int32_t mark, uint32_t cursor) {
        Access::EffectLast(*rig.player) = last;
        Access::EffectEndMark(*rig.player) = mark;
        rig.device.effect->SetCursor(cursor);
        rig.player->Store(1);
        return !Access::EffectActive(*rig.player);
    };
    EXPECT_FALSE(look(80000, 10000, 5000));   // wrapped, mark still ahead
    EXPECT_FALSE(look(80000, 10000, 85000));  // not wrapped, mark ahead after the wrap
    EXPECT_TRUE(look(80000, 10000, 12000));   // wrapped past the mark
    ASSERT_TRUE(rig.player->PlaySound(1));
    EXPECT_TRUE(look(80000, 85000, 1000));  // the mark lay between the last look and the end
    ASSERT_TRUE(rig.player->PlaySound(1));
    EXPECT_TRUE(look(1000, 1000, 1000));  // exactly at the mark
}

TEST(HostDriven, VolumesAreClampedToTheAttenuationRange) {
    Rig rig;
    EXPECT_TRUE(rig.player->SetBGMVolume(500));
    EXPECT_EQ(rig.player->GetBGMVolume(), 0);
    EXPECT_TRUE(rig.player->SetBGMVolume(-20000));
    EXPECT_EQ(rig.player->GetBGMVolume(), -10000);
    EXPECT_TRUE(rig.player->SetBGMVolume(-1234));
    EXPECT_EQ(rig.device.bgm->Volume(), -1234);
    EXPECT_TRUE(rig.player->SetSoundVolume(1));
    EXPECT_EQ(rig.player->GetSoundVolume(), 0);
    EXPECT_TRUE(rig.player->SetSoundVolume(-10001));
    EXPECT_EQ(rig.device.effect->Volume(), -10000);
}

TEST(HostDriven, LoadChoosesByExtensionIgnoringCase) {
    std::vector<std::string> read;
    Rig rig({}, [&](const char* path, std::vector<uint8_t>& bytes) {
        read.push_back(path);
        bytes = {'S'};
        return std::string(path).find("missing") == std::string::npos;
    });
    EXPECT_TRUE(rig.player->Load("C:\\songs\\tune.mml"));
    EXPECT_EQ(rig.source->songLoads, 1);
    EXPECT_TRUE(rig.player->Load("C:\\fx\\SOUNDS.Dat"));
    EXPECT_EQ(rig.source->effectLoads, 1);
    for (const char* other :
         {"C:\\songs\\tune.txt", "C:\\songs\\tune", "C:\\x.mml\\tune", "tune.mml2", "tune.mm"}) {
        EXPECT_FALSE(rig.player->Load(other)) << other;
    }
    EXPECT_EQ(read.size(), 2u);  // other extensions never open the file
    // A file that cannot be read keeps the previous song.
    EXPECT_FALSE(rig.player->Load("missing.MML"));
    EXPECT_EQ(rig.source->songLoads, 1);
    EXPECT_FALSE(rig.player->Load(nullptr));
}

TEST(HostDriven, LoadingEffectsEndsAPlayingEffect) {
    Rig rig(Effects{{2, 30}});
    ASSERT_TRUE(rig.player->PlaySound(2));
    const uint8_t text[] = "SOUND:@2,60";
    EXPECT_TRUE(rig.player->LoadSoundFromMem(text, sizeof text - 1));
    EXPECT_FALSE(Access::EffectActive(*rig.player));
    EXPECT_FALSE(rig.device.effect->IsPlaying());
    EXPECT_EQ(rig.source->effectLoads, 1);
    EXPECT_FALSE(rig.player->LoadSoundFromMem(nullptr, 4));
    EXPECT_TRUE(rig.player->LoadSoundFromMem(nullptr, 0));
}

TEST(HostDriven, LostBuffersAreRecreatedAndTheStreamsGoOn) {
    Rig rig(Effects{{1, 40}});
    rig.LoadSong('A');
    rig.player->SetBGMVolume(-500);
    rig.player->SetSoundVolume(-700);
    rig.player->PlayBGM();
    rig.player->PlaySound(1);
    const uint32_t write = Access::BgmWrite(*rig.player);
    rig.device.Restore();
    EXPECT_EQ(rig.device.bgm->Volume(), -500);
    EXPECT_EQ(rig.device.effect->Volume(), -700);
    EXPECT_TRUE(rig.device.bgm->IsPlaying());
    EXPECT_TRUE(rig.device.effect->IsPlaying());
    rig.device.bgm->ClearEvents();
    rig.device.bgm->SetCursor(5 * kBlockBytes);
    EXPECT_GT(rig.player->Store(1), 0);
    EXPECT_EQ(rig.device.bgm->Events().front().offset, write);
}

// The samples of a 16-bit WAV file written by tonwerkel-render, as bytes.
std::vector<uint8_t> GoldenSamples(const std::string& name) {
    std::vector<uint8_t> file;
    EXPECT_TRUE(
        ReadWholeFile((std::string(HGF_TEST_DATA_DIR) + "/mmlsynth/" + name).c_str(), file));
    for (size_t at = 12; at + 8 <= file.size();) {
        uint32_t size;
        std::memcpy(&size, &file[at + 4], 4);
        if (std::memcmp(&file[at], "data", 4) == 0) {
            return {file.begin() + at + 8, file.begin() + at + 8 + size};
        }
        at += 8 + size;
    }
    ADD_FAILURE() << "no samples in " << name;
    return {};
}

// Both buffers receive exactly what tonwerkel-render writes for the same song and effect.
TEST(HostDriven, BuffersReceiveTheRenderersGoldenSamples) {
    FakeStreamDevice device;
    TMMLPlay2 player(false, MakeSynthesizerSource());
    player.SetDevice(&device);
    const std::string dir = HGF_TEST_DATA_DIR "/mmlsynth/";
    ASSERT_TRUE(player.Load((dir + "fm_motion.mml").c_str()));
    ASSERT_TRUE(player.Load((dir + "effects.dat").c_str()));
    const auto song = GoldenSamples("fm_motion.wav");
    const auto laser = GoldenSamples("fx_laser.wav");
    ASSERT_EQ(song.size() % kBlockBytes, 0u);

    ASSERT_TRUE(player.PlayBGM());
    ASSERT_TRUE(player.PlaySound(10));
    for (uint32_t step = 1; device.bgm->Written().size() < song.size(); ++step) {
        ASSERT_LT(step, 100u);
        device.bgm->SetCursor(step * kBlockBytes % kBgmBufferBytes);
        device.effect->SetCursor(step * kBlockBytes % kEffectBufferBytes);
        player.Store(2);
    }
    auto written = device.bgm->Written();
    written.resize(song.size());
    EXPECT_TRUE(written == song);
    // The effect's blocks up to the one in which it ends, then silence.
    auto effect = device.effect->Written();
    ASSERT_GT(effect.size(), laser.size());
    EXPECT_TRUE(std::equal(laser.begin(), laser.end(), effect.begin()));
    EXPECT_TRUE(
        std::all_of(effect.begin() + laser.size(), effect.end(), [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(Access::EffectEndMark(player), static_cast<int32_t>(laser.size()));
}

// The player's operations keep their slots after the thread wrapper's two: termination hook
// (0), body (1), SetDevice (2) ... Store (17). With the Itanium C++ ABI a pointer to a virtual
// member holds 1 + its byte offset in the virtual table.
template <typename Member>
ptrdiff_t Slot(Member member) {
    static_assert(sizeof member == 2 * sizeof(ptrdiff_t));
    ptrdiff_t raw[2];
    std::memcpy(raw, &member, sizeof raw);
    return (raw[0] - 1) / static_cast<ptrdiff_t>(sizeof(void*));
}

TEST(HostDriven, PlayerOperationsKeepTheirSlotOrder) {
    using T = TMMLPlayTemplate;
    EXPECT_EQ(Slot(&T::SetDevice), 2);
    EXPECT_EQ(Slot(&T::SetBGMVolume), 3);
    EXPECT_EQ(Slot(&T::SetSoundVolume), 4);
    EXPECT_EQ(Slot(&T::GetBGMVolume), 5);
    EXPECT_EQ(Slot(&T::GetSoundVolume), 6);
    EXPECT_EQ(Slot(&T::Load), 7);
    EXPECT_EQ(Slot(&T::LoadBGM), 8);
    EXPECT_EQ(Slot(&T::LoadSound), 9);
    EXPECT_EQ(Slot(&T::LoadBGMFromMem), 10);
    EXPECT_EQ(Slot(&T::LoadSoundFromMem), 11);
    EXPECT_EQ(Slot(&T::PlayBGM), 12);
    EXPECT_EQ(Slot(&T::StopBGM), 13);
    EXPECT_EQ(Slot(&T::ResumeBGM), 14);
    EXPECT_EQ(Slot(&T::PlaySound), 15);
    EXPECT_EQ(Slot(&T::StopSound), 16);
    EXPECT_EQ(Slot(&T::Store), 17);
}

}  // namespace
}  // namespace tonwerkel
