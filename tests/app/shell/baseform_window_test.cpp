// The main window as a whole: title, activation, menus and their enabling, shortcuts, the tool
// bar and its font controls, the command line and closing.
#include "baseform_support.h"

#include "app/canvas/CopyAndPaste.h"
#include "app/canvas/HistoryControl.h"
#include "app/diagram/BoxList.h"
#include "app/diagram/FontAndColor.h"
#include "app/core/DebugLog.h"
#include "app/core/Processing.h"
#include "app/diagram/PadDraw.h"
#include "app/core/AddOnHooks.h"
#include "app/dialogs/BoxEditor.h"
#include "app/dialogs/ZoomScreen.h"
#include "platform/grid/Grid.h"
#include "app/print/PrintCanvas.h"
#include "platform/report/Report.h"
#include "platform/statusbar/LockKeys.h"
#include "platform/system/System.h"
#include "platform/vbrt/Error.h"
#include "platform/zipfolder/ZipFolder.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QWindow>

#include <cerrno>
#include <map>

namespace {

using namespace baseform_test;

class MainWindowTest : public BaseFormTest {
protected:
    // A new PAD chart document: one canvas, shown and active.
    CanvasForm* newDocument()
    {
        form().Menu_FileNewFileObstinate_Click(0);
        const std::vector<CanvasForm*> shown = shownCanvases();
        if (shown.size() != 1) {
            ADD_FAILURE() << "a new document shows one canvas, not " << shown.size();
            return nullptr;
        }
        return shown.front();
    }

    static void selectBox(CanvasForm* canvas, bool fontEnabled = true)
    {
        canvas->LockPartsKind = 1;
        canvas->LockPartsCopyEnabled = true;
        canvas->LockPartsEditorEnabled = true;
        canvas->LockPartsFontEnabled = fontEnabled;
        canvas->LockPartsFontCode = 0;
        canvas->LockPartsColorCode = -1;
    }

    void activate(CanvasForm* canvas)
    {
        form().workspace->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(canvas->parentWidget()));
        form().ToolBarArrange();
    }

    bool enabled(const char* key) { return form().ToolButton(QString::fromLatin1(key))->isEnabled(); }

    // A box editor on a box of the canvas (its first box shown when none is named), by its editor
    // command as the user reaches it; the editor in front afterwards.
    BoxEditor* editorOpen(CanvasForm* canvas, std::int16_t box = -1)
    {
        activate(canvas);
        for (box = box < 0 ? 1 : box; !canvas->lblBox.IsLoaded(box) || !std::as_const(canvas->lblBox)[box].Visible;)
            ++box;
        canvas->PartsLock(1, box, 0, false);
        canvas->PartsLockMenuSet(0, -1);
        canvas->Menu_EditEditor_Click();
        return qobject_cast<BoxEditor*>(form().ActiveForm());
    }

    // A chart of one branch "B" with the cases "c1" and "c2", open; its canvas window.
    CanvasForm* branchDocument()
    {
        const QString lines = QStringLiteral("&&document|&&routine|&&obstinate|Obstinate1|&&text|R|&&branch|&&text|B|"
                                             "&&case|&&text|c1|&&block|&&text|b1|&&case|&&text|c2|&&block|&&text|b2|"
                                             "&&end-branch|&&end-routine|&&end-document");
        cd::QueueFileName(WriteDocument(files_.filePath(QStringLiteral("branch.txt")), lines.split(u'|')));
        form().Menu_FileOpen_Click();
        const std::vector<CanvasForm*> shown = shownCanvases();
        return shown.size() == 1 ? shown.front() : nullptr;
    }

    // The box of the first canvas whose text is this.
    static std::int16_t BoxOf(const QString& text)
    {
        for (std::size_t i = 1; i < B[1].BoxList.size(); ++i)
            if (B[1].BoxList[i].garbage == -1 && B[1].BoxList[i].text.text == text)
                return static_cast<std::int16_t>(i);
        ADD_FAILURE() << "no box " << text.toStdString();
        return -1;
    }
};

