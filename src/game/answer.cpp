// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/form1.h"

using namespace rt;

void Form1::Label_Click(Integer Index)
{
    // Only answer entry takes clicks: with the verdict showing, a stray click
    // would be judged again and the length would fall with every one.
    if (Command1.Visible == False && Label9.Visible == False) {
        EnteredSeq = EnteredSeq & Index;
        LabelClick();
    }
}

void Form1::LabelClick()
{
    ClickCount = ClickCount + 1;
    if (ClickCount >= SeqLength) {
        Label9.Visible = True;
        if (EnteredSeq != ShownSeq) {
            Label9.Caption = u"Ошибка";
            Label9.ForeColor = Red;
            SeqLength = SeqLength - 1;
        } else {
            Label9.Caption = u"Правильно";
            Label9.ForeColor = DarkGreen;
        }
        Timer2.Enabled = True;
    }
}

void Form1::Timer2_Timer()
{
    Command1.Visible = True;
    Label9.Visible = False;
    Timer2.Enabled = False;
}

// A click on the bare window during answer entry gives the round up.
void Form1::Form_Click()
{
    const Boolean squaresShown = Label1.Visible;
    const Boolean startShown = Command1.Visible;
    const Boolean verdictShown = Label9.Visible;
    if (squaresShown == True && startShown == False && verdictShown == False) {
        Command1.Visible = True;
        SeqLength = SeqLength - 1;
    }
}
