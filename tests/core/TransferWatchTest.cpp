// How long a transfer may last: the deadline grows with the announced length at a rate an
// office line gives, not at the rate below which a line counts as broken. How slow it may be:
// the minimum rate holds over every window, sliding, so that an early burst buys no time.
#include "core/TransferWatch.h"

#include "core/Download.h"

#include <gtest/gtest.h>

using menu::core::TransferWatch;
using namespace std::chrono_literals;

namespace {

TEST(TransferWatch, TheWholeTransferIsBoundedAtAnOfficeRate)
{
    const menu::core::DownloadOptions defaults;
    const auto start = TransferWatch::Clock::now();
    TransferWatch watch(defaults.minRate, defaults.rateWindow, defaults.deadline, start,
                        defaults.plannedRate);
    EXPECT_EQ(watch.allowed(), defaults.deadline);
    watch.setAnnouncedLength(256LL * 1024 * 1024);
    // 256 MB: the deadline and 4096 s, under an hour and a half rather than 36 hours.
    EXPECT_EQ(watch.allowed(), defaults.deadline + 4096s);
    EXPECT_EQ(watch.check(start + defaults.deadline + 4095s, 256LL * 1024 * 1024 - 1),
              TransferWatch::Verdict::Going);
    EXPECT_EQ(watch.check(start + defaults.deadline + 4097s, 256LL * 1024 * 1024 - 1),
              TransferWatch::Verdict::TooLong);

    // A planned rate below the minimum is the minimum; none at all leaves the deadline.
    TransferWatch slow(2048, 60s, 10s, start, 1);
    slow.setAnnouncedLength(2048 * 100);
    EXPECT_EQ(slow.allowed(), 110s);
    TransferWatch unbounded(0, 60s, 10s, start, 0);
    unbounded.setAnnouncedLength(1 << 30);
    EXPECT_EQ(unbounded.allowed(), 10s);
}

// Checked once a second, as a transfer does: a minute at 2 KB/s at least, the rate counted from
// the connection on. The first verdict of too slow, in seconds after the connection.
struct RateCase {
    const char *name;
    qint64 burst;     // bytes in the first second
    qint64 perSecond; // then every second
    int tooSlowFrom;  // 0: never
    int tooSlowBy;
};

TEST(TransferWatch, TheMinimumRateHoldsOverEverySlidingWindow)
{
    const RateCase cases[] = {
        {"steady at the minimum", 0, 2048, 0, 0},
        {"a drip from the start", 0, 1, 60, 60},
        // The burst counts for the window it lies in, and is forgotten a window later: the drip
        // after it ends about a minute on, not once a second window has gone by.
        {"fast, then a drip", 64 * 1024 * 1024, 1, 61, 65},
        {"fast, then the minimum", 64 * 1024 * 1024, 2048, 0, 0},
    };
    const auto connected = TransferWatch::Clock::now();
    for (const RateCase &c : cases) {
        SCOPED_TRACE(c.name);
        TransferWatch watch(2048, 60s, 10000s, connected);
        watch.startRate(connected, 300); // the request's header went out before
        qint64 received = 300;
        int tooSlowAt = 0;
        for (int second = 1; second <= 200 && tooSlowAt == 0; ++second) {
            received += second == 1 ? c.burst + c.perSecond : c.perSecond;
            if (watch.check(connected + std::chrono::seconds(second), received) ==
                TransferWatch::Verdict::TooSlow)
                tooSlowAt = second;
        }
        EXPECT_GE(tooSlowAt, c.tooSlowFrom);
        EXPECT_LE(tooSlowAt, c.tooSlowBy);
        if (tooSlowAt != 0) {
            // What the text names: a window of a minute (and at most a slice), and its bytes.
            EXPECT_GE(watch.lastWindow(), 60s);
            EXPECT_LE(watch.lastWindow(), 60s + 60s / 16);
            EXPECT_LT(watch.lastWindowBytes(), 2048 * 60);
        }
    }
}

} // namespace
