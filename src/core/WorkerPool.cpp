#include "core/WorkerPool.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace menu::core {

void forEachParallel(std::size_t count, unsigned workers,
                     const std::function<void(std::size_t)> &work, const std::atomic<bool> *cancel)
{
    std::atomic<std::size_t> next{0};
    const auto drain = [&] {
        for (std::size_t i = next++; i < count; i = next++) {
            if (cancel != nullptr && cancel->load())
                return;
            try {
                work(i);
            } catch (...) {
                // An item that fails leaves its result as it was; the others go on.
            }
        }
    };
    const std::size_t threads = std::min<std::size_t>(std::max(workers, 1U), count);
    std::vector<std::thread> pool;
    pool.reserve(threads > 0 ? threads - 1 : 0);
    try {
        for (std::size_t t = 1; t < threads; ++t)
            pool.emplace_back(drain);
    } catch (...) {
        // Fewer threads than asked for: those there are (and this one) do the work.
    }
    drain();
    for (std::thread &thread : pool)
        thread.join();
}

} // namespace menu::core
