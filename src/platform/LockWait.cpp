#include "platform/FileLock.h"

#include <algorithm>
#include <thread>

namespace menu::platform {

namespace {
// Short first pauses catch a lock given back after a brief write; longer ones spare a network
// drive the round trips of a try while a seat holds the lock for longer.
constexpr std::chrono::milliseconds kLongestPause{50};
} // namespace

QString lockFileOf(const QString &path)
{
    return path + QStringLiteral(".lock");
}

RetryPause::RetryPause(const LockWait &wait)
    : wait_(wait), deadline_(std::chrono::steady_clock::now() + wait.limit)
{
}

bool RetryPause::next()
{
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline_)
        return false;
    if (wait_.cancelled && wait_.cancelled()) {
        cancelled_ = true;
        return false;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - now);
    std::this_thread::sleep_for(std::min({pause_, left, kLongestPause}));
    pause_ = std::min(pause_ * 2, kLongestPause);
    if (wait_.cancelled && wait_.cancelled()) {
        cancelled_ = true;
        return false;
    }
    return true;
}

} // namespace menu::platform
