// Loading documents into canvases: one canvas per top-level routine or note, the header's font,
// colour and settings, appending a file, and loads that fail leaving no half-read document.
#include "canvas_windows.h"

#include "app/canvas/CanvasForm.h"
#include "app/diagram/FileInterface.h"
#include "app/diagram/TagTable.h"
#include "support/RaisedError.h"
#include "support/ZipBytes.h"

#include <QFileInfo>

#include <algorithm>

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

// Documents as people write them: comment lines and blank lines before the header (and between
// records), lines ended by CR LF, by CR alone or, written on Linux, by LF alone, and mixed in one
// file where a line was added by another tool; comments alone make an empty document. Each is
// opened as a ".txt" and as the member of a ".pad", and saved again with CR LF after every line.
TEST_F(PadDrawTest, DocumentsThatBeginWithCommentsOpenWithTheirCanvases)
{
    const QString crlf = QStringLiteral("\r\n");
    const QString cr = QStringLiteral("\r");
    const QString lf = QStringLiteral("\n");
    QStringList body = {QStringLiteral("&&routine"), QStringLiteral("&&text"), QStringLiteral("Main"),
                        QStringLiteral("&&block"),   QStringLiteral("&&text"), QStringLiteral("a"),
                        QStringLiteral("&&loop"),    QStringLiteral("&&text"), QStringLiteral("L"),
                        QStringLiteral("&&block"),   QStringLiteral("&&text"), QStringLiteral("b"),
                        QStringLiteral("&&end-loop"), QStringLiteral("&&end-routine"),
                        QStringLiteral("&&note"),    QStringLiteral("&&text"), QStringLiteral("Remark"),
                        QStringLiteral("&&end-routine")};
    const QStringList document = DocumentLines(body);
    QStringList commented = document;
    commented.insert(4, QStringLiteral("# between the records"));
    commented.insert(1, QStringLiteral("#"));
    // Lines added on Linux to a CR LF document: a comment before the second canvas, a text line
    // before a tag line.
    QStringList commentAdded = document;
    commentAdded[15] = QStringLiteral("# added\n") + commentAdded[15];
    QStringList textAdded = document;
    textAdded[7] = QStringLiteral("second line\n") + textAdded[7];
    const std::vector<int> twoCanvases = {4, 1};

    struct Row {
        const char* why;
        QStringList head;
        QString lineEnd;
        QStringList document;
        std::vector<int> boxes;  // boxes in use, per canvas
    };
    const std::vector<Row> rows = {
        {"no comment, CR LF", {}, crlf, document, twoCanvases},
        {"one comment, CR LF", {QStringLiteral("# written by hand")}, crlf, document, twoCanvases},
        {"two comments, CR LF", {QStringLiteral("# chart"), QStringLiteral("# of the month")}, crlf, document, twoCanvases},
        {"a blank line, then a comment, CR LF", {QString(), QStringLiteral("# chart")}, crlf, document, twoCanvases},
        {"three comments with blank lines between, CR LF",
         {QStringLiteral("#1"), QString(), QStringLiteral("# 2"), QStringLiteral("   "), QStringLiteral("#3")}, crlf,
         document, twoCanvases},
        {"two comments, CR alone", {QStringLiteral("# chart"), QStringLiteral("# of the month")}, cr, document,
         twoCanvases},
        {"three comments with blank lines between, CR alone",
         {QStringLiteral("#1"), QString(), QStringLiteral("#2"), QString(), QStringLiteral("#3")}, cr, document,
         twoCanvases},
        {"comments inside the document too", {QStringLiteral("# chart")}, crlf, commented, twoCanvases},
        {"comments only, CR LF", {QStringLiteral("# nothing yet"), QStringLiteral("# still nothing")}, crlf, {}, {}},
        {"comments and blank lines only, CR alone", {QString(), QStringLiteral("# nothing"), QString()}, cr, {}, {}},
        {"no comment, LF", {}, lf, document, twoCanvases},
        {"a comment, LF", {QStringLiteral("# chart")}, lf, document, twoCanvases},
        {"comments inside the document too, LF", {QStringLiteral("# chart")}, lf, commented, twoCanvases},
        {"comments and blank lines only, LF", {QStringLiteral("# nothing yet"), QString(), QStringLiteral("#")}, lf, {}, {}},
        {"LF lines that end with one CR LF", {QStringLiteral("# chart\n") + document.join(lf)}, crlf, {}, twoCanvases},
        {"an LF file whose last line ends with CR LF", {document.join(lf)}, crlf, {}, twoCanvases},
        {"a CR LF document with an LF-only comment before its second canvas", {}, crlf, commentAdded, twoCanvases},
        {"a CR LF document with an LF-only text line before a tag line", {}, crlf, textAdded, twoCanvases},
    };
    for (const Row& row : rows) {
        const QByteArray bytes =
            platform::codepage::ToShiftJis((row.head + row.document).join(row.lineEnd) + row.lineEnd);
        const QString pad =
            write(QStringLiteral("head.pad"), testsupport::zipbytes::MakeZip({{QByteArrayLiteral("Vellumora.txt"), bytes}}));
        for (const QString& file : {write(QStringLiteral("head.txt"), bytes), pad}) {
            SCOPED_TRACE(std::string(row.why) + " as " + QFileInfo(file).suffix().toStdString());
            CanvasesDrop();
            EXPECT_EQ(testsupport::RaisedText([&] { open(file); }).toStdString(), "");
            std::vector<int> boxes;
            for (std::size_t c = 1; c < B.size(); ++c)
                boxes.push_back(static_cast<int>(std::count_if(B[c].BoxList.begin() + 1, B[c].BoxList.end(),
                                                               [](const BoxRecord& b) { return b.garbage == -1; })));
            EXPECT_EQ(boxes, row.boxes);
            if (boxes == row.boxes && !row.boxes.empty()) {
                EXPECT_EQ(FirstText(1), QStringLiteral("Main"));
                EXPECT_EQ(FirstText(2), QStringLiteral("Remark"));
            }
            ApplicationGlobals.DocumentName = path(QStringLiteral("saved.txt"));
            PadFileSave();
            const QByteArray saved = read(path(QStringLiteral("saved.txt")));
            EXPECT_EQ(saved.count("\r\n"), saved.count('\n'));
            EXPECT_EQ(saved.count("\r\n"), saved.count('\r'));
        }
    }
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
    CanvasWindowsCreate();
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
    int line;                 // the line the description names; 0: none named
};

