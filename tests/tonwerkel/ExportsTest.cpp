// The library's exports under Wine with DirectSound on the file device. The test links the
// library's code directly, so it can watch every block that reaches a stream buffer before
// DirectSound mixes it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "Synthesizer.h"
#include "output/MMLPlay.h"
#include "win32/DirectSound.h"
#include "win32/Exports.h"

namespace tonwerkel {
namespace {

constexpr int32_t kTrue = -1;

bool NoSoundDevice() {
    const char* value = std::getenv("HGF_NO_SOUND");
    return value && std::strcmp(value, "1") == 0;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string DataPath(const char* name) {
    return std::string(HGF_TEST_DATA_DIR) + "/tonwerkel/" + name;
}

// The song as the synthesizer renders it from its first block.
std::vector<uint8_t> Reference(const std::vector<uint8_t>& song, size_t blocks) {
    Synthesizer synthesizer;
    synthesizer.LoadSong(song.data(), song.size());
    synthesizer.ResetForPlay();
    std::vector<uint8_t> bytes(blocks * kBlockBytes);
    for (size_t b = 0; b < blocks; ++b) {
        synthesizer.RenderBgmBlock(reinterpret_cast<int16_t*>(bytes.data() + b * kBlockBytes));
    }
    return bytes;
}

// Collects what reaches one stream buffer: offsets and bytes in order.
class Capture {
  public:
    explicit Capture(uint32_t bufferBytes) {
        TDirectSoundBuffer::SetWriteObserver(
            [this, bufferBytes](uint32_t size, uint32_t offset, const void* data, uint32_t n) {
                if (size != bufferBytes) return;
                std::lock_guard lock(mutex_);
                offsets_.push_back(offset);
                auto* bytes = static_cast<const uint8_t*>(data);
                bytes_.insert(bytes_.end(), bytes, bytes + n);
            });
    }
    ~Capture() { TDirectSoundBuffer::SetWriteObserver(nullptr); }

    std::vector<uint8_t> Bytes() {
        std::lock_guard lock(mutex_);
        return bytes_;
    }
    std::vector<uint32_t> Offsets() {
        std::lock_guard lock(mutex_);
        return offsets_;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        bytes_.clear();
        offsets_.clear();
    }

  private:
    std::mutex mutex_;
    std::vector<uint8_t> bytes_;
    std::vector<uint32_t> offsets_;
};

class Exports : public ::testing::Test {
  protected:
    void SetUp() override {
        if (NoSoundDevice()) GTEST_SKIP() << "needs the sound device";
        window_ = CreateWindowExA(0, "STATIC", "tonwerkel test", 0, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override {
        EXPECT_EQ(tonwerkel_Finalize(), kTrue);
        if (window_) DestroyWindow(window_);
    }
    int32_t Load(const std::vector<uint8_t>& song) {
        return tonwerkel_LoadBGMFromMem(song.data(), static_cast<int32_t>(song.size()));
    }

    HWND window_ = nullptr;
};

TEST_F(Exports, AnswerTheirNoPlayerValuesBeforeInitialize) {
    EXPECT_EQ(tonwerkel_GetVersion(), 75);
    EXPECT_EQ(tonwerkel_GetBGMVolume(), -10000);
    EXPECT_EQ(tonwerkel_GetSoundVolume(), -10000);
    EXPECT_EQ(tonwerkel_PlayBGM(), 0);
    EXPECT_EQ(tonwerkel_Store(4), 0);
    EXPECT_EQ(tonwerkel_Finalize(), kTrue);
}

TEST_F(Exports, InitializeOnceAndVolumesWithinRange) {
    ASSERT_EQ(tonwerkel_Initialize(window_, 0), kTrue);
    EXPECT_EQ(tonwerkel_GetVersion(), 75);
    EXPECT_EQ(tonwerkel_GetBGMVolume(), 0);
    EXPECT_EQ(tonwerkel_GetSoundVolume(), 0);
    // A second Initialize changes nothing: still host-driven.
    EXPECT_EQ(tonwerkel_Initialize(nullptr, 1), kTrue);
    ASSERT_EQ(Load(ReadBytes(DataPath("melody.mml"))), kTrue);
    ASSERT_EQ(tonwerkel_PlayBGM(), kTrue);
    tonwerkel_StopBGM();
    EXPECT_EQ(tonwerkel_SetBGMVolume(500), kTrue);
    EXPECT_EQ(tonwerkel_GetBGMVolume(), 0);
    EXPECT_EQ(tonwerkel_SetBGMVolume(-20000), kTrue);
    EXPECT_EQ(tonwerkel_GetBGMVolume(), -10000);
    EXPECT_EQ(tonwerkel_SetBGMVolume(-2500), kTrue);
    EXPECT_EQ(tonwerkel_GetBGMVolume(), -2500);
    EXPECT_EQ(tonwerkel_SetSoundVolume(7), kTrue);
    EXPECT_EQ(tonwerkel_GetSoundVolume(), 0);
    EXPECT_EQ(tonwerkel_SetSoundVolume(-10001), kTrue);
    EXPECT_EQ(tonwerkel_GetSoundVolume(), -10000);
    // After Finalize the library starts over.
    EXPECT_EQ(tonwerkel_Finalize(), kTrue);
    EXPECT_EQ(tonwerkel_GetBGMVolume(), -10000);
    ASSERT_EQ(tonwerkel_Initialize(window_, 1), kTrue);
    EXPECT_EQ(tonwerkel_GetBGMVolume(), 0);
}

TEST_F(Exports, LoadChoosesByExtension) {
    ASSERT_EQ(tonwerkel_Initialize(window_, 0), kTrue);
    char folder[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, folder), 0u);
    const std::string song = "4:l8 cde";
    // Files by wide names (the narrow name in code page 932, whatever the system's ANSI code
    // page); the path returned is the narrow one.
    auto writeWide = [&](const std::wstring& path, const std::string& text) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
    };
    auto write = [&](const std::string& name, const std::string& text) {
        std::string path = std::string(folder) + name;
        std::wstring wide(MAX_PATH, L'\0');
        wide.resize(MultiByteToWideChar(932, 0, path.c_str(), -1, wide.data(), MAX_PATH) - 1);
        writeWide(wide, text);
        return path;
    };
    EXPECT_EQ(tonwerkel_Load(write("tonwerkel-lower.mml", song).c_str()), kTrue);
    EXPECT_EQ(tonwerkel_Load(write("tonwerkel-upper.MML", song).c_str()), kTrue);
    EXPECT_EQ(tonwerkel_Load(write("tonwerkel-effects.Dat", "SOUND:@0,10").c_str()), kTrue);
    EXPECT_EQ(tonwerkel_Load(write("tonwerkel-other.txt", song).c_str()), 0);
    EXPECT_EQ(tonwerkel_Load(write("tonwerkel-none", song).c_str()), 0);
    EXPECT_EQ(tonwerkel_Load((std::string(folder) + "tonwerkel-missing.mml").c_str()), 0);
    // A Shift_JIS file name ("曲" = 8B C8) reaches the file system intact.
    EXPECT_EQ(tonwerkel_Load(write("tonwerkel-\x8B\xC8.mml", song).c_str()), kTrue);
    EXPECT_EQ(tonwerkel_LoadBGM(write("tonwerkel-any.txt", song).c_str()), kTrue);
    // A name that code page 932 cannot spell loads by its short path.
    wchar_t wideFolder[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, wideFolder), 0u);
    const std::wstring accented = std::wstring(wideFolder) + L"tonwerkel-\u00E9t\u00E9.mml";
    writeWide(accented, song);
    char shortPath[MAX_PATH] = "";
    wchar_t wideShort[MAX_PATH] = L"";
    ASSERT_GT(GetShortPathNameW(accented.c_str(), wideShort, MAX_PATH), 0u);
    ASSERT_GT(WideCharToMultiByte(932, 0, wideShort, -1, shortPath, MAX_PATH, nullptr, nullptr), 0);
    EXPECT_EQ(tonwerkel_Load(shortPath), kTrue) << shortPath;
    DeleteFileW(accented.c_str());
    // A file open for writing by someone else cannot be read.
    std::string busy = write("tonwerkel-busy.mml", song);
    HANDLE writer = CreateFileA(busy.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(tonwerkel_Load(busy.c_str()), 0);
    CloseHandle(writer);
    EXPECT_EQ(tonwerkel_Load(busy.c_str()), kTrue);
}

TEST_F(Exports, FromMemoryLeavesTheCallersBytesAlone) {
    ASSERT_EQ(tonwerkel_Initialize(window_, 0), kTrue);
    std::string song = "4:t140 l8 o4 cdefg\t;comment\r\n5:O3 L4 C E G\r\n";
    const std::string original = song;
    EXPECT_EQ(tonwerkel_LoadBGMFromMem(song.data(), static_cast<int32_t>(song.size())), kTrue);
    EXPECT_EQ(song, original);
    std::string effects = "sound:@1,30\r\ntone1:100,50,10,0\r\n";
    const std::string originalEffects = effects;
    EXPECT_EQ(tonwerkel_LoadSoundFromMem(effects.data(), static_cast<int32_t>(effects.size())),
              kTrue);
    EXPECT_EQ(effects, originalEffects);
    EXPECT_EQ(tonwerkel_LoadBGMFromMem(song.data(), -1), 0);
    EXPECT_EQ(tonwerkel_LoadSoundFromMem(nullptr, 10), 0);
}

TEST_F(Exports, PlayStoreAndSoundNumbers) {
    ASSERT_EQ(tonwerkel_Initialize(window_, 0), kTrue);
    ASSERT_EQ(Load(ReadBytes(DataPath("melody.mml"))), kTrue);
    EXPECT_EQ(tonwerkel_Store(3), 0);  // nothing plays yet
    ASSERT_EQ(tonwerkel_PlayBGM(), kTrue);
    EXPECT_EQ(tonwerkel_PlayBGM(), 0);  // already playing: not restarted
    EXPECT_EQ(tonwerkel_Store(0), 0);
    EXPECT_EQ(tonwerkel_PlaySound(64), 0);
    EXPECT_EQ(tonwerkel_PlaySound(-1), 0);
    EXPECT_EQ(tonwerkel_PlaySound(256), 0);
    EXPECT_EQ(tonwerkel_StopSound(), kTrue);
    EXPECT_EQ(tonwerkel_StopBGM(), kTrue);
    EXPECT_EQ(tonwerkel_StopBGM(), kTrue);
    EXPECT_EQ(tonwerkel_ResumeBGM(), kTrue);
    EXPECT_EQ(tonwerkel_ResumeBGM(), 0);
}

TEST_F(Exports, StoreAnswersZeroInThreadedMode) {
    ASSERT_EQ(tonwerkel_Initialize(window_, 1), kTrue);
    ASSERT_EQ(Load(ReadBytes(DataPath("melody.mml"))), kTrue);
    ASSERT_EQ(tonwerkel_PlayBGM(), kTrue);
    EXPECT_EQ(tonwerkel_Store(8), 0);
    EXPECT_EQ(tonwerkel_PlayBGM(), 0);
}

// The samples of a WAV file that tonwerkel-render wrote, as bytes.
std::vector<uint8_t> GoldenSamples(const char* name) {
    auto file = ReadBytes(std::string(HGF_TEST_DATA_DIR) + "/mmlsynth/" + name);
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

// Polls `done` every 10 ms for up to ten seconds.
template <typename Done>
bool WaitUntil(Done done) {
    for (int i = 0; i < 1000 && !done(); ++i)
        Sleep(10);
    return done();
}

// Host-driven: the song buffer receives exactly tonwerkel-render's samples of the same song,
// from the rewound buffer start on, with four blocks written before it starts.
TEST_F(Exports, HostDrivenSongReachesTheBufferAsTheRendererWritesIt) {
    const auto golden = GoldenSamples("fm_motion.wav");
    ASSERT_EQ(tonwerkel_Initialize(window_, 0), kTrue);
    ASSERT_EQ(tonwerkel_Load(HGF_TEST_DATA_DIR "/mmlsynth/fm_motion.mml"), kTrue);
    Capture capture(kBgmBufferBytes);
    ASSERT_EQ(tonwerkel_PlayBGM(), kTrue);
    auto offsets = capture.Offsets();
    ASSERT_GE(offsets.size(), 4u);
    for (uint32_t i = 0; i < 4; ++i)
        EXPECT_EQ(offsets[i], i * kBlockBytes);
    // The host keeps the buffer filled while it plays.
    ASSERT_TRUE(WaitUntil([&] {
        tonwerkel_Store(4);
        return capture.Bytes().size() >= golden.size();
    }));
    auto bytes = capture.Bytes();
    bytes.resize(golden.size());
    EXPECT_TRUE(bytes == golden);
}

// Threaded: an effect plays exactly as the renderer writes it, ends at its end mark, and the
// output thread then suspends itself.
TEST_F(Exports, EffectPlaysToItsEndAndTheThreadSuspends) {
    const auto golden = GoldenSamples("fx_laser.wav");
    ASSERT_EQ(tonwerkel_Initialize(window_, 1), kTrue);
    ASSERT_EQ(tonwerkel_Load(HGF_TEST_DATA_DIR "/mmlsynth/effects.dat"), kTrue);
    Capture capture(kEffectBufferBytes);
    ASSERT_EQ(tonwerkel_PlaySound(10), kTrue);
    TMMLPlay2* player = PlayerForTesting();
    ASSERT_NE(player, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return capture.Bytes().size() > golden.size(); }));
    ASSERT_TRUE(WaitUntil([&] { return player->Suspended(); }));
    const auto bytes = capture.Bytes();
    EXPECT_TRUE(std::equal(golden.begin(), golden.end(), bytes.begin()));
    EXPECT_TRUE(
        std::all_of(bytes.begin() + golden.size(), bytes.end(), [](uint8_t b) { return b == 0; }));
    Sleep(100);
    EXPECT_EQ(capture.Bytes().size(), bytes.size());  // nothing more written
    // It plays again on request.
    capture.Clear();
    ASSERT_EQ(tonwerkel_PlaySound(10), kTrue);
    ASSERT_TRUE(WaitUntil([&] { return capture.Bytes().size() >= golden.size(); }));
    EXPECT_EQ(tonwerkel_StopSound(), kTrue);
    EXPECT_TRUE(WaitUntil([&] { return player->Suspended(); }));
}

// Threaded: the output thread writes the song on; stop and resume continue it, and a song
// loaded while stopped starts from its beginning at the next resume.
TEST_F(Exports, ThreadedSongContinuesAcrossStopAndRestartsAfterALoad) {
    const auto melody = ReadBytes(DataPath("melody.mml"));
    const auto tone = ReadBytes(DataPath("tone440.mml"));
    ASSERT_EQ(tonwerkel_Initialize(window_, 1), kTrue);
    ASSERT_EQ(Load(melody), kTrue);
    Capture capture(kBgmBufferBytes);
    ASSERT_EQ(tonwerkel_PlayBGM(), kTrue);
    Sleep(400);
    ASSERT_EQ(tonwerkel_StopBGM(), kTrue);
    const size_t first = capture.Bytes().size();
    Sleep(150);
    EXPECT_EQ(capture.Bytes().size(), first);  // nothing written while stopped
    ASSERT_EQ(tonwerkel_ResumeBGM(), kTrue);
    Sleep(400);
    ASSERT_EQ(tonwerkel_StopBGM(), kTrue);
    auto bytes = capture.Bytes();
    EXPECT_GT(bytes.size(), first + 2 * kBlockBytes);  // the buffer played on
    EXPECT_TRUE(bytes == Reference(melody, bytes.size() / kBlockBytes));

    capture.Clear();
    ASSERT_EQ(Load(tone), kTrue);
    ASSERT_EQ(tonwerkel_ResumeBGM(), kTrue);
    Sleep(300);
    auto offsets = capture.Offsets();
    ASSERT_FALSE(offsets.empty());
    EXPECT_EQ(offsets.front(), 0u);  // rewound
    bytes = capture.Bytes();
    EXPECT_TRUE(bytes == Reference(tone, bytes.size() / kBlockBytes));

    // Loading while the song plays restarts at once with the new song.
    capture.Clear();
    ASSERT_EQ(Load(melody), kTrue);
    Sleep(200);
    EXPECT_EQ(tonwerkel_PlayBGM(), 0);
    tonwerkel_StopBGM();
    bytes = capture.Bytes();
    EXPECT_TRUE(bytes == Reference(melody, bytes.size() / kBlockBytes));
}

TEST(NoSoundDevice, EveryExportAnswersWithoutAPlayer) {
    if (!NoSoundDevice()) GTEST_SKIP() << "runs with HGF_NO_SOUND=1";
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    EXPECT_EQ(tonwerkel_Initialize(window, 1), 0);
    EXPECT_EQ(tonwerkel_Initialize(window, 0), 0);
    EXPECT_EQ(tonwerkel_GetVersion(), 75);
    EXPECT_EQ(tonwerkel_GetBGMVolume(), -10000);
    EXPECT_EQ(tonwerkel_GetSoundVolume(), -10000);
    EXPECT_EQ(tonwerkel_SetBGMVolume(0), 0);
    EXPECT_EQ(tonwerkel_SetSoundVolume(0), 0);
    EXPECT_EQ(tonwerkel_Load("C:\\song.mml"), 0);
    EXPECT_EQ(tonwerkel_LoadBGM("C:\\song.mml"), 0);
    EXPECT_EQ(tonwerkel_LoadSound("C:\\fx.dat"), 0);
    EXPECT_EQ(tonwerkel_LoadBGMFromMem("4:c", 3), 0);
    EXPECT_EQ(tonwerkel_LoadSoundFromMem("SOUND:@0,1", 10), 0);
    EXPECT_EQ(tonwerkel_PlayBGM(), 0);
    EXPECT_EQ(tonwerkel_StopBGM(), 0);
    EXPECT_EQ(tonwerkel_ResumeBGM(), 0);
    EXPECT_EQ(tonwerkel_PlaySound(1), 0);
    EXPECT_EQ(tonwerkel_StopSound(), 0);
    EXPECT_EQ(tonwerkel_Store(2), 0);
    EXPECT_EQ(tonwerkel_Finalize(), kTrue);
    EXPECT_EQ(tonwerkel_Finalize(), kTrue);
    DestroyWindow(window);
}

}  // namespace
}  // namespace tonwerkel
