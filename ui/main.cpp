// The main block: the application object, the four windows, the event loop until the main
// window closes.
#include "ui/app/Application.h"
#include "ui/windows/MainUnit.h"

int main(int Argc, char** Argv) {
    TApplication App(Argc, Argv);
    TApplicationWindows Windows;
    Windows.Main()->show();
    return TApplication::exec();
}
