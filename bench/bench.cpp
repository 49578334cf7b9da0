// SPDX-License-Identifier: GPL-3.0-or-later
// What a player feels, measured on the real window with the real timers.
//   all                each figure below in a fresh process, one table row
//                      each, with how busy the machine was meanwhile
//   ticks INTERVAL N   N presentation ticks at INTERVAL ms, taken at the frame
//   clicks N           N clicks sent through the X server while idle, then N
//                      during a presentation at 50 ms: sent to handled
//   verdict ROUNDS     mouse release on the last square to the verdict's frame
//   startup RUNS       the program's start-up against a bare main window
//   idle SECONDS       CPU time and timer events of an open, untouched window
//   soak SECONDS SEED  a fast player, real timers at 50 ms, memory each second

#include "bench.h"
#include "runtime/application.h"
#include "runtime/testing.h"
#include "window/form1.h"
#include "window/identity.h"

#include <QEventLoop>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <xcb/xtest.h>

#include <atomic>
#include <cstdarg>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>

namespace {

using bench::ms;
using bench::nowNs;
using Samples = std::vector<double>;

double median(const Samples& v)
{
    return bench::quantile(v, 0.5);
}

double p99(const Samples& v)
{
    return bench::quantile(v, 0.99);
}

// One row of the table: figure, what was measured, target, verdict.
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

// A row of the median, p99 and largest of the samples.
void row(const std::string& figure, const char* target, bool met, const Samples& v,
         int decimals = 2)
{
    row(figure, target, met, "med %.*f p99 %.*f max %.*f", decimals, median(v), decimals, p99(v),
        decimals, bench::maximum(v));
}

// --- in the window ----------------------------------------------------------

// Runs the event loop for `msecs`, or until `done` holds when a probe calls
// recheck(): no timer of ours wakes the loop in between.
QEventLoop* running = nullptr;
std::function<bool()> runningUntil;

void recheck()
{
    if (running && runningUntil && runningUntil())
        running->quit();
}

void spin(int msecs, std::function<bool()> done = nullptr)
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

std::unique_ptr<Form1> openForm()
{
    auto form = std::make_unique<Form1>();
    form->show();
    if (!QTest::qWaitForWindowExposed(rt::testing::widget(*form), 5000)) {
        std::fprintf(stderr, "bench: the window was never exposed\n");
        std::exit(1);
    }
    spin(300); // the first frames and the fonts settle
    return form;
}

QPoint centreOf(const Form1& form, const rt::Control& c)
{
    QWidget* w = rt::testing::widget(c);
    return w->mapTo(rt::testing::widget(form), w->rect().center());
}

// A bare spot of the window: a click there is Form_Click.
QPoint bareSpot(const Form1& form)
{
    return {30, rt::testing::widget(form)->height() - 30};
}

void mouse(const Form1& form, QTest::MouseAction action, QPoint at)
{
    QTest::mouseEvent(action, rt::testing::windowHandle(form), Qt::LeftButton, {}, at);
}

void click(const Form1& form, const rt::Control& c)
{
    mouse(form, QTest::MouseClick, centreOf(form, c));
}

// Draws that give square `pick` (1 to 8): Pick = Int(r * 8 + 1).
rt::Single drawFor(int pick)
{
    return rt::Single((pick - 1) / 8.0 + 1 / 16.0);
}

// Stamps each event of one type as its delivery to `receiver` (or to any
// window) begins.
struct Stamps : QObject
{
    Stamps(QEvent::Type type, const QObject* receiver) : type(type), receiver(receiver)
    {
        qApp->installEventFilter(this);
    }
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == type && (receiver ? o == receiver : o->isWindowType())) {
            at.push_back(nowNs());
            ++count;
            recheck();
        }
        return false;
    }
    QEvent::Type type;
    const QObject* receiver;
    std::vector<std::int64_t> at;
    std::atomic<int> count = 0; // read by other threads
};

