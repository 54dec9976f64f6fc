// Compiles the lines of a sound-effect file ("HEADER:v1,v2,...") into records and
// chains them into sounds.
#include "EffectSet.h"

#include <string_view>

namespace tonwerkel {

int EffectSet::firstAudibleRecord(int sound) const {
    if (sound < 0 || sound >= kSounds) return 0;
    int record = soundTable[sound];
    // A chain never holds more records than the set; the bound keeps a hand-made
    // cycle from hanging.
    for (int guard = 0; guard <= kRecords && record > 0 && record <= kRecords; ++guard) {
        if (records[record].frames != 0) return record;
        record = records[record].next;
    }
    return 0;
}

namespace {

constexpr std::size_t kMaxHeaderLength = 254;  // headers of 255 characters or more are ignored
constexpr int kMaxValues = 5;

// An optional sign and decimal digits; reading stops at the first other character.
// Saturates instead of overflowing on absurdly long digit runs.
int32_t readNumber(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT32_MAX) value = int64_t{INT32_MAX} + 1;
    }
    value = negative ? -value : value;
    if (value > INT32_MAX) value = INT32_MAX;
    return static_cast<int32_t>(value);
}

// Frames of a sweep: the time value times the line's scale, kept as the 16-bit count.
uint16_t sweepFrames(int32_t scale, int32_t time) {
    return static_cast<uint16_t>(int64_t{scale} * time);
}

class EffectCompiler {
  public:
    explicit EffectCompiler(EffectSet& set) : set_(set) {}

    void line(std::string_view text) {
        if (text.empty() || text[0] == ';') return;
        const std::size_t colon = text.find(':');
        if (colon == std::string_view::npos || colon > kMaxHeaderLength) return;
        const std::string_view header = text.substr(0, colon);

        std::string_view fields[kMaxValues];
        std::string_view rest = text.substr(colon + 1);
        for (int i = 0; i < kMaxValues; ++i) {
            const std::size_t comma = rest.find(',');
            fields[i] = rest.substr(0, comma);
            if (comma == std::string_view::npos) break;
            rest = rest.substr(comma + 1);
        }
        int32_t values[kMaxValues];
        for (int i = 0; i < kMaxValues; ++i)
            values[i] = readNumber(fields[i]);

        if (header == "SOUND") {
            sound(fields[0], values);
        } else if (header == "TONE1" || header == "TONE2") {
            EffectTone& tone = current().tone[header[4] - '1'];
            tone.startPeriod = static_cast<int16_t>(values[0]);
            tone.sweep = static_cast<int16_t>(values[1]);
            tone.sweepFrames = sweepFrames(toneScale_, values[2]);
            tone.repeat = values[3] == 0;
        } else if (header == "VOL1" || header == "VOL2") {
            EffectVolume& volume = current().volume[header[3] - '1'];
            volume.start = static_cast<int16_t>(values[0]);
            volume.sweep = static_cast<int16_t>(values[1]);
            volume.sweepFrames = sweepFrames(volumeScale_, values[2]);
            volume.repeat = values[3] == 0;
        } else if (header == "NOISE") {
            EffectNoise& noise = current().noise;
            noise.mode = static_cast<uint8_t>(values[0]);
            noise.startPeriod = static_cast<uint8_t>(values[1]);
            noise.sweep = static_cast<int8_t>(values[2]);
            noise.sweepFrames = sweepFrames(toneScale_, values[3]);
            noise.repeat = values[4] == 0;
        }
    }

  private:
    // "SOUND:[@n,]frames,toneScale,volumeScale" opens a new record at the end of a
    // sound's chain. Lines that cannot get a reachable record (sound number outside
    // 0-63, no sound chosen yet, all 128 records used) send their definition lines
    // to the unplayed record 0.
    void sound(std::string_view first, const int32_t* values) {
        const bool numbered = !first.empty() && first[0] == '@';
        const int32_t* rest = values;
        if (numbered) {
            const int32_t number = readNumber(first.substr(1));
            sound_ = (number >= 0 && number < EffectSet::kSounds) ? number : -1;
            rest = values + 1;
        }
        toneScale_ = rest[1] != 0 ? rest[1] : 1;
        volumeScale_ = rest[2];
        record_ = 0;
        if (sound_ < 0 || used_ >= EffectSet::kRecords) return;

        record_ = ++used_;
        set_.records[record_].frames = static_cast<uint16_t>(rest[0]);
        uint8_t* link = &set_.soundTable[sound_];
        while (*link != 0)
            link = &set_.records[*link].next;
        *link = static_cast<uint8_t>(record_);
    }

    EffectRecord& current() { return set_.records[record_]; }

    EffectSet& set_;
    int used_ = 0;    // records handed out so far
    int record_ = 0;  // record that definition lines fill
    int sound_ = -1;  // sound that unnumbered "SOUND" lines extend; -1 = none yet
    int32_t toneScale_ = 1;
    int32_t volumeScale_ = 1;
};

}  // namespace

void compileEffects(EffectSet& set, const char* text, std::size_t length) {
    set.clear();
    EffectCompiler compiler(set);
    std::size_t start = 0;
    while (start < length) {
        std::size_t end = start;
        while (end < length && text[end] != '\0')
            ++end;
        compiler.line(std::string_view(text + start, end - start));
        start = end + 1;
    }
}

}  // namespace tonwerkel
