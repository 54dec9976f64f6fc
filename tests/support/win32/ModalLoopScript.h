// Drives a modal dialog from inside its own message loop: a thread timer fires within
// the loop that `open` runs on this thread, and once `find` returns the dialog, `script`
// runs with it on this thread (so key states, focus and sent messages behave as for the
// dialog's own thread). The script must close the dialog. A dialog that never shows is
// given up after the timeout, and dialogs of this thread left open then are cancelled.
#pragma once

#include <windows.h>

#include <functional>

namespace hgf::test {

namespace modal_loop_detail {

struct Script {
    std::function<HWND()> find;
    std::function<void(HWND)> run;
    ULONGLONG deadline = 0;
    UINT_PTR timer = 0;
    bool ran = false;
};

inline thread_local Script* t_script = nullptr;

inline BOOL CALLBACK CancelDialog(HWND window, LPARAM) {
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpA(name, "#32770") == 0) PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

inline void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    Script* script = t_script;
    if (!script || script->ran || !script->timer) return;
    HWND dialog = script->find();
    if (!dialog && GetTickCount64() < script->deadline) return;
    KillTimer(nullptr, script->timer);
    script->timer = 0;
    if (!dialog) {
        EnumThreadWindows(GetCurrentThreadId(), CancelDialog, 0);
        return;
    }
    script->ran = true;
    script->run(dialog);
}

}  // namespace modal_loop_detail

// Returns true when the script ran.
inline bool RunInsideModalLoop(const std::function<void()>& open, const std::function<HWND()>& find,
                               const std::function<void(HWND)>& script, int timeoutMs = 10000) {
    using namespace modal_loop_detail;
    Script state{find, script, GetTickCount64() + timeoutMs, 0, false};
    Script* outer = t_script;
    t_script = &state;
    state.timer = SetTimer(nullptr, 0, 20, Tick);
    open();
    if (state.timer) KillTimer(nullptr, state.timer);
    t_script = outer;
    return state.ran;
}

// The first visible window of this thread with class "#32770" and the title `title`.
inline HWND FindThreadDialog(const char* title) {
    struct Search {
        const char* title;
        HWND found;
    } search{title, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto* search = reinterpret_cast<Search*>(data);
            char name[16] = "", text[128] = "";
            GetClassNameA(window, name, sizeof name);
            GetWindowTextA(window, text, sizeof text);
            if (lstrcmpA(name, "#32770") == 0 && lstrcmpA(text, search->title) == 0 &&
                IsWindowVisible(window)) {
                search->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace hgf::test
