#pragma once

// A start-up child reports the moment its first frame was flushed, on
// stdout, and ends at once: the parent times it from the spawn and reads the
// peak resident memory from the child's resource usage.

#include "clock.h"
#include "frame_probe.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace bench {

// What the resident pages are at that moment: anonymous memory (the heap,
// the backing store) against pages of mapped files (libraries, fonts).
inline long residentKb(const char* field)
{
    long kb = -1;
    if (FILE* f = std::fopen("/proc/self/smaps_rollup", "r")) {
        char line[256];
        const std::size_t n = std::strlen(field);
        while (std::fgets(line, sizeof line, f))
            if (std::strncmp(line, field, n) == 0 && line[n] == ':')
                kb = std::strtol(line + n + 1, nullptr, 10);
        std::fclose(f);
    }
    return kb;
}

inline FrameProbe* reportFirstFrame()
{
    return new FrameProbe([](const FrameProbe::Frame& f) {
        const long rss = residentKb("Rss"), anon = residentKb("Anonymous");
        std::printf("first_frame_ns=%lld anon_kb=%ld file_kb=%ld\n", static_cast<long long>(f.at),
                    anon, rss - anon);
        std::fflush(stdout);
        std::_Exit(0);
    });
}

} // namespace bench
