// Under Wine: the converter's files on disk (a replace that is whole or nothing, in a folder
// whose name holds a 0x5C trail byte), and SMFK32.dll called through its ordinal as the
// player calls it.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "ConversionJob.h"
#include "SmfTestFiles.h"
#include "win32/Win32ConversionFiles.h"

namespace smfconverter {
namespace {

using test::ByteList;

// A folder of its own under %TEMP%, named "表" (0x95 0x5C: its second byte is a backslash
// byte), removed again with its files.
class ScratchFolder {
  public:
    ScratchFolder() {
        char temp[MAX_PATH] = "";
        GetTempPathA(sizeof temp, temp);
        parent_ = std::string(temp) + "hgf-smf-" + std::to_string(GetCurrentProcessId());
        path_ = parent_ + "\\\x95\x5C";
        CreateDirectoryA(parent_.c_str(), nullptr);
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder() {
        for (const std::string& name : Names())
            DeleteFileA(File(name).c_str());
        RemoveDirectoryA(path_.c_str());
        RemoveDirectoryA(parent_.c_str());
    }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }
    // The files in the folder.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(File("*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do {
            if (found.cFileName[0] != '.') names.push_back(found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return names;
    }

  private:
    std::string parent_;
    std::string path_;
};

std::string Contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

Bytes AsBytes(const std::string& text) {
    return Bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

TEST(Win32ConversionFilesTest, ReplaceIsWholeOrLeavesTheTargetAsItWas) {
    ScratchFolder folder;
    ASSERT_NE(GetFileAttributesA(folder.File("").c_str()), INVALID_FILE_ATTRIBUTES);
    Win32ConversionFiles files;
    const std::string target = folder.File("out.mid");
    ASSERT_TRUE(files.Replace(target, AsBytes("first")));
    ASSERT_TRUE(files.Replace(target, AsBytes("second")));
    EXPECT_EQ(Contents(target), "second");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"out.mid"});

    // A target that cannot be replaced (a player holds it open) keeps its bytes, and no
    // temporary file stays.
    HANDLE held = CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(files.Replace(target, AsBytes("third")));
    CloseHandle(held);
    EXPECT_EQ(Contents(target), "second");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"out.mid"});
    EXPECT_FALSE(files.Replace(folder.File("missing\\out.mid"), AsBytes("x")));

    EXPECT_EQ(files.ReadAll(target, 5), std::nullopt) << "larger than the limit";
    EXPECT_EQ(files.ReadAll(target, 6), ByteList({'s', 'e', 'c', 'o', 'n', 'd'}));
    EXPECT_EQ(files.ReadStart(target, 3), ByteList({'s', 'e', 'c'}));
    EXPECT_EQ(files.ReadStart(folder.File("none.mid"), 3), std::nullopt);
}

using ConvertProc = std::int32_t(WINAPI*)(HWND, const char*, const char*, const char*, const char*,
                                          std::int32_t*, std::int32_t);

TEST(ConverterLibraryTest, OrdinalTwoConvertsAMidiFileAndAnswersZeroForAnythingElse) {
    HMODULE library = LoadLibraryA("SMFK32.dll");
    ASSERT_NE(library, nullptr);
    auto convert = reinterpret_cast<ConvertProc>(
        reinterpret_cast<void*>(GetProcAddress(library, MAKEINTRESOURCEA(2))));
    ASSERT_NE(convert, nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(convert),
              reinterpret_cast<void*>(GetProcAddress(library, "ConvertSmf")));

    ScratchFolder folder;
    const std::string song = folder.File("song.mid");
    const std::string wave = folder.File("tone.wav");
    const std::string output = folder.File("player.exe.mid");
    const ByteList smf = test::Smf(0, 96, {test::Track({{0, {0x90, 60, 100}}}, 96)});
    Write(song, std::string(smf.begin(), smf.end()));
    Write(wave, std::string("RIFF\x24\0\0\0WAVEfmt ", 16));
    // The shipped sample: a reset for GS modules at the start.
    const std::string config = HGF_SMF_SAMPLE_CONFIG;

    std::int32_t record[6] = {};
    EXPECT_EQ(
        convert(nullptr, song.c_str(), output.c_str(), config.c_str(), config.c_str(), record, 0),
        -1);
    EXPECT_EQ(record[0], kConverted);
    const std::string converted = Contents(output);
    EXPECT_EQ(test::Describe(AsBytes(converted)),
              (std::vector<std::string>{"0: 0 sysex 41 10 42 12 40 00 7f 00 41 f7",
                                        "0: 0 on ch1 60 100", "0: 96 end"}));

    std::int32_t waveRecord[6] = {};
    EXPECT_EQ(
        convert(nullptr, wave.c_str(), output.c_str(), config.c_str(), nullptr, waveRecord, 0), 0);
    EXPECT_EQ(waveRecord[0], kNotMidi);
    EXPECT_EQ(Contents(output), converted) << "the last converted file was touched";

    EXPECT_EQ(convert(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0), 0);
    EXPECT_EQ(convert(nullptr, song.c_str(), output.c_str(), folder.File("none.cfg").c_str(),
                      nullptr, nullptr, 0),
              0);
    FreeLibrary(library);
}

}  // namespace
}  // namespace smfconverter