// N ticks of the real Timer1, each taken at the frame that shows the
// indicator's new colour (alternating squares make every tick a visible
// change), from the moment the Start handler has enabled the timer.
int runTicks(int interval, int n)
{
    auto form = openForm();
    std::vector<std::int64_t> frames;
    std::int64_t started = 0;
    bench::FrameProbe probe([&](const bench::FrameProbe::Frame& f) {
        if (started && f.watchedPainted)
            frames.push_back(f.at);
        recheck();
    });
    probe.watch(rt::testing::widget(form->Label10));
    // A new colour reaches the widget inside the tick's handler.
    Stamps handled(QEvent::PaletteChange, rt::testing::widget(form->Label10));
    Samples inTimerCode; // the runtime's own time per tick, before the handler
    rt::testing::setTickProbe([&](std::string_view timer, std::chrono::nanoseconds spent) {
        if (timer == "Timer1")
            inTimerCode.push_back(double(spent.count()) / 1e6);
    });

    form->HScroll1.Value = rt::Integer(interval);
    form->SeqLength = rt::Integer(n - 1); // Start adds one
    for (int k = 0; k < n; ++k)
        rt::testing::scriptDraws({drawFor(k % 2 ? 3 : 1)});
    // Connected after the runtime: runs once the Start handler has started the timer.
    auto* start = static_cast<QPushButton*>(rt::testing::widget(form->Command1));
    QObject::connect(start, &QPushButton::clicked, [&] { started = nowNs(); });
    const QPoint at = centreOf(*form, form->Command1);
    mouse(*form, QTest::MousePress, at);
    spin(20);
    handled.at.clear();
    mouse(*form, QTest::MouseRelease, at);
    spin(interval * (n + 5) + 3000, [&] { return int(frames.size()) >= n; });
    if (int(frames.size()) < n || int(handled.at.size()) < n) {
        std::fprintf(stderr, "bench: %zu of %d ticks were painted\n", frames.size(), n);
        return 1;
    }
    Samples deviation, late;
    for (int k = 0; k < n; ++k) {
        deviation.push_back(std::abs(ms(frames[k] - (k ? frames[k - 1] : started)) - interval));
        late.push_back(ms(handled.at[k] - started) - double(k + 1) * interval);
    }
    const double drift = ms(frames.back() - started) - double(n) * interval;
    row("ticks " + std::to_string(interval) + " ms x " + std::to_string(n), "p99, drift <= 1",
        p99(deviation) <= 1 && std::abs(drift) <= 1, "dev med %.2f p99 %.2f max %.2f, drift %+.2f",
        median(deviation), p99(deviation), bench::maximum(deviation), drift);
    row("  its handler late (ms)", "(where)", true, late);
    row("  in the timer code per tick (ms)", "max < 0.1", bench::maximum(inTimerCode) < 0.1,
        inTimerCode, 3);
    return 0;
}

// Clicks on a bare spot, sent through the X server's XTest extension by a
// thread of their own, so that they arrive whatever the window's thread is
// doing: each release is stamped as it is sent and as its delivery to the
// window begins (Form_Click runs inside it). The next click waits for the
// last one to arrive, then for a random 9 to 31 ms: across a tick's phases.
Samples clickDelays(const Form1& form, int count)
{
    const QPoint at = rt::testing::widget(form)->mapToGlobal(bareSpot(form));
    Stamps handled(QEvent::MouseButtonRelease, nullptr);
    std::vector<std::pair<std::int64_t, int>> sent; // when, and which stamp is its delivery
    std::thread sender([&] {
        xcb_connection_t* c = xcb_connect(nullptr, nullptr);
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        auto fake = [&](std::uint8_t type, std::uint8_t detail) {
            xcb_test_fake_input(c, type, detail, XCB_CURRENT_TIME, root, std::int16_t(at.x()),
                                std::int16_t(at.y()), 0);
            xcb_flush(c);
        };
        fake(XCB_MOTION_NOTIFY, 0);
        std::mt19937 rng(1);
        std::uniform_int_distribution<int> gap(9'000, 31'000); // µs
        for (int k = 0; k < count; ++k) {
            std::this_thread::sleep_for(std::chrono::microseconds(gap(rng)));
            fake(XCB_BUTTON_PRESS, 1);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            const int before = handled.count;
            sent.emplace_back(nowNs(), before);
            fake(XCB_BUTTON_RELEASE, 1);
            for (int waited = 0; handled.count == before && waited < 500; ++waited)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (handled.count == before)
                sent.back().second = -1; // lost
        }
        xcb_disconnect(c);
    });
    spin(count * 600 + 3000, [&] { return int(handled.at.size()) >= count; });
    sender.join();
    Samples delays;
    for (const auto& [when, stamp] : sent)
        if (stamp >= 0 && stamp < int(handled.at.size()))
            delays.push_back(ms(handled.at[std::size_t(stamp)] - when));
    if (delays.size() * 50 < std::size_t(count) * 49) { // the server may drop one now and then
        std::fprintf(stderr, "bench: %zu of %d clicks reached the window\n", delays.size(), count);
        std::exit(1);
    }
    return delays;
}

int runClicks(int count)
{
    auto form = openForm();
    const Samples idle = clickDelays(*form, count);
    form->HScroll1.Value = rt::Integer(50);
    form->SeqLength = rt::Integer(10000); // longer than the clicks take
    click(*form, form->Command1);
    spin(200);
    const Samples presenting = clickDelays(*form, count);
    if (!rt::testing::isRunning(form->Timer1))
        return 1;
    row("click handled, idle (ms)", "(reference)", true, idle);
    row("click handled, presenting 50 ms", "p99 <= idle", p99(presenting) <= p99(idle), presenting);
    return 0;
}

