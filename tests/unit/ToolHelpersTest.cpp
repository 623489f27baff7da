#include "lib/FrameStats.h"

#include <gtest/gtest.h>

#include <numeric>

// The benchmark's summary: the median of an even count is the mean of the
// middle two. (Its filter of frame lines is the Benchmark test's.)
TEST(ToolHelpers, FrameStats)
{
    std::vector<double> counting(200);
    std::iota(counting.begin(), counting.end(), 1.0);
    const struct {
        std::vector<double> samples;
        double median, p99, low1;
    } rows[] = {{{3, 1, 2}, 2, 3, 3}, {{4, 1, 3, 2}, 2.5, 4, 4}, {counting, 100.5, 198, 199.5}, {{}, 0, 0, 0}};
    for (const auto& row : rows) {
        const TimeSummary s = summarize(row.samples);
        EXPECT_EQ(std::vector<double>({s.median, s.p99, s.low1}), std::vector<double>({row.median, row.p99, row.low1}));
    }
}
