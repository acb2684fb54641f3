// The main window's file commands driven through their menu handlers, with queued dialog and
// message-box answers.
#include "baseform_support.h"

#include "app/canvas/HistoryControl.h"
#include "app/diagram/FileInterface.h"
#include "app/core/AddOnHooks.h"

#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>

namespace {

using namespace baseform_test;

// An undo step the history reports, as an edit would have left it.
void PretendUndoStep()
{
    History.HistoryIndex = 0;
    History.HistoryList[0].sequence = 0;
    History.HistoryList[0].caption = QStringLiteral("ﾃｷｽﾄ変更");
}

// An add-on that supplies a copy of a sample document as its work file.
class SupplyingAddOn : public platform::automation::Dispatch {
public:
    QString source;

    QVariant Invoke(const QString& method, QVariantList& args) override
    {
        if (method.compare(QLatin1String("GetData"), Qt::CaseInsensitive) != 0)
            return {};
        QFile::remove(args.at(0).toString());
        QFile::copy(source, args.at(0).toString());
        return QStringLiteral("受注一覧");
    }
};

class FileCommands : public BaseFormTest {
protected:
    // Opens a document through the Open command with the dialog's answer queued.
    void open(const QString& path)
    {
        cd::QueueFileName(path);
        form().Menu_FileOpen_Click();
    }
    // Saves through Save As into the given file.
    void saveAs(const QString& path)
    {
        cd::QueueFileName(path);
        form().Menu_FileSaveNamed_Click();
    }
    std::size_t slotCount() const { return B.size(); }

