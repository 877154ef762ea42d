// Work that waits on a drive done side by side: a bounded number of workers take the items of a
// list in order, so that many slow file accesses overlap instead of following each other.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>

namespace menu::core {

// Workers the menu uses for its file accesses: they mostly wait on the drive, not on a core.
inline constexpr unsigned kFileWorkers = 64;

// Runs work(i) for every i below count on at most workers threads (at least one; the calling
// thread waits), items taken in order; returns once all have run. Items not yet taken are
// skipped once cancel is set. An exception thrown by an item ends that item only.
void forEachParallel(std::size_t count, unsigned workers,
                     const std::function<void(std::size_t)> &work,
                     const std::atomic<bool> *cancel = nullptr);

} // namespace menu::core
