// The DirectSound wrappers against stand-in DirectSound objects: buffer descriptions, the
// two lock regions, lost buffers recreated through the device's restore hook while the player
// streams on, and the library's messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "output/Error.h"
#include "output/MMLPlay.h"
#include "output/SynthesizerSource.h"
#include "win32/DirectSound.h"
#include "win32/LoadedLibraries.h"

namespace tonwerkel {
namespace {

// A DirectSound buffer in memory. `failNext` makes the next call answer with that result.
class FakeBuffer : public IDirectSoundBuffer {
  public:
    FakeBuffer(const DSBUFFERDESC& d, std::vector<FakeBuffer*>& all)
        : flags(d.dwFlags), memory(d.dwBufferBytes), size(d.dwSize) {
        if (d.lpwfxFormat) format = *d.lpwfxFormat;
        all.push_back(this);
    }

    STDMETHOD(QueryInterface)(REFIID, void**) override { return E_NOINTERFACE; }
    STDMETHOD_(ULONG, AddRef)() override { return ++references; }
    STDMETHOD_(ULONG, Release)() override { return --references; }  // kept for inspection
    STDMETHOD(GetCaps)(LPDSBCAPS) override { return Answer(); }
    STDMETHOD(GetCurrentPosition)(LPDWORD play, LPDWORD write) override {
        if (HRESULT r = Answer()) return r;
        *play = cursor;
        if (write) *write = cursor;
        return DS_OK;
    }
    STDMETHOD(GetFormat)(LPWAVEFORMATEX, DWORD, LPDWORD) override { return Answer(); }
    STDMETHOD(GetVolume)(LPLONG v) override {
        if (HRESULT r = Answer()) return r;
        *v = volume;
        return DS_OK;
    }
    STDMETHOD(GetPan)(LPLONG) override { return Answer(); }
    STDMETHOD(GetFrequency)(LPDWORD) override { return Answer(); }
    STDMETHOD(GetStatus)(LPDWORD status) override {
        if (HRESULT r = Answer()) return r;
        *status = playing ? DSBSTATUS_PLAYING | DSBSTATUS_LOOPING : 0;
        return DS_OK;
    }
    STDMETHOD(Initialize)(LPDIRECTSOUND, LPCDSBUFFERDESC) override { return Answer(); }
    STDMETHOD(Lock)
    (DWORD offset, DWORD bytes, LPVOID* p1, LPDWORD n1, LPVOID* p2, LPDWORD n2, DWORD) override {
        if (HRESULT r = Answer()) return r;
        const DWORD first = std::min<DWORD>(bytes, static_cast<DWORD>(memory.size()) - offset);
        *p1 = memory.data() + offset;
        *n1 = first;
        *p2 = bytes > first ? memory.data() : nullptr;
        *n2 = bytes - first;
        return DS_OK;
    }
    STDMETHOD(Play)(DWORD, DWORD, DWORD f) override {
        if (HRESULT r = Answer()) return r;
        playing = (f & DSBPLAY_LOOPING) != 0;
        return DS_OK;
    }
    STDMETHOD(SetCurrentPosition)(DWORD p) override {
        if (HRESULT r = Answer()) return r;
        cursor = p;
        return DS_OK;
    }
    STDMETHOD(SetFormat)(LPCWAVEFORMATEX) override { return Answer(); }
    STDMETHOD(SetVolume)(LONG v) override {
        if (HRESULT r = Answer()) return r;
        volume = v;
        return DS_OK;
    }
    STDMETHOD(SetPan)(LONG) override { return Answer(); }
    STDMETHOD(SetFrequency)(DWORD) override { return Answer(); }
    STDMETHOD(Stop)() override {
        if (HRESULT r = Answer()) return r;
        playing = false;
        return DS_OK;
    }
    STDMETHOD(Unlock)(LPVOID p1, DWORD n1, LPVOID, DWORD n2) override {
        unlocked.push_back({static_cast<uint8_t*>(p1) - memory.data(), n1, n2});
        return Answer();
    }
    STDMETHOD(Restore)() override { return Answer(); }

    HRESULT Answer() {
        ++calls;
        HRESULT r = failNext;
        failNext = DS_OK;
        return r;
    }