std::vector<BrokenDocument> BrokenDocuments()
{
    const QStringList good = RoutineLines(QStringLiteral("Good"), QStringLiteral("a"));
    // A header that would change the document colour, had the load succeeded.
    const QStringList header = {QStringLiteral("&&document"), QStringLiteral("&&color"), QStringLiteral("赤")};
    return {
        {"the document ends right after its header", header, "有効なpadﾀｸﾞがありません。", 3},
        {"the end record is missing after a canvas", header + good, "有効なpadﾀｸﾞがありません。", 10},
        {"a box stands at the top level",
         header + good + QStringList{QStringLiteral("&&block"), QStringLiteral("&&text"), QStringLiteral("x"),
                                     QStringLiteral("&&end-document")},
         "有効なpadﾀｸﾞがありません。", 11},
        {"the second canvas does not parse",
         header + good + QStringList{QStringLiteral("&&routine"), QStringLiteral("&&text"), QStringLiteral("Bad"),
                                     QStringLiteral("&&case"), QStringLiteral("&&end-routine"),
                                     QStringLiteral("&&end-document")},
         "", 14},
        {"the first record is no document header", RoutineLines(QStringLiteral("Headless"), QStringLiteral("a")), "", 0},
        {"the file is empty", {}, "", 0},
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
            // The reader's own message, then where in the file it stands.
            const QString where = row.line ? QStringLiteral("\r\n(broken.txt の %1 行目)").arg(row.line) : QString();
            if (*row.description) {
                EXPECT_EQ(e.description(), QString::fromUtf8(row.description) + where);
            }
            EXPECT_TRUE(e.description().endsWith(where)) << e.description().toStdString();
            EXPECT_EQ(e.description().count(QStringLiteral("行目")), row.line ? 1 : 0) << e.description().toStdString();
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
