// The tagged-text format: reading rules, record writer, box-list and document writers, and the
// sample documents read and written again byte for byte.

#include "fileinterface_support.h"

#include "app/diagram/PadUtilities.h"
#include "app/core/PrintRecords.h"
#include "support/RaisedError.h"
#include "support/TempFolder.h"

#include <QStringList>

#include <functional>

using namespace vellumora;
using namespace fileinterface_test;
namespace ErrorNumber = platform::vbrt::ErrorNumber;

namespace {

class Format : public testsupport::TempFolder {
protected:
    void TearDown() override
    {
        PadFileClose();
        PadFileAbandon();
    }

    // Opens the text (UTF-8 here, Shift_JIS on disk) as the input.
    void Open(const QString& text)
    {
        const QString p = write(QStringLiteral("in.txt"), Sjis(text));
        PadFileOpen(p);
    }

    // What the writer calls produce, as text.
    template <typename Write>
    QString Written(Write&& writeCalls)
    {
        const QString p = path(QStringLiteral("out.txt"));
        PadFileCreate(p);
        writeCalls();
        PadFileFinish();
        return platform::codepage::FromShiftJis(read(p));
    }
};

TEST_F(Format, ReaderRulesForLinesSectionsAndTagLines)
{
    struct Row {
        const char* why;
        const char* input;
        std::vector<std::string> records;
    };
    const Row rows[] = {
        {"only comments and empty lines", "# a\r\n\r\n   \r\n#&&block\r\n", {}},
        {"a comment as the last line ends the input", "&&block\r\n&&text\r\nA\r\n#&&output", {"5 text=[A]"}},
        {"a # after blanks is content", "&&block\r\n  #x\r\n", {"5 text=[#x]"}},
        {"empty lines dropped, trailing blanks lost, a TAB becomes a blank",
         "&&block\r\n&&text\r\na  \r\n\r\nb\tc\r\n", {"5 text=[a|b c]"}},
        {"escapes only at the head, only once",
         "&&block\r\n&amp;&x\r\n&nbsp;y\r\n&shap;z\r\n&amp;amp;w\r\na&amp;b\r\n",
         {"5 text=[&&x| y|#z|&amp;w|a&amp;b]"}},
        {"text before any sub-tag is the text section", "&&block\r\nhello\r\n", {"5 text=[hello]"}},
        {"a section given twice keeps its last occurrence", "&&block\r\n&&text\r\na\r\n&&text\r\nb\r\n",
         {"5 text=[b]"}},
        {"lines after a flag are dropped", "&&loop\r\n&&before\r\nx\r\n&&text\r\nt\r\n", {"12 text=[t] before=1"}},
        {"after replaces before", "&&loop\r\n&&before\r\n&&after\r\n", {"12 after=1"}},
        {"page-break flags", "&&block\r\n&&lowerPage\r\n&&rightPage\r\n", {"5 lowerPage=1 rightPage=1"}},
        {"an extra section is dropped", "&&block\r\n&&extra: notes\r\nx\r\n&&text\r\nt\r\n", {"5 text=[t]"}},
        {"every section", "&&freeStyle\r\n&&color\r\n赤\r\n&&font\r\nfontbold:on\r\n&&name\r\nN\r\n&&style\r\n"
                          "leftline:on\r\n&&text\r\nT\r\n",
         {"22 text=[T] color=[赤] font=[fontbold:on] nameText=[N] style=[leftline:on]"}},
        {"case number and name", "&&case:3:update\r\n", {"24 number=3 name=[update]"}},
        {"blanks around number and name", "&&case: 4 : insert \r\n", {"24 number=4 name=[insert]"}},
        {"blanks inside the name are removed too", "&&case:4:in sert\r\n", {"24 number=4 name=[insert]"}},
        {"an empty number field yields no name", "&&case::update\r\n", {"24"}},
        {"a fraction rounds half to even", "&&case:2.5\r\n", {"24 number=2"}},
        {"end tags keep nothing but id and flags", "&&end-loop:5:x\r\n&&text\r\nx\r\n&&before\r\n", {"13"}},
        {"special tags keep nothing but id and flags", "&&chink\r\n&&text\r\nx\r\n", {"21"}},
        {"the obstinate section picks the chart kind",
         "&&routine\r\n&&obstinate\r\nObstinate2\r\n&&text\r\nR\r\n&&routine\r\n&&text\r\nS\r\n",
         {"3 flags=0xa0a1 text=[R] obstinate=[Obstinate2]", "3 text=[S]"}},
        {"a line ends at CR alone, and at LF alone among them", "&&block\r&&text\rA\nB\r", {"5 text=[A|B]"}},
        {"without any CR a line ends at LF", "#c\n&&block\n&&text\nA\n\nB\n&&output", {"5 text=[A|B]", "8"}},
        {"an LF-only text line before a tag line",
         "&&block\r\n&&text\r\nA\n&&output\r\n&&text\r\nB\r\n", {"5 text=[A]", "8 text=[B]"}},
        {"an LF-only comment line before the second canvas",
         "&&routine\r\n&&text\r\nR\r\n&&end-routine\r\n# added\n&&routine\r\n&&text\r\nS\r\n&&end-routine\r\n",
         {"3 text=[R]", "4", "3 text=[S]", "4"}},
        {"an LF file ending in one CR LF line", "&&block\n&&text\nA\n\n&&output\n&&text\nB\r\n",
         {"5 text=[A]", "8 text=[B]"}},
        {"the next tag line ends a record", "&&block\r\na\r\n&&output\r\nb\r\n&&end-routine",
         {"5 text=[a]", "8 text=[b]", "4"}},
        {"the header's settings text keeps its TABs, its other sections do not",
         "&&document\r\n&&font\r\nx\ty\r\n&&text\r\nPrinterText1:a\tb\t\r\nFrameColor:\t\r\n",
         {"1 text=[PrinterText1:a\tb\t|FrameColor:\t] font=[x y]"}},
        {"TABs of other records' texts become blanks", "&&block\r\n&&text\r\na\tb\r\n", {"5 text=[a b]"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        Open(QString::fromUtf8(row.input));
        EXPECT_EQ(Describe(ReadRecords()), row.records);
        EXPECT_EQ(GetPadInfo().tagId, 0) << "the end of the input repeats";
        PadFileClose();
    }
}

TEST_F(Format, ReaderRefusesWhatIsNoKnownTag)
{
    struct Row {
        const char* why;
        const char* input;
        int goodRecords;
        std::int32_t error;
    };
    const Row rows[] = {
        {"a first line that is no tag", "hello\r\n&&text\r\nx\r\n", 0, ErrorNumber::Application},
        {"a sub-tag in another letter case ends the record", "&&block\r\n&&Text\r\nx\r\n", 1, ErrorNumber::Application},
        {"a blank before the colon belongs to the tag", "&&case :3\r\n", 0, ErrorNumber::Application},
        {"a number beyond 16 bits", "&&case:40000\r\n", 0, ErrorNumber::Overflow},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        Open(QString::fromUtf8(row.input));
        for (int i = 0; i < row.goodRecords; ++i)
            EXPECT_NE(GetPadInfo().tagId, 0);
        EXPECT_RAISES(GetPadInfo(), row.error);
        PadFileClose();
    }
}

TEST_F(Format, PushBackReturnsTheLastRecordOnceAndSurvivesAFailedRead)
{
    Open(QStringLiteral("&&block\r\nA\r\n&&bogus\r\n&&output\r\nB\r\n"));
    EXPECT_EQ(Describe(GetPadInfo()), "5 text=[A]");
    UngetPadInfo();
    UngetPadInfo();
    EXPECT_EQ(Describe(GetPadInfo()), "5 text=[A]");
    EXPECT_RAISES(GetPadInfo(), ErrorNumber::Application);
    UngetPadInfo();
    EXPECT_EQ(Describe(GetPadInfo()), "5 text=[A]") << "a failed read keeps the record returned last";
    EXPECT_EQ(Describe(GetPadInfo()), "8 text=[B]");
    UngetPadInfo();

    // Opening an input forgets a push-back left from the previous one.
    Open(QStringLiteral("&&input\r\nC\r\n"));
    EXPECT_EQ(Describe(GetPadInfo()), "7 text=[C]");
}

TEST_F(Format, LinesReadUnchangedAndWrittenUnchanged)
{
    Open(QStringLiteral("#1\tx \r\n\r\n&&block"));
    QString line = QStringLiteral("junk");
    ASSERT_TRUE(PadLineRead(line));
    EXPECT_EQ(line, QStringLiteral("#1\tx "));
    ASSERT_TRUE(PadLineRead(line));
    EXPECT_EQ(line, QString());
    ASSERT_TRUE(PadLineRead(line));
    EXPECT_EQ(line, QStringLiteral("&&block"));
    line = QStringLiteral("junk");
    EXPECT_FALSE(PadLineRead(line));
    EXPECT_EQ(line, QString());

    EXPECT_EQ(Written([] { PadLineWrite(QStringLiteral(" #a\t")); PadLineWrite(QString()); }),
              QStringLiteral(" #a\t\r\n\r\n"));
    // A line break inside a line would end it early: what follows would be read as a line of its own.
    PadFileCreate(path(QStringLiteral("broken.txt")));
    EXPECT_RAISES(PadLineWrite(QStringLiteral("1\n&&block")), ErrorNumber::Application);
    PadFileAbandon();
}

PadInfoRecord Record(std::int32_t id, const char* text)
{
    return PadInfoMake(id, QString::fromUtf8(text));
}

TEST_F(Format, RecordWriterLayout)
{
    struct Row {
        const char* why;
        PadInfoRecord record;
        const char* lines; // joined by "|"
    };
    std::vector<Row> rows;
    rows.push_back({"a bare record", Record(TagId::Block, ""), "&&block"});
    rows.push_back({"texts escaped at the head, empty lines kept",
                    Record(TagId::Block, "a\r\n&x\r\n y\r\n#z\r\n\r\nb&c"), "&&block|&&text|a|&amp;x|&nbsp;y|&shap;z||b&c"});
    PadInfoRecord c = Record(TagId::Case, "C");
    c.number = 3;
    c.name = QStringLiteral(" up date ");
    c.rightPage = true;
    c.color = QStringLiteral("赤");
    rows.push_back({"a case: number, name, page break, text; nothing else", c, "&&case:3:update|&&rightPage|&&text|C"});
    c = Record(TagId::Case, "");
    c.name = QStringLiteral("delete");
    rows.push_back({"a name without a number", c, "&&case::delete"});
    c = Record(TagId::Case, "");
    c.number = 2;
    rows.push_back({"a number without a name", c, "&&case:2"});
    PadInfoRecord loop = Record(TagId::Loop, "L");
    loop.obstinate = QStringLiteral(" Obstinate1 ");
    loop.color = QStringLiteral(" 赤 ");
    loop.font = QStringLiteral(" fontsize:12\r\nfontbold:on ");
    loop.nameText = QStringLiteral(" N ");
    loop.before = true;
    loop.after = true;
    loop.lowerPage = true;
    loop.rightPage = true;
    loop.style = QStringLiteral("leftline:on");
    rows.push_back({"section order, trimmed ends, flags of a loop; no style but on a free-style box", loop,
                    "&&loop|&&obstinate|Obstinate1|&&color|赤|&&font|fontsize:12|fontbold:on|&&name|N|&&before|&&after"
                    "|&&lowerPage|&&rightPage|&&text|L"});
    PadInfoRecord block = Record(TagId::Block, "");
    block.before = true;
    block.rightPage = true;
    rows.push_back({"before and right page mean nothing on a block", block, "&&block"});
    PadInfoRecord free = Record(TagId::FreeStyle, "F");
    free.style = QStringLiteral("leftline:on\r\noverlap:vertical");
    free.lowerPage = true;
    rows.push_back({"a free-style box", free, "&&freeStyle|&&lowerPage|&&style|leftline:on|overlap:vertical|&&text|F"});

    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(Written([&] { PadInfoWrite(row.record); }),
                  QString::fromUtf8(row.lines).split(QLatin1Char('|')).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    }
}

TEST_F(Format, WrittenRecordsReadBackEqual)
{
    std::vector<PadInfoRecord> records;
    PadInfoRecord r = Record(TagId::Routine, "R\r\n #x\r\n&&y");
    r.obstinate = QStringLiteral("Obstinate2");
    r.nameText = QStringLiteral("名前");
    r.rightPage = true;
    r.flags = (r.flags & ~TagAttribute::ObstinateMask) | TagAttribute::Obstinate2;
    records.push_back(r);
    PadInfoRecord c = Record(TagId::Case, "はい");
    c.number = 7;
    c.name = QStringLiteral("insert");
    c.rightPage = true;
    records.push_back(c);
    PadInfoRecord l = Record(TagId::Loop, "i < 10");
    l.flags &= ~TagAttribute::ObstinateMask;
    l.after = true;
    l.lowerPage = true;
    records.push_back(l);
    records.push_back(Record(TagId::EndLoop, ""));

    const QString p = path(QStringLiteral("records.txt"));
    PadFileCreate(p);
    for (const PadInfoRecord& record : records)
        PadInfoWrite(record);
    PadFileFinish();
    PadFileOpen(p);
    EXPECT_EQ(Describe(ReadRecords()), Describe(records));
    PadFileClose();

    // Texts a user may paste into any field. Each comes back as the document keeps a text: a
    // lone CR or LF is a line break as CR LF is, and a TAB is a blank (the reader makes every TAB
    // of a line one); the sections written trimmed lose a TAB at their ends as they lose blanks
    // there, and a tag line's name keeps no blanks and no line breaks.
    struct Text {
        const char* why;
        QString written;
        QString kept;
        QString trimmed;
        QString tagName;
    };
    const Text texts[] = {
        {"CR alone", QStringLiteral("a\rb"), QStringLiteral("a\r\nb"), QStringLiteral("a\r\nb"), QStringLiteral("ab")},
        {"LF alone", QStringLiteral("a\nb"), QStringLiteral("a\r\nb"), QStringLiteral("a\r\nb"), QStringLiteral("ab")},
        {"CR LF", QStringLiteral("a\r\nb"), QStringLiteral("a\r\nb"), QStringLiteral("a\r\nb"), QStringLiteral("ab")},
        {"a line break before \"#\"", QStringLiteral("a\n#b"), QStringLiteral("a\r\n#b"), QStringLiteral("a\r\n#b"),
         QStringLiteral("a#b")},
        {"a line break before \"&&\"", QStringLiteral("a\r&&end-document"), QStringLiteral("a\r\n&&end-document"),
         QStringLiteral("a\r\n&&end-document"), QStringLiteral("a&&end-document")},
        {"a leading \"#\"", QStringLiteral("#x"), QStringLiteral("#x"), QStringLiteral("#x"), QStringLiteral("#x")},
        {"a leading \"&&\"", QStringLiteral("&&end-routine"), QStringLiteral("&&end-routine"),
         QStringLiteral("&&end-routine"), QStringLiteral("&&end-routine")},
        {"a leading TAB and \"#\"", QStringLiteral("\t#x"), QStringLiteral(" #x"), QStringLiteral("#x"),
         QStringLiteral("#x")},
        {"a TAB and \"&&\" after a line break", QStringLiteral("a\n\t&&block"), QStringLiteral("a\r\n &&block"),
         QStringLiteral("a\r\n &&block"), QStringLiteral("a&&block")},
    };
    // Every kind of field the writer writes: the sections of a record, the name on its tag line,
    // and the settings text of the document header.
    struct Field {
        const char* why;
        std::function<void(const QString&)> write; // writes the field's records or header
        std::function<QString()> read;             // reads them back, the field's value
        const QString Text::*expected;
    };
    auto recordField = [](std::int32_t tagId, QString PadInfoRecord::*member) {
        return std::make_pair(
            [tagId, member](const QString& text) {
                PadInfoRecord r = PadInfoMake(tagId, QStringLiteral("T"));
                if (tagId == TagId::Case)
                    r.number = 2;
                r.*member = text;
                PadInfoWrite(r);
                PadInfoWrite(PadInfoMake(TagId::Block, QStringLiteral("next")));
            },
            [member]() {
                const std::vector<PadInfoRecord> read = ReadRecords();
                EXPECT_EQ(read.size(), 2u) << "nothing cut, nothing added";
                return read.empty() ? QString() : read.front().*member;
            });
    };
    auto settingField = [](QString* setting) {
        return std::make_pair(
            [setting](const QString& text) {
                *setting = text;
                PadDocumentWrite(false, false);
                PadInfoWrite(PadInfoMake(TagId::Block, QStringLiteral("next")));
            },
            [setting]() {
                const std::vector<PadInfoRecord> read = ReadRecords();
                EXPECT_EQ(read.size(), 2u) << "nothing cut, nothing added";
                *setting = QStringLiteral("changed");
                if (!read.empty())
                    DocumentSettingsText(false, read.front().text);
                return *setting;
            });
    };
    std::vector<Field> fields;
    auto add = [&fields](const char* why, auto writeRead, const QString Text::*expected) {
        fields.push_back({why, writeRead.first, writeRead.second, expected});
    };
    add("a box's text", recordField(TagId::Block, &PadInfoRecord::text), &Text::kept);
    add("a comment", recordField(TagId::Note, &PadInfoRecord::text), &Text::kept);
    add("a case text", recordField(TagId::Case, &PadInfoRecord::text), &Text::kept);
    add("a free-style box's style", recordField(TagId::FreeStyle, &PadInfoRecord::style), &Text::kept);
    add("the canvas name", recordField(TagId::Routine, &PadInfoRecord::nameText), &Text::trimmed);
    add("a colour", recordField(TagId::Block, &PadInfoRecord::color), &Text::trimmed);
    add("a font", recordField(TagId::Block, &PadInfoRecord::font), &Text::trimmed);
    add("the name on a case's tag line", recordField(TagId::Case, &PadInfoRecord::name), &Text::tagName);
    add("a fixed text of the settings", settingField(&RS.extraText[0]), &Text::kept);
    add("the canvas colour of the settings", settingField(&ApplicationGlobals.CanvasColorName), &Text::kept);

    for (const Text& text : texts) {
        SCOPED_TRACE(text.why);
        EXPECT_EQ(PadTextForm(text.written), text.kept) << "the form a text enters a document in";
        for (const Field& field : fields) {
            SCOPED_TRACE(field.why);
            const QString first = path(QStringLiteral("first.txt"));
            PadFileCreate(first);
            field.write(text.written);
            PadFileFinish();
            PadFileOpen(first);
            const QString read = field.read();
            PadFileClose();
            EXPECT_EQ(read, text.*field.expected);

            const QString second = path(QStringLiteral("second.txt"));
            PadFileCreate(second);
            field.write(read);
            PadFileFinish();
            EXPECT_EQ(ReadBytes(second), ReadBytes(first)) << "a second write gives the same bytes";
        }
    }
    RS.extraText[0].clear();
    ApplicationGlobals.CanvasColorName.clear();
}

TEST_F(Format, AWriterRefusesACharacterShiftJisCannotHold)
{
    const QString p = write(QStringLiteral("old.txt"), "old");
    PadFileCreate(p);
    PadInfoWrite(Record(TagId::Block, "ok"));
    EXPECT_RAISES(PadInfoWrite(Record(TagId::Block, "smile \xF0\x9F\x98\x80")), ErrorNumber::Application);
    PadFileAbandon();
    EXPECT_EQ(read(p), QByteArray("old"));
}

TEST_F(Format, SamplesReadAndWrittenAgainAreByteIdentical)
{
    for (const char* name : kSamples) {
        for (const char* extension : {".txt", ".pad"}) {
            const QString sample = SamplePath(QLatin1String(name) + QLatin1String(extension));
            SCOPED_TRACE(sample.toStdString());
            PadFileOpen(sample);
            const std::vector<PadInfoRecord> records = ReadRecords();
            PadFileClose();
            ASSERT_GT(records.size(), 10u);
            EXPECT_EQ(records.front().tagId, TagId::Document);
            EXPECT_EQ(records.back().tagId, TagId::EndDocument);

            const QString copy = path(QLatin1String(name) + QLatin1String(".txt"));
            PadFileCreate(copy);
            for (const PadInfoRecord& record : records)
                PadInfoWrite(record);
            PadFileFinish();
            EXPECT_EQ(read(copy), read(SamplePath(QLatin1String(name) + QLatin1String(".txt"))));
        }
    }
}

TEST_F(Format, SamplesTogetherUseEveryKindOfRecord)
{
    std::vector<bool> seen(TagId::Last + 1, false);
    bool before = false, after = false, lowerPage = false, rightPage = false, caseRightPage = false;
    bool color = false, font = false, multiLineSetting = false;
    std::vector<bool> chartKinds(3, false);
    for (const char* name : kSamples) {
        PadFileOpen(SamplePath(QLatin1String(name) + QLatin1String(".txt")));
        for (const PadInfoRecord& r : ReadRecords()) {
            seen[r.tagId] = true;
            before |= r.before;
            after |= r.after;
            lowerPage |= r.lowerPage;
            rightPage |= r.rightPage && r.tagId != TagId::Case;
            caseRightPage |= r.rightPage && r.tagId == TagId::Case;
            color |= r.tagId > TagId::Document && !r.color.isEmpty();
            font |= r.tagId > TagId::Document && !r.font.isEmpty();
            multiLineSetting |= r.tagId == TagId::Document && r.text.contains(QLatin1Char('\t'));
            if (r.tagId == TagId::Routine)
                chartKinds[r.obstinate == QLatin1String("Obstinate2") ? 2 : 1] = true;
        }
        PadFileClose();
    }
    for (std::int32_t id = TagId::Document; id <= TagId::Case; ++id) {
        if (id != TagId::Egg) {
            EXPECT_TRUE(seen[id]) << "no sample has a record of tag " << id;
        }
    }
    EXPECT_TRUE(before && after && lowerPage && rightPage && caseRightPage);
    EXPECT_TRUE(color && font && multiLineSetting);
    EXPECT_TRUE(chartKinds[1] && chartKinds[2]);
}

// A canvas built by hand: slot 0 of each list is the spare.
struct CanvasBuilder {
    std::int16_t canvas;

    explicit CanvasBuilder(std::int16_t n, std::int32_t kindFlags, const char* name)
        : canvas(n)
    {
        if (B.size() <= static_cast<std::size_t>(n))
            B.resize(n + 1);
        B[n] = CanvasRecord{};
        B[n].header.kindFlags = kindFlags;
        B[n].header.name = QString::fromUtf8(name);
        B[n].header.number = n;
        B[n].header.state = CanvasState::Open;
        B[n].BoxList.resize(1);
        B[n].SubList.resize(1);
    }
    std::int16_t box(std::int32_t kind, const char* text, std::int16_t before = -1)
    {
        BoxRecord b;
        b.tagType = kind;
        b.text.text = QString::fromUtf8(text);
        b.colorCode = -1;
        b.before = before;
        auto& list = B[canvas].BoxList;
        list.push_back(b);
        const auto n = static_cast<std::int16_t>(list.size() - 1);
        if (before > 0)
            list[before].after = n;
        else if (B[canvas].header.firstBox < 0)
            B[canvas].header.firstBox = n;
        return n;
    }
    std::int16_t sub(std::int16_t owner, std::int16_t number, const char* caseText = "", std::int16_t previous = -1)
    {
        SubRecord s;
        s.upper = owner;
        s.no = number;
        s.text.text = QString::fromUtf8(caseText);
        auto& list = B[canvas].SubList;
        list.push_back(s);
        const auto n = static_cast<std::int16_t>(list.size() - 1);
        if (previous > 0)
            list[previous].after = n;
        else
            B[canvas].BoxList[owner].subIndex = n;
        return n;
    }
    void below(std::int16_t sub, std::int16_t firstBox) { B[canvas].SubList[sub].boxIndex = firstBox; }
};

TEST_F(Format, BoxListWriterWritesBoxesSubLinesCasesAndEndRecords)
{
    B.clear();
    B.resize(1);
    CanvasBuilder c(1, TagAttribute::Obstinate1, "主処理");
    const auto routine = c.box(TagId::Routine, "R");
    const auto body = c.sub(routine, 1);
    const auto block = c.box(TagId::Block, "B1");
    c.below(body, block);
    B[1].BoxList[block].flags |= BoxFlag::LowerPage;
    B[1].BoxList[block].fontCode = 1 << 26; // bold
    const auto loop = c.box(TagId::Loop, "L", block);
    B[1].BoxList[loop].flags |= BoxFlag::TestBefore;
    B[1].BoxList[loop].colorCode = 0x0A1400; // r0,g20,b10
    const auto loopBody = c.sub(loop, 1);
    B[1].SubList[loopBody].flags |= SubFlag::RightPage;
    c.below(loopBody, c.box(TagId::Output, "O"));
    const auto branch = c.box(TagId::Branch, "分岐", loop);
    const auto case1 = c.sub(branch, 1, "a");
    c.below(case1, c.box(TagId::Break, ""));
    const auto case2 = c.sub(branch, 2, "b", case1);
    B[1].SubList[case2].flags |= SubFlag::RightPage;
    const auto free = c.box(TagId::FreeStyle, "F", branch);
    B[1].BoxList[free].style = {2, 0, 0, 0, 1, 0, 0, 0, 1};

    struct Row {
        const char* why;
        std::int16_t start;
        bool withSubs, caseNumbers, followNext, withNames;
        const char* lines;
    };
    const Row rows[] = {
        {"the whole canvas", -1, true, false, true, true,
         "&&routine|&&obstinate|Obstinate1|&&name|主処理|&&text|R"
         "|&&block|&&font|fontbold:on|&&lowerPage|&&text|B1"
         "|&&loop|&&color|r0,g20,b10|&&before|&&rightPage|&&text|L|&&output|&&text|O|&&end-loop"
         "|&&branch|&&text|分岐|&&case|&&text|a|&&break|&&case|&&rightPage|&&text|b|&&end-branch"
         "|&&freeStyle|&&style|leftuppercorner:curve|leftlowercorner:off|rightuppercorner:off|rightlowercorner:off"
         "|leftline:on|rightline:off|upperline:off|lowerline:off|overlap:horizontal|&&text|F"
         "|&&end-routine"},
        {"one branch without its lists, with case numbers", branch, false, true, true, false,
         "&&branch|&&text|分岐|&&case:1|&&text|a|&&case:2|&&rightPage|&&text|b"
         "|&&freeStyle|&&style|leftuppercorner:curve|leftlowercorner:off|rightuppercorner:off|rightlowercorner:off"
         "|leftline:on|rightline:off|upperline:off|lowerline:off|overlap:horizontal|&&text|F"},
        {"one loop alone, names not written", loop, true, false, false, false,
         "&&loop|&&color|r0,g20,b10|&&before|&&rightPage|&&text|L|&&output|&&text|O|&&end-loop"},
        {"the routine without names", routine, false, false, false, false, "&&routine|&&obstinate|Obstinate1|&&text|R"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(Written([&] { BoxListWrite(1, row.start, row.withSubs, row.caseNumbers, row.followNext, row.withNames); }),
                  QString::fromUtf8(row.lines).split(QLatin1Char('|')).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    }
    B.clear();
}

TEST_F(Format, DocumentWriterFramesCanvasesWithoutRoutineAndFollowsDisplayOrder)
{
    B.clear();
    B.resize(1);
    CanvasBuilder first(1, TagAttribute::Obstinate2, "構成");
    first.box(TagId::Tree, "T");
    B[1].header.number = 2;
    CanvasBuilder second(2, TagAttribute::Obstinate1, "注釈");
    second.box(TagId::Note, "N");
    B[2].header.number = 1;
    CanvasBuilder closed(3, TagAttribute::Obstinate1, "閉");
    closed.box(TagId::Block, "X");
    B[3].header.state = CanvasState::Closed;
    CanvasBuilder twoKinds(4, TagAttribute::Obstinate1 | TagAttribute::Obstinate2, "二");
    twoKinds.box(TagId::Note, "M");
    ApplicationGlobals.DocumentColorName = QStringLiteral("黒");
    ApplicationGlobals.DocumentFontName = QStringLiteral("ＭＳ 明朝");
    ApplicationGlobals.DocumentFontSize = QStringLiteral("10.5");

    EXPECT_EQ(ObstinateNameGet(1), QStringLiteral("Obstinate2"));
    EXPECT_EQ(ObstinateNameGet(4), QString()) << "two chart kinds name none";

    const QString settings = DocumentSettingsText(true, QString());
    QStringList header{QStringLiteral("&&document"), QStringLiteral("&&color"), QStringLiteral("黒"),
                       QStringLiteral("&&font"), QStringLiteral("fontname:ＭＳ 明朝"), QStringLiteral("fontsize:10.5"),
                       QStringLiteral("&&text")};
    header << settings.split(QStringLiteral("\r\n"));
    const QStringList canvases{
        QStringLiteral("&&routine"), QStringLiteral("&&obstinate"), QStringLiteral("Obstinate1"), QStringLiteral("&&name"),
        QStringLiteral("注釈"), QStringLiteral("&&note"), QStringLiteral("&&text"), QStringLiteral("N"),
        QStringLiteral("&&end-routine"),
        QStringLiteral("&&routine"), QStringLiteral("&&obstinate"), QStringLiteral("Obstinate2"), QStringLiteral("&&name"),
        QStringLiteral("構成"), QStringLiteral("&&tree"), QStringLiteral("&&text"), QStringLiteral("T"),
        QStringLiteral("&&end-tree"), QStringLiteral("&&end-routine"),
        QStringLiteral("&&routine"), QStringLiteral("&&name"), QStringLiteral("二"), QStringLiteral("&&note"),
        QStringLiteral("&&text"), QStringLiteral("M"), QStringLiteral("&&end-routine"),
        QStringLiteral("&&end-document")};
    // Canvas 4 keeps its own display number 4; display numbers 1 and 2 come first.
    EXPECT_EQ(Written([] { PadDocumentWrite(true, false); }), (header + canvases).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    EXPECT_EQ(Written([] { PadDocumentWrite(false, false); }), header.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));

    B.clear();
    EXPECT_EQ(Written([] { PadDocumentWrite(true, false); }),
              (header + QStringList{QStringLiteral("&&end-document")}).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"))
        << "a document without canvases";
    EXPECT_RAISES(ObstinateNameGet(1), ErrorNumber::SubscriptOutOfRange);
}

TEST_F(Format, MultiLineSettingsSurviveSaveAndReopen)
{
    ApplicationGlobals.FrameColor = QStringLiteral("紺");
    RS.extraText[0] = QStringLiteral("一行目\r\n\r\n三行目\r\n");
    RS.headerHeight = 600;
    B.clear();
    const QString p = path(QStringLiteral("settings.txt"));
    PadFileCreate(p);
    PadDocumentWrite(false, false);
    PadFileFinish();

    RS.extraText[0] = QStringLiteral("changed");
    RS.headerHeight = 1;
    ApplicationGlobals.FrameColor = QStringLiteral("赤");
    PadFileOpen(p);
    const PadInfoRecord header = GetPadInfo();
    ASSERT_EQ(header.tagId, TagId::Document);
    DocumentSettingsText(false, header.text);
    EXPECT_EQ(RS.extraText[0], QStringLiteral("一行目\r\n\r\n三行目\r\n"));
    EXPECT_EQ(RS.headerHeight, 600);
    EXPECT_EQ(ApplicationGlobals.FrameColor, QStringLiteral("紺"));
}

} // namespace
