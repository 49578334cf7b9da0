// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A form's stored description: the window and its controls with their
// design-time properties, as data. The runtime builds the window from it.

#include "types.h"

#include <optional>
#include <span>
#include <string_view>

namespace rt {

enum class Kind
{
    Label,
    CommandButton,
    OptionButton,
    HScrollBar,
    Timer,
    Menu,
    Form
};

// A key that clicks a control, or the bare window, from anywhere in the
// window; the values are Qt's own.
enum class Key
{
    None = 0,
    Escape = 0x01000000,
    Digit1 = 0x31,
    Digit2,
    Digit3,
    Digit4,
    Digit5,
    Digit6,
    Digit7,
    Digit8
};

// Horizontal alignment of a caption; the values are Qt's own.
enum class Alignment
{
    Left = 1,
    Right = 2,
    Center = 4
};

struct FontDescription
{
    std::string_view face;
    double points = 8.25;
    bool cyrillic = false; // the text needs Cyrillic glyphs
};

struct ControlDescription
{
    std::string_view name;
    Kind kind = Kind::Label;
    Single left = 0, top = 0, width = 0, height = 0; // twips
    std::optional<Long> backColor;
    std::optional<Long> foreColor;
    std::u16string_view caption;
    std::optional<FontDescription> font;
    Alignment alignment = Alignment::Left;
    bool visible = true;
    bool enabled = true;
    int tabIndex = -1;
    int interval = 0; // timers, in milliseconds
    // What assistive technology calls the control. In a scroll bar's name
    // "%1" stands for its current value.
    std::u16string_view accessibleName;
    // The accessible name is the caption, and follows it; the stored name
    // stands in while the caption is empty.
    bool nameFollowsCaption = false;
    // The accessible name also says whose colour the control shows: the
    // stored name, ": " and the name of the control with that back colour.
    bool nameTellsColour = false;
    // What assistive technology says of the control besides its name.
    std::u16string_view accessibleDescription;
    // Told to assistive technology as a notification each time a handler
    // shows the control or changes what it shows, once the handler returns.
    bool announced = false;
    // Clicks the control while it is shown.
    Key key = Key::None;

    // The accessible name while the control shows this caption.
    constexpr std::u16string_view accessibleNameFor(std::u16string_view shown) const
    {
        return nameFollowsCaption && !shown.empty() ? shown : accessibleName;
    }
};

struct MenuDescription
{
    std::string_view name;
    std::u16string_view caption;
};

struct FormDescription
{
    std::u16string_view caption;
    Long backColor = 0xFFFFFF;
    Single clientWidth = 0, clientHeight = 0;
    // Clicks the bare window.
    Key key = Key::None;
    std::span<const MenuDescription> menu;
    std::span<const ControlDescription> controls;
};

} // namespace rt
