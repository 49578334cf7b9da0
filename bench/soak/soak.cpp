// Long monkey runs, measured rather than asserted (bench/soak/run):
//
//   tevalin_soak monkey [EVENTS [SEED]]   the monkey with a manual clock,
//                                         10,000,000 events unless told
//   tevalin_soak soak [SECONDS [SEED]]    real timers at 50 ms and the monkey
//                                         for 10 minutes unless told, resident
//                                         memory sampled every second
//
// Both stop at the first broken invariant and say so (status 1). The soak
// fails too (status 2) when memory grows after its first minute.

#include "monkey.h"

#include <QElapsedTimer>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr unsigned long long DefaultEvents = 10'000'000;
constexpr int DefaultSeconds = 600;
constexpr int WarmUpSeconds = 60;
constexpr int StepMs = 2;              // a busy player: one event every 2 ms
constexpr int SampleMs = 1000;         // resident memory once a second
constexpr long GrowthAllowedKiB = 512; // allocator slack, not a leak
constexpr int Fastest = 50;
enum Status
{
    Held = 0,
    Broken = 1,
    Grew = 2,
    Usage = 64
};

long residentKiB()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

unsigned long long argument(int argc, char** argv, int i, unsigned long long fallback)
{
    if (argc <= i)
        return fallback;
    char* end = nullptr;
    const unsigned long long n = std::strtoull(argv[i], &end, 10);
    if (*end != '\0') {
        std::fprintf(stderr, "tevalin_soak: \"%s\" is not a whole number\n", argv[i]);
        std::exit(Usage);
    }
    return n;
}

void summary(const monkey::Player& p)
{
    std::printf("  %llu events, %llu right and %llu wrong verdicts, longest round %d, credit "
                "shown %llu times\n",
                static_cast<unsigned long long>(p.events()),
                static_cast<unsigned long long>(p.verdicts(true)),
                static_cast<unsigned long long>(p.verdicts(false)), p.longestRound(),
                static_cast<unsigned long long>(p.creditsShown()));
}

int runMonkey(unsigned long long events, unsigned long long seed)
{
    rt::testing::setManualTimers(true);
    auto form = fixture::openForm();
    monkey::Player player(*form, seed);
    const long startKiB = residentKiB();
    std::printf("monkey: seed %llu, %llu events, manual clock\n", seed, events);
    QElapsedTimer clock;
    clock.start();
    constexpr unsigned long long ReportEvery = 1'000'000;
    while (player.events() < events) {
        if (!player.step().empty()) {
            std::printf("monkey: seed %llu broke %s\n", seed, player.failure().c_str());
            return Broken;
        }
        if (player.events() % ReportEvery == 0) {
            std::printf("  %9llu events  %6.1f s  RSS %ld KiB\n",
                        static_cast<unsigned long long>(player.events()),
                        double(clock.elapsed()) / 1000, residentKiB());
            std::fflush(stdout);
        }
    }
    const double seconds = double(clock.elapsed()) / 1000;
    std::printf("monkey: held through %llu events in %.1f s (%.0f events/s); RSS %ld KiB at the "
                "start, %ld KiB at the end\n",
                static_cast<unsigned long long>(player.events()), seconds,
                double(player.events()) / seconds, startKiB, residentKiB());
    summary(player);
    return Held;
}

int runSoak(int seconds, unsigned long long seed)
{
    auto form = fixture::openForm();
    QScrollBar* bar = static_cast<QScrollBar*>(rt::testing::widget(form->HScroll1));
    QTest::keyClick(bar, Qt::Key_Home);
    monkey::Player player(*form, seed, monkey::Clock::Real);
    std::printf("soak: seed %llu, real timers at %d ms, one event every %d ms, %d s\n", seed,
                Fastest, StepMs, seconds);

    std::vector<long> samples; // KiB, one a second
    int status = Held;
    QTimer step;
    QObject::connect(&step, &QTimer::timeout, &step, [&] {
        if (!player.step().empty()) {
            std::printf("soak: seed %llu broke %s\n", seed, player.failure().c_str());
            status = Broken;
            QCoreApplication::exit();
            return;
        }
        // A player who likes it fast slides the bar back to the left.
        if (form->Timer1.Interval != Fastest && bar->isVisible())
            QTest::keyClick(bar, Qt::Key_Home);
    });
    QTimer sample;
    QObject::connect(&sample, &QTimer::timeout, &sample, [&] {
        samples.push_back(residentKiB());
        const int t = int(samples.size());
        if (t % WarmUpSeconds == 0) {
            std::printf("  %4d s  RSS %ld KiB  %llu events\n", t, samples.back(),
                        static_cast<unsigned long long>(player.events()));
            std::fflush(stdout);
        }
        if (t >= seconds)
            QCoreApplication::exit();
    });
    step.start(StepMs);
    sample.start(SampleMs);
    QApplication::exec();
    if (status != Held)
        return status;

    summary(player);
    if (int(samples.size()) <= WarmUpSeconds) {
        std::printf("soak: %zu samples, too short to judge growth after the first minute\n",
                    samples.size());
        return Held;
    }
    const long atWarmUp = samples[WarmUpSeconds - 1];
    long highest = atWarmUp;
    for (std::size_t i = WarmUpSeconds; i < samples.size(); ++i)
        highest = std::max(highest, samples[i]);
    const long growth = highest - atWarmUp;
    std::printf("soak: RSS %ld KiB after 1 s, %ld KiB after %d s, at most %ld KiB after that, "
                "%ld KiB at the end (%zu samples): %s\n",
                samples.front(), atWarmUp, WarmUpSeconds, highest, samples.back(), samples.size(),
                growth <= GrowthAllowedKiB ? "no growth after the first minute"
                                           : "it grows after the first minute");
    return growth <= GrowthAllowedKiB ? Held : Grew;
}

// The offscreen platform warns at every change of the window's size hints;
// millions of those lines would bury the figures.
void quietPlatform(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (message.contains(QLatin1String("propagateSizeHints")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
    if (type == QtFatalMsg)
        std::abort();
}

} // namespace

int main(int argc, char* argv[])
{
    rt::Application app(argc, argv, Form1::description());
    qInstallMessageHandler(quietPlatform);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "monkey")
        return runMonkey(argument(argc, argv, 2, DefaultEvents), argument(argc, argv, 3, 1));
    if (mode == "soak")
        return runSoak(int(argument(argc, argv, 2, DefaultSeconds)), argument(argc, argv, 3, 1));
    std::fprintf(stderr, "usage: tevalin_soak monkey [EVENTS [SEED]] | soak [SECONDS [SEED]]\n");
    return Usage;
}
