// Loading documents into canvases: one canvas per top-level routine or note, the header's font,
// colour and settings, appending a file, and loads that fail leaving no half-read document.
#include "paddraw_support.h"

#include "app/canvas/CanvasForm.h"
#include "app/diagram/FileInterface.h"
#include "app/diagram/TagTable.h"
#include "support/RaisedError.h"

namespace paddraw_test {
namespace {

namespace ErrorNumber = platform::vbrt::ErrorNumber;

TEST_F(PadDrawTest, EachTopLevelRoutineOrNoteBecomesAnOpenCanvasInReadingOrder)
{
    QStringList body = RoutineLines(QStringLiteral("First"), QStringLiteral("a"));
    body << QStringLiteral("&&end-routine") << QStringLiteral("&&end-routine");  // stray ends are skipped
    // A canvas frame ends with its end record; a note has no end of its own.
    body << QStringLiteral("&&note") << QStringLiteral("&&text") << QStringLiteral("Remark")
         << QStringLiteral("&&end-routine");
    body << RoutineLines(QStringLiteral("Second"), QStringLiteral("b"));
    open(document(QStringLiteral("three.txt"), DocumentLines(body)));

    ASSERT_EQ(B.size(), 4u);
    const QStringList texts = {QStringLiteral("First"), QStringLiteral("Remark"), QStringLiteral("Second")};
    for (std::int16_t c = 1; c <= 3; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(Canvas(c).header.state, CanvasState::Open);
        EXPECT_EQ(Canvas(c).header.number, c) << "a new slot's display number is its index";
        EXPECT_TRUE(Canvas(c).form) << "each canvas has its window";
        EXPECT_EQ(FirstText(c), texts[c - 1]);
    }
    EXPECT_EQ(Canvas(2).BoxList[static_cast<std::size_t>(Canvas(2).header.firstBox)].tagType, TagId::Note);
}

TEST_F(PadDrawTest, SavingWritesEveryOpenCanvasOnceWhateverItsDisplayNumber)
{
    QStringList body = RoutineLines(QStringLiteral("First"), QStringLiteral("a"));
    body << RoutineLines(QStringLiteral("Second"), QStringLiteral("b"))
         << RoutineLines(QStringLiteral("Third"), QStringLiteral("c"));
    const QString source = document(QStringLiteral("numbers.txt"), DocumentLines(body));
    struct Row { const char* why; std::int16_t numbers[3]; QStringList order; };
    const Row rows[] = {
        {"display order is kept", {2, 3, 1}, {"Third", "First", "Second"}},
        {"a shared number writes both canvases once", {1, 1, 2}, {"First", "Second", "Third"}},
        {"a number past the last canvas is still written", {7, 1, 2}, {"Second", "Third", "First"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        open(source);
        for (std::int16_t c = 1; c <= 3; ++c)
            Canvas(c).header.number = row.numbers[c - 1];
        const QString saved = path(QStringLiteral("saved.txt"));
        ApplicationGlobals.DocumentName = saved;
        PadFileSave();
        open(saved);
        ASSERT_EQ(B.size(), 4u);
        for (std::int16_t c = 1; c <= 3; ++c)
            EXPECT_EQ(FirstText(c), row.order[c - 1]);
    }
}

TEST_F(PadDrawTest, TheHeaderSetsTheDocumentFontColourAndSettingsOnlyOnAReload)
{
    const QStringList header = {QStringLiteral("&&color"), QStringLiteral("赤"), QStringLiteral("&&font"),
                                QStringLiteral("fontsize:12"), QStringLiteral("&&text"),
                                QStringLiteral("NoteNotShow:True")};
    const QString path = document(QStringLiteral("header.txt"),
                                  DocumentLines(RoutineLines(QStringLiteral("R"), QStringLiteral("a")), header));
    ApplicationGlobals.DocumentColorName = QStringLiteral("青");
    ApplicationGlobals.DocumentFontSize = QStringLiteral("9");
    ApplicationGlobals.NoteNotShow = false;

    // An appended file's header is read and ignored.
    ApplicationGlobals.DocumentName = QStringLiteral("\t(新規追加)");
    PadDrawGetData(path);
    EXPECT_EQ(B.size(), 2u);
    EXPECT_EQ(ApplicationGlobals.DocumentColorName, QStringLiteral("青"));
    EXPECT_EQ(ApplicationGlobals.DocumentFontSize, QStringLiteral("9"));
    EXPECT_FALSE(ApplicationGlobals.NoteNotShow);

    open(path);
    EXPECT_EQ(B.size(), 2u) << "a reload replaces every canvas";
    EXPECT_EQ(ApplicationGlobals.DocumentColorName, QStringLiteral("赤"));
    EXPECT_EQ(ApplicationGlobals.DocumentFontSize, QStringLiteral("12"));
    EXPECT_TRUE(ApplicationGlobals.NoteNotShow);
}

TEST_F(PadDrawTest, AppendingKeepsTheOpenCanvasesAndAddsTheFilesAfterThem)
{
    open(document(QStringLiteral("main.txt"), DocumentLines(RoutineLines(QStringLiteral("Main"), QStringLiteral("a")))));
    QPointer<CanvasSurface> window = Canvas(1).form;
    PadDrawGetData(document(QStringLiteral("more.txt"),
                            DocumentLines(RoutineLines(QStringLiteral("Added"), QStringLiteral("b")))) +
                   QStringLiteral("\t(ignored title)"));
    ASSERT_EQ(B.size(), 3u);
    EXPECT_EQ(Canvas(1).form, window) << "the open canvas keeps its window";
    EXPECT_EQ(FirstText(1), QStringLiteral("Main"));
    EXPECT_EQ(FirstText(2), QStringLiteral("Added"));
    EXPECT_EQ(ApplicationGlobals.DocumentName, path(QStringLiteral("main.txt")));
}

TEST_F(PadDrawTest, ADocumentWithoutAFileOnlyTakesTheDefaultSettings)
{
    ApplicationGlobals.NoteNotShow = true;  // the program's ini file says False
    ApplicationGlobals.DocumentName = QStringLiteral("\t(新規追加)");
    PadDrawGetData(QString());
    EXPECT_EQ(B.size(), 1u);
    EXPECT_FALSE(ApplicationGlobals.NoteNotShow);
    EXPECT_EQ(ApplicationGlobals.DocumentName, QStringLiteral("\t(新規追加)"));

    ApplicationGlobals.NoteNotShow = true;
    PadDrawGetData(QStringLiteral("\t(no file)"));
    EXPECT_TRUE(ApplicationGlobals.NoteNotShow) << "adding no file leaves the settings alone";
}

TEST_F(PadDrawTest, AReloadWithNoDocumentShowsTheMessageAndChangesNothing)
{
    open(document(QStringLiteral("main.txt"), DocumentLines(RoutineLines(QStringLiteral("Main"), QStringLiteral("a")))));
    ApplicationGlobals.DocumentName.clear();
    PadDrawGetData(QString());
    ASSERT_EQ(platform::msgbox::ShownBoxes().size(), 1u);
    EXPECT_EQ(platform::msgbox::ShownBoxes()[0].prompt, QStringLiteral("入力ﾌｧｲﾙの指定がありません。"));
    EXPECT_EQ(B.size(), 2u) << "the canvases stay";
}

// Loads that fail part-way, as a reload of the current document and as an appended file.
struct BrokenDocument {
    const char* why;
    QStringList lines;
    const char* description;  // empty: any description
};

std::vector<BrokenDocument> BrokenDocuments()
{
    const QStringList good = RoutineLines(QStringLiteral("Good"), QStringLiteral("a"));
    // A header that would change the document colour, had the load succeeded.
    const QStringList header = {QStringLiteral("&&document"), QStringLiteral("&&color"), QStringLiteral("赤")};
    return {
        {"the document ends right after its header", header, "有効なpadﾀｸﾞがありません。"},
        {"the end record is missing after a canvas", header + good, "有効なpadﾀｸﾞがありません。"},
        {"a box stands at the top level",
         header + good + QStringList{QStringLiteral("&&block"), QStringLiteral("&&text"), QStringLiteral("x"),
                                     QStringLiteral("&&end-document")},
         "有効なpadﾀｸﾞがありません。"},
        {"the second canvas does not parse",
         header + good + QStringList{QStringLiteral("&&routine"), QStringLiteral("&&text"), QStringLiteral("Bad"),
                                     QStringLiteral("&&case"), QStringLiteral("&&end-routine"),
                                     QStringLiteral("&&end-document")},
         ""},
        {"the first record is no document header", RoutineLines(QStringLiteral("Headless"), QStringLiteral("a")), ""},
        {"the file is empty", {}, ""},
    };
}

TEST_F(PadDrawTest, AFailedReloadLeavesNoDocumentThatASaveCouldWriteOverTheFile)
{
    for (const BrokenDocument& row : BrokenDocuments()) {
        SCOPED_TRACE(row.why);
        open(document(QStringLiteral("previous.txt"),
                      DocumentLines(RoutineLines(QStringLiteral("Previous"), QStringLiteral("a")),
                                    {QStringLiteral("&&color"), QStringLiteral("緑")})));
        const QString fontSize = ApplicationGlobals.DocumentFontSize;
        ApplicationGlobals.ModifyFlag = true;

        const QByteArray bytes = row.lines.isEmpty() ? QByteArray() : DocumentBytes(row.lines);
        const QString broken = write(QStringLiteral("broken.txt"), bytes);
        ApplicationGlobals.DocumentName = broken;
        try {
            PadDrawGetData(QString());
            ADD_FAILURE() << "the load succeeded";
        } catch (const platform::vbrt::Error& e) {
            EXPECT_EQ(e.number(), ErrorNumber::Application);
            if (*row.description) {
                EXPECT_EQ(e.description(), QString::fromUtf8(row.description));
            }
            EXPECT_FALSE(e.description().isEmpty());
        }
        EXPECT_EQ(B.size(), 1u) << "no canvas of the broken file stays";
        EXPECT_TRUE(ApplicationGlobals.DocumentName.isEmpty()) << "no document is open";
        EXPECT_FALSE(ApplicationGlobals.ModifyFlag) << "there is nothing to save";
        EXPECT_EQ(ApplicationGlobals.DocumentColorName, QStringLiteral("緑")) << "the header's colour is not kept";
        EXPECT_EQ(ApplicationGlobals.DocumentFontSize, fontSize);

        EXPECT_RAISES(PadFileSave(), ErrorNumber::BadFileNameOrNumber);
        EXPECT_EQ(read(broken), bytes) << "the file is as it was";

        // The input is closed: the next load reads from its start.
        open(document(QStringLiteral("next.txt"), DocumentLines(RoutineLines(QStringLiteral("Next"), QStringLiteral("b")))));
        ASSERT_EQ(B.size(), 2u);
        EXPECT_EQ(FirstText(1), QStringLiteral("Next"));
    }
}

TEST_F(PadDrawTest, AFailedAppendLeavesTheOpenDocumentAsItWas)
{
    for (const BrokenDocument& row : BrokenDocuments()) {
        SCOPED_TRACE(row.why);
        const QString main = document(QStringLiteral("main.txt"),
                                      DocumentLines(RoutineLines(QStringLiteral("Main"), QStringLiteral("a"))));
        open(main);
        QPointer<CanvasSurface> window = Canvas(1).form;
        const QString broken = write(QStringLiteral("broken.txt"), row.lines.isEmpty() ? QByteArray() : DocumentBytes(row.lines));

        EXPECT_THROW(PadDrawGetData(broken), platform::vbrt::Error);
        EXPECT_EQ(B.size(), 2u);
        EXPECT_EQ(Canvas(1).form, window);
        EXPECT_EQ(FirstText(1), QStringLiteral("Main"));
        EXPECT_EQ(ApplicationGlobals.DocumentName, main);
    }
}

} // namespace
} // namespace paddraw_test
