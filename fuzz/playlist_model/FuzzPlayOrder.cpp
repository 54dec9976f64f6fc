// The play order under arbitrary sequences of list changes, selections, unplayable
// marks, mode changes and clock steps: every choice ends, stays inside the list, never
// lands on a heading or an unplayable row while a choosable row exists, and the round
// counters stay consistent with the rows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Messenger.h"
#include "playlist/Playlist.h"

namespace {

using namespace hgf;

void Check(bool condition) {
    if (!condition) std::abort();
}

class NoFiles final : public FileSystem {
  public:
    std::optional<FileAttributes> GetAttributes(const std::string&) override { return {}; }
    std::unique_ptr<DirectoryEnumeration> Enumerate(const std::string&) override { return {}; }
    std::unique_ptr<InputFile> OpenRead(const std::string&) override { return {}; }
    std::unique_ptr<OutputFile> Create(const std::string&) override { return {}; }
    bool Replace(const std::string&, const std::string&) override { return false; }
    bool Remove(const std::string&) override { return false; }
    std::optional<std::string> CodePage932PathThatOpens(std::u16string_view) override {
        return std::nullopt;
    }
};

class NoMessages final : public Messenger {
  public:
    void Post(WindowHandle, unsigned, std::uintptr_t, std::intptr_t) override {}
    std::intptr_t Send(WindowHandle, unsigned, std::uintptr_t, std::intptr_t) override { return 0; }
};

class StepClock final : public Clock {
  public:
    std::int64_t seconds = 0;
    std::int64_t NowSeconds() override { return seconds; }
    LocalTime NowUtc() override { return {}; }
    LocalTime NowLocal() override { return {}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    NoFiles files;
    NoMessages messages;
    StepClock clock;
    Playlist list({files, messages, clock, {}});
    std::size_t at = 0;
    auto next = [&]() -> std::uint8_t { return at < size ? data[at++] : 0; };

    // Rows: each byte is one row; bit 0 heading, bit 1 unplayable, bit 2 played.
    const std::size_t rows = next() % 64;
    std::deque<PlaylistItem> items(rows);
    for (std::size_t i = 0; i < rows; ++i) {
        std::uint8_t bits = next();
        items[i].isFolder = bits & 1;
        items[i].unplayable = (bits >> 1) & 1;
        items[i].played = (bits >> 2) & 1;
        items[i].path = std::to_string(i);
    }
    list.ReplaceItems(items);

    while (at < size) {
        const std::uint8_t op = next();
        const std::int32_t value = static_cast<std::int8_t>(next());
        switch (op % 6) {
            case 0:
                list.SetPlayMode(value % 4);
                break;
            case 1:
                list.SelectIndex(value);
                break;
            case 2:
                list.MarkUnplayable(value);
                break;
            case 3:
                clock.seconds += op % 3;
                break;
            case 4:
                list.SelectByPath(std::to_string(value));
                break;
            default: {
                const std::int32_t chosen = list.AdvancePlayOrder();
                const PlayMode mode = list.GetPlayMode();
                if (rows == 0) {
                    Check(chosen == 0);
                } else if (list.HasChoosableRow() && mode >= 0 && mode <= 2) {
                    Check(chosen >= 0 && static_cast<std::size_t>(chosen) < rows);
                    PlaylistItem row = list.GetItem(chosen);
                    Check(!row.isFolder && !row.unplayable && row.played);
                }
                break;
            }
        }
        // The played count is the headings plus the file rows whose flag is set.
        std::int32_t expected = 0;
        for (const PlaylistItem& row : list.Items())
            expected += row.isFolder || row.played;
        Check(list.PlayedCount() == expected);
    }
    return 0;
}
