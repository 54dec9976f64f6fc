// Plays a two-row list of MP3 files (1 s of silence, then 3 s at 440 Hz, mono 22050 Hz;
// made by the calling script) through the playback control, the MP3 engine, the MP3
// library and the real waveform output, the way the main window does: play, wait for the
// end-of-track message from the library's end callback, play the next row. Wine's capture
// holds the session, in which the tone is the only sound.
// Usage: mp3_capture_program <first.mp3> <second.mp3> [volume]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "CoreIds.h"
#include "engines/PlaybackControl.h"
#include "engines/Vbmp3Engine.h"
#include "engines/vbmp3/Vbmp3Platform.h"
#include "engines/win32/WinWaveOutput.h"
#include "platform/CodePage932.h"
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
    WinWaveOutput output;
    vbmp3::PlatformInstallation platform({&files, &output, &CodePage932FromUtf16});

    Playlist list(PlaylistServices{files, messenger, SystemClock(), {}});
    std::deque<PlaylistItem> rows(2);
    rows[0].path = argv[1];
    rows[1].path = argv[2];
    list.ReplaceItems(rows);
    list.SetPlayMode(PLAY_MODE_LIST_ORDER);
    list.SelectIndex(0);

    Vbmp3Engine mp3;
    PlaybackControl control(list, files, messenger, PlaybackEngines{.mp3 = &mp3});
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);

    bool ok = true;
    auto check = [&](bool condition, const char* what) {
        if (!condition) {
            std::printf("FAILED: %s\n", what);
            ok = false;
        }
    };
    const auto level = static_cast<std::uint8_t>(volume);
    const ULONGLONG start = GetTickCount64();
    ULONGLONG secondStart = 0;
    check(control.PlayUntilStarted(window, MSG_PLAY_CURRENT, level), "the first row plays");
    check(control.GetEngineKind() == ENGINE_MP3, "the first row plays as MP3");
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
                check(control.PlayUntilStarted(window, MSG_PLAY_CURRENT, level),
                      "the second row plays");
                check(control.GetEngineKind() == ENGINE_MP3, "the second row plays as MP3");
            } else {
                // The device may play faster than real time (Wine's file device does).
                std::printf("second row ended after %llu ms; current row %d\n", now - secondStart,
                            list.GetCurrentIndex());
                check(list.GetCurrentIndex() == 0, "the end advanced to the first row again");
                control.Stop();
            }
            continue;
        }
        DispatchMessageA(&message);
    }
    control.Stop();
    DestroyWindow(window);
    std::printf("%s\n", ok ? "ok" : "failed");
    return ok ? 0 : 1;
}
