#include "ConversionJob.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include "ConversionRules.h"
#include "SongConverter.h"

namespace smfconverter {
namespace {

// Reads one configuration file on top of `rules`; false (with the report filled) on error.
bool ReadConfiguration(ConversionFiles& files, const std::string& path, std::int32_t fileNumber,
                       ConversionRules& rules, ConversionReport& report) {
    report.outcome = kConfigurationError;
    report.errorFile = fileNumber;
    const auto text = path.empty() ? std::nullopt : files.ReadAll(path, kMaxConfigurationBytes);
    if (!text) return false;
    const RulesReadResult result = ReadRules(
        std::string_view(reinterpret_cast<const char*>(text->data()), text->size()), rules);
    report.errorLine = result.errorLine;
    if (!result.ok) return false;
    report = {};
    return true;
}

ConversionOutcome OutcomeOf(ReadStatus status) {
    switch (status) {
        case ReadStatus::Ok:
            return kConverted;
        case ReadStatus::NotMidi:
            return kNotMidi;
        case ReadStatus::UnsupportedFormat:
            return kUnsupportedFormat;
        case ReadStatus::Damaged:
            break;
    }
    return kDamaged;
}

}  // namespace

ConversionReport RunConversion(ConversionFiles& files, const ConversionRequest& request) {
    ConversionReport report;
    ConversionRules rules;
    if (!ReadConfiguration(files, request.configuration, 1, rules, report)) return report;
    if (!request.secondConfiguration.empty() &&
        request.secondConfiguration != request.configuration &&
        !ReadConfiguration(files, request.secondConfiguration, 2, rules, report)) {
        return report;
    }
    const auto finish = [&report](ConversionOutcome outcome) {
        report.outcome = outcome;
        return report;
    };
    if (rules.ChangesNothing()) return finish(kNothingToChange);

    // A look at the start first, so that a large file of another kind is not read whole.
    const auto head = files.ReadStart(request.item, kSignatureBytes);
    if (!head) return finish(kUnreadable);
    if (!LooksLikeMidi(*head)) return finish(kNotMidi);
    const auto song = files.ReadAll(request.item, kMaxSongBytes);
    if (!song) return finish(kUnreadable);

    std::vector<std::uint8_t> converted;
    SongSummary summary;
    const ReadStatus status = ConvertSong(*song, rules, converted, summary);
    report.outcome = OutcomeOf(status);
    report.format = summary.format;
    report.trackCount = summary.trackCount;
    if (status != ReadStatus::Ok) return report;
    report.eventsWritten = static_cast<std::int32_t>(
        std::min<std::size_t>(summary.eventsWritten, std::numeric_limits<std::int32_t>::max()));
    if (request.output.empty() || !files.Replace(request.output, converted))
        report.outcome = kNotWritten;
    return report;
}

}  // namespace smfconverter
