#pragma once

#include <cstddef>
#include <vector>

// A summary of a series of frame or pass times (any unit; the benchmark uses
// milliseconds).
struct TimeSummary {
    std::size_t count = 0;
    double mean = 0.0;
    double median = 0.0;
    double p99 = 0.0;  // 99th percentile, nearest rank: 99 % of the samples are at most this
    double low1 = 0.0; // "1 % low": the mean of the slowest 1 % of the samples, at least one
    double minimum = 0.0;
    double maximum = 0.0;
};

// All zero for an empty series. The median of an even count is the mean of
// the middle two.
TimeSummary summarize(std::vector<double> samples);

// a / b, or 0 when b is not positive (a ratio of nothing measured).
double ratio(double a, double b);
