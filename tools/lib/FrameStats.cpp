#include "lib/FrameStats.h"

#include <algorithm>
#include <numeric>

TimeSummary summarize(std::vector<double> samples)
{
    TimeSummary summary;
    const std::size_t n = samples.size();
    if (n == 0)
        return summary;
    std::sort(samples.begin(), samples.end());
    summary.count = n;
    summary.mean = std::accumulate(samples.begin(), samples.end(), 0.0) / static_cast<double>(n);
    summary.median = n % 2 == 1 ? samples[n / 2] : 0.5 * (samples[n / 2 - 1] + samples[n / 2]);
    // Nearest rank: the smallest sample with at least 99 % of all at or below it.
    const std::size_t rank = (99 * n + 99) / 100;
    summary.p99 = samples[rank - 1];
    const std::size_t slowest = std::max<std::size_t>(n / 100, 1);
    summary.low1 = std::accumulate(samples.end() - static_cast<std::ptrdiff_t>(slowest), samples.end(), 0.0) /
                   static_cast<double>(slowest);
    summary.minimum = samples.front();
    summary.maximum = samples.back();
    return summary;
}

double ratio(double a, double b) { return b > 0.0 ? a / b : 0.0; }
