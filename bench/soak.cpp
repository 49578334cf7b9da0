// SPDX-License-Identifier: GPL-3.0-or-later
// The suites' random player (test_monkey's) at a player's pace, an event
// every 20 ms, on real timers that start at 50 ms and then go wherever the
// player slides the speed: resident memory is sampled each second, and more
// than 512 KiB of growth after the first minute ends it with status 2. What
// the player finds broken ends it with status 3.

#include "bench.h"
#include "monkey.h"

#include <QTimer>

#include <cstdio>

namespace bench {

int soak(int seconds, unsigned seed)
{
    auto form = openWindow();
    form->HScroll1.Value = rt::Integer(50);
    monkey::Player player(*form, seed);
    std::vector<long> samples; // KiB
    QTimer step, sample;
    QObject::connect(&step, &QTimer::timeout, [&] {
        if (!player.step().empty())
            QCoreApplication::exit(3);
    });
    QObject::connect(&sample, &QTimer::timeout, [&] {
        samples.push_back(residentKiB());
        if (samples.size() % 60 == 0)
            std::printf("  %4zu s  RSS %ld KiB  %llu events\n", samples.size(), samples.back(),
                        static_cast<unsigned long long>(player.tally().events));
        std::fflush(stdout);
        if (int(samples.size()) >= seconds)
            QCoreApplication::exit();
    });
    step.start(20);
    sample.start(1000);
    if (QCoreApplication::exec() == 3 || samples.empty()) {
        std::fprintf(stderr, "soak: seed %u: %s\n", seed, player.failure().c_str());
        return 3;
    }
    const monkey::Tally& t = player.tally();
    std::printf("soak: seed %u, %zu s, %llu events, %llu right and %llu wrong verdicts, the credit "
                "%llu times; RSS %ld KiB after 1 s",
                seed, samples.size(), static_cast<unsigned long long>(t.events),
                static_cast<unsigned long long>(t.rights),
                static_cast<unsigned long long>(t.wrongs),
                static_cast<unsigned long long>(t.credits), samples.front());
    if (samples.size() <= 60) {
        std::printf(", %ld KiB at the end; too short to judge growth after the first minute\n",
                    samples.back());
        return 0;
    }
    const long atMinute = samples[59];
    const long highest = *std::max_element(samples.begin() + 60, samples.end());
    std::printf(", %ld KiB after 60 s, at most %ld KiB after that, %ld KiB at the end\n", atMinute,
                highest, samples.back());
    return highest - atMinute > 512 ? 2 : 0;
}

} // namespace bench
