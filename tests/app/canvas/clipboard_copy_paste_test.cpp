// Copy, cut and paste through the copy buffer: boxes, subtrees and chains on one canvas and
// between canvases, checked through the document text; the chart-kind check; and the exchange
// file published for another running copy, read back in this one.
#include "edits_support.h"

#include "platform/msgbox/MsgBox.h"

namespace edits_test {
namespace {

const QString kFirst = QStringLiteral("&&routine R &&block A &&loop L &&block B &&end-loop &&block C &&end-routine");
const QString kSecond = QStringLiteral("&&routine S &&block X &&block Y &&end-routine");
const QString kEmptyLoop = QStringLiteral("&&routine T &&loop E &&end-loop &&end-routine");
const QString kKindDiffers = QStringLiteral("ｷｬﾝﾊﾞｽの形式が異なります。");

// One copied part: a box by its text, or the k-th sub line of the box with the text (k 0 and no
// text: the canvas's top line).
struct Part {
    std::int16_t canvas;
    const char* box;
    int sub = 0;
};

class ClipboardTest : public EditsTest {
protected:
    static void Copy(const std::vector<Part>& parts)
    {
        ClipboardCopyOpen();
        for (const Part& part : parts) {
            const std::int16_t box = *part.box ? BoxOf(part.canvas, QString::fromUtf8(part.box)) : std::int16_t(-1);
            if (part.sub > 0)
                ClipboardCopyPart(part.canvas, -1, SubOf(part.canvas, box, part.sub));
            else if (box > 0)
                ClipboardCopyPart(part.canvas, box, -1);
            else
                ClipboardCopyPart(part.canvas, -1, 0);
        }
        ClipboardCopyClose();
    }
    // Pastes the copy as the canvas window does: before or after a box, or into a box's sub line.
    static void Paste(std::int16_t canvas, const char* box, bool before, int sub = 0, bool fromTask = false)
    {
        const std::int16_t n = BoxOf(canvas, QString::fromUtf8(box));
        if (sub > 0)
            ClipboardPaste(canvas, -1, SubOf(canvas, n, sub), false, fromTask);
        else
            ClipboardPaste(canvas, n, -1, before, fromTask);
    }
};

TEST_F(ClipboardTest, PastedPartsLandWhereTheyArePutWithEverythingBelowThem)
{
    struct Row {
        const char* why;
        std::function<void()> act;
        QString first;   // canvas 1 afterwards
        QString second;  // canvas 2 afterwards
        QString third;   // canvas 3 afterwards
    };
    const std::vector<Row> rows = {
        {"a box after the last box of its own chain",
         [] {
             Copy({{1, "A"}});
             Paste(1, "C", false);
         },
         "&&routine R &&block A &&loop L &&block B &&end-loop &&block C &&block A &&end-routine", kSecond, kEmptyLoop},
        {"a subtree before a box of another canvas",
         [] {
             Copy({{1, "L"}});
             Paste(2, "X", true);
         },
         kFirst, "&&routine S &&loop L &&block B &&end-loop &&block X &&block Y &&end-routine", kEmptyLoop},
        {"two boxes of one chain after a third, in copy order",
         [] {
             Copy({{1, "A"}, {1, "C"}});
             Paste(2, "X", false);
         },
         kFirst, "&&routine S &&block X &&block A &&block C &&block Y &&end-routine", kEmptyLoop},
        {"a sub line's chain into an empty sub line",
         [] {
             Copy({{2, "S", 1}});
             Paste(3, "E", false, 1);
         },
         kFirst, kSecond, "&&routine T &&loop E &&block X &&block Y &&end-loop &&end-routine"},
        {"before the first box of a sub line's chain, which it then leads",
         [] {
             Copy({{1, "C"}});
             Paste(1, "B", true);
         },
         "&&routine R &&block A &&loop L &&block C &&block B &&end-loop &&block C &&end-routine", kSecond, kEmptyLoop},
        {"the top line copies the whole top chain",
         [] {
             Copy({{3, ""}});
             Paste(2, "Y", false);
         },
         kFirst, "&&routine S &&block X &&block Y &&routine T &&loop E &&end-loop &&end-routine &&end-routine",
         kEmptyLoop},
        {"pasted twice: two copies",
         [] {
             Copy({{2, "X"}});
             Paste(1, "A", false);
             Paste(1, "C", false);
         },
         "&&routine R &&block A &&block X &&loop L &&block B &&end-loop &&block C &&block X &&end-routine", kSecond,
         kEmptyLoop},
        {"a box cut and pasted on another canvas",
         [] {
             Copy({{1, "L"}});
             BoxUnlink(1, BoxOf(1, QStringLiteral("L")));
             Paste(2, "Y", true);
         },
         "&&routine R &&block A &&block C &&end-routine",
         "&&routine S &&block X &&loop L &&block B &&end-loop &&block Y &&end-routine", kEmptyLoop},
        {"a line cut and pasted on another canvas",
         [] {
             Copy({{1, "L", 1}});
             SubUnlink(1, SubOf(1, BoxOf(1, QStringLiteral("L")), 1));
             Paste(3, "E", false, 1);
         },
         "&&routine R &&block A &&loop L &&end-loop &&block C &&end-routine", kSecond,
         "&&routine T &&loop E &&block B &&end-loop &&end-routine"},
        {"an empty line copies nothing, and nothing pastes",
         [] {
             Copy({{3, "E", 1}});
             Paste(1, "A", true);
             Paste(1, "L", false);
         },
         kFirst, kSecond, kEmptyLoop},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        openCharts({kFirst, kSecond, kEmptyLoop});
        row.act();
        EXPECT_EQ(ChartText(1), row.first);
        EXPECT_EQ(ChartText(2), row.second);
        EXPECT_EQ(ChartText(3), row.third);
        for (std::int16_t c : {1, 2, 3})
            EXPECT_EQ(LinkFault(c), QString()) << "canvas " << c;
        EXPECT_NO_THROW(PadDrawRefresh(-1));
        EXPECT_TRUE(ClipboardExist());
    }
}

TEST_F(ClipboardTest, ACopyPastesOnlyIntoACanvasOfItsChartKind)
{
    const QString pad = QStringLiteral("&&routine P &&obstinate Obstinate1 &&block A &&end-routine");
    const QString module = QStringLiteral("&&routine M &&obstinate Obstinate2 &&block Z &&end-routine");
    // Read without its chart kind, a canvas of PAD boxes is the PAD chart it is edited as.
    const QString withoutKind = QStringLiteral("&&routine N &&block K &&end-routine");
    struct Row {
        std::int16_t from;
        std::int16_t to;
        bool allowed;
    };
    const char* const boxOf[] = {"", "A", "Z", "K"};
    for (const Row& row : {Row{1, 2, false}, Row{2, 1, false}, Row{1, 1, true}, Row{2, 2, true}, Row{3, 1, true},
                           Row{1, 3, true}, Row{3, 2, false}, Row{2, 3, false}}) {
        SCOPED_TRACE(testing::Message() << row.from << " -> " << row.to);
        openCharts({pad, module, withoutKind});
        platform::msgbox::ShownBoxes().clear();
        Copy({{row.from, boxOf[row.from]}});
        EXPECT_EQ(ClipboardObstinateCheck(row.to), row.allowed);
        EXPECT_EQ(Prompts(), row.allowed ? QStringList{} : QStringList{kKindDiffers});
    }
}

TEST_F(ClipboardTest, ACopyForAnotherInstanceLeavesTheLocalCopysKindAlone)
{
    openCharts({QStringLiteral("&&routine P &&obstinate Obstinate1 &&block A &&end-routine"),
                QStringLiteral("&&routine M &&obstinate Obstinate2 &&block Z &&end-routine")});
    Copy({{1, "A"}});
    ClipboardTaskCopyOpen();
    ClipboardCopyPart(2, BoxOf(2, QStringLiteral("Z")), -1);
    ClipboardTaskCopyClose();

    EXPECT_EQ(CommonServices->GetRegistry(QStringLiteral("Clipboard"), QStringLiteral("Obstinate")),
              QStringLiteral("Obstinate2"));
    EXPECT_EQ(ClipboardObstinateName(), QStringLiteral("Obstinate1"));
    EXPECT_TRUE(ClipboardObstinateCheck(1));
    EXPECT_FALSE(ClipboardObstinateCheck(2));
    ClipboardPaste(1, BoxOf(1, QStringLiteral("A")), -1, false, false);
    EXPECT_EQ(ChartText(1), QStringLiteral("&&routine P &&block A &&block A &&end-routine"));
}

TEST_F(ClipboardTest, TheExchangeFileIsFetchedAndPastedWhileAnEmptyOrBrokenOneChangesNothing)
{
    openCharts({kFirst, kSecond});
    ClipboardTaskCopyOpen();
    ClipboardCopyPart(2, BoxOf(2, QStringLiteral("X")), -1);
    ClipboardTaskCopyClose();
    EXPECT_FALSE(ClipboardExist()) << "no local copy";
    ASSERT_TRUE(ClipboardTaskExist());
    ASSERT_TRUE(ClipboardTaskPasteFetch(1));
    Paste(1, "A", true, 0, true);
    EXPECT_EQ(ChartText(1),
              QStringLiteral("&&routine R &&block X &&block A &&loop L &&block B &&end-loop &&block C &&end-routine"));

    // A published file that holds no box: nothing is linked, no chain is cut.
    PadFileCreate(CopyAndPaste.ClipboardTaskFile);
    PadFileFinish();
    openCharts({kFirst});
    ASSERT_TRUE(ClipboardTaskPasteFetch(1));
    Paste(1, "A", true, 0, true);
    Paste(1, "L", false, 0, true);
    Paste(1, "L", false, 1, true);
    EXPECT_EQ(ChartText(1), kFirst);
    EXPECT_EQ(LinkFault(1), QString());

    // A file that does not parse raises and leaves the chart as it was.
    PadFileCreate(CopyAndPaste.ClipboardTaskFile);
    for (const QString& line : Expand(QStringLiteral("&&block N1 &&loop N2 &&block N3 &&end-branch")))
        PadLineWrite(line);
    PadFileFinish();
    ASSERT_TRUE(ClipboardTaskPasteFetch(1));
    EXPECT_THROW(Paste(1, "A", false, 0, true), platform::vbrt::Error);
    EXPECT_EQ(ChartText(1), kFirst);
    EXPECT_EQ(LinkFault(1), QString()) << "no box of the broken copy is left behind";

    // After a reset the published file is gone: another instance finds nothing.
    ClipboardReset();
    EXPECT_FALSE(ClipboardTaskExist());
    platform::msgbox::ShownBoxes().clear();
    EXPECT_FALSE(ClipboardTaskPasteFetch(1));
    EXPECT_EQ(Prompts(), QStringList{QStringLiteral("他ﾀｽｸからの情報がありません。")});
}

// An exchange file whose name carries no chart kind (published by an older copy of the program,
// with the kind as a second value that may belong to another file) is not taken.
TEST_F(ClipboardTest, AnExchangeFileWithoutItsKindInItsNameIsNotTaken)
{
    openCharts({kFirst});
    ClipboardTaskCopyOpen();
    ClipboardCopyPart(1, BoxOf(1, QStringLiteral("A")), -1);
    ClipboardTaskCopyClose();
    ASSERT_TRUE(ClipboardTaskExist());
    const QString older = QFileInfo(CopyAndPaste.ClipboardTaskFile).dir().filePath(QStringLiteral("vellumora.1.clipboard.copy.tmp"));
    ASSERT_TRUE(QFile::copy(CopyAndPaste.ClipboardTaskFile, older));
    CommonServices->SetRegistry(QStringLiteral("Clipboard"), QStringLiteral("Filename"), older);
    EXPECT_EQ(CommonServices->GetRegistry(QStringLiteral("Clipboard"), QStringLiteral("Obstinate")), QStringLiteral("Obstinate1"));

    EXPECT_FALSE(ClipboardTaskExist());
    platform::msgbox::ShownBoxes().clear();
    EXPECT_FALSE(ClipboardTaskPasteFetch(1));
    EXPECT_EQ(Prompts(), QStringList{QStringLiteral("他ﾀｽｸからの情報がありません。")});
    QFile::remove(older);
}

} // namespace
} // namespace edits_test
