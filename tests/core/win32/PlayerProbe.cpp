// Test tool: watches the running player from another process. It finds the program's
// window, reports the rows and the selected row of its list as they change, creates
// <ready file> once rows are shown, and closes the player (WM_CLOSE) 3 s after the
// selection reached the <tracks>-th distinct row (under Wine the filter graph, which plays
// the Ogg files there, may take a second or two to start).
//   PlayerProbe <ready file> <tracks> <timeout seconds>
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <set>

#include "PlayerListLookup.h"

namespace {

constexpr DWORD kPollMs = 100;
constexpr DWORD kLingerMs = 3000;

// The working set of the process that owns `window`, in KiB (0 when unknown).
unsigned long WorkingSetKb(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    HANDLE handle = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process);
    if (!handle) return 0;
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    unsigned long kb = GetProcessMemoryInfo(handle, &counters, sizeof counters)
                           ? static_cast<unsigned long>(counters.WorkingSetSize / 1024)
                           : 0;
    CloseHandle(handle);
    return kb;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: PlayerProbe <ready file> <tracks> <timeout seconds>\n");
        return 2;
    }
    const char* readyPath = argv[1];
    std::size_t tracks = std::strtoul(argv[2], nullptr, 10);
    ULONGLONG deadline = GetTickCount64() + 1000ull * std::strtoul(argv[3], nullptr, 10);

    HWND player = nullptr;
    HWND combo = nullptr;
    LRESULT lastCount = -2, lastSelection = -2;
    std::set<LRESULT> selections;
    bool ready = false;
    ULONGLONG closeAt = 0;
    while (GetTickCount64() < deadline) {
        if (!combo) {
            combo = hgf::test::FindPlayerList(player);
            if (combo) std::printf("window found\n");
        } else if (!IsWindow(player)) {
            std::printf("window closed\n");
            return closeAt ? 0 : 1;
        } else {
            LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
            LRESULT selection = SendMessageA(combo, CB_GETCURSEL, 0, 0);
            if (count != lastCount || selection != lastSelection) {
                std::printf("rows %d selected %d\n", int(count), int(selection));
                lastCount = count;
                lastSelection = selection;
            }
            if (count > 0 && !ready) {
                ready = true;
                if (FILE* file = std::fopen(readyPath, "w")) std::fclose(file);
            }
            if (count > 0 && selection >= 0) selections.insert(selection);
            if (!closeAt && selections.size() >= tracks) {
                closeAt = GetTickCount64() + kLingerMs;
                std::printf("player working set %lu KiB\n", WorkingSetKb(player));
            }
            if (closeAt && GetTickCount64() >= closeAt) {
                std::printf("closing\n");
                PostMessageA(player, WM_CLOSE, 0, 0);
                closeAt = deadline;  // posted once; wait for the window to go
            }
        }
        std::fflush(stdout);
        Sleep(kPollMs);
    }
    std::printf("timed out\n");
    return 1;
}