TEST_F(MainWindowTest, TheTitleNamesTheDocumentAndTheOpenDialog)
{
    struct Row {
        const char* why;
        QString document;
        QString caption;
        QString title;
    };
    const Row rows[] = {
        {"no document", {}, {}, QStringLiteral("Vellumora")},
        {"a document", QStringLiteral("/home/u/prog.pad"), QStringLiteral("  "), QStringLiteral("Vellumora - [prog.pad]")},
        {"a dialog", QStringLiteral("/home/u/prog.pad"), QStringLiteral(" 印刷設定 "),
         QStringLiteral("Vellumora - [prog.pad] - [印刷設定] 編集中")},
        {"a text ending in 中 stands alone", QStringLiteral("/home/u/prog.pad"), QStringLiteral("検索中"),
         QStringLiteral("Vellumora - [prog.pad] - 検索中")},
        {"a new document shows its title", QStringLiteral("\t(新規追加)"), {}, QStringLiteral("Vellumora - [(新規追加)]")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        ApplicationGlobals.DocumentName = row.document;
        form().CaptionSet(row.caption);
        EXPECT_EQ(form().windowTitle(), row.title);
    }
    ApplicationGlobals.DocumentName.clear();
}

TEST(MainWindowErrorRule, OnlyForeignErrorsShowTheirNumberAndSource)
{
    struct Row {
        const char* why;
        std::int32_t number;
        QString message;
    };
    const Row rows[] = {
        {"the program's own number", -2147220991, QStringLiteral("有効なpadﾀｸﾞがありません。")},
        {"a runtime error", 53, QStringLiteral("有効なpadﾀｸﾞがありません。")},
        {"a number below the program's own", -2147220992,
         QStringLiteral("有効なpadﾀｸﾞがありません。(-2147220992) PadDrawGetData")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const platform::vbrt::Error error(row.number, QStringLiteral("PadDrawGetData"),
                                          QStringLiteral("有効なpadﾀｸﾞがありません。"));
        EXPECT_EQ(FailureText(error), row.message);
    }
}

class HelpEntries : public MainWindowTest {
protected:
    QByteArray helpLines() const override
    {
        return "Help1=no colon here\n"
               "Help2= 操作説明 : missing.pdf :ignored\n"
               "Help3=手引き:guide.pdf\n"
               "Help5=never read:x.pdf\n";
    }
};

TEST_F(HelpEntries, ActivationBuildsTheHelpAndChartKindEntries)
{
    QFile guide(QDir(program_.path()).filePath(QStringLiteral("guide.pdf")));
    ASSERT_TRUE(guide.open(QIODevice::WriteOnly));
    guide.close();
    showActive();

    const std::vector<HelpMenuEntry> expected{{QStringLiteral("操作説明"), QStringLiteral("missing.pdf")},
                                              {QStringLiteral("手引き"), QStringLiteral("guide.pdf")}};
    EXPECT_EQ(ApplicationGlobals.HelpMenuTable, expected) << "a value without a colon is skipped; a gap ends the list";
    EXPECT_TRUE(form().Menu_HelpAdd[1]->isVisible());
    EXPECT_EQ(BaseForm::MenuCaption(form().Menu_HelpAdd[0]), QStringLiteral("操作説明"));
    EXPECT_FALSE(form().Menu_HelpAdd[2]->isVisible());
    QStringList kinds;
    for (QAction* a : form().Menu_FileNewFileObstinate)
        if (a->isVisible())
            kinds << a->text();
    EXPECT_EQ(kinds, QStringList({QStringLiteral("PAD図"), QStringLiteral("ﾓｼﾞｭｰﾙ構造図")}));
    EXPECT_FALSE(form().Menu_Tool->menuAction()->isVisible()) << "no add-on tools";

    platform::system::OpenedFiles().clear();
    platform::system::SetFileOpener([](const QString&) { return true; });
    form().Menu_HelpAdd_Click(0);
    form().Menu_HelpAdd_Click(1);
    platform::system::SetFileOpener({});
    ASSERT_EQ(prompts().size(), 1u);
    EXPECT_EQ(prompts().front(), QStringLiteral("PDFファイルが見つかりません。(2)"));
    EXPECT_EQ(platform::system::OpenedFiles(), QStringList(QDir(program_.path()).filePath(QStringLiteral("guide.pdf"))))
        << "a relative file is taken in the program's folder";
}

TEST_F(MainWindowTest, MenusEnableByTheDocumentState)
{
    struct Row {
        const char* why;
        std::function<void()> setUp;
        bool save, saveAs, perDocument, searchNext;
    };
    const Row rows[] = {
        {"no document", [] {}, false, false, false, false},
        {"a new document has no file", [this] { newDocument(); }, false, true, true, false},
        {"a search text enables Search next",
         [] { ApplicationGlobals.SearchSettings.SearchText = QStringLiteral("受注"); }, false, true, true, true},
        {"a blank search text does not", [] { ApplicationGlobals.SearchSettings.SearchText = QStringLiteral("  "); },
         false, true, true, false},
        {"an opened file", [this] {
             cd::QueueFileName(SamplePath(QStringLiteral("order-summary.pad")));
             form().Menu_FileOpen_Click();
         },
         true, true, true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        row.setUp();
        form().Menu_File_Click();
        form().Menu_Edit_Click();
        EXPECT_TRUE(form().Menu_FileOpen->isEnabled());
        EXPECT_TRUE(form().Menu_FileNewFile->menuAction()->isEnabled());
        EXPECT_EQ(form().Menu_FileSaveOverWrite->isEnabled(), row.save);
        EXPECT_EQ(form().Menu_FileSaveNamed->isEnabled(), row.saveAs);
        for (QAction* a : {form().Menu_FileAddInput, form().Menu_FileRefresh, form().Menu_FilePrintSetting,
                           form().Menu_FilePrint, form().Menu_EditSearch, form().Menu_EditReplace,
                           form().Menu_EditCanvasInsert->menuAction()})
            EXPECT_EQ(a->isEnabled(), row.perDocument) << BaseForm::MenuCaption(a).toStdString();
        EXPECT_EQ(form().Menu_EditSearchNext->isEnabled(), row.searchNext);
        EXPECT_EQ(form().Menu_EditUndo->isEnabled(), HistoryCanUndo());
    }
}

TEST_F(MainWindowTest, ShortcutsFollowTheEnablingRulesOfNow)
{
    showActive();
    cd::QueueFileName(SamplePath(QStringLiteral("order-summary.txt")));
    form().Menu_FileOpen_Click();
    form().Menu_File_Click();
    ASSERT_TRUE(form().Menu_FileSaveOverWrite->isEnabled());
    // A new document has no file: Ctrl+S must not save, even though the File menu was last
    // opened while Save was enabled.
    form().Menu_FileNewFileObstinate_Click(0);
    SetModifyFlag(true);
    cd::ShownDialogs().clear();
    QTest::keyClick(&form(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(cd::ShownDialogs().empty());
    EXPECT_TRUE(GetModifyFlag());

    // Ctrl+O is always allowed: the open dialog comes (and is cancelled).
    SetModifyFlag(false);
    cd::QueueCancel();
    QTest::keyClick(&form(), Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(cd::ShownDialogs().size(), 1u);
    EXPECT_FALSE(cd::ShownDialogs().front().save);

    // While a command runs the window takes no shortcut.
    cd::ShownDialogs().clear();
    ProcessingStart(&form());
    QTest::keyClick(&form(), Qt::Key_O, Qt::ControlModifier);
    ProcessingEnd(&form());
    EXPECT_TRUE(cd::ShownDialogs().empty());
}

TEST_F(MainWindowTest, ToolBarFollowsTheActiveWindow)
{
    form().ToolBarArrange();
    EXPECT_TRUE(enabled("Open"));
    for (const char* key : {"Save", "Search", "Preview", "Print", "Cut", "Copy", "Paste", "Editor", "FontName",
                            "FontSize", "Bold", "Italic", "Strikethru", "Underline", "Color", "Undo", "Redo"})
        EXPECT_FALSE(enabled(key)) << key;
    EXPECT_FALSE(form().cmbFontName->isEnabled());

    CanvasForm* canvas = newDocument();
    ASSERT_TRUE(canvas);
    selectBox(canvas);
    activate(canvas);
    for (const char* key : {"Preview", "Print", "Search", "Cut", "Copy", "Editor", "FontName", "Bold", "Color"})
        EXPECT_TRUE(enabled(key)) << key;
    EXPECT_FALSE(enabled("Paste")) << "nothing copied yet";
    EXPECT_FALSE(enabled("Save")) << "a new document has no file";
    EXPECT_TRUE(form().cmbFontSize->isEnabled());
    EXPECT_EQ(form().cmbFontName->currentText(), QStringLiteral("標準")) << "the default font";
    EXPECT_EQ(form().cmbFontSize->currentText(), QStringLiteral("標準"));
    EXPECT_EQ(ToolbarFontState.ToolbarFontName, QStringLiteral("標準"));

    CopyAndPaste.ClipboardExistFlag = true;
    form().ToolBarArrange();
    EXPECT_FALSE(enabled("Paste")) << "a copy is pasted onto a line, never onto a box";

    canvas->LockPartsKind = 2;  // a line is selected
    form().ToolBarArrange();
    EXPECT_TRUE(enabled("Paste"));
    EXPECT_FALSE(enabled("Editor")) << "the editor opens on a box only";
    CopyAndPaste.ClipboardExistFlag = false;
    EXPECT_FALSE(enabled("Bold"));
    EXPECT_FALSE(form().cmbColor->isEnabled());

    // A box editor in front: nothing of the canvas's selection applies.
    selectBox(canvas);
    auto* editor = new QWidget;
    FormTagSet(editor, QStringLiteral("EM"));
    QMdiSubWindow* sub = form().workspace->addSubWindow(editor);
    sub->show();
    form().workspace->setActiveSubWindow(sub);
    form().ToolBarArrange();
    EXPECT_TRUE(enabled("Search"));
    for (const char* key : {"Cut", "Editor", "FontName", "Bold", "Color"})
        EXPECT_FALSE(enabled(key)) << key;
    EXPECT_FALSE(form().cmbFontName->isEnabled());
    delete sub;

    // Whichever window a command runs from, the buttons show what it leaves.
    struct Row {
        const char* why;
        std::function<void()> command;
        bool undo;
        bool redo;
        bool save;
    };
    const Row rows[] = {
        {"a canvas added from the main window", [&] { form().Menu_EditCanvasInsertObstinate_Click(0); }, true, false,
         false},
        {"an undo from the main window with every canvas window hidden",
         [&] {
             CanvasVisibleSet(-1, false);
             form().Menu_EditUndo_Click();
         },
         false, true, false},
        {"a redo likewise", [&] { form().Menu_EditRedo_Click(); }, true, false, false},
        {"a save under a new name",
         [&] {
             cd::QueueFileName(files_.filePath(QStringLiteral("toolbar.txt")));
             form().Menu_FileSaveNamed_Click();
         },
         false, false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        row.command();
        ASSERT_TRUE(mb::ShownBoxes().empty()) << mb::ShownBoxes().front().prompt.toStdString();
        EXPECT_EQ(HistoryCanUndo(), row.undo);
        EXPECT_EQ(HistoryCanRedo(), row.redo);
        EXPECT_EQ(enabled("Undo"), row.undo);
        EXPECT_EQ(enabled("Redo"), row.redo);
        EXPECT_EQ(enabled("Save"), row.save);
    }
}

TEST_F(MainWindowTest, TheFrontWindowsCaptionShowsInTheStatusBar)
{
    showActive();
    cd::QueueFileName(SamplePath(QStringLiteral("order-summary.pad")));
    form().Menu_FileOpen_Click();
    const std::vector<CanvasForm*> shown = shownCanvases();
    ASSERT_GE(shown.size(), 2u);
    for (CanvasForm* canvas : {shown[1], shown[0], shown[1]}) {
        activate(canvas);
        EXPECT_EQ(form().StatusPanelText(QStringLiteral("FocusCanvas")), canvas->Caption());
    }

    // A new caption of the front window shows at once.
    shown[1]->SetCaption(QStringLiteral("改名:2"));
    EXPECT_EQ(form().StatusPanelText(QStringLiteral("FocusCanvas")), QStringLiteral("改名:2"));
    shown[0]->SetCaption(QStringLiteral("裏:1"));
    EXPECT_EQ(form().StatusPanelText(QStringLiteral("FocusCanvas")), QStringLiteral("改名:2")) << "only the front one";

    // Closed with its close box, the front window hides and the one before it comes forward.
    qobject_cast<QMdiSubWindow*>(shown[1]->parentWidget())->close();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return form().StatusPanelText(QStringLiteral("FocusCanvas")) == QStringLiteral("裏:1"); }, 5000))
        << form().StatusPanelText(QStringLiteral("FocusCanvas")).toStdString();
    EXPECT_EQ(form().ActiveForm(), shown[0]);

    // Hidden one by one: the panel names the window in front after each, and nothing at the end.
    for (std::size_t c = B.size(); c-- > 1;)
        CanvasVisibleSet(static_cast<std::int16_t>(c), false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form().StatusPanelText(QStringLiteral("FocusCanvas")).isEmpty(); }, 30000))
        << form().StatusPanelText(QStringLiteral("FocusCanvas")).toStdString();
}

// The titles of the menus the bar shows.
QStringList BarTitles(BaseForm& form)
{
    QStringList titles;
    for (QAction* a : form.menuBar()->actions())
        if (a->isVisible())
            titles << a->text();
    return titles;
}

// The menu of the bar with that title, opened as the user opens it; and an item of it by caption.
QMenu* OpenBarMenu(BaseForm& form, const QString& title)
{
    for (QAction* a : form.menuBar()->actions()) {
        if (a->isVisible() && a->text() == title && a->menu()) {
            emit a->menu()->aboutToShow();
            return a->menu();
        }
    }
    ADD_FAILURE() << "no menu " << title.toStdString();
    return nullptr;
}

// The items a menu shows, as shown ("-" for a separator).
QStringList ShownItems(QMenu* menu)
{
    QStringList items;
    for (QAction* a : menu ? menu->actions() : QList<QAction*>())
        if (a->isVisible())
            items << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return items;
}

QAction* MenuItem(QMenu* menu, const QString& caption)
{
    for (QAction* a : menu ? menu->actions() : QList<QAction*>())
        if (BaseForm::MenuCaption(a) == caption)
            return a;
    ADD_FAILURE() << "no item " << caption.toStdString();
    return nullptr;
}

TEST_F(MainWindowTest, WithACanvasInFrontTheBarShowsItsShowAndWindowMenus)
{
    showActive();
    const QStringList mainBar = {QStringLiteral("ﾌｧｲﾙ(&F)"), QStringLiteral("編集(&E)"), QStringLiteral("表示(&V)"),
                                 QStringLiteral("ﾍﾙﾌﾟ(&H)")};
    EXPECT_EQ(BarTitles(form()), mainBar);
    EXPECT_TRUE(ShownItems(OpenBarMenu(form(), QStringLiteral("ﾌｧｲﾙ(&F)"))).contains(QStringLiteral("再表示(&V)")));
    cd::QueueFileName(SamplePath(QStringLiteral("order-summary.pad")));
    form().Menu_FileOpen_Click();
    const std::vector<CanvasForm*> shown = shownCanvases();
    ASSERT_GE(shown.size(), 2u);
    CanvasForm* front = shown[1];
    activate(front);
    EXPECT_EQ(BarTitles(form()),
              (QStringList{QStringLiteral("ﾌｧｲﾙ(&F)"), QStringLiteral("編集(&E)"), QStringLiteral("書式(&O)"),
                           QStringLiteral("表示(&V)"), QStringLiteral("ｳｲﾝﾄﾞｳ(&W)"), QStringLiteral("ﾍﾙﾌﾟ(&H)")}));
    EXPECT_EQ(ShownItems(OpenBarMenu(form(), QStringLiteral("ﾌｧｲﾙ(&F)"))),
              (QStringList{QStringLiteral("新規追加(&N)"), QStringLiteral("ﾌｧｲﾙを開く(&O)\tCtrl+O"),
                           QStringLiteral("上書き保存(&S)\tCtrl+S"), QStringLiteral("名前を付けて保存(&A)"),
                           QStringLiteral("読込み(&I)"), QStringLiteral("再表示(&R)"), QStringLiteral("印刷設定(&U)"),
                           QStringLiteral("印刷(&P)\tCtrl+P"), QStringLiteral("Vellumoraの終了(&X)")}));
    EXPECT_EQ(ShownItems(OpenBarMenu(form(), QStringLiteral("表示(&V)"))),
              (QStringList{QStringLiteral("最小化(&N)"), QStringLiteral("非表示(&C)\tCtrl+F4"),
                           QStringLiteral("ﾘﾌﾚｯｼｭ(&F)"), QStringLiteral("-"), QStringLiteral("ﾂｰﾙﾊﾞｰ表示(&T)"),
                           QStringLiteral("ｽﾃｰﾀｽﾊﾞｰ表示(&S)")}));

    const QRect area = form().workspace->viewport()->rect();
    const auto frames = [&] {
        std::vector<QRect> out;
        for (CanvasForm* canvas : shown)
            out.push_back(canvas->parentWidget()->geometry());
        return out;
    };
    const auto barShown = [this](QWidget* bar, const QString& caption) {
        QAction* item = MenuItem(OpenBarMenu(form(), QStringLiteral("表示(&V)")), caption);
        return bar->isVisible() && item->isChecked() && item->isCheckable();
    };
    struct Row {
        const char* why;
        const char* menu;
        const char* caption;
        std::function<bool()> done;
        std::function<void()> before = {};
    };
    const Row rows[] = {
        {"Minimise", "表示(&V)", "最小化(&N)", [&] { return front->WindowState() == 1; }},
        {"Refresh puts a minimised window back", "表示(&V)", "ﾘﾌﾚｯｼｭ(&F)", [&] { return front->WindowState() == 0; }},
        {"Refresh of a window in its normal state keeps it", "表示(&V)", "ﾘﾌﾚｯｼｭ(&F)",
         [&] { return front->WindowState() == 0 && front->Visible(); }},
        {"the tool bar goes", "表示(&V)", "ﾂｰﾙﾊﾞｰ表示(&T)",
         [&] { return !barShown(form().tlbBaseForm, QStringLiteral("ﾂｰﾙﾊﾞｰ表示(&T)")) && !form().Menu_ShowToolBar->isChecked(); }},
        {"and comes back", "表示(&V)", "ﾂｰﾙﾊﾞｰ表示(&T)",
         [&] { return barShown(form().tlbBaseForm, QStringLiteral("ﾂｰﾙﾊﾞｰ表示(&T)")); }},
        {"the status bar goes", "表示(&V)", "ｽﾃｰﾀｽﾊﾞｰ表示(&S)",
         [&] { return !barShown(form().stbBaseForm, QStringLiteral("ｽﾃｰﾀｽﾊﾞｰ表示(&S)")) && !form().Menu_ShowStatusBar->isChecked(); }},
        {"and comes back", "表示(&V)", "ｽﾃｰﾀｽﾊﾞｰ表示(&S)",
         [&] { return barShown(form().stbBaseForm, QStringLiteral("ｽﾃｰﾀｽﾊﾞｰ表示(&S)")); }},
        {"one above another", "ｳｲﾝﾄﾞｳ(&W)", "上下に並べて表示(&V)", [&] {
             const std::vector<QRect> f = frames();
             return f[0].x() == 0 && f[1].x() == 0 && f[0].width() == area.width() && f[0].y() != f[1].y();
         }},
        {"side by side", "ｳｲﾝﾄﾞｳ(&W)", "左右に並べて表示(&H)", [&] {
             const std::vector<QRect> f = frames();
             return f[0].y() == 0 && f[1].y() == 0 && f[0].height() == area.height() && f[0].x() != f[1].x();
         }},
        {"cascade", "ｳｲﾝﾄﾞｳ(&W)", "重ねて表示(&C)", [&] {
             const std::vector<QRect> f = frames();
             return f[0].topLeft() != f[1].topLeft() && f[0].x() == f[0].y() && f[1].x() == f[1].y();
         }},
        {"minimised windows line up at the bottom", "ｳｲﾝﾄﾞｳ(&W)", "ｱｲｺﾝの整列(&A)",
         [&] { return frames()[0].bottom() == area.bottom(); },
         [&] {
             shown[0]->SetWindowState(1);
             shown[0]->parentWidget()->move(40, 40);
             activate(front);
         }},
        {"Hide", "表示(&V)", "非表示(&C)", [&] { return !front->Visible() && shown[0]->Visible(); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        if (row.before)
            row.before();
        ASSERT_EQ(form().ActiveForm(), front);
        QAction* item = MenuItem(OpenBarMenu(form(), QString::fromUtf8(row.menu)), QString::fromUtf8(row.caption));
        ASSERT_TRUE(item);
        item->trigger();
        EXPECT_TRUE(row.done());
    }
}

TEST_F(MainWindowTest, TheWindowMenuListsTheWindowsShown)
{
    showActive();
    cd::QueueFileName(SamplePath(QStringLiteral("order-summary.pad")));
    form().Menu_FileOpen_Click();
    form().Menu_EditCanvasInsertObstinate_Click(0);
    const std::vector<CanvasForm*> shown = shownCanvases();
    ASSERT_EQ(shown.size(), 3u);
    shown[2]->SetVisible(false);
    activate(shown[1]);
    // The listed windows by caption, numbered from 1 in the order listed, and which one is checked.
    const auto listed = [this] {
        std::map<QString, QAction*> out;
        const QList<QAction*> items = OpenBarMenu(form(), QStringLiteral("ｳｲﾝﾄﾞｳ(&W)"))->actions();
        for (qsizetype i = 5; i < items.size(); ++i) {
            const QString number = QStringLiteral("&%1 ").arg(i - 4);
            EXPECT_TRUE(items[i]->text().startsWith(number)) << items[i]->text().toStdString();
            out[items[i]->text().mid(number.size())] = items[i];
        }
        return out;
    };
    for (CanvasForm* front : {shown[1], shown[0]}) {
        const std::map<QString, QAction*> items = listed();
        ASSERT_EQ(items.size(), 2u) << "the hidden window is not listed, the others once";
        for (CanvasForm* canvas : {shown[0], shown[1]}) {
            ASSERT_EQ(items.count(canvas->Caption()), 1u);
            EXPECT_EQ(items.at(canvas->Caption())->isChecked(), canvas == form().ActiveForm());
        }
        // A choice brings that window to the front.
        items.at(front->Caption())->trigger();
        EXPECT_EQ(form().ActiveForm(), front);
    }
}

TEST_F(MainWindowTest, TheBoxEditorOpensInFrontWithTheFocusAndHandsTheFrontBackToItsCanvas)
{
    showActive(); // at the first window size, where the editor's designed height does not fit
    cd::QueueFileName(SamplePath(QStringLiteral("order-summary.pad")));
    form().Menu_FileOpen_Click();
    const std::vector<CanvasForm*> shown = shownCanvases();
    ASSERT_GE(shown.size(), 2u);
    QWidget* editorFrame = nullptr;
    const auto openEditor = [&](CanvasForm* canvas) {
        editorOpen(canvas);
        editorFrame = nullptr;
        for (QMdiSubWindow* sub : form().workspace->subWindowList())
            if (!qobject_cast<CanvasForm*>(sub->widget()) && sub->isVisible())
                editorFrame = sub;
    };
    struct Row {
        const char* why;
        std::function<void(QWidget* editor)> close;
    };
    const Row rows[] = {
        {"Update", [](QWidget* editor) { qobject_cast<BoxEditor*>(editor)->cmdUpdate->click(); }},
        {"Cancel", [](QWidget* editor) { qobject_cast<BoxEditor*>(editor)->cmdCancel->click(); }},
        {"its close box", [](QWidget* editor) { editor->parentWidget()->close(); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        // Opened from the canvas in front, while another canvas was in front before it.
        activate(shown[0]);
        openEditor(shown[1]);
        ASSERT_TRUE(editorFrame);
        QWidget* editor = qobject_cast<QMdiSubWindow*>(editorFrame)->widget();
        ASSERT_TRUE(qobject_cast<BoxEditor*>(editor));
        EXPECT_EQ(form().workspace->activeSubWindow(), editorFrame);
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() != nullptr; }, 30000));
        EXPECT_TRUE(editor->isAncestorOf(QApplication::focusWidget()))
            << QApplication::focusWidget()->metaObject()->className() << " "
            << QApplication::focusWidget()->objectName().toStdString();
        EXPECT_TRUE(form().workspace->viewport()->rect().contains(editorFrame->geometry()));
        row.close(editor);
        ASSERT_TRUE(QTest::qWaitFor([&] { return form().ActiveForm() != editor && !editorFrame->isVisible(); }, 30000));
        EXPECT_EQ(form().ActiveForm(), shown[1]);
        EXPECT_EQ(form().workspace->activeSubWindow(), shown[1]->parentWidget());
    }
}

TEST_F(MainWindowTest, WithABoxEditorInFrontTheOneBarShowsTheEditorsMenus)
{
    showActive();
    cd::QueueFileName(SamplePath(QStringLiteral("order-summary.pad")));
    form().Menu_FileOpen_Click();
    CanvasForm* canvas = shownCanvases().at(0);
    activate(canvas);
    const QStringList canvasBar = BarTitles(form());
    const QStringList canvasEdit = ShownItems(OpenBarMenu(form(), QStringLiteral("編集(&E)")));
    QPointer<BoxEditor> editor = editorOpen(canvas);
    ASSERT_TRUE(editor);

    QList<QMenuBar*> bars;
    for (QMenuBar* bar : form().findChildren<QMenuBar*>())
        if (bar->isVisible())
            bars << bar;
    EXPECT_EQ(bars, QList<QMenuBar*>{form().menuBar()}) << "the editor has no menu row of its own";
    EXPECT_EQ(BarTitles(form()),
              (QStringList{QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("編集(&E)"), QStringLiteral("表示(&V)"),
                           QStringLiteral("ｳｲﾝﾄﾞｳ(&W)"), QStringLiteral("ﾍﾙﾌﾟ(&H)")}))
        << "the File menu leaves its key to the editor's font list";
    EXPECT_TRUE(ShownItems(OpenBarMenu(form(), QStringLiteral("ﾌｧｲﾙ"))).contains(QStringLiteral("再表示(&R)")));
    EXPECT_EQ(ShownItems(OpenBarMenu(form(), QStringLiteral("編集(&E)"))),
              (QStringList{QStringLiteral("検索(&F)\tCtrl+F"), QStringLiteral("次を検索\tF3"),
                           QStringLiteral("置換(&E)\tCtrl+H")}));
    QMenu* show = OpenBarMenu(form(), QStringLiteral("表示(&V)"));
    EXPECT_EQ(ShownItems(show),
              (QStringList{QStringLiteral("最小化(&N)"), QStringLiteral("Box編集を閉じる(&C)\tCtrl+F4"),
                           QStringLiteral("ﾘﾌﾚｯｼｭ(&F)"), QStringLiteral("-"), QStringLiteral("ﾂｰﾙﾊﾞｰ表示(&T)"),
                           QStringLiteral("ｽﾃｰﾀｽﾊﾞｰ表示(&S)")}));
    EXPECT_TRUE(MenuItem(OpenBarMenu(form(), QStringLiteral("ｳｲﾝﾄﾞｳ(&W)")), QStringLiteral("重ねて表示(&C)")));

    // A key in one of its menus is the menu's: Esc closes the menu and leaves the editor open.
    show->popup(QPoint(0, 0));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(show, 30000));
    QTest::keyClick(show, Qt::Key_Escape);
    EXPECT_FALSE(show->isVisible());
    EXPECT_FALSE(editor->EditFinished());

    // The bar's commands reach the editor.
    MenuItem(show, QStringLiteral("最小化(&N)"))->trigger();
    EXPECT_TRUE(editor->parentWidget()->isMinimized());
    MenuItem(show, QStringLiteral("ﾘﾌﾚｯｼｭ(&F)"))->trigger();
    EXPECT_FALSE(editor->parentWidget()->isMinimized());
    MenuItem(show, QStringLiteral("Box編集を閉じる(&C)"))->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return editor.isNull(); }, 30000));

    // The canvas in front again brings its menus back.
    EXPECT_EQ(form().ActiveForm(), canvas);
    EXPECT_EQ(BarTitles(form()), canvasBar);
    EXPECT_EQ(ShownItems(OpenBarMenu(form(), QStringLiteral("編集(&E)"))), canvasEdit);
}

