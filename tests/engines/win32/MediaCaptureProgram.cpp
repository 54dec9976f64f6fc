// Plays one item through the playback control into Wine's capture file, the way the main
// window does, and waits for the end of the track:
//   media_capture_program directshow VOLUME   a 2 s 440 Hz wave through the filter graph
//   media_capture_program mci VOLUME          the same wave through MCI (no filter graph)
//   media_capture_program mml VOLUME          a 440 Hz song through tonwerkel.dll for 2 s
// It prints what it sent and saw; media_capture_test.sh checks the captured sound.
#include <windows.h>

#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "CoreIds.h"
#include "MediaTestFiles.h"
#include "MediaTestSupport.h"
#include "engines/PlaybackControl.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Messenger.h"

namespace {

using namespace hgf;

int Run(const std::string& mode, int volume) {
    test::ScratchFolder folder("hgf-media-capture");
    std::deque<PlaylistItem> rows(1);
    if (mode == "mml") {
        rows[0].path = folder.File("a440.mml");
        std::ofstream(rows[0].path) << "4:t120 q8 v15 o4 l1 aaaa\r\n";
    } else {
        rows[0].path = folder.File("a440.wav");
        if (!test::WriteToneWave(rows[0].path, 440, 2.0, 0.8)) return 2;
    }
    Playlist list(PlaylistServices{TheWin32FileSystem(), TheWin32Messenger(), SystemClock(), {}});
    list.ReplaceItems(rows);
    list.SetPlayMode(PLAY_MODE_LIST_ORDER);
    list.SelectIndex(0);
    list.mmlPlayTime = 2;

    test::RecordingMci mci;
    WinMediaEngine engine(mci,
                          mode == "mci" ? test::NoFilterGraph : &WinMediaEngine::CreateFilterGraph);
    WinMmlBridge bridge;
    PlaybackEngines engines;
    if (mode == "mml") {
        engines.mml = &bridge;
    } else {
        engines.media = &engine;
    }
    PlaybackControl control(list, TheWin32FileSystem(), TheWin32Messenger(), engines);
    test::MessageWindow window;

    const ULONGLONG start = GetTickCount64();
    if (!control.Play(window.Handle(), MSG_PLAY_CURRENT, static_cast<std::uint8_t>(volume))) {
        std::printf("FAILED: the item did not play\n");
        return 1;
    }
    std::printf("engine kind %d, %s\n", control.GetEngineKind(),
                mode == "mml"        ? "synthesizer"
                : engine.InMciMode() ? "MCI mode"
                                     : "DirectShow mode");
    if (auto graphVolume = engine.GraphVolume()) std::printf("graph volume %ld\n", *graphVolume);
    const bool ended = window.PumpUntil(
        [&] {
            for (const MSG& message : window.received) {
                if (message.message == MSG_PLAY_CURRENT) return true;
                if (message.message == MM_MCINOTIFY && message.wParam == MCI_NOTIFY_SUCCESSFUL)
                    return true;
            }
            return false;
        },
        15000);
    std::printf("%s after %llu ms\n", ended ? "ended" : "FAILED: no end", GetTickCount64() - start);
    for (const MSG& message : window.received) {
        std::printf("message %s wParam %llu\n",
                    message.message == MSG_PLAY_CURRENT ? "MSG_PLAY_CURRENT" : "MM_MCINOTIFY",
                    static_cast<unsigned long long>(message.wParam));
    }
    control.Stop();
    for (const std::string& command : mci.commands)
        std::printf("mci: %s\n", command.c_str());
    return ended ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::printf("usage: media_capture_program directshow|mci|mml VOLUME\n");
        return 2;
    }
    return Run(argv[1], std::atoi(argv[2]));
}