    struct Unlocked {
        ptrdiff_t offset;
        DWORD first, second;
    };
    DWORD flags;
    std::vector<uint8_t> memory;
    DWORD size;  // of the description
    WAVEFORMATEX format{};
    ULONG references = 1;
    DWORD cursor = 0;
    LONG volume = 0;
    bool playing = false;
    HRESULT failNext = DS_OK;
    int calls = 0;
    std::vector<Unlocked> unlocked;
};

class FakeSound : public IDirectSound {
  public:
    STDMETHOD(QueryInterface)(REFIID, void**) override { return E_NOINTERFACE; }
    STDMETHOD_(ULONG, AddRef)() override { return ++references; }
    STDMETHOD_(ULONG, Release)() override { return --references; }
    STDMETHOD(CreateSoundBuffer)(LPCDSBUFFERDESC d, LPLPDIRECTSOUNDBUFFER out, IUnknown*) override {
        if (failCreate) return DSERR_OUTOFMEMORY;
        buffers.push_back(std::make_unique<FakeBuffer>(*d, created));
        if (newBuffersLost) buffers.back()->failNext = DSERR_BUFFERLOST;
        *out = buffers.back().get();
        return DS_OK;
    }
    STDMETHOD(GetCaps)(LPDSCAPS) override { return DS_OK; }
    STDMETHOD(DuplicateSoundBuffer)(LPDIRECTSOUNDBUFFER, LPLPDIRECTSOUNDBUFFER) override {
        return DSERR_UNSUPPORTED;
    }
    STDMETHOD(SetCooperativeLevel)(HWND, DWORD) override { return DS_OK; }
    STDMETHOD(Compact)() override { return DS_OK; }
    STDMETHOD(GetSpeakerConfig)(LPDWORD) override { return DS_OK; }
    STDMETHOD(SetSpeakerConfig)(DWORD) override { return DS_OK; }
    STDMETHOD(Initialize)(LPCGUID) override { return DS_OK; }

