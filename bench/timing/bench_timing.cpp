// What a player feels, measured on the real window with the real timers:
//   ticks INTERVAL N   N presentation ticks at INTERVAL ms, taken at the frame
//   verdict ROUNDS     mouse release on the last square to the verdict's frame
//   idle SECONDS       CPU time and timer events of an open, untouched window
//   startup RUNS       the program's start-up against a bare main window
//   all                each of the above in a fresh process; prints the table
// Each measurement prints one line of key=value pairs.

#include "clock.h"
#include "frame_probe.h"
#include "runtime/application.h"
#include "runtime/testing.h"
#include "window/form1.h"

#include <QApplication>
#include <QEventLoop>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using bench::FrameProbe;
using bench::ms;
using bench::nowNs;

// --- in the window ----------------------------------------------------------

QWidget* window(const Form1& form)
{
    return rt::testing::widget(form);
}

QPoint centreOf(const Form1& form, const rt::Control& c)
{
    QWidget* w = rt::testing::widget(c);
    return w->mapTo(window(form), w->rect().center());
}

// Runs the event loop for a while; our own timer is the only one added.
void spin(int msecs)
{
    QEventLoop loop;
    QTimer::singleShot(msecs, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

std::unique_ptr<Form1> openForm()
{
    auto form = std::make_unique<Form1>();
    form->show();
    if (!QTest::qWaitForWindowExposed(window(*form), 5000)) {
        std::fprintf(stderr, "bench: the window was never exposed\n");
        std::exit(1);
    }
    spin(300); // the first frames and the fonts settle
    return form;
}

void press(const Form1& form, QPoint at)
{
    QTest::mousePress(rt::testing::windowHandle(form), Qt::LeftButton, {}, at);
}

void release(const Form1& form, QPoint at)
{
    QTest::mouseRelease(rt::testing::windowHandle(form), Qt::LeftButton, {}, at);
}

void click(const Form1& form, QPoint at)
{
    press(form, at);
    release(form, at);
}

// Draws that give square `pick` (1 to 8): Pick = Int(r * 8 + 1).
rt::Single drawFor(int pick)
{
    return rt::Single((pick - 1) / 8.0 + 1 / 16.0);
}

void printLine(const char* what, const std::map<std::string, double>& values)
{
    std::printf("%s", what);
    for (const auto& [k, v] : values)
        std::printf(" %s=%.4f", k.c_str(), v);
    std::printf("\n");
    std::fflush(stdout);
}

// N ticks of the real Timer1 at INTERVAL ms. The reference is the moment the
// Start handler has enabled the timer; each tick is taken at the frame that
// shows the indicator's new colour. Alternating squares make every tick a
// visible change.
int runTicks(int interval, int n)
{
    auto form = openForm();
    std::vector<std::int64_t> frames;
    std::vector<std::int64_t> recoloured; // the handler set the indicator's colour
    std::int64_t started = 0;
    QEventLoop loop;

    FrameProbe probe([&](const FrameProbe::Frame& f) {
        if (started && f.watchedPainted) {
            frames.push_back(f.at);
            if (int(frames.size()) == n)
                loop.quit();
        }
    });
    probe.watch(rt::testing::widget(form->Label10));
    // A new colour reaches the widget as a palette change, inside the handler.
    const QWidget* indicator = rt::testing::widget(form->Label10);
    probe.setEventSink([&](const QObject* receiver, const QEvent* e, std::int64_t at) {
        if (started && receiver == indicator && e->type() == QEvent::PaletteChange)
            recoloured.push_back(at);
    });

    form->HScroll1.Value = rt::Integer(interval);
    form->SeqLength = rt::Integer(n - 1); // Start adds one
    for (int k = 0; k < n; ++k)
        rt::testing::scriptDraws({drawFor(k % 2 ? 3 : 1)});

    auto* start = static_cast<QPushButton*>(rt::testing::widget(form->Command1));
    // Connected after the runtime: runs once the handler has started the timer.
    QObject::connect(start, &QPushButton::clicked, [&] { started = nowNs(); });
    const QPoint at = centreOf(*form, form->Command1);
    press(*form, at);
    spin(20);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    guard.start(interval * (n + 5) + 3000);
    release(*form, at);
    if (int(frames.size()) < n)
        loop.exec();

    if (int(frames.size()) < n || !started) {
        std::fprintf(stderr, "bench: %zu of %d ticks were painted\n", frames.size(), n);
        return 1;
    }
    std::vector<double> deviations;
    std::int64_t previous = started;
    for (std::int64_t t : frames) {
        deviations.push_back(std::abs(ms(t - previous) - interval));
        previous = t;
    }
    const double drift = ms(frames.back() - started) - double(n) * interval;
    // Where the time goes: the handler's lateness, and handler to frame.
    std::vector<double> lateness, toFrame;
    for (std::size_t k = 0; k < frames.size() && k < recoloured.size(); ++k) {
        lateness.push_back(ms(recoloured[k] - started) - double(k + 1) * interval);
        toFrame.push_back(ms(frames[k] - recoloured[k]));
    }
    if (std::getenv("TEVALIN_BENCH_TRACE")) // every tick, for a closer look
        for (std::size_t k = 0; k < lateness.size(); ++k)
            std::fprintf(stderr, "tick %zu handler %+.3f frame %+.3f\n", k + 1, lateness[k],
                         lateness[k] + toFrame[k]);
    printLine("ticks", {{"interval", interval},
                        {"n", n},
                        {"median_dev_ms", bench::median(deviations)},
                        {"p99_dev_ms", bench::quantile(deviations, 0.99)},
                        {"max_dev_ms", bench::maximum(deviations)},
                        {"drift_ms", drift},
                        {"handler_late_median_ms", bench::median(lateness)},
                        {"handler_late_max_ms", bench::maximum(lateness)},
                        {"to_frame_median_ms", bench::median(toFrame)},
                        {"to_frame_max_ms", bench::maximum(toFrame)}});
    return 0;
}

// Rounds of three colours, ticked by hand; the answer is clicked with the
// real mouse path, and the time runs from the release on the last square to
// the flushed frame in which the verdict label was painted. Odd rounds answer
// wrongly, so both verdicts are timed.
int runVerdict(int rounds)
{
    constexpr int Length = 3;
    auto form = openForm();
    std::int64_t released = 0;
    std::int64_t painted = 0;
    QEventLoop loop;
    FrameProbe probe([&](const FrameProbe::Frame& f) {
        if (released && f.watchedPainted && !painted) {
            painted = f.at;
            loop.quit();
        }
    });
    probe.watch(rt::testing::widget(form->Label9));
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);

    std::vector<double> latencies;
    for (int round = 0; round < rounds; ++round) {
        const int picks[Length] = {1 + round % 8, 1 + (round + 3) % 8, 1 + (round + 5) % 8};
        form->SeqLength = rt::Integer(Length - 1);
        for (int p : picks)
            rt::testing::scriptDraws({drawFor(p)});
        click(*form, centreOf(*form, form->Command1));
        for (int t = 0; t < Length + 2; ++t)
            rt::testing::fireTick(form->Timer1);
        spin(15);
        for (int k = 0; k < Length - 1; ++k) {
            click(*form, centreOf(*form, form->Square(rt::Integer(picks[k]))));
            spin(5);
        }
        const int last = round % 2 ? picks[0] % 8 + 1 : picks[Length - 1];
        const QPoint at = centreOf(*form, form->Square(rt::Integer(last)));
        press(*form, at);
        spin(10);
        released = nowNs();
        painted = 0;
        guard.start(2000);
        release(*form, at);
        if (!painted)
            loop.exec();
        guard.stop();
        if (!painted || !rt::testing::isRunning(form->Timer2)) {
            std::fprintf(stderr, "bench: round %d showed no verdict\n", round + 1);
            return 1;
        }
        latencies.push_back(ms(painted - released));
        released = 0;
        rt::testing::fireTick(form->Timer2); // the verdict's second is not what is timed
        spin(10);
    }
    printLine("verdict", {{"rounds", rounds},
                          {"median_ms", bench::median(latencies)},
                          {"p99_ms", bench::quantile(latencies, 0.99)},
                          {"max_ms", bench::maximum(latencies)}});
    return 0;
}

double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// The window open and untouched: what it costs, and whether anything ticks.
int runIdle(int seconds)
{
    auto form = openForm();
    spin(700);
    FrameProbe probe(nullptr);
    QEventLoop loop;
    QTimer end;
    end.setSingleShot(true);
    end.setTimerType(Qt::PreciseTimer);
    QObject::connect(&end, &QTimer::timeout, &loop, &QEventLoop::quit);
    probe.ignoreTimerEventsOf(&end);
    long frames = 0;
    probe.setSink([&](const FrameProbe::Frame&) { ++frames; });

    const double cpu0 = cpuMs();
    const std::int64_t wall0 = nowNs();
    end.start(seconds * 1000);
    loop.exec();
    const double cpu = cpuMs() - cpu0;
    const double wall = ms(nowNs() - wall0);
    printLine("idle", {{"seconds", wall / 1000},
                       {"cpu_ms", cpu},
                       {"timer_events", double(probe.timerEvents())},
                       {"events", double(probe.events() - 1)}, // our own timer's
                       {"frames", double(frames)},
                       {"timer1_running", rt::testing::isRunning(form->Timer1)},
                       {"timer2_running", rt::testing::isRunning(form->Timer2)}});
    return 0;
}

// --- processes ---------------------------------------------------------------

std::filesystem::path self()
{
    return std::filesystem::read_symlink("/proc/self/exe");
}

struct ChildResult
{
    std::string out;
    std::int64_t spawnedAt = 0;
    rusage usage{};
    int status = -1;
};

ChildResult runChild(const std::vector<std::string>& args)
{
    ChildResult r;
    int fds[2];
    if (pipe(fds) != 0) {
        std::perror("bench: pipe");
        std::exit(1);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    r.spawnedAt = nowNs();
    const int err = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (err != 0) {
        std::fprintf(stderr, "bench: cannot start %s: %s\n", argv[0], std::strerror(err));
        std::exit(1);
    }
    char buf[4096];
    for (ssize_t got; (got = read(fds[0], buf, sizeof buf)) > 0;)
        r.out.append(buf, std::size_t(got));
    close(fds[0]);
    while (wait4(pid, &r.status, 0, &r.usage) < 0 && errno == EINTR) {
    }
    return r;
}

std::map<std::string, double> parse(const std::string& line)
{
    std::map<std::string, double> values;
    std::size_t pos = 0;
    while ((pos = line.find('=', pos)) != std::string::npos) {
        const std::size_t keyStart =
            line.rfind(' ', pos) == std::string::npos ? 0 : line.rfind(' ', pos) + 1;
        values[line.substr(keyStart, pos - keyStart)] =
            std::strtod(line.c_str() + pos + 1, nullptr);
        ++pos;
    }
    return values;
}

// The program against the bare window, and against the bare window with one
// caption in the game's font, taken in turn, each in a fresh process.
int runStartup(int runs)
{
    const auto dir = self().parent_path();
    const char* const names[] = {"game", "bare", "text"};
    constexpr int Programs = 3;
    std::vector<double> time[Programs], rss[Programs], cpu[Programs], anon[Programs],
        file[Programs];
    for (int i = 0; i < Programs * (runs + 1); ++i) {
        const int which = i % Programs;
        const std::string program =
            (dir / ("tevalin_bench_startup_" + std::string(names[which]))).string();
        const ChildResult r = runChild({program});
        const auto v = parse(r.out);
        if (!WIFEXITED(r.status) || WEXITSTATUS(r.status) != 0 || !v.count("first_frame_ns")) {
            std::fprintf(stderr, "bench: %s painted no frame\n", program.c_str());
            return 1;
        }
        if (i < Programs)
            continue; // one warm-up each: the page cache, not the program
        time[which].push_back(ms(std::int64_t(v.at("first_frame_ns")) - r.spawnedAt));
        rss[which].push_back(double(r.usage.ru_maxrss));
        anon[which].push_back(v.count("anon_kb") ? v.at("anon_kb") : 0);
        file[which].push_back(v.count("file_kb") ? v.at("file_kb") : 0);
        cpu[which].push_back(double(r.usage.ru_utime.tv_sec + r.usage.ru_stime.tv_sec) * 1e3 +
                             double(r.usage.ru_utime.tv_usec + r.usage.ru_stime.tv_usec) / 1e3);
    }
    std::map<std::string, double> values{{"runs", runs}};
    for (int p = 0; p < Programs; ++p) {
        values[std::string(names[p]) + "_ms"] = bench::median(time[p]);
        values[std::string(names[p]) + "_rss_kb"] = bench::median(rss[p]);
        values[std::string(names[p]) + "_cpu_ms"] = bench::median(cpu[p]);
        values[std::string(names[p]) + "_anon_kb"] = bench::median(anon[p]);
        values[std::string(names[p]) + "_file_kb"] = bench::median(file[p]);
    }
    values["time_ratio"] = values["game_ms"] / values["bare_ms"];
    values["rss_ratio"] = values["game_rss_kb"] / values["bare_rss_kb"];
    values["time_ratio_text"] = values["game_ms"] / values["text_ms"];
    values["rss_ratio_text"] = values["game_rss_kb"] / values["text_rss_kb"];
    printLine("startup", values);
    return 0;
}

// The share of both cores that was busy, whoever used it.
class MachineLoad
{
public:
    MachineLoad() : start_(read()) {}
    double busyPercent() const
    {
        const auto end = read();
        const double total = double(end.total - start_.total);
        return total > 0 ? 100.0 * double(end.busy - start_.busy) / total : 0;
    }

private:
    struct Jiffies
    {
        unsigned long long busy = 0, total = 0;
    };
    static Jiffies read()
    {
        Jiffies j;
        if (FILE* f = std::fopen("/proc/stat", "r")) {
            unsigned long long v[8] = {};
            if (std::fscanf(f, "cpu %llu %llu %llu %llu %llu %llu %llu %llu", &v[0], &v[1], &v[2],
                            &v[3], &v[4], &v[5], &v[6], &v[7]) == 8) {
                for (auto x : v)
                    j.total += x;
                j.busy = j.total - v[3] - v[4]; // all but idle and waiting for I/O
            }
            std::fclose(f);
        }
        return j;
    }
    Jiffies start_;
};

// Processes that keep both cores busy while ticks are measured.
class BusyCores
{
public:
    explicit BusyCores(int count)
    {
        for (int i = 0; i < count; ++i) {
            const pid_t pid = fork();
            if (pid == 0) {
                for (;;)
                    __asm__ volatile(""); // a loop the compiler keeps
            }
            pids_.push_back(pid);
        }
    }
    ~BusyCores()
    {
        for (pid_t pid : pids_) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    BusyCores(const BusyCores&) = delete;
    BusyCores& operator=(const BusyCores&) = delete;

private:
    std::vector<pid_t> pids_;
};

// On a shared machine the idle figures wait, for a minute at most, until
// the cores have been nearly idle for a second.
void awaitQuiet()
{
    constexpr double QuietPercent = 15;
    for (int second = 0; second < 60; ++second) {
        const MachineLoad load;
        sleep(1);
        if (load.busyPercent() < QuietPercent)
            return;
        if (second == 0)
            std::fprintf(stderr, "bench: waiting for the machine to quieten down\n");
    }
}

std::map<std::string, double> measure(const std::vector<std::string>& args, bool quiet = true)
{
    if (quiet)
        awaitQuiet();
    std::vector<std::string> argv{self().string()};
    argv.insert(argv.end(), args.begin(), args.end());
    const MachineLoad load;
    const ChildResult r = runChild(argv);
    const double busy = load.busyPercent();
    if (!WIFEXITED(r.status) || WEXITSTATUS(r.status) != 0) {
        std::fprintf(stderr, "bench: '%s' failed\n", args.front().c_str());
        std::exit(1);
    }
    std::string line = r.out;
    while (!line.empty() && line.back() == '\n')
        line.pop_back();
    std::fprintf(stderr, "%s machine_busy_pct=%.1f\n", line.c_str(), busy); // the record
    auto values = parse(r.out);
    values["machine_busy_pct"] = busy;
    return values;
}

// An idle figure taken while others used the machine says little: take it
// again, up to three times, and keep the quietest.
std::map<std::string, double> measureQuietly(const std::vector<std::string>& args)
{
    constexpr double QuietPercent = 15;
    std::map<std::string, double> best;
    for (int attempt = 0; attempt < 3; ++attempt) {
        auto values = measure(args);
        if (best.empty() || values.at("machine_busy_pct") < best.at("machine_busy_pct"))
            best = values;
        if (best.at("machine_busy_pct") < QuietPercent)
            break;
        std::fprintf(stderr, "bench: the machine was %.0f%% busy; again\n",
                     values.at("machine_busy_pct"));
    }
    return best;
}

const char* verdictOf(bool met)
{
    return met ? "met" : "MISSED";
}

int runAll()
{
    struct TickRun
    {
        int interval, n;
    };
    const TickRun tickRuns[] = {{50, 400}, {500, 40}, {1000, 20}};
    auto busyTicks = [](const TickRun& t) {
        return measure({"ticks", std::to_string(t.interval), std::to_string(t.n)}, false);
    };
    std::vector<std::map<std::string, double>> idleTicks, loadedTicks;
    for (const auto& t : tickRuns)
        idleTicks.push_back(
            measureQuietly({"ticks", std::to_string(t.interval), std::to_string(t.n)}));
    {
        const BusyCores busy(2);
        for (const auto& t : tickRuns)
            loadedTicks.push_back(busyTicks(t));
    }
    const auto verdict = measureQuietly({"verdict", "100"});
    const auto startup = measure({"startup", "20"}); // busy by its nature: it starts processes
    const auto idle = measureQuietly({"idle", "10"});

    // The machine's load includes the bench itself and the X server; on an
    // idle machine it stays in single figures.
    std::printf("\n%-44s %-38s %-17s %-7s %s\n", "figure", "measured", "target", "", "load");
    std::printf("%s\n", std::string(114, '-').c_str());
    auto row = [](const std::string& figure, const std::string& measured, const char* target,
                  const char* verdict, double load) {
        std::printf("%-44s %-38s %-17s %-7s %3.0f%%\n", figure.c_str(), measured.c_str(), target,
                    verdict, load);
    };
    char buf[160];
    for (std::size_t i = 0; i < idleTicks.size(); ++i) {
        for (int busy = 0; busy < 2; ++busy) {
            const auto& v = busy ? loadedTicks[i] : idleTicks[i];
            const double p99 = v.at("p99_dev_ms"), drift = std::abs(v.at("drift_ms"));
            std::snprintf(buf, sizeof buf, "dev med %.2f p99 %.2f max %.2f, drift %+.2f",
                          v.at("median_dev_ms"), p99, v.at("max_dev_ms"), v.at("drift_ms"));
            const std::string figure = "1. ticks " + std::to_string(tickRuns[i].interval) +
                                       " ms x " + std::to_string(tickRuns[i].n) +
                                       (busy ? ", cores busy (ms)" : " (ms)");
            row(figure, buf, busy ? "(reported)" : "p99, drift <= 1",
                busy ? "" : verdictOf(p99 <= 1.0 && drift <= 1.0), v.at("machine_busy_pct"));
        }
    }
    std::snprintf(buf, sizeof buf, "med %.2f p99 %.2f max %.2f", verdict.at("median_ms"),
                  verdict.at("p99_ms"), verdict.at("max_ms"));
    row("2. click to verdict on screen x 100 (ms)", buf, "< 16.7",
        verdictOf(verdict.at("p99_ms") < 16.7), verdict.at("machine_busy_pct"));
    const double load = startup.at("machine_busy_pct");
    std::snprintf(buf, sizeof buf, "%.1f / %.1f ms = %.2f", startup.at("game_ms"),
                  startup.at("bare_ms"), startup.at("time_ratio"));
    row("3. start-up to first frame / bare", buf, "<= 1.15",
        verdictOf(startup.at("time_ratio") <= 1.15), load);
    std::snprintf(buf, sizeof buf, "%.0f / %.0f KiB = %.2f", startup.at("game_rss_kb"),
                  startup.at("bare_rss_kb"), startup.at("rss_ratio"));
    row("3. peak resident memory / bare", buf, "<= 1.15",
        verdictOf(startup.at("rss_ratio") <= 1.15), load);
    std::snprintf(buf, sizeof buf, "%.1f / %.1f ms = %.2f", startup.at("game_ms"),
                  startup.at("text_ms"), startup.at("time_ratio_text"));
    row("   start-up / bare with one Tahoma caption", buf, "(what limits)", "", load);
    std::snprintf(buf, sizeof buf, "%.0f / %.0f KiB = %.2f", startup.at("game_rss_kb"),
                  startup.at("text_rss_kb"), startup.at("rss_ratio_text"));
    row("   memory / bare with one Tahoma caption", buf, "(what limits)", "", load);
    std::snprintf(buf, sizeof buf, "%.2f ms CPU in %.1f s", idle.at("cpu_ms"), idle.at("seconds"));
    row("4. idle cost, window open", buf, "< 20 ms", verdictOf(idle.at("cpu_ms") < 20),
        idle.at("machine_busy_pct"));
    std::snprintf(buf, sizeof buf, "%.0f timer events, %.0f timers on", idle.at("timer_events"),
                  idle.at("timer1_running") + idle.at("timer2_running"));
    row("4. timers while idle", buf, "none",
        verdictOf(idle.at("timer_events") == 0 && idle.at("timer1_running") == 0 &&
                  idle.at("timer2_running") == 0),
        idle.at("machine_busy_pct"));
    return 0;
}

int usage()
{
    std::fprintf(stderr, "usage: tevalin_bench_timing all | ticks INTERVAL N | verdict ROUNDS | "
                         "idle SECONDS | startup RUNS\n");
    return 2;
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
    if (argc < 2)
        return usage();
    const std::string what = argv[1];
    if (what == "all" && argc == 2)
        return runAll();
    if (what == "startup" && argc == 3)
        return runStartup(number(argv[2]));

    int qtArgc = 1;
    rt::Application app(qtArgc, argv, Form1::description());
    if (what == "ticks" && argc == 4) {
        const int interval = number(argv[2]);
        if (interval < 50 || interval > 1000) {
            std::fprintf(stderr, "bench: the speed setting runs from 50 to 1000 ms, not %d\n",
                         interval);
            return 2;
        }
        return runTicks(interval, number(argv[3]));
    }
    if (what == "verdict" && argc == 3)
        return runVerdict(number(argv[2]));
    if (what == "idle" && argc == 3)
        return runIdle(number(argv[2]));
    return usage();
}
