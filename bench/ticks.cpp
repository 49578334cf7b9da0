// SPDX-License-Identifier: GPL-3.0-or-later
// N ticks of the real Timer1, each taken at the first frame that shows its
// colour (alternating squares make every tick a visible change), from the
// moment the Start handler has enabled the timer; and how long each colour
// stayed on screen, up to the frame of the next tick. Optionally with both
// cores kept busy by two processes that spin meanwhile.

#include "fixture.h"
#include "frame_probe.h"

#include <QPushButton>

#include <csignal>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace bench {

namespace {

// Two busy loops, one a core, for as long as it lives.
class BusyCores
{
public:
    explicit BusyCores(bool on)
    {
        for (int i = 0; on && i < 2; ++i)
            if (const pid_t pid = fork(); pid == 0) {
                prctl(PR_SET_PDEATHSIG, SIGKILL);
                volatile unsigned long spun = 0;
                for (;;)
                    spun = spun + 1;
            } else if (pid > 0) {
                spinners_.push_back(pid);
            }
    }
    ~BusyCores()
    {
        for (pid_t pid : spinners_) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }

private:
    std::vector<pid_t> spinners_;
};

} // namespace

int ticks(int interval, int n, bool busy)
{
    auto form = openWindow();
    std::int64_t started = 0;
    Samples inTimerCode;               // the runtime's own time per tick, before the handler
    std::vector<std::int64_t> handled; // each tick, as its handler is called
    rt::testing::setTickProbe([&](std::string_view timer, std::chrono::nanoseconds spent) {
        if (timer == "Timer1") {
            handled.push_back(nowNs());
            inTimerCode.push_back(double(spent.count()) / 1e6);
        }
    });
    // shown[k]: the first frame after tick k (shown[0], the start), which
    // shows its colour; two ticks in one frame show the first for no time.
    std::vector<std::int64_t> shown;
    FrameProbe probe(
        [&](const FrameProbe::Frame& f) {
            while (started && shown.size() <= std::size_t(f.tag))
                shown.push_back(f.at);
            recheck();
        },
        [&] { return long(handled.size()); });

    form->HScroll1.Value = rt::Integer(interval);
    form->SeqLength = rt::Integer(n - 1); // Start adds one
    for (int k = 0; k < n; ++k)
        rt::testing::scriptDraws({fixture::drawFor(k % 2 ? 3 : 1)});
    // Connected after the runtime: runs once the Start handler has started the timer.
    auto* start = static_cast<QPushButton*>(rt::testing::widget(form->Command1));
    QObject::connect(start, &QPushButton::clicked, [&] { shown = {started = nowNs()}; });
    const QPoint at = fixture::inWindow(*form, fixture::centreOf(form->Command1));
    QTest::mousePress(rt::testing::windowHandle(*form), Qt::LeftButton, {}, at);
    spin(20);
    {
        const BusyCores cores(busy);
        QTest::mouseRelease(rt::testing::windowHandle(*form), Qt::LeftButton, {}, at);
        // Up to the blank tick after the last colour; a busy machine slips.
        spin(interval * (2 * n + 5) + 3000, [&] { return int(shown.size()) >= n + 2; });
    }
    if (int(shown.size()) < n + 2) {
        std::fprintf(stderr, "bench: %zu of %d ticks were painted\n", shown.size() - 1, n + 1);
        return 1;
    }
    Samples deviation, late, colour;
    for (int k = 1; k <= n; ++k) {
        deviation.push_back(std::abs(ms(shown[k] - shown[k - 1]) - interval));
        late.push_back(ms(handled[k - 1] - started) - double(k * interval));
        colour.push_back(ms(shown[k + 1] - shown[k]));
    }
    const double drift = ms(shown[n] - started) - double(n * interval);
    const std::string figure = "ticks " + std::to_string(interval) + " ms x " + std::to_string(n);
    row(figure + (busy ? ", 2 busy" : ""), "p99, drift <= 1",
        p99(deviation) <= 1 && std::abs(drift) <= 1, "dev med %.2f p99 %.2f max %.2f, drift %+.2f",
        median(deviation), p99(deviation), maximum(deviation), drift);
    row("  its handler late (ms)", "(where)", true, late);
    row("  in the timer code per tick (ms)", "max < 0.1", maximum(inTimerCode) < 0.1, inTimerCode,
        3);
    row("  shortest colour on screen (ms)", ">= 70 %", minimum(colour) >= 0.7 * interval,
        "min %.2f, %.0f %% of the interval", minimum(colour), 100 * minimum(colour) / interval);
    return 0;
}

} // namespace bench
