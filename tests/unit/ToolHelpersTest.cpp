// Helpers of the benchmark and the scripted runs.
#include "app/FrameStats.h"
#include "app/ScriptedRun.h"

#include <gtest/gtest.h>

#include <numeric>
#include <sstream>

TEST(FrameStats, Summaries)
{
    std::vector<double> hundred(200);
    std::iota(hundred.begin(), hundred.end(), 1.0);
    const struct {
        std::vector<double> samples;
        double median, p99, low1;
    } rows[] = {{{3, 1, 2}, 2, 3, 3}, {{4, 1, 3, 2}, 2.5, 4, 4}, {hundred, 100.5, 198, 199.5}, {{}, 0, 0, 0}};
    for (const auto& row : rows) {
        const TimeSummary s = summarize(row.samples);
        EXPECT_EQ(s.median, row.median) << row.samples.size();
        EXPECT_EQ(s.p99, row.p99) << row.samples.size();
        EXPECT_EQ(s.low1, row.low1) << row.samples.size();
    }
}

TEST(ScriptedRun, FilterDropsOnlyWholeFrameTimeLines)
{
    std::ostringstream sink;
    FrameTimeLineFilter filter(sink);
    std::ostream game(&filter);
    game << "frametime: 16.6667ms" << std::endl << "RELOAD\nframetime: 3.1ms\nnot a frametime: line\nframetime: x";
    EXPECT_EQ(sink.str(), "RELOAD\nnot a frametime: line\n");
}
