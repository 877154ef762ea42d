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
    windowStart_ = now;
    windowReceived_ = received;
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
    if (!measuring_ || now - windowStart_ < window_)
        return Verdict::Going;
    lastWindow_ = std::chrono::duration_cast<milliseconds>(now - windowStart_);
    lastWindowBytes_ = received - windowReceived_;
    if (lastWindowBytes_ * 1000 < minRate_ * lastWindow_.count())
        return Verdict::TooSlow;
    windowStart_ = now;
    windowReceived_ = received;
    return Verdict::Going;
}

TransferWatch::Clock::time_point TransferWatch::nextCheck() const
{
    const Clock::time_point end = start_ + allowed() + milliseconds(1);
    return measuring_ ? std::min(end, windowStart_ + window_) : end;
}

} // namespace menu::core
