// The program's entry point: start-up, the main window, shutdown.
#include "app/shell/AppMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    return vellumora::Main();
}
