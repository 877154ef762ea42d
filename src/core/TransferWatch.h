// The clock of one transfer: whether it has gone on too long or too slowly. A server that drips
// a byte now and then, or sends a body without end, is stopped in bounded time. The caller
// passes the time in, so that the rules are the same in tests and on the wire.
#pragma once

#include <QtGlobal>

#include <chrono>
#include <deque>
#include <utility>

namespace menu::core {

class TransferWatch {
  public:
    using Clock = std::chrono::steady_clock;
    enum class Verdict { Going, TooSlow, TooLong };

    // minRate bytes a second over each window (0: no minimum); the whole transfer may last
    // deadline plus the time the announced length takes at plannedRate (never below minRate).
    TransferWatch(qint64 minRate, std::chrono::milliseconds window,
                  std::chrono::milliseconds deadline, Clock::time_point start,
                  qint64 plannedRate = 0);

    // The body's length once known: the deadline grows by its time at the planned rate.
    void setAnnouncedLength(qint64 bytes) { announced_ = bytes; }
    // The rate is measured from here on (once the connection stands).
    void startRate(Clock::time_point now, qint64 received);

    // received: every byte so far. The rate is judged over the last window, sliding: once a
    // window has been measured, every check looks back one window (and at most a slice more),
    // so that a burst is forgotten a window later and a drip after it ends then.
    Verdict check(Clock::time_point now, qint64 received);
    // When check has something to judge next.
    Clock::time_point nextCheck() const;

    // What the texts name: the time the whole transfer may last, and the last window judged.
    std::chrono::milliseconds allowed() const;
    std::chrono::milliseconds lastWindow() const { return lastWindow_; }
    qint64 lastWindowBytes() const { return lastWindowBytes_; }
    qint64 minRate() const { return minRate_; }

  private:
    // How finely the window slides: a window is measured over at most a sixteenth more.
    static constexpr int kSlices = 16;
    std::chrono::milliseconds slice() const;

    qint64 minRate_;
    std::chrono::milliseconds window_;
    std::chrono::milliseconds deadline_;
    Clock::time_point start_;
    qint64 plannedRate_;
    qint64 announced_ = 0;
    bool measuring_ = false;
    // The count received at points a slice apart, the oldest one window back or more.
    std::deque<std::pair<Clock::time_point, qint64>> samples_;
    std::chrono::milliseconds lastWindow_{0};
    qint64 lastWindowBytes_ = 0;
};

} // namespace menu::core
