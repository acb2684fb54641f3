#include "app/shell/BaseForm.h"

#include "app/canvas/BoxEditing.h"
#include "app/canvas/CanvasForm.h"
#include "app/canvas/CopyAndPaste.h"
#include "app/canvas/HistoryControl.h"
#include "app/canvas/PageSetting.h"
#include "app/diagram/BoxList.h"
#include "app/diagram/FileInterface.h"
#include "app/diagram/FontAndColor.h"
#include "app/diagram/PadDraw.h"
#include "app/diagram/SearchEngine.h"
#include "app/dialogs/SearchReplace.h"
#include "app/print/PrintCanvas.h"
#include "app/print/PrintSetting.h"
#include "app/diagram/ReportSetting.h"
#include "app/core/AddOnHooks.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/MainMenuLink.h"
#include "app/core/MainWindowLink.h"
#include "app/core/Processing.h"
#include "app/core/Utilities.h"
#include "app/shell/VersionInfo.h"
#include "app/shell/WorkspaceScroll.h"
#include "platform/statusbar/StatusPanels.h"
#include "platform/system/System.h"
#include "platform/vbrt/Error.h"
#include "platform/vbrt/Value.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QWindow>


namespace vellumora {

namespace {

namespace vbrt = platform::vbrt;

BaseForm* theBaseForm = nullptr;

const QString ProductName = QStringLiteral("Vellumora");

int Pixels(int twips)
{
    return twips / vbrt::TwipsPerPixel;
}

// A small picture for a tool-bar button: the button's letters drawn in the middle.
QIcon TextIcon(const QString& text, bool bold = false, bool italic = false, bool strike = false, bool under = false)
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    QFont font = painter.font();
    font.setPixelSize(text.size() > 1 ? 11 : 16);
    font.setBold(bold);
    font.setItalic(italic);
    font.setStrikeOut(strike);
    font.setUnderline(under);
    painter.setFont(font);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, text);
    return QIcon(pixmap);
}

QString UpdateConfirmMessage()
{
    return DocumentDisplayName(CurrentDocument) + QStringLiteral(" は更新されています。保存しますか？");
}

// The text of a failure code of opening a Help file.
QString HelpOpenFailure(std::int32_t code)
{
    switch (code) {
    case 2: return QStringLiteral("PDFファイルが見つかりません。");
    case 3: return QStringLiteral("PDFファイルのパスが見つかりません");
    case 5: return QStringLiteral("Access denied");
    case 8: return QStringLiteral("Out of memory");
    case 11: return QStringLiteral("Invalid EXE file or error in EXE image");
    case 26: return QStringLiteral("A sharing violation occurred");
    case 27: return QStringLiteral("Incomplete or invalid file association");
    case 28: return QStringLiteral("DDE Time out");
    case 29: return QStringLiteral("DDE transaction failed");
    case 30: return QStringLiteral("DDE busy");
    case 32: return QStringLiteral("DLL not found");
    default: return QStringLiteral("PDFファイルが開けません。");
    }
}