// What the desktop does when a window over the main window goes (a zoom, a message box): the main
// window is the active window again, and its activation ends the busy state.
TEST_F(MainWindowTest, AfterAWindowOverTheBoxEditorTheFocusIsBackInTheControlThatHadIt)
{
    showActive();
    CanvasForm* canvas = branchDocument();
    ASSERT_TRUE(canvas);
    // A message box takes the activation from the main window while it is open, as a zoom does.
    mb::SetShownHandler([](const mb::Shown&) { QApplication::setActiveWindow(nullptr); });
    const auto zoomAnswer = [](const QString& text) {
        QTimer::singleShot(0, [text] {
            auto* zoom = qobject_cast<ZoomScreen*>(QApplication::activeModalWidget());
            ASSERT_TRUE(zoom);
            zoom->txtZoomEditor->setPlainText(text);
            zoom->cmdUpdate->click();
        });
    };
    const QString tooLong = QStringLiteral("line\r\n").repeated(21);
    struct Row {
        const char* why;
        std::function<void(BoxEditor*)> act;
        std::function<QWidget*(BoxEditor*)> focus; // the control with the focus afterwards
        QString text;                              // the box text afterwards
        QString caseText;                          // the second case's text afterwards
    };
    const Row rows[] = {
        {"the box text's zoom",
         [&](BoxEditor* editor) {
             zoomAnswer(QStringLiteral("zoomed"));
             QTest::mouseClick(editor->cmdZoom, Qt::LeftButton);
         },
         [](BoxEditor* editor) -> QWidget* { return editor->txtText; }, QStringLiteral("zoomed"), QStringLiteral("c2")},
        {"a case text's zoom: the grid keeps its active cell",
         [&](BoxEditor* editor) {
             zoomAnswer(QStringLiteral("zoomed"));
             QTest::mouseClick(editor->sprCase->CellWidget(CaseColumn::Zoom, 2), Qt::LeftButton);
         },
         [](BoxEditor* editor) { return editor->sprCase->CellWidget(CaseColumn::Zoom, 2); }, QStringLiteral("B"),
         QStringLiteral("zoomed")},
        {"a text refused at Update",
         [&](BoxEditor* editor) {
             editor->SetBoxText(tooLong);
             QTest::mouseClick(editor->cmdUpdate, Qt::LeftButton);
             EXPECT_EQ(mb::ShownBoxes().size(), 1u);
         },
         [](BoxEditor* editor) -> QWidget* { return editor->txtText; }, tooLong, QStringLiteral("c2")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        mb::ShownBoxes().clear();
        QPointer<BoxEditor> editor = editorOpen(canvas, BoxOf(QStringLiteral("B")));
        ASSERT_TRUE(editor);
        row.act(editor);
        if (QApplication::activeWindow() != &form())
            QApplication::setActiveWindow(&form());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form(), 30000));
        ASSERT_TRUE(editor);
        EXPECT_FALSE(editor->EditFinished());
        EXPECT_EQ(editor->BoxText(), row.text);
        EXPECT_EQ(editor->sprCase->model().Text(CaseColumn::Text, 2), row.caseText);
        QWidget* focus = QApplication::focusWidget();
        EXPECT_EQ(focus, row.focus(editor)) << (focus ? focus->metaObject()->className() : "no focus");
        if (editor->sprCase->isAncestorOf(row.focus(editor))) {
            EXPECT_EQ(editor->sprCase->model().ActiveCol(), CaseColumn::Zoom);
            EXPECT_EQ(editor->sprCase->model().ActiveRow(), 2);
        }
        editor->Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// One access key does one thing at every press: a menu of the bar that is not shown holds no
// key, and where the box editor's controls and the bar's menus show the same key, the control
// has it.
TEST_F(MainWindowTest, EachAccessKeyDoesTheSameThingAtEveryPress)
{
    showActive();
    CanvasForm* canvas = branchDocument();
    ASSERT_TRUE(canvas);
    // An Alt key as the user presses it, wherever the focus is.
    const auto altKey = [&](Qt::Key key) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : &form(), key, Qt::AltModifier);
    };
    // Presses the key, each time after a click on another control; each press must lead there.
    const auto presses = [&](Qt::Key key, QWidget* clicked, QWidget* wanted) {
        for (int press = 1; press <= 4; ++press) {
            SCOPED_TRACE(press);
            QTest::mouseClick(clicked, Qt::LeftButton, {}, QPoint(4, 4));
            ASSERT_NE(QApplication::focusWidget(), wanted);
            altKey(key);
            QWidget* focus = QApplication::focusWidget();
            EXPECT_EQ(focus, wanted) << (focus ? focus->metaObject()->className() : "no focus");
            EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "a menu opened";
            EXPECT_EQ(form().menuBar()->activeAction(), nullptr) << "the bar took the key";
            if (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
        }
    };
    // Opens the bar's menu of the key as the user does; the menu that opened.
    const auto barMenu = [&](Qt::Key key) {
        altKey(key);
        EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }, 30000));
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu)
            menu->close();
        return menu;
    };
    struct Row {
        const char* why;
        bool tool; // an add-on tool shows the Tool menu
        QStringList editorBar;
        QStringList canvasBar;
    };
    const Row rows[] = {
        {"no add-on tools: the Tool menu is not shown",
         false,
         {QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("編集(&E)"), QStringLiteral("表示(&V)"), QStringLiteral("ｳｲﾝﾄﾞｳ(&W)"),
          QStringLiteral("ﾍﾙﾌﾟ(&H)")},
         {QStringLiteral("ﾌｧｲﾙ(&F)"), QStringLiteral("編集(&E)"), QStringLiteral("書式(&O)"), QStringLiteral("表示(&V)"),
          QStringLiteral("ｳｲﾝﾄﾞｳ(&W)"), QStringLiteral("ﾍﾙﾌﾟ(&H)")}},
        {"an add-on tool: the Tool menu is shown and leaves its key to the text box",
         true,
         {QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("編集(&E)"), QStringLiteral("表示(&V)"), QStringLiteral("ﾂｰﾙ"),
          QStringLiteral("ｳｲﾝﾄﾞｳ(&W)"), QStringLiteral("ﾍﾙﾌﾟ(&H)")},
         {QStringLiteral("ﾌｧｲﾙ(&F)"), QStringLiteral("編集(&E)"), QStringLiteral("書式(&O)"), QStringLiteral("表示(&V)"),
          QStringLiteral("ﾂｰﾙ(&T)"), QStringLiteral("ｳｲﾝﾄﾞｳ(&W)"), QStringLiteral("ﾍﾙﾌﾟ(&H)")}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        AddOnMenuTable.clear();
        if (row.tool)
            AddOnMenuTable.push_back({QStringLiteral("Report"), QStringLiteral("Menu_Tool"), 0, 0, 0,
                                      QStringLiteral("集計"), QStringLiteral("Tool")});
        form().MDIForm_Activate();
        QPointer<BoxEditor> editor = editorOpen(canvas, BoxOf(QStringLiteral("B")));
        ASSERT_TRUE(editor);
        EXPECT_EQ(BarTitles(form()), row.editorBar);
        presses(Qt::Key_T, editor->sprCase->viewport(), editor->txtText);
        presses(Qt::Key_F, editor->txtText, editor->cmbFontName);
        EXPECT_EQ(barMenu(Qt::Key_V), editor->Menu_Show) << "a key no control of the editor shows is the bar's";
        editor->Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        // With the canvas in front the bar has its keys back, and the canvas's Show menu has
        // its key at every press.
        ASSERT_EQ(form().ActiveForm(), canvas);
        EXPECT_EQ(BarTitles(form()), row.canvasBar);
        for (int press = 1; press <= 2; ++press) {
            SCOPED_TRACE(press);
            EXPECT_EQ(barMenu(Qt::Key_V), canvas->Menus().Menu_Show);
        }
    }
    AddOnMenuTable.clear();
    form().MDIForm_Activate();
}

