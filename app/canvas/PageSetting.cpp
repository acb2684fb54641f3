#include "app/canvas/PageSetting.h"

#include "app/canvas/BoxEditing.h"
#include "app/canvas/CanvasForm.h"
#include "app/diagram/BoxList.h"
#include "app/diagram/FontAndColor.h"
#include "app/diagram/PadDraw.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/Processing.h"
#include "app/core/RecordAccess.h"
#include "app/core/Utilities.h"
#include "platform/printer/Printer.h"
#include "platform/vbrt/Error.h"
#include "platform/vbrt/Value.h"

#include <QMdiSubWindow>
#include <QPointer>

#include <algorithm>
#include <limits>

namespace vellumora {

namespace {

// Closes the editors whose session bits are set in flags, in the order given; false when the
// user refused one (the bits and editors up to there are closed).
struct Session {
    std::int16_t bit;
    QPointer<QWidget>* editor;
};

template <std::size_t N>
bool SessionsClose(std::int16_t& flags, const std::array<Session, N>& sessions, bool& ask)
{
    for (const Session& session : sessions) {
        if ((flags & session.bit) == 0)
            continue;
        if (BoxEditorQuitConfirm(ask))
            return false;
        flags = static_cast<std::int16_t>(flags & ~session.bit);
        BoxEditorUnload(*session.editor);
    }
    return true;
}

} // namespace

std::int16_t CanvasSlotSetup(std::int16_t n, std::int32_t kindFlags)
{
    if (n >= 0) {
        CanvasAt(n, "CanvasSlotSetup");
        BoxEditorCloseAll(n);
    }
    n = CanvasSlotPrepare(n, kindFlags);
    if (n > 0)
        CanvasWindowSetup(n);
    return n;
}

void CanvasWindowSetup(std::int16_t canvas)
{
    CanvasRecord& slot = CanvasAt(canvas, "CanvasWindowSetup");
    const bool created = slot.form.isNull();
    if (created)
        slot.form = new CanvasForm();
    CanvasForm* form = CanvasWindowOf(slot);
    form->SetCanvasIndex(canvas);
    form->SetBackColor(ColorModify(ApplicationGlobals.CanvasColorName));
    if (created) {
        form->Form_Load();
        CanvasControlsLoad(canvas);
    }
}

void CanvasWindowsCreate()
{
    for (std::size_t c = 1; c < B.size(); ++c)
        if (B[c].form.isNull())
            CanvasWindowSetup(static_cast<std::int16_t>(c));
}

bool BoxEditorQuitConfirm(bool& ask)
{
    if (!ask)
        return false;
    const std::int16_t answer = YesNoMessageBox(
        QStringLiteral("編集中のBOX編集が存在します。\r\n入力を取消して終了させても宜しいですか？"), 256, QString());
    if (answer != 6)
        return true;
    ask = false;
    return false;
}

bool BoxEditorCloseCheck(bool ask, std::int16_t canvas)
{
    for (std::size_t i = 1; i < B.size(); ++i) {
        if (canvas >= 0 && static_cast<std::size_t>(canvas) != i)
            continue;
        const auto c = static_cast<std::int16_t>(i);
        for (std::size_t j = 1; j < B[i].BoxList.size(); ++j) {
            CanvasBusyWait(c);
            BoxRecord& box = B[i].BoxList[j];
            const std::array<Session, 3> sessions{{{BoxFlag::ModifyEditorOpen, &box.modifyEditor},
                                                    {BoxFlag::BeforeEditorOpen, &box.beforeEditor},
                                                    {BoxFlag::AfterEditorOpen, &box.afterEditor}}};
            if (!SessionsClose(box.flags, sessions, ask))
                return true;
        }
        // Sub line 0 is the top line, where the sessions above the top chain live.
        for (std::size_t j = 0; j < B[i].SubList.size(); ++j) {
            CanvasBusyWait(c);
            SubRecord& sub = B[i].SubList[j];
            const std::array<Session, 2> sessions{{{SubFlag::LowerEditorOpen, &sub.lowerEditor},
                                                    {SubFlag::UpperEditorOpen, &sub.upperEditor}}};
            if (!SessionsClose(sub.flags, sessions, ask))
                return true;
        }
    }
    return false;
}

} // namespace vellumora
