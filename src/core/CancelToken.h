// A request to stop, passed from the user-interface thread to work on a worker. The work
// looks at it where it can stop, and may register a waker that interrupts a wait (libcurl's
// poll) at once, so that a cancelled transfer ends in a fraction of a second.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>

namespace menu::core {

class CancelToken {
  public:
    bool cancelled() const { return cancelled_.load(std::memory_order_acquire); }

    // Sets the request and runs the waker, if one is registered.
    void cancel()
    {
        const std::lock_guard lock(mutex_);
        cancelled_.store(true, std::memory_order_release);
        if (waker_)
            waker_();
    }

    // While the guard lives, cancel() runs wake (at once when already cancelled).
    class WakerGuard {
      public:
        WakerGuard(CancelToken &token, std::function<void()> wake) : token_(&token)
        {
            const std::lock_guard lock(token.mutex_);
            token.waker_ = std::move(wake);
            if (token.cancelled_.load(std::memory_order_relaxed))
                token.waker_();
        }
        WakerGuard(const WakerGuard &) = delete;
        WakerGuard &operator=(const WakerGuard &) = delete;
        ~WakerGuard()
        {
            if (token_ != nullptr) {
                const std::lock_guard lock(token_->mutex_);
                token_->waker_ = nullptr;
            }
        }

      private:
        CancelToken *token_;
    };

  private:
    std::atomic<bool> cancelled_{false};
    std::mutex mutex_;
    std::function<void()> waker_;
};

} // namespace menu::core
