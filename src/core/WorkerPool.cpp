#include "core/WorkerPool.h"

#include <algorithm>
#include <mutex>
#include <thread>
#include <vector>

namespace menu::core {

namespace {

class Pool {
  public:
    Pool(std::size_t count, std::size_t workers, const std::function<void(std::size_t)> &work,
         const std::atomic<bool> *cancel)
        : count_(count), workers_(workers), work_(work), cancel_(cancel)
    {
    }

    void run()
    {
        // A list short enough for a worker per item gets them all at once: its threads cost
        // less than one round trip to a drive.
        const std::size_t cores = std::max(std::thread::hardware_concurrency(), 1U);
        const std::size_t first = count_ <= workers_ ? count_ : std::min(cores, workers_);
        for (std::size_t t = 1; t < first; ++t)
            grow();
        drain();
        // Workers may add workers until the last of them ends: each one in the list was added
        // by a worker still alive or already joined here.
        for (;;) {
            std::vector<std::thread> ended;
            {
                const std::lock_guard lock(mutex_);
                ended.swap(threads_);
            }
            if (ended.empty())
                return;
            for (std::thread &thread : ended)
                thread.join();
        }
    }

  private:
    void drain()
    {
        for (std::size_t i = next_++; i < count_; i = next_++) {
            if (cancel_ != nullptr && cancel_->load())
                return;
            const auto began = std::chrono::steady_clock::now();
            try {
                work_(i);
            } catch (...) {
                // An item that fails leaves its result as it was; the others go on.
            }
            if (std::chrono::steady_clock::now() - began > kWaitingItem && next_ < count_)
                grow();
        }
    }

    void grow()
    {
        const std::lock_guard lock(mutex_);
        if (started_ >= workers_)
            return;
        try {
            threads_.emplace_back([this] { drain(); });
            ++started_;
        } catch (...) {
            // No thread to be had: those there are do the work.
        }
    }

    const std::size_t count_;
    const std::size_t workers_;
    const std::function<void(std::size_t)> &work_;
    const std::atomic<bool> *cancel_;
    std::atomic<std::size_t> next_{0};
    std::mutex mutex_;
    std::vector<std::thread> threads_;
    std::size_t started_ = 1; // this thread
};

} // namespace

void forEachParallel(std::size_t count, unsigned workers,
                     const std::function<void(std::size_t)> &work, const std::atomic<bool> *cancel)
{
    Pool(count, std::max<std::size_t>(std::min<std::size_t>(workers, count), 1), work, cancel)
        .run();
}

} // namespace menu::core
