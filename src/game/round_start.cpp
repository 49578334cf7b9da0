// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/form1.h"

using namespace rt;

void Form1::HideLabels()
{
    Label1.Visible = False;
    Label2.Visible = False;
    Label3.Visible = False;
    Label4.Visible = False;
    Label5.Visible = False;
    Label6.Visible = False;
    Label7.Visible = False;
    Label8.Visible = False;
    Command1.Visible = False;
}

void Form1::Command1_Click()
{
    ShownSeq = u"";
    EnteredSeq = u"";
    SeqLength = SeqLength + 1;
    HideLabels();
    Timer1.Enabled = True;
    if (Option2.Value == True) {
        // Random spots may fall on the settings; they come back at the end.
        Option1.Visible = False;
        Option2.Visible = False;
        HScroll1.Visible = False;
        Label11.Visible = False;
    }
}
