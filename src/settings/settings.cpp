// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/form1.h"

using namespace rt;

// The caption, the interval and RandomMode follow from the Change and Click
// events that these settings raise.
void Form1::Form_Load()
{
    HScroll1.Max = 1000;
    HScroll1.Min = 50;
    HScroll1.Value = 500;
    HScroll1.LargeChange = 50;
    HScroll1.SmallChange = 10;
    Option1.Value = True;
}

void Form1::HScroll1_Change()
{
    Label11.Caption = u"Таймер - " & HScroll1.Value;
    Timer1.Interval = HScroll1.Value;
}

void Form1::HScroll1_Scroll()
{
    HScroll1_Change();
}

void Form1::Option1_Click()
{
    RandomMode = False;
}

void Form1::Option2_Click()
{
    RandomMode = True;
}
