// Test tool: a program other than the player that loads the core library, as every program
// that receives keys does while the player's keyboard hook is installed, and tries to turn the
// hook to its own ends.
//
//   ForeignHookHost <core library> <folder for the hand-shake files>
//
// 1. srand(42), rand(); srand(42), load the library, rand(): loading must not reseed. Loading
//    it opens no handle, starts no thread and initialises no COM either.
// 2. It finds the library's shared section, which names the player's window once the player
//    plays, and points it at its own window, first with a message of its own, then with the
//    hot-key message. In each step it creates "<folder>/ready-N", waits for "<folder>/typed-N" (the
//    script types keys into its focused window meanwhile) and counts the key releases that arrived
//    and the messages the hook posted to it.
// 3. It puts the section back and waits the same way while F12 is typed: the player's window
//    must hide. Then it closes the player.
// Prints one line per step; exits 0 when every check held.
#include <windows.h>

#include <objbase.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "CoreIds.h"
#include "win32/LibraryLoadKit.h"

namespace {

constexpr UINT kHotkeyMessage = 33823;
constexpr UINT kOwnMessage = WM_APP + 0x77;
constexpr char kTitle[] = "Foreign hook host";

struct SharedTarget {  // the layout of the library's section ".HGFCORE"
    HWND window;
    UINT message;
};

int g_keyReleases = 0;
int g_posts = 0;  // kOwnMessage or the hot-key message, whatever the parameters

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYUP || message == WM_SYSKEYUP) ++g_keyReleases;
    if (message == kOwnMessage || message == kHotkeyMessage) ++g_posts;
    return DefWindowProcA(window, message, wParam, lParam);
}

SharedTarget* FindSection(HMODULE module) {
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        if (std::strncmp(reinterpret_cast<const char*>(section->Name), ".HGFCORE",
                         IMAGE_SIZEOF_SHORT_NAME) == 0) {
            return reinterpret_cast<SharedTarget*>(base + section->VirtualAddress);
        }
    }
    return nullptr;
}

void Pump(DWORD milliseconds) {
    ULONGLONG end = GetTickCount64() + milliseconds;
    while (GetTickCount64() < end) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        Sleep(10);
    }
}

// Whether the player's list shows a current row: it has started playing.
bool PlayerPlaying(HWND player) {
    constexpr int kControlsId = 33770;
    constexpr int kComboId = 33769;
    HWND strip = GetDlgItem(player, kControlsId);
    HWND combo = strip ? GetDlgItem(strip, kComboId) : nullptr;
    return combo && SendMessageA(combo, CB_GETCURSEL, 0, 0) >= 0;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Announces step `n` and pumps messages until the script has typed its keys.
bool AwaitKeys(const std::string& folder, int n, HWND window) {
    SetForegroundWindow(window);
    SetFocus(window);
    std::string ready = folder + "\\ready-" + std::to_string(n);
    if (FILE* file = std::fopen(ready.c_str(), "w")) std::fclose(file);
    std::string typed = folder + "\\typed-" + std::to_string(n);
    for (int i = 0; i < 3000 && !Exists(typed); ++i)
        Pump(10);
    Pump(500);  // the last posts arrive
    return Exists(typed);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: ForeignHookHost <core library> <folder>\n");
        return 2;
    }
    int failures = 0;
    auto check = [&](bool ok, const char* what) {
        std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
        std::fflush(stdout);
        if (!ok) ++failures;
    };

    // Its imports first, mapped without running its code: what they do is not the library's.
    if (HMODULE image = LoadLibraryExA(argv[1], nullptr, DONT_RESOLVE_DLL_REFERENCES)) {
        hgf::test::KeepImportsLoaded(image);
        FreeLibrary(image);
    }
    std::srand(42);
    int first = std::rand();
    std::srand(42);
    DWORD handles = hgf::test::OpenHandleCount();
    int threads = hgf::test::ThreadCount();
    HMODULE core = LoadLibraryA(argv[1]);
    int second = std::rand();
    std::printf("rand after srand(42): %d; after srand(42) and loading the library: %d\n", first,
                second);
    std::printf("loading: handles %lu -> %lu, threads %d -> %d\n", handles,
                hgf::test::OpenHandleCount(), threads, hgf::test::ThreadCount());
    check(core != nullptr, "the core library loads");
    check(first == second, "loading the library leaves the random sequence alone");
    check(hgf::test::OpenHandleCount() == handles && hgf::test::ThreadCount() == threads,
          "loading the library opens no handle and starts no thread");
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    check(com == S_OK, "loading the library initialises no COM on this thread");
    if (SUCCEEDED(com)) CoUninitialize();
    SharedTarget* shared = core ? FindSection(core) : nullptr;
    check(shared != nullptr, "the library has the shared section");
    if (!shared) return 1;

    // The player publishes its window when it starts; wait for that and for its first track.
    for (int i = 0; i < 600 && !(shared->window && PlayerPlaying(shared->window)); ++i)
        Sleep(100);
    SharedTarget player = *shared;
    char className[64] = {};
    GetClassNameA(player.window, className, sizeof className);
    check(player.message == kHotkeyMessage && std::strcmp(className, hgf::kMainWindowClass) == 0,
          "the section names the player's window and the hot-key message");

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "ForeignHookHostWindow";
    RegisterClassA(&windowClass);
    HWND own = CreateWindowA(windowClass.lpszClassName, kTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                             100, 100, 300, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
    Pump(300);

    const std::string folder = argv[2];
    const UINT messages[] = {kOwnMessage, kHotkeyMessage};
    for (int step = 1; step <= 2; ++step) {
        *shared = SharedTarget{own, messages[step - 1]};
        g_keyReleases = g_posts = 0;
        bool typed = AwaitKeys(folder, step, own);
        std::printf("step %d (message %u): %d key releases arrived, %d posts\n", step,
                    messages[step - 1], g_keyReleases, g_posts);
        check(typed && g_keyReleases >= 5, "the typed keys reached this program");
        check(g_posts == 0, "the hook posted nothing to this program");
    }

    *shared = player;
    check(IsWindowVisible(player.window) != FALSE, "the player's window is shown");
    bool typed = AwaitKeys(folder, 3, own);
    for (int i = 0; i < 300 && IsWindowVisible(player.window); ++i)
        Pump(10);
    check(typed && !IsWindowVisible(player.window),
          "F12 typed here, with the section put back, hid the player's window");

    PostMessageA(player.window, WM_CLOSE, 0, 0);
    DestroyWindow(own);
    return failures == 0 ? 0 : 1;
}
