#include "lib/FrameStats.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {

std::vector<double> counting(int n)
{
    std::vector<double> values(static_cast<std::size_t>(n));
    std::iota(values.begin(), values.end(), 1.0);
    return values;
}

struct SummaryCase {
    const char* name;
    std::vector<double> samples;
    double mean, median, p99, low1, minimum, maximum;
};

const SummaryCase summaryCases[] = {
    {"one sample", {7.0}, 7.0, 7.0, 7.0, 7.0, 7.0, 7.0},
    {"odd count, unsorted", {3.0, 1.0, 2.0}, 2.0, 2.0, 3.0, 3.0, 1.0, 3.0},
    {"even count takes the middle two", {4.0, 1.0, 3.0, 2.0}, 2.5, 2.5, 4.0, 4.0, 1.0, 4.0},
    // 100 samples 1..100: the 99th by rank is 99; the slowest 1 % is one sample.
    {"hundred", counting(100), 50.5, 50.5, 99.0, 100.0, 1.0, 100.0},
    // 200 samples 1..200: rank 198; the slowest 1 % are 199 and 200.
    {"two hundred", counting(200), 100.5, 100.5, 198.0, 199.5, 1.0, 200.0},
    // One stall among steady frames shows in p99 and the 1 % low, not the median.
    {"one stall", {10, 10, 10, 10, 10, 10, 10, 10, 10, 100}, 19.0, 10.0, 100.0, 100.0, 10.0, 100.0},
};

} // namespace

TEST(FrameStats, SummariesOfKnownSeries)
{
    for (const SummaryCase& c : summaryCases) {
        SCOPED_TRACE(c.name);
        const TimeSummary s = summarize(c.samples);
        EXPECT_EQ(s.count, c.samples.size());
        EXPECT_DOUBLE_EQ(s.mean, c.mean);
        EXPECT_DOUBLE_EQ(s.median, c.median);
        EXPECT_DOUBLE_EQ(s.p99, c.p99);
        EXPECT_DOUBLE_EQ(s.low1, c.low1);
        EXPECT_DOUBLE_EQ(s.minimum, c.minimum);
        EXPECT_DOUBLE_EQ(s.maximum, c.maximum);
    }
}

TEST(FrameStats, AnEmptySeriesIsAllZero)
{
    const TimeSummary s = summarize({});
    EXPECT_EQ(s.count, 0u);
    EXPECT_EQ(s.mean, 0.0);
    EXPECT_EQ(s.median, 0.0);
    EXPECT_EQ(s.p99, 0.0);
    EXPECT_EQ(s.low1, 0.0);
}

TEST(FrameStats, RatioOfNothingMeasuredIsZero)
{
    EXPECT_DOUBLE_EQ(ratio(3.0, 2.0), 1.5);
    EXPECT_EQ(ratio(3.0, 0.0), 0.0);
    EXPECT_EQ(ratio(3.0, -1.0), 0.0);
}
