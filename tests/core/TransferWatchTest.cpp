// How long a transfer may last: the deadline grows with the announced length at a rate an
// office line gives, not at the rate below which a line counts as broken.
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

} // namespace
