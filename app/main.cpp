// The program's entry point: start-up, the main window, shutdown.
#include "app/shell/AppMain.h"
#include "app/shell/BaseForm.h"
#include "app/shell/ProgramIcon.h"
#include "platform/system/System.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // Qt's dialogs speak the program's language; its pictures are the desktop's and its own.
    platform::system::UseJapaneseToolkitTexts();
    platform::system::UseDesktopIconTheme();
    QApplication::setWindowIcon(vellumora::ProgramIcon());
    vellumora::SetMainWindowRunner(vellumora::BaseFormRun);
    return vellumora::Main();
}
