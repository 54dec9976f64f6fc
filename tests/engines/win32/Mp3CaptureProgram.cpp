// Plays a two-row list of MP3 files (1 s of silence, then 3 s at 440 Hz, mono 22050 Hz;
// made by the calling script) through the playback control, the MP3 engine and VBMP3.dll
// beside this program, bound as the player binds it, the way the main window does: play,
// wait for the end-of-track message from the library's end callback, play the next row.
// Wine's capture holds the session, in which the tone is the only sound.
// Usage: mp3_capture_program <first.mp3> <second.mp3> [volume]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "CoreIds.h"
#include "TwoRowCapture.h"
#include "engines/PlaybackControl.h"
#include "engines/Vbmp3Engine.h"
#include "engines/win32/Vbmp3Library.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Messenger.h"

using namespace hgf;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::printf("usage: mp3_capture_program <first.mp3> <second.mp3> [volume]\n");
        return 2;
    }
    const int volume = argc > 3 ? std::atoi(argv[3]) : 100;
    FileSystem& files = TheWin32FileSystem();
    Messenger& messenger = TheWin32Messenger();
    Vbmp3Library library;
    if (!library.Functions()) {
        std::printf("FAILED: VBMP3.dll beside the program does not load\n");
        return 1;
    }

    Playlist list(PlaylistServices{files, messenger, SystemClock(), {}});
    std::deque<PlaylistItem> rows(2);
    rows[0].path = argv[1];
    rows[1].path = argv[2];
    list.ReplaceItems(rows);
    list.SetPlayMode(PLAY_MODE_LIST_ORDER);
    list.SelectIndex(0);

    Vbmp3Engine mp3(library.Binding());
    PlaybackControl control(list, files, messenger, PlaybackEngines{.mp3 = &mp3});
    return test::PlayTwoRows(control, list, volume,
                             {.engineKind = ENGINE_MP3, .engineName = "MP3"});
}
