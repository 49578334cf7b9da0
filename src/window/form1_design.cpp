// SPDX-License-Identifier: GPL-3.0-or-later
// Form1 as designed: the window and its controls at creation. Positions and
// sizes in twips, colours 0x00BBGGRR.

#include "form1.h"

using rt::Alignment;
using rt::ControlDescription;
using rt::FontDescription;
using rt::Kind;

namespace {

constexpr FontDescription tahoma(double points)
{
    return {.face = "Tahoma", .points = points, .cyrillic = true};
}

constexpr rt::Long White = 0xFFFFFF;
constexpr rt::Single Cell = 1395;
constexpr rt::Single Setting = 2895; // width of each of the four settings controls

// A square is named by its colour for assistive technology, and answers the
// key of its digit.
constexpr ControlDescription square(std::string_view name, rt::Single left, rt::Single top,
                                    rt::Long colour, int tabIndex, std::u16string_view colourName,
                                    std::u16string_view keyName, rt::Key key)
{
    return {.name = name,
            .left = left,
            .top = top,
            .width = Cell,
            .height = Cell,
            .backColor = colour,
            .tabIndex = tabIndex,
            .accessibleName = colourName,
            .accessibleDescription = keyName,
            .key = key};
}

// Columns at 3600, 6960, 10320; rows at 1440, 4560, 7680.
const ControlDescription controls[] = {
    {.name = "Option1",
     .kind = Kind::OptionButton,
     .left = 240,
     .top = 240,
     .width = Setting,
     .height = 495,
     .backColor = White,
     .caption = u"Фиксированно",
     .font = tahoma(18),
     .tabIndex = 10,
     .accessibleName = u"Место показа: фиксированно"},
    {.name = "Option2",
     .kind = Kind::OptionButton,
     .left = 240,
     .top = 840,
     .width = Setting,
     .height = 495,
     .backColor = White,
     .caption = u"Случайно",
     .font = tahoma(18),
     .tabIndex = 11,
     .accessibleName = u"Место показа: случайно"},
    {.name = "Label11",
     .left = 12120,
     .top = 240,
     .width = Setting,
     .height = 495,
     .backColor = White,
     .caption = u"Таймер - 800",
     .font = tahoma(18),
     .alignment = Alignment::Right,
     .tabIndex = 14,
     .accessibleName = u"Таймер",
     .nameFollowsCaption = true},
    {.name = "HScroll1",
     .kind = Kind::HScrollBar,
     .left = 12120,
     .top = 840,
     .width = Setting,
     .height = 495,
     .tabIndex = 0,
     .accessibleName = u"Время показа цвета: %1 мс"},
    square("Label1", 3600, 1440, 0x0000FF, 4, u"красный", u"Клавиша 1", rt::Key::Digit1),
    square("Label2", 10320, 4560, 0x00C000, 6, u"зелёный", u"Клавиша 2", rt::Key::Digit2),
    square("Label3", 3600, 7680, 0xC000C0, 9, u"фиолетовый", u"Клавиша 3", rt::Key::Digit3),
    square("Label4", 10320, 7680, 0xFFFF00, 7, u"голубой", u"Клавиша 4", rt::Key::Digit4),
    square("Label5", 6960, 7680, 0xFF0000, 8, u"синий", u"Клавиша 5", rt::Key::Digit5),
    square("Label6", 10320, 1440, 0x00FFFF, 5, u"жёлтый", u"Клавиша 6", rt::Key::Digit6),
    square("Label7", 6960, 1440, 0x0080FF, 3, u"оранжевый", u"Клавиша 7", rt::Key::Digit7),
    square("Label8", 3600, 4560, 0xE0E0E0, 2, u"светло-серый", u"Клавиша 8", rt::Key::Digit8),
    {.name = "Command1",
     .kind = Kind::CommandButton,
     .left = 6960,
     .top = 4560,
     .width = Cell,
     .height = Cell,
     .backColor = 0xFFC0C0,
     .caption = u"Старт",
     .font = tahoma(21.75),
     .tabIndex = 1,
     .accessibleName = u"Старт"},
    {.name = "Label10",
     .left = 6960,
     .top = 4560,
     .width = Cell,
     .height = Cell,
     .visible = false,
     .tabIndex = 13,
     .accessibleName = u"Показываемый цвет",
     .nameTellsColour = true,
     .announced = true},
    {.name = "Label9",
     .left = 5640,
     .top = 4920,
     .width = 4080,
     .height = 795,
     .backColor = White,
     .font = tahoma(27.75),
     .alignment = Alignment::Center,
     .visible = false,
     .tabIndex = 12,
     .accessibleName = u"Результат",
     .nameFollowsCaption = true,
     .announced = true},
    {.name = "Timer1", .kind = Kind::Timer, .enabled = false, .interval = 800},
    {.name = "Timer2", .kind = Kind::Timer, .enabled = false, .interval = 1000},
};

const rt::MenuDescription menu[] = {{.name = "mk", .caption = u"Разработчик"}};

const rt::FormDescription form1{
    .caption = u"Тевалин",
    .backColor = White,
    .clientWidth = 15270,
    .clientHeight = 11040,
    .key = rt::Key::Escape,
    .menu = menu,
    .controls = controls,
};

} // namespace

const rt::FormDescription& Form1::description()
{
    return form1;
}
