// What a player feels, measured on the real window with the real timers:
//   ticks INTERVAL N   N presentation ticks at INTERVAL ms, taken at the frame
//   clicks N           N clicks sent through the X server while idle, then N
//                      during a presentation at 50 ms: sent to handled
//   verdict ROUNDS     mouse release on the last square to the verdict's frame
//   idle SECONDS       CPU time and timer events of an open, untouched window
//   startup RUNS       the program's start-up against a bare main window
//   all                each of the above in a fresh process; prints the table
// Each measurement prints one line of key=value pairs.

#include "bench.h"
#include "runtime/application.h"
#include "runtime/testing.h"
#include "window/form1.h"

#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <xcb/xtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

using bench::ms;
using bench::nowNs;
using Values = std::map<std::string, double>;

void printLine(const char* what, const Values& values)
{
    std::printf("%s", what);
    for (const auto& [k, v] : values)
        std::printf(" %s=%.4f", k.c_str(), v);
    std::printf("\n");
    std::fflush(stdout);
}

Values stats(const std::string& prefix, const std::vector<double>& v)
{
    return {{prefix + "median", bench::quantile(v, 0.5)},
            {prefix + "p99", bench::quantile(v, 0.99)},
            {prefix + "max", bench::maximum(v)}};
}

// --- in the window ----------------------------------------------------------

// Runs the event loop for `msecs`, or until `done` holds when a sink calls
// recheck(); no timer of ours wakes the loop in between.
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

void mouse(const Form1& form, bool press, QPoint at)
{
    QWindow* window = rt::testing::windowHandle(form);
    if (press)
        QTest::mousePress(window, Qt::LeftButton, {}, at);
    else
        QTest::mouseRelease(window, Qt::LeftButton, {}, at);
}

void click(const Form1& form, const rt::Control& c)
{
    mouse(form, true, centreOf(form, c));
    mouse(form, false, centreOf(form, c));
}

// Draws that give square `pick` (1 to 8): Pick = Int(r * 8 + 1).
rt::Single drawFor(int pick)
{
    return rt::Single((pick - 1) / 8.0 + 1 / 16.0);
}

// Stamps each event of one type delivered to a window, as its delivery begins.
struct Stamps : QObject
{
    Stamps(QEvent::Type type, const QObject* receiver = nullptr) : type(type), receiver(receiver)
    {
        qApp->installEventFilter(this);
    }
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == type && (receiver ? o == receiver : o->isWindowType()))
            at.push_back(nowNs());
        recheck();
        return false;
    }
    QEvent::Type type;
    const QObject* receiver;
    std::vector<std::int64_t> at;
};

// N ticks of the real Timer1 at INTERVAL ms, each taken at the frame that
// shows the indicator's new colour (alternating squares make every tick a
// visible change). The reference is the moment the Start handler has
// enabled the timer; a new colour reaches the widget inside the handler.
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
    Stamps recoloured(QEvent::PaletteChange, rt::testing::widget(form->Label10));

    form->HScroll1.Value = rt::Integer(interval);
    form->SeqLength = rt::Integer(n - 1); // Start adds one
    for (int k = 0; k < n; ++k)
        rt::testing::scriptDraws({drawFor(k % 2 ? 3 : 1)});
    const QPoint at = centreOf(*form, form->Command1);
    mouse(*form, true, at);
    spin(20);
    recoloured.at.clear();
    started = nowNs(); // the handler enables the timer inside this release
    mouse(*form, false, at);
    spin(interval * (n + 5) + 3000, [&] { return int(frames.size()) >= n; });
    if (int(frames.size()) < n || int(recoloured.at.size()) < n) {
        std::fprintf(stderr, "bench: %zu of %d ticks were painted\n", frames.size(), n);
        return 1;
    }
    std::vector<double> deviations, late;
    for (int k = 0; k < n; ++k) {
        deviations.push_back(std::abs(ms(frames[k] - (k ? frames[k - 1] : started)) - interval));
        late.push_back(ms(recoloured.at[k] - started) - double(k + 1) * interval);
    }
    Values v = stats("dev_", deviations);
    v.merge(stats("handler_late_", late));
    v["interval"] = interval;
    v["n"] = n;
    v["drift"] = ms(frames.back() - started) - double(n) * interval;
    printLine("ticks", v);
    return 0;
}

