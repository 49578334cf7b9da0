// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench.h"

#include <cstdio>
#include <filesystem>

namespace bench {

// The program and the bare window, started in turn after one warm-up each
// (the page cache, not the program). Each child prints the moment of its
// first frame and its peak resident memory; the time runs from the popen,
// so both include the start of /bin/sh.
int startup(int runs)
{
    const auto dir = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    Samples time[2], peak[2];
    for (int i = 0; i < 2 * (runs + 1); ++i) {
        const std::string child =
            "exec " + (dir / "tevalin_bench_startup_").string() + (i % 2 ? "bare" : "game");
        const std::int64_t spawned = nowNs();
        FILE* out = popen(child.c_str(), "r");
        long long frame = 0;
        long kb = 0;
        const int got = out ? std::fscanf(out, "first_frame_ns=%lld peak_kb=%ld", &frame, &kb) : 0;
        if (!out || pclose(out) != 0 || got != 2) {
            std::fprintf(stderr, "bench: %s painted no frame\n", child.c_str());
            return 1;
        }
        if (i >= 2) {
            time[i % 2].push_back(ms(frame - spawned));
            peak[i % 2].push_back(double(kb));
        }
    }
    const double t = median(time[0]) / median(time[1]), m = median(peak[0]) / median(peak[1]);
    row("start-up to first frame / bare", "<= 1.15", t <= 1.15, "%.1f / %.1f ms = %.2f",
        median(time[0]), median(time[1]), t);
    row("peak resident memory / bare", "<= 1.15", m <= 1.15, "%.0f / %.0f KiB = %.2f",
        median(peak[0]), median(peak[1]), m);
    return 0;
}

} // namespace bench
