// SPDX-License-Identifier: GPL-3.0-or-later
// How long a click waits for the window: idle, then during a presentation at
// 50 ms.

#include "bench.h"
#include "fixture.h"

#include <xcb/xtest.h>

#include <atomic>
#include <random>
#include <thread>

namespace bench {

namespace {

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

// Clicks on a bare spot, sent through the X server's XTest extension by a
// thread of their own, so that they arrive whatever the window's thread is
// doing: each release is stamped as it is sent and as its delivery to the
// window begins (Form_Click runs inside it). The next click waits for the
// last one to arrive, then for a random 9 to 31 ms: across a tick's phases.
Samples clickDelays(const Form1& form, int count)
{
    const QPoint at = fixture::clientArea(form)->mapToGlobal(fixture::BareSpot);
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

} // namespace

int clicks(int count)
{
    auto form = openWindow();
    const Samples idle = clickDelays(*form, count);
    form->HScroll1.Value = rt::Integer(50);
    form->SeqLength = rt::Integer(10000); // longer than the clicks take
    fixture::clickControl(*form, form->Command1);
    spin(200);
    const Samples presenting = clickDelays(*form, count);
    if (!rt::testing::isRunning(form->Timer1))
        return 1;
    row("click handled, idle (ms)", "(reference)", true, idle);
    row("click handled, presenting 50 ms", "p99 <= idle", p99(presenting) <= p99(idle), presenting);
    return 0;
}

} // namespace bench
