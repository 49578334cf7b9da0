// SPDX-License-Identifier: GPL-3.0-or-later
// What only the window system shows. The keyboard: Tab walks the controls in
// the designed order, Start answers Space, Return and Enter, and the speed
// keeps the arrow and page keys however many rounds were played (test_game
// checks that no click takes the focus). Whatever has the keys shows it, and
// the speed's thumb stands out from its trough. And what the window tells an
// X11 window manager and taskbar: a class that matches the desktop entry, its
// title decoded as a manager decodes it, and a window of fixed size that
// stays so: asked for, maximised and full screen are undone. The suite runs
// under LANG=C, where a title written in the locale's encoding would turn to
// mojibake.

#include "fixture.h"
#include "runtime/look.h"

#include <QMenuBar>
#include <QRegularExpression>
#include <QSettings>

#include <functional>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#undef True // Xlib's, not the runtime's
#undef False

namespace {

QWidget* focusOf(const Form1& form)
{
    return rt::testing::widget(form)->focusWidget();
}

void press(const Form1& form, Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    // Through the window, as the keyboard delivers it: to whatever has the focus.
    QTest::keyClick(rt::testing::windowHandle(form), key, modifiers);
}

// Ends the round under way: the right answer, a wrong one, or a click on the
// bare window.
void finishRound(Form1& form, const QString& ending)
{
    fixture::presentAll(form);
    if (ending == QLatin1String("forfeit")) {
        fixture::clickAt(form, fixture::BareSpot);
        return;
    }
    QString clicks = fixture::text(form.ShownSeq);
    if (ending == QLatin1String("wrong"))
        clicks[0] = QChar(u'1' + clicks[0].digitValue() % 8);
    fixture::answer(form, clicks);
    rt::testing::fireTick(form.Timer2);
}

struct Properties
{
    QByteArray instance, windowClass;
    QString wmName;
};

Properties read(Display* d, Window w)
{
    Properties p;
    XClassHint hint{};
    if (XGetClassHint(d, w, &hint)) {
        p.instance = hint.res_name;
        p.windowClass = hint.res_class;
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
    // Decoded by its type (STRING is Latin-1), as a window manager decodes it.
    XTextProperty text{};
    if (XGetWMName(d, w, &text)) {
        char** list = nullptr;
        int n = 0;
        if (Xutf8TextPropertyToTextList(d, &text, &list, &n) >= 0 && n > 0) {
            p.wmName = QString::fromUtf8(list[0]);
            XFreeStringList(list);
        }
        XFree(text.value);
    }
    return p;
}

// Asks the window manager for full screen, as wmctrl -b add does.
void askWindowManagerForFullScreen(Display* d, Window w)
{
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.format = 32;
    e.xclient.message_type = XInternAtom(d, "_NET_WM_STATE", 0);
    e.xclient.data.l[0] = 1; // add
    e.xclient.data.l[1] = long(XInternAtom(d, "_NET_WM_STATE_FULLSCREEN", 0));
    e.xclient.data.l[3] = 2; // from a pager or a tool, as the user's own request
    XSendEvent(d, DefaultRootWindow(d), 0, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    XFlush(d);
}

} // namespace

#define SKIP_UNLESS_X11()                                                                          \
    if (!display)                                                                                  \
    QSKIP("X11 window properties: run on xcb (QT_QPA_PLATFORM=xcb)")

class TestWindowSystem : public QObject
{
    Q_OBJECT

    std::unique_ptr<Form1> form;
    Display* display = nullptr;

    QWidget* scrollBar() const { return rt::testing::widget(form->HScroll1); }
    Window window() const { return Window(rt::testing::widget(*form)->winId()); }

    // The credit box is modal: `use` runs inside its own loop, and the box
    // closes after.
    void withCredit(const std::function<void(QWidget* box)>& use)
    {
        bool closed = false;
        const fixture::BoxCloser closer([&](QWidget* box) {
            if (QTest::qWaitForWindowExposed(box))
                use(box);
            closed = true;
        });
        fixture::clickCredit(*form);
        QVERIFY(closed);
    }

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            return;
        display = XOpenDisplay(nullptr);
        QVERIFY(display);
    }
    void cleanupTestCase()
    {
        if (display)
            XCloseDisplay(display);
    }
    void init()
    {
        form = fixture::openForm();
        QWidget* window = rt::testing::widget(*form);
        // A window's states need no keyboard, and are asked of every compositor.
        if (qstrcmp(QTest::currentTestFunction(), "fillingTheScreenIsUndone") != 0)
            ACTIVATE_OR_SKIP(window);
    }
    void cleanup() { form.reset(); }

    // Start answers its keys; the focus on a control the presentation hides
    // (Start itself, or an option under random placement) goes to the first
    // control shown, and comes back when the control does, however the round
    // ends, unless the player moved it meanwhile: then the player's choice
    // stands. Keys reach nothing hidden.
    void keysStartARoundAndTheFocusComesBack_data()
    {
        QTest::addColumn<int>("tabs");
        QTest::addColumn<Qt::Key>("key"); // Key_unknown: Start clicked
        QTest::addColumn<bool>("random");
        QTest::addColumn<QString>("ending");
        QTest::addColumn<int>("rounds");
        QTest::addColumn<int>("tabsDuring"); // Tab pressed during the presentation
        QTest::addColumn<int>("focusAtEnd"); // 0 the speed, 1 Start, 2 the option
        QTest::newRow("Space, fixed, right")
            << 1 << Qt::Key_Space << false << "right" << 1 << 0 << 1;
        QTest::newRow("Return, fixed, three wrong")
            << 1 << Qt::Key_Return << false << "wrong" << 3 << 0 << 1;
        QTest::newRow("Enter, fixed, forfeit")
            << 1 << Qt::Key_Enter << false << "forfeit" << 1 << 0 << 1;
        QTest::newRow("Space, random, right")
            << 1 << Qt::Key_Space << true << "right" << 1 << 0 << 1;
        QTest::newRow("Space, fixed, moved to the option")
            << 1 << Qt::Key_Space << false << "right" << 1 << 1 << 2;
        QTest::newRow("clicked, random, wrong")
            << 0 << Qt::Key_unknown << true << "wrong" << 1 << 0 << 0;
        QTest::newRow("clicked, on the random option, three forfeits")
            << 2 << Qt::Key_unknown << true << "forfeit" << 3 << 0 << 2;
    }
    void keysStartARoundAndTheFocusComesBack()
    {
        QFETCH(int, tabs);
        QFETCH(Qt::Key, key);
        QFETCH(bool, random);
        QFETCH(QString, ending);
        QFETCH(int, rounds);
        QFETCH(int, tabsDuring);
        QFETCH(int, focusAtEnd);
        if (random)
            form->Option2.Value = rt::True;
        // The option buttons are one stop, at the selected one, as a group of
        // option buttons is on any desktop: Tab walks round, Backtab back.
        const QWidget* order[] = {scrollBar(), rt::testing::widget(form->Command1),
                                  rt::testing::widget(random ? form->Option2 : form->Option1)};
        for (int i = 1; i <= 3; ++i) {
            press(*form, Qt::Key_Tab);
            QCOMPARE(focusOf(*form), order[i % 3]);
        }
        for (int i = 2; i >= 0; --i) {
            press(*form, Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(focusOf(*form), order[i]);
        }
        for (int i = 0; i < tabs; ++i)
            press(*form, Qt::Key_Tab);
        QCOMPARE(focusOf(*form), order[tabs]);

        if (key == Qt::Key_unknown)
            fixture::clickControl(*form, form->Command1);
        else
            press(*form, key);
        QCOMPARE(fixture::phaseOf(*form), fixture::Phase::Presenting);
        if (random) {
            // Nothing hidden takes keys; the speed cannot move unseen.
            QWidget* focus = focusOf(*form);
            QVERIFY2(!focus || focus->isVisible(), focus ? focus->metaObject()->className() : "");
            press(*form, Qt::Key_Right);
            QCOMPARE(rt::Integer(form->HScroll1.Value).value(), 500);
        }
        for (int i = 0; i < tabsDuring; ++i)
            press(*form, Qt::Key_Tab);
        finishRound(*form, ending);
        for (int i = 1; i < rounds; ++i) {
            fixture::clickControl(*form, form->Command1);
            finishRound(*form, ending);
        }
        QCOMPARE(fixture::phaseOf(*form), fixture::Phase::Idle);

        QCOMPARE(focusOf(*form), order[focusAtEnd]);
        QVERIFY(focusOf(*form)->hasFocus());
        if (focusAtEnd == 1) {
            // Start takes Space again: the next round needs no Tab.
            press(*form, Qt::Key_Space);
            QCOMPARE(fixture::phaseOf(*form), fixture::Phase::Presenting);
            fixture::presentAll(*form);
            fixture::clickAt(*form, fixture::BareSpot);
        }
        press(*form, Qt::Key_Tab, {});
        while (focusOf(*form) != scrollBar())
            press(*form, Qt::Key_Tab);
        for (auto [key, speed] : {std::pair{Qt::Key_Right, 510}, {Qt::Key_Left, 500}}) {
            press(*form, key);
            QCOMPARE(rt::Integer(form->HScroll1.Value).value(), speed);
        }
        // Neither Tab nor the keys chose a placement.
        QVERIFY(form->Option2.Value == (random ? rt::True : rt::False));
        QVERIFY(form->RandomMode == (random ? rt::True : rt::False));
    }

    // The credit, opened from the keyboard (Alt, then Return on the menu) or
    // with the mouse, gives the focus back to the control that had it; or,
    // where a round started by Space ended beneath the box, to Start, where
    // the round's end put it.
    void theFocusComesBackAfterTheCredit_data()
    {
        QTest::addColumn<int>("tabs");
        QTest::addColumn<bool>("keyboard");
        QTest::addColumn<bool>("verdictEnds"); // under the box
        QTest::newRow("the speed, keyboard") << 0 << true << false;
        QTest::newRow("Старт, keyboard") << 1 << true << false;
        QTest::newRow("Фиксированно, keyboard") << 2 << true << false;
        QTest::newRow("Старт, mouse") << 1 << false << false;
        QTest::newRow("the verdict ends, keyboard") << 1 << true << true;
        QTest::newRow("the verdict ends, mouse") << 1 << false << true;
    }
    void theFocusComesBackAfterTheCredit()
    {
        QFETCH(int, tabs);
        QFETCH(bool, keyboard);
        QFETCH(bool, verdictEnds);
        for (int i = 0; i < tabs; ++i)
            press(*form, Qt::Key_Tab);
        QWidget* before = focusOf(*form);
        if (verdictEnds) {
            press(*form, Qt::Key_Space);
            fixture::presentAll(*form);
            fixture::answer(*form, fixture::text(form->ShownSeq));
        }
        bool closed = false;
        const fixture::BoxCloser closer([&](QWidget*) {
            if (verdictEnds)
                rt::testing::fireTick(form->Timer2);
            closed = true;
        });
        if (keyboard) {
            press(*form, Qt::Key_Alt);
            press(*form, Qt::Key_Return);
        } else
            fixture::clickCredit(*form);
        QTRY_VERIFY(closed);
        QCOMPARE(fixture::phaseOf(*form), fixture::Phase::Idle);
        QTRY_COMPARE(focusOf(*form), before);
        // Offscreen, nothing gives the window back its activation.
        if (QGuiApplication::platformName() != QLatin1String("offscreen"))
            QTRY_VERIFY(before->hasFocus());
        if (verdictEnds) {
            // Space starts the next round, with no Tab first.
            press(*form, Qt::Key_Space);
            QCOMPARE(fixture::phaseOf(*form), fixture::Phase::Presenting);
            return;
        }
        // And the keys act there again, with no Tab first.
        press(*form, Qt::Key_Tab);
        QVERIFY(focusOf(*form) != before);
    }

    // Whichever control has the keyboard shows it. Start and the scroll bar
    // wear the focus blue all round their edge, two pixels deep, over the
    // thumb too, with their own look inside; the option takes the style's mark.
    void focusIsMarked_data()
    {
        QTest::addColumn<int>("tabs");
        QTest::newRow("the scroll bar") << 0;
        QTest::newRow("Старт") << 1;
        QTest::newRow("Фиксированно") << 2;
    }
    void focusIsMarked()
    {
        QFETCH(int, tabs);
        for (int i = 0; i < tabs; ++i)
            press(*form, Qt::Key_Tab);
        QWidget* focus = focusOf(*form);
        QVERIFY(focus && focus->hasFocus());
        const QImage marked = focus->grab().toImage().convertToFormat(QImage::Format_RGB32);
        press(*form, Qt::Key_Tab);
        QVERIFY(!focus->hasFocus());
        const QImage unmarked = focus->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QVERIFY(unmarked != marked);
        if (tabs == 2)
            return;
        const int deep = qRound(2 * marked.devicePixelRatio());
        const int w = marked.width(), h = marked.height();
        const auto blue = [&marked](int x, int y) {
            return (marked.pixel(x, y) & 0xffffff) == rt::detail::FocusBlue;
        };
        // Each edge, from outside in: blue, then the control's own.
        for (int x = deep; x < w - deep; ++x)
            for (int d = 0; d <= deep; ++d)
                QVERIFY2(blue(x, d) == (d < deep) && blue(x, h - 1 - d) == (d < deep),
                         qPrintable(QStringLiteral("x %1, %2 in").arg(x).arg(d)));
        for (int y = deep; y < h - deep; ++y)
            for (int d = 0; d <= deep; ++d)
                QVERIFY2(blue(d, y) == (d < deep) && blue(w - 1 - d, y) == (d < deep),
                         qPrintable(QStringLiteral("y %1, %2 in").arg(y).arg(d)));
    }

    // The 3:1 that accessibility guidelines ask of a control's parts, at every
    // speed; the thumb fills its place, with no trough showing through.
    void thumbStandsOutFromTheTrough_data()
    {
        QTest::addColumn<int>("speed");
        for (int speed : {50, 500, 1000})
            QTest::addRow("%d", speed) << speed;
    }
    void thumbStandsOutFromTheTrough()
    {
        QFETCH(int, speed);
        form->HScroll1.Value = rt::Integer(speed);
        auto* bar = static_cast<QScrollBar*>(scrollBar());
        const QRect thumb = fixture::scrollBarPart(bar);
        const QRect before = fixture::scrollBarPart(bar, QStyle::SC_ScrollBarSubPage);
        const QRect after = fixture::scrollBarPart(bar, QStyle::SC_ScrollBarAddPage);
        QVERIFY(thumb.width() >= 8);
        const QImage image = bar->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRgb trough = image.pixel((before.width() > after.width() ? before : after).center());
        for (int x = thumb.left() + 2; x < thumb.right() - 1; x += 2)
            QVERIFY2(fixture::contrast(image.pixel(x, thumb.center().y()), trough) >= 3.0,
                     qPrintable(QColor(image.pixel(x, thumb.center().y())).name() + " on " +
                                QColor(trough).name()));
    }
    // The credit box belongs to the same program, and a taskbar groups it so.
    void classAndTitle_data()
    {
        QTest::addColumn<bool>("credit");
        QTest::addColumn<QString>("title");
        QTest::newRow("main window") << false << QStringLiteral("Тевалин");
        QTest::newRow("credit") << true << QStringLiteral("Разработчик ");
    }
    void classAndTitle()
    {
        SKIP_UNLESS_X11();
        QFETCH(bool, credit);
        QFETCH(QString, title);
        Properties p;
        if (!credit)
            p = read(display, window());
        else
            withCredit([&](QWidget* box) { p = read(display, Window(box->winId())); });
        QVERIFY2(QRegularExpression(QStringLiteral("^[!-~]+$")).match(p.instance).hasMatch(),
                 p.instance.constData());
        // The class launchers and taskbars match the window to its desktop entry by.
        QCOMPARE(p.windowClass, QSettings(QStringLiteral(DESKTOP_ENTRY), QSettings::IniFormat)
                                    .value("Desktop Entry/StartupWMClass")
                                    .toByteArray());
        QCOMPARE(p.wmName, title);
    }

    // The credit box belongs to the window, modal to it and over it, even
    // while another window is active: the command chosen through assistive
    // technology from another program.
    void theCreditBelongsToTheWindow()
    {
        QWidget other;
        other.setGeometry(0, 0, 100, 100);
        other.show();
        ACTIVATE_OR_SKIP(&other);
        QWidget* window = rt::testing::widget(*form);
        QWidget* owner = nullptr;
        bool blocked = false, over = false;
        const fixture::BoxCloser closer([&](QWidget* box) {
            owner = box->parentWidget();
            blocked = QApplication::activeModalWidget() == box && box->isModal();
            over = window->frameGeometry().contains(box->geometry().center());
        });
        static_cast<QMainWindow*>(window)->menuBar()->actions().value(0)->trigger();
        QCOMPARE(owner, window);
        QVERIFY(blocked);
        QVERIFY(over);
    }

    // Asked to fill the screen, by Qt's own title bar (drawn where the
    // compositor draws none: its maximise button and a double-click on the
    // title set the window's state) or by the window manager (openbox offers
    // full screen to every window; _NET_WM_STATE as wmctrl sends it), the
    // window returns at once to its normal state, where and as it was. The
    // credit box is not minimised either. Openbox itself refuses to maximise
    // a window of fixed size: asked through it, only full screen can fail.
    void fillingTheScreenIsUndone_data()
    {
        QTest::addColumn<bool>("credit");
        QTest::addColumn<bool>("byWindowManager");
        QTest::addColumn<Qt::WindowState>("asked");
        for (bool credit : {false, true}) {
            const char* box = credit ? "credit" : "window";
            QTest::addRow("%s maximised by the title bar", box)
                << credit << false << Qt::WindowMaximized;
            QTest::addRow("%s full screen by the window manager", box)
                << credit << true << Qt::WindowFullScreen;
        }
        QTest::newRow("credit minimised by the title bar") << true << false << Qt::WindowMinimized;
    }
    void fillingTheScreenIsUndone()
    {
        QFETCH(bool, credit);
        QFETCH(bool, byWindowManager);
        QFETCH(Qt::WindowState, asked);
        if (byWindowManager)
            SKIP_UNLESS_X11();
        const auto ask = [&](QWidget* w) {
            const QRect before = w->geometry();
            const QSize largest = w->windowHandle()->maximumSize();
            bool changed = false;
            QObject watch;
            connect(w->windowHandle(), &QWindow::windowStateChanged, &watch,
                    [&] { changed = true; });
            if (byWindowManager)
                askWindowManagerForFullScreen(display, Window(w->winId()));
            else
                w->windowHandle()->setWindowStates(asked);
            if (asked == Qt::WindowMinimized &&
                QGuiApplication::platformName() == QLatin1String("wayland")) {
                // No client can bring back a window minimised there: the credit closes.
                QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 2000);
                return;
            }
            // A manager may refuse by itself, and leave the state as it was.
            (void)QTest::qWaitFor([&] { return changed; }, 1000);
            // The widget's state and its native window's, which a decoration sets alone.
            QTRY_COMPARE_WITH_TIMEOUT(w->windowHandle()->windowStates(), Qt::WindowNoState, 2000);
            QCOMPARE(w->windowState(), Qt::WindowNoState);
            // The client's place and size: a busy openbox may take its time to
            // put back the frame it took off for the full screen.
            QTRY_COMPARE_WITH_TIMEOUT(w->geometry(), before, 2000);
            QTRY_COMPARE_WITH_TIMEOUT(w->windowHandle()->maximumSize(), largest, 2000);
        };
        if (credit)
            withCredit(ask);
        else
            ask(rt::testing::widget(*form));
    }
};

TEVALIN_TEST_MAIN(TestWindowSystem)
#include "test_window_system.moc"