TEST_F(MainWindowTest, ToolButtonsShowTheDesktopsPicturesWhereOneFits)
{
    platform::system::UseDesktopIconTheme();
    BaseForm window;
    const std::pair<const char*, const char*> themed[] = {
        {"Open", "document-open"},  {"Save", "document-save"},     {"Preview", "document-print-preview"},
        {"Print", "document-print"}, {"Undo", "edit-undo"},         {"Redo", "edit-redo"},
        {"Cut", "edit-cut"},         {"Copy", "edit-copy"},         {"Paste", "edit-paste"},
        {"Search", "edit-find"},     {"Bold", "format-text-bold"},  {"Italic", "format-text-italic"},
        {"Strikethru", "format-text-strikethrough"},                {"Underline", "format-text-underline"},
    };
    for (const auto& [key, name] : themed) {
        SCOPED_TRACE(key);
        EXPECT_EQ(window.ToolButton(QString::fromLatin1(key))->icon().name(), QString::fromLatin1(name));
    }
    const QIcon editor = window.ToolButton(QStringLiteral("Editor"))->icon();
    EXPECT_FALSE(editor.isNull()) << "no standard picture fits: the kanji";
    EXPECT_TRUE(editor.name().isEmpty());
}

// The status bar's panels, left to right, with their own widths in twips.
const std::pair<const char*, int> kStatusPanels[] = {
    {"Date", 1799}, {"Time", 953}, {"Caps", 979}, {"Num", 900}, {"Kana", 873}, {"FocusCanvas", 882},
    {"EditMode", 882}, {"ModalWindow", 882}, {"UnVisibleCanvas", 882}, {"SearchState", 882}, {"FontAndSize", 882},
};

