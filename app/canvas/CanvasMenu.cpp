// The canvas window's menu commands: the Edit, Format, Show and Window menus as they open and
// their commands, and the commands of the box, vertical-line, horizontal-line and canvas popups.

#include "app/canvas/CanvasForm.h"

#include "app/canvas/BoxEditing.h"
#include "app/canvas/CopyAndPaste.h"
#include "app/canvas/HistoryControl.h"
#include "app/canvas/PageSetting.h"
#include "app/canvas/StructuralEdits.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/EditState.h"
#include "app/core/MainMenuLink.h"
#include "app/core/ProgramLink.h"
#include "app/core/Processing.h"
#include "app/diagram/CanvasPartsArrange.h"
#include "app/diagram/FontAndColor.h"
#include "app/diagram/PadDraw.h"
#include "app/diagram/SearchEngine.h"
#include "app/diagram/TagTable.h"

#include <QAction>
#include <QMenu>

#include <utility>

namespace vellumora {

// ---------------------------------------------------------------------------------------------
// The menus as they open

void CanvasForm::Menu_Edit_Click()
{
    RunCommand(this, [this] {
        CanvasTimersStop();
        MenuItems& m = Menus();
        m.Menu_EditUndo->setEnabled(HistoryCanUndo());
        m.Menu_EditRedo->setEnabled(HistoryCanRedo());
        if (LockPartsKind != 0)
            PartsLockMenuSet(0, -1);
        const EditEnables e = editEnables();
        m.Menu_EditCut->setEnabled(e.cut);
        m.Menu_EditCopy->setEnabled(e.copy);
        m.Menu_EditPaste->setEnabled(e.paste);
        m.Menu_EditCopyTask->setEnabled(e.copyTask);
        m.Menu_EditPasteTask->setEnabled(e.pasteTask);
        m.Menu_EditDelete->setEnabled(e.del);
        m.Menu_EditDeleteLump->setEnabled(e.deleteLump);
        m.Menu_EditEditor->setEnabled(e.editor);
        m.Menu_EditAdd->setEnabled(e.add);
        m.Menu_EditFontChange->setEnabled(e.fontChange);
        m.Menu_EditFontChangeLump->setEnabled(e.fontChangeLump);
        m.Menu_EditChink->setEnabled(e.chink);
        m.Menu_EditConnect->setEnabled(e.connect);
        m.Menu_EditNewPage->setEnabled(e.newPage);
        m.Menu_EditNewPage->setChecked(e.newPageChecked);
        m.Menu_EditALL->setEnabled(true);
        m.Menu_EditCanvasDelete->setEnabled(true);
        m.Menu_EditNewPageReset->setEnabled(true);
    });
}

void CanvasForm::EditShortcutRun(QAction* item)
{
    if (!FormEnabled(this))
        return;
    Menu_Edit_Click();
    if (item->isEnabled())
        item->trigger();
}

void CanvasForm::Menu_Format_Click()
{
    CanvasTimersStop();
    MenuItems& m = Menus();
    // The marks follow the settings, which another window or an undo may have changed.
    m.Menu_FormatNoteNotShow->setChecked(ApplicationGlobals.NoteNotShow);
    m.Menu_FormatNoteNotFrame->setChecked(ApplicationGlobals.NoteNotFrame);
    m.Menu_FormatNoteNotFrame->setEnabled(!ApplicationGlobals.NoteNotShow);
    m.Menu_FormatReplaceJump->setChecked(ApplicationGlobals.ReplaceJump);
    m.Menu_FormatEditMode->setChecked(ApplicationGlobals.EditModeFlag);
}

void CanvasForm::Menu_Show_Click()
{
    CanvasTimersStop();
    // The bars are the main window's: another window's Show menu may have switched them.
    if (MainMenuLink* main = MainMenu()) {
        Menus().Menu_ShowToolBar->setChecked(main->MenuChecked(QStringLiteral("Menu_ShowToolBar")));
        Menus().Menu_ShowStatusBar->setChecked(main->MenuChecked(QStringLiteral("Menu_ShowStatusBar")));
    }
}

void CanvasForm::Menu_Window_Click()
{
    CanvasTimersStop();
    WindowListFill(Menus().Menu_Window, this);
}

// ---------------------------------------------------------------------------------------------
// The edit frame

bool CanvasForm::insertBefore() const
{
    // The target belongs to the last listed part.
    return lockPartsList_.empty() || lockPartsList_.back().partsKind != 3;
}

void CanvasForm::editFrame(const QAction* item, std::int16_t snapshotCanvas, const std::function<bool()>& guard,
                           const std::function<void()>& edit, bool redraw, bool clearAll)
{
    RunCommand(this, [&] {
        if (guard && !guard())
            return;
        HistoryEdit(item->text().section(QLatin1Char('\t'), 0, 0), snapshotCanvas, edit);
        if (redraw)
            PadDrawRefresh(CanvasIndex);
        if (clearAll)
            PartsLockClear();
        else
            PartsLock(0, -1, 0, false);
    });
}

// ---------------------------------------------------------------------------------------------
// Cut, copy and paste

namespace {

void CopyParts(std::int16_t canvas, const std::vector<LockPartsRecord>& parts, bool toTask)
{
    if (toTask)
        ClipboardTaskCopyOpen();
    else
        ClipboardCopyOpen();
    for (const LockPartsRecord& part : parts) {
        if (part.partsKind == 4)
            ClipboardCopyPart(canvas, -1, part.partsIndex);
        else
            ClipboardCopyPart(canvas, part.partsIndex, -1);
    }
    if (toTask)
        ClipboardTaskCopyClose();
    else
        ClipboardCopyClose();
}

// Whether a paste goes ahead and takes its undo step: the copy (the local one, or the one fetched
// from another instance) may go into the canvas and holds a box to insert.
bool PasteAllowed(std::int16_t canvas, bool fromTask)
{
    const bool fits = fromTask ? ClipboardTaskPasteFetch(canvas) : ClipboardObstinateCheck(canvas);
    return fits && ClipboardPasteHoldsBox(fromTask);
}

// Whether the parts may be deleted: no box editor open where the delete reaches, and the user
// said Yes. Sub-line parts stand for the chains below them.
bool DeleteAllowed(std::int16_t canvas, const std::vector<LockPartsRecord>& parts, bool subLines, bool lump)
{
    for (const LockPartsRecord& part : parts) {
        const std::int16_t box = subLines ? std::int16_t(-1) : part.partsIndex;
        const std::int16_t sub = subLines ? part.partsIndex : std::int16_t(-1);
        if (BoxEditingCheck(canvas, box, sub, lump))
            return false;
    }
    return !BoxDeleteConfirm(lump);
}

} // namespace

void CanvasForm::Menu_BoxCut_Click()
{
    const std::vector<LockPartsRecord> parts = lockPartsList_;
    editFrame(Menus().Menu_BoxCut, CanvasIndex, {}, [&] {
        // Every part is in the copy before the first leaves its chain.
        CopyParts(CanvasIndex, parts, false);
        for (const LockPartsRecord& part : parts)
            BoxUnlink(CanvasIndex, part.partsIndex);
    }, true, true);
}

void CanvasForm::Menu_HLineCut_Click()
{
    const std::vector<LockPartsRecord> parts = lockPartsList_;
    editFrame(Menus().Menu_HLineCut, CanvasIndex, {}, [&] {
        CopyParts(CanvasIndex, parts, false);
        for (const LockPartsRecord& part : parts)
            SubUnlink(CanvasIndex, part.partsIndex);
    }, true, true);
}

void CanvasForm::copyCommand(bool toTask)
{
    RunCommand(this, [this, toTask] {
        CopyParts(CanvasIndex, lockPartsList_, toTask);
        PartsLock(0, -1, 0, false);
    });
}

void CanvasForm::Menu_BoxCopy_Click()
{
    copyCommand(false);
}

void CanvasForm::Menu_BoxCopyTask_Click()
{
    copyCommand(true);
}

void CanvasForm::Menu_HLineCopy_Click()
{
    Menu_BoxCopy_Click();
}

void CanvasForm::Menu_HLineCopyTask_Click()
{
    Menu_BoxCopyTask_Click();
}

void CanvasForm::Menu_VLinePaste_Click()
{
    const std::int16_t target = LockPartsTarget;
    const bool before = insertBefore();
    editFrame(Menus().Menu_VLinePaste, CanvasIndex, [this] { return PasteAllowed(CanvasIndex, false); },
              [&] { ClipboardPaste(CanvasIndex, target, -1, before, false); }, true, false);
}

void CanvasForm::Menu_VLinePasteTask_Click()
{
    const std::int16_t target = LockPartsTarget;
    const bool before = insertBefore();
    editFrame(Menus().Menu_VLinePasteTask, CanvasIndex, [this] { return PasteAllowed(CanvasIndex, true); },
              [&] { ClipboardPaste(CanvasIndex, target, -1, before, true); }, true, false);
}

void CanvasForm::Menu_HLinePaste_Click()
{
    const std::int16_t target = LockPartsTarget;
    editFrame(Menus().Menu_HLinePaste, CanvasIndex, [this] { return PasteAllowed(CanvasIndex, false); },
              [&] { ClipboardPaste(CanvasIndex, -1, target, false, false); }, true, false);
}

void CanvasForm::Menu_HLinePasteTask_Click()
{
    const std::int16_t target = LockPartsTarget;
    editFrame(Menus().Menu_HLinePasteTask, CanvasIndex, [this] { return PasteAllowed(CanvasIndex, true); },
              [&] { ClipboardPaste(CanvasIndex, -1, target, false, true); }, true, false);
}

// ---------------------------------------------------------------------------------------------
// Delete

void CanvasForm::Menu_BoxDelete_Click()
{
    const std::vector<LockPartsRecord> parts = lockPartsList_;
    editFrame(Menus().Menu_BoxDelete, CanvasIndex, [&] { return DeleteAllowed(CanvasIndex, parts, false, false); }, [&] {
        for (const LockPartsRecord& part : parts)
            BoxDeleteSingle(CanvasIndex, part.partsIndex);
    }, true, true);
}

void CanvasForm::Menu_BoxDeleteLump_Click()
{
    const std::vector<LockPartsRecord> parts = lockPartsList_;
    editFrame(Menus().Menu_BoxDeleteLump, CanvasIndex, [&] { return DeleteAllowed(CanvasIndex, parts, false, true); }, [&] {
        for (const LockPartsRecord& part : parts)
            BoxUnlink(CanvasIndex, part.partsIndex);
    }, true, true);
}

void CanvasForm::Menu_HLineDeleteLump_Click()
{
    const std::vector<LockPartsRecord> parts = lockPartsList_;
    editFrame(Menus().Menu_HLineDeleteLump, CanvasIndex, [&] { return DeleteAllowed(CanvasIndex, parts, true, true); }, [&] {
        for (const LockPartsRecord& part : parts)
            SubUnlink(CanvasIndex, part.partsIndex);
    }, true, true);
}

// ---------------------------------------------------------------------------------------------
// Fonts

void CanvasForm::Menu_BoxFontChange_Click()
{
    if (LockPartsKind != 1 || lockPartsList_.empty())
        return;
    // The tool bar's request holds for this command only, whichever way it ends.
    const bool fromToolBar = std::exchange(FontSettingMenuSkip, false);
    const std::vector<LockPartsRecord> parts = lockPartsList_;
    editFrame(Menus().Menu_BoxFontChange, CanvasIndex, [&] {
        return fromToolBar ||
               !BoxFontDialog(CanvasIndex, parts.front().partsIndex, -1, Menus().Menu_BoxFontChange->text());
    }, [&] {
        for (const LockPartsRecord& part : parts)
            BoxFontApply(CanvasIndex, part.partsIndex, -1, false);
    }, true, false);
}

void CanvasForm::Menu_BoxFontChangeLump_Click()
{
    const std::vector<LockPartsRecord> parts = lockPartsList_;
    if (parts.empty())
        return;
    editFrame(Menus().Menu_BoxFontChangeLump, CanvasIndex, [&] {
        return !BoxFontDialog(CanvasIndex, parts.front().partsIndex, -1, Menus().Menu_BoxFontChangeLump->text());
    }, [&] {
        for (const LockPartsRecord& part : parts)
            BoxFontApply(CanvasIndex, part.partsIndex, -1, true);
    }, true, false);
}

void CanvasForm::Menu_HLineFontChangeLump_Click()
{
    const std::vector<LockPartsRecord> parts = lockPartsList_;
    if (parts.empty())
        return;
    editFrame(Menus().Menu_HLineFontChangeLump, CanvasIndex, [&] {
        return !BoxFontDialog(CanvasIndex, -1, parts.front().partsIndex, Menus().Menu_HLineFontChangeLump->text());
    }, [&] {
        for (const LockPartsRecord& part : parts)
            BoxFontApply(CanvasIndex, -1, part.partsIndex, true);
    }, true, false);
}

// ---------------------------------------------------------------------------------------------
// Vertical and horizontal lines

void CanvasForm::Menu_VLineChink_Click()
{
    const std::int16_t target = LockPartsTarget;
    editFrame(Menus().Menu_VLineChink, CanvasIndex, {}, [&] { VLineChink(CanvasIndex, target); }, true, false);
}

void CanvasForm::Menu_VLineConnect_Click()
{
    const std::int16_t target = LockPartsTarget;
    editFrame(Menus().Menu_VLineConnect, CanvasIndex, {}, [&] { VLineConnect(CanvasIndex, target); }, true, false);
}

void CanvasForm::Menu_VLineNewPage_Click()
{
    // A page break sits on a line into a box, never on the line at a chain's end.
    if (LockPartsKind != 2)
        return;
    const std::int16_t target = LockPartsTarget;
    editFrame(Menus().Menu_VLineNewPage, CanvasIndex, {}, [&] {
        NewPageToggle(CanvasIndex, target, -1);
        PageBreakMarkShow(CanvasIndex, std::as_const(lblLine)[target], target, -1);
    }, false, false);
}

void CanvasForm::Menu_HLineNewPage_Click()
{
    const std::int16_t target = LockPartsTarget;
    editFrame(Menus().Menu_HLineNewPage, CanvasIndex, {}, [&] {
        NewPageToggle(CanvasIndex, -1, target);
        PageBreakMarkShow(CanvasIndex, std::as_const(lblSubLine2)[target], -1, target);
    }, false, false);
}

void CanvasForm::Menu_EditNewPageReset_Click()
{
    editFrame(Menus().Menu_EditNewPageReset, -1, {}, [] { NewPageResetAll(); }, false, false);
}

// ---------------------------------------------------------------------------------------------
// Box-editor sessions: the editor's update takes the undo step

void CanvasForm::Menu_BoxEditor_Click()
{
    // Only a single selected box opens an editor: a line's index is no box's.
    if (LockPartsKind != 1 || !LockPartsEditorEnabled || LockPartsTarget < 1)
        return;
    RunCommand(this, [this] {
        BoxEditModify(CanvasIndex, LockPartsTarget);
        PartsLock(0, -1, 0, false);
    });
}

void CanvasForm::Menu_VLineAdd_Click()
{
    RunCommand(this, [this] {
        if (insertBefore())
            BoxEditBefore(CanvasIndex, LockPartsTarget);
        else
            BoxEditAfter(CanvasIndex, LockPartsTarget);
        PartsLock(0, -1, 0, false);
    });
}

void CanvasForm::Menu_HLineAdd_Click()
{
    RunCommand(this, [this] {
        subLineAdd(LockPartsTarget);
        PartsLock(0, -1, 0, false);
    });
}

// ---------------------------------------------------------------------------------------------
// Whole-canvas and document commands

void CanvasForm::Menu_EditALL_Click()
{
    RunCommand(this, [this] {
        PartsLock(0, -1, 0, false);
        const CanvasLabelArray& boxes = lblBox;
        for (int i = 1; i <= boxes.UBound(); ++i) {
            if (!boxes.IsLoaded(i))
                continue;
            const BoxRecord& box = boxRecord(i);
            // The mark an empty canvas shows where its routine starts is no box of the chart.
            if ((box.flags & BoxFlag::Shown) && !(box.flags & BoxFlag::Temporary) && box.tagType != TagId::Egg)
                PartsLock(1, i, 1, false);
        }
        PartsLockMenuSet(0, -1);
    });
}

void CanvasForm::historyStep(bool undo)
{
    RunCommand(this, [this, undo] {
        SearchHighlightHide(true);
        if (HistoryStepHeld(undo))
            return;
        PartsLock(0, -1, 0, false);
        HistoryRestore(undo);
        // A restored step may bring back or take away canvases: every caption shows its number.
        CanvasCaptionRefresh();
    });
}

void CanvasForm::Menu_EditUndo_Click()
{
    historyStep(true);
}

void CanvasForm::Menu_EditRedo_Click()
{
    historyStep(false);
}

void CanvasForm::Menu_EditCanvasDelete_Click()
{
    RunCommand(this, [this] {
        SearchHighlightHide(true);
        if (BoxEditorCloseCheck(false, CanvasIndex))
            return;
        SetModifyFlag(true);
        HistoryAdd(Menus().Menu_EditCanvasDelete->text(), CanvasIndex);
        // Closed, not freed: the slot and its boxes stay for the undo.
        CanvasStateSet(CanvasIndex, CanvasState::Closed);
        CanvasSequenceRenumber();
        PadDrawRefresh(CanvasIndex);
        CanvasCaptionRefresh();
    });
}

// ---------------------------------------------------------------------------------------------
// The Edit items that hand over to the popup command of the selected kind

void CanvasForm::Menu_EditCut_Click()
{
    if (!editEnables().cut)
        return;
    if (LockPartsKind == 1)
        Menu_BoxCut_Click();
    else if (LockPartsKind == 4)
        Menu_HLineCut_Click();
}

void CanvasForm::Menu_EditCopy_Click()
{
    if (!editEnables().copy)
        return;
    if (LockPartsKind == 1)
        Menu_BoxCopy_Click();
    else if (LockPartsKind == 4)
        Menu_HLineCopy_Click();
}

void CanvasForm::Menu_EditPaste_Click()
{
    if (!editEnables().paste)
        return;
    if (LockPartsKind == 2 || LockPartsKind == 3)
        Menu_VLinePaste_Click();
    else if (LockPartsKind == 4)
        Menu_HLinePaste_Click();
}

void CanvasForm::Menu_EditCopyTask_Click()
{
    if (!editEnables().copyTask)
        return;
    if (LockPartsKind == 1)
        Menu_BoxCopyTask_Click();
    else if (LockPartsKind == 4)
        Menu_HLineCopyTask_Click();
}

void CanvasForm::Menu_EditPasteTask_Click()
{
    if (!editEnables().pasteTask)
        return;
    if (LockPartsKind == 2 || LockPartsKind == 3)
        Menu_VLinePasteTask_Click();
    else if (LockPartsKind == 4)
        Menu_HLinePasteTask_Click();
}

void CanvasForm::Menu_EditDelete_Click()
{
    if (editEnables().del)
        Menu_BoxDelete_Click();
}

void CanvasForm::Menu_EditDeleteLump_Click()
{
    if (!editEnables().deleteLump)
        return;
    if (LockPartsKind == 1)
        Menu_BoxDeleteLump_Click();
    else if (LockPartsKind == 4)
        Menu_HLineDeleteLump_Click();
}

void CanvasForm::Menu_EditEditor_Click()
{
    Menu_BoxEditor_Click();
}

void CanvasForm::Menu_EditAdd_Click()
{
    if (!editEnables().add)
        return;
    if (LockPartsKind == 2 || LockPartsKind == 3)
        Menu_VLineAdd_Click();
    else if (LockPartsKind == 4)
        Menu_HLineAdd_Click();
}

void CanvasForm::Menu_EditFontChange_Click()
{
    if (editEnables().fontChange)
        Menu_BoxFontChange_Click();
}

void CanvasForm::Menu_EditFontChangeLump_Click()
{
    if (!editEnables().fontChangeLump)
        return;
    if (LockPartsKind == 1)
        Menu_BoxFontChangeLump_Click();
    else if (LockPartsKind == 4)
        Menu_HLineFontChangeLump_Click();
}

void CanvasForm::Menu_EditChink_Click()
{
    if (editEnables().chink)
        Menu_VLineChink_Click();
}

void CanvasForm::Menu_EditConnect_Click()
{
    if (editEnables().connect)
        Menu_VLineConnect_Click();
}

void CanvasForm::Menu_EditNewPage_Click()
{
    if (!editEnables().newPage)
        return;
    if (LockPartsKind == 2)
        Menu_VLineNewPage_Click();
    else if (LockPartsKind == 4)
        Menu_HLineNewPage_Click();
}

// ---------------------------------------------------------------------------------------------
// Format

void CanvasForm::formatToggle(QAction* item, bool& setting, bool markModified)
{
    const bool editMode = item == Menus().Menu_FormatEditMode;
    RunCommand(
        this,
        [&] {
            if (markModified)
                SetModifyFlag(true);
            HistoryAdd(item->text(), 0);
            setting = !setting;
            item->setChecked(setting);
            Menus().Menu_FormatNoteNotFrame->setEnabled(!ApplicationGlobals.NoteNotShow);
            CanvasesRefreshInOrder();
            if (editMode)
                EditModeShow();
        },
        editMode);
}

void CanvasForm::Menu_FormatNoteNotShow_Click()
{
    formatToggle(Menus().Menu_FormatNoteNotShow, ApplicationGlobals.NoteNotShow, true);
}

void CanvasForm::Menu_FormatNoteNotFrame_Click()
{
    formatToggle(Menus().Menu_FormatNoteNotFrame, ApplicationGlobals.NoteNotFrame, true);
}

void CanvasForm::Menu_FormatReplaceJump_Click()
{
    formatToggle(Menus().Menu_FormatReplaceJump, ApplicationGlobals.ReplaceJump, true);
}

void CanvasForm::Menu_FormatEditMode_Click()
{
    // The edit mode is no part of the document: switching it changes nothing to save.
    formatToggle(Menus().Menu_FormatEditMode, ApplicationGlobals.EditModeFlag, false);
}

void CanvasForm::formatApply(const QAction* item, const std::function<void()>& apply)
{
    SetModifyFlag(true);
    HistoryAdd(item->text(), 0);
    apply();
    CanvasesRefreshInOrder();
}

void CanvasForm::Menu_FormatFrameColor_Click()
{
    RunCommand(this, [this] {
        bool sameText = ApplicationGlobals.FrameSameText;
        QString color = ApplicationGlobals.FrameColor;
        if (!Program().FrameSettingDialog(Menus().Menu_FormatFrameColor->text(), sameText, color))
            return;
        formatApply(Menus().Menu_FormatFrameColor, [&] {
            ApplicationGlobals.FrameSameText = sameText;
            ApplicationGlobals.FrameColor = color;
        });
    });
}

void CanvasForm::Menu_FormatCanvasColor_Click()
{
    RunCommand(this, [this] {
        QString color = ApplicationGlobals.CanvasColorName;
        if (!Program().CanvasColorDialog(Menus().Menu_FormatCanvasColor->text(), color))
            return;
        formatApply(Menus().Menu_FormatCanvasColor, [&] { ApplicationGlobals.CanvasColorName = color; });
    });
}

void CanvasForm::Menu_FormatCanvasName_Click()
{
    RunCommand(this, [this] {
        QString name = CanvasDataGet(CanvasIndex).name;
        if (!Program().CanvasNameDialog(name))
            return;
        SetModifyFlag(true);
        HistoryAdd(Menus().Menu_FormatCanvasName->text(), CanvasIndex);
        SetCaption(CanvasCaptionMake(CanvasIndex, name));
        FocusCanvasShow(Caption());
    });
}

void CanvasForm::Menu_FormatCanvasSequence_Click()
{
    RunCommand(this, [this] {
        // The dialog stores the order and takes the undo step itself.
        if (!Program().CanvasSequenceDialog(Menus().Menu_FormatCanvasSequence->text()))
            return;
        CanvasCaptionRefresh();
        FocusCanvasShow(Caption());
    });
}

void CanvasForm::Menu_FormatFont_Click()
{
    RunCommand(this, [this] { DefaultFontSetting(Menus().Menu_FormatFont->text()); });
}

// ---------------------------------------------------------------------------------------------
// The canvas popup

void CanvasForm::Menu_CanvasMinimized_Click()
{
    SetWindowState(1);
}

void CanvasForm::Menu_CanvasNonIndication_Click()
{
    close();
}

void CanvasForm::Menu_CanvasReFresh_Click()
{
    CanvasBusyWait(CanvasIndex);
    SetAutoRedraw(true);
    Cls();
    PaintEventRelease(true);
}

// ---------------------------------------------------------------------------------------------
// Show and Window

void CanvasForm::Menu_ShowMinimized_Click()
{
    Menu_CanvasMinimized_Click();
}

void CanvasForm::Menu_ShowNonIndication_Click()
{
    Menu_CanvasNonIndication_Click();
}

void CanvasForm::Menu_ShowReFresh_Click()
{
    if (WindowState() == 1)
        SetWindowState(0);
    else
        Menu_CanvasReFresh_Click();
}

void CanvasForm::barToggle(QAction* item, const QString& mainItem)
{
    if (MainMenuLink* main = MainMenu()) {
        main->MenuRun(mainItem + QStringLiteral("_Click"), -1);
        item->setChecked(main->MenuChecked(mainItem));
    }
}

void CanvasForm::Menu_ShowToolBar_Click()
{
    barToggle(Menus().Menu_ShowToolBar, QStringLiteral("Menu_ShowToolBar"));
}

void CanvasForm::Menu_ShowStatusBar_Click()
{
    barToggle(Menus().Menu_ShowStatusBar, QStringLiteral("Menu_ShowStatusBar"));
}

namespace {

void Arrange(int arrangement)
{
    if (MainMenuLink* main = MainMenu())
        main->FormArrange(arrangement);
}

} // namespace

void CanvasForm::Menu_WindowTileHorizontal_Click()
{
    Arrange(1);
}

void CanvasForm::Menu_WindowTileVertical_Click()
{
    Arrange(2);
}

void CanvasForm::Menu_WindowCascade_Click()
{
    Arrange(0);
}

void CanvasForm::Menu_WindowArrangeIcons_Click()
{
    Arrange(3);
}

} // namespace vellumora
