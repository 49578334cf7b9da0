// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1.h"

#include "runtime/error.h"

using namespace rt;

const std::array<Form::Handler<Form1>, 18> Form1::handlers{{
    {"Form_Load", &Form1::Form_Load},
    {"Form_Click", &Form1::Form_Click},
    {"Command1_Click", &Form1::Command1_Click},
    {"Label1_Click", &Form1::Label_Click<1>},
    {"Label2_Click", &Form1::Label_Click<2>},
    {"Label3_Click", &Form1::Label_Click<3>},
    {"Label4_Click", &Form1::Label_Click<4>},
    {"Label5_Click", &Form1::Label_Click<5>},
    {"Label6_Click", &Form1::Label_Click<6>},
    {"Label7_Click", &Form1::Label_Click<7>},
    {"Label8_Click", &Form1::Label_Click<8>},
    {"Option1_Click", &Form1::Option1_Click},
    {"Option2_Click", &Form1::Option2_Click},
    {"HScroll1_Change", &Form1::HScroll1_Change},
    {"HScroll1_Scroll", &Form1::HScroll1_Scroll},
    {"Timer1_Timer", &Form1::Timer1_Timer},
    {"Timer2_Timer", &Form1::Timer2_Timer},
    {"mk_Click", &Form1::mk_Click},
}};

Form1::Form1() : Form(description())
{
    bind(std::span<const Handler<Form1>>(handlers));
}

Label& Form1::Square(Integer n)
{
    Label* const squares[] = {&Label1, &Label2, &Label3, &Label4,
                              &Label5, &Label6, &Label7, &Label8};
    if (n < 1 || n > 8)
        raiseError(InvalidProcedureCall);
    return *squares[n.value() - 1];
}