// Rounds of three colours, ticked by hand; the answer is clicked with the
// real mouse path, and the time runs from the release on the last square to
// the frame in which the verdict was painted. Odd rounds answer wrongly.
int runVerdict(int rounds)
{
    auto form = openForm();
    std::int64_t released = 0, painted = 0;
    bench::FrameProbe probe([&](const bench::FrameProbe::Frame& f) {
        if (released && f.watchedPainted && !painted)
            painted = f.at;
        recheck();
    });
    probe.watch(rt::testing::widget(form->Label9));
    Samples latency;
    for (int round = 0; round < rounds; ++round) {
        const int picks[] = {1 + round % 8, 1 + (round + 3) % 8, 1 + (round + 5) % 8};
        form->SeqLength = rt::Integer(2);
        for (int p : picks)
            rt::testing::scriptDraws({drawFor(p)});
        click(*form, form->Command1);
        for (int t = 0; t < 5; ++t)
            rt::testing::fireTick(form->Timer1);
        spin(15);
        click(*form, form->Square(rt::Integer(picks[0])));
        click(*form, form->Square(rt::Integer(picks[1])));
        const int last = round % 2 ? picks[0] % 8 + 1 : picks[2];
        const QPoint at = centreOf(*form, form->Square(rt::Integer(last)));
        mouse(*form, QTest::MousePress, at);
        spin(10);
        painted = 0;
        released = nowNs();
        mouse(*form, QTest::MouseRelease, at);
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

// The program and the bare window, started in turn after one warm-up each
// (the page cache, not the program). Each child prints the moment of its
// first frame and its peak resident memory; the time runs from the popen,
// so both include the start of /bin/sh.
int runStartup(int runs)
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

double clockMs(clockid_t clock)
{
    timespec ts{};
    clock_gettime(clock, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// The window open and untouched: what it costs, and whether anything ticks.
int runIdle(int seconds)
{
    auto form = openForm();
    spin(700);
    bench::FrameProbe probe(nullptr);
    const double cpu = clockMs(CLOCK_PROCESS_CPUTIME_ID), wall = clockMs(CLOCK_MONOTONIC);
    spin(seconds * 1000);
    const int on = rt::testing::isRunning(form->Timer1) + rt::testing::isRunning(form->Timer2);
    row("idle cost, window open", "< 20 ms", clockMs(CLOCK_PROCESS_CPUTIME_ID) - cpu < 20,
        "%.2f ms CPU in %.1f s", clockMs(CLOCK_PROCESS_CPUTIME_ID) - cpu,
        (clockMs(CLOCK_MONOTONIC) - wall) / 1000);
    row("timers while idle", "none", probe.timerEvents <= 1 && on == 0,
        "%ld timer events, %d timers on", probe.timerEvents - 1, on); // but spin's own
    return 0;
}

// A player who likes it fast, every 20 ms: Start (or one time in ten the
// credit), the next square of the answer (wrong one time in twenty), one
// time in a hundred the bare window instead (giving the round up). Resident
// memory is sampled each second; more than 512 KiB of growth after the first
// minute ends it with status 2. That the game stays sound is test_monkey's
// business.
int runSoak(int seconds, unsigned seed)
{
    auto form = openForm();
    form->HScroll1.Value = rt::Integer(50);
    std::mt19937 rng(seed);
    auto chance = [&](int oneIn) { return std::uniform_int_distribution(1, oneIn)(rng) == 1; };
    unsigned long rounds = 0, credits = 0;
    std::vector<long> samples; // KiB
    QTimer step, sample;
    QObject::connect(&step, &QTimer::timeout, [&] {
        const auto shown = [](rt::Boolean b) { return b == rt::True; };
        if (shown(form->Command1.Visible) && chance(10)) {
            ++credits; // a modal box: closed from inside its loop, as a player would
            QTimer::singleShot(200, [] {
                if (QWidget* box = qApp->activeModalWidget())
                    QTest::keyClick(box, Qt::Key_Return);
            });
            static_cast<QMainWindow*>(rt::testing::widget(*form))
                ->menuBar()
                ->actions()[0]
                ->trigger();
        } else if (shown(form->Command1.Visible)) {
            ++rounds;
            click(*form, form->Command1);
        } else if (shown(form->Label1.Visible) && !shown(form->Label9.Visible)) {
            const std::u16string& seq = form->ShownSeq.str();
            const auto k = std::size_t(form->ClickCount.value());
            const int digit = k < seq.size() ? seq[k] - u'0' : 1;
            if (chance(100))
                mouse(*form, QTest::MouseClick, bareSpot(*form));
            else
                click(*form, form->Square(rt::Integer(chance(20) ? digit % 8 + 1 : digit)));
        }
    });
    QObject::connect(&sample, &QTimer::timeout, [&] {
        samples.push_back(bench::residentKiB());
        if (samples.size() % 60 == 0)
            std::printf("  %4zu s  RSS %ld KiB  %lu rounds\n", samples.size(), samples.back(),
                        rounds);
        std::fflush(stdout);
        if (int(samples.size()) >= seconds)
            QCoreApplication::exit();
    });
    step.start(20);
    sample.start(1000);
    QApplication::exec();
    if (seconds <= 60) {
        std::printf("soak: %lu rounds; RSS %ld KiB after 1 s, %ld KiB at the end; too short to "
                    "judge growth after the first minute\n",
                    rounds, samples.front(), samples.back());
        return 0;
    }
    const long atMinute = samples[59];
    const long highest = *std::max_element(samples.begin() + 60, samples.end());
    std::printf("soak: seed %u, %d s, %lu rounds, the credit %lu times; RSS %ld KiB after 1 s, "
                "%ld KiB after 60 s, at most %ld KiB after that, %ld KiB at the end\n",
                seed, seconds, rounds, credits, samples.front(), atMinute, highest, samples.back());
    return highest - atMinute > 512 ? 2 : 0;
}

// How busy both cores were, whoever used them: busy and total jiffies.
std::pair<double, double> cpuJiffies()
{
    double v[8] = {}, total = 0;
    if (FILE* f = std::fopen("/proc/stat", "r")) {
        if (std::fscanf(f, "cpu %lf %lf %lf %lf %lf %lf %lf %lf", &v[0], &v[1], &v[2], &v[3], &v[4],
                        &v[5], &v[6], &v[7]) != 8)
            v[3] = 1;
        std::fclose(f);
    }
    for (double x : v)
        total += x;
    return {total - v[3] - v[4], total}; // all but idle and waiting for I/O
}

// Each figure in a fresh process; its rows get the load column.
int runAll()
{
    std::printf("%-34s %-40s %-15s %-6s %s\n%s\n", "figure (ms unless told)", "measured", "target",
                "", "load", std::string(104, '-').c_str());
    const std::string self = std::filesystem::read_symlink("/proc/self/exe");
    const char* const figures[] = {"ticks 50 400", "ticks 500 40", "ticks 1000 20", "clicks 300",
                                   "verdict 100",  "startup 20",   "idle 10"};
    for (const char* figure : figures) {
        const auto [busy0, total0] = cpuJiffies();
        FILE* out = popen(("exec " + self + " " + figure).c_str(), "r");
        std::string rows;
        char line[256];
        while (out && std::fgets(line, sizeof line, out))
            rows += line;
        const auto [busy1, total1] = cpuJiffies();
        if (!out || pclose(out) != 0) {
            std::fprintf(stderr, "bench: '%s' failed\n", figure);
            return 1;
        }
        const double load = 100 * (busy1 - busy0) / std::max(1.0, total1 - total0);
        for (std::size_t at = 0, end; (end = rows.find('\n', at)) != std::string::npos;
             at = end + 1)
            std::printf("%s %3.0f%%\n", rows.substr(at, end - at).c_str(), load);
        std::fflush(stdout);
    }
    return 0;
}

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

int main(int argc, char* argv[])
{
    const std::string what = argc > 1 ? argv[1] : "";
    if (what == "all")
        return runAll();
    if (what == "startup")
        return runStartup(number(argv[2]));
    int qtArgc = 1;
    rt::Application app(qtArgc, argv, identity());
    rt::testing::install();
    if (what == "ticks" && argc > 3 && number(argv[2]) >= 50 && number(argv[2]) <= 1000)
        return runTicks(number(argv[2]), number(argv[3]));
    if (what == "clicks" && argc > 2)
        return runClicks(number(argv[2]));
    if (what == "verdict" && argc > 2)
        return runVerdict(number(argv[2]));
    if (what == "idle" && argc > 2)
        return runIdle(number(argv[2]));
    if (what == "soak" && argc > 2)
        return runSoak(number(argv[2]), unsigned(number(argc > 3 ? argv[3] : "1")));
    std::fprintf(stderr, "usage: tevalin_measure all | ticks INTERVAL(50-1000) N | clicks N | "
                         "verdict ROUNDS | startup RUNS | idle SECONDS | soak SECONDS [SEED]\n");
    return 2;
}
