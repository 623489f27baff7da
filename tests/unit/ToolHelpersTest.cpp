#include "lib/FrameStats.h"
#include "lib/ScriptedRun.h"

#include <gtest/gtest.h>

#include <numeric>
#include <sstream>

// The benchmark's summary (the median of an even count is the mean of the
// middle two) and the filter that keeps frame-time lines off the console.
TEST(ToolHelpers, FrameStatsAndTheFrameTimeLineFilter)
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
    std::ostringstream sink;
    FrameTimeLineFilter filter(sink);
    std::ostream(&filter) << "frametime: 16.6667ms" << std::endl << "RELOAD\nframetime: 3.1ms\nnot a frametime: x\n";
    EXPECT_EQ(sink.str(), "RELOAD\nnot a frametime: x\n");
}