    // A document whose header is fine but whose second record cannot start a canvas.
    QString brokenDocument()
    {
        return WriteDocument(files_.filePath(QStringLiteral("broken.txt")),
                             {QStringLiteral("&&document"), QStringLiteral("&&end-routine"), QStringLiteral("&&box"),
                              QStringLiteral("壊れた")});
    }
};

TEST_F(FileCommands, OpenShowsTheCanvasesOfASample)
{
    showActive();
    const QString sample = SamplePath(QStringLiteral("order-summary.pad"));
    open(sample);

    EXPECT_TRUE(prompts().empty()) << prompts().front().toStdString();
    EXPECT_EQ(ApplicationGlobals.DocumentName, sample);
    ASSERT_GT(slotCount(), 1u);
    EXPECT_EQ(shownCanvases().size(), slotCount() - 1) << "every canvas shows in the workspace";
    EXPECT_EQ(form().workspace->subWindowList().size(), qsizetype(slotCount() - 1));
    EXPECT_EQ(form().windowTitle(), QStringLiteral("Vellumora - [order-summary.pad]"));
    EXPECT_FALSE(GetModifyFlag());
    EXPECT_TRUE(FormEnabled(&form())) << "the command ended its busy state";
}

TEST_F(FileCommands, TheFontPanelShowsTheFontOfTheDocumentOpened)
{
    showActive();
    auto* panel = form().stbBaseForm->findChild<QLabel*>(QStringLiteral("FontAndSize"));
    ASSERT_TRUE(panel);
    auto document = [&](const char* name, const QString& font) {
        return WriteDocument(files_.filePath(QString::fromLatin1(name)),
                             {QStringLiteral("&&document"), QStringLiteral("&&font"), font, QStringLiteral("&&routine"),
                              QStringLiteral("&&text"), QStringLiteral("R"), QStringLiteral("&&end-routine"),
                              QStringLiteral("&&end-document")});
    };
    open(document("first.txt", QStringLiteral("fontsize:12")));
    EXPECT_TRUE(panel->text().contains(QStringLiteral(", 12, "))) << panel->text().toStdString();
    open(document("second.txt", QStringLiteral("fontsize:9")));
    EXPECT_TRUE(panel->text().contains(QStringLiteral(", 9, "))) << panel->text().toStdString();
    EXPECT_EQ(panel->text(), ApplicationGlobals.DocumentFontName + QStringLiteral(", 9, ") +
                                 ApplicationGlobals.DocumentColorName);
}

TEST_F(FileCommands, TheFontPanelShowsTheDocumentFontFromStartUpOnAndAfterNew)
{
    const QString startUp = ApplicationGlobals.DocumentFontName + QStringLiteral(", ") +
                            ApplicationGlobals.DocumentFontSize + QStringLiteral(", ") +
                            ApplicationGlobals.DocumentColorName;
    ASSERT_FALSE(ApplicationGlobals.DocumentFontName.isEmpty());
    EXPECT_EQ(form().StatusPanelText(QStringLiteral("FontAndSize")), startUp) << "before any document";
    form().Menu_FileNewFileObstinate_Click(0);
    EXPECT_EQ(form().StatusPanelText(QStringLiteral("FontAndSize")), startUp) << "a new document";

    open(WriteDocument(files_.filePath(QStringLiteral("sized.txt")),
                       {QStringLiteral("&&document"), QStringLiteral("&&font"), QStringLiteral("fontsize:12"),
                        QStringLiteral("&&routine"), QStringLiteral("&&text"), QStringLiteral("R"),
                        QStringLiteral("&&end-routine"), QStringLiteral("&&end-document")}));
    form().Menu_FileNewFileObstinate_Click(0);
    EXPECT_EQ(form().StatusPanelText(QStringLiteral("FontAndSize")),
              ApplicationGlobals.DocumentFontName + QStringLiteral(", 12, ") + ApplicationGlobals.DocumentColorName)
        << "a new document keeps the font of the one before";
}

TEST_F(FileCommands, SaveAsPadThenReopenGivesTheSameDocument)
{
    open(SamplePath(QStringLiteral("module-structure.txt")));
    const std::size_t canvases = slotCount();
    ASSERT_GT(canvases, 1u);
    const QString first = files_.filePath(QStringLiteral("first.txt"));
    const QString pad = files_.filePath(QStringLiteral("copy.pad"));
    const QString second = files_.filePath(QStringLiteral("second.txt"));

    saveAs(first);
    SetModifyFlag(true);
    saveAs(pad);
    EXPECT_FALSE(GetModifyFlag());
    EXPECT_EQ(ApplicationGlobals.DocumentName, pad);
    EXPECT_EQ(form().windowTitle(), QStringLiteral("Vellumora - [copy.pad]"));
    open(pad);
    saveAs(second);

    EXPECT_TRUE(prompts().empty()) << prompts().front().toStdString();
    EXPECT_EQ(slotCount(), canvases);
    EXPECT_FALSE(ReadAll(first).isEmpty());
    EXPECT_EQ(ReadAll(second), ReadAll(first)) << "the document survives a round trip through .pad";
}

TEST_F(FileCommands, AFileThatIsNoDocumentLeavesTheOpenDocument)
{
    showActive();
    const QString sample = SamplePath(QStringLiteral("order-summary.pad"));
    open(sample);
    const std::size_t canvases = slotCount();
    PretendUndoStep();
    const QString garbage = files_.filePath(QStringLiteral("garbage.txt"));
    QFile f(garbage);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("\x82\xA0 no header\r\n");
    f.close();

    open(garbage);

    ASSERT_EQ(prompts().size(), 1u) << "the error is shown";
    EXPECT_EQ(mb::ShownBoxes().front().buttons & 0xF0, mb::Style::Critical);
    EXPECT_EQ(ApplicationGlobals.DocumentName, sample);
    EXPECT_EQ(slotCount(), canvases);
    EXPECT_EQ(shownCanvases().size(), canvases - 1);
    EXPECT_TRUE(HistoryCanUndo()) << "the undo history belongs to the document that stays";
    EXPECT_TRUE(FormEnabled(&form()));
}

TEST_F(FileCommands, AFailedLoadLeavesNoDocumentPointingAtTheFile)
{
    open(SamplePath(QStringLiteral("order-summary.pad")));
    SetModifyFlag(true);
    mb::QueueAnswer(mb::Answer::No);  // drop the changes

    open(brokenDocument());

    ASSERT_EQ(prompts().size(), 2u) << "the save prompt, then the error";
    EXPECT_TRUE(ApplicationGlobals.DocumentName.isEmpty());
    EXPECT_EQ(slotCount(), 1u) << "no half-read canvas stays";
    EXPECT_FALSE(GetModifyFlag()) << "nothing is left to save over the file";
    EXPECT_EQ(form().windowTitle(), QStringLiteral("Vellumora"));
    cd::ShownDialogs().clear();
    form().Menu_File_Click();
    EXPECT_FALSE(form().Menu_FileSaveOverWrite->isEnabled());
    EXPECT_FALSE(form().Menu_FileSaveNamed->isEnabled());
}

TEST_F(FileCommands, ACancelledOpenKeepsTheDocumentAndItsUndoHistory)
{
    const QString sample = SamplePath(QStringLiteral("order-summary.pad"));
    open(sample);
    const std::size_t canvases = slotCount();
    PretendUndoStep();
    form().CaptionSet(QStringLiteral("印刷設定"));

    cd::QueueCancel();
    form().Menu_FileOpen_Click();

    EXPECT_EQ(ApplicationGlobals.DocumentName, sample);
    EXPECT_EQ(slotCount(), canvases);
    EXPECT_TRUE(HistoryCanUndo());
    EXPECT_EQ(form().windowTitle(), QStringLiteral("Vellumora - [order-summary.pad]"));
}

TEST_F(FileCommands, NewAndOpenStartUnmodifiedAfterDroppedChanges)
{
    struct Row {
        const char* why;
        bool open;
    };
    const Row rows[] = {{"New", false}, {"Open", true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        open(SamplePath(QStringLiteral("order-summary.pad")));
        SetModifyFlag(true);
        mb::ShownBoxes().clear();
        mb::QueueAnswer(mb::Answer::No);
        if (row.open)
            open(SamplePath(QStringLiteral("module-structure.pad")));
        else
            form().Menu_FileNewFileObstinate_Click(0);

        ASSERT_EQ(prompts().size(), 1u);
        EXPECT_EQ(prompts().front(),
                  SamplePath(QStringLiteral("order-summary.pad")) + QStringLiteral(" は更新されています。保存しますか？"));
        EXPECT_FALSE(GetModifyFlag());
        EXPECT_GT(slotCount(), 1u);
    }
    EXPECT_EQ(ApplicationGlobals.DocumentName, SamplePath(QStringLiteral("module-structure.pad")));
}

TEST_F(FileCommands, TheSavePromptAnswers)
{
    struct Row {
        const char* why;
        std::vector<std::int16_t> answers;
        bool queueSave;      // the save-as dialog is answered with a file
        bool opens;          // the open dialog comes and the other document opens
        bool saved;
    };
    const Row rows[] = {
        {"Cancel keeps everything", {mb::Answer::Cancel}, false, false, false},
        {"No drops the changes", {mb::Answer::No}, false, true, false},
        {"Yes saves through the save-as dialog first", {mb::Answer::Yes}, true, true, true},
        {"Yes with a declined save-as dialog keeps everything", {mb::Answer::Yes}, false, false, false},
    };
    const QString first = SamplePath(QStringLiteral("order-summary.pad"));
    const QString other = SamplePath(QStringLiteral("module-structure.pad"));
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        open(first);
        SetModifyFlag(true);
        cd::ClearQueue();
        cd::ShownDialogs().clear();
        const QString target = files_.filePath(QStringLiteral("prompt%1.pad").arg(++n));
        for (std::int16_t a : row.answers)
            mb::QueueAnswer(a);
        if (row.queueSave)
            cd::QueueFileName(target);
        else if (row.answers.front() == mb::Answer::Yes)
            cd::QueueCancel();
        cd::QueueFileName(other);
        form().Menu_FileOpen_Click();

        EXPECT_EQ(ApplicationGlobals.DocumentName, row.opens ? other : first);
        EXPECT_EQ(QFileInfo::exists(target), row.saved);
        EXPECT_EQ(GetModifyFlag(), !row.opens);
        if (!row.opens) {
            EXPECT_FALSE(shownCanvases().empty());
        }
    }
}

TEST_F(FileCommands, AFailedReadInLeavesTheDocumentAsItWas)
{
    open(SamplePath(QStringLiteral("order-summary.pad")));
    const std::size_t canvases = slotCount();
    ASSERT_GT(canvases, 1u);

    cd::QueueFileName(brokenDocument());
    form().Menu_FileAddInput_Click();

    EXPECT_EQ(prompts().size(), 1u);
    EXPECT_EQ(slotCount(), canvases);
    EXPECT_FALSE(GetModifyFlag());
    EXPECT_FALSE(HistoryCanUndo()) << "no undo step for what was not read";
    EXPECT_EQ(shownCanvases().size(), canvases - 1);

    cd::QueueFileName(SamplePath(QStringLiteral("text-escapes.txt")));
    form().Menu_FileAddInput_Click();
    EXPECT_GT(slotCount(), canvases) << "a good file appends its canvases";
    EXPECT_TRUE(GetModifyFlag());
    EXPECT_EQ(ApplicationGlobals.DocumentName, SamplePath(QStringLiteral("order-summary.pad")));
}

TEST_F(FileCommands, ADocumentWithoutAFileOfItsOwnIsSavedUnderANewName)
{
    // A document an add-on supplied is read from a work file: Save must not write over it.
    const QString work = files_.filePath(QStringLiteral("work.txt"));
    QFile::copy(SamplePath(QStringLiteral("order-summary.txt")), work);
    open(work);
    const QByteArray before = ReadAll(work);
    ApplicationGlobals.DocumentName = work + QStringLiteral("\t受注一覧");
    SetModifyFlag(true);
    cd::QueueCancel();
    form().Menu_FileSaveOverWrite_Click();
    ASSERT_EQ(cd::ShownDialogs().size(), 2u) << "the open dialog, then the save-as dialog";
    EXPECT_TRUE(cd::ShownDialogs().back().save);
    EXPECT_EQ(ReadAll(work), before);
    EXPECT_TRUE(GetModifyFlag());
}

TEST_F(FileCommands, ErrorsOfFileCommandsFollowTheErrorRule)
{
    // A save into a folder that does not exist fails in the file layer with "path not found"
    // (76, above the program's own number): the description alone is shown.
    showActive();
    open(SamplePath(QStringLiteral("order-summary.txt")));
    SetModifyFlag(true);
    const QString missing = files_.filePath(QStringLiteral("no/such/folder/x.txt"));
    saveAs(missing);

    ASSERT_EQ(prompts().size(), 1u);
    EXPECT_EQ(mb::ShownBoxes().front().title, QStringLiteral("Vellumora"));
    EXPECT_TRUE(prompts().front().startsWith(QStringLiteral("パスが見つかりません。"))) << prompts().front().toStdString();
    EXPECT_TRUE(GetModifyFlag()) << "not saved";
    EXPECT_EQ(ApplicationGlobals.DocumentName, SamplePath(QStringLiteral("order-summary.txt")))
        << "a failed save-as keeps the document's name";
    EXPECT_TRUE(FormEnabled(&form()));
}

TEST_F(FileCommands, AnAddOnDocumentOpensFromItsWorkFileAndAddsItsCanvases)
{
    auto addOn = std::make_shared<SupplyingAddOn>();
    addOn->source = SamplePath(QStringLiteral("order-summary.txt"));
    AddOnTable = {{QStringLiteral("addon"), addOn, {{QStringLiteral("GetData"), QStringLiteral("帳票")}}}};
    AddOnFileMenuMake();

    form().Menu_FileAddOn_Click(0);  // open what the add-on supplies

    EXPECT_TRUE(prompts().empty()) << prompts().front().toStdString();
    const QString work = TemporaryFileName("Menu_File", 0, "addon");
    EXPECT_EQ(ApplicationGlobals.DocumentName, work + QStringLiteral("\t受注一覧"));
    const std::size_t canvases = slotCount();
    EXPECT_GT(canvases, 1u);
    EXPECT_EQ(form().windowTitle(), QStringLiteral("Vellumora - [受注一覧]"));

    form().Menu_FileAddOn_Click(1);  // add what it supplies to the open document

    EXPECT_TRUE(prompts().empty()) << prompts().front().toStdString();
    EXPECT_EQ(slotCount(), 2 * canvases - 1);
    EXPECT_TRUE(GetModifyFlag());
    EXPECT_EQ(ApplicationGlobals.DocumentName, work + QStringLiteral("\t受注一覧"));
}

} // namespace