TEST_F(MainWindowTest, AStatusPanelShowsItsWholeTextAndAShortTextKeepsItsOwnWidth)
{
    showActive();
    ApplicationGlobals.DocumentFontName = QStringLiteral("ＭＳ ゴシック");
    ApplicationGlobals.DocumentFontSize = QStringLiteral("12");
    ApplicationGlobals.DocumentColorName = QStringLiteral("黒");
    FontAndSizeShow();
    FocusCanvasShow(QStringLiteral("成績判定処理:1"));
    SearchStateShow(QStringLiteral("検索中"));
    const auto panel = [&](const char* key) { return form().stbBaseForm->findChild<QLabel*>(QString::fromLatin1(key)); };
    for (const auto& [key, text] : {std::pair{"FocusCanvas", QStringLiteral("成績判定処理:1")},
                                    std::pair{"FontAndSize", QStringLiteral("ＭＳ ゴシック, 12, 黒")}}) {
        SCOPED_TRACE(key);
        ASSERT_TRUE(panel(key)->isVisible());
        EXPECT_EQ(panel(key)->text(), text) << "shown whole";
        // Inside its frame a label sets its text in by half an "x" unless told otherwise.
        QLabel* label = panel(key);
        const int indent = label->indent() >= 0        ? label->indent()
                           : label->frameWidth() > 0 ? label->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2
                                                     : 0;
        EXPECT_GE(label->contentsRect().width() - indent - 2 * label->margin(),
                  form().stbBaseForm->fontMetrics().horizontalAdvance(text));
    }
    EXPECT_EQ(panel("SearchState")->text(), QStringLiteral("検索中"));
    EXPECT_EQ(panel("SearchState")->width(), 882 / platform::vbrt::TwipsPerPixel) << "a short text keeps its own width";
    EXPECT_EQ(panel("ModalWindow")->width(), 882 / platform::vbrt::TwipsPerPixel) << "so does no text";
}

