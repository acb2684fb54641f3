#include "app/shell/BaseForm.h"

#include "app/canvas/CanvasForm.h"
#include "app/diagram/PadDraw.h"
#include "app/print/PrintCanvas.h"
#include "app/core/AddOnHooks.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/MainMenuLink.h"
#include "app/core/MainWindowLink.h"
#include "app/core/Processing.h"
#include "app/shell/WorkspaceScroll.h"
#include "platform/statusbar/StatusPanels.h"
#include "platform/vbrt/Error.h"
#include "platform/vbrt/Value.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QWindow>

namespace vellumora {

namespace {

namespace vbrt = platform::vbrt;

BaseForm* theBaseForm = nullptr;

const QString ProductName = QStringLiteral("Vellumora");

} // namespace

// What the shell's routines need of the main window, and the menu commands child windows forward.
class BaseForm::Link : public MainWindowLink, public MainMenuLink {
public:
    explicit Link(BaseForm* form) : form_(form) {}
    QWidget* window() override { return form_; }
    QWidget* activeChild() override { return form_->ActiveForm(); }
    void setBusyPointer(bool busy) override
    {
        if (busy)
            form_->setCursor(Qt::WaitCursor);
        else
            form_->unsetCursor();
    }
    void setTimerRunning(bool running) override
    {
        if (running)
            form_->timBaseForm->start();
        else
            form_->timBaseForm->stop();
    }
    void ScrollBarArrange() override { form_->ScrollBarArrange(); }
    void CaptionSet(const QString& text) override { form_->CaptionSet(text); }
    void setStatusPanelText(const QString& key, const QString& text) override
    {
        form_->PanelTextSet(key, text);
    }
    QMdiSubWindow* placeInWorkspace(QWidget* child) override
    {
        QMdiSubWindow* sub = form_->workspaceScroll->WindowAdd(child);
        sub->installEventFilter(form_);
        return sub;
    }
    void ToolBarArrange() override { form_->ToolBarArrange(); }
    void searchReplaceClosed(bool redraw) override
    {
        form_->SearchReplaceShow = false;
        form_->RegainLeadership(redraw);
    }

