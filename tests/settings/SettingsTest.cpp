// Reading and writing the settings through an in-memory profile store.
#include <gtest/gtest.h>

#include "CoreIds.h"
#include "settings/MemoryProfileStore.h"
#include "settings/Settings.h"

namespace hgf {
namespace {

void Put(MemoryProfileStore& store, const std::string& key, const std::string& value) {
    store.values[{kSettingsSection, key}] = value;
}

std::string Stored(const MemoryProfileStore& store, const std::string& key) {
    auto found = store.values.find({kSettingsSection, key});
    return found == store.values.end() ? "<missing>" : found->second;
}

TEST(Settings, MissingKeysGiveTheDefaults) {
    MemoryProfileStore store;
    Settings settings = LoadSettings(store);
    EXPECT_EQ(settings, Settings{});
    EXPECT_EQ(settings.PlayListMode, 1);  // random order
    EXPECT_EQ(settings.MmlPlayTime, 120);
    EXPECT_TRUE(settings.SubFolderFind);
    EXPECT_TRUE(settings.WindowVisible);
    EXPECT_TRUE(settings.ResumePosition);
    EXPECT_EQ(settings.keyTable, DefaultKeyTable());
}

TEST(Settings, BooleansAreTrueOnlyForExactlyTrue) {
    MemoryProfileStore store;
    Put(store, "ListItemName", "TRUE");
    Put(store, "CpuPrioryMin", "true");
    Put(store, "WindowVisible", "");
    Put(store, "SubFolderFind", "1");
    Put(store, "TimerIsForce", "true ");
    Settings settings = LoadSettings(store);
    EXPECT_FALSE(settings.ListItemName);
    EXPECT_TRUE(settings.CpuPrioryMin);
    EXPECT_FALSE(settings.WindowVisible);
    EXPECT_FALSE(settings.SubFolderFind);
    EXPECT_FALSE(settings.TimerIsForce);
    EXPECT_TRUE(settings.TrayIconDblClkToDefault);  // missing: its default
}

TEST(Settings, IntegersThatAreNotNumbersGiveTheDefault) {
    EXPECT_EQ(ParseProfileInt("", 7), 7);
    EXPECT_EQ(ParseProfileInt("abc", 7), 7);
    EXPECT_EQ(ParseProfileInt("-", 7), 7);
    EXPECT_EQ(ParseProfileInt("-15", 7), -15);
    EXPECT_EQ(ParseProfileInt("  +42", 7), 42);
    EXPECT_EQ(ParseProfileInt("12abc", 7), 12);
    EXPECT_EQ(ParseProfileInt("99999999999", 7), 2147483647);
    EXPECT_EQ(ParseProfileInt("-99999999999", 7), -2147483647 - 1);

    MemoryProfileStore store;
    Put(store, "PlayListMode", "random");
    Put(store, "X", "-1280");
    Put(store, "Volume", "300");
    Put(store, "e_Skip", "0x10");  // not decimal: reads as 0
    Put(store, "e_Exit", "1105");  // Alt + Q
    Settings settings = LoadSettings(store);
    EXPECT_EQ(settings.PlayListMode, 1);
    EXPECT_EQ(settings.X, -1280);
    EXPECT_EQ(settings.Volume, 255);  // clamped into its byte, not wrapped
    EXPECT_EQ(settings.keyTable[4].key, 0);
    EXPECT_EQ(settings.keyTable[29].key, 0x451);
    EXPECT_EQ(settings.keyTable[29].command, CMD_EXIT);
}

TEST(Settings, HistoryGapsCloseAndOnlyTheCountIsRewritten) {
    MemoryProfileStore store;
    Put(store, "Histry3", "C:\\Three");
    Put(store, "Histry7", "C:\\Seven");
    Settings settings = LoadSettings(store);
    EXPECT_EQ(settings.loadHistory, (std::deque<std::string>{"C:\\Three", "C:\\Seven"}));

    ASSERT_TRUE(SaveSettings(store, settings));
    EXPECT_EQ(Stored(store, "Histry0"), "C:\\Three");
    EXPECT_EQ(Stored(store, "Histry1"), "C:\\Seven");
    EXPECT_EQ(Stored(store, "Histry2"), "<missing>");
    EXPECT_EQ(Stored(store, "Histry3"), "C:\\Three");  // left as the file held it
    EXPECT_EQ(Stored(store, "Histry7"), "C:\\Seven");
    // Read again, the stale keys come back after the rewritten ones.
    EXPECT_EQ(LoadSettings(store).loadHistory,
              (std::deque<std::string>{"C:\\Three", "C:\\Seven", "C:\\Three", "C:\\Seven"}));

    std::deque<std::string> history;
    for (int i = 0; i < 25; ++i)
        PushLoadHistory(history, "C:\\" + std::to_string(i));
    PushLoadHistory(history, "C:\\20");
    ASSERT_EQ(history.size(), 20u);
    EXPECT_EQ(history[0], "C:\\20");
    EXPECT_EQ(history[1], "C:\\24");
    EXPECT_EQ(history[19], "C:\\5");
}

TEST(Settings, SaveWritesEveryKeyInTheStoredOrder) {
    MemoryProfileStore store;
    Settings settings;
    settings.loadHistory = {"C:\\A", "C:\\B"};
    settings.folderShortcuts[2] = "C:\\Short";
    ASSERT_TRUE(SaveSettings(store, settings));

    std::vector<std::string> expected = {"X",
                                         "Y",
                                         "Width",
                                         "Height",
                                         "Histry0",
                                         "Histry1",
                                         "LastPlayFile",
                                         "PlayListMode",
                                         "MmlPlayTime",
                                         "SmfkConfigFile",
                                         "LayeredActive",
                                         "LayeredNoActive",
                                         "TimerIsForce",
                                         "TimerIsSuspend",
                                         "TrayIconDblClkToDefault",
                                         "CpuPrioryMin"};
    for (const KeyAction& action : kKeyActions)
        expected.push_back(action.name);
    for (int n = 0; n < 10; ++n)
        expected.push_back("FolderSCPath[0" + std::to_string(n) + "]");
    for (const char* key :
         {"ListItemName", "WindowVisible", "Volume", "SubFolderFind", "AllFileRegist",
          "TimerIsAppExitOnly", "LastPlayPosition", "LastPlayFileStamp", "ResumePosition"})
        expected.push_back(key);
    EXPECT_EQ(store.writes, expected);

    EXPECT_EQ(Stored(store, "FolderSCPath[00]"), "");
    EXPECT_EQ(Stored(store, "FolderSCPath[02]"), "C:\\Short");
    EXPECT_EQ(Stored(store, "e_PlayPause"), "633");  // Ctrl + F10
    EXPECT_EQ(Stored(store, "e_Mode_Random"), "0");
    EXPECT_EQ(Stored(store, "WindowVisible"), "true");
    EXPECT_EQ(Stored(store, "CpuPrioryMin"), "false");
    EXPECT_EQ(Stored(store, "X"), "0");
}

TEST(Settings, RoundTripAndReadOnlyStore) {
    Settings settings;
    settings.X = -300;
    settings.Height = 27;
    settings.loadHistory = {"C:\\Music", "D:\\list.spl"};
    settings.LastPlayFile = "C:\\Music\\\x8b\xc8.mp3";  // 曲.mp3
    settings.PlayListMode = 2;
    settings.MmlPlayTime = 0;
    settings.SmfkConfigFile = "C:\\smf.cfg";
    settings.LayeredActive = 255;
    settings.TimerIsForce = settings.TimerIsSuspend = settings.CpuPrioryMin = 1;
    settings.TrayIconDblClkToDefault = settings.WindowVisible = settings.SubFolderFind = 0;
    settings.ListItemName = settings.AllFileRegist = settings.TimerIsAppExitOnly = 1;
    settings.Volume = 42;
    settings.LastPlayPosition = 754321;
    settings.LastPlayFileStamp = FileStamp(5000000000, 133000000000000000);
    settings.ResumePosition = 0;
    settings.keyTable[0].key = KEY_MOD_ALT | 'R';
    settings.keyTable[27].key = 0;
    for (std::size_t n = 0; n < settings.folderShortcuts.size(); ++n)
        settings.folderShortcuts[n] = n % 3 ? "" : "C:\\SC" + std::to_string(n);

    MemoryProfileStore store;
    ASSERT_TRUE(SaveSettings(store, settings));
    EXPECT_EQ(LoadSettings(store), settings);

    MemoryProfileStore readOnly;
    readOnly.readOnly = true;
    EXPECT_FALSE(SaveSettings(readOnly, settings));
    EXPECT_TRUE(readOnly.values.empty());
}

TEST(Settings, ResumeStartsAtTheStoredPositionOnlyForTheSameFile) {
    const std::string stamp = FileStamp(1234, 99);
    EXPECT_EQ(stamp, "1234:99");
    struct Case {
        std::uint8_t resume;
        std::int32_t position;
        std::string storedStamp, stampNow;
        std::int64_t expected;
    } cases[] = {
        {1, 5000, stamp, stamp, 5000},
        {0, 5000, stamp, stamp, 0},                 // turned off
        {1, 0, stamp, stamp, 0},                    // nothing stored
        {1, -20, stamp, stamp, 0},                  // damaged
        {1, 5000, stamp, FileStamp(1235, 99), 0},   // the size changed
        {1, 5000, stamp, FileStamp(1234, 100), 0},  // rewritten
        {1, 5000, "", "", 0},                       // no stamp: an older settings file
        {1, 5000, stamp, "", 0},                    // the file is gone
    };
    for (const Case& c : cases) {
        Settings settings;
        settings.ResumePosition = c.resume;
        settings.LastPlayPosition = c.position;
        settings.LastPlayFileStamp = c.storedStamp;
        EXPECT_EQ(ResumeStartMs(settings, c.stampNow), c.expected)
            << int(c.resume) << " " << c.position << " " << c.storedStamp << " " << c.stampNow;
    }
}

TEST(KeyAssignment, ActionsDefaultsAndCommands) {
    ASSERT_EQ(kKeyActions.size(), 40u);
    EXPECT_STREQ(kKeyActions[0].name, "e_Mode_Random");
    EXPECT_STREQ(kKeyActions[2].name, "e_Mode_Repert");
    EXPECT_STREQ(kKeyActions[12].name, "e_Histry[05]");
    EXPECT_STREQ(kKeyActions[27].name, "e_WindowShow_Hide");
    EXPECT_STREQ(kKeyActions[39].name, "e_FolderSC[09]");
    // 再生・一時停止 in Shift_JIS.
    EXPECT_STREQ(kKeyActions[3].label, "\x8d\xc4\x90\xb6\x81\x45\x88\xea\x8e\x9e\x92\xe2\x8e\x7e");
    // 履歴[19]
    EXPECT_STREQ(kKeyActions[26].label, "\x97\x9a\x97\xf0[19]");

    const KeyTable defaults = DefaultKeyTable();
    std::vector<std::uint16_t> keys;
    for (const KeyBinding& binding : defaults)
        if (binding.key) keys.push_back(binding.key);
    EXPECT_EQ(keys,
              (std::vector<std::uint16_t>{0x279, 0x27A, 0x27B, 0x278, 0x07B, 0x260, 0x261, 0x262,
                                          0x263, 0x264, 0x265, 0x266, 0x267, 0x268, 0x269}));
    for (int i = 0; i < 40; ++i) {
        const int command = defaults[static_cast<std::size_t>(i)].command;
        const int expected = i < 7     ? CMD_MODE_RANDOM + i
                             : i < 27  ? CMD_HISTORY_0 + (i - 7)
                             : i == 27 ? CMD_SHOW_HIDE
                             : i == 28 ? CMD_WINDOW_INIT
                             : i == 29 ? CMD_EXIT
                                       : CMD_FOLDER_SC_0 + (i - 30);
        EXPECT_EQ(command, expected) << i;
    }
}

TEST(KeyAssignment, LookupAndKeyText) {
    KeyTable table = DefaultKeyTable();
    table[0].key = 0x27A;  // same key as e_Skip
    EXPECT_EQ(CommandsForKey(table, 0x27A), (std::vector<int>{CMD_MODE_RANDOM, CMD_SKIP}));
    EXPECT_TRUE(CommandsForKey(table, 0).empty());  // unbound actions never fire
    EXPECT_TRUE(CommandsForKey(table, 0x17A).empty());

    EXPECT_EQ(FormatKeyText(0, "F10", 0), "\x82\xc8\x82\xb5");  // なし
    EXPECT_EQ(FormatKeyText(0x279, "F10", 0), "Ctrl + F10");
    EXPECT_EQ(FormatKeyText(0x74B, "K", 0), "Ctrl + Shift + Alt + K");
    EXPECT_EQ(FormatKeyText(0x4FF, "", 0x1c0000), "Alt + 0x1c0000");
    EXPECT_EQ(FormatKeyText(0x0FF, "", 0), "0");
}

// Media keys work without being set up; a binding on the key page takes the key instead,
// and the key text names them whatever the platform calls them.
TEST(KeyAssignment, MediaKeysActUnlessBoundAndShowTheirNames) {
    KeyTable table = DefaultKeyTable();
    table[1].key = KEY_MEDIA_NEXT_TRACK;                  // e_Mode_Normal
    table[2].key = KEY_MOD_SHIFT | KEY_MEDIA_PLAY_PAUSE;  // e_Mode_Repert
    struct Case {
        std::uint16_t key;
        const char* platformName;
        HotkeyResponse response;
        const char* text;
    };
    const Case cases[] = {
        {KEY_MEDIA_PLAY_PAUSE, "", {{CMD_PLAY_PAUSE}, false}, "Play/Pause"},
        {KEY_MOD_CTRL | KEY_MEDIA_PLAY_PAUSE, "", {{CMD_PLAY_PAUSE}, false}, "Ctrl + Play/Pause"},
        {KEY_MOD_SHIFT | KEY_MEDIA_PLAY_PAUSE,
         "",
         {{CMD_MODE_REPEAT}, false},
         "Shift + Play/Pause"},
        {KEY_MEDIA_NEXT_TRACK, "Next", {{CMD_MODE_NORMAL}, false}, "Next Track"},
        {KEY_MOD_ALT | KEY_MEDIA_NEXT_TRACK, "", {{CMD_SKIP}, false}, "Alt + Next Track"},
        {KEY_MEDIA_PREV_TRACK, "", {{CMD_PREV_PLAY}, false}, "Previous Track"},
        {KEY_MEDIA_STOP, "", {{}, true}, "Stop"},
        {0x279, "F10", {{CMD_PLAY_PAUSE}, false}, "Ctrl + F10"},  // its bindings only
        {0x0B4, "Mail", {{}, false}, "Mail"},  // a media key of another kind does nothing
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RespondToHotkey(table, c.key), c.response) << std::hex << c.key;
        EXPECT_EQ(FormatKeyText(c.key, c.platformName, 0x220000), c.text) << std::hex << c.key;
    }
}

}  // namespace
}  // namespace hgf