TEST_F(MainWindowTest, StatusPanelsNeverOverlapInANarrowWindow)
{
    showActive();
    newDocument();
    for (const int width : {1400, 700, 420, 200}) {
        SCOPED_TRACE(width);
        form().resize(width, 400);
        ASSERT_TRUE(QTest::qWaitFor([&] { return form().width() == width; }, 30000)) << form().width();
        QStatusBar* bar = form().stbBaseForm;
        int right = -1;
        int shown = 0;
        for (const auto& [key, widthTwips] : kStatusPanels) {
            auto* panel = bar->findChild<QLabel*>(QString::fromLatin1(key));
            ASSERT_TRUE(panel) << key;
            if (!panel->isVisible())
                continue;
            ++shown;
            const QRect r(panel->mapTo(bar, QPoint(0, 0)), panel->size());
            EXPECT_GT(r.left(), right) << key << " overlaps the panel before it";
            EXPECT_LE(r.right(), bar->width()) << key;
            EXPECT_GE(r.width(), widthTwips / platform::vbrt::TwipsPerPixel) << key << " narrower than its own width";
            right = r.right();
        }
        EXPECT_GT(shown, 0);
        if (width >= 1400) {
            EXPECT_EQ(shown, 11) << "every panel while there is room";
        }
    }
    EXPECT_EQ(form().StatusPanelText(QStringLiteral("EditMode")).right(4), QStringLiteral("ﾓｰﾄﾞ")) << "texts stay whole";
}

TEST_F(MainWindowTest, TheLockKeyPanelsFollowTheKeysTheWindowSystemTells)
{
    namespace sb = platform::statusbar;
    auto panel = [&](const char* key) { return form().stbBaseForm->findChild<QLabel*>(QString::fromLatin1(key)); };
    auto lit = [&] {
        return std::vector<bool>{panel("Caps")->isEnabled(), panel("Num")->isEnabled(), panel("Kana")->isEnabled()};
    };
    EXPECT_EQ(form().StatusPanelText(QStringLiteral("Caps")), QStringLiteral("CAPS"));
    EXPECT_EQ(form().StatusPanelText(QStringLiteral("Num")), QStringLiteral("NUM"));
    EXPECT_EQ(form().StatusPanelText(QStringLiteral("Kana")), QStringLiteral("ｶﾅ"));
    EXPECT_EQ(lit(), (std::vector<bool>{false, false, false})) << "offscreen nothing tells the states";

    sb::FeedLockKeyStates(sb::LockKeyStates{true, false, true});
    EXPECT_EQ(lit(), (std::vector<bool>{true, false, true}));
    sb::FeedLockKeyStates(sb::LockKeyStates{false, true, false});
    EXPECT_EQ(lit(), (std::vector<bool>{false, true, false}));
    sb::FeedLockKeyStates(std::nullopt);
    EXPECT_EQ(lit(), (std::vector<bool>{false, false, false}));
}

TEST_F(MainWindowTest, AToolBarButtonClearsEverySelection)
{
    CanvasForm* canvas = newDocument();
    ASSERT_TRUE(canvas);
    activate(canvas);
    B[1].header.partsLock = -1;
    form().ToolButton(QStringLiteral("Copy"))->setEnabled(true);
    form().ToolButton(QStringLiteral("Copy"))->trigger();
    EXPECT_EQ(B[1].header.partsLock, 0);
}

TEST_F(MainWindowTest, FontCombosApplyOnlyAChosenEntryToTheCanvasTheyDescribe)
{
    showActive();
    CanvasForm* first = newDocument();
    ASSERT_TRUE(first);
    form().Menu_EditCanvasInsertObstinate_Click(0);
    ASSERT_EQ(B.size(), 3u);
    CanvasForm* second = CanvasWindowOf(B[2]);
    ASSERT_TRUE(second);
    selectBox(first);
    selectBox(second);
    activate(first);
    QComboBox* size = form().cmbFontSize;

    struct Row {
        const char* why;
        std::vector<int> keys;
        bool applied;
    };
    const Row rows[] = {
        {"Down, Down, Esc changes nothing", {Qt::Key_Down, Qt::Key_Down, Qt::Key_Escape}, false},
        {"Down then Enter applies the size", {Qt::Key_Down, Qt::Key_Return}, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        activate(first);
        first->FontSettingMenuSkip = false;
        ToolbarFontState.ToolbarFontSize = QStringLiteral("標準");
        size->setCurrentIndex(0);
        size->setFocus();
        ASSERT_TRUE(size->hasFocus());
        for (int key : row.keys)
            QTest::keyClick(size, Qt::Key(key));
        EXPECT_FALSE(size->hasFocus()) << "the focus went back to the canvas";
        EXPECT_EQ(first->FontSettingMenuSkip, row.applied);
        EXPECT_EQ(ToolbarFontState.ToolbarFontSize == QStringLiteral("標準"), !row.applied)
            << ToolbarFontState.ToolbarFontSize.toStdString();
        if (!row.applied) {
            EXPECT_EQ(size->currentText(), QStringLiteral("標準")) << "Esc shows the stored value again";
        }
    }

    // A combo left without an entry names nothing: nothing is applied.
    activate(first);
    first->FontSettingMenuSkip = false;
    QComboBox* name = form().cmbFontName;
    name->setFocus();
    name->setCurrentIndex(-1);
    second->setFocus();
    EXPECT_FALSE(first->FontSettingMenuSkip);
    EXPECT_EQ(ToolbarFontState.ToolbarFontName, QStringLiteral("標準"));

    // A choice left by activating another canvas goes to the canvas the combo described.
    activate(first);
    first->FontSettingMenuSkip = false;
    second->FontSettingMenuSkip = false;
    size->setFocus();
    size->setCurrentIndex(3);
    form().workspace->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(second->parentWidget()));
    EXPECT_TRUE(first->FontSettingMenuSkip);
    EXPECT_FALSE(second->FontSettingMenuSkip);
    EXPECT_EQ(ToolbarFontState.ToolbarFontSize, QStringLiteral("標準")) << "refilled from the second canvas";
}

TEST_F(MainWindowTest, StyleButtonsHandTheirStateToTheCanvas)
{
    CanvasForm* canvas = newDocument();
    ASSERT_TRUE(canvas);
    selectBox(canvas);
    activate(canvas);
    QAction* bold = form().ToolButton(QStringLiteral("Bold"));
    ASSERT_FALSE(bold->isChecked());
    bold->trigger();
    EXPECT_TRUE(ToolbarFontState.ToolbarFontBold);
    EXPECT_TRUE(canvas->FontSettingMenuSkip);
}

