// Plays a two-row list of stream files made here (1 s of silence, then 3 s at 440 Hz)
// through the playback control with the stream players and the real waveform output, the
// way the main window does: play, wait for the end-of-track message, play the next row.
// Ogg Vorbis is mono at 22050 Hz; FLAC, 24-bit FLAC (96 kHz), Ogg FLAC and Opus are stereo
// at their own rates. The tone's file has a Japanese name (表, whose trail byte is a
// backslash byte). Wine's capture holds the session, in which the tone is the only sound.
// Usage: stream_capture_program <vorbis|flac|flac24|oggflac|opus> [volume]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "CoreIds.h"
#include "OggTestFiles.h"
#include "StreamTestFiles.h"
#include "TwoRowCapture.h"
#include "engines/FlacOpusPlayer.h"
#include "engines/OggStreamPlayer.h"
#include "engines/PlaybackControl.h"
#include "engines/win32/WinWaveOutput.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Messenger.h"

namespace {

using namespace hgf;

// The file of `format` holding `tone`; empty for an unknown format.
std::string Encode(const std::string& format, test::PcmToneOptions tone) {
    if (format == "vorbis")
        return test::EncodeTone({.channels = 1,
                                 .rate = 22050,
                                 .seconds = tone.seconds,
                                 .frequency = tone.frequency,
                                 .amplitude = tone.amplitude});
    tone.channels = 2;
    tone.rate = format == "flac24" ? 96000 : 44100;
    tone.bits = format == "flac24" ? 24 : 16;
    if (format == "flac" || format == "flac24") return test::EncodeFlac(tone);
    if (format == "oggflac") return test::EncodeFlac(tone, true);
    if (format == "opus") return test::EncodeOpus(tone);
    return {};
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return !bytes.empty() && static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: stream_capture_program <vorbis|flac|flac24|oggflac|opus> [volume]\n");
        return 2;
    }
    const std::string format = argv[1];
    const int volume = argc > 2 ? std::atoi(argv[2]) : 100;
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string folder =
        std::string(temp) + "hgf-stream-capture-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string lead = folder + "\\lead." + format;
    const std::string tone = folder + "\\\x95\x5c." + format;
    if (!WriteFile(lead, Encode(format, {.seconds = 1.0, .amplitude = 0.0})) ||
        !WriteFile(tone, Encode(format, {.seconds = 3.0, .frequency = 440, .amplitude = 0.8}))) {
        std::printf("cannot write the %s test files in %s\n", format.c_str(), folder.c_str());
        return 2;
    }

    FileSystem& files = TheWin32FileSystem();
    Messenger& messenger = TheWin32Messenger();
    Playlist list(PlaylistServices{files, messenger, SystemClock(), {}});
    std::deque<PlaylistItem> rows(2);
    rows[0].path = lead;
    rows[1].path = tone;
    list.ReplaceItems(rows);
    list.SetPlayMode(PLAY_MODE_LIST_ORDER);
    list.SelectIndex(0);

    WinWaveOutput output;
    OggStreamPlayer ogg(files, output);
    FlacOpusPlayer flacOpus(files, output);
    PlaybackControl control(list, files, messenger,
                            PlaybackEngines{.ogg = &ogg, .flacOpus = &flacOpus});
    const bool vorbis = format == "vorbis";
    const int result = test::PlayTwoRows(control, list, volume,
                                         {.engineKind = vorbis ? ENGINE_OGG : ENGINE_FLAC_OPUS,
                                          .engineName = vorbis ? "Ogg Vorbis" : "FLAC and Opus",
                                          .timeSecondRow = true});
    DeleteFileA(lead.c_str());
    DeleteFileA(tone.c_str());
    RemoveDirectoryA(folder.c_str());
    return result;
}
