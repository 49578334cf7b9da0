// SPDX-License-Identifier: GPL-3.0-or-later
#include "form.h"

#include "accessibility.h"
#include "error.h"
#include "form_object.h"
#include "look.h"
#include "platform/platform.h"
#include "widgets.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QMenuBar>

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace rt::detail {

namespace {

static_assert(int(Alignment::Left) == Qt::AlignLeft && int(Alignment::Right) == Qt::AlignRight &&
              int(Alignment::Center) == Qt::AlignHCenter);

QWidget* createWidget(ControlObject& c, const ControlDescription& d, QWidget* parent)
{
    switch (d.kind) {
    case Kind::Label: {
        auto* w =
            d.caption.empty() && !d.font ? new SquareWidget(c, parent) : new LabelWidget(c, parent);
        w->setText(toQString(d.caption));
        w->setAlignment(Qt::Alignment(int(d.alignment)) | Qt::AlignTop);
        return w;
    }
    case Kind::CommandButton: {
        auto* w = new CommandWidget(c, parent);
        w->setText(toQString(d.caption));
        w->setStyleSheet(buttonStyle(d.backColor.value_or(0xE0E0E0)));
        return w;
    }
    case Kind::OptionButton: {
        auto* w = new OptionWidget(c, parent);
        w->setText(toQString(d.caption));
        return w;
    }
    default: // the scroll bar: timers take no widget, the menu and the form are built apart
        return new ScrollWidget(c, parent);
    }
}

// The keys of the description, from anywhere in the window: those that no
// control with the focus took reach the window. A key clicks its control
// only while the control shows, as a click would; held down, it clicks once.
class KeyClicks : public QObject
{
public:
    KeyClicks(FormObject& f) : QObject(f.window.get()), f_(f) {}

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (watched != f_.window.get() || e->type() != QEvent::KeyPress)
            return false;
        const auto* k = static_cast<QKeyEvent*>(e);
        // Shift too: some layouts need it for the digits.
        if ((k->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) != Qt::NoModifier)
            return false;
        const auto key = Key(k->key());
        if (key == Key::None)
            return false;
        if (key == f_.description.key) {
            if (!k->isAutoRepeat())
                f_.self.raise(Event::Click);
            return true;
        }
        for (const auto& c : f_.controls)
            if (c->design && c->design->key == key) {
                if (!k->isAutoRepeat() && !c->widget->isHidden() && c->widget->isEnabled())
                    c->raise(Event::Click);
                return true;
            }
        return false;
    }

private:
    FormObject& f_;
};

} // namespace

QWidget* handlerWindow = nullptr;

ControlObject::ControlObject(FormObject& f, std::string_view n, Kind k)
    : form(f), name(n), kind(k), timer(name, [this] { raise(Event::Timer); })
{
}

bool ControlObject::accepts(Event e) const
{
    return kind == Kind::Form         ? e == Event::Load || e == Event::Click
           : kind == Kind::HScrollBar ? e == Event::Change || e == Event::Scroll
           : kind == Kind::Timer      ? e == Event::Timer
                                      : e == Event::Click; // labels, buttons, the menu
}

void ControlObject::raise(Event e) const
{
    const auto& h = handlers[static_cast<std::size_t>(e)];
    if (!h)
        return;
    ++handlersRunning;
    QWidget* const outer = std::exchange(handlerWindow, form.window.get());
    trap(h);
    handlerWindow = outer;
    if (--handlersRunning == 0)
        announceChanges(form);
}

