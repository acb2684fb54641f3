#include "app/diagram/CanvasOrder.h"

#include "app/core/CanvasSurface.h"
#include "app/core/MainWindowLink.h"
#include "app/core/Processing.h"
#include "app/core/RecordAccess.h"
#include "app/diagram/PadDraw.h"

#include <QMdiArea>
#include <QMdiSubWindow>

#include <algorithm>
#include <limits>
#include <vector>

namespace vellumora {

void CanvasOrderInitialize()
{
    CanvasActivateCount = 0;
    CanvasOrder.assign(1, {0, 0});
}

void CanvasOrderReset()
{
    CanvasActivateCount = 0;
    CanvasOrder.clear();
}

void CanvasActivateStamp(std::int16_t canvas)
{
    CanvasRecord& slot = CanvasAt(canvas, "CanvasActivateStamp");
    if (CanvasActivateCount == std::numeric_limits<std::int16_t>::max()) {
        // The counter would overflow: number the windowed canvases 1, 2, ... in stamp order
        // and go on from there, so the stacking order survives.
        std::vector<std::int16_t> windowed;
        for (std::size_t i = 1; i < B.size(); ++i)
            if (B[i].form)
                windowed.push_back(static_cast<std::int16_t>(i));
        std::stable_sort(windowed.begin(), windowed.end(), [](std::int16_t a, std::int16_t b) {
            return B[static_cast<std::size_t>(a)].header.activateStamp < B[static_cast<std::size_t>(b)].header.activateStamp;
        });
        CanvasActivateCount = 0;
        for (std::int16_t c : windowed)
            B[static_cast<std::size_t>(c)].header.activateStamp = ++CanvasActivateCount;
    }
    slot.header.activateStamp = ++CanvasActivateCount;
}

void CanvasOrderSave()
{
    const std::size_t rows = B.size();
    if (CanvasOrder.size() != rows)
        CanvasOrder.assign(rows, {0, 0});
    for (std::size_t i = 1; i < rows; ++i)
        CanvasOrder[i] = {static_cast<std::int16_t>(i), B[i].header.activateStamp};
}

void CanvasOrderRestore()
{
    const std::size_t n = CanvasOrder.empty() ? 0 : CanvasOrder.size() - 1;
    // The exchange sort keeps the old program's order among equal stamps.
    for (std::size_t i = 1; i < n; ++i)
        for (std::size_t j = i + 1; j <= n; ++j)
            if (CanvasOrder[j][1] < CanvasOrder[i][1])
                std::swap(CanvasOrder[i], CanvasOrder[j]);

    CanvasActivateCount = 0;
    if (MainWindowLink* main = MainWindow())
        FormEnable(main->window(), true);
    CanvasSurface* front = nullptr;
    for (std::size_t row = 1; row <= n; ++row) {
        const std::int16_t c = CanvasOrder[row][0];
        // A slot dropped since the order was saved has nothing to restore.
        if (c < 1 || static_cast<std::size_t>(c) >= B.size())
            continue;
        CanvasSurface* form = B[static_cast<std::size_t>(c)].form.data();
        if (!form)
            continue;
        if (B[static_cast<std::size_t>(c)].header.windowState != 1 && form->Visible()) {
            FormEnable(form, true);
            form->ZOrder();
            front = form;
        }
        CanvasActivateStamp(c);
    }
    // Raising leaves the active window where it was, perhaps behind the others now: the window
    // in front takes the activation, or keys would go to a window the user cannot see.
    if (front)
        CanvasWindowActivate(front);
}

void CanvasWindowActivate(CanvasSurface* form)
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(form->parentWidget()); sub && sub->mdiArea())
        sub->mdiArea()->setActiveSubWindow(sub);
    else
        form->ZOrder();
    form->setFocus();
    // Activating the window that is active already tells nobody: the status bar learns here
    // which window is in front.
    FocusCanvasShow(form->Caption());
}

void CanvasesRefreshInOrder()
{
    CanvasOrderSave();
    PadDrawRefresh(-1);
    CanvasOrderRestore();
}

} // namespace vellumora
