// TThread on the standard library: a std::thread that waits at a start gate until the first
// Resume, and a condition variable for self-suspension and idle waits. Used by native builds.
#include <condition_variable>
#include <mutex>
#include <thread>

#include "output/Thread.h"

namespace tonwerkel {

struct TThread::Impl {
    std::mutex mutex;
    std::condition_variable wake;
    bool started = false;        // the first Resume opened the start gate
    bool abandoned = false;      // destroyed before it was ever started: skip the body
    bool resumePending = false;  // a Resume that SuspendSelf has not consumed yet
    bool ended = false;
    std::thread thread;
};

TThread::TThread() : impl_(std::make_unique<Impl>()) {
    impl_->thread = std::thread([this] {
        {
            std::unique_lock lock(impl_->mutex);
            impl_->wake.wait(lock, [this] { return impl_->started || impl_->abandoned; });
            if (!impl_->started) return;
        }
        Run();
        std::lock_guard lock(impl_->mutex);
        impl_->ended = true;
    });
}

TThread::~TThread() {
    if (!impl_->thread.joinable()) return;
    {
        std::lock_guard lock(impl_->mutex);
        if (!impl_->started) impl_->abandoned = true;
        terminated_ = true;
    }
    impl_->wake.notify_all();
    impl_->thread.join();
}

void TThread::Resume() {
    {
        std::lock_guard lock(impl_->mutex);
        if (impl_->started) {
            impl_->resumePending = true;
        } else {
            impl_->started = true;
        }
    }
    impl_->wake.notify_all();
}

void TThread::Terminate() {
    {
        std::lock_guard lock(impl_->mutex);
        terminated_ = true;
    }
    impl_->wake.notify_all();
}

void TThread::WaitFor() {
    if (!impl_->thread.joinable()) return;
    {
        std::lock_guard lock(impl_->mutex);
        impl_->started = true;  // a thread that never ran runs its body once so that it ends
    }
    impl_->wake.notify_all();
    impl_->thread.join();
}

bool TThread::Alive() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->thread.joinable() && !impl_->ended;
}

void TThread::Abandon() {
    Terminate();
    WaitFor();
}

void TThread::SuspendSelf() {
    std::unique_lock lock(impl_->mutex);
    suspended_ = true;
    impl_->wake.wait(lock, [this] { return impl_->resumePending || terminated_.load(); });
    suspended_ = false;
    impl_->resumePending = false;
}

double TThread::CpuSeconds() const {
    return -1;
}

void TThread::IdleWait(int milliseconds) {
    std::unique_lock lock(impl_->mutex);
    impl_->wake.wait_for(lock, std::chrono::milliseconds(milliseconds),
                         [this] { return terminated_.load(); });
}

void TThread::SetRaisedPriority(bool raised) {
    raised_ = raised;  // the standard library has no portable thread priorities
}

void TThread::Run() {
    try {
        Execute();
    } catch (...) {
    }
    try {
        DoTerminate();
    } catch (...) {
    }
}

}  // namespace tonwerkel