TEST_F(MainWindowTest, AFontControlKeepsTheDefaultColourOfTheBoxItChanges)
{
    showActive();
    // A blue routine: its body line is painted after the plain box, so the colour in hand is blue.
    const QStringList document = {QStringLiteral("&&document"), QStringLiteral("&&routine"), QStringLiteral("&&color"),
                                  QStringLiteral("r0,g100,b160"), QStringLiteral("&&text"), QStringLiteral("R"),
                                  QStringLiteral("&&block"), QStringLiteral("&&text"), QStringLiteral("plain"),
                                  QStringLiteral("&&end-routine"), QStringLiteral("&&end-document")};
    const QString path = files_.filePath(QStringLiteral("colours.txt"));
    const auto comboPick = [this](QComboBox* combo, int index) {
        combo->setFocus();
        combo->setCurrentIndex(index);
        form().ActiveForm()->setFocus();
    };
    struct Row {
        const char* why;
        std::function<void()> change;
    };
    const Row rows[] = {
        {"Bold", [this] { form().ToolButton(QStringLiteral("Bold"))->trigger(); }},
        {"Italic", [this] { form().ToolButton(QStringLiteral("Italic"))->trigger(); }},
        {"Strikethru", [this] { form().ToolButton(QStringLiteral("Strikethru"))->trigger(); }},
        {"Underline", [this] { form().ToolButton(QStringLiteral("Underline"))->trigger(); }},
        {"a font name", [&] { comboPick(form().cmbFontName, 2); }},
        {"a font size", [&] { comboPick(form().cmbFontSize, 3); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        cd::QueueFileName(WriteDocument(path, document));
        form().Menu_FileOpen_Click();
        CanvasForm* canvas = shownCanvases().at(0);
        std::int16_t plain = 1;
        while (B[1].BoxList[static_cast<std::size_t>(plain)].text.text != QLatin1String("plain"))
            ++plain;
        const BoxRecord& box = B[1].BoxList[static_cast<std::size_t>(plain)];
        canvas->PartsLock(1, plain, 0, false);
        canvas->PartsLockMenuSet(0, -1);
        activate(canvas);
        ASSERT_TRUE(QTest::qWaitFor([] { return ColorModify(QString()) == 0 + 256 * 100 + 65536 * 160; }, 30000))
            << "the blue box is painted last";
        ASSERT_EQ(form().cmbColor->currentText(), QStringLiteral("標準"));

        row.change();
        EXPECT_NE(box.fontCode, 0) << "the change reached the box";
        EXPECT_EQ(box.colorCode, -1);
        form().Menu_FileSaveOverWrite_Click();
        const QStringList saved = platform::codepage::FromShiftJis(ReadAll(path)).split(QStringLiteral("\r\n"));
        // The plain box's record: from its tag line to its text.
        const qsizetype text = saved.indexOf(QStringLiteral("plain"));
        const qsizetype tag = saved.lastIndexOf(QStringLiteral("&&block"), text);
        ASSERT_GE(tag, 0);
        const QStringList record = saved.mid(tag, text - tag + 1);
        EXPECT_FALSE(record.contains(QStringLiteral("&&color"))) << record.join(u'|').toStdString();
    }
}

TEST_F(MainWindowTest, ClosingAModifiedDocumentAsks)
{
    showActive();
    QSignalSpy unloaded(&form(), &BaseForm::Unloaded);
    newDocument();
    SetModifyFlag(true);

    mb::QueueAnswer(mb::Answer::Cancel);
    form().Menu_FileClose_Click();
    ASSERT_EQ(prompts().size(), 1u);
    EXPECT_EQ(prompts().front(), QStringLiteral("(新規追加) は更新されています。保存しますか？"));
    EXPECT_EQ(mb::ShownBoxes().front().buttons & 0x7, mb::Style::YesNoCancel);
    EXPECT_TRUE(form().isVisible()) << "Cancel keeps the program running";
    EXPECT_TRUE(FormEnabled(&form()));
    EXPECT_EQ(unloaded.count(), 0);
    EXPECT_FALSE(ApplicationGlobals.ApplicationClosing);

    // Yes always asks for a file; declining it keeps the program too.
    mb::QueueAnswer(mb::Answer::Yes);
    cd::QueueCancel();
    form().close();
    EXPECT_EQ(cd::ShownDialogs().size(), 1u);
    EXPECT_TRUE(form().isVisible());

    mb::QueueAnswer(mb::Answer::No);
    form().close();
    EXPECT_FALSE(form().isVisible());
    EXPECT_EQ(unloaded.count(), 1);
    EXPECT_TRUE(ApplicationGlobals.ApplicationClosing);
}

TEST_F(MainWindowTest, ClosingAnUnmodifiedDocumentAsksNothing)
{
    showActive();
    QSignalSpy unloaded(&form(), &BaseForm::Unloaded);
    newDocument();
    form().close();
    EXPECT_TRUE(prompts().empty());
    EXPECT_EQ(unloaded.count(), 1);
}

// What a box editor holds is no part of the document until its update: closing an unmodified
// document asks about it first, whichever way the close comes, and No keeps the program running
// with the editor and its text as they were.
TEST_F(MainWindowTest, ClosingWithABoxEditorOpenAsksAboutItEvenForAnUnmodifiedDocument)
{
    showActive();
    QSignalSpy unloaded(&form(), &BaseForm::Unloaded);
    CanvasForm* canvas = branchDocument();
    ASSERT_TRUE(canvas);
    QPointer<BoxEditor> editor = editorOpen(canvas, BoxOf(QStringLiteral("b1")));
    ASSERT_TRUE(editor);
    editor->txtText->setPlainText(QStringLiteral("typed, not yet applied"));
    ASSERT_FALSE(GetModifyFlag());
    const std::vector<QString> question = {QStringLiteral("編集中のBOX編集が存在します。\r\n入力を取消して終了させても宜しいですか？")};
    struct Row {
        const char* why;
        std::function<void()> close;
    };
    const Row rows[] = {
        {"File > 終了", [&] { form().Menu_FileClose_Click(); }},
        {"the close box", [&] { form().close(); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        mb::ShownBoxes().clear();
        mb::QueueAnswer(mb::Answer::No);
        row.close();
        EXPECT_EQ(prompts(), question);
        EXPECT_TRUE(form().isVisible());
        EXPECT_EQ(unloaded.count(), 0);
        EXPECT_FALSE(ApplicationGlobals.ApplicationClosing);
        EXPECT_TRUE(FormEnabled(&form()));
        ASSERT_TRUE(editor);
        EXPECT_EQ(editor->txtText->toPlainText(), QStringLiteral("typed, not yet applied"));
    }

    // Yes lets the editor go; the document, unchanged, closes without a save prompt.
    mb::ShownBoxes().clear();
    mb::QueueAnswer(mb::Answer::Yes);
    form().close();
    EXPECT_EQ(prompts(), question);
    EXPECT_EQ(unloaded.count(), 1);
    EXPECT_FALSE(B[1].BoxList[static_cast<std::size_t>(BoxOf(QStringLiteral("b1")))].flags & BoxFlag::ModifyEditorOpen);
}

// Records how many message boxes had been shown when the window first came on the screen.
class ExposeWatch : public QObject {
public:
    int boxesAtExpose = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && boxesAtExpose < 0 && static_cast<QWindow*>(watched)->isExposed())
            boxesAtExpose = static_cast<int>(mb::ShownBoxes().size());
        return false;
    }
};

TEST_F(MainWindowTest, AMessageAboutTheCommandLineWaitsForTheWindowOnTheScreen)
{
    const QString gone = files_.filePath(QStringLiteral("gone.pad"));
    ApplicationGlobals.CommandArguments = QStringList{QString(), gone};
    ExposeWatch watch;
    form().winId();  // the window exists before it is shown, so its first expose can be watched
    form().windowHandle()->installEventFilter(&watch);
    form().show();
    ASSERT_TRUE(QTest::qWaitFor([] { return !mb::ShownBoxes().empty(); }, 30000)) << "shown without being activated";
    EXPECT_EQ(watch.boxesAtExpose, 0) << "the box came before the window was on the screen to centre it over";
    EXPECT_EQ(prompts(), std::vector<QString>{QStringLiteral("ファイルが見つかりません。 (%1)").arg(gone)});
    EXPECT_EQ(mb::ShownBoxes().front().owner, &form());
}

TEST_F(MainWindowTest, TheCommandLineIsActedOnAtTheFirstActivation)
{
    const QString sample = SamplePath(QStringLiteral("order-summary.pad"));
    const QString other = SamplePath(QStringLiteral("module-structure.pad"));
    struct Row {
        const char* why;
        QStringList arguments;
        QString opened;
        bool ends;
        QString prompt;  // the one message shown, if any
        bool logged = false;  // the notice of a chart too large for its canvas is in the debug log
    };
    const QString gone = sample + QStringLiteral(".gone");
    // A chart taller than the largest canvas window.
    QStringList tallLines = {QStringLiteral("&&document"), QStringLiteral("&&routine"), QStringLiteral("&&text"),
                             QStringLiteral("大きな処理")};
    for (int n = 0; n < 700; ++n)
        tallLines << QStringLiteral("&&block") << QStringLiteral("&&text") << QStringLiteral("処理%1").arg(n);
    tallLines << QStringLiteral("&&end-routine") << QStringLiteral("&&end-document");
    const QString tall = WriteDocument(files_.filePath(QStringLiteral("tall.txt")), tallLines);
    const QString tooLarge = QStringLiteral("図が大きすぎてｷｬﾝﾊﾞｽに表示しきれません。");
    const QString printIt = QStringLiteral("全体図は印刷で確認して下さい。");
    const Row rows[] = {
        {"an absolute path opens", {sample}, sample, false, {}},
        {"the last file counts", {other, sample}, sample, false, {}},
        {"an unknown option opens nothing", {QStringLiteral("/X"), sample}, {}, false, {}},
        {"a missing file says so", {gone}, {}, false, QStringLiteral("ファイルが見つかりません。 (%1)").arg(gone)},
        {"print in lower case prints and ends", {sample, QStringLiteral("/p")}, sample, true, {}},
        {"preview ends when the preview closes", {QStringLiteral("/V"), sample}, sample, true, {}},
        {"a print of a chart too large for its canvas waits for nobody: the notice goes to the log",
         {tall, QStringLiteral("/P")}, tall, true, {}, true},
        {"a preview of it, with the user there, shows the notice", {tall, QStringLiteral("/V")}, tall, true,
         tooLarge + QStringLiteral("\r\n") + printIt + QStringLiteral("\r\n(名前無し):1")},
    };
    // What the print dialog delivers is recorded, not sent to a printer.
    std::vector<platform::report::Delivery> delivered;
    platform::report::SetDeliveryRecorder(
        [&](platform::report::Delivery d, const platform::report::Report&) { delivered.push_back(d); });
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        delivered.clear();
        ApplicationGlobals.DocumentName.clear();
        ApplicationGlobals.CommandArguments = QStringList{QString()} + row.arguments;
        ApplicationGlobals.DebugClass[ErrorDebugClass] = true;
        QFile::remove(DebugLog.DebugFileName);
        auto window = std::make_unique<BaseForm>();
        QSignalSpy unloaded(window.get(), &BaseForm::Unloaded);
        window->show();
        // The command line waits for the window on the screen; a print ends the program at once.
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->windowHandle()->isExposed() || unloaded.count() > 0; }, 30000));
        window->MDIForm_Activate();
        EXPECT_EQ(ApplicationGlobals.DocumentName, row.opened);
        EXPECT_EQ(B.size() > 1, !row.opened.isEmpty());
        EXPECT_EQ(unloaded.count(), row.ends ? 1 : 0);
        EXPECT_EQ(delivered.size(), row.ends ? 1u : 0u);
        if (row.ends && !delivered.empty()) {
            EXPECT_EQ(delivered.front(), row.arguments.contains(QStringLiteral("/V")) ? platform::report::Delivery::Preview
                                                                                      : platform::report::Delivery::Print);
        }
        if (row.prompt.isEmpty()) {
            EXPECT_TRUE(prompts().empty());
        } else {
            EXPECT_EQ(prompts(), std::vector<QString>{row.prompt});
        }
        mb::ShownBoxes().clear();
        DebugLogClose();
        const QString log = platform::codepage::FromShiftJis(ReadAll(DebugLog.DebugFileName), QStringLiteral("log"));
        EXPECT_EQ(log.contains(QStringLiteral("(名前無し):1")) && log.contains(tooLarge + printIt), row.logged)
            << log.toStdString();
        EXPECT_FALSE(ApplicationGlobals.CommandLinePrint) << "the print is over";

        // Acted on once only.
        ApplicationGlobals.DocumentName.clear();
        window->MDIForm_Activate();
        EXPECT_TRUE(ApplicationGlobals.DocumentName.isEmpty());
        EXPECT_TRUE(prompts().empty());
        window.reset();
        for (std::size_t c = B.size(); c-- > 1;)
            CanvasRelease(static_cast<std::int16_t>(c));
        B.resize(1);
    }
    platform::report::SetDeliveryRecorder(nullptr);
}

