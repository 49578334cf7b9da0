// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/form1.h"

#include "runtime/services.h"

using namespace rt;

// One colour per tick; a blank tick after the last; then the squares return.
void Form1::Timer1_Timer()
{
    TickCount = TickCount + 1;
    HideLabels();

    if (SeqLength >= TickCount) {
        Randomize();
        // In double precision: r * 8 + 1 in single precision rounds the
        // largest draws up to 9.
        Pick = CInt(Int(double(Rnd()) * 8 + 1));
        if (Option1.Value == True) {
            Label10.Left = FixedLeft;
            Label10.Top = FixedTop;
        } else {
            Randomize();
            const double r1 = Rnd();
            Label10.Left = Int(r1 * (double(Width) - double(Label10.Width) - HorizontalMargin));
            const double r2 = Rnd();
            Label10.Top = Int(r2 * (double(Height) - double(Label10.Height) - VerticalMargin));
        }
        for (Integer n = 1; n <= 8; n = n + 1) {
            if (Pick == n) {
                ShownSeq = ShownSeq & n;
                Label10.BackColor = Square(n).BackColor;
            }
        }
        Label10.Visible = True;
    }

    if (TickCount == SeqLength + 1)
        Label10.Visible = False;

    if (SeqLength + 1 < TickCount) {
        Timer1.Enabled = False;
        Label1.Visible = True;
        Label2.Visible = True;
        Label3.Visible = True;
        Label4.Visible = True;
        Label5.Visible = True;
        Label6.Visible = True;
        Label7.Visible = True;
        Label8.Visible = True;
        Label10.Visible = False;
        Option1.Visible = True;
        Option2.Visible = True;
        HScroll1.Visible = True;
        Label11.Visible = True;
        TickCount = 0;
        ClickCount = 0;
        if (RandomMode == True)
            Option2.Value = True;
    }
}
