#include "app/dialogs/BoxEditor.h"

#include "app/diagram/FileInterface.h"
#include "app/diagram/FontAndColor.h"
#include "app/diagram/TagTable.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/ProgramLink.h"
#include "app/core/CanvasSurface.h"
#include "app/core/DebugLog.h"
#include "app/core/MainMenuLink.h"
#include "app/core/MainWindowLink.h"
#include "app/core/Processing.h"
#include "app/core/Utilities.h"
#include "platform/grid/Grid.h"
#include "platform/vbrt/Value.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace vellumora {

namespace {

const QString StandardName = QStringLiteral("標準");

} // namespace

BoxEditor::BoxEditor(QWidget* parent) : QWidget(parent)
{
    FormTagSet(this, QStringLiteral("EM"));
    setWindowTitle(QStringLiteral("Box編集"));
    createControls();
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
    // Made after the window's key handling is in place: they stand in the main window's menu
    // bar, and a key pressed in them (Esc, Enter) is theirs, never the window's Cancel or Update.
    createMenus();
}

BoxEditor::~BoxEditor()
{
    if (unloaded_)
        return;
    // Destroyed without being unloaded (its box was freed): the session still ends, once.
    unloaded_ = true;
    setProperty("unloading", true);
    if (!editFinished_) {
        editFinished_ = true;
        try {
            SessionReturn(true);
        } catch (...) {
            // The window is going whatever happens; work files left over go at shutdown.
        }
    }
}

QWidget* BoxEditor::frame() const
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        return sub;
    return const_cast<BoxEditor*>(this);
}

QString BoxEditor::Caption() const
{
    return windowTitle();
}

void BoxEditor::Command(const std::function<void()>& work)
{
    RunCommand(this, work);
}

void BoxEditor::Show()
{
    // A box editor lives in the main window's workspace when there is one.
    if (parentWidget() == nullptr && MainWindow()) {
        if (QMdiSubWindow* sub = MainWindow()->placeInWorkspace(this); sub && sub->mdiArea()) {
            connect(sub->mdiArea(), &QMdiArea::subWindowActivated, this, [this, sub](QMdiSubWindow* active) {
                if (active == sub && !unloaded_ && !firstActivate_)
                    EventBoundary([this] { Form_Activate(); });
            });
        }
    }
    Form_Load();
    frame()->resize(frame() == this ? size() : frame()->sizeHint().expandedTo(size()));
    show();
    frame()->show();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(frame()); sub && sub->mdiArea()) {
        // Wholly inside the work area where it fits, so that Update and Cancel can be reached: no
        // larger than the area while its controls still fit, and a larger window keeps its top
        // left corner in view.
        const QRect area = sub->mdiArea()->viewport()->rect();
        sub->resize(sub->size().boundedTo(area.size()).expandedTo(sub->minimumSizeHint()));
        QRect placed = sub->geometry();
        placed.moveLeft(std::max(0, std::min(placed.left(), area.width() - placed.width())));
        placed.moveTop(std::max(0, std::min(placed.top(), area.height() - placed.height())));
        sub->move(placed.topLeft());
        // A new editor is the window the user works in next, in front of the canvas it came from.
        sub->mdiArea()->setActiveSubWindow(sub);
    }
    Form_Activate();
}

void BoxEditor::Form_Load()
{
    firstActivate_ = true;
    editFinished_ = false;
    FormControlsClear(this, true);
    selectedKindRow_ = TagTableRecord::Default;
    initialKindRow_ = TagTableRecord::Default;
    styleValues_.assign(PR.StyleAttributeTable.size(), 0);
    preview->Reset();

    editRecords_.clear();
    PadFileOpen(TrayPutFileName);
    try {
        for (;;) {
            PadInfoRecord record = GetPadInfo();
            if (record.tagId == 0) {
                if (editRecords_.empty())
                    editRecords_.push_back(record);
                break;
            }
            editRecords_.push_back(std::move(record));
        }
    } catch (...) {
        PadFileClose();
        throw;
    }
    PadFileClose();

    // 7560 by 6720 twips.
    resize(7560 / platform::vbrt::TwipsPerPixel, 6720 / platform::vbrt::TwipsPerPixel);
    QString caption = QStringLiteral("Box編集");
    if (TrayEditMode != BoxEditMode::Modify)
        caption += QStringLiteral("(追加)");
    setWindowTitle(caption);
}