// Clicks on a bare spot of the window, sent through the X server's XTest
// extension by a thread of its own, so that they arrive whatever the
// window's thread is doing. Each release is stamped as it is sent, and again
// as its delivery to the window begins (Form_Click runs inside it).
std::vector<double> clickDelays(const Form1& form, int count)
{
    QWidget* window = rt::testing::widget(form);
    const QPoint at = window->mapToGlobal(QPoint(30, window->height() - 30));
    Stamps handled(QEvent::MouseButtonRelease);
    std::vector<std::int64_t> sent;
    std::thread sender([&] {
        xcb_connection_t* c = xcb_connect(nullptr, nullptr);
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        auto fake = [&](std::uint8_t type, std::uint8_t detail, QPoint p = {}) {
            xcb_test_fake_input(c, type, detail, XCB_CURRENT_TIME, root, std::int16_t(p.x()),
                                std::int16_t(p.y()), 0);
            xcb_flush(c);
        };
        fake(XCB_MOTION_NOTIFY, 0, at);
        std::mt19937 rng(1);
        std::uniform_int_distribution<int> gap(9'000, 31'000); // µs, across the tick's phases
        for (int k = 0; k < count; ++k) {
            std::this_thread::sleep_for(std::chrono::microseconds(gap(rng)));
            fake(XCB_BUTTON_PRESS, 1);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            sent.push_back(nowNs());
            fake(XCB_BUTTON_RELEASE, 1);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100)); // the server has them all
        xcb_disconnect(c);
    });
    spin(count * 40 + 3000, [&] { return int(handled.at.size()) >= count; });
    sender.join();
    spin(100); // stragglers
    // Each release handled belongs to the last one sent before it (they are
    // 9 ms apart at least); one the window never saw leaves a gap.
    std::vector<double> delays;
    for (std::size_t k = 0, h = 0; k < sent.size() && h < handled.at.size(); ++k) {
        const std::int64_t next = k + 1 < sent.size() ? sent[k + 1] : INT64_MAX;
        if (handled.at[h] >= sent[k] && handled.at[h] < next)
            delays.push_back(ms(handled.at[h++] - sent[k]));
    }
    return delays;
}

int runClicks(int count)
{
    auto form = openForm();
    const auto idle = clickDelays(*form, count);
    form->HScroll1.Value = rt::Integer(50);
    form->SeqLength = rt::Integer(10000); // longer than the clicks take
    click(*form, form->Command1);
    spin(200);
    const auto presenting = clickDelays(*form, count);
    // An X server under load may lose a fake click now and then.
    if (idle.size() * 50 < count * 49u || presenting.size() * 50 < count * 49u ||
        !rt::testing::isRunning(form->Timer1)) {
        std::fprintf(stderr, "bench: clicks went astray (%zu and %zu of %d handled)\n", idle.size(),
                     presenting.size(), count);
        return 1;
    }
    Values v = stats("idle_", idle);
    v.merge(stats("presenting_", presenting));
    v["n"] = count;
    v["lost"] = double(2 * count) - double(idle.size() + presenting.size());
    printLine("clicks", v);
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
    std::vector<double> latencies;
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
        spin(10);
        const QPoint at =
            centreOf(*form, form->Square(rt::Integer(round % 2 ? picks[0] % 8 + 1 : picks[2])));
        mouse(*form, true, at);
        spin(10);
        painted = 0;
        released = nowNs();
        mouse(*form, false, at);
        spin(2000, [&] { return painted != 0; });
        if (!painted || !rt::testing::isRunning(form->Timer2)) {
            std::fprintf(stderr, "bench: round %d showed no verdict\n", round + 1);
            return 1;
        }
        latencies.push_back(ms(painted - released));
        released = 0;
        rt::testing::fireTick(form->Timer2); // the verdict's second is not what is timed
        spin(10);
    }
    Values v = stats("", latencies);
    v["rounds"] = rounds;
    printLine("verdict", v);
    return 0;
}

double cpuMs(clockid_t clock)
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
    long frames = 0;
    bench::FrameProbe probe([&](const bench::FrameProbe::Frame&) { ++frames; });
    QEventLoop loop;
    QTimer end;
    end.setSingleShot(true);
    QObject::connect(&end, &QTimer::timeout, &loop, &QEventLoop::quit);
    probe.ignored = &end;
    const double cpu0 = cpuMs(CLOCK_PROCESS_CPUTIME_ID), wall0 = cpuMs(CLOCK_MONOTONIC);
    end.start(seconds * 1000);
    loop.exec();
    printLine("idle", {{"seconds", (cpuMs(CLOCK_MONOTONIC) - wall0) / 1000},
                       {"cpu_ms", cpuMs(CLOCK_PROCESS_CPUTIME_ID) - cpu0},
                       {"timer_events", double(probe.timerEvents)},
                       {"events", double(probe.events - 1)}, // our own timer's
                       {"frames", double(frames)},
                       {"timers_on", rt::testing::isRunning(form->Timer1) +
                                         rt::testing::isRunning(form->Timer2)}});
    return 0;
}

