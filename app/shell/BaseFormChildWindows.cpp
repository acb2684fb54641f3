// The main window's child windows: the one in front, what follows it, and their arrangement.

#include "app/shell/BaseForm.h"

#include "app/canvas/CanvasForm.h"
#include "app/core/Processing.h"
#include "app/dialogs/BoxEditor.h"
#include "app/shell/WorkspaceScroll.h"

#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>

namespace vellumora {

CanvasForm* BaseForm::AsCanvas(QWidget* form)
{
    if (!FormTag(form).contains(QLatin1Char('C')))
        return nullptr;
    return qobject_cast<CanvasForm*>(form);
}

BoxEditor* BaseForm::AsEditor(QWidget* form)
{
    if (!FormTag(form).contains(QLatin1Char('E')))
        return nullptr;
    return qobject_cast<BoxEditor*>(form);
}

QWidget* BaseForm::ActiveForm() const
{
    QMdiSubWindow* sub = workspace->currentSubWindow();
    if (!sub || sub->isHidden())
        return nullptr;
    return sub->widget();
}

void BaseForm::FocusCaptionFollow()
{
    // The child in front is the current one, also while the main window itself is not active
    // (a dialog is open); a hidden one is in front of nothing.
    disconnect(focusCaption_);
    QWidget* front = ActiveForm();
    FocusCanvasShow(front ? front->windowTitle() : QString());
    if (front)
        focusCaption_ = connect(front, &QWidget::windowTitleChanged, this, [this, front](const QString& caption) {
            if (ActiveForm() == front)
                FocusCanvasShow(caption);
        });
}

void BaseForm::ActiveChildFollow()
{
    FocusCaptionFollow();
    // A choice still pending in a font control belongs to the canvas the controls described
    // until now: it goes there before they describe the newly active window.
    for (QComboBox* combo : {cmbFontName, cmbFontSize, cmbColor})
        if (combo->hasFocus())
            ComboLostFocus(combo);
    ChildMenusFollow();
    if (FormEnabled(this))
        ToolBarArrange();
}

void BaseForm::FrontWindowHidden()
{
    QMdiSubWindow* hidden = workspace->currentSubWindow();
    if (!hidden || !hidden->isHidden())
        return;
    // As on the desktop, the window that was in front before it comes forward again.
    const QList<QMdiSubWindow*> order = workspace->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        if (!(*it)->isHidden()) {
            workspace->setActiveSubWindow(*it);
            return;
        }
    }
    workspace->setActiveSubWindow(nullptr);
    ActiveChildFollow();
}

void BaseForm::FormArrange(int arrangement)
{
    QList<QMdiSubWindow*> shown;
    QList<QMdiSubWindow*> minimised;
    for (QMdiSubWindow* sub : workspace->subWindowList(QMdiArea::StackingOrder)) {
        if (sub->isHidden())
            continue;
        (sub->isMinimized() ? minimised : shown).append(sub);
    }
    const QRect area = workspace->viewport()->rect();
    switch (arrangement) {
    case 0: {
        // Cascade in stacking order, the front window last; windows keep their sizes.
        const int step = style()->pixelMetric(QStyle::PM_TitleBarHeight) + 4;
        int n = 0;
        for (QMdiSubWindow* sub : shown) {
            if (sub->isMaximized())
                sub->showNormal();
            sub->move(n * step, n * step);
            ++n;
        }
        break;
    }
    case 1:
    case 2: {
        const int count = static_cast<int>(shown.size());
        for (int i = 0; i < count; ++i) {
            QMdiSubWindow* sub = shown.at(i);
            if (sub->isMaximized())
                sub->showNormal();
            if (arrangement == 1) {
                const int h = area.height() / count;
                sub->setGeometry(0, i * h, area.width(), h);
            } else {
                const int w = area.width() / count;
                sub->setGeometry(i * w, 0, w, area.height());
            }
        }
        break;
    }
    case 3: {
        int x = 0;
        for (QMdiSubWindow* sub : minimised) {
            sub->move(x, area.height() - sub->height());
            x += sub->width();
        }
        break;
    }
    default:
        break;
    }
}

void BaseForm::ScrollBarArrange()
{
    workspaceScroll->ScrollBarArrange();
}

} // namespace vellumora
