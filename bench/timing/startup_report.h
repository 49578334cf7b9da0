#pragma once

// A start-up child reports the moment its first frame was flushed, on
// stdout, and ends at once: the parent times it from the spawn and reads the
// peak resident memory from the child's resource usage.

#include "clock.h"
#include "frame_probe.h"

#include <cstdio>
#include <cstdlib>

namespace bench {

inline FrameProbe* reportFirstFrame()
{
    return new FrameProbe([](const FrameProbe::Frame& f) {
        std::printf("first_frame_ns=%lld\n", static_cast<long long>(f.at));
        std::fflush(stdout);
        std::_Exit(0);
    });
}

} // namespace bench
