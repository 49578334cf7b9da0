// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A form built from its stored description. A derived window class declares
// its control handles as members, binds its handlers by their
// `<Control>_<Event>` names, and the runtime calls them one at a time.

#include "controls.h"
#include "description.h"

#include <functional>
#include <memory>
#include <span>
#include <string_view>

namespace rt {

namespace detail {
class FormObject;
}

class Form
{
    std::unique_ptr<detail::FormObject> d_; // first: the properties below bind to it

public:
    explicit Form(const FormDescription& description);
    virtual ~Form();

    // The outer size, frame, title bar and menu bar included, read at each use.
    ReadOnly<Single, Prop::OuterWidth> Width;
    ReadOnly<Single, Prop::OuterHeight> Height;

    // Raises Load (once), shows the window and gives the focus to the first
    // control in tab order that takes it, if it is visible.
    void show();

protected:
    template <class F> struct Handler
    {
        std::string_view name; // "Command1_Click", "Form_Load", ...
        void (F::*body)();
    };

    template <class F> void bind(std::span<const Handler<F>> handlers)
    {
        for (const auto& h : handlers)
            bind(h.name, [this, body = h.body] { (static_cast<F*>(this)->*body)(); });
    }

private:
    friend class Control;
    friend struct detail::Access;

    void bind(std::string_view handlerName, std::function<void()> body);
};

} // namespace rt
