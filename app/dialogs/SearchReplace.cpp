#include "app/dialogs/SearchReplace.h"

#include "app/core/MainWindowLink.h"
#include "app/core/Processing.h"

namespace vellumora {

SearchReplace::SearchReplace(QWidget* parent) : QDialog(parent) {}

void SearchReplace::ShowModeless()
{
    // The dialog's pages are not built yet: it closes at once, handing control back to the main
    // window as a closing dialog does, so the main window never stays disabled.
    if (MainWindowLink* main = MainWindow())
        main->searchReplaceClosed();
    ModalWindowShow(QString());
    deleteLater();
}

} // namespace vellumora
