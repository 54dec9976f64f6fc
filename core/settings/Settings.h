// The player's persistent settings: one record with the stored defaults, read from and
// written to the section "Harrowgladeforte Core" of a profile store in a fixed key order.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>

#include "settings/KeyAssignment.h"
#include "settings/ProfileStore.h"

namespace hgf {

constexpr const char* kSettingsSection = "Harrowgladeforte Core";
constexpr std::size_t kLoadHistoryLimit = 20;
constexpr std::size_t kFolderShortcutCount = 10;

// Members are named as their keys are stored (spellings included); the initial values
// are the defaults that a missing key gives.
struct Settings {
    std::int32_t X = 0;  // main window rectangle
    std::int32_t Y = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::deque<std::string> loadHistory;  // Histry0..: folders or playlists, newest first
    std::string LastPlayFile;             // the row last started: resume path at start-up
    std::int32_t PlayListMode = 1;        // play mode of the live list (1: random)
    std::int32_t MmlPlayTime = 120;       // seconds per MML song; below 1: MML off
    std::string SmfkConfigFile;           // SMF conversion configuration; empty: off
    std::int32_t LayeredActive = 200;     // window opacity 0-255 with the cursor near
    std::int32_t LayeredNoActive = 100;   // window opacity 0-255 with the cursor away
    std::uint8_t TimerIsForce = 0;
    std::uint8_t TimerIsSuspend = 0;
    std::uint8_t TrayIconDblClkToDefault = 1;
    std::uint8_t CpuPrioryMin = 0;
    KeyTable keyTable = DefaultKeyTable();                          // e_Mode_Random..e_FolderSC[09]
    std::array<std::string, kFolderShortcutCount> folderShortcuts;  // FolderSCPath[00]..[09]
    std::uint8_t ListItemName = 0;
    std::uint8_t WindowVisible = 1;
    std::uint8_t Volume = 100;  // 0-100; above 100 changes no engine
    std::uint8_t SubFolderFind = 1;
    std::uint8_t AllFileRegist = 0;
    std::uint8_t TimerIsAppExitOnly = 0;
    std::int32_t LastPlayPosition = 0;  // milliseconds into LastPlayFile when last saved
    std::string LastPlayFileStamp;      // LastPlayFile's size and write time then (FileStamp)
    std::uint8_t ResumePosition = 1;    // LastPlayFile resumes at LastPlayPosition

    bool operator==(const Settings&) const = default;
};

// Reads every key; a missing key, an integer that is not a number, or a boolean other
// than exactly "true" gives the default (false for a boolean that is present).
Settings LoadSettings(ProfileStore& store);

// Writes every key in the same order. The load history is written as Histry0 up to its
// count only (higher keys keep what the store held); every folder shortcut is written,
// empty ones as empty values. False when a write failed (nothing is reported beyond that).
bool SaveSettings(ProfileStore& store, const Settings& settings);

// A stored integer: optional blanks, an optional sign and decimal digits (anything after
// them is ignored; values beyond 32 bits are clamped). No digits gives `defaultValue`.
std::int32_t ParseProfileInt(const std::string& text, std::int32_t defaultValue);

// A file's size and write time as LastPlayFileStamp stores them.
std::string FileStamp(std::uint64_t size, std::uint64_t writeTime);

// Where LastPlayFile begins when the start-up load makes it current: LastPlayPosition when
// ResumePosition is on and `stampNow` (FileStamp of the file as it is now) equals the
// stored stamp; otherwise 0, the beginning. A position past the end is the engine's to see.
std::int64_t ResumeStartMs(const Settings& settings, const std::string& stampNow);

// Puts `path` at the front of the load history, drops an older equal entry and cuts
// the history to its limit of 20.
void PushLoadHistory(std::deque<std::string>& history, const std::string& path);

}  // namespace hgf