// A file that is there but cannot be opened is refused naming what stood in the way, whether it
// came from the command line or from the open dialog; no document is opened.
TEST_F(MainWindowTest, ARefusedOpenSaysWhatStoodInTheWay)
{
    const QString folder = files_.path();
    const QString locked = files_.filePath(QStringLiteral("locked.pad"));
    ASSERT_TRUE(QFile::copy(SamplePath(QStringLiteral("order-summary.pad")), locked));
    // Another user's file, refused as the host refuses it whoever runs the test.
    platform::zipfolder::SetOpenFault([&](const QString& path) { return path == locked ? EACCES : 0; });
    enum class Via { CommandLine, OpenDialog };
    struct Row {
        const char* why;
        Via via;
        QString file;
        QString prompt;
    };
    const QString unreadable = QStringLiteral("locked.pad は .pad ファイルとして開けません。読み込みできません。 (%1)").arg(locked);
    const Row rows[] = {
        {"a folder on the command line", Via::CommandLine, folder, QStringLiteral("%1 はフォルダのため開けません。").arg(folder)},
        {"a .pad the user may not read, on the command line", Via::CommandLine, locked, unreadable},
        {"a .pad the user may not read, chosen in the open dialog", Via::OpenDialog, locked, unreadable},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        mb::ShownBoxes().clear();
        // The command line is acted on at a window's first activation: a new window for each row.
        form_.reset();
        if (row.via == Via::CommandLine) {
            ApplicationGlobals.CommandArguments = QStringList{QString(), row.file};
            form().show();
            ASSERT_TRUE(QTest::qWaitFor([] { return !mb::ShownBoxes().empty(); }, 30000));
        } else {
            ApplicationGlobals.CommandArguments = QStringList{QString()};
            showActive();
            cd::QueueFileName(row.file);
            form().Menu_FileOpen_Click();
        }
        ASSERT_EQ(prompts().size(), 1u);
        EXPECT_EQ(prompts().front().toStdString(), row.prompt.toStdString());
        EXPECT_TRUE(ApplicationGlobals.DocumentName.isEmpty());
        EXPECT_EQ(B.size(), 1u);
    }
}

TEST_F(MainWindowTest, AFailedCommandLinePrintLeavesTheDialogOpenWithItsError)
{
    // No printer is installed: the print fails.
    platform::report::SetDefaultPrinterLookup([] { return QString(); });
    ApplicationGlobals.CommandArguments = {QString(), SamplePath(QStringLiteral("order-summary.pad")), QStringLiteral("/P")};
    QSignalSpy unloaded(&form(), &BaseForm::Unloaded);
    struct Seen {
        bool dialogOpen = false;
        bool programRunning = false;
        std::vector<QString> prompts;
    } seen;
    // Once the error is shown, look at the program and then leave the print dialog.
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<PrintCanvas*>(QApplication::activeModalWidget());
        if (!dialog || mb::ShownBoxes().empty())
            return;
        poll.stop();
        seen = {dialog->isVisible(), form().isVisible() && unloaded.count() == 0, prompts()};
        dialog->cmdCancel->click();
    });
    poll.start();
    form().show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !seen.prompts.empty(); }, 30000));
    platform::report::SetDefaultPrinterLookup(nullptr);

    EXPECT_TRUE(seen.dialogOpen);
    EXPECT_TRUE(seen.programRunning);
    ASSERT_EQ(seen.prompts.size(), 1u);
    EXPECT_TRUE(seen.prompts.front().contains(QStringLiteral("ﾌﾟﾘﾝﾀｰがｲﾝｽﾄｰﾙされていません。")))
        << seen.prompts.front().toStdString();
    EXPECT_EQ(unloaded.count(), 1) << "the program ends when the user closes the print dialog";
}

} // namespace
