// SPDX-License-Identifier: GPL-3.0-or-later
#include "fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMenuBar>
#include <QMessageBox>
#include <QStyleOptionSlider>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace fixture {

const Board& board()
{
    static const Board b = [] {
        QFile file(QStringLiteral(TEVALIN_BOARD));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            qFatal("cannot read the board from %s", TEVALIN_BOARD);
        Board read{};
        std::size_t squares = 0;
        bool start = false, bare = false;
        while (!file.atEnd()) {
            const QList<QByteArray> w = file.readLine().simplified().split(' ');
            if (w.size() < 5 || w[0].startsWith('#'))
                continue;
            const QRect r(w[1].toInt(), w[2].toInt(), w[3].toInt(), w[4].toInt());
            if (w[0] == "square" && w.size() >= 6 && squares < read.squares.size())
                read.squares.at(squares++) = {w[5].toUInt(nullptr, 16), r};
            else if (w[0] == "start")
                read.start = r, start = true;
            else if (w[0] == "bare")
                read.bare = r.topLeft(), bare = true;
        }
        if (squares != read.squares.size() || !start || !bare)
            qFatal("%s: expected eight squares, the start cell and the bare spot", TEVALIN_BOARD);
        return read;
    }();
    return b;
}

Phase phaseOf(Form1& f)
{
    int shown = 0;
    for (int n = 1; n <= 8; ++n)
        shown += f.Square(n).Visible == rt::True;
    const bool start = f.Command1.Visible == rt::True, all = shown == 8;
    const bool verdict = f.Label9.Visible == rt::True;
    if ((shown != 0 && !all) || verdict != rt::testing::isRunning(f.Timer2))
        return Phase::Broken;
    if (rt::testing::isRunning(f.Timer1))
        return start || all || verdict ? Phase::Broken : Phase::Presenting;
    if (!all)
        return Phase::Broken;
    if (start)
        return verdict ? Phase::Broken : Phase::Idle;
    return verdict ? Phase::Verdict : Phase::Answering;
}

QString snapshot(Form1& f)
{
    return QStringLiteral("%1 %2 %3 %4 %5|%6 %7 %8 %9 ")
               .arg(int(phaseOf(f)))
               .arg(f.SeqLength.value())
               .arg(f.ClickCount.value())
               .arg(f.TickCount.value())
               .arg(text(f.ShownSeq), text(f.EnteredSeq))
               .arg(f.RandomMode.value())
               .arg(f.Option2.Value == rt::True)
               .arg(rt::Integer(f.HScroll1.Value).value()) +
           text(f.Label9.Caption);
}

std::unique_ptr<Form1> openForm()
{
    auto form = std::make_unique<Form1>();
    form->show();
    // A busy machine may take a while to map a window.
    if (!QTest::qWaitForWindowExposed(rt::testing::widget(*form), 15000))
        qFatal("the window was never exposed");
    return form;
}

void clickCredit(const Form1& form)
{
    QMenuBar* bar = static_cast<QMainWindow*>(rt::testing::widget(form))->menuBar();
    const QPoint at = bar->actionGeometry(bar->actions().value(0)).center();
    QTest::mouseClick(rt::testing::windowHandle(form), Qt::LeftButton, {},
                      bar->mapTo(rt::testing::widget(form), at));
}

BoxCloser::BoxCloser(std::function<void(QWidget*)> seen) : seen_(std::move(seen))
{
    qApp->installEventFilter(this);
}

// A box is shown before its loop starts: it is handled from the next turn of
// the event loop, which is the box's own, once however often it is shown
// again meanwhile (a window manager may hide and show it while `seen` waits).
bool BoxCloser::eventFilter(QObject* receiver, QEvent* e)
{
    auto* w = qobject_cast<QWidget*>(receiver);
    if (e->type() != QEvent::Show || !w || !w->isWindow() ||
        (!w->isModal() && w->windowType() != Qt::Popup) || handling_.contains(w))
        return false;
    handling_.insert(w);
    QTimer::singleShot(0, this, [this, w, box = QPointer<QWidget>(w)] {
        if (box && box->isVisible() && seen_)
            seen_(box);
        if (auto* b = qobject_cast<QMessageBox*>(box); b && b->isVisible())
            QTest::mouseClick(b->buttons().value(0), Qt::LeftButton);
        else if (box)
            box->close();
        handling_.remove(w);
    });
    return false;
}

int presentAll(Form1& form, int bound)
{
    int ticks = 0;
    for (; rt::testing::isRunning(form.Timer1) && ticks < bound; ++ticks)
        rt::testing::fireTick(form.Timer1);
    return ticks;
}

std::size_t drawsLeftOver()
{
    const std::size_t left = rt::testing::scriptedDrawsLeft();
    while (rt::testing::scriptedDrawsLeft() > 0)
        rt::Rnd();
    return left;
}

void start(Form1& form, const QString& shown)
{
    for (QChar d : shown)
        rt::testing::scriptDraws({drawFor(d.digitValue())});
    form.SeqLength = rt::Integer(int(shown.size()) - 1);
    clickControl(form, form.Command1);
}

void bringTo(Form1& form, Phase phase, const QString& shown)
{
    start(form, shown);
    rt::testing::fireTick(form.Timer1);
    if (phase != Phase::Presenting)
        presentAll(form);
    if (phase == Phase::Verdict)
        answer(form, shown);
    if (phaseOf(form) != phase)
        qFatal("the round did not reach the phase asked for");
}

double contrast(QRgb a, QRgb b)
{
    const auto luminance = [](QRgb c) {
        double l = 0;
        for (auto [v, w] : {std::pair{qRed(c), 0.2126}, {qGreen(c), 0.7152}, {qBlue(c), 0.0722}}) {
            const double s = v / 255.0;
            l += w * (s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4));
        }
        return l;
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QRect scrollBarPart(const QScrollBar* bar, QStyle::SubControl part)
{
    QStyleOptionSlider opt;
    opt.initFrom(bar);
    opt.subControls = QStyle::SC_All;
    opt.orientation = bar->orientation();
    opt.minimum = bar->minimum();
    opt.maximum = bar->maximum();
    opt.sliderPosition = bar->sliderPosition();
    opt.sliderValue = bar->value();
    opt.singleStep = bar->singleStep();
    opt.pageStep = bar->pageStep();
    if (opt.orientation == Qt::Horizontal)
        opt.state |= QStyle::State_Horizontal;
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, part, bar);
}

} // namespace fixture
