// SPDX-License-Identifier: GPL-3.0-or-later
#include "fixture.h"
#include "frame_probe.h"

namespace bench {

// Rounds of three colours, ticked by hand; the answer is clicked with the
// real mouse path, and the time runs from the release on the last square to
// the frame in which the verdict was painted. Odd rounds answer wrongly.
int verdict(int rounds)
{
    auto form = openWindow();
    std::int64_t released = 0, painted = 0;
    FrameProbe probe([&](const FrameProbe::Frame& f) {
        if (released && f.watchedPainted && !painted && f.at > released)
            painted = f.at;
        recheck();
    });
    probe.watch(rt::testing::widget(form->Label9));
    Samples latency;
    for (int round = 0; round < rounds; ++round) {
        const int picks[] = {1 + round % 8, 1 + (round + 3) % 8, 1 + (round + 5) % 8};
        form->SeqLength = rt::Integer(2);
        for (int p : picks)
            rt::testing::scriptDraws({fixture::drawFor(p)});
        fixture::clickControl(*form, form->Command1);
        for (int t = 0; t < 5; ++t)
            rt::testing::fireTick(form->Timer1);
        spin(15);
        fixture::clickSquare(*form, picks[0]);
        fixture::clickSquare(*form, picks[1]);
        const int last = round % 2 ? picks[0] % 8 + 1 : picks[2];
        const QPoint at = fixture::inWindow(*form, fixture::centreOf(form->Square(last)));
        QTest::mousePress(rt::testing::windowHandle(*form), Qt::LeftButton, {}, at);
        spin(10);
        painted = 0;
        released = nowNs();
        QTest::mouseRelease(rt::testing::windowHandle(*form), Qt::LeftButton, {}, at);
        spin(2000, [&] { return painted != 0; });
        if (!painted || !rt::testing::isRunning(form->Timer2)) {
            std::fprintf(stderr, "bench: round %d showed no verdict\n", round + 1);
            return 1;
        }
        latency.push_back(ms(painted - released));
        released = 0;
        rt::testing::fireTick(form->Timer2); // the verdict's second is not what is timed
        spin(10);
    }
    row("click to verdict on screen (ms)", "< 16.7", p99(latency) < 16.7, latency);
    return 0;
}

} // namespace bench