void BoxEditor::Form_Activate()
{
    if (unloaded_)
        return;
    if (firstActivate_) {
        firstActivate_ = false;
        PanelsEnable();
        const PadInfoRecord& record = editRecords_.front();

        BoxTypeModeSet();
        int selected = -1;
        {
            const QSignalBlocker block(cmbBoxType);
            cmbBoxType->clear();
            for (const TagTableRecord& row : PR.TagTable) {
                if (!BoxTypeAllowed(row.id))
                    continue;
                cmbBoxType->addItem(row.boxName, row.id);
                if (row.id == record.tagId)
                    selected = cmbBoxType->count() - 1;
            }
            if (selected < 0 && cmbBoxType->count() > 0)
                selected = 0;
            cmbBoxType->setCurrentIndex(selected);
        }
        if (selected >= 0)
            cmbBoxType_Click();
        // The sub levels the box had decide the warning at Update, also when its own kind is no
        // longer offered: a kind chosen in its place must not drop the body below unasked.
        initialKindRow_ = TagTableGet(record.tagId);

        const FontCode code = FontModifyChech(StringDefault(record.font, StandardName));
        const QString name = FontNameIndex(code) == 0 ? QString() : FontNameText(FontNameIndex(code));
        const QString size = FontSizeIndex(code) == 0 ? QString() : FontSizeText(FontSizeValue(FontSizeIndex(code)));
        FontNameComboSet(cmbFontName, true, name);
        OwnValueShow(cmbFontName, name);
        FontSizeComboSet(cmbFontSize, true, size);
        OwnValueShow(cmbFontSize, size);
        ColorComboSet(cmbColor, true, record.color);
        OwnValueShow(cmbColor, record.color);
        cmbFontName_Click();
        cmbFontSize_Click();
        cmbColor_Click();
        chkFontBold->setChecked(FontBoldFlag(code));
        chkFontItalic->setChecked(FontItalicFlag(code));
        chkFontStrikethru->setChecked(FontStrikethruFlag(code));
        chkFontUnderLine->setChecked(FontUnderlineFlag(code));
        chkFont_Click();

        SetBoxText(record.text);
        optLoop[0]->setChecked(record.before);
        optLoop[1]->setChecked(record.after);

        CaseGridLoad();
        FreeStyleLoad(record.style);
        cmdFreeStyle_Click(-1);
    }
    MenusRefresh();
    Guarded([this] { ProcessingEnd(this); });
}

void BoxEditor::SessionReturn(bool cancel)
{
    // The call unloads this window: the tray is copied first, as the window may go meanwhile.
    const BoxEditorTray tray = *this;
    Program().BoxEditorReturn(tray, cancel);
}

void BoxEditor::cmdCancel_Click()
{
    cmdCancel->setFocus(Qt::OtherFocusReason);
    Command([this] {
        if (!editFinished_) {
            editFinished_ = true;
            SessionReturn(true);
        }
    });
}

void BoxEditor::Unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    setProperty("unloading", true);
    FocusCanvasShow(QString());
    if (!editFinished_) {
        Command([this] {
            editFinished_ = true;
            SessionReturn(true);
        });
    }
    styleValues_.clear();
    QWidget* f = frame();
    f->hide();
    f->deleteLater();
    CanvasWindowFront();
    if (MainMenuLink* main = MainMenu())
        main->MDIForm_Activate();
}

void BoxEditor::CanvasWindowFront()
{
    auto* own = qobject_cast<QMdiSubWindow*>(frame());
    if (!own || !own->mdiArea() || TrayBaseIndex <= 0 || static_cast<std::size_t>(TrayBaseIndex) >= B.size())
        return;
    QWidget* canvas = B[TrayBaseIndex].form.data();
    auto* sub = canvas ? qobject_cast<QMdiSubWindow*>(canvas->parentWidget()) : nullptr;
    if (sub && sub->mdiArea() == own->mdiArea() && !sub->isHidden())
        own->mdiArea()->setActiveSubWindow(sub);
}

void BoxEditor::closeEvent(QCloseEvent* event)
{
    EventBoundary([this] { Unload(); });
    event->accept();
}

void BoxEditor::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // A window of its own (no workspace) is activated by the window system.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && frame() == this && !firstActivate_ && !unloaded_)
        EventBoundary([this] { Form_Activate(); });
}

bool BoxEditor::Form_KeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    // Keys typed while another command holds the main window are dropped.
    if (MainWindow() && !FormEnabled(MainWindow()->window()))
        return true;
    int code = key;
    DialogKeyDown(code, static_cast<int>(modifiers), this);
    if (code != 0 && !unloaded_)
        DebugKeyCheck(code, static_cast<int>(modifiers), this);
    if (code == 0 || unloaded_)
        return true;
    if (key == Qt::Key_F4 && (modifiers & Qt::ControlModifier))
        return true;
    if (modifiers == Qt::NoModifier || modifiers == Qt::KeypadModifier) {
        if (key == Qt::Key_Escape) {
            cmdCancel->click();
            return true;
        }
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && EnterPressesUpdate()) {
            QWidget* focus = QApplication::focusWidget();
            if (auto* button = qobject_cast<QPushButton*>(focus); button && isAncestorOf(button))
                button->click();
            else
                cmdUpdate->click();
            return true;
        }
    }
    return false;
}

bool BoxEditor::EnterPressesUpdate() const
{
    // Read from where the focus is, never kept from focus events: the grid hears that it lost
    // the focus only after the text box that took it heard that it got it.
    const QWidget* focus = QApplication::focusWidget();
    return focus != txtText && focus != sprCase && !sprCase->isAncestorOf(focus);
}

bool BoxEditor::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        // A key reaches the window before its controls; the grid's own cells included.
        bool consumed = false;
        EventBoundary([&] { consumed = Form_KeyDown(key->key(), key->modifiers()); });
        if (consumed)
            return true;
        break;
    }
    case QEvent::FocusIn:
        if (watched == txtText) {
            if (FieldEntered(event))
                txtText->selectAll();
        } else if (watched == cmdInsert) {
            lastButtonName_ = QStringLiteral("cmdInsert");
        } else if (watched == cmdUpdate) {
            lastButtonName_ = QStringLiteral("cmdUpdate");
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

QWidget* BoxEditorShow(const BoxEditorTray& tray)
{
    auto* editor = new BoxEditor;
    static_cast<BoxEditorTray&>(*editor) = tray;
    try {
        editor->Show();
    } catch (...) {
        // A window that could not load hands its session back and goes.
        editor->Unload();
        throw;
    }
    return editor;
}

} // namespace vellumora
