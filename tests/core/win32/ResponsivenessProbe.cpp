// Test tool: watches the running player from another process while it passes over rows
// that do not play. Every 100 ms it asks the window for an answer (WM_NULL, at most 1 s)
// and reads the selected row of its list, and it reports the share of answers and the
// longest silence from the moment the list is shown.
//   ResponsivenessProbe <rows> through <timeout seconds>
//     waits until the selection rests on the last row (the pass is over), checks that the
//     player still answers for 2 s, then closes it;
//   ResponsivenessProbe <rows> close-at <row> <timeout seconds>
//     closes the player (its exit command) once the selection reached <row>, and reports
//     how long the program took to end.
// The exit code is 0 when at least 90 % of the asks were answered, no silence lasted over
// 2 s, and the player ended within 5 s of the close.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <thread>

#include "PlayerListLookup.h"

namespace {

constexpr DWORD kAskEveryMs = 100;
constexpr UINT kAnswerWithinMs = 1000;
constexpr ULONGLONG kRestingMs = 1000;     // the selection stays on the last row this long
constexpr ULONGLONG kAliveCheckMs = 2000;  // answers asked for after the pass
constexpr ULONGLONG kLongestSilenceMs = 2000;
constexpr DWORD kEndWithinMs = 5000;
constexpr double kAnsweredShare = 0.9;

// The answer of `window` to `message`, or -2 when it did not answer within the limit.
LRESULT Ask(HWND window, UINT message) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, 0, 0, SMTO_NORMAL, kAnswerWithinMs, &result))
        return -2;
    return static_cast<LRESULT>(result);
}

// Asks the window for an answer every 100 ms on a thread of its own, so that the other
// asks of the probe do not stretch the gaps it measures.
class Answers {
  public:
    explicit Answers(HWND window) : window_(window), last_(GetTickCount64()) {
        thread_ = std::thread([this] {
            while (!stop_) {
                const bool answered = ::Ask(window_, WM_NULL) != -2;
                Count(answered);
                Sleep(kAskEveryMs);
            }
        });
    }
    ~Answers() { Stop(); }
    void Stop() {
        if (stop_.exchange(true)) return;
        thread_.join();
        Count(false);  // a silence that lasts until now counts too
        --asked_;
    }
    int Asked() const { return asked_; }
    int Answered() const { return answered_; }
    double Share() const { return asked_ ? static_cast<double>(answered_) / asked_ : 0; }
    ULONGLONG LongestSilence() const { return longestSilence_; }
    ULONGLONG LongestSilenceEnd() const { return longestSilenceEnd_; }

  private:
    void Count(bool answered) {
        const ULONGLONG now = GetTickCount64();
        ++asked_;
        if (now - last_ > longestSilence_) {
            longestSilence_ = now - last_;
            longestSilenceEnd_ = now;
        }
        if (answered) {
            ++answered_;
            last_ = now;
        }
    }

    HWND window_;
    ULONGLONG last_;  // the last answer, or the start
    std::atomic<bool> stop_{false};
    int asked_ = 0;
    int answered_ = 0;
    ULONGLONG longestSilence_ = 0;
    ULONGLONG longestSilenceEnd_ = 0;
    std::thread thread_;  // last: it uses the members above
};

}  // namespace

int main(int argc, char** argv) {
    const bool through = argc == 4 && std::strcmp(argv[2], "through") == 0;
    const bool closeAt = argc == 5 && std::strcmp(argv[2], "close-at") == 0;
    if (!through && !closeAt) {
        std::fprintf(stderr,
                     "usage: ResponsivenessProbe <rows> through <timeout s>\n"
                     "       ResponsivenessProbe <rows> close-at <row> <timeout s>\n");
        return 2;
    }
    const LRESULT rows = std::strtol(argv[1], nullptr, 10);
    const LRESULT closeRow = closeAt ? std::strtol(argv[3], nullptr, 10) : 0;
    const ULONGLONG deadline =
        GetTickCount64() + 1000ull * std::strtoul(argv[argc - 1], nullptr, 10);

    HWND player = nullptr, combo = nullptr;
    while (!combo && GetTickCount64() < deadline) {
        combo = hgf::test::FindPlayerList(player);
        if (!combo) Sleep(kAskEveryMs);
    }
    if (!combo) {
        std::printf("no player window\n");
        return 1;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(player, &processId);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);

    // From the moment the list is shown (or the window first fails to answer) to the end
    // of the pass, or to the close.
    std::optional<Answers> answers;
    ULONGLONG passStart = 0, restingSince = 0, passEnd = 0;
    LRESULT lastSelection = -3;
    while (GetTickCount64() < deadline) {
        const ULONGLONG now = GetTickCount64();
        const LRESULT count = Ask(combo, CB_GETCOUNT);
        const LRESULT selection = count == rows ? Ask(combo, CB_GETCURSEL) : -3;
        if (!passStart && (count == rows || count == -2)) {
            passStart = now;
            answers.emplace(player);
        }
        if (selection != lastSelection) restingSince = now;
        lastSelection = selection;
        if (through && selection == rows - 1 && now - restingSince >= kRestingMs) {
            passEnd = restingSince;
            break;
        }
        if (closeAt && selection >= closeRow) break;
        Sleep(kAskEveryMs);
    }
    if (!passStart || (through && !passEnd) || (closeAt && lastSelection < closeRow)) {
        std::printf("timed out (selection %d)\n", static_cast<int>(lastSelection));
        return 1;
    }
    answers->Stop();
    std::printf(
        "asked %d times during the pass, answered %d (%.1f %%), longest silence %llu ms "
        "(ending %llu ms into the pass)\n",
        answers->Asked(), answers->Answered(), 100.0 * answers->Share(), answers->LongestSilence(),
        answers->LongestSilenceEnd() - passStart);
    bool ok = answers->Share() >= kAnsweredShare && answers->LongestSilence() <= kLongestSilenceMs;

    if (through) {
        std::printf("pass over %d rows: %llu ms, %.1f ms per row\n", static_cast<int>(rows - 1),
                    passEnd - passStart, static_cast<double>(passEnd - passStart) / (rows - 1));
        Answers after(player);
        Sleep(kAliveCheckMs);
        after.Stop();
        const bool alive = after.Asked() > 0 && after.Answered() == after.Asked() &&
                           WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
        std::printf("after the pass: %s\n", alive ? "alive and answering" : "not answering");
        ok = ok && alive;
    }
    const ULONGLONG closing = GetTickCount64();
    PostMessageA(player, WM_COMMAND, hgf::CMD_EXIT, 0);
    const bool ended = WaitForSingleObject(process, kEndWithinMs) == WAIT_OBJECT_0;
    if (ended) {
        std::printf("the player ended %llu ms after the exit command\n",
                    GetTickCount64() - closing);
    } else {
        std::printf("the player did not end within %lu ms\n", kEndWithinMs);
    }
    CloseHandle(process);
    return ok && ended ? 0 : 1;
}
