// The pool that overlaps slow file accesses: every item runs once whatever fails or how many
// workers there are, a cancel skips what has not begun, and the pool grows only while its items
// wait on something.
#include "core/WorkerPool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

using menu::core::forEachParallel;

namespace {

struct PoolRun {
    std::vector<int> times;     // how often each item ran
    std::size_t mostAtOnce = 0; // the most items running side by side
};

// Runs count items on at most workers; each item lasts itemTime and the fourth throws.
PoolRun run(std::size_t count, unsigned workers, std::chrono::microseconds itemTime)
{
    PoolRun result;
    result.times.assign(count, 0);
    std::mutex mutex;
    std::size_t running = 0;
    forEachParallel(count, workers, [&](std::size_t i) {
        {
            const std::lock_guard lock(mutex);
            ++result.times[i];
            result.mostAtOnce = std::max(result.mostAtOnce, ++running);
        }
        std::this_thread::sleep_for(itemTime); // a drive's answer, not a wait for an event
        const std::lock_guard lock(mutex);
        --running;
        if (i == 3)
            throw std::runtime_error("a target that cannot be read");
    });
    return result;
}

} // namespace

TEST(WorkerPool, EveryItemRunsOnceAndWaitingItemsGrowThePoolWithinItsBound)
{
    const std::size_t cores = std::max(std::thread::hardware_concurrency(), 1U);
    const struct {
        std::size_t count;
        unsigned workers;
        std::chrono::microseconds itemTime;
        std::size_t leastAtOnce; // at least this many side by side
        std::size_t mostAtOnce;  // and never more
    } cases[] = {
        {0, 8, {}, 0, 0},
        {1, 8, {}, 1, 1},
        {200, 0, {}, 1, 1}, // no workers asked for: this thread
        {120, 16, menu::core::kWaitingItem * 3, std::min<std::size_t>(cores + 1, 16), 16},
        {120, 2, menu::core::kWaitingItem * 3, 1, 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " items on " << c.workers << " workers");
        const PoolRun result = run(c.count, c.workers, c.itemTime);
        EXPECT_EQ(std::count(result.times.begin(), result.times.end(), 1),
                  static_cast<std::ptrdiff_t>(c.count));
        EXPECT_GE(result.mostAtOnce, c.leastAtOnce);
        EXPECT_LE(result.mostAtOnce, c.mostAtOnce);
    }
}

TEST(WorkerPool, ACancelSkipsWhatHasNotBegun)
{
    std::atomic<bool> cancel{false};
    std::atomic<std::size_t> ran{0};
    forEachParallel(
        10'000, 4,
        [&](std::size_t i) {
            ++ran;
            if (i == 10)
                cancel = true;
        },
        &cancel);
    EXPECT_GE(ran.load(), 11u);
    EXPECT_LT(ran.load(), 10'000u);
}