    ULONG references = 1;
    bool failCreate = false;
    bool newBuffersLost = false;
    std::vector<std::unique_ptr<FakeBuffer>> buffers;  // owned here, outliving the wrappers
    std::vector<FakeBuffer*> created;                  // in creation order
};

std::string Message(const std::function<void()>& call) {
    try {
        call();
    } catch (const Error& e) {
        return e.what();
    }
    return "(nothing thrown)";
}

TEST(DirectSoundWrappers, StreamBuffersCarryTheOutputFormatAndFocus) {
    FakeSound sound;
    {
        TDirectSound2 device(&sound);
        device.globalFocus = true;
        auto global = device.CreateStreamBuffer(kBgmBufferBytes);
        device.globalFocus = false;
        device.stickyFocus = true;
        auto sticky = device.CreateStreamBuffer(kEffectBufferBytes);
        ASSERT_EQ(sound.created.size(), 2u);
        const FakeBuffer& g = *sound.created[0];
        EXPECT_EQ(g.flags, 0xE0u | 0x8000u | 0x08u);
        EXPECT_EQ(g.memory.size(), 176384u);
        EXPECT_EQ(g.size, sizeof(DSBUFFERDESC1));
        EXPECT_EQ(g.format.wFormatTag, WAVE_FORMAT_PCM);
        EXPECT_EQ(g.format.nChannels, 1);
        EXPECT_EQ(g.format.nSamplesPerSec, 22050u);
        EXPECT_EQ(g.format.nAvgBytesPerSec, 44100u);
        EXPECT_EQ(g.format.nBlockAlign, 2);
        EXPECT_EQ(g.format.wBitsPerSample, 16);
        EXPECT_EQ(sound.created[1]->flags, 0xE0u | 0x4000u | 0x08u);
        EXPECT_EQ(sound.created[1]->memory.size(), 88192u);
    }
    // Every buffer and the device were released.
    EXPECT_EQ(sound.created[0]->references, 0u);
    EXPECT_EQ(sound.created[1]->references, 0u);
    EXPECT_EQ(sound.references, 0u);
}

TEST(DirectSoundWrappers, WriteFillsOneOrBothLockRegions) {
    FakeSound sound;
    TDirectSound2 device(&sound);
    auto buffer = device.CreateStreamBuffer(kEffectBufferBytes);
    FakeBuffer& fake = *sound.created[0];
    std::vector<uint8_t> block(kBlockBytes);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<uint8_t>(i * 7);
    const uint32_t offset = kEffectBufferBytes - 1000;
    EXPECT_EQ(buffer->Write(offset, block.data(), kBlockBytes, true), kBlockBytes);
    EXPECT_EQ(std::memcmp(fake.memory.data() + offset, block.data(), 1000), 0);
    EXPECT_EQ(std::memcmp(fake.memory.data(), block.data() + 1000, kBlockBytes - 1000), 0);
    // Without wrapping only the first region is filled and reported.
    std::fill(fake.memory.begin(), fake.memory.end(), uint8_t{0});
    EXPECT_EQ(buffer->Write(offset, block.data(), kBlockBytes, false), 1000u);
    EXPECT_EQ(fake.memory[0], 0);
    EXPECT_EQ(fake.unlocked.back().first, 1000u);
    EXPECT_EQ(fake.unlocked.back().second, 0u);
    // A failed lock writes nothing.
    fake.failNext = DSERR_INVALIDCALL;
    EXPECT_EQ(buffer->Write(0, block.data(), kBlockBytes, true), 0u);
}

// A buffer reported lost makes the device recreate both stream buffers through the player's
// hook; the song and the effect go on from their write offsets in the new buffers, with their
// volumes.
TEST(DirectSoundWrappers, LostBuffersAreRecreatedWhileThePlayerStreams) {
    FakeSound sound;
    TDirectSound2 device(&sound);
    device.globalFocus = true;
    {
        TMMLPlay2 player(false, MakeSynthesizerSource());
        player.SetDevice(&device);
        ASSERT_EQ(sound.created.size(), 2u);
        player.SetBGMVolume(-300);
        player.SetSoundVolume(-400);
        const uint8_t song[] = "4:l8 o4 cdefgab";
        player.LoadBGMFromMem(song, sizeof song - 1);
        const uint8_t effects[] = "SOUND:@1,200\nTONE1:200,0,200,1\nVOL1:15,0,0,1";
        player.LoadSoundFromMem(effects, sizeof effects - 1);
        ASSERT_TRUE(player.PlayBGM());  // 6 blocks: write offset 33072
        ASSERT_TRUE(player.PlaySound(1));
        FakeBuffer* oldSong = sound.created[0];

        oldSong->cursor = 3 * kBlockBytes;
        oldSong->failNext = DSERR_BUFFERLOST;
        player.Store(1);
        ASSERT_EQ(sound.created.size(), 4u);
        EXPECT_EQ(sound.created[0]->references, 0u);  // released
        EXPECT_EQ(sound.created[1]->references, 0u);
        FakeBuffer& song2 = *sound.created[2];
        FakeBuffer& effect2 = *sound.created[3];
        EXPECT_EQ(song2.memory.size(), kBgmBufferBytes);
        EXPECT_EQ(effect2.memory.size(), kEffectBufferBytes);
        EXPECT_EQ(song2.flags, 0xE0u | 0x8000u | 0x08u);
        EXPECT_EQ(song2.volume, -300);
        EXPECT_EQ(effect2.volume, -400);
        EXPECT_TRUE(song2.playing);
        EXPECT_TRUE(effect2.playing);

        song2.cursor = 3 * kBlockBytes;
        EXPECT_GT(player.Store(1), 0);
        ASSERT_FALSE(song2.unlocked.empty());
        EXPECT_EQ(song2.unlocked.front().offset, 33072);

        // A loss reported while restoring does not restore again.
        int restores = 0;
        device.SetRestoreHook([&] {
            ++restores;
            sound.newBuffersLost = true;  // their first call answers "lost"
            player.RecreateStreamBuffers();
            sound.newBuffersLost = false;
        });
        effect2.cursor = 1000;
        effect2.failNext = DSERR_BUFFERLOST;
        player.Store(1);
        EXPECT_EQ(restores, 1);
        EXPECT_EQ(sound.created.size(), 6u);
    }
}

TEST(DirectSoundWrappers, FailuresCarryTheLibrarysMessages) {
    FakeSound sound;
    TDirectSound2 device(&sound);
    sound.failCreate = true;
    EXPECT_EQ(Message([&] { device.CreateStreamBuffer(100); }),
              "サウンドバッファ を作成できません");
    sound.failCreate = false;

    DSBUFFERDESC1 description{};
    description.dwSize = sizeof description;
    description.dwBufferBytes = 100;
    TDirectSoundBuffer buffer(device, description, nullptr);
    void *first, *second;
    DWORD firstBytes, secondBytes;
    sound.created.back()->failNext = DSERR_INVALIDPARAM;
    EXPECT_EQ(Message([&] { buffer.Lock(0, 10, first, firstBytes, second, secondBytes); }),
              "サウンドバッファ をロックできません");
    EXPECT_EQ(buffer.LastResult(), DSERR_INVALIDPARAM);

    // A device whose restore cannot create its buffers leaves them without an interface.
    sound.failCreate = true;
    EXPECT_THROW(buffer.Recreate(), Error);
    EXPECT_EQ(Message([&] { buffer.Stop(); }), "IDirectSoundBuffer は作成されていません");

    EXPECT_EQ(Message([] { Libraries().Function("tonwerkel-missing.dll", "Nothing"); }),
              "tonwerkel-missing.dll を読み込めません");
    EXPECT_EQ(Message([] { Libraries().Function("KERNEL32.dll", "NoSuchFunction"); }),
              "KERNEL32.dll を読み込めません");
    // "DirectSound を初期化できません" needs a missing sound device: see the exports' test
    // without sound.
}

}  // namespace
}  // namespace tonwerkel
