// The program's entry point: start-up, the main window, shutdown.
#include "app/shell/AppMain.h"
#include "app/shell/BaseForm.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    vellumora::SetMainWindowRunner(vellumora::BaseFormRun);
    return vellumora::Main();
}
