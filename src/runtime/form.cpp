#include "form.h"

#include "error.h"
#include "fonts.h"
#include "form_object.h"
#include "widgets.h"

#include <QApplication>
#include <QLayout>
#include <QMenuBar>
#include <QPixmap>

#include <algorithm>
#include <stdexcept>

namespace rt::detail {

namespace {

static_assert(int(Alignment::Left) == Qt::AlignLeft && int(Alignment::Right) == Qt::AlignRight &&
              int(Alignment::Center) == Qt::AlignHCenter);

QString buttonStyle(Long face)
{
    // A style sheet gives the solid face; Fusion paints the palette as a gradient.
    const QColor c = toColor(face);
    return QStringLiteral("QPushButton { background-color: %1; border: 1px solid #7a7a7a; }"
                          "QPushButton:pressed { background-color: %2; }"
                          "QPushButton:focus { border: 1px solid #3d6fb4; }")
        .arg(c.name(), c.darker(110).name());
}

// Setting the name also tells assistive technology that it changed.
void nameForAssistiveTechnology(QWidget* w, const ControlDescription& d)
{
    const QString name = toQString(d.accessibleName);
    if (d.kind != Kind::HScrollBar || !name.contains(QLatin1String("%1"))) {
        w->setAccessibleName(toQString(d.accessibleNameFor(d.caption)));
        return;
    }
    auto* bar = static_cast<ScrollWidget*>(w);
    // The value in the name follows the thumb, as the speed caption does.
    const auto rename = [bar, name] { bar->setAccessibleName(name.arg(bar->position())); };
    QObject::connect(bar, &QScrollBar::valueChanged, bar, rename);
    QObject::connect(bar, &QScrollBar::sliderMoved, bar, rename);
    rename();
}

QWidget* createWidget(ControlObject& c, const ControlDescription& d, QWidget* parent)
{
    switch (d.kind) {
    case Kind::Label: {
        auto* w = new LabelWidget(c, parent);
        w->setText(toQString(d.caption));
        w->setAlignment(Qt::Alignment(int(d.alignment)) | Qt::AlignTop);
        return w;
    }
    case Kind::CommandButton: {
        auto* w = new QPushButton(toQString(d.caption), parent);
        QObject::connect(w, &QPushButton::clicked, w, [&c] { c.raise(Event::Click); });
        w->setStyleSheet(buttonStyle(d.backColor.value_or(0xE0E0E0)));
        return w;
    }
    case Kind::OptionButton: {
        auto* w = new OptionWidget(c, parent);
        w->setText(toQString(d.caption));
        return w;
    }
    case Kind::HScrollBar:
        return new ScrollWidget(c, parent);
    case Kind::Timer:
    case Kind::Menu:
    case Kind::Form:
        break;
    }
    return nullptr;
}

} // namespace

void paintBackground(QWidget* w, Long bgr)
{
    // Fusion fills some controls with the Button role, the rest with Window.
    QPalette p = w->palette();
    p.setColor(QPalette::Window, toColor(bgr));
    p.setColor(QPalette::Button, toColor(bgr));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void paintText(QWidget* w, Long bgr)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, toColor(bgr));
    w->setPalette(p);
}

bool ControlObject::accepts(Event e) const
{
    switch (kind) {
    case Kind::Form:
        return e == Event::Load || e == Event::Click;
    case Kind::HScrollBar:
        return e == Event::Change || e == Event::Scroll;
    case Kind::Timer:
        return e == Event::Timer;
    default: // labels, buttons, the menu
        return e == Event::Click;
    }
}

void ControlObject::raise(Event e) const
{
    if (const auto& h = handlers[static_cast<std::size_t>(e)])
        trap(h);
}

