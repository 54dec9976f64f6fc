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
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);

    bool ok = true;
    auto check = [&](bool condition, const char* what) {
        if (!condition) {
            std::printf("FAILED: %s\n", what);
            ok = false;
        }
    };
    const ULONGLONG start = GetTickCount64();
    ULONGLONG secondStart = 0;
    check(control.PlayUntilStarted(window, MSG_PLAY_CURRENT, static_cast<std::uint8_t>(volume)),
          "the first row plays");
    check(control.GetEngineKind() == ENGINE_OGG, "the first row plays as Ogg Vorbis");
    SetTimer(nullptr, 0, 15000, nullptr);  // gives up if the end messages do not come

    int ends = 0;
    MSG message;
    while (ok && ends < 2 && GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.hwnd == nullptr) {
            check(false, "the end-of-track messages arrive within 15 s");
            break;
        }
        if (message.hwnd == window && message.message == MSG_PLAY_CURRENT) {
            ++ends;
            const ULONGLONG now = GetTickCount64();
            if (ends == 1) {
                std::printf("first row ended after %llu ms; current row %d\n", now - start,
                            list.GetCurrentIndex());
                check(list.GetCurrentIndex() == 1, "the end advanced to the second row");
                secondStart = now;
                check(control.PlayUntilStarted(window, MSG_PLAY_CURRENT,
                                               static_cast<std::uint8_t>(volume)),
                      "the second row plays");
                check(control.GetEngineKind() == ENGINE_OGG, "the second row plays as Ogg Vorbis");
            } else {
                std::printf("second row ended after %llu ms\n", now - secondStart);
                check(now - secondStart >= 2900 && now - secondStart < 4000,
                      "the second row ends after its 3 s");
                control.Stop();
            }
            continue;
        }
        DispatchMessageA(&message);
    }
    control.Stop();
    DestroyWindow(window);
    DeleteFileA(lead.c_str());
    DeleteFileA(tone.c_str());
    RemoveDirectoryA(folder.c_str());
    std::printf("%s\n", ok ? "ok" : "failed");
    return ok ? 0 : 1;
}