CanvasForm* AsCanvas(QWidget* form)
{
    if (!FormTag(form).contains(QLatin1Char('C')))
        return nullptr;
    return qobject_cast<CanvasForm*>(form);
}

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
        form_->panels_->SetText(key, text);
    }
    QMdiSubWindow* placeInWorkspace(QWidget* child) override
    {
        QMdiSubWindow* sub = form_->workspace->addSubWindow(child);
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

// ---------------------------------------------------------------------------------------------
// Composition

void BaseForm::createMenus()
{
    // A shortcut is shown beside its entry but acts through ShortcutRun, which applies the
    // entry's enabling rule first, whatever state the menu was last opened in.
    auto entry = [this](QMenu* menu, const QString& caption, const QKeySequence& shortcut = {}) {
        QAction* action = menu->addAction(caption);
        if (!shortcut.isEmpty()) {
            action->setText(caption + QLatin1Char('\t') + shortcut.toString(QKeySequence::NativeText));
            auto* key = new QShortcut(shortcut, this);
            connect(key, &QShortcut::activated, this, [this, action] { ShortcutRun(action); });
        }
        return action;
    };
    // An entry array: hidden entries "<prefix>0", "<prefix>1", ... whose clicks pass their index.
    auto entryArray = [&](QMenu* menu, const QString& prefix, auto& entries, bool firstEnabled,
                          void (BaseForm::*handler)(int), const QKeySequence& firstShortcut = {}) {
        for (std::size_t i = 0; i < entries.size(); ++i) {
            QAction* a = entry(menu, prefix + QString::number(i), i == 0 ? firstShortcut : QKeySequence());
            a->setVisible(false);
            a->setEnabled(firstEnabled && i == 0);
            connect(a, &QAction::triggered, this, [this, handler, i] { (this->*handler)(static_cast<int>(i)); });
            entries[i] = a;
        }
    };

    Menu_File = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    connect(Menu_File, &QMenu::aboutToShow, this, &BaseForm::Menu_File_Click);
    Menu_FileNewFile = Menu_File->addMenu(QStringLiteral("新規追加(&N)"));
    entryArray(Menu_FileNewFile, QStringLiteral("新規追加"), Menu_FileNewFileObstinate, true,
               &BaseForm::Menu_FileNewFileObstinate_Click);
    Menu_FileOpen = entry(Menu_File, QStringLiteral("ﾌｧｲﾙを開く(&O)"), QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(Menu_FileOpen, &QAction::triggered, this, &BaseForm::Menu_FileOpen_Click);
    Menu_FileSaveOverWrite = entry(Menu_File, QStringLiteral("上書き保存(&S)"), QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(Menu_FileSaveOverWrite, &QAction::triggered, this, &BaseForm::Menu_FileSaveOverWrite_Click);
    Menu_FileSaveNamed = entry(Menu_File, QStringLiteral("名前を付けて保存(&A)"));
    connect(Menu_FileSaveNamed, &QAction::triggered, this, &BaseForm::Menu_FileSaveNamed_Click);
    Menu_FileAddInput = entry(Menu_File, QStringLiteral("読込み(&I)"));
    connect(Menu_FileAddInput, &QAction::triggered, this, &BaseForm::Menu_FileAddInput_Click);
    entryArray(Menu_File, QStringLiteral("追加"), Menu_FileAddOn, false, &BaseForm::Menu_FileAddOn_Click);
    Menu_FileRefresh = entry(Menu_File, QStringLiteral("再表示(&V)"));
    connect(Menu_FileRefresh, &QAction::triggered, this, &BaseForm::Menu_FileRefresh_Click);
    Menu_FilePrintSetting = entry(Menu_File, QStringLiteral("印刷設定(&U)"));
    connect(Menu_FilePrintSetting, &QAction::triggered, this, &BaseForm::Menu_FilePrintSetting_Click);
    Menu_FilePrint = entry(Menu_File, QStringLiteral("印刷(&P)"), QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(Menu_FilePrint, &QAction::triggered, this, &BaseForm::Menu_FilePrint_Click);
    Menu_FileClose = entry(Menu_File, ExitMenuCaption());
    connect(Menu_FileClose, &QAction::triggered, this, &BaseForm::Menu_FileClose_Click);

    Menu_Edit = menuBar()->addMenu(QStringLiteral("編集(&E)"));
    connect(Menu_Edit, &QMenu::aboutToShow, this, &BaseForm::Menu_Edit_Click);
    Menu_EditUndo = entry(Menu_Edit, QStringLiteral("元に戻す(&U)"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    connect(Menu_EditUndo, &QAction::triggered, this, &BaseForm::Menu_EditUndo_Click);
    Menu_EditRedo = entry(Menu_Edit, QStringLiteral("やり直し(&R)"), QKeySequence(Qt::CTRL | Qt::Key_Y));
    connect(Menu_EditRedo, &QAction::triggered, this, &BaseForm::Menu_EditRedo_Click);
    Menu_Edit->addSeparator();
    Menu_EditCanvasInsert = Menu_Edit->addMenu(QStringLiteral("ｷｬﾝﾊﾞｽ追加(&N)"));
    entryArray(Menu_EditCanvasInsert, QStringLiteral("ｷｬﾝﾊﾞｽ追加"), Menu_EditCanvasInsertObstinate, true,
               &BaseForm::Menu_EditCanvasInsertObstinate_Click);
    // Deleting a canvas is a command of the canvas window's own menu.
    Menu_EditCanvasDelete = entry(Menu_Edit, QStringLiteral("ｷｬﾝﾊﾞｽ削除(&M)"));
    Menu_EditCanvasDelete->setVisible(false);
    Menu_Edit->addSeparator();
    Menu_EditSearch = entry(Menu_Edit, QStringLiteral("検索(&F)"), QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(Menu_EditSearch, &QAction::triggered, this, &BaseForm::Menu_EditSearch_Click);
    Menu_EditSearchNext = entry(Menu_Edit, QStringLiteral("次を検索"), QKeySequence(Qt::Key_F3));
    connect(Menu_EditSearchNext, &QAction::triggered, this, &BaseForm::Menu_EditSearchNext_Click);
    Menu_EditReplace = entry(Menu_Edit, QStringLiteral("置換(&E)"), QKeySequence(Qt::CTRL | Qt::Key_H));
    connect(Menu_EditReplace, &QAction::triggered, this, &BaseForm::Menu_EditReplace_Click);

    Menu_Show = menuBar()->addMenu(QStringLiteral("表示(&V)"));
    Menu_ShowToolBar = entry(Menu_Show, QStringLiteral("ﾂｰﾙﾊﾞｰ表示(&T)"));
    Menu_ShowToolBar->setCheckable(true);
    Menu_ShowToolBar->setChecked(true);
    connect(Menu_ShowToolBar, &QAction::triggered, this, &BaseForm::Menu_ShowToolBar_Click);
    Menu_ShowStatusBar = entry(Menu_Show, QStringLiteral("ｽﾃｰﾀｽﾊﾞｰ表示(&S)"));
    Menu_ShowStatusBar->setCheckable(true);
    Menu_ShowStatusBar->setChecked(true);
    connect(Menu_ShowStatusBar, &QAction::triggered, this, &BaseForm::Menu_ShowStatusBar_Click);

    Menu_Tool = menuBar()->addMenu(QStringLiteral("ﾂｰﾙ(&T)"));
    Menu_Tool->menuAction()->setVisible(false);
    Menu_Tool->menuAction()->setEnabled(false);
    entryArray(Menu_Tool, QStringLiteral("追加"), Menu_ToolAddOn, true, &BaseForm::Menu_ToolAddOn_Click);

    Menu_Help = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    entryArray(Menu_Help, QStringLiteral("ﾍﾙﾌﾟ追加"), Menu_HelpAdd, false, &BaseForm::Menu_HelpAdd_Click,
               QKeySequence(Qt::Key_F1));
    Menu_Help->addSeparator();
    Menu_HelpVersion = entry(Menu_Help, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)"));
    connect(Menu_HelpVersion, &QAction::triggered, this, &BaseForm::Menu_HelpVersion_Click);
}

void BaseForm::createToolBar()
{
    tlbBaseForm = addToolBar(QStringLiteral("tlbBaseForm"));
    tlbBaseForm->setObjectName(QStringLiteral("tlbBaseForm"));
    tlbBaseForm->setMovable(false);
    tlbBaseForm->setFloatable(false);
    tlbBaseForm->setToolButtonStyle(Qt::ToolButtonIconOnly);

    auto button = [this](const QString& key, const QString& tip, const QIcon& icon, bool check = false) {
        QAction* a = tlbBaseForm->addAction(icon, tip);
        a->setToolTip(tip);
        a->setObjectName(key);
        a->setCheckable(check);
        if (check)
            connect(a, &QAction::triggered, this, [this, key](bool pressed) { StyleButtonClick(key, pressed); });
        else
            connect(a, &QAction::triggered, this, [this, key] { tlbBaseForm_ButtonClick(key); });
        toolButtons_[key] = a;
    };
    auto combo = [this](const QString& key, const QString& tip, int widthTwips) {
        auto* box = new QComboBox(tlbBaseForm);
        box->setObjectName(key == QLatin1String("Color") ? QStringLiteral("cmbColor") : QStringLiteral("cmb") + key);
        box->setToolTip(tip);
        box->setEditable(false);
        box->setFixedWidth(Pixels(widthTwips));
        box->setFocusPolicy(Qt::StrongFocus);
        box->installEventFilter(this);
        connect(box, &QComboBox::activated, this, [this, box] { ComboClick(box); });
        QAction* a = tlbBaseForm->addWidget(box);
        a->setObjectName(key);
        a->setToolTip(tip);
        toolButtons_[key] = a;
        return box;
    };

    // The desktop's picture where a standard one fits, else the kanji of the command.
    auto picture = [](const char* name, const QIcon& kanji) { return QIcon::fromTheme(QString::fromLatin1(name), kanji); };
    button(QStringLiteral("Open"), QStringLiteral("ﾌｧｲﾙを開く"), picture("document-open", TextIcon(QStringLiteral("開"))));
    button(QStringLiteral("Save"), QStringLiteral("上書き保存"), picture("document-save", TextIcon(QStringLiteral("保"))));
    tlbBaseForm->addSeparator();
    button(QStringLiteral("Preview"), QStringLiteral("ﾌﾟﾚﾋﾞｭｰ"),
           picture("document-print-preview", TextIcon(QStringLiteral("覧"))));
    button(QStringLiteral("Print"), QStringLiteral("印刷"), picture("document-print", TextIcon(QStringLiteral("印"))));
    tlbBaseForm->addSeparator();
    button(QStringLiteral("Undo"), QStringLiteral("元に戻す"), picture("edit-undo", TextIcon(QStringLiteral("戻"))));
    button(QStringLiteral("Redo"), QStringLiteral("やり直し"), picture("edit-redo", TextIcon(QStringLiteral("進"))));
    tlbBaseForm->addSeparator();
    button(QStringLiteral("Cut"), QStringLiteral("切り取り"), picture("edit-cut", TextIcon(QStringLiteral("切"))));
    button(QStringLiteral("Copy"), QStringLiteral("ｺﾋﾟｰ"), picture("edit-copy", TextIcon(QStringLiteral("写"))));
    button(QStringLiteral("Paste"), QStringLiteral("貼り付け"), picture("edit-paste", TextIcon(QStringLiteral("貼"))));
    tlbBaseForm->addSeparator();
    button(QStringLiteral("Search"), QStringLiteral("検索"), picture("edit-find", TextIcon(QStringLiteral("検"))));
    button(QStringLiteral("Editor"), QStringLiteral("BOX編集"), TextIcon(QStringLiteral("編")));
    tlbBaseForm->addSeparator();
    cmbFontName = combo(QStringLiteral("FontName"), QStringLiteral("ﾌｫﾝﾄ名"), 3600);
    cmbFontSize = combo(QStringLiteral("FontSize"), QStringLiteral("ﾌｫﾝﾄｻｲｽﾞ"), 720);
    button(QStringLiteral("Bold"), QStringLiteral("太字"), picture("format-text-bold", TextIcon(QStringLiteral("B"), true)),
           true);
    button(QStringLiteral("Italic"), QStringLiteral("斜体"),
           picture("format-text-italic", TextIcon(QStringLiteral("I"), false, true)), true);
    button(QStringLiteral("Strikethru"), QStringLiteral("取消線"),
           picture("format-text-strikethrough", TextIcon(QStringLiteral("S"), false, false, true)), true);
    button(QStringLiteral("Underline"), QStringLiteral("下線"),
           picture("format-text-underline", TextIcon(QStringLiteral("U"), false, false, false, true)), true);
    tlbBaseForm->addSeparator();
    cmbColor = combo(QStringLiteral("Color"), QStringLiteral("文字色"), 1080);
}

void BaseForm::createStatusBar()
{
    stbBaseForm = statusBar();
    stbBaseForm->setObjectName(QStringLiteral("stbBaseForm"));
    struct Panel {
        const char* key;
        int widthTwips;
        const char* tip;
    };
    // Panels 1 to 5 keep themselves current; 6 to 11 are written by key.
    const Panel panels[] = {
        {"Date", 1799, "日付"},
        {"Time", 953, "時刻"},
        {"Caps", 979, "Caps Lock ｷｰ"},
        {"Num", 900, "Num Lock ｷｰ"},
        {"Kana", 873, "ｶﾅ ｷｰ"},
        {"FocusCanvas", 882, "最前面ｳｨﾝﾄﾞｳ"},
        {"EditMode", 882, "編集ﾓｰﾄﾞ"},
        {"ModalWindow", 882, "入力ｳｲﾝﾄﾞｳ"},
        {"UnVisibleCanvas", 882, "非表示ｷｬﾝﾊﾞｽ"},
        {"SearchState", 882, "検索状態"},
        {"FontAndSize", 882, "ﾌｫﾝﾄ情報"},
    };
    panels_ = new platform::statusbar::StatusPanels(stbBaseForm);
    for (const Panel& p : panels)
        panels_->AddPanel(QString::fromLatin1(p.key), Pixels(p.widthTwips), QString::fromUtf8(p.tip));
    stbBaseForm->addPermanentWidget(panels_, 1);
    // The lock keys' states are not known to the program here: their panels show their names dimmed.
    panels_->SetText(QStringLiteral("Caps"), QStringLiteral("CAPS"));
    panels_->SetText(QStringLiteral("Num"), QStringLiteral("NUM"));
    panels_->SetText(QStringLiteral("Kana"), QStringLiteral("ｶﾅ"));
    for (const char* key : {"Caps", "Num", "Kana"})
        panels_->SetEnabled(QString::fromLatin1(key), false);

    clock_ = new QTimer(this);
    clock_->setInterval(1000);
    auto tick = [this] {
        panels_->SetText(QStringLiteral("Date"), QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")));
        panels_->SetText(QStringLiteral("Time"), QTime::currentTime().toString(QStringLiteral("HH:mm")));
    };
    connect(clock_, &QTimer::timeout, this, tick);
    tick();
    clock_->start();
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
    CaptionSet(QString());
    FirstActivation = true;
    ComboEventSkip = false;
    SearchReplaceShow = false;
}

// ---------------------------------------------------------------------------------------------
// Public operations

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
    CanvasMenusFollow();
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

QString BaseForm::StatusPanelText(const QString& key) const
{
    return panels_->Text(key);
}

QAction* BaseForm::ToolButton(const QString& key) const
{
    auto it = toolButtons_.find(key);
    return it == toolButtons_.end() ? nullptr : it->second;
}

QString BaseForm::MenuCaption(const QAction* entry)
{
    return entry->text().section(QLatin1Char('\t'), 0, 0);
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

void BaseForm::ScrollBarArrange()
{
    workspaceScroll->ScrollBarArrange();
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

    bool opened = false;
    Command(false, false, [&] {
        // A file named on the command line that is not there (or is a folder: no file) is said so.
        if (!CommonServices->FileExists(file))
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

    const bool wasModified = GetModifyFlag();
    SetModifyFlag(true);
    HistoryAdd(caption, -1);
    const std::size_t first = B.size();
    try {
        PadDrawGetData(path);
        CanvasWindowsCreate();
        CanvasSequenceRenumber();
    } catch (...) {
        // The canvases read so far go again: the document stays as it was before.
        PadFileClose();
        CanvasesRelease(first);
        SetModifyFlag(wasModified);
        throw;
    }
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

// ---------------------------------------------------------------------------------------------
// Menu enabling

void BaseForm::Menu_File_Click()
{
    const bool opened = DocumentOpened();
    Menu_FileNewFile->menuAction()->setEnabled(true);
    Menu_FileOpen->setEnabled(true);
    Menu_FileSaveOverWrite->setEnabled(!DocumentSavePath(CurrentDocument).isEmpty());
    for (QAction* a : {Menu_FileSaveNamed, Menu_FileAddInput, Menu_FileRefresh, Menu_FilePrintSetting, Menu_FilePrint})
        a->setEnabled(opened);
    Menu_FileClose->setText(ExitMenuCaption());
    const std::vector<AddOnMenuRecord> rows = AddOnMenuList(QStringLiteral("Menu_File"));
    for (std::size_t i = 0; i < rows.size() && i < Menu_FileAddOn.size(); ++i) {
        Menu_FileAddOn[i]->setText(rows[i].caption);
        const QString& action = rows[i].action;
        Menu_FileAddOn[i]->setEnabled(action == QLatin1String("Open") ||
                                      (action == QLatin1String("AddInput") && opened));
    }
}

void BaseForm::CanvasMenusFollow()
{
    CanvasForm* canvas = AsCanvas(ActiveForm());
    // A canvas window that went away took its items with it, but the separators stay until
    // they are taken out here.
    if (canvas == menuCanvas_.data() && (canvas || !canvasSeparators_[0]))
        return;
    if (!canvasSeparators_[0]) {
        for (QAction*& separator : canvasSeparators_) {
            separator = new QAction(this);
            separator->setSeparator(true);
        }
    }
    if (CanvasForm* previous = menuCanvas_.data()) {
        for (QAction* a : previous->Menu_Edit->actions())
            Menu_Edit->removeAction(a);
        for (QMenu* menu : {previous->Menu_Format, previous->Menu_Show, previous->Menu_Window})
            menuBar()->removeAction(menu->menuAction());
    }
    for (QAction* separator : canvasSeparators_)
        Menu_Edit->removeAction(separator);
    menuCanvas_ = canvas;
    // The canvas window's Show menu stands in for the main window's.
    Menu_Show->menuAction()->setVisible(!canvas);
    if (!canvas)
        return;
    // Undo and redo stay the main window's own items, which hand over to the canvas in front.
    Menu_Edit->insertActions(Menu_EditCanvasInsert->menuAction(),
                             {canvas->Menu_EditCut, canvas->Menu_EditCopy, canvas->Menu_EditPaste, canvas->Menu_EditALL,
                              canvas->Menu_EditCopyTask, canvas->Menu_EditPasteTask, canvasSeparators_[0],
                              canvas->Menu_EditDelete, canvas->Menu_EditDeleteLump, canvasSeparators_[1]});
    Menu_Edit->insertAction(Menu_EditCanvasDelete, canvas->Menu_EditCanvasDelete);
    Menu_Edit->addActions({canvasSeparators_[2], canvas->Menu_EditEditor, canvas->Menu_EditAdd,
                           canvas->Menu_EditFontChange, canvas->Menu_EditFontChangeLump, canvas->Menu_EditChink,
                           canvas->Menu_EditConnect, canvas->Menu_EditNewPage, canvas->Menu_EditNewPageReset});
    menuBar()->insertActions(Menu_Show->menuAction(), {canvas->Menu_Format->menuAction(), canvas->Menu_Show->menuAction()});
    menuBar()->insertAction(Menu_Help->menuAction(), canvas->Menu_Window->menuAction());
}

void BaseForm::Menu_Edit_Click()
{
    CanvasMenusFollow();
    if (CanvasForm* canvas = menuCanvas_.data())
        canvas->Menu_Edit_Click();
    const bool opened = DocumentOpened();
    Menu_EditUndo->setEnabled(HistoryCanUndo());
    Menu_EditRedo->setEnabled(HistoryCanRedo());
    Menu_EditCanvasInsert->menuAction()->setEnabled(opened);
    Menu_EditSearch->setEnabled(opened);
    Menu_EditReplace->setEnabled(opened);
    Menu_EditSearchNext->setEnabled(opened && !vbrt::Trim(ApplicationGlobals.SearchSettings.SearchText).isEmpty());
}

void BaseForm::ShortcutRun(QAction* entry)
{
    if (!FormEnabled(this))
        return;
    Menu_File_Click();
    Menu_Edit_Click();
    // An entry of a submenu or menu that is disabled is as unreachable as a disabled entry.
    bool reachable = entry->isEnabled() && entry->isVisible();
    for (QObject* p = entry->parent(); reachable && p; p = p->parent())
        if (auto* menu = qobject_cast<QMenu*>(p))
            reachable = menu->menuAction()->isEnabled() && menu->menuAction()->isVisible();
    if (reachable)
        entry->trigger();
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

void BaseForm::Menu_EditUndo_Click()
{
    if (CanvasForm* canvas = AsCanvas(ActiveForm())) {
        canvas->Menu_EditUndo_Click();
        return;
    }
    Command(true, true, [] {
        HistoryRestore(true);
        CanvasCaptionRefresh();
    });
}

void BaseForm::Menu_EditRedo_Click()
{
    if (CanvasForm* canvas = AsCanvas(ActiveForm())) {
        canvas->Menu_EditRedo_Click();
        return;
    }
    Command(true, true, [] {
        HistoryRestore(false);
        CanvasCaptionRefresh();
    });
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

// ---------------------------------------------------------------------------------------------
// Show, tool and help commands

void BaseForm::Menu_ShowToolBar_Click()
{
    Command(false, false, [&] {
        // The entry's check mark has already changed when it was triggered from the menu.
        if (sender() != Menu_ShowToolBar)
            Menu_ShowToolBar->setChecked(!Menu_ShowToolBar->isChecked());
        tlbBaseForm->setVisible(Menu_ShowToolBar->isChecked());
    });
}

void BaseForm::Menu_ShowStatusBar_Click()
{
    Command(false, false, [&] {
        if (sender() != Menu_ShowStatusBar)
            Menu_ShowStatusBar->setChecked(!Menu_ShowStatusBar->isChecked());
        stbBaseForm->setVisible(Menu_ShowStatusBar->isChecked());
    });
}

void BaseForm::Menu_ToolAddOn_Click(int Index)
{
    Command(
        false, false,
        [&] {
            if (AddOnMenuAction(QStringLiteral("Menu_Tool"), static_cast<std::int16_t>(Index)) == QLatin1String("Tool") &&
                !AddOnReport(QStringLiteral("Menu_Tool"), static_cast<std::int16_t>(Index)))
                CaptionSet(QString());
        },
        true);
}

void BaseForm::Menu_HelpAdd_Click(int Index)
{
    Command(false, false, [&] {
        const std::vector<HelpMenuEntry>& help = ApplicationGlobals.HelpMenuTable;
        if (Index < 0 || static_cast<std::size_t>(Index) >= help.size())
            return;
        const QString& file = help[static_cast<std::size_t>(Index)].file;
        if (file.isEmpty())
            return;
        const std::int32_t result = platform::system::OpenWithApplication(file, ApplicationObject().Path());
        if (result <= 32)
            ErrorMessageBox(HelpOpenFailure(result) + QLatin1Char('(') + QString::number(result) + QLatin1Char(')'),
                            QString());
    });
}

void BaseForm::Menu_HelpVersion_Click()
{
    Command(false, false, [&] { VersionInfoShow(this); });
}

// ---------------------------------------------------------------------------------------------
// Tool bar

void BaseForm::ToolBarArrange()
{
    auto enable = [this](const char* key, bool on) { toolButtons_[QString::fromLatin1(key)]->setEnabled(on); };
    const char* const selectionKeys[] = {"Preview", "Print", "Cut", "Copy", "Paste", "Editor"};
    const char* const fontKeys[] = {"FontName", "FontSize", "Bold", "Italic", "Strikethru", "Underline", "Color"};

    enable("Open", true);
    enable("Save", !DocumentSavePath(CurrentDocument).isEmpty());
    enable("Undo", HistoryCanUndo());
    enable("Redo", HistoryCanRedo());

    QWidget* active = ActiveForm();
    CanvasForm* canvas = AsCanvas(active);
    fontCanvas_ = nullptr;
    if (!canvas) {
        for (const char* key : selectionKeys)
            enable(key, false);
        for (const char* key : fontKeys)
            enable(key, false);
        enable("Search", active ? true : DocumentOpened());
        return;
    }

    enable("Preview", true);
    enable("Print", true);
    enable("Search", true);
    const FontCode fontCode = canvas->LockPartsFontCode;
    const std::int32_t colorCode = canvas->LockPartsColorCode;
    enable("Cut", canvas->LockPartsCopyEnabled);
    enable("Copy", canvas->LockPartsCopyEnabled);
    // Paste goes onto a line, and the editor opens on a single box: the same rules as the
    // Edit menu's.
    enable("Paste", canvas->LockPartsKind >= 2 && canvas->LockPartsEditorEnabled && ClipboardExist());
    enable("Editor", canvas->LockPartsKind == 1 && canvas->LockPartsEditorEnabled);
    const bool fontEnabled = canvas->LockPartsKind == 1 && canvas->LockPartsFontEnabled;
    for (const char* key : fontKeys)
        enable(key, fontEnabled);
    if (!fontEnabled)
        return;

    fontCanvas_ = canvas;
    const std::int16_t nameIndex = FontNameIndex(fontCode);
    const std::int16_t size10 = FontSizeIndex(fontCode);
    ToolbarFontState.ToolbarFontName = nameIndex == 0 ? QStringLiteral("標準") : FontNameText(nameIndex);
    ToolbarFontState.ToolbarFontSize = size10 == 0 ? QStringLiteral("標準") : QString::number(FontSizeValue(size10));
    ToolbarFontState.ToolbarFontBold = FontBoldFlag(fontCode);
    ToolbarFontState.ToolbarFontItalic = FontItalicFlag(fontCode);
    ToolbarFontState.ToolbarFontStrikethru = FontStrikethruFlag(fontCode);
    ToolbarFontState.ToolbarFontUnderline = FontUnderlineFlag(fontCode);
    ToolbarFontState.ToolbarColorName = ColorName(colorCode);

    ComboEventSkip = true;
    FontNameComboSet(cmbFontName, true, ToolbarFontState.ToolbarFontName);
    FontSizeComboSet(cmbFontSize, true, ToolbarFontState.ToolbarFontSize);
    toolButtons_[QStringLiteral("Bold")]->setChecked(ToolbarFontState.ToolbarFontBold);
    toolButtons_[QStringLiteral("Italic")]->setChecked(ToolbarFontState.ToolbarFontItalic);
    toolButtons_[QStringLiteral("Strikethru")]->setChecked(ToolbarFontState.ToolbarFontStrikethru);
    toolButtons_[QStringLiteral("Underline")]->setChecked(ToolbarFontState.ToolbarFontUnderline);
    ColorComboSet(cmbColor, true, ToolbarFontState.ToolbarColorName);
    ComboEventSkip = false;
}

CanvasForm* BaseForm::FontTarget() const
{
    // The font controls describe one canvas window's selection; they apply to that window only.
    CanvasForm* canvas = fontCanvas_.data();
    if (!canvas || !canvas->LockPartsFontEnabled || canvas->LockPartsKind != 1)
        return nullptr;
    return canvas;
}

void BaseForm::FocusActiveForm()
{
    if (QWidget* active = ActiveForm())
        active->setFocus(Qt::OtherFocusReason);
    else
        setFocus(Qt::OtherFocusReason);
}

void BaseForm::tlbBaseForm_ButtonClick(const QString& key)
{
    if (key == QLatin1String("Open"))
        Menu_FileOpen_Click();
    else if (key == QLatin1String("Save"))
        Menu_FileSaveOverWrite_Click();
    else if (key == QLatin1String("Undo"))
        Menu_EditUndo_Click();
    else if (key == QLatin1String("Redo"))
        Menu_EditRedo_Click();
    else if (key == QLatin1String("Search"))
        Menu_EditSearch_Click();
    else if (key == QLatin1String("Preview") || key == QLatin1String("Print")) {
        Command(false, true, [&] {
            PrintCanvas dialog(this);
            dialog.TrayCaption = MenuCaption(Menu_FilePrint);
            dialog.TrayCommandOperation = key == QLatin1String("Preview") ? QStringLiteral("/V") : QStringLiteral("/P");
            dialog.ShowModal();
        });
    } else if (CanvasForm* canvas = AsCanvas(ActiveForm())) {
        Guarded([&] {
            if (key == QLatin1String("Cut"))
                canvas->Menu_EditCut_Click();
            else if (key == QLatin1String("Copy"))
                canvas->Menu_EditCopy_Click();
            else if (key == QLatin1String("Paste"))
                canvas->Menu_EditPaste_Click();
            else if (key == QLatin1String("Editor"))
                canvas->Menu_EditEditor_Click();
        });
    }
    Guarded([] { PartsLockSet(-1, true); });
    ToolBarArrange();
}

void BaseForm::StyleButtonClick(const QString& key, bool pressed)
{
    if (key == QLatin1String("Bold"))
        ToolbarFontState.ToolbarFontBold = pressed;
    else if (key == QLatin1String("Italic"))
        ToolbarFontState.ToolbarFontItalic = pressed;
    else if (key == QLatin1String("Strikethru"))
        ToolbarFontState.ToolbarFontStrikethru = pressed;
    else if (key == QLatin1String("Underline"))
        ToolbarFontState.ToolbarFontUnderline = pressed;
    Guarded([&] {
        if (CanvasForm* canvas = FontTarget()) {
            canvas->FontSettingMenuSkip = true;
            canvas->Menu_BoxFontChange_Click();
        }
        PartsLockSet(-1, true);
    });
    ToolBarArrange();
}

QString& BaseForm::ComboVariable(QComboBox* combo)
{
    if (combo == cmbFontName)
        return ToolbarFontState.ToolbarFontName;
    if (combo == cmbFontSize)
        return ToolbarFontState.ToolbarFontSize;
    return ToolbarFontState.ToolbarColorName;
}

void BaseForm::ComboClick(QComboBox* combo)
{
    if (ComboEventSkip)
        return;
    // Leaving the combo applies the choice.
    FocusActiveForm();
}

bool BaseForm::ComboKeyDown(QComboBox* combo, int keyCode)
{
    switch (keyCode) {
    case Qt::Key_Escape: {
        ComboEventSkip = true;
        const int index = combo->findText(ComboVariable(combo), Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (index >= 0)
            combo->setCurrentIndex(index);
        FocusActiveForm();
        return true;
    }
    case Qt::Key_Up:
    case Qt::Key_Down:
        // Moving through the list applies nothing yet.
        ComboEventSkip = true;
        return false;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        FocusActiveForm();
        return true;
    default:
        return false;
    }
}

void BaseForm::ComboLostFocus(QComboBox* combo)
{
    if (ComboEventSkip) {
        ComboEventSkip = false;
        return;
    }
    const QString text = combo->currentText();
    CanvasForm* canvas = FontTarget();
    // An empty entry names no font or colour, and an unchanged one changes nothing.
    if (!canvas || text.isEmpty() || text == ComboVariable(combo)) {
        ComboEventSkip = false;
        return;
    }
    ComboVariable(combo) = text;
    Guarded([&] {
        canvas->FontSettingMenuSkip = true;
        canvas->Menu_BoxFontChange_Click();
    });
    ComboEventSkip = false;
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

bool BaseForm::QueryUnload()
{
    CanvasTimersStop();
    if (!GetModifyFlag()) {
        ApplicationGlobals.ApplicationClosing = true;
        return true;
    }
    if (BoxEditorCloseCheck(true, -1))
        return false;
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
