// The settings through a real INI file with the Win32 profile functions.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win32/ProgramFolder.h"
#include "settings/Settings.h"
#include "settings/win32/Win32ProfileStore.h"

namespace hgf {
namespace {

class Win32ProfileStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH + 1] = {};
        GetTempPathA(sizeof temp, temp);
        ini_ = std::string(temp) + "hgf-settings-" + std::to_string(GetCurrentProcessId()) + ".ini";
        DeleteFileA(ini_.c_str());
    }
    void TearDown() override { DeleteFileA(ini_.c_str()); }

    std::string Raw(const char* key) {
        char buffer[520] = {};
        GetPrivateProfileStringA(kSettingsSection, key, "<missing>", buffer, sizeof buffer,
                                 ini_.c_str());
        return buffer;
    }

    std::string ini_;
};

TEST_F(Win32ProfileStoreTest, SettingsRoundTripThroughTheIniFile) {
    Win32ProfileStore store(ini_);
    EXPECT_EQ(LoadSettings(store), Settings{});  // no file: every default

    Settings settings;
    settings.X = -1200;
    settings.Width = 320;
    settings.loadHistory = {"C:\\Music\\\x8b\xc8", "D:\\list.spl"};  // 曲
    settings.LastPlayFile = "C:\\Music\\\x95\x5c.mp3";               // 表.mp3
    settings.PlayListMode = 0;
    settings.ListItemName = 1;
    settings.SubFolderFind = 0;
    settings.Volume = 55;
    settings.keyTable[5].key = 0;
    settings.folderShortcuts[9] = "E:\\Nine";
    ASSERT_TRUE(SaveSettings(store, settings));

    EXPECT_EQ(Raw("X"), "-1200");
    EXPECT_EQ(Raw("Histry1"), "D:\\list.spl");
    EXPECT_EQ(Raw("Histry2"), "<missing>");
    EXPECT_EQ(Raw("FolderSCPath[00]"), "");
    EXPECT_EQ(Raw("FolderSCPath[09]"), "E:\\Nine");
    EXPECT_EQ(Raw("e_FolderSC[03]"), "611");
    EXPECT_EQ(Raw("SubFolderFind"), "false");
    EXPECT_EQ(LoadSettings(store), settings);

    // Booleans are case-sensitive; a number that is not one gives the default.
    WritePrivateProfileStringA(kSettingsSection, "ListItemName", "TRUE", ini_.c_str());
    WritePrivateProfileStringA(kSettingsSection, "MmlPlayTime", "soon", ini_.c_str());
    WritePrivateProfileStringA(kSettingsSection, "PlayListMode", nullptr, ini_.c_str());
    Settings reread = LoadSettings(store);
    EXPECT_FALSE(reread.ListItemName);
    EXPECT_EQ(reread.MmlPlayTime, 120);
    EXPECT_EQ(reread.PlayListMode, 1);
}

TEST_F(Win32ProfileStoreTest, UnwritableLocationChangesNothing) {
    const std::string nowhere = "C:\\hgf-no-such-folder\\settings.ini";
    Win32ProfileStore store(nowhere);
    EXPECT_FALSE(SaveSettings(store, Settings{}));
    EXPECT_EQ(GetFileAttributesA(nowhere.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(LoadSettings(store), Settings{});
}

TEST_F(Win32ProfileStoreTest, IniLivesBesideTheProgram) {
    char module[520] = {};
    GetModuleFileNameA(nullptr, module, sizeof module);
    std::string expected = module;
    ASSERT_GT(expected.size(), 4u);
    expected.replace(expected.size() - 3, 3, "ini");
    EXPECT_EQ(ProgramIniPath(), expected);
    EXPECT_EQ(ProgramIniPath().substr(ProgramIniPath().size() - 4), ".ini");
}

// A folder whose name the ANSI code page cannot spell (Hangul: neither 932 nor 1252 has it)
// holds the INI by its short path, and the values keep their code-page-932 bytes.
TEST_F(Win32ProfileStoreTest, AFolderBeyondTheAnsiCodePageIsReachedByItsShortPath) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder =
        std::wstring(temp) + L"hgf-\uC544-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::string narrow = AnsiCodePagePath(folder);
    ASSERT_FALSE(narrow.empty());
    EXPECT_EQ(narrow.find('?'), std::string::npos) << narrow;
    {
        Win32ProfileStore store(narrow + "\\settings.ini");
        ASSERT_TRUE(store.WriteString(kSettingsSection, "Title", "\x95\x5C"));  // 表
        EXPECT_EQ(store.GetString(kSettingsSection, "Title", ""), "\x95\x5C");
    }
    const std::wstring ini = folder + L"\\settings.ini";
    EXPECT_NE(GetFileAttributesW(ini.c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileW(ini.c_str());
    RemoveDirectoryW(folder.c_str());
}

}  // namespace
}  // namespace hgf
