// The library's one function (ordinal 2): converts a MIDI file with a configuration file.
// Nothing crosses the boundary but the result: failures, exceptions included, answer 0.
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "ConversionJob.h"
#include "win32/Win32ConversionFiles.h"

namespace {

std::string Text(const char* text) {
    return text ? std::string(text) : std::string();
}

}  // namespace

// window: the caller's window (not used: the conversion shows nothing and posts nothing).
// item: the file to convert; output: where the converted file goes (replaced whole, or left
// as it was). configuration, secondConfiguration: the rules, the second file's lines read
// after the first's (null, empty or the same path: one file). report: null, or six 32-bit
// words that receive a ConversionReport. reserved: 0.
// Returns -1 when the converted file was written at `output` and is to be played instead
// of the item, 0 otherwise.
extern "C" std::int32_t WINAPI ConvertSmf(HWND window, const char* item, const char* output,
                                          const char* configuration,
                                          const char* secondConfiguration, std::int32_t* report,
                                          std::int32_t reserved) {
    try {
        smfconverter::Win32ConversionFiles files;
        const smfconverter::ConversionReport result = smfconverter::RunConversion(
            files, {Text(item), Text(output), Text(configuration), Text(secondConfiguration)});
        if (report) std::memcpy(report, &result, sizeof result);
        return result.outcome == smfconverter::kConverted ? -1 : 0;
    } catch (...) {
        return 0;
    }
}
