// SPDX-License-Identifier: GPL-3.0-or-later
// What a player feels, measured on the real window with the real timers, one
// figure a run (scripts/bench runs them all, each in a fresh process):
//   ticks INTERVAL N [busy]  N presentation ticks at INTERVAL ms, taken at the
//                            frame; busy: both cores kept busy meanwhile
//   clicks N                 N clicks sent through the X server while idle,
//                            then N during a presentation at 50 ms
//   verdict ROUNDS           mouse release on the last square to the verdict's frame
//   startup RUNS             the program's start-up against a bare main window
//   idle SECONDS             CPU time and timer events of an open, untouched window
//   soak SECONDS [SEED]      the suites' random player on real timers, memory each second

#include "bench.h"
#include "fixture.h"
#include "window/identity.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int number(const char* s)
{
    char* end = nullptr;
    const long v = s ? std::strtol(s, &end, 10) : 0;
    if (!s || *end || v < 1 || v > 100000) {
        std::fprintf(stderr, "bench: expected a count from 1 to 100000, not '%s'\n", s ? s : "");
        std::exit(2);
    }
    return int(v);
}

} // namespace

std::unique_ptr<Form1> bench::openWindow()
{
    auto form = fixture::openForm();
    spin(300);
    return form;
}

int main(int argc, char* argv[])
{
    const std::string what = argc > 1 ? argv[1] : "";
    const auto arg = [&](int i) { return number(i < argc ? argv[i] : nullptr); };
    if (what == "startup")
        return bench::startup(arg(2));
    int qtArgc = 1;
    rt::Application app(qtArgc, argv, identity());
    rt::testing::install();
    if (what == "ticks" && arg(2) >= 50 && arg(2) <= 1000)
        return bench::ticks(arg(2), arg(3), argc > 4 && std::strcmp(argv[4], "busy") == 0);
    if (what == "clicks")
        return bench::clicks(arg(2));
    if (what == "verdict")
        return bench::verdict(arg(2));
    if (what == "idle")
        return bench::idle(arg(2));
    if (what == "soak")
        return bench::soak(arg(2), unsigned(argc > 3 ? arg(3) : 1));
    std::fprintf(stderr, "usage: tevalin_measure ticks INTERVAL(50-1000) N [busy] | clicks N | "
                         "verdict ROUNDS | startup RUNS | idle SECONDS | soak SECONDS [SEED]\n");
    return 2;
}
