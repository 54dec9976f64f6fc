// Reading and writing the settings: one list of keys, walked by a reader and a writer,
// so both follow the same order.
#include "settings/Settings.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace hgf {
namespace {

std::string Numbered(const char* format, std::size_t n) {
    char key[32];
    std::snprintf(key, sizeof key, format, static_cast<unsigned>(n));
    return key;
}

class Reader {
  public:
    explicit Reader(ProfileStore& store) : store_(store) {}

    void Int(const std::string& key, std::int32_t& value) {
        value = ParseProfileInt(store_.GetString(kSettingsSection, key, ""), value);
    }
    void Byte(const std::string& key, std::uint8_t& value) {
        std::int32_t wide = value;
        Int(key, wide);
        value = static_cast<std::uint8_t>(std::clamp(wide, 0, 255));
    }
    void Bool(const std::string& key, std::uint8_t& value) {
        value = store_.GetString(kSettingsSection, key, value ? "true" : "false") == "true";
    }
    void String(const std::string& key, std::string& value) {
        value = store_.GetString(kSettingsSection, key, value);
    }
    void History(std::deque<std::string>& history) {
        history.clear();
        for (std::size_t n = 0; n < kLoadHistoryLimit; ++n) {
            std::string path = store_.GetString(kSettingsSection, Numbered("Histry%u", n), "");
            if (!path.empty()) history.push_back(std::move(path));  // gaps close up
        }
    }
    void Key(const std::string& key, KeyBinding& binding) {
        std::int32_t value = binding.key;
        Int(key, value);
        binding.key = static_cast<std::uint16_t>(value & 0xFFFF);
    }

  private:
    ProfileStore& store_;
};

class Writer {
  public:
    explicit Writer(ProfileStore& store) : store_(store) {}

    void Int(const std::string& key, std::int32_t value) {
        char text[16];
        std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
        Write(key, text);
    }
    void Byte(const std::string& key, std::uint8_t value) { Int(key, value); }
    void Bool(const std::string& key, std::uint8_t value) { Write(key, value ? "true" : "false"); }
    void String(const std::string& key, const std::string& value) { Write(key, value); }
    void History(const std::deque<std::string>& history) {
        const std::size_t count = std::min(history.size(), kLoadHistoryLimit);
        for (std::size_t n = 0; n < count; ++n)
            Write(Numbered("Histry%u", n), history[n]);
    }
    void Key(const std::string& key, const KeyBinding& binding) { Int(key, binding.key); }

    bool ok() const { return ok_; }

  private:
    void Write(const std::string& key, const std::string& value) {
        if (!store_.WriteString(kSettingsSection, key, value)) ok_ = false;
    }

    ProfileStore& store_;
    bool ok_ = true;
};

// Every key, in the order in which it is read and written.
template <typename Io, typename SettingsRecord>
void ExchangeSettings(Io& io, SettingsRecord& s) {
    io.Int("X", s.X);
    io.Int("Y", s.Y);
    io.Int("Width", s.Width);
    io.Int("Height", s.Height);
    io.History(s.loadHistory);
    io.String("LastPlayFile", s.LastPlayFile);
    io.Int("PlayListMode", s.PlayListMode);
    io.Int("MmlPlayTime", s.MmlPlayTime);
    io.String("SmfkConfigFile", s.SmfkConfigFile);
    io.Int("LayeredActive", s.LayeredActive);
    io.Int("LayeredNoActive", s.LayeredNoActive);
    io.Bool("TimerIsForce", s.TimerIsForce);
    io.Bool("TimerIsSuspend", s.TimerIsSuspend);
    io.Bool("TrayIconDblClkToDefault", s.TrayIconDblClkToDefault);
    io.Bool("CpuPrioryMin", s.CpuPrioryMin);
    for (std::size_t i = 0; i < s.keyTable.size(); ++i)
        io.Key(kKeyActions[i].name, s.keyTable[i]);
    for (std::size_t n = 0; n < s.folderShortcuts.size(); ++n)
        io.String(Numbered("FolderSCPath[%02u]", n), s.folderShortcuts[n]);
    io.Bool("ListItemName", s.ListItemName);
    io.Bool("WindowVisible", s.WindowVisible);
    io.Byte("Volume", s.Volume);
    io.Bool("SubFolderFind", s.SubFolderFind);
    io.Bool("AllFileRegist", s.AllFileRegist);
    io.Bool("TimerIsAppExitOnly", s.TimerIsAppExitOnly);
    io.Int("LastPlayPosition", s.LastPlayPosition);
    io.String("LastPlayFileStamp", s.LastPlayFileStamp);
    io.Bool("ResumePosition", s.ResumePosition);
}

}  // namespace

Settings LoadSettings(ProfileStore& store) {
    Settings settings;  // the defaults, replaced key by key
    Reader reader(store);
    ExchangeSettings(reader, settings);
    return settings;
}

bool SaveSettings(ProfileStore& store, const Settings& settings) {
    Writer writer(store);
    ExchangeSettings(writer, settings);
    return writer.ok();
}

std::int32_t ParseProfileInt(const std::string& text, std::int32_t defaultValue) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return defaultValue;
    std::int64_t value = 0;
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min(value * 10 + (text[i] - '0'), kLimit);
    if (negative) value = -value;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::string FileStamp(std::uint64_t size, std::uint64_t writeTime) {
    char text[48];
    std::snprintf(text, sizeof text, "%llu:%llu", static_cast<unsigned long long>(size),
                  static_cast<unsigned long long>(writeTime));
    return text;
}

std::int64_t ResumeStartMs(const Settings& settings, const std::string& stampNow) {
    if (!settings.ResumePosition || settings.LastPlayPosition <= 0) return 0;
    if (settings.LastPlayFileStamp.empty() || settings.LastPlayFileStamp != stampNow) return 0;
    return settings.LastPlayPosition;
}

void PushLoadHistory(std::deque<std::string>& history, const std::string& path) {
    std::erase(history, path);
    history.push_front(path);
    if (history.size() > kLoadHistoryLimit) history.resize(kLoadHistoryLimit);
}

}  // namespace hgf
