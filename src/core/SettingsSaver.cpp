#include "core/SettingsSaver.h"

#include <algorithm>

namespace menu::core {

namespace {
bool heldElsewhere(const Status &status)
{
    return !status.ok() && status.failure().is(std::errc::device_or_resource_busy);
}
} // namespace

SettingsSaver::SettingsSaver(std::chrono::milliseconds wait, QObject *parent)
    : QObject(parent), wait_(wait)
{
    connect(&job_, &BackgroundJob::finished, this, &SettingsSaver::finishFirst);
}

SettingsSaver::~SettingsSaver()
{
    cancel();
}

std::optional<Status> SettingsSaver::save(Round round, Done done)
{
    if (queue_.empty()) {
        Status now = round(platform::LockWait{});
        if (!heldElsewhere(now))
            return now;
    }
    queue_.push_back({std::move(round), std::move(done), std::chrono::steady_clock::now() + wait_});
    if (queue_.size() == 1)
        startFirst();
    return std::nullopt;
}

void SettingsSaver::startFirst()
{
    auto outcome = std::make_shared<Status>();
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        queue_.front().deadline - std::chrono::steady_clock::now());
    const bool started = job_.start(
        [outcome, round = queue_.front().round,
         wait = std::max(left, std::chrono::milliseconds(0))](BackgroundJob::Control &job) {
            *outcome = round(platform::LockWait{wait, [&job] { return job.cancelled(); }});
        });
    if (!started) {
        // No thread: the round is told as the lock it could not wait for.
        const Pending first = std::move(queue_.front());
        queue_.pop_front();
        first.done(Failure::of(std::errc::device_or_resource_busy));
        if (!queue_.empty())
            startFirst();
        return;
    }
    outcome_ = std::move(outcome);
}

void SettingsSaver::finishFirst(bool cancelled)
{
    if (queue_.empty() || cancelled)
        return;
    const Pending first = std::move(queue_.front());
    queue_.pop_front();
    const Status saved = outcome_ ? *outcome_ : Status{};
    outcome_.reset();
    if (!queue_.empty())
        startFirst();
    first.done(saved);
}

void SettingsSaver::cancel()
{
    queue_.clear();
    outcome_.reset();
    job_.cancel();
    job_.wait(std::chrono::milliseconds(2000));
}

} // namespace menu::core
