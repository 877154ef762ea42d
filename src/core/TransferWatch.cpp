#include "core/TransferWatch.h"

#include <algorithm>

namespace menu::core {

using std::chrono::milliseconds;

TransferWatch::TransferWatch(qint64 minRate, milliseconds window, milliseconds deadline,
                             Clock::time_point start, qint64 plannedRate)
    : minRate_(std::max<qint64>(minRate, 0)), window_(std::max(window, milliseconds(1))),
      deadline_(deadline), start_(start), plannedRate_(std::max(plannedRate, minRate_))
{
}

void TransferWatch::startRate(Clock::time_point now, qint64 received)
{
    measuring_ = minRate_ > 0;
    samples_.assign(1, {now, received});
}

milliseconds TransferWatch::allowed() const
{
    if (plannedRate_ == 0)
        return deadline_;
    // Lengths stay below the download cap, far from overflowing here.
    return deadline_ + milliseconds(announced_ * 1000 / plannedRate_);
}

TransferWatch::Verdict TransferWatch::check(Clock::time_point now, qint64 received)
{
    if (now - start_ > allowed())
        return Verdict::TooLong;
    if (!measuring_)
        return Verdict::Going;
    if (now - samples_.back().first >= slice())
        samples_.emplace_back(now, received);
    // The newest point that lies a whole window back is where the window begins.
    while (samples_.size() > 1 && now - samples_[1].first >= window_)
        samples_.pop_front();
    const auto &[from, count] = samples_.front();
    if (now - from < window_)
        return Verdict::Going;
    lastWindow_ = std::chrono::duration_cast<milliseconds>(now - from);
    lastWindowBytes_ = received - count;
    if (lastWindowBytes_ * 1000 < minRate_ * lastWindow_.count())
        return Verdict::TooSlow;
    return Verdict::Going;
}

TransferWatch::Clock::time_point TransferWatch::nextCheck() const
{
    const Clock::time_point end = start_ + allowed() + milliseconds(1);
    return measuring_ ? std::min(end, samples_.back().first + slice()) : end;
}

milliseconds TransferWatch::slice() const
{
    return std::max(window_ / kSlices, milliseconds(1));
}

} // namespace menu::core
