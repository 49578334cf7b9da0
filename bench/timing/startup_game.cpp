// The program's own start-up (see src/main.cpp), ended at its first frame.

#include "runtime/application.h"
#include "startup_report.h"
#include "window/form1.h"

int main(int argc, char* argv[])
{
    rt::Application app(argc, argv, Form1::description());
    bench::reportFirstFrame();
    Form1 form;
    return app.run(form);
}