// --- processes ---------------------------------------------------------------

struct Child
{
    std::string out;
    std::int64_t spawnedAt = 0;
    rusage usage{};
    int status = -1;
};

Child runChild(std::vector<std::string> args)
{
    Child r;
    int fds[2];
    if (pipe(fds) != 0)
        std::exit(1);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    r.spawnedAt = nowNs();
    const int err = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    char buf[4096];
    for (ssize_t got; err == 0 && (got = read(fds[0], buf, sizeof buf)) > 0;)
        r.out.append(buf, std::size_t(got));
    close(fds[0]);
    if (err != 0 || wait4(pid, &r.status, 0, &r.usage) < 0) {
        std::fprintf(stderr, "bench: cannot run %s\n", argv[0]);
        std::exit(1);
    }
    return r;
}

Values parse(const std::string& line)
{
    Values values;
    for (std::size_t eq = 0; (eq = line.find('=', eq)) != std::string::npos; ++eq) {
        const std::size_t key = line.rfind(' ', eq) + 1; // npos + 1 is 0
        values[line.substr(key, eq - key)] = std::strtod(line.c_str() + eq + 1, nullptr);
    }
    return values;
}

// The program against the bare window, started in turn, each in a fresh
// process, after one warm-up each (the page cache, not the program).
int runStartup(int runs)
{
    const auto dir = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    std::vector<double> time[2], rss[2];
    for (int i = 0; i < 2 * (runs + 1); ++i) {
        const char* name = i % 2 ? "bare" : "game";
        const Child r = runChild({(dir / (std::string("tevalin_bench_startup_") + name))});
        const auto v = parse(r.out);
        if (!WIFEXITED(r.status) || WEXITSTATUS(r.status) != 0 || !v.count("first_frame_ns")) {
            std::fprintf(stderr, "bench: the %s window painted no frame\n", name);
            return 1;
        }
        if (i >= 2) {
            time[i % 2].push_back(ms(std::int64_t(v.at("first_frame_ns")) - r.spawnedAt));
            rss[i % 2].push_back(double(r.usage.ru_maxrss));
        }
    }
    printLine("startup", {{"runs", runs},
                          {"game_ms", bench::quantile(time[0], 0.5)},
                          {"bare_ms", bench::quantile(time[1], 0.5)},
                          {"game_rss_kb", bench::quantile(rss[0], 0.5)},
                          {"bare_rss_kb", bench::quantile(rss[1], 0.5)}});
    return 0;
}

// How busy both cores are, whoever uses them: busy and total jiffies.
std::pair<double, double> cpuJiffies()
{
    unsigned long long v[8] = {};
    FILE* f = std::fopen("/proc/stat", "r");
    if (!f || std::fscanf(f, "cpu %llu %llu %llu %llu %llu %llu %llu %llu", &v[0], &v[1], &v[2],
                          &v[3], &v[4], &v[5], &v[6], &v[7]) != 8)
        v[3] = 1;
    if (f)
        std::fclose(f);
    double total = 0;
    for (auto x : v)
        total += double(x);
    return {total - double(v[3] + v[4]), total}; // all but idle and waiting for I/O
}

// One figure in a fresh process, with the machine's load while it ran.
Values measure(const std::vector<std::string>& args)
{
    std::vector<std::string> argv{std::filesystem::read_symlink("/proc/self/exe")};
    argv.insert(argv.end(), args.begin(), args.end());
    const auto [busy0, total0] = cpuJiffies();
    const Child r = runChild(argv);
    const auto [busy1, total1] = cpuJiffies();
    if (!WIFEXITED(r.status) || WEXITSTATUS(r.status) != 0) {
        std::fprintf(stderr, "bench: '%s' failed\n", args.front().c_str());
        std::exit(1);
    }
    auto values = parse(r.out);
    values["load"] = total1 > total0 ? 100 * (busy1 - busy0) / (total1 - total0) : 0;
    std::fprintf(stderr, "%s load=%.1f\n", r.out.substr(0, r.out.find('\n')).c_str(),
                 values["load"]); // the raw record
    return values;
}

