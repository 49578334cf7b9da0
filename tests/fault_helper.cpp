// The program as it starts for real, with real timers, driven by a player
// into one situation:
//
//   fault_helper close PHASE     closes the window while idle, presenting,
//                                answering, judging, or with the credit open;
//                                the process's status is the program's own
//   fault_helper error HANDLER   a run-time error in that handler, with a
//                                timer ticking beneath the error box; reports
//                                what the box says and whether anything ran
//                                beneath it, then closes it
//
// It reports on standard output, one fact a line.

#include "monkey.h"

#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// GCC 12 at -O3 warns falsely that "text" + std::string may overlap (its bug
// 105329).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wrestrict"
#endif

namespace {

constexpr int PollMs = 5;
constexpr int WatchdogMs = 20000;
constexpr int BeneathMs = 300;
constexpr int FastestSpeed = 50;
enum HelperStatus
{
    Usage = 64,
    Hung = 65
};

void say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// Form1 with one handler broken on request: it starts a clock, so that
// something would run beneath the error box, and fails a property call.
class FaultyForm : public Form1
{
public:
    void breakHandler(std::string_view name)
    {
        faulty_ = name;
        const Handler<FaultyForm> broken[] = {{faulty_, &FaultyForm::Faulty}};
        bind(std::span<const Handler<FaultyForm>>(broken));
    }

private:
    void Faulty()
    {
        say("raise " + faulty_);
        Timer1.Interval = FastestSpeed;
        Timer1.Enabled = rt::True;
        Timer1.Interval = -1; // not an interval: run-time error 380
        say("ran on after the error");
    }

    std::string faulty_;
};

// Steps that wait for a condition and then act, checked every few
// milliseconds while the event loop runs.
class Script
{
public:
    Script()
    {
        QObject::connect(&poll_, &QTimer::timeout, &poll_, [this] { advance(); });
        poll_.start(PollMs);
    }

    void then(std::function<bool()> ready, std::function<void()> act)
    {
        steps_.push_back({std::move(ready), std::move(act)});
    }

private:
    void advance()
    {
        if (next_ < steps_.size() && steps_[next_].ready()) {
            auto& step = steps_[next_++];
            step.act();
        }
    }

    struct Step
    {
        std::function<bool()> ready;
        std::function<void()> act;
    };
    QTimer poll_;
    std::vector<Step> steps_;
    std::size_t next_ = 0;
};

// What a player could see of the game, and its variables.
std::string snapshot(const Form1& f)
{
    std::string s;
    for (const rt::Control* c :
         {static_cast<const rt::Control*>(&f.Command1), static_cast<const rt::Control*>(&f.Label1),
          static_cast<const rt::Control*>(&f.Label9), static_cast<const rt::Control*>(&f.Label10)})
        s += rt::testing::widget(*c)->isVisible() ? 'v' : 'h';
    s += " " + std::to_string(f.TickCount.value()) + " " + std::to_string(f.SeqLength.value()) +
         " " + std::to_string(f.ClickCount.value()) + " " +
         fixture::text(f.ShownSeq).toStdString() + "|" + fixture::text(f.EnteredSeq).toStdString() +
         " " + std::to_string(f.RandomMode.value()) + " " +
         fixture::text(f.Label11.Caption).toStdString();
    return s;
}

bool phaseIs(const Form1& f, monkey::Phase p)
{
    // A player who checks with the monkey's eyes.
    return monkey::phaseOf(f) == p;
}

void clickCredit(const Form1& f)
{
    auto* window = static_cast<QMainWindow*>(rt::testing::widget(f));
    QMenuBar* bar = window->menuBar();
    const QPoint at = bar->mapTo(window, bar->actionGeometry(bar->actions().value(0)).center());
    QTest::mouseClick(rt::testing::windowHandle(f), Qt::LeftButton, {}, at);
}

// Clicks the squares of the sequence shown.
void answer(FaultyForm& f)
{
    for (char16_t digit : f.ShownSeq.str())
        fixture::clickSquare(f, digit - u'0');
}

void closeWindow(const Form1& f, const char* phase)
{
    say(std::string("reached ") + phase);
    // As the window manager's close button does.
    rt::testing::windowHandle(f)->close();
}

// Watches for the error box: reports it, waits to see whether anything runs
// beneath it, and closes it.
void watchForErrorBox(const Form1& form)
{
    auto* watch = new QTimer(qApp);
    QObject::connect(watch, &QTimer::timeout, watch, [watch, &form] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box->icon() != QMessageBox::Critical)
            return;
        watch->stop();
        say("box: " + box->windowTitle().toStdString() + "|" +
            QString(box->text()).replace(QLatin1Char('\n'), QLatin1Char(' ')).toStdString());
        const std::string before = snapshot(form);
        QTimer::singleShot(BeneathMs, box, [box, before, &form] {
            const std::string after = snapshot(form);
            say(after == before ? "beneath: nothing ran" : "beneath: " + before + " -> " + after);
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        });
    });
    watch->start(PollMs);
}

