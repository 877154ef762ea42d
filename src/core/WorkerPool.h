// Work that waits on a drive done side by side: a bounded number of workers take the items of a
// list in order, so that many slow file accesses overlap instead of following each other.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>

namespace menu::core {

// Workers the menu uses for its file accesses at most: on a slow drive they mostly wait on it,
// not on a core.
inline constexpr unsigned kFileWorkers = 64;
// An item that takes longer than this waited on its drive: a network round trip, not a local one.
inline constexpr std::chrono::microseconds kWaitingItem{1000};

// Runs work(i) for every i below count on at most workers threads (at least one; the calling
// thread works too), items taken in order; returns once all have run. A list of no more items
// than workers gets a worker per item at once. A longer one begins with one worker per core, and
// each item that waited (kWaitingItem) adds one: a local disk keeps its cores busy without a
// crowd of threads, a slow drive soon has its accesses overlap. Items not yet taken are skipped
// once cancel is set. An exception thrown by an item ends that item only.
void forEachParallel(std::size_t count, unsigned workers,
                     const std::function<void(std::size_t)> &work,
                     const std::atomic<bool> *cancel = nullptr);

} // namespace menu::core