FormObject::FormObject(const FormDescription& d)
    : description(d), self(*this, "Form", Kind::Form), window(std::make_unique<QMainWindow>())
{
    window->setWindowTitle(toQString(d.caption));
    if (d.icon)
        window->setWindowIcon(QIcon(QPixmap(d.icon)));

    auto* client = new ClientArea(self, window.get());
    client->setFixedSize(pixels(d.clientWidth), pixels(d.clientHeight));
    paintBackground(client, d.backColor);
    window->setCentralWidget(client);
    self.widget = window.get();

    for (const MenuDescription& m : d.menu) {
        auto& item =
            *controls.emplace_back(std::make_unique<ControlObject>(*this, m.name, Kind::Menu));
        QAction* action = window->menuBar()->addAction(toQString(m.caption));
        QObject::connect(action, &QAction::triggered, window.get(),
                         [&item] { item.raise(Event::Click); });
    }

    std::vector<std::pair<int, QWidget*>> tabOrder;
    for (const ControlDescription& cd : d.controls) {
        auto& c = *controls.emplace_back(std::make_unique<ControlObject>(*this, cd.name, cd.kind));
        c.design = &cd;
        c.left = cd.left;
        c.top = cd.top;
        c.timerEnabled = cd.kind == Kind::Timer && cd.enabled;
        c.interval = cd.interval;
        if (cd.kind == Kind::Timer)
            continue;
        QWidget* w = createWidget(c, cd, client);
        c.widget = w;
        w->setGeometry(pixels(cd.left), pixels(cd.top), pixels(cd.width), pixels(cd.height));
        if (cd.backColor) {
            c.backColor = *cd.backColor;
            if (cd.kind != Kind::CommandButton)
                paintBackground(w, c.backColor);
        }
        if (cd.foreColor) {
            c.foreColor = *cd.foreColor;
            paintText(w, c.foreColor);
        }
        if (cd.font)
            w->setFont(fontFor(*cd.font));
        nameForAssistiveTechnology(w, cd);
        w->setEnabled(cd.enabled);
        w->setVisible(cd.visible);
        if (cd.tabIndex >= 0 && w->focusPolicy() != Qt::NoFocus)
            tabOrder.emplace_back(cd.tabIndex, w);
    }

    std::sort(tabOrder.begin(), tabOrder.end());
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1].second, tabOrder[i].second);
    if (!tabOrder.empty())
        firstInTabOrder = tabOrder.front().second;

    // Fixed size: the client area plus the menu bar.
    window->layout()->setSizeConstraint(QLayout::SetFixedSize);
}

FormObject::~FormObject()
{
    // Widgets first: they refer to the control objects.
    window.reset();
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

void FormObject::show()
{
    if (!loaded) {
        loaded = true;
        self.raise(Event::Load);
    }
    window->show();
    if (firstInTabOrder && firstInTabOrder->isVisibleTo(window.get()))
        firstInTabOrder->setFocus(Qt::OtherFocusReason);
}

void FormObject::keepFocusOnAVisibleControl()
{
    QWidget* focus = QApplication::focusWidget();
    if (focus && focus->window() == window.get() && !focus->isVisibleTo(window.get()))
        focus->clearFocus();
    if (!QApplication::focusWidget() && window->isActiveWindow() && firstInTabOrder &&
        firstInTabOrder->isVisibleTo(window.get()))
        firstInTabOrder->setFocus(Qt::OtherFocusReason);
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
    d_->show();
}

void Form::bind(std::string_view handlerName, std::function<void()> body)
{
    const auto sep = handlerName.rfind('_');
    detail::ControlObject* c =
        sep == std::string_view::npos ? nullptr : d_->find(handlerName.substr(0, sep));
    const auto event =
        sep == std::string_view::npos ? std::string_view{} : handlerName.substr(sep + 1);
    const auto e = std::find(detail::eventNames.begin(), detail::eventNames.end(), event);
    if (!c || e == detail::eventNames.end() ||
        !c->accepts(detail::Event(e - detail::eventNames.begin())))
        throw std::logic_error("handler " + std::string(handlerName) +
                               " names no event of this form");
    c->handlers[static_cast<std::size_t>(e - detail::eventNames.begin())] = std::move(body);
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