void scriptClose(Script& s, FaultyForm& f, std::string_view phase)
{
    using monkey::Phase;
    if (phase == "idle") {
        s.then([] { return true; }, [&f] { closeWindow(f, "idle"); });
        return;
    }
    s.then([] { return true; }, [&f] { fixture::clickControl(f, f.Command1); });
    if (phase == "presenting") {
        s.then([&f] { return f.TickCount >= 2; }, [&f] { closeWindow(f, "presenting"); });
    } else if (phase == "answering") {
        s.then([&f] { return phaseIs(f, Phase::Answering); },
               [&f] { closeWindow(f, "answering"); });
    } else if (phase == "verdict") {
        s.then([&f] { return phaseIs(f, Phase::Answering); }, [&f] { answer(f); });
        s.then([&f] { return phaseIs(f, Phase::Verdict); }, [&f] { closeWindow(f, "verdict"); });
    } else if (phase == "credit") {
        // The presentation goes on beneath the credit while the window closes.
        s.then([&f] { return f.TickCount >= 1; },
               [&f] {
                   QTimer::singleShot(100, [&f] {
                       auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                       if (!box)
                           return say("no credit box");
                       closeWindow(f, "credit");
                       QTimer::singleShot(100, box, [box] {
                           say("credit closed");
                           QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
                       });
                   });
                   clickCredit(f);
               });
    } else {
        say("no such phase");
        std::_Exit(Usage);
    }
}

void scriptError(Script& s, FaultyForm& f, const std::string& handler)
{
    using monkey::Phase;
    auto breakIt = [&f, handler] { f.breakHandler(handler); };
    auto trigger = [&s, breakIt](const std::function<void()>& act) {
        s.then([] { return true; },
               [breakIt, act] {
                   breakIt();
                   act();
               });
    };
    if (handler == "Form_Click") {
        trigger([&f] { fixture::clickAtTwips(f, 4500, 10000); });
    } else if (handler == "Command1_Click") {
        trigger([&f] { fixture::clickControl(f, f.Command1); });
    } else if (handler.size() == 12 && handler.starts_with("Label") &&
               handler.ends_with("_Click") && handler[5] >= '1' && handler[5] <= '8') {
        const int n = handler[5] - '0';
        trigger([&f, n] { fixture::clickSquare(f, n); });
    } else if (handler == "Option1_Click") {
        s.then([] { return true; }, [&f] { fixture::clickControl(f, f.Option2); });
        trigger([&f] { fixture::clickControl(f, f.Option1); });
    } else if (handler == "Option2_Click") {
        trigger([&f] { fixture::clickControl(f, f.Option2); });
    } else if (handler == "HScroll1_Change") {
        trigger([&f] { QTest::keyClick(rt::testing::widget(f.HScroll1), Qt::Key_Right); });
    } else if (handler == "HScroll1_Scroll") {
        trigger([&f] {
            auto* bar = static_cast<QScrollBar*>(rt::testing::widget(f.HScroll1));
            QWindow* handle = rt::testing::windowHandle(f);
            QWidget* window = rt::testing::widget(f);
            const QPoint from = bar->mapTo(window, fixture::scrollBarPart(bar).center());
            QTest::mousePress(handle, Qt::LeftButton, {}, from);
            QTest::mouseMove(handle, from + QPoint(40, 0));
            QTest::mouseRelease(handle, Qt::LeftButton, {}, from + QPoint(40, 0));
        });
    } else if (handler == "Timer1_Timer") {
        trigger([&f] { fixture::clickControl(f, f.Command1); });
    } else if (handler == "Timer2_Timer") {
        s.then([] { return true; }, [&f] { fixture::clickControl(f, f.Command1); });
        s.then([&f] { return phaseIs(f, Phase::Answering); },
               [breakIt, &f] {
                   breakIt();
                   answer(f);
               });
    } else if (handler == "mk_Click") {
        trigger([&f] { clickCredit(f); });
    } else {
        say("no such handler");
        std::_Exit(Usage);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    rt::Application app(argc, argv, Form1::description());
    if (argc != 3)
        return Usage;
    const std::string mode = argv[1];
    const std::string what = argv[2];
    if (mode != "close" && mode != "error")
        return Usage;

    QTimer::singleShot(WatchdogMs, [] {
        say("hung");
        std::_Exit(Hung);
    });

    FaultyForm form;
    if (mode == "error" && what == "Form_Load")
        form.breakHandler(what);
    watchForErrorBox(form);

    Script script;
    // The fastest speed first, as a player who slides the bar to the left.
    if (what != "Form_Load")
        script.then([] { return true; },
                    [&form] { QTest::keyClick(rt::testing::widget(form.HScroll1), Qt::Key_Home); });
    if (mode == "close")
        scriptClose(script, form, what);
    else if (what != "Form_Load")
        scriptError(script, form, what);

    const int status = app.run(form);
    say("exit " + std::to_string(status));
    return status;
}
