// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The game's one window. Its handlers live beside the subsystem they belong
// to: game/ (round start, presentation, answers), settings/ (load, speed,
// placement), and here (the About command).

#include "runtime/controls.h"
#include "runtime/form.h"

#include <array>

class Form1 : public rt::Form
{
public:
    Form1();

    static const rt::FormDescription& description();

    // Placement of the indicator, in twips: the fixed spot is the Start
    // button's cell; random spots keep these margins from the outer size.
    static constexpr double FixedLeft = 6960;
    static constexpr double FixedTop = 4560;
    static constexpr double HorizontalMargin = 200;
    static constexpr double VerticalMargin = 400;

    // Colours of the verdict.
    enum VerdictColour : rt::Long
    {
        Red = 255,
        DarkGreen = 32768
    };

    // The game's state; it lives as long as the window.
    rt::Integer TickCount;
    rt::Integer SeqLength;
    rt::Integer Pick;
    rt::Integer ClickCount;
    rt::String ShownSeq;
    rt::String EnteredSeq;
    rt::Boolean RandomMode = rt::False;

    // "Фиксированно": the indicator flashes on the Start button's cell.
    rt::OptionButton Option1{*this, "Option1"};
    // "Случайно": the indicator flashes at a new random spot each time.
    rt::OptionButton Option2{*this, "Option2"};
    // The speed caption, "Таймер - " and the milliseconds per colour.
    rt::Label Label11{*this, "Label11"};
    // The speed: milliseconds per colour, 50 to 1000.
    rt::HScrollBar HScroll1{*this, "HScroll1"};
    // The eight coloured squares the player clicks to answer; Label n
    // stands for the digit n.
    rt::Label Label1{*this, "Label1"};
    rt::Label Label2{*this, "Label2"};
    rt::Label Label3{*this, "Label3"};
    rt::Label Label4{*this, "Label4"};
    rt::Label Label5{*this, "Label5"};
    rt::Label Label6{*this, "Label6"};
    rt::Label Label7{*this, "Label7"};
    rt::Label Label8{*this, "Label8"};
    // "Старт": starts a round; hidden until the round is over.
    rt::CommandButton Command1{*this, "Command1"};
    // The indicator: shows the sequence's colours one at a time.
    rt::Label Label10{*this, "Label10"};
    // The verdict: "Правильно" in green or "Ошибка" in red.
    rt::Label Label9{*this, "Label9"};
    // Paces the presentation: one colour per tick.
    rt::Timer Timer1{*this, "Timer1"};
    // How long the verdict stays: one second.
    rt::Timer Timer2{*this, "Timer2"};

    // Square n (1 to 8) stands for the digit n.
    rt::Label& Square(rt::Integer n);

private:
    static const std::array<Handler<Form1>, 18> handlers;

    void Form_Load();
    void Form_Click();
    void Command1_Click();
    // The eight squares share one body; N is the square's digit.
    template <int N> void Label_Click() { Label_Click(N); }
    void Label_Click(rt::Integer Index);
    void LabelClick();
    void HideLabels();
    void Timer1_Timer();
    void Timer2_Timer();
    void HScroll1_Change();
    void HScroll1_Scroll();
    void Option1_Click();
    void Option2_Click();
    // The menu item "Разработчик": the author credit.
    void mk_Click();
};