void row(const std::string& figure, const char* target, bool met, double load, const char* fmt,
         double a, double b = 0, double c = 0, double d = 0)
{
    char measured[96];
    std::snprintf(measured, sizeof measured, fmt, a, b, c, d);
    std::printf("%-36s %-36s %-16s %-6s %3.0f%%\n", figure.c_str(), measured, target,
                *target == '(' ? ""
                : met          ? "met"
                               : "MISSED",
                load);
}

int runAll()
{
    std::vector<Values> ticks;
    for (const auto& [interval, n] : {std::pair{50, 400}, {500, 40}, {1000, 20}})
        ticks.push_back(measure({"ticks", std::to_string(interval), std::to_string(n)}));
    const auto clicks = measure({"clicks", "300"});
    const auto verdict = measure({"verdict", "100"});
    const auto startup = measure({"startup", "20"});
    const auto idle = measure({"idle", "10"});

    // The load counts everything on the machine, the bench and Xvfb included.
    std::printf("\n%-36s %-36s %-16s %-6s %s\n%s\n", "figure", "measured", "target", "", "load",
                std::string(104, '-').c_str());
    for (auto& v : ticks) {
        const double p99 = v["dev_p99"], drift = v["drift"];
        row("ticks " + std::to_string(int(v["interval"])) + " ms x " + std::to_string(int(v["n"])),
            "p99, drift <= 1", p99 <= 1 && std::abs(drift) <= 1, v["load"],
            "dev med %.2f p99 %.2f max %.2f, drift %+.2f", v["dev_median"], p99, v["dev_max"],
            drift);
    }
    auto c = clicks;
    row("click handled, idle (ms)", "(reference)", true, c["load"], "med %.2f p99 %.2f max %.2f",
        c["idle_median"], c["idle_p99"], c["idle_max"]);
    row("click handled, presenting 50 ms", "p99 <= idle", c["presenting_p99"] <= c["idle_p99"],
        c["load"], "med %.2f p99 %.2f max %.2f", c["presenting_median"], c["presenting_p99"],
        c["presenting_max"]);
    auto v = verdict;
    row("click to verdict on screen (ms)", "< 16.7", v["p99"] < 16.7, v["load"],
        "med %.2f p99 %.2f max %.2f", v["median"], v["p99"], v["max"]);
    auto s = startup;
    row("start-up to first frame / bare", "<= 1.15", s["game_ms"] <= 1.15 * s["bare_ms"], s["load"],
        "%.1f / %.1f ms = %.2f", s["game_ms"], s["bare_ms"], s["game_ms"] / s["bare_ms"]);
    row("peak resident memory / bare", "<= 1.15", s["game_rss_kb"] <= 1.15 * s["bare_rss_kb"],
        s["load"], "%.0f / %.0f KiB = %.2f", s["game_rss_kb"], s["bare_rss_kb"],
        s["game_rss_kb"] / s["bare_rss_kb"]);
    auto i = idle;
    row("idle cost, window open", "< 20 ms", i["cpu_ms"] < 20, i["load"], "%.2f ms CPU in %.1f s",
        i["cpu_ms"], i["seconds"]);
    row("timers while idle", "none", i["timer_events"] == 0 && i["timers_on"] == 0, i["load"],
        "%.0f timer events, %.0f timers on", i["timer_events"], i["timers_on"]);
    return 0;
}

int number(const char* s)
{
    char* end = nullptr;
    const long v = std::strtol(s, &end, 10);
    if (!*s || *end || v < 1 || v > 100000) {
        std::fprintf(stderr, "bench: '%s' is not a count between 1 and 100000\n", s);
        std::exit(2);
    }
    return int(v);
}

} // namespace

int main(int argc, char* argv[])
{
    const std::string what = argc > 1 ? argv[1] : "";
    if (what == "all" && argc == 2)
        return runAll();
    if (what == "startup" && argc == 3)
        return runStartup(number(argv[2]));
    int qtArgc = 1;
    rt::Application app(qtArgc, argv, Form1::description());
    if (what == "ticks" && argc == 4 && number(argv[2]) >= 50 && number(argv[2]) <= 1000)
        return runTicks(number(argv[2]), number(argv[3]));
    if (what == "clicks" && argc == 3)
        return runClicks(number(argv[2]));
    if (what == "verdict" && argc == 3)
        return runVerdict(number(argv[2]));
    if (what == "idle" && argc == 3)
        return runIdle(number(argv[2]));
    std::fprintf(stderr, "usage: tevalin_bench all | ticks INTERVAL(50-1000) N | clicks N | "
                         "verdict ROUNDS | idle SECONDS | startup RUNS\n");
    return 2;
}
