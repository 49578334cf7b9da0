// The program as it starts for real, with real timers, driven into one
// situation; it reports on standard output, one fact a line:
//
//   fault_helper close PHASE     closes the window while idle, presenting,
//                                answering, judging, or with the credit open
//   fault_helper error HANDLER   a run-time error in that handler with a timer
//                                ticking beneath the error box; reports what
//                                the box says and whether anything ran beneath

#include "fixture.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

void say(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// Form1 with one handler broken on request: it starts the clock, so that
// something would run beneath the error box, and fails a property call.
class FaultyForm : public Form1
{
public:
    void breakHandler(const std::string& name)
    {
        faulty_ = name;
        const Handler<FaultyForm> broken[] = {{faulty_, &FaultyForm::Faulty}};
        bind(std::span<const Handler<FaultyForm>>(broken));
    }

private:
    void Faulty()
    {
        say(QStringLiteral("raise %1").arg(QString::fromStdString(faulty_)));
        Timer1.Interval = 50;
        Timer1.Enabled = rt::True;
        Timer1.Interval = -1; // not an interval: run-time error 380
        say(QStringLiteral("ran on after the error"));
    }

    std::string faulty_;
};

// Steps that wait for a condition and then act, checked every 5 ms.
struct Script
{
    std::vector<std::pair<std::function<bool()>, std::function<void()>>> steps;
    std::size_t next = 0;
    QTimer poll;

    Script()
    {
        QObject::connect(&poll, &QTimer::timeout, &poll, [this] {
            if (next < steps.size() && steps[next].first())
                steps[next++].second();
        });
        poll.start(5);
    }
    void then(std::function<bool()> ready, std::function<void()> act)
    {
        steps.emplace_back(std::move(ready), std::move(act));
    }
    void now(std::function<void()> act)
    {
        then([] { return true; }, std::move(act));
    }
};

QString snapshot(const Form1& f)
{
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(int(fixture::phaseOf(f)))
        .arg(f.TickCount.value())
        .arg(f.SeqLength.value())
        .arg(fixture::text(f.ShownSeq), fixture::text(f.Label11.Caption));
}

// Reports the error box, waits to see whether anything runs beneath it, and
// closes it.
void watchForErrorBox(const Form1& form)
{
    auto* watch = new QTimer(qApp);
    QObject::connect(watch, &QTimer::timeout, watch, [watch, &form] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box->icon() != QMessageBox::Critical)
            return;
        watch->stop();
        say(QStringLiteral("box: %1|%2").arg(box->windowTitle(), box->text()).replace(u'\n', u' '));
        QTimer::singleShot(300, box, [box, before = snapshot(form), &form] {
            const QString after = snapshot(form);
            say(after == before ? QStringLiteral("beneath: nothing ran")
                                : QStringLiteral("beneath: %1 -> %2").arg(before, after));
            box->button(QMessageBox::Ok)->click();
        });
    });
    watch->start(5);
}

} // namespace

int main(int argc, char* argv[])
{
    rt::Application app(argc, argv, Form1::description());
    if (argc != 3)
        return 64;
    const QString mode = QString::fromLatin1(argv[1]), what = QString::fromLatin1(argv[2]);
    QTimer::singleShot(20000, [] {
        say(QStringLiteral("hung"));
        std::_Exit(65);
    });

    FaultyForm f;
    const auto breakIt = [&f, name = what.toStdString()] { f.breakHandler(name); };
    if (mode == QLatin1String("error") && what == QLatin1String("Form_Load"))
        breakIt();
    watchForErrorBox(f);
    using fixture::Phase;
    const auto in = [&f](Phase p) { return [&f, p] { return fixture::phaseOf(f) == p; }; };
    const auto answer = [&f] { fixture::answer(f, fixture::text(f.ShownSeq)); };
    const auto close = [&f, what] {
        say(QStringLiteral("reached ") + what);
        rt::testing::windowHandle(f)->close(); // as the window manager's close button does
    };

    Script s;
    // The fastest speed first, as a player who slides the bar to the left.
    s.now([&f] { QTest::keyClick(rt::testing::widget(f.HScroll1), Qt::Key_Home); });
    if (mode == QLatin1String("close")) {
        if (what != QLatin1String("idle"))
            s.now([&f] { fixture::clickControl(f, f.Command1); });
        if (what == QLatin1String("presenting"))
            s.then([&f] { return f.TickCount >= 2; }, close);
        if (what == QLatin1String("answering"))
            s.then(in(Phase::Answering), close);
        if (what == QLatin1String("verdict")) {
            s.then(in(Phase::Answering), answer);
            s.then(in(Phase::Verdict), close);
        }
        if (what == QLatin1String("credit")) // the presentation goes on beneath the credit
            s.then([&f] { return f.TickCount >= 1; },
                   [&f, close] {
                       QTimer::singleShot(100, [close] {
                           auto* box =
                               qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                           close();
                           if (box)
                               QTimer::singleShot(100, box,
                                                  [box] { box->button(QMessageBox::Ok)->click(); });
                       });
                       fixture::clickCredit(f);
                   });
        if (what == QLatin1String("idle"))
            s.now(close);
    } else if (what == QLatin1String("Timer2_Timer")) {
        s.now([&f] { fixture::clickControl(f, f.Command1); });
        s.then(in(Phase::Answering), [breakIt, answer] {
            breakIt();
            answer();
        });
    } else if (what != QLatin1String("Form_Load")) {
        // Each handler's event, raised as a player raises it.
        const std::map<QString, std::function<void()>> raise{
            {QStringLiteral("Form_Click"), [&f] { fixture::clickAt(f, QPoint(300, 680)); }},
            {QStringLiteral("Command1_Click"), [&f] { fixture::clickControl(f, f.Command1); }},
            {QStringLiteral("Timer1_Timer"), [&f] { fixture::clickControl(f, f.Command1); }},
            {QStringLiteral("Label4_Click"), [&f] { fixture::clickSquare(f, 4); }},
            {QStringLiteral("Option2_Click"), [&f] { fixture::clickControl(f, f.Option2); }},
            {QStringLiteral("mk_Click"), [&f] { fixture::clickCredit(f); }},
            {QStringLiteral("HScroll1_Change"),
             [&f] { QTest::keyClick(rt::testing::widget(f.HScroll1), Qt::Key_Right); }},
            {QStringLiteral("HScroll1_Scroll"), [&f] {
                 auto* bar = static_cast<QScrollBar*>(rt::testing::widget(f.HScroll1));
                 const QPoint from =
                     bar->mapTo(rt::testing::widget(f), fixture::scrollBarPart(bar).center());
                 QTest::mousePress(rt::testing::windowHandle(f), Qt::LeftButton, {}, from);
                 QTest::mouseMove(rt::testing::windowHandle(f), from + QPoint(40, 0));
             }}};
        if (!raise.count(what))
            return 64;
        s.now([breakIt, act = raise.at(what)] {
            breakIt();
            act();
        });
    }

    const int status = app.run(f);
    say(QStringLiteral("exit %1").arg(status));
    return status;
}
