#include "app/dialogs/SearchReplace.h"

#include "app/shell/BaseForm.h"
#include "app/shell/Processing.h"

namespace vellumora {

SearchReplace::SearchReplace(QWidget* parent) : QDialog(parent) {}

void SearchReplace::ShowModeless()
{
    // The dialog's pages are not built yet: it closes at once, handing control back to the main
    // window as a closing dialog does, so the main window never stays disabled.
    if (BaseForm* main = BaseFormWindow()) {
        main->SearchReplaceShow = false;
        main->RegainLeadership(false);
    }
    ModalWindowShow(QString());
    deleteLater();
}

} // namespace vellumora
