// The soak: a player who likes it fast plays round after round with the
// real timers at 50 ms, for ten minutes unless told, while resident memory is
// sampled once a second:
//   tevalin_soak [SECONDS [SEED]]
// Every 20 ms it clicks Start (or one time in ten the credit), the next square of the answer (wrong
// one time in twenty), now and then the bare window (giving the round up) or the credit. It ends
// with status 2 when memory grows by more than 512 KiB after the first minute. That the game stays
// sound is the monkey test's business.

#include "bench.h"
#include "runtime/application.h"
#include "runtime/testing.h"
#include "window/form1.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <random>

namespace {

constexpr int WarmUpSeconds = 60;
constexpr long GrowthAllowedKiB = 512; // allocator slack, not a leak

bool shown(rt::Boolean b)
{
    return b == rt::True;
}

class Player
{
public:
    Player(Form1& form, unsigned seed) : form_(form), rng_(seed) {}

    void step()
    {
        if (shown(form_.Command1.Visible)) {
            ++rounds;
            if (chance(10))
                showCredit();
            else
                click(form_.Command1);
        } else if (shown(form_.Label1.Visible) && !shown(form_.Label9.Visible)) {
            const auto& shownSeq = form_.ShownSeq.str();
            const int k = form_.ClickCount.value();
            int digit = k < int(shownSeq.size()) ? shownSeq[std::size_t(k)] - u'0' : 1;
            if (chance(20))
                digit = digit % 8 + 1;
            if (chance(100))
                QTest::mouseClick(rt::testing::windowHandle(form_), Qt::LeftButton, {},
                                  QPoint(30, window()->height() - 30));
            else
                click(form_.Square(rt::Integer(digit)));
        }
    }

    unsigned long rounds = 0, credits = 0;

private:
    bool chance(int oneIn) { return std::uniform_int_distribution<int>(1, oneIn)(rng_) == 1; }
    QWidget* window() const { return rt::testing::widget(form_); }

    void click(const rt::Control& c)
    {
        QWidget* w = rt::testing::widget(c);
        QTest::mouseClick(rt::testing::windowHandle(form_), Qt::LeftButton, {},
                          w->mapTo(window(), w->rect().center()));
    }

    // The box is modal: it is closed, as a player would, from inside its loop.
    void showCredit()
    {
        ++credits;
        QTimer::singleShot(200, [] {
            if (QWidget* box = QApplication::activeModalWidget())
                QTest::keyClick(box, Qt::Key_Return);
        });
        static_cast<QMainWindow*>(window())->menuBar()->actions().value(0)->trigger();
    }

    Form1& form_;
    std::mt19937 rng_;
};

unsigned long argument(int argc, char** argv, int i, unsigned long fallback)
{
    char* end = nullptr;
    const unsigned long n = argc > i ? std::strtoul(argv[i], &end, 10) : fallback;
    if (argc > i && (*end || n == 0)) {
        std::fprintf(stderr, "usage: tevalin_soak [SECONDS [SEED]]\n");
        std::exit(64);
    }
    return n;
}

} // namespace

int main(int argc, char* argv[])
{
    const int seconds = int(argument(argc, argv, 1, 600));
    const unsigned seed = unsigned(argument(argc, argv, 2, 1));
    int qtArgc = 1;
    rt::Application app(qtArgc, argv, Form1::description());
    Form1 form;
    form.show();
    form.HScroll1.Value = rt::Integer(50);
    Player player(form, seed);
    std::printf("soak: seed %u, real timers at 50 ms, %d s\n", seed, seconds);

    std::vector<long> samples; // KiB, one a second
    QTimer step, sample;
    QObject::connect(&step, &QTimer::timeout, [&] { player.step(); });
    QObject::connect(&sample, &QTimer::timeout, [&] {
        samples.push_back(bench::residentKiB());
        if (samples.size() % WarmUpSeconds == 0)
            std::printf("  %4zu s  RSS %ld KiB  %lu rounds\n", samples.size(), samples.back(),
                        player.rounds);
        std::fflush(stdout);
        if (int(samples.size()) >= seconds)
            QCoreApplication::exit();
    });
    step.start(20);
    sample.start(1000);
    QApplication::exec();

    std::printf("soak: %lu rounds, the credit shown %lu times\n", player.rounds, player.credits);
    if (int(samples.size()) <= WarmUpSeconds) {
        std::printf("soak: too short to judge growth after the first minute\n");
        return 0;
    }
    const long atWarmUp = samples[WarmUpSeconds - 1];
    const long highest = *std::max_element(samples.begin() + WarmUpSeconds, samples.end());
    const bool grew = highest - atWarmUp > GrowthAllowedKiB;
    std::printf("soak: RSS %ld KiB after 1 s, %ld KiB after %d s, at most %ld KiB after that, "
                "%ld KiB at the end: %s\n",
                samples.front(), atWarmUp, WarmUpSeconds, highest, samples.back(),
                grew ? "it grows after the first minute" : "no growth after the first minute");
    return grew ? 2 : 0;
}