FormObject::FormObject(const FormDescription& d)
    : description(d), self(*this, "Form", Kind::Form), window(std::make_unique<QMainWindow>())
{
    window->setWindowTitle(toQString(d.caption));

    auto* client = new ClientArea(self, window.get());
    client->setFixedSize(pixels(d.clientWidth), pixels(d.clientHeight));
    useLightPalette(client);
    paintBackground(client, d.backColor);
    window->setCentralWidget(client);
    self.widget = window.get();

    for (const MenuDescription& m : d.menu) {
        auto& item =
            *controls.emplace_back(std::make_unique<ControlObject>(*this, m.name, Kind::Menu));
        window->menuBar()->addAction(toQString(m.caption), window.get(), [this, &item] {
            item.raise(Event::Click);
            // The menu bar keeps the keyboard's focus once the command's box
            // has closed: the focus goes where the window last put it, which
            // the round under the box may have changed.
            moveFocus(focus && focus->isVisibleTo(window.get()) ? focus : nullptr);
        });
    }
    QObject::connect(qApp, &QApplication::focusChanged, window.get(),
                     [this](QWidget*, QWidget* now) {
                         if (std::find(tabOrder.begin(), tabOrder.end(), now) != tabOrder.end())
                             focus = now;
                     });

    std::vector<std::pair<int, QWidget*>> byTabIndex;
    for (const ControlDescription& cd : d.controls) {
        auto& c = *controls.emplace_back(std::make_unique<ControlObject>(*this, cd.name, cd.kind));
        c.design = &cd;
        c.left = cd.left;
        c.top = cd.top;
        if (cd.kind == Kind::Timer) {
            c.timer.set(cd.enabled, cd.interval);
            continue;
        }
        QWidget* w = c.widget = createWidget(c, cd, client);
        w->setGeometry(pixels(cd.left), pixels(cd.top), pixels(cd.width), pixels(cd.height));
        if (cd.backColor) {
            c.backColor = *cd.backColor;
            if (cd.kind != Kind::CommandButton)
                paintBackground(w, c.backColor);
        }
        if (cd.foreColor)
            paintText(w, *cd.foreColor);
        if (cd.font)
            w->setFont(fontFor(*cd.font));
        nameForAssistiveTechnology(w, cd);
        w->setEnabled(cd.enabled);
        w->setVisible(cd.visible);
        if (cd.tabIndex >= 0 && w->focusPolicy() != Qt::NoFocus)
            byTabIndex.emplace_back(cd.tabIndex, w);
    }

    std::sort(byTabIndex.begin(), byTabIndex.end());
    for (const auto& [index, w] : byTabIndex) {
        if (!tabOrder.empty())
            QWidget::setTabOrder(tabOrder.back(), w);
        tabOrder.push_back(w);
    }

    window->installEventFilter(new KeyClicks(*this));

    // Fixed size: the client area plus the menu bar. So no maximise button
    // either, which could only do nothing.
    window->layout()->setSizeConstraint(QLayout::SetFixedSize);
    window->setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    platform::keepNormalState(window.get(), true);
}

ControlObject* FormObject::find(std::string_view name)
{
    if (name == self.name)
        return &self;
    for (auto& c : controls)
        if (c->name == name)
            return c.get();
    return nullptr;
}

// The window's own focus, which keys go to and which it keeps while another
// window (the credit box) is active or the menu bar has the keys. With no
// control to have it, the client area holds it: keys still reach the window,
// Tab goes on from there, and a screen reader's focus leaves the control that
// had it, silently (the area has no name), so that the control is told again
// when it takes the focus back.
void FormObject::moveFocus(QWidget* to)
{
    focus = to;
    (to ? to : window->centralWidget())->setFocus(Qt::OtherFocusReason);
}

void FormObject::passFocusOn(QWidget* hiding)
{
    if (!focus || (focus != hiding && !hiding->isAncestorOf(focus)))
        return;
    focusToReturn = hiding;
    moveFocus(nullptr);
}

void FormObject::returnFocus(QWidget* shown)
{
    if (shown != focusToReturn)
        return;
    focusToReturn = nullptr;
    if (!focus)
        moveFocus(shown);
}

void FormObject::keepFocusOnAVisibleControl()
{
    if (focus && !focus->isVisibleTo(window.get()))
        moveFocus(nullptr);
    if (!focus && !focusToReturn && !tabOrder.empty() &&
        tabOrder.front()->isVisibleTo(window.get()))
        moveFocus(tabOrder.front());
}

} // namespace rt::detail

namespace rt {

Form::Form(const FormDescription& description)
    : d_(std::make_unique<detail::FormObject>(description)), Width(d_->self), Height(d_->self)
{
}

Form::~Form() = default;

void Form::show()
{
    detail::FormObject& f = *d_;
    if (!f.loaded) {
        f.loaded = true;
        f.self.raise(detail::Event::Load);
    }
    f.window->show();
    f.keepFocusOnAVisibleControl();
}

void Form::bind(std::string_view handlerName, std::function<void()> body)
{
    // Without a '_' both halves are the whole name, never a control's and an event's.
    const auto sep = handlerName.rfind('_');
    detail::ControlObject* c = d_->find(handlerName.substr(0, sep));
    const auto e = std::find(detail::eventNames.begin(), detail::eventNames.end(),
                             handlerName.substr(sep + 1));
    const auto event = std::size_t(e - detail::eventNames.begin());
    if (!c || e == detail::eventNames.end() || !c->accepts(detail::Event(event)))
        throw std::logic_error("handler " + std::string(handlerName) +
                               " names no event of this form");
    c->handlers[event] = std::move(body);
}

Control::Control(Form& form, std::string_view name)
    : c_([&]() -> detail::ControlObject& {
          if (auto* c = form.d_->find(name))
              return *c;
          throw std::logic_error("the form has no control " + std::string(name));
      }())
{
}

} // namespace rt
