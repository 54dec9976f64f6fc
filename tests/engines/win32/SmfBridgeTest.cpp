// The SMF bridge under Wine, with the real media engine and the real SMFK32.dll: a MIDI
// item is converted and the converted file is what the media engine opens (kind 5); with
// no configuration file the item plays itself (kind 4); a wave file is handed to the
// converter and plays unchanged; without the library nothing is converted.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>

#include "CoreIds.h"
#include "FakeClock.h"
#include "MediaTestFiles.h"
#include "MediaTestSupport.h"
#include "SmfTestFiles.h"
#include "engines/PlaybackControl.h"
#include "engines/win32/WinSmfConverter.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Messenger.h"

namespace hgf {
namespace {

using Calls = std::vector<std::string>;

std::string FileName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

// The real media engine, with each file it is asked to open written down.
class RecordingMedia final : public MediaEngine {
  public:
    explicit RecordingMedia(MciChannel& mci) : real(mci) {}
    bool Open(const std::string& path) override {
        const bool opened = real.Open(path);
        log.push_back("media.Open " + FileName(path) + (opened ? " true" : " false"));
        return opened;
    }
    void Play(WindowHandle window) override {
        log.push_back("media.Play");
        real.Play(window);
    }
    void Pause() override { real.Pause(); }
    void Close() override {
        log.push_back("media.Close");
        real.Close();
    }
    void SetVolume(int attenuation) override { real.SetVolume(attenuation); }
    bool WaitForCompletion(bool (*cancelled)(void*), void* context) override {
        return real.WaitForCompletion(cancelled, context);
    }

    WinMediaEngine real;
    Calls log;
};

// The real bridge, with each conversion and its answer written down.
class RecordingConverter final : public SmfConverter {
  public:
    RecordingConverter(Calls& calls, std::string libraryPath = {})
        : real(std::move(libraryPath)), calls_(calls) {}
    int Convert(WindowHandle window, const std::string& item, const std::string& output,
                const std::string& config) override {
        const int result = real.Convert(window, item, output, config);
        calls_.push_back("smf.Convert " + FileName(item) + " " + std::to_string(result));
        return result;
    }
    std::string OutputPath() override { return real.OutputPath(); }

    WinSmfConverter real;

  private:
    Calls& calls_;
};

bool LibraryLoaded() {
    return GetModuleHandleA("SMFK32.dll") != nullptr;
}

std::string Contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

class SmfBridgeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto smf = smfconverter::test::Smf(
            0, 96, {smfconverter::test::Track({{0, {0x90, 60, 100}}, {96, {0x80, 60, 0}}})});
        std::ofstream(song, std::ios::binary) << std::string(smf.begin(), smf.end());
        ASSERT_TRUE(test::WriteToneWave(wave, 440, 0.5));
        DeleteFileA(output.c_str());
        ASSERT_FALSE(LibraryLoaded());
    }
    void TearDown() override {
        control.reset();  // the media engine lets go of the converted file
        DeleteFileA(output.c_str());
    }

    // Plays `path` as the only row, with `config` as the conversion's configuration file.
    bool Play(SmfConverter& converter, const std::string& path, const std::string& config) {
        PlaylistItem row;
        row.path = path;
        list.ReplaceItems({row});
        list.SelectIndex(0);
        list.smfConversionFile = config;
        control =
            std::make_unique<PlaybackControl>(list, TheWin32FileSystem(), TheWin32Messenger(),
                                              PlaybackEngines{.media = &media, .smf = &converter});
        return control->Play(window.Handle(), MSG_PLAY_CURRENT, 100);
    }

    test::ScratchFolder folder{"hgf-smf-bridge"};
    const std::string song = folder.File("song.mid");
    const std::string wave = folder.File("tone.wav");
    // The shipped sample: a reset for GS modules at the start of each song.
    const std::string config = HGF_SMF_SAMPLE_CONFIG;
    test::MessageWindow window;
    test::FakeClock clock;
    Playlist list{PlaylistServices{TheWin32FileSystem(), TheWin32Messenger(), clock, {}}};
    test::RecordingMci mci;
    RecordingMedia media{mci};
    Calls& calls = media.log;
    std::unique_ptr<PlaybackControl> control;
    // The running program's path with ".mid" appended.
    const std::string output = [] {
        char program[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, program, sizeof program);
        return std::string(program) + ".mid";
    }();
};

TEST_F(SmfBridgeTest, AMidiItemIsConvertedAndTheMediaEngineOpensTheConvertedFile) {
    {
        RecordingConverter converter(calls);
        EXPECT_FALSE(LibraryLoaded()) << "the library was loaded before the first conversion";
        ASSERT_TRUE(Play(converter, song, config));
        EXPECT_EQ(control->GetEngineKind(), ENGINE_MEDIA_CONVERTED_MIDI);
        EXPECT_EQ(calls,
                  (Calls{"media.Open song.mid true", "smf.Convert song.mid -1", "media.Close",
                         "media.Open " + FileName(output) + " true", "media.Play"}));
        const std::string converted = Contents(output);
        EXPECT_EQ(smfconverter::test::Describe(smfconverter::Bytes(
                      reinterpret_cast<const std::uint8_t*>(converted.data()), converted.size())),
                  (Calls{"0: 0 sysex 41 10 42 12 40 00 7f 00 41 f7", "0: 0 on ch1 60 100",
                         "0: 96 off ch1 60 0", "0: 96 end"}));
        EXPECT_TRUE(LibraryLoaded());
        control.reset();
    }
    EXPECT_FALSE(LibraryLoaded()) << "the bridge did not free the library";
}

TEST_F(SmfBridgeTest, WithoutAConfigurationFileTheItemPlaysItself) {
    RecordingConverter converter(calls);
    ASSERT_TRUE(Play(converter, song, ""));
    EXPECT_EQ(control->GetEngineKind(), ENGINE_MEDIA);
    EXPECT_EQ(calls, (Calls{"media.Open song.mid true", "media.Play"}));
    EXPECT_FALSE(LibraryLoaded());
}

TEST_F(SmfBridgeTest, AWaveFileIsHandedToTheConverterAndPlaysUnchanged) {
    RecordingConverter converter(calls);
    ASSERT_TRUE(Play(converter, wave, config));
    EXPECT_EQ(control->GetEngineKind(), ENGINE_MEDIA);
    EXPECT_EQ(calls, (Calls{"media.Open tone.wav true", "smf.Convert tone.wav 0", "media.Play"}));
    EXPECT_EQ(GetFileAttributesA(output.c_str()), INVALID_FILE_ATTRIBUTES)
        << "a converted file was written";
}

TEST_F(SmfBridgeTest, WithoutTheLibraryNothingIsConvertedAndTheItemPlays) {
    RecordingConverter converter(calls, folder.File("SMFK32.dll"));
    ASSERT_TRUE(Play(converter, song, config));
    EXPECT_EQ(control->GetEngineKind(), ENGINE_MEDIA);
    EXPECT_EQ(calls, (Calls{"media.Open song.mid true", "smf.Convert song.mid 0", "media.Play"}));
    EXPECT_FALSE(converter.real.IsLoaded());
}

}  // namespace
}  // namespace hgf
