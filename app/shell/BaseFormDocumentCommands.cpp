// The main window's document commands: the command frame, the save prompt, and the File and Edit
// commands.

#include "app/shell/BaseForm.h"

#include "app/canvas/CanvasForm.h"
#include "app/canvas/CopyAndPaste.h"
#include "app/canvas/HistoryControl.h"
#include "app/canvas/PageSetting.h"
#include "app/diagram/BoxList.h"
#include "app/diagram/FileInterface.h"
#include "app/diagram/PadDraw.h"
#include "app/diagram/SearchEngine.h"
#include "app/dialogs/SearchReplace.h"
#include "app/print/PrintCanvas.h"
#include "app/print/PrintSetting.h"
#include "app/diagram/ReportSetting.h"
#include "app/core/AddOnHooks.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/EditState.h"
#include "app/core/Processing.h"
#include "app/core/Utilities.h"
#include "app/shell/WorkspaceScroll.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

namespace vellumora {

namespace {

QString UpdateConfirmMessage()
{
    return DocumentDisplayName(CurrentDocument) + QStringLiteral(" は更新されています。保存しますか？");
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The command frame, the save prompt and the document steps

void BaseForm::Command(bool hideHighlight, bool checkEditors, const std::function<void()>& work, bool force)
{
    RunCommand(this, [&] {
        if (hideHighlight)
            SearchHighlightHide(true);
        if (!checkEditors || !BoxEditorCloseCheck(true, -1))
            work();
    }, force);
}

void BaseForm::CommandEnd(bool force)
{
    Guarded([&] { ProcessingEnd(this, false, force); });
}

bool BaseForm::SavePrompt()
{
    if (!GetModifyFlag() || !DocumentOpened())
        return true;
    switch (YesNoCancelMessageBox(UpdateConfirmMessage(), 0, QString())) {
    case 6:
        return SaveUnderNewName();
    case 7:
        return true;
    default:
        return false;
    }
}

bool BaseForm::SaveUnderNewName()
{
    const QString previous = ApplicationGlobals.DocumentName;
    if (!FileSaveDialog(dlgPrint))
        return false;
    CaptionSet(QString());
    try {
        PadFileSave();
    } catch (...) {
        // Not saved: the document keeps its old name.
        ApplicationGlobals.DocumentName = previous;
        CaptionSet(QString());
        throw;
    }
    ClipboardReset();
    return true;
}

void BaseForm::DocumentOpen(const QString& path)
{
    // A file that cannot be read as a document is refused before anything of the open one is
    // dropped: the open document, its name and its undo history stay. A document an add-on
    // supplied is named by its work file, a TAB and its title: the file is what is read, once:
    // the loader goes on from the input opened here.
    PadDocumentOpen(DocumentPathPart(path));

    HistoryClear();
    ApplicationGlobals.DocumentName = path;
    CaptionSet(QString());
    try {
        CanvasSizeLoad();
        PadDrawGetData(QString());
        CanvasWindowsCreate();
    } catch (...) {
        // No document may go on pointing at a file that did not load.
        DocumentDrop();
        throw;
    }
    SetModifyFlag(false);
    EditModeShow();
    // Thousands of canvases may be shown and named below: the windows are cascaded at the end,
    // and the status bar shows only the last names.
    const WorkspaceScroll::CascadeFollows cascade(workspaceScroll);
    const PanelTextsHeld panels(this);
    CanvasOrderSave();
    PadDrawRefresh(-1);
    CanvasOrderRestore();
    ClipboardInitialize();
    FormArrange(0);
}

void BaseForm::DocumentDrop()
{
    PadFileClose();
    CanvasesRelease(1);
    ApplicationGlobals.DocumentName.clear();
    SetModifyFlag(false);
    HistoryClear();
    CaptionSet(QString());
    EditModeShow();
    UnVisibleCanvasShow();
}

void BaseForm::DocumentAppend(const QString& path, const QString& caption)
{
    // Refused before anything changes, like an open; the loader goes on from the input opened here.
    PadDocumentOpen(path);

    const std::size_t first = B.size();
    HistoryEdit(caption, -1, [&] {
        try {
            PadDrawGetData(path);
            CanvasWindowsCreate();
            CanvasSequenceRenumber();
        } catch (...) {
            // The canvases read so far go again: the document stays as it was before.
            PadFileClose();
            CanvasesRelease(first);
            throw;
        }
    });
    for (std::size_t c = B.size(); c-- > first;)
        PadDrawRefresh(static_cast<std::int16_t>(c));
    ClipboardInitialize();
    FormEnable(this, true);
    if (first < B.size()) {
        if (CanvasForm* form = CanvasWindowOf(B[first])) {
            FormEnable(form, true);
            form->setFocus();
        }
    }
    FormArrange(0);
}

bool BaseForm::QueryUnload()
{
    CanvasTimersStop();
    // What a box editor holds is no part of the document yet: an unchanged document does not
    // close over it without the question either.
    if (BoxEditorCloseCheck(true, -1))
        return false;
    if (!GetModifyFlag()) {
        ApplicationGlobals.ApplicationClosing = true;
        return true;
    }
    switch (YesNoCancelMessageBox(UpdateConfirmMessage(), 0, QString())) {
    case 6:
        if (!SaveUnderNewName())
            return false;
        HistoryClear();
        ApplicationGlobals.ApplicationClosing = true;
        return true;
    case 7:
        ApplicationGlobals.ApplicationClosing = true;
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------------------------
// File commands

void BaseForm::Menu_FileNewFileObstinate_Click(int Index)
{
    Command(true, true, [&] {
        if (!SavePrompt())
            return;
        HistoryClear();
        ApplicationGlobals.DocumentName = QStringLiteral("\t(新規追加)");
        CaptionSet(QString());
        CanvasSizeLoad();
        PadDrawGetData(QString());
        const std::int32_t kind = ObstinateGet(static_cast<std::int16_t>(Index));
        const std::int16_t c = CanvasSlotSetup(-1, kind);
        CanvasStateSet(c, CanvasState::Open);
        BoxListClear(c);
        CanvasSequenceRenumber();
        // A new document starts unchanged, whatever the document before it was.
        SetModifyFlag(false);
        EditModeShow();
        CanvasOrderSave();
        PadDrawRefresh(-1);
        CanvasOrderRestore();
        FormArrange(0);
        UnVisibleCanvasShow();
    });
}

void BaseForm::Menu_FileOpen_Click()
{
    Command(true, true, [&] {
        if (!SavePrompt())
            return;
        // The undo history goes only when another document really replaces this one.
        QString path = ApplicationGlobals.DocumentName;
        if (FileOpenDialog(dlgPrint, path))
            DocumentOpen(path);
        else
            CaptionSet(QString());
        UnVisibleCanvasShow();
    });
}

void BaseForm::Menu_FileSaveOverWrite_Click()
{
    // A document without a file of its own can only be saved under a new name.
    if (DocumentSavePath(CurrentDocument).isEmpty()) {
        Menu_FileSaveNamed_Click();
        return;
    }
    Command(true, true, [] {
        PadFileSave();
        ClipboardReset();
    });
}

void BaseForm::Menu_FileSaveNamed_Click()
{
    Command(true, true, [&] {
        if (SaveUnderNewName())
            HistoryClear();
    });
}

void BaseForm::Menu_FileAddInput_Click()
{
    Command(true, false, [&] {
        QString path;
        if (!FileOpenDialog(dlgPrint, path))
            return;
        DocumentAppend(path, MenuCaption(Menu_FileAddInput));
    });
}

void BaseForm::Menu_FileAddOn_Click(int Index)
{
    const QString action = AddOnMenuAction(QStringLiteral("Menu_File"), static_cast<std::int16_t>(Index));
    if (action == QLatin1String("Open")) {
        Command(true, true, [&] {
            if (!SavePrompt())
                return;
            QString document = ApplicationGlobals.DocumentName;
            if (AddOnGetData(QStringLiteral("Menu_File"), static_cast<std::int16_t>(Index), document))
                DocumentOpen(document);
            else
                CaptionSet(QString());
            UnVisibleCanvasShow();
        });
    } else if (action == QLatin1String("AddInput")) {
        Command(true, false, [&] {
            QString path;
            if (AddOnGetData(QStringLiteral("Menu_File"), static_cast<std::int16_t>(Index), path))
                DocumentAppend(DocumentPathPart(path), MenuCaption(Menu_FileAddOn[static_cast<std::size_t>(Index)]));
            FormArrange(0);
        });
    }
}

void BaseForm::Menu_FileRefresh_Click()
{
    Command(
        true, false,
        [&] {
            CanvasVisibleSet(-1, true);
            PadDrawRefresh(-1);
            FormEnable(this, true);
            CanvasZOrderArrange();
            for (QMdiSubWindow* sub : workspace->subWindowList())
                if (FormTag(sub->widget()).contains(QLatin1Char('E')))
                    sub->showNormal();
            FormArrange(0);
            UnVisibleCanvasShow();
        },
        true);
}

void BaseForm::Menu_FilePrintSetting_Click()
{
    Command(false, false, [&] {
        PrintSetting dialog(this);
        dialog.TrayCaption = MenuCaption(Menu_FilePrintSetting);
        dialog.ShowModal();
        if (!dialog.TrayCancel)
            ReportSettingApply();
    });
}

void BaseForm::Menu_FilePrint_Click()
{
    Command(true, true, [&] {
        PrintCanvas dialog(this);
        dialog.TrayCaption = MenuCaption(Menu_FilePrint);
        dialog.ShowModal();
    });
}

void BaseForm::Menu_FileClose_Click()
{
    Guarded([this] {
        ProcessingStart(this);
        SearchHighlightHide(true);
    });
    // A cancelled close ends the busy state itself.
    close();
}

// ---------------------------------------------------------------------------------------------
// Edit commands

void BaseForm::HistoryStep(bool undo)
{
    // A canvas window in front runs its own command.
    if (CanvasForm* canvas = AsCanvas(ActiveForm())) {
        undo ? canvas->Menu_EditUndo_Click() : canvas->Menu_EditRedo_Click();
        return;
    }
    Command(true, false, [undo] {
        if (HistoryStepHeld(undo))
            return;
        HistoryRestore(undo);
        CanvasCaptionRefresh();
    });
}

void BaseForm::Menu_EditUndo_Click()
{
    HistoryStep(true);
}

void BaseForm::Menu_EditRedo_Click()
{
    HistoryStep(false);
}

void BaseForm::Menu_EditCanvasInsertObstinate_Click(int Index)
{
    Command(true, false, [&] {
        const std::int32_t kind = ObstinateGet(static_cast<std::int16_t>(Index));
        const std::int16_t c = CanvasSlotSetup(-1, kind);
        SetModifyFlag(true);
        HistoryAdd(MenuCaption(Menu_EditCanvasInsert->menuAction()), c);
        CanvasStateSet(c, CanvasState::Open);
        BoxListClear(c);
        CanvasSequenceRenumber();
        PadDrawRefresh(c);
        if (CanvasForm* form = CanvasWindowOf(B[static_cast<std::size_t>(c)])) {
            form->ZOrder();
            if (auto* sub = qobject_cast<QMdiSubWindow*>(form->parentWidget()))
                workspace->setActiveSubWindow(sub);
        }
    });
}

void BaseForm::Menu_EditSearch_Click()
{
    SearchDialogShow(false);
}

void BaseForm::Menu_EditReplace_Click()
{
    SearchDialogShow(true);
}

void BaseForm::SearchDialogShow(bool replace)
{
    const bool shown = Guarded([&] {
        ProcessingStart(this);
        if (replace && BoxEditorCloseCheck(true, -1)) {
            CommandEnd();
            return;
        }
        // The dialog ends the busy state and hands the main window back when it closes.
        auto* dialog = new SearchReplace(this);
        dialog->TrayReplace = replace;
        SearchReplaceShow = true;
        dialog->ShowModeless();
    });
    if (!shown)
        CommandEnd();
}

void BaseForm::Menu_EditSearchNext_Click()
{
    Command(false, false, [&] {
        if (!SearchFound())
            SearchExecute();
        if (SearchFound())
            SearchNextShow();
        if (!SearchFound()) {
            ProcessingEnd(this, false, false);
            InformationMessageBox(QStringLiteral("検索が終了しました。"));
            SearchReset();
        }
    });
}

} // namespace vellumora
