// TThread on Win32: a thread created suspended, an auto-reset event for self-suspension (a
// Resume that arrives before the body suspends stays pending, unlike SuspendThread), and a
// manual-reset event that ends waits when the thread is asked to end.
#include <windows.h>

#include <cstdint>

#include "output/Error.h"
#include "output/Thread.h"
#include "win32/Messages.h"

namespace tonwerkel {

struct TThread::Impl {
    HANDLE thread = nullptr;
    HANDLE resumeEvent = nullptr;     // auto-reset: one pending Resume
    HANDLE terminateEvent = nullptr;  // manual-reset: set by Terminate
    HANDLE parkedEvent = nullptr;     // manual-reset: the body has ended and the thread parks
    HANDLE neverEvent = nullptr;      // never set: a parked thread waits on it for good
    std::atomic<bool> started{false};
    std::atomic<bool> parkOnExit{false};  // set by Abandon

    static DWORD WINAPI Entry(void* parameter) {
        auto* self = static_cast<TThread*>(parameter);
        Impl& impl = *self->impl_;
        self->Run();
        if (impl.parkOnExit) {
            // The library is being unloaded under the loader lock, so this thread could never
            // exit; it signals and blocks in one step, outside the library's code, and is then
            // terminated.
            SignalObjectAndWait(impl.parkedEvent, impl.neverEvent, INFINITE, FALSE);
        }
        return 0;
    }

    void CloseAll() {
        for (HANDLE* h : {&thread, &resumeEvent, &terminateEvent, &parkedEvent, &neverEvent}) {
            if (*h) CloseHandle(*h);
            *h = nullptr;
        }
    }
};

TThread::TThread() : impl_(std::make_unique<Impl>()) {
    Impl& impl = *impl_;
    impl.resumeEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    impl.terminateEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    impl.parkedEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    impl.neverEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (impl.resumeEvent && impl.terminateEvent && impl.parkedEvent && impl.neverEvent) {
        impl.thread = CreateThread(nullptr, 0, &Impl::Entry, this, CREATE_SUSPENDED, nullptr);
    }
    if (!impl.thread) {
        impl.CloseAll();
        throw Error::Format(kCannotCreate, kNameThread);
    }
}

TThread::~TThread() {
    Impl& impl = *impl_;
    if (!impl.thread) return;
    if (!impl.started) {
        // Never ran any code: nothing to unwind.
        TerminateThread(impl.thread, 0);
        WaitForSingleObject(impl.thread, INFINITE);
    } else {
        Terminate();
        WaitForSingleObject(impl.thread, INFINITE);
    }
    impl.CloseAll();
}

void TThread::Resume() {
    Impl& impl = *impl_;
    if (!impl.thread) return;
    if (!impl.started.exchange(true)) {
        ResumeThread(impl.thread);
    } else {
        SetEvent(impl.resumeEvent);
    }
}

void TThread::Terminate() {
    terminated_ = true;
    if (impl_->terminateEvent) SetEvent(impl_->terminateEvent);
}

void TThread::WaitFor() {
    Impl& impl = *impl_;
    if (!impl.thread) return;
    if (!impl.started.exchange(true)) ResumeThread(impl.thread);
    WaitForSingleObject(impl.thread, INFINITE);
}

bool TThread::Alive() const {
    return impl_->thread && WaitForSingleObject(impl_->thread, 0) == WAIT_TIMEOUT;
}

void TThread::Abandon() {
    Impl& impl = *impl_;
    if (!impl.thread) return;
    impl.parkOnExit = true;
    Terminate();
    if (impl.started) {
        // The body ends at its next wait or after its current pass.
        WaitForSingleObject(impl.parkedEvent, 2000);
    }
    TerminateThread(impl.thread, 0);
    if (WaitForSingleObject(impl.thread, 1000) == WAIT_OBJECT_0) {
        impl.CloseAll();
    }
    // Otherwise the handles are left open: a wait may still be using them.
    impl.thread = nullptr;
}

void TThread::SuspendSelf() {
    HANDLE events[2] = {impl_->resumeEvent, impl_->terminateEvent};
    suspended_ = true;
    WaitForMultipleObjects(2, events, FALSE, INFINITE);
    suspended_ = false;
}

void TThread::SleepCaller(int milliseconds) {
    // Not the standard library's sleep: that registers the caller with the POSIX-thread layer,
    // which the library cannot release when it is freed (see ExceptionState.cpp).
    Sleep(static_cast<DWORD>(milliseconds));
}

double TThread::CpuSeconds() const {
    FILETIME creation, exit, kernel, user;
    if (!impl_->thread || !GetThreadTimes(impl_->thread, &creation, &exit, &kernel, &user)) {
        return -1;
    }
    auto seconds = [](const FILETIME& t) {
        return ((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) * 1e-7;
    };
    return seconds(kernel) + seconds(user);
}

void TThread::IdleWait(int milliseconds) {
    WaitForSingleObject(impl_->terminateEvent, static_cast<DWORD>(milliseconds));
}

void TThread::SetRaisedPriority(bool raised) {
    if (raised_.exchange(raised) == raised) return;
    SetThreadPriority(GetCurrentThread(),
                      raised ? THREAD_PRIORITY_ABOVE_NORMAL : THREAD_PRIORITY_NORMAL);
}

}  // namespace tonwerkel
