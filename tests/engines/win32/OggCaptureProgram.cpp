// Plays a two-row list of Ogg Vorbis files made here (1 s of silence, then 3 s at 440 Hz,
// mono 22050 Hz) through the playback control and the real waveform output, the way the
// main window does: play, wait for the end-of-track message, play the next row. Wine's
// capture holds the whole session, in which the tone is the only sound.
// Usage: ogg_capture_program [volume]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "CoreIds.h"
#include "OggTestFiles.h"
#include "TwoRowCapture.h"
#include "engines/OggStreamPlayer.h"
#include "engines/PlaybackControl.h"
#include "engines/win32/WinWaveOutput.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Messenger.h"

namespace {

using namespace hgf;

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    const int volume = argc > 1 ? std::atoi(argv[1]) : 100;
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string folder =
        std::string(temp) + "hgf-ogg-capture-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string lead = folder + "\\lead.ogg";
    const std::string tone = folder + "\\tone.ogg";
    if (!WriteFile(lead, test::EncodeTone({.seconds = 1.0, .amplitude = 0.0})) ||
        !WriteFile(tone, test::EncodeTone({.seconds = 3.0, .frequency = 440, .amplitude = 0.8}))) {
        std::printf("cannot write the test files in %s\n", folder.c_str());
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
    PlaybackControl control(list, files, messenger, PlaybackEngines{.ogg = &ogg});
    const int result = test::PlayTwoRows(
        control, list, volume,
        {.engineKind = ENGINE_OGG, .engineName = "Ogg Vorbis", .timeSecondRow = true});
    DeleteFileA(lead.c_str());
    DeleteFileA(tone.c_str());
    RemoveDirectoryA(folder.c_str());
    return result;
}
