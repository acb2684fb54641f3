// Undo and redo: the ring of snapshots over several canvases, its depth, steps that touch every
// canvas or only the document, the canvas list file, and what an undo or redo leaves behind.
#include "edits_support.h"

#include "app/canvas/CanvasForm.h"
#include "app/canvas/PageSetting.h"
#include "platform/msgbox/MsgBox.h"
#include "support/SampleDocuments.h"
#include "support/TestProgramLink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

#include <sys/stat.h>

namespace edits_test {
namespace {

namespace msgbox = platform::msgbox;

class HistoryTest : public EditsTest {
protected:
    // An editing command's frame around a change of one canvas (or every canvas for -1).
    static void Edit(std::int16_t canvas, const std::function<void()>& change, const QString& caption = {})
    {
        SetModifyFlag(true);
        HistoryAdd(caption.isEmpty() ? QStringLiteral("編集(&E)") : caption, canvas);
        change();
        PadDrawRefresh(canvas);
    }
    // Gives the box with the text a new text.
    static void Retext(std::int16_t canvas, const QString& from, const QString& to)
    {
        const std::int16_t box = BoxOf(canvas, from);
        ASSERT_GT(box, 0) << from.toStdString();
        B[static_cast<std::size_t>(canvas)].BoxList[static_cast<std::size_t>(box)].text = TextInfoMake(to);
    }
    static QString Routine(const QString& name, const QString& block)
    {
        return QStringLiteral("&&routine %1 &&block %2 &&end-routine").arg(name, block);
    }
};

TEST_F(HistoryTest, EditsUndoAndRedoOverTwoCanvasesStepByStep)
{
    openCharts({Routine("R1", "A"), Routine("R2", "X")});
    struct Step {
        const char* why;
        std::function<void()> act;
        const char* first;
        const char* second;
        bool canUndo;
        bool canRedo;
    };
    const auto undo = [] { HistoryRestore(true); };
    const auto redo = [] { HistoryRestore(false); };
    const std::vector<Step> steps = {
        {"edit canvas 1", [] { Edit(1, [] { Retext(1, "A", "A1"); }); }, "A1", "X", true, false},
        {"edit canvas 2", [] { Edit(2, [] { Retext(2, "X", "X1"); }); }, "A1", "X1", true, false},
        {"undo the edit of canvas 2", undo, "A1", "X", true, true},
        {"undo the edit of canvas 1", undo, "A", "X", false, true},
        {"redo canvas 1", redo, "A1", "X", true, true},
        {"redo canvas 2", redo, "A1", "X1", true, false},
        {"undo canvas 2 again", undo, "A1", "X", true, true},
        {"a new edit drops the redo", [] { Edit(1, [] { Retext(1, "A1", "A2"); }); }, "A2", "X", true, false},
        {"undo the new edit", undo, "A1", "X", true, true},
        {"undo the first edit", undo, "A", "X", false, true},
        {"redo the first edit", redo, "A1", "X", true, true},
        {"redo the new edit", redo, "A2", "X", true, false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.why);
        ApplicationGlobals.ModifyFlag = false;  // as after a save
        step.act();
        EXPECT_EQ(ChartText(1), Routine("R1", step.first));
        EXPECT_EQ(ChartText(2), Routine("R2", step.second));
        EXPECT_EQ(HistoryCanUndo(), step.canUndo);
        EXPECT_EQ(HistoryCanRedo(), step.canRedo);
        EXPECT_TRUE(GetModifyFlag()) << "every step leaves the document changed";
        EXPECT_EQ(LinkFault(1) + LinkFault(2), QString());
    }
    EXPECT_EQ(Prompts(), QStringList{});
    EXPECT_EQ(History.HistoryList[1].caption, QStringLiteral("編集"));
}

TEST_F(HistoryTest, NineteenStepsUndoAndTheTwentiethIsRefusedChangingNothing)
{
    openCharts({Routine("R", "0")});
    for (int i = 1; i <= 25; ++i)
        Edit(1, [i] { Retext(1, QString::number(i - 1), QString::number(i)); });
    for (int i = 1; i <= 19; ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(HistoryCanUndo());
        HistoryRestore(true);
        EXPECT_EQ(ChartText(1), Routine("R", QString::number(25 - i)));
    }
    EXPECT_FALSE(HistoryCanUndo());
    const HistoryState before = History;
    ApplicationGlobals.ModifyFlag = false;
    HistoryRestore(true);
    EXPECT_EQ(Prompts(), QStringList{QStringLiteral("これ以上元に戻すことは出来ません。")});
    EXPECT_EQ(msgbox::ShownBoxes().back().buttons & msgbox::Style::Critical, msgbox::Style::Critical);
    EXPECT_EQ(ChartText(1), Routine("R", "6"));
    EXPECT_EQ(History.HistoryIndex, before.HistoryIndex);
    EXPECT_EQ(History.HistoryList, before.HistoryList);
    EXPECT_FALSE(GetModifyFlag()) << "a refused undo changes nothing";

    for (int i = 1; i <= 19; ++i)
        HistoryRestore(false);
    EXPECT_EQ(ChartText(1), Routine("R", "25"));
    msgbox::ShownBoxes().clear();
    HistoryRestore(false);
    EXPECT_EQ(Prompts(), QStringList{QStringLiteral("これ以上やり直すことは出来ません。")});
}

TEST_F(HistoryTest, ASnapshotThatCannotBeWrittenIsNeverOffered)
{
    openCharts({Routine("R1", "A")});
    Edit(1, [] { Retext(1, "A", "A1"); });
    const HistoryState before = History;
    // A folder in the way of the next snapshot's canvas file.
    ASSERT_TRUE(QDir().mkpath(HistoryFileName(2, 1)));
    EXPECT_THROW(HistoryAdd(QStringLiteral("編集"), 1), platform::vbrt::Error);
    EXPECT_EQ(History.HistoryIndex, before.HistoryIndex);
    EXPECT_EQ(History.HistoryList, before.HistoryList);
    QDir().rmdir(HistoryFileName(2, 1));

    HistoryRestore(true);
    EXPECT_EQ(ChartText(1), Routine("R1", "A")) << "the step before still undoes";
}

TEST_F(HistoryTest, AnEditThatFailsKeepsItsStepOnlyWhenItChangedTheDocument)
{
    struct Row {
        const char* why;
        std::function<void()> edit;
        bool stepKept;
    };
    const auto fail = [] { platform::vbrt::Raise(QStringLiteral("test"), QStringLiteral("できません。")); };
    const Row rows[] = {
        {"refused before any change", fail, false},
        {"failed after a box took a new text", [&] { Retext(1, "A", "A2"); fail(); }, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        openCharts({Routine("R1", "A")});
        HistoryClear();
        SetModifyFlag(false);
        EXPECT_THROW(HistoryEdit(QStringLiteral("編集"), 1, row.edit), platform::vbrt::Error);
        EXPECT_EQ(GetModifyFlag(), row.stepKept);
        EXPECT_EQ(HistoryCanUndo(), row.stepKept);
        if (!row.stepKept)
            continue;
        HistoryRestore(true);
        EXPECT_EQ(ChartText(1), Routine("R1", "A")) << "undo takes the half-done change back";
    }
}

// Snapshots are work files: a link put at the name of a snapshot before the first edit is
// replaced, never written through, and the snapshots are their owner's alone whatever the umask,
// in the run's folder, which nobody else may enter.
TEST_F(HistoryTest, ALinkAtASnapshotsNameIsReplacedNotWrittenThrough)
{
    openCharts({Routine("R1", "A")});
    const QString victim = write(QStringLiteral("victim.txt"), "someone's file");
    QStringList names;
    for (const char* part : {"0", "ci", "1"}) {
        names << TemporaryFilePrefix() + QStringLiteral(".1.%1.history.tmp").arg(QLatin1String(part));
        ASSERT_TRUE(QFile::link(victim, names.back()));
    }
    const auto modeOf = [](const QString& path) {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 01000000u;
    };
    const mode_t mask = ::umask(022);
    Edit(1, [] { Retext(1, "A", "A1"); });
    ::umask(mask);

    EXPECT_EQ(ReadAll(victim), QByteArray("someone's file"));
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_FALSE(QFileInfo(name).isSymLink());
        EXPECT_EQ(modeOf(name), 0600u);
    }
    EXPECT_EQ(modeOf(QFileInfo(TemporaryFilePrefix()).absolutePath()), 0700u);
    HistoryRestore(true);
    EXPECT_EQ(ChartText(1), Routine("R1", "A"));
}

// The run folder may be removed while the program runs (a temporary-folder cleaner, a user): the
// snapshots go with it. A step whose files are not all there is refused before anything changes and
// is dropped with the steps beyond it, which went with it; what was taken since still undoes.
TEST_F(HistoryTest, AStepWhoseSnapshotFilesAreGoneIsRefusedAndTheDocumentStaysAsItIs)
{
    const auto runFolderRemove = [] {
        ASSERT_TRUE(QDir(QFileInfo(TemporaryFilePrefix()).absolutePath()).removeRecursively());
    };
    const QString undoRefused = QStringLiteral("作業ファイルが見つからないため、これ以上元に戻すことは出来ません。");
    const QString redoRefused = QStringLiteral("作業ファイルが見つからないため、これ以上やり直すことは出来ません。");
    struct Row {
        const char* why;
        std::function<void()> steps;  // the steps taken and the files lost
        bool undo;
        QString message;
        const char* first;  // the charts, as before the refused step
        const char* second;
        bool canUndo;
        bool canRedo;
    };
    const std::vector<Row> rows = {
        {"undo of steps taken before the run folder went",
         [&] {
             Edit(1, [] { Retext(1, "A", "A1"); });
             Edit(2, [] { Retext(2, "X", "X1"); });
             runFolderRemove();
         },
         true, undoRefused, "A1", "X1", false, false},
        {"redo of a step undone before the run folder went",
         [&] {
             Edit(1, [] { Retext(1, "A", "A1"); });
             HistoryRestore(true);
             runFolderRemove();
         },
         false, redoRefused, "A", "X", false, false},
        {"undo of a step of every canvas whose second canvas's file is gone",
         [] {
             Edit(-1, [] {
                 Retext(1, "A", "A1");
                 Retext(2, "X", "X1");
             });
             ASSERT_TRUE(QFile::remove(HistoryFileName(1, 2)));
         },
         true, undoRefused, "A1", "X1", false, false},
        {"a step taken after the run folder went undoes, the one before it is refused",
         [&] {
             Edit(1, [] { Retext(1, "A", "A1"); });
             runFolderRemove();
             Edit(1, [] { Retext(1, "A1", "A2"); });
             HistoryRestore(true);
             ASSERT_EQ(ChartText(1), Routine("R1", "A1"));
         },
         true, undoRefused, "A1", "X", false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        openCharts({Routine("R1", "A"), Routine("R2", "X")});
        HistoryClear();
        row.steps();
        ASSERT_EQ(Prompts(), QStringList{});
        ApplicationGlobals.ModifyFlag = false;  // as after a save
        ClipboardCopyOpen();
        ClipboardCopyPart(1, B[1].header.firstBox, -1);
        ClipboardCopyClose();
        // A box editor open on the other canvas, with what the user typed in it: the refusal comes
        // before the question to close it, and it stays.
        BoxRecord& edited = B[2].BoxList[static_cast<std::size_t>(B[2].header.firstBox)];
        edited.flags |= BoxFlag::ModifyEditorOpen;
        edited.modifyEditor = new QWidget;
        const QPointer<QWidget> editor = edited.modifyEditor;

        CanvasForm& window = *CanvasWindowOf(B[1]);
        row.undo ? window.Menu_EditUndo_Click() : window.Menu_EditRedo_Click();
        EXPECT_EQ(Prompts(), QStringList{row.message});
        EXPECT_TRUE(editor);
        EXPECT_TRUE(B[2].BoxList[static_cast<std::size_t>(B[2].header.firstBox)].flags & BoxFlag::ModifyEditorOpen);
        BoxEditorCloseCheck(false, 2);
        EXPECT_EQ(ChartText(1), Routine("R1", row.first));
        EXPECT_EQ(ChartText(2), Routine("R2", row.second));
        EXPECT_EQ(B[2].header.state, CanvasState::Open);
        EXPECT_FALSE(GetModifyFlag()) << "nothing changed";
        EXPECT_TRUE(ClipboardExist()) << "the copy stays";
        EXPECT_EQ(HistoryCanUndo(), row.canUndo);
        EXPECT_EQ(HistoryCanRedo(), row.canRedo);
        msgbox::ShownBoxes().clear();
    }
    HistoryRestore(false);
    EXPECT_EQ(ChartText(1), Routine("R1", "A2")) << "the step taken after the removal still redoes";
}

// A rename comes back with undo and redo exactly as each snapshot holds it, no name included: the
// window's caption and the name the document is saved with follow.
TEST_F(HistoryTest, UndoAndRedoOfARenameGiveTheCanvasExactlyTheNameOfEachSide)
{
    testsupport::TestProgramLink link;
    const auto caption = [](const QString& name) {
        return (name.isEmpty() ? QStringLiteral("(名前無し)") : name) + QStringLiteral(":1");
    };
    const auto savedName = [this] {
        ApplicationGlobals.DocumentName = path(QStringLiteral("named.txt"));
        PadFileSave();
        const QList<QByteArray> lines = ReadAll(path(QStringLiteral("named.txt"))).split('\n');
        const qsizetype at = lines.indexOf("&&name\r");
        return at < 0 ? QString() : QString::fromLatin1(lines.value(at + 1)).chopped(1);
    };
    struct Row {
        const char* why;
        QString before;
        QString after;
    };
    const Row rows[] = {
        {"a name given to a canvas without one", QString(), QStringLiteral("X")},
        {"a name cleared", QStringLiteral("X"), QString()},
        {"a name changed", QStringLiteral("X"), QStringLiteral("Y")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        openCharts({QStringLiteral("&&routine &&block A &&end-routine")});
        CanvasForm& window = *CanvasWindowOf(B[1]);
        const auto rename = [&](const QString& name) {
            link.canvasName = [name](QString& given) {
                given = name;
                return true;
            };
            window.Menu_FormatCanvasName_Click();
        };
        if (!row.before.isEmpty())
            rename(row.before);
        HistoryClear();
        rename(row.after);
        ASSERT_EQ(window.Caption(), caption(row.after));

        struct Step {
            const char* why;
            std::function<void()> act;
            QString name;
        };
        const Step steps[] = {
            {"undo", [&] { window.Menu_EditUndo_Click(); }, row.before},
            {"redo", [&] { window.Menu_EditRedo_Click(); }, row.after},
        };
        for (const Step& step : steps) {
            SCOPED_TRACE(step.why);
            step.act();
            EXPECT_EQ(B[1].header.name, step.name);
            EXPECT_EQ(window.Caption(), caption(step.name));
            EXPECT_EQ(savedName(), step.name);
        }
        EXPECT_EQ(Prompts(), QStringList{});
    }
}

TEST_F(HistoryTest, AStepOfEveryCanvasRestoresThemWithTheirDisplayAndWindowOrder)
{
    openCharts({Routine("R1", "A"), Routine("R2", "X")});
    // Canvas 2 is shown first and its window lies on top.
    B[1].header.number = 2;
    B[2].header.number = 1;
    B[1].header.activateStamp = 3;
    B[2].header.activateStamp = 5;
    Edit(-1, [] {
        Retext(1, "A", "A1");
        Retext(2, "X", "X1");
        B[1].header.number = 1;
        B[2].header.number = 2;
        CanvasActivateStamp(1);
        const std::int16_t added = CanvasSlotSetup(-1, 0);
        BoxListClear(added);
        CanvasStateSet(added, CanvasState::Open);
    });
    ASSERT_EQ(B.size(), 4u);

    HistoryRestore(true);
    EXPECT_EQ(ChartText(1), Routine("R1", "A"));
    EXPECT_EQ(ChartText(2), Routine("R2", "X"));
    EXPECT_EQ(B[1].header.number, 2);
    EXPECT_EQ(B[2].header.number, 1);
    EXPECT_EQ(CanvasSequenceList(), (std::vector<std::int16_t>{-1, 2, 1}));
    EXPECT_GT(B[2].header.activateStamp, B[1].header.activateStamp) << "canvas 2's window is on top again";
    EXPECT_EQ(B[3].header.state, CanvasState::New) << "the canvas added after the snapshot is new again";

    HistoryRestore(false);
    EXPECT_EQ(ChartText(1), Routine("R1", "A1"));
    EXPECT_EQ(B[3].header.state, CanvasState::Open);
    EXPECT_EQ(CanvasSequenceList(), (std::vector<std::int16_t>{-1, 1, 2, 3}));
}

TEST_F(HistoryTest, AStepOfTheDocumentAloneRestoresTheCanvasListAndTheHeader)
{
    openCharts({Routine("R1", "A"), Routine("R2", "X")});
    const QString font = ApplicationGlobals.DocumentFontName;
    Edit(0, [] {
        B[1].header.number = 2;
        B[2].header.number = 1;
        ApplicationGlobals.DocumentFontName = ApplicationGlobals.FontNameList.value(2);
    });
    EXPECT_FALSE(QFile::exists(HistoryFileName(1, 1))) << "no canvas file";
    EXPECT_FALSE(QFile::exists(HistoryFileName(1, 2)));
    HistoryRestore(true);
    EXPECT_EQ(CanvasSequenceList(), (std::vector<std::int16_t>{-1, 1, 2}));
    EXPECT_EQ(ApplicationGlobals.DocumentFontName, font);
    EXPECT_EQ(ChartText(1), Routine("R1", "A"));
}

TEST_F(HistoryTest, TheCanvasListHasOneLineOfFiveNumbersPerSlot)
{
    openCharts({QStringLiteral("&&routine R1 &&obstinate Obstinate1 &&block A &&end-routine"),
                QStringLiteral("&&routine &&obstinate Obstinate2 &&block M &&end-routine")});
    B[1].header.number = 2;
    B[1].header.activateStamp = 3;
    B[2].header.number = 1;
    B[2].header.activateStamp = -7;
    Edit(1, [] {});
    const CanvasHeader& zero = B[0].header;
    const QByteArray expected = QStringLiteral("0\t%1\t%2\t%3\t%4\r\n1\t2\t2\t3\t16384\r\n2\t1\t2\t-7\t32768\r\n")
                                    .arg(zero.number)
                                    .arg(zero.state)
                                    .arg(zero.activateStamp)
                                    .arg(zero.kindFlags)
                                    .toLatin1();
    EXPECT_EQ(ReadAll(HistoryFileName(1, "ci")), expected);
}

TEST_F(HistoryTest, AModuleStructureChartKeepsItsKindThroughUndoAndRedo)
{
    openCharts({QStringLiteral("&&routine &&obstinate Obstinate2 &&block M &&end-routine")});
    ASSERT_EQ(ObstinateNameGet(1), QStringLiteral("Obstinate2"));
    Edit(1, [] { Retext(1, "M", "M1"); });
    HistoryRestore(true);
    EXPECT_EQ(ObstinateNameGet(1), QStringLiteral("Obstinate2"));
    EXPECT_EQ(ChartText(1), QStringLiteral("&&routine &&block M &&end-routine"));
    HistoryRestore(false);
    EXPECT_EQ(ObstinateNameGet(1), QStringLiteral("Obstinate2"));
    EXPECT_EQ(ChartText(1), QStringLiteral("&&routine &&block M1 &&end-routine"));
}

TEST_F(HistoryTest, UndoAndRedoDropTheCopyBuffer)
{
    openCharts({Routine("R1", "A")});
    Edit(1, [] { Retext(1, "A", "A1"); });
    for (bool undo : {true, false}) {
        SCOPED_TRACE(undo ? "undo" : "redo");
        ClipboardCopyOpen();
        ClipboardCopyPart(1, BoxOf(1, undo ? QStringLiteral("A1") : QStringLiteral("A")), -1);
        ClipboardCopyClose();
        ASSERT_TRUE(ClipboardExist());
        HistoryRestore(undo);
        EXPECT_FALSE(ClipboardExist());
    }
}

// A snapshot and its restore lose nothing a document holds: every sample, changed in every canvas
// and then undone, is saved byte for byte as it was read; redone, it is saved as the change was.
TEST_F(HistoryTest, EverySampleChangedThenUndoneIsSavedAsItWasRead)
{
    int count = 0;
    for (const QString& sample : testsupport::SampleDocuments()) {
        if (IsPadFile(sample))
            continue; // the same text as its ".txt" twin, only zipped
        ++count;
        SCOPED_TRACE(QFileInfo(sample).fileName().toStdString());
        paddraw_test::CanvasesDrop();
        HistoryClear();
        const QByteArray original = read(sample);
        open(write(QStringLiteral("in.txt"), original));
        ASSERT_GT(B.size(), 1u);
        PadDrawRefresh(-1);
        const auto saved = [this](const QString& name) {
            ApplicationGlobals.DocumentName = path(name);
            PadFileSave();
            return read(path(name));
        };

        Edit(-1, [] {
            for (std::size_t c = 1; c < B.size(); ++c) {
                CanvasRecord& canvas = B[c];
                if (canvas.header.state != CanvasState::Open || canvas.header.firstBox <= 0)
                    continue;
                canvas.BoxList[static_cast<std::size_t>(canvas.header.firstBox)].text =
                    TextInfoMake(QStringLiteral("変更%1").arg(c));
            }
        });
        const QByteArray changed = saved(QStringLiteral("changed.txt"));
        ASSERT_NE(changed, original);

        HistoryRestore(true);
        EXPECT_EQ(saved(QStringLiteral("undone.txt")), original);
        HistoryRestore(false);
        EXPECT_EQ(saved(QStringLiteral("redone.txt")), changed);
    }
    EXPECT_GE(count, 3);
}

} // namespace
} // namespace edits_test
