// A conversion as the library's callers ask for it, over in-memory files: which outcome
// each kind of item and configuration gives, that only a finished conversion writes, and
// that the second configuration file is read after the first.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "ConversionJob.h"
#include "SmfTestFiles.h"

namespace smfconverter {
namespace {

using test::ByteList;

class MemoryFiles final : public ConversionFiles {
  public:
    std::optional<std::vector<std::uint8_t>> ReadStart(const std::string& path,
                                                       std::size_t count) override {
        auto file = files.find(path);
        if (file == files.end()) return std::nullopt;
        const std::size_t size = std::min(count, file->second.size());
        return ByteList(file->second.begin(), file->second.begin() + size);
    }
    std::optional<std::vector<std::uint8_t>> ReadAll(const std::string& path,
                                                     std::size_t limit) override {
        readWhole.push_back(path);
        auto file = files.find(path);
        if (file == files.end() || file->second.size() > limit) return std::nullopt;
        return file->second;
    }
    bool Replace(const std::string& path, Bytes bytes) override {
        ++replaces;
        if (failWrites) return false;
        files[path].assign(bytes.begin(), bytes.end());
        return true;
    }

    std::map<std::string, ByteList> files;
    std::vector<std::string> readWhole;
    int replaces = 0;
    bool failWrites = false;
};

ByteList Text(std::string_view text) {
    return ByteList(text.begin(), text.end());
}

const ByteList kSong = test::Smf(
    0, 96, {test::Track({{0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}}, {0, {0x90, 60, 100}}}, 96)});

struct JobCase {
    const char* what;
    std::string configuration;  // the first file's text; "-" for no file
    std::string second;         // the second file's text; "" for no second path
    ByteList item;              // the item; empty for no file
    std::int32_t outcome;
    std::int32_t errorLine = 0;
    std::int32_t errorFile = 0;
};

TEST(ConversionJobTest, OnlyAFinishedConversionWritesAndTheReportSaysWhy) {
    const ByteList wave = {'R', 'I', 'F', 'F', 36, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
    const ByteList damaged(kSong.begin(), kSong.end() - 5);
    const JobCase cases[] = {
        {"converted", "velocity 50%", "", kSong, kConverted},
        {"rules that change nothing", "; none yet", "", kSong, kNothingToChange},
        {"no configuration file", "-", "", kSong, kConfigurationError, 0, 1},
        {"a bad line", "tempo 90%\nvelocity", "", kSong, kConfigurationError, 2, 1},
        {"a bad line in the second file", "tempo 90%", "\n\nmute 17", kSong, kConfigurationError, 3,
         2},
        {"a wave file", "velocity 50%", "", wave, kNotMidi},
        {"no item", "velocity 50%", "", {}, kUnreadable},
        {"format 2", "velocity 50%", "", test::Smf(2, 96, {test::Track({})}), kUnsupportedFormat},
        {"a damaged file", "velocity 50%", "", damaged, kDamaged},
    };
    for (const JobCase& c : cases) {
        MemoryFiles files;
        const ByteList before = Text("the previous conversion");
        files.files["C:\\out.mid"] = before;
        if (c.configuration != "-") files.files["C:\\a.cfg"] = Text(c.configuration);
        if (!c.second.empty()) files.files["C:\\b.cfg"] = Text(c.second);
        if (!c.item.empty()) files.files["C:\\item"] = c.item;
        const ConversionReport report = RunConversion(
            files, {"C:\\item", "C:\\out.mid", "C:\\a.cfg", c.second.empty() ? "" : "C:\\b.cfg"});
        EXPECT_EQ(report.outcome, c.outcome) << c.what;
        EXPECT_EQ(report.errorLine, c.errorLine) << c.what;
        EXPECT_EQ(report.errorFile, c.errorFile) << c.what;
        if (c.outcome == kConverted) {
            EXPECT_EQ(files.files["C:\\out.mid"].size(), kSong.size()) << c.what;
            EXPECT_EQ(report.format, 0);
            EXPECT_EQ(report.trackCount, 1);
            EXPECT_EQ(report.eventsWritten, 3);
        } else {
            EXPECT_EQ(files.replaces, 0) << c.what;
            EXPECT_EQ(files.files["C:\\out.mid"], before) << c.what;
        }
        // An item that does not start like a MIDI file is never read whole.
        if (c.outcome == kNotMidi) {
            EXPECT_EQ(std::count(files.readWhole.begin(), files.readWhole.end(), "C:\\item"), 0);
        }
    }
}

TEST(ConversionJobTest, TheSecondFileIsReadAfterTheFirstAndAFailedWriteIsReported) {
    MemoryFiles files;
    files.files["C:\\item.mid"] = kSong;
    files.files["C:\\a.cfg"] = Text("tempo 50%\nvelocity 50%");
    files.files["C:\\b.cfg"] = Text("tempo 200%");
    ConversionReport report =
        RunConversion(files, {"C:\\item.mid", "C:\\out.mid", "C:\\a.cfg", "C:\\b.cfg"});
    ASSERT_EQ(report.outcome, kConverted);
    EXPECT_EQ(test::Describe(files.files["C:\\out.mid"]),
              (std::vector<std::string>{"0: 0 tempo 250000", "0: 0 on ch1 60 50", "0: 96 end"}));

    // The same path twice is one file, read once.
    files.readWhole.clear();
    report = RunConversion(files, {"C:\\item.mid", "C:\\out.mid", "C:\\a.cfg", "C:\\a.cfg"});
    EXPECT_EQ(report.outcome, kConverted);
    EXPECT_EQ(std::count(files.readWhole.begin(), files.readWhole.end(), "C:\\a.cfg"), 1);

    files.failWrites = true;
    report = RunConversion(files, {"C:\\item.mid", "C:\\out.mid", "C:\\a.cfg", ""});
    EXPECT_EQ(report.outcome, kNotWritten);
    EXPECT_EQ(report.trackCount, 1);
}

}  // namespace
}  // namespace smfconverter