    bool MenuRun(const QString& handler, int index) override
    {
        using Plain = void (BaseForm::*)();
        using Indexed = void (BaseForm::*)(int);
        static const std::map<QString, Plain> plain = {
            {QStringLiteral("Menu_FileOpen_Click"), &BaseForm::Menu_FileOpen_Click},
            {QStringLiteral("Menu_FileSaveOverWrite_Click"), &BaseForm::Menu_FileSaveOverWrite_Click},
            {QStringLiteral("Menu_FileSaveNamed_Click"), &BaseForm::Menu_FileSaveNamed_Click},
            {QStringLiteral("Menu_FileAddInput_Click"), &BaseForm::Menu_FileAddInput_Click},
            {QStringLiteral("Menu_FileRefresh_Click"), &BaseForm::Menu_FileRefresh_Click},
            {QStringLiteral("Menu_FilePrintSetting_Click"), &BaseForm::Menu_FilePrintSetting_Click},
            {QStringLiteral("Menu_FilePrint_Click"), &BaseForm::Menu_FilePrint_Click},
            {QStringLiteral("Menu_FileClose_Click"), &BaseForm::Menu_FileClose_Click},
            {QStringLiteral("Menu_EditUndo_Click"), &BaseForm::Menu_EditUndo_Click},
            {QStringLiteral("Menu_EditRedo_Click"), &BaseForm::Menu_EditRedo_Click},
            {QStringLiteral("Menu_EditSearch_Click"), &BaseForm::Menu_EditSearch_Click},
            {QStringLiteral("Menu_EditSearchNext_Click"), &BaseForm::Menu_EditSearchNext_Click},
            {QStringLiteral("Menu_EditReplace_Click"), &BaseForm::Menu_EditReplace_Click},
            {QStringLiteral("Menu_ShowToolBar_Click"), &BaseForm::Menu_ShowToolBar_Click},
            {QStringLiteral("Menu_ShowStatusBar_Click"), &BaseForm::Menu_ShowStatusBar_Click},
            {QStringLiteral("Menu_HelpVersion_Click"), &BaseForm::Menu_HelpVersion_Click},
        };
        static const std::map<QString, Indexed> indexed = {
            {QStringLiteral("Menu_FileNewFileObstinate_Click"), &BaseForm::Menu_FileNewFileObstinate_Click},
            {QStringLiteral("Menu_FileAddOn_Click"), &BaseForm::Menu_FileAddOn_Click},
            {QStringLiteral("Menu_EditCanvasInsertObstinate_Click"), &BaseForm::Menu_EditCanvasInsertObstinate_Click},
            {QStringLiteral("Menu_ToolAddOn_Click"), &BaseForm::Menu_ToolAddOn_Click},
            {QStringLiteral("Menu_HelpAdd_Click"), &BaseForm::Menu_HelpAdd_Click},
        };
        if (auto it = plain.find(handler); it != plain.end()) {
            (form_->*(it->second))();
            return true;
        }
        if (auto it = indexed.find(handler); it != indexed.end()) {
            (form_->*(it->second))(index);
            return true;
        }
        return false;
    }
    bool MenuChecked(const QString& item) override
    {
        if (item == QLatin1String("Menu_ShowToolBar"))
            return form_->Menu_ShowToolBar->isChecked();
        if (item == QLatin1String("Menu_ShowStatusBar"))
            return form_->Menu_ShowStatusBar->isChecked();
        return false;
    }
    void FormArrange(int arrangement) override { form_->FormArrange(arrangement); }
    void MDIForm_Activate() override { form_->MDIForm_Activate(); }

private:
    BaseForm* form_;
};

BaseForm::BaseForm(QWidget* parent) : QMainWindow(parent), link_(std::make_unique<Link>(this))
{
    FormTagSet(this, QStringLiteral("B"));
    setWindowTitle(ProductName);
    resize(960, 720);

    workspaceScroll = new WorkspaceScroll(this);
    workspace = workspaceScroll;
    setCentralWidget(workspace);
    workspace->viewport()->installEventFilter(this);
    connect(workspace, &QMdiArea::subWindowActivated, this, &BaseForm::ActiveChildFollow);

    dlgPrint.Parent = this;
    timBaseForm = new QTimer(this);
    timBaseForm->setInterval(500);
    timBaseFormSlide = new QTimer(this);
    timBaseFormSlide->setInterval(300);
    timBaseFormSlide->setSingleShot(true);

    createMenus();
    createToolBar();
    createStatusBar();
    workspaceScroll->Attach(timBaseForm, timBaseFormSlide, stbBaseForm);

    theBaseForm = this;
    SetMainWindowLink(link_.get());
    SetMainMenuLink(link_.get());
    SetCanvasCascadeHandler([this] { FormArrange(0); });
    Form_Load();
}

BaseForm::~BaseForm()
{
    // The workspace and its windows go after this part of the window: they must not call back.
    disconnect(workspace, nullptr, this, nullptr);
    if (MainWindow() == link_.get()) {
        SetMainWindowLink(nullptr);
        SetMainMenuLink(nullptr);
        SetCanvasCascadeHandler({});
    }
    if (theBaseForm == this)
        theBaseForm = nullptr;
}

BaseForm* BaseFormWindow()
{
    return theBaseForm;
}

int BaseFormRun()
{
    BaseForm form;
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&form, &BaseForm::Unloaded, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    form.show();
    form.activateWindow();
    return QApplication::exec();
}

int BaseForm::Pixels(int twips)
{
    return twips / vbrt::TwipsPerPixel;
}

void BaseForm::Form_Load()
{
    FormControlsClear(this, false);
    setCursor(Qt::WaitCursor);
    timBaseForm->stop();
    for (QComboBox* combo : {cmbFontName, cmbFontSize, cmbColor}) {
        combo->clear();
        toolButtons_[combo == cmbColor ? QStringLiteral("Color") : combo->objectName().mid(3)]->setEnabled(false);
    }
    stbBaseForm->setVisible(Menu_ShowStatusBar->isChecked());
    tlbBaseForm->setVisible(Menu_ShowToolBar->isChecked());
    EditModeShow();
    // Start-up read the document font before this window was there to show it.
    FontAndSizeShow();
    CaptionSet(QString());
    FirstActivation = true;
    ComboEventSkip = false;
    SearchReplaceShow = false;
}

// ---------------------------------------------------------------------------------------------
// Caption and activation

void BaseForm::CaptionSet(const QString& captionText)
{
    const QString name = DocumentFileName(false);
    const QString base = name.isEmpty() ? ProductName
                                        : ProductName + QStringLiteral(" - ") + QLatin1Char('[') + name + QLatin1Char(']');
    const QString text = vbrt::Trim(captionText);
    if (text.isEmpty())
        setWindowTitle(base);
    else if (text.endsWith(QChar(u'中')))
        setWindowTitle(base + QStringLiteral(" - ") + text);
    else
        setWindowTitle(base + QStringLiteral(" - ") + QLatin1Char('[') + text + QLatin1Char(']') +
                       QStringLiteral(" 編集中"));
}

void BaseForm::RegainLeadership(bool ReDrawIndicate)
{
    CommandEnd();
    MDIForm_Activate();
    if (ReDrawIndicate)
        Menu_FileRefresh_Click();
}

void BaseForm::MDIForm_Activate()
{
    if (activating_)
        return;
    activating_ = true;
    Guarded([&] {
        const std::vector<AddOnMenuRecord> fileRows = AddOnMenuList(QStringLiteral("Menu_File"));
        for (std::size_t i = 0; i < fileRows.size() && i < Menu_FileAddOn.size(); ++i) {
            Menu_FileAddOn[i]->setText(fileRows[i].caption);
            Menu_FileAddOn[i]->setVisible(true);
        }
        const std::vector<AddOnMenuRecord> toolRows = AddOnMenuList(QStringLiteral("Menu_Tool"));
        Menu_Tool->menuAction()->setEnabled(!toolRows.empty());
        Menu_Tool->menuAction()->setVisible(!toolRows.empty());
        for (std::size_t i = 0; i < toolRows.size() && i < Menu_ToolAddOn.size(); ++i) {
            Menu_ToolAddOn[i]->setText(toolRows[i].caption);
            Menu_ToolAddOn[i]->setEnabled(true);
            Menu_ToolAddOn[i]->setVisible(true);
        }
        MenuBarArrange();

        for (std::size_t j = 0; j < 5; ++j) {
            const QString caption = j < PR.ObstinateTable.size() ? PR.ObstinateTable[j][1] : QString();
            for (QAction* a : {Menu_FileNewFileObstinate[j], Menu_EditCanvasInsertObstinate[j]}) {
                if (!caption.isEmpty())
                    a->setText(caption);
                a->setEnabled(!caption.isEmpty());
                a->setVisible(!caption.isEmpty());
            }
        }

        // Help entries: the list ends at the first missing key; a value without a colon is skipped.
        ApplicationGlobals.HelpMenuTable.clear();
        for (int k = 1; k <= 99; ++k) {
            const QString value =
                CommonServices->GetInitFile(QStringLiteral("Help"), QStringLiteral("Help") + QString::number(k));
            if (value.isEmpty())
                break;
            const QStringList fields = value.split(QLatin1Char(':'));
            if (fields.size() >= 2)
                ApplicationGlobals.HelpMenuTable.push_back({vbrt::Trim(fields.at(0)), vbrt::Trim(fields.at(1))});
        }
        const std::vector<HelpMenuEntry>& help = ApplicationGlobals.HelpMenuTable;
        for (std::size_t i = 0; i < help.size() && i < Menu_HelpAdd.size(); ++i) {
            Menu_HelpAdd[i]->setText(i == 0 ? help[i].caption + QLatin1Char('\t') +
                                                  QKeySequence(Qt::Key_F1).toString(QKeySequence::NativeText)
                                            : help[i].caption);
            Menu_HelpAdd[i]->setEnabled(true);
            Menu_HelpAdd[i]->setVisible(true);
        }

        ToolBarArrange();
        ScrollBarArrange();
        // A message about a file named on the command line stands centred over the window like
        // any other only once the window is on the screen where the desktop put it.
        const bool onScreen = !windowHandle() || windowHandle()->isExposed() || isMinimized();
        if (FirstActivation && onScreen) {
            FirstActivation = false;
            CommandLineOpen();
        }
    });
    CommandEnd();
    activating_ = false;
}

void BaseForm::CommandLineOpen()
{
    QString option = QStringLiteral("/O");
    QString file;
    const QStringList& arguments = ApplicationGlobals.CommandArguments;
    for (qsizetype n = 1; n < arguments.size(); ++n) {
        const QString& argument = arguments.at(n);
        // An option is "/" and one letter; anything else, an absolute path included, is a file.
        if (argument.size() == 2 && argument.startsWith(QLatin1Char('/')))
            option = argument.toUpper();
        else
            file = argument;
    }
    if (option != QLatin1String("/O") && option != QLatin1String("/P") && option != QLatin1String("/V"))
        file.clear();
    if (file.isEmpty())
        return;

    // While the document opens and the print dialog prints it, nobody is there to answer a box.
    ApplicationGlobals.CommandLinePrint = option == QLatin1String("/P");
    const auto attended = qScopeGuard([] { ApplicationGlobals.CommandLinePrint = false; });
    bool opened = false;
    Command(false, false, [&] {
        // A file named on the command line that is not there is said so; a folder is refused by
        // the open as the folder it is.
        if (!CommonServices->FileExists(file) && !CommonServices->FolderExists(file))
            vbrt::RaiseNumber(vbrt::ErrorNumber::FileNotFound, QStringLiteral("CommandLineOpen"), file);
        DocumentOpen(file);
        opened = true;
    });
    if (opened && (option == QLatin1String("/P") || option == QLatin1String("/V"))) {
        PrintCanvas dialog(this);
        dialog.TrayCaption = MenuCaption(Menu_FilePrint);
        dialog.TrayCommandOperation = option;
        dialog.ShowModal();
        close();
    }
}

// ---------------------------------------------------------------------------------------------
// Window events

bool BaseForm::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::WindowActivate:
        // While a command runs (a dialog of it handing the activation back) the command's own
        // end does what the activation would.
        if (FormEnabled(this))
            MDIForm_Activate();
        break;
    case QEvent::WindowDeactivate:
        CanvasTimersStop();
        break;
    default:
        break;
    }
    return QMainWindow::event(event);
}

void BaseForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // A desktop may show the window without making it the active one: the command line is acted
    // on all the same once the window is up.
    if (QWindow* window = windowHandle(); window && !window->isExposed() && FirstActivation)
        window->installEventFilter(this);
    FirstActivationLater();
}

void BaseForm::FirstActivationLater()
{
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (FirstActivation && FormEnabled(this))
                MDIForm_Activate();
        },
        Qt::QueuedConnection);
}

void BaseForm::closeEvent(QCloseEvent* event)
{
    // Not saved after a failure: the program stays, with the document as it is.
    bool goAhead = false;
    Guarded([&] { goAhead = QueryUnload(); });
    if (!goAhead) {
        event->ignore();
        CommandEnd();
        return;
    }
    event->accept();
    timBaseForm->stop();
    emit Unloaded();
}

void BaseForm::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void BaseForm::Form_Resize()
{
    EventBoundary([&] {
        CanvasTimersStop();
        if (isMinimized())
            return;
        // Inside a command its end releases the painting.
        if (!ApplicationGlobals.PaintSuspended)
            PaintEventReleaseAll(false, true);
        timBaseForm->stop();
        timBaseForm->start();
    });
}

bool BaseForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == windowHandle() && event->type() == QEvent::Expose) {
        if (windowHandle()->isExposed()) {
            windowHandle()->removeEventFilter(this);
            FirstActivationLater();
        }
        return false;
    }
    if (event->type() == QEvent::Hide && watched == workspace->currentSubWindow()) {
        // The workspace keeps a hidden window as its current one; it is taken up once the
        // window's own hiding command has run to its end.
        QMetaObject::invokeMethod(this, &BaseForm::FrontWindowHidden, Qt::QueuedConnection);
        return false;
    }
    if (watched == workspace->viewport()) {
        if (event->type() == QEvent::MouseButtonPress)
            CanvasTimersStop();
        return false;
    }
    auto* combo = qobject_cast<QComboBox*>(watched);
    if (!combo)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        return ComboKeyDown(combo, static_cast<QKeyEvent*>(event)->key());
    case QEvent::KeyRelease:
        ComboEventSkip = false;
        return false;
    case QEvent::FocusOut:
        // The drop-down list takes the focus while it is open: that is not leaving the combo.
        if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
            ComboLostFocus(combo);
        return false;
    default:
        return false;
    }
}

} // namespace vellumora
