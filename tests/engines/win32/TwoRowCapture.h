// The play loop of the capture programs: a two-row list played through the playback
// control the way the main window does it — play, wait for the end-of-track message, play
// the next row — with the engine kind checked at each start. Prints what it saw and returns
// the program's exit code (0 when every check held).
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>

#include "CoreIds.h"
#include "engines/PlaybackControl.h"
#include "playlist/Playlist.h"

namespace hgf::test {

struct TwoRowExpectations {
    int engineKind = 0;
    const char* engineName = "";
    // The second row is timed (2.9-4 s); Wine's file device may play faster than real time,
    // so only a device that keeps time is checked.
    bool timeSecondRow = false;
};

inline int PlayTwoRows(PlaybackControl& control, Playlist& list, int volume,
                       const TwoRowExpectations& expected) {
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    bool ok = true;
    auto check = [&](bool condition, const char* what) {
        if (!condition) {
            std::printf("FAILED: %s\n", what);
            ok = false;
        }
    };
    auto start = [&](const char* row) {
        std::printf("playing the %s row as %s\n", row, expected.engineName);
        check(control.PlayUntilStarted(window, MSG_PLAY_CURRENT, static_cast<std::uint8_t>(volume)),
              "the row plays");
        check(control.GetEngineKind() == expected.engineKind, "the row plays with its engine");
    };

    const ULONGLONG begin = GetTickCount64();
    ULONGLONG secondStart = 0;
    start("first");
    SetTimer(nullptr, 0, 15000, nullptr);  // gives up if the end messages do not come

    int ends = 0;
    MSG message;
    while (ok && ends < 2 && GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.hwnd == nullptr) {
            check(false, "the end-of-track messages arrive within 15 s");
            break;
        }
        if (message.hwnd != window || message.message != MSG_PLAY_CURRENT) {
            DispatchMessageA(&message);
            continue;
        }
        ++ends;
        const ULONGLONG now = GetTickCount64();
        if (ends == 1) {
            std::printf("first row ended after %llu ms; current row %d\n", now - begin,
                        list.GetCurrentIndex());
            check(list.GetCurrentIndex() == 1, "the end advanced to the second row");
            secondStart = now;
            start("second");
        } else {
            std::printf("second row ended after %llu ms; current row %d\n", now - secondStart,
                        list.GetCurrentIndex());
            check(list.GetCurrentIndex() == 0, "the end advanced to the first row again");
            if (expected.timeSecondRow)
                check(now - secondStart >= 2900 && now - secondStart < 4000,
                      "the second row ends after its 3 s");
        }
    }
    control.Stop();
    DestroyWindow(window);
    std::printf("%s\n", ok ? "ok" : "failed");
    return ok ? 0 : 1;
}

}  // namespace hgf::test
