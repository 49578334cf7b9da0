// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace bench {

double quantile(Samples v, double q)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const auto rank = static_cast<std::size_t>(q * double(v.size()) + 0.999999);
    return v[std::clamp<std::size_t>(rank, 1, v.size()) - 1];
}

double maximum(const Samples& v)
{
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

double minimum(const Samples& v)
{
    return v.empty() ? 0 : *std::min_element(v.begin(), v.end());
}

long residentKiB(const char* field)
{
    long kb = -1;
    if (FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        const std::size_t n = std::strlen(field);
        while (std::fgets(line, sizeof line, f))
            if (std::strncmp(line, field, n) == 0 && line[n] == ':')
                kb = std::strtol(line + n + 1, nullptr, 10);
        std::fclose(f);
    }
    return kb;
}

void row(const std::string& figure, const char* target, bool met, const char* format, ...)
{
    char measured[128];
    va_list args;
    va_start(args, format);
    std::vsnprintf(measured, sizeof measured, format, args);
    va_end(args);
    std::printf("%-34s %-40s %-15s %-6s\n", figure.c_str(), measured, target,
                *target == '(' ? ""
                : met          ? "met"
                               : "MISSED");
    std::fflush(stdout);
}

void row(const std::string& figure, const char* target, bool met, const Samples& v, int decimals)
{
    row(figure, target, met, "med %.*f p99 %.*f max %.*f", decimals, median(v), decimals, p99(v),
        decimals, maximum(v));
}

namespace {
QEventLoop* running = nullptr;
std::function<bool()> runningUntil;
} // namespace

void recheck()
{
    if (running && runningUntil && runningUntil())
        running->quit();
}

void spin(int msecs, std::function<bool()> done)
{
    if (done && done())
        return;
    QEventLoop loop;
    running = &loop;
    runningUntil = std::move(done);
    QTimer::singleShot(msecs, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    running = nullptr;
}

} // namespace bench
