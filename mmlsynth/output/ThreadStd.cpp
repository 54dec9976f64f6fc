// TThread on the standard library: the std::thread is made by the first Resume (until then
// the thread counts as created suspended), and a condition variable serves self-suspension
// and idle waits. Used by native builds.
#include <condition_variable>
#include <mutex>
#include <thread>

#include "output/Thread.h"

namespace tonwerkel {

struct TThread::Impl {
    std::mutex mutex;
    std::condition_variable wake;
    bool resumePending = false;  // a Resume that SuspendSelf has not consumed yet
    bool ended = false;          // the body has run to its end, or never will
    std::thread thread;          // made by the first Resume: until then the thread is suspended
};

TThread::TThread() : impl_(std::make_unique<Impl>()) {}

TThread::~TThread() {
    // The owner has ended the body with Terminate and WaitFor; this only covers a thread that
    // never ran.
    Terminate();
    if (impl_->thread.joinable()) impl_->thread.join();
}

void TThread::Resume() {
    {
        std::lock_guard lock(impl_->mutex);
        if (impl_->ended) return;
        if (!impl_->thread.joinable()) {
            impl_->thread = std::thread([this] {
                Run();
                std::lock_guard lock(impl_->mutex);
                impl_->ended = true;
            });
            return;
        }
        impl_->resumePending = true;
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
    {
        std::lock_guard lock(impl_->mutex);
        if (!impl_->thread.joinable()) {
            // A thread that never ran would only see that it is to end.
            impl_->ended = true;
            return;
        }
    }
    impl_->wake.notify_all();
    impl_->thread.join();
}

bool TThread::Alive() const {
    std::lock_guard lock(impl_->mutex);
    return !impl_->ended;
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

void TThread::SleepCaller(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
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

}  // namespace tonwerkel
