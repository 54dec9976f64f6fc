// A Messenger that records every message, for tests. Sent messages may be answered
// by a handler that runs on the sending thread (as SendMessage runs the window's code).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/Messenger.h"

namespace hgf::test {

struct RecordedMessage {
    WindowHandle window = nullptr;
    unsigned message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    bool sent = false;  // Send rather than Post
};

class RecordingMessenger final : public Messenger {
  public:
    using Handler = std::function<std::intptr_t(const RecordedMessage&)>;

    void Post(WindowHandle window, unsigned message, std::uintptr_t wParam,
              std::intptr_t lParam) override {
        Record({window, message, wParam, lParam, false});
    }
    std::intptr_t Send(WindowHandle window, unsigned message, std::uintptr_t wParam,
                       std::intptr_t lParam) override {
        RecordedMessage recorded{window, message, wParam, lParam, true};
        std::intptr_t result = onSend_ ? onSend_(recorded) : 0;
        Record(recorded);
        return result;
    }

    // Runs on the thread that calls Send, before the message is recorded.
    void OnSend(Handler handler) { onSend_ = std::move(handler); }

    std::vector<RecordedMessage> Messages() const {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    std::size_t Count() const {
        std::lock_guard lock(mutex_);
        return messages_.size();
    }
    // Waits until at least `count` messages arrived; false after `timeoutMs`.
    bool WaitForCount(std::size_t count, int timeoutMs = 5000) const {
        std::unique_lock lock(mutex_);
        return arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [&] { return messages_.size() >= count; });
    }

  private:
    void Record(const RecordedMessage& message) {
        {
            std::lock_guard lock(mutex_);
            messages_.push_back(message);
        }
        arrived_.notify_all();
    }

    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::vector<RecordedMessage> messages_;
    Handler onSend_;
};

}  // namespace hgf::test
