#pragma once

// The one clock every figure is taken with, and the statistics over it.

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <vector>

namespace bench {

// CLOCK_MONOTONIC is shared by all processes, so a parent and its child can
// compare their readings.
inline std::int64_t nowNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

inline double ms(std::int64_t ns)
{
    return double(ns) / 1e6;
}

// Nearest rank: the smallest value with at least q of the samples at or below it.
inline double quantile(std::vector<double> v, double q)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    auto rank = static_cast<std::size_t>(q * double(v.size()) + 0.999999);
    rank = std::clamp<std::size_t>(rank, 1, v.size());
    return v[rank - 1];
}

inline double median(const std::vector<double>& v)
{
    if (v.empty())
        return 0;
    std::vector<double> s = v;
    std::sort(s.begin(), s.end());
    const std::size_t n = s.size();
    return n % 2 ? s[n / 2] : (s[n / 2 - 1] + s[n / 2]) / 2;
}

inline double maximum(const std::vector<double>& v)
{
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

} // namespace bench
