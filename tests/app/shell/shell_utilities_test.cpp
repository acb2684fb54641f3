#include "app/core/Utilities.h"

#include "app/core/ApplicationGlobals.h"
#include "platform/msgbox/MsgBox.h"
#include "platform/vbrt/Format.h"
#include "support/ShellFakeServices.h"

#include "support/RaisedError.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <array>
#include <limits>

using namespace vellumora;

namespace {

using Parts = std::array<FilePart, 6>;

QString Issue(const Parts& p)
{
    return TemporaryFileName(p[0], p[1], p[2], p[3], p[4], p[5]);
}

void Delete(const Parts& p)
{
    TemporaryFileDelete(p[0], p[1], p[2], p[3], p[4], p[5]);
}

bool InUse(const QString& name)
{
    for (const TemporaryFileEntry& entry : TemporaryFiles())
        if (entry.fileName == name)
            return entry.inUse;
    return false;
}

class UtilitiesTest : public shell_test::ServicesFolder {
protected:
    void SetUp() override
    {
        ServicesFolder::SetUp();
        // The process id equals an undo slot number used below.
        services_->processId = 3;
        UtilitiesInitialize();
    }

    QString prefix() const { return path(QStringLiteral("vellumora.3")); }

    // Issues the name and puts a file there.
    QString Made(const Parts& p)
    {
        const QString name = Issue(p);
        write(QFileInfo(name).fileName(), "x");
        return name;
    }
};

TEST_F(UtilitiesTest, NamesAreBuiltFromTheirParts)
{
    struct Row {
        const char* why;
        Parts parts;
        QString expected;  // after the prefix; empty: a random name
    };
    const Row rows[] = {
        {"no parts give a random name", {}, {}},
        {"an empty first part drops the later ones", {"", "x", "y"}, {}},
        {"blanks around parts are removed", {" a ", "b  "}, ".a.b.tmp"},
        {"numbers give their decimal text", {12, std::int16_t(-4), "history"}, ".12.-4.history.tmp"},
        {"the parts stop at the first empty one", {"a", "", "c"}, ".a.tmp"},
        {"six parts", {"1", "2", "3", "4", "5", "6"}, ".1.2.3.4.5.6.tmp"},
    };
    const QRegularExpression random(QStringLiteral("^\\.__[0-9]{1,8}__\\.tmp$"));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const QString name = Issue(row.parts);
        ASSERT_TRUE(name.startsWith(prefix())) << name.toStdString();
        const QString rest = name.mid(prefix().size());
        if (row.expected.isEmpty())
            EXPECT_TRUE(random.match(rest).hasMatch()) << rest.toStdString();
        else
            EXPECT_EQ(rest, row.expected);
        EXPECT_FALSE(QFileInfo::exists(name)) << "naming a work file does not create it";
    }
}

TEST_F(UtilitiesTest, TheSameNameTwiceKeepsOneEntry)
{
    const QString first = Issue({"copy"});
    const QString second = Issue({"copy"});
    EXPECT_EQ(first, second);
    ASSERT_EQ(TemporaryFiles().size(), 1u);
    EXPECT_TRUE(TemporaryFiles()[0].inUse);
    EXPECT_NE(Issue({}), Issue({})) << "two random names normally differ";
}

TEST_F(UtilitiesTest, TheListKeepsTheOrderOfFirstIssueAndStartsAgainEmpty)
{
    const QString a = Issue({"a"});
    const QString b = Issue({"b"});
    Delete({a});
    EXPECT_EQ(Issue({"a"}), a);
    const QString c = Issue({"c"});
    std::vector<QString> names;
    for (const TemporaryFileEntry& entry : TemporaryFiles())
        names.push_back(entry.fileName);
    EXPECT_EQ(names, (std::vector<QString>{a, b, c}));
    EXPECT_TRUE(InUse(a));

    // A name issued in an earlier run of the list is new in the next one.
    UtilitiesTerminate();
    UtilitiesInitialize();
    EXPECT_EQ(Issue({"b"}), b);
    ASSERT_EQ(TemporaryFiles().size(), 1u);
    EXPECT_EQ(TemporaryFiles()[0].fileName, b);
    Delete({b});
    EXPECT_FALSE(InUse(b));
}

TEST_F(UtilitiesTest, DeletionByPartsSelectsTheLastParts)
{
    const std::vector<Parts> issued = {
        {3, "0", "history"}, {3, "ci", "history"}, {5, "0", "history"}, {5, "ci", "history"}, {3, "history"},
        {"HISTORY"},         {"history", "x"},     {"copy"},           {"clipboard", "copy"}, {"clipboard", "paste"},
    };
    struct Row {
        const char* why;
        Parts parts;
        std::vector<int> deleted;  // indexes into issued
    };
    const Row rows[] = {
        {"one slot's snapshots; the process id 3 selects no other slot", {3, "*", "history"}, {0, 1}},
        {"every snapshot, in any letter case, not a name with a later part", {"history"}, {0, 1, 2, 3, 4, 5}},
        {"the exchange files", {"clipboard", "*"}, {8, 9}},
        {"the last part alone", {"copy"}, {7, 8}},
        {"no parts delete every work file", {}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {"a part nobody used deletes nothing", {"paste", "copy"}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        std::vector<QString> names;
        for (const Parts& p : issued)
            names.push_back(Made(p));
        Delete(row.parts);
        for (std::size_t i = 0; i < names.size(); ++i) {
            const bool deleted = std::find(row.deleted.begin(), row.deleted.end(), int(i)) != row.deleted.end();
            SCOPED_TRACE(names[i].toStdString());
            EXPECT_EQ(QFileInfo::exists(names[i]), !deleted);
            EXPECT_EQ(InUse(names[i]), !deleted);
        }
    }
}

TEST_F(UtilitiesTest, AWholeNameDeletesExactlyThatFile)
{
    const QString name = Made({"put", 1});
    const QString other = Made({"get", 1});

    Delete({name.toUpper()});
    EXPECT_TRUE(QFileInfo::exists(name)) << "the whole name is compared with its letter case";

    Delete({name});
    EXPECT_FALSE(QFileInfo::exists(name));
    EXPECT_TRUE(QFileInfo::exists(other));

    write(QFileInfo(name).fileName(), "again");
    Delete({name});
    EXPECT_TRUE(QFileInfo::exists(name)) << "an entry no longer in use is skipped";

    EXPECT_EQ(Issue({"put", 1}), name);
    EXPECT_TRUE(InUse(name)) << "issuing the name again marks the old entry in use";
}

TEST_F(UtilitiesTest, AWholeNameDeletesItsFileWhenTheTemporaryFolderIsGivenRelative)
{
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("work"))));
    ASSERT_TRUE(QDir::setCurrent(path()));
    services_->temporaryFolder = QStringLiteral("work");
    UtilitiesInitialize();
    const QString name = Issue({"put", 1});
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
    file.close();

    Delete({name});
    QDir::setCurrent(before);
    EXPECT_FALSE(QFileInfo::exists(name));
    EXPECT_FALSE(InUse(name));
}

TEST_F(UtilitiesTest, TerminateDeletesEveryFileInUseAndEmptiesTheList)
{
    const QString kept = Made({"kept"});
    Delete({"kept"});
    write(QFileInfo(kept).fileName(), "left on disk");
    const QString a = Made({"a"});
    const QString b = Made({});

    UtilitiesTerminate();
    EXPECT_FALSE(QFileInfo::exists(a));
    EXPECT_FALSE(QFileInfo::exists(b));
    EXPECT_TRUE(QFileInfo::exists(kept)) << "a file whose entry is not in use stays";
    EXPECT_TRUE(TemporaryFiles().empty());
}

TEST(UtilitiesConversion, CentimetresAndTwips)
{
    struct Row {
        const char* why;
        float centimeters;
        std::int32_t twips;
    };
    const Row rows[] = {
        {"one centimetre rounds down", 1.0f, 566},
        {"ten centimetres", 10.0f, 5669},
        {"2.54 as a float is slightly less than an inch", 2.54f, 1439},
        {"negative lengths round toward minus infinity", -1.0f, -567},
        {"zero", 0.0f, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(CentimeterToTwip(row.centimeters), row.twips);
    }
    EXPECT_RAISES(CentimeterToTwip(1.0e7f), 6);
    EXPECT_EQ(TwipToCentimeter(1440), 2.54f);
    EXPECT_EQ(platform::vbrt::Format(TwipToCentimeter(566), QStringLiteral("#0.0")), QStringLiteral("1.0"));
}

TEST(UtilitiesConversion, PointsAndSmallRoutines)
{
    const std::int32_t max = std::numeric_limits<std::int32_t>::max();
    const std::int32_t min = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(PointAdd(PointMake(2, -3), PointMake(5, 7)), PointMake(7, 4));
    EXPECT_RAISES(PointAdd(PointMake(max, 0), PointMake(1, 0)), 6);
    EXPECT_RAISES(PointAdd(PointMake(0, min), PointMake(0, -1)), 6);
    EXPECT_EQ(PointMax(PointMake(1, 9), PointMake(4, -2)), PointMake(4, 9));
    EXPECT_EQ(StringDefault(QStringLiteral("  "), QStringLiteral("d")), QStringLiteral("  "));
    EXPECT_EQ(StringDefault(QString(), QStringLiteral("d")), QStringLiteral("d"));
    EXPECT_EQ(BoolToByte(true), 1);
    EXPECT_TRUE(ByteToBool(2));
}

TEST(UtilitiesMessageBoxes, StylesTitlesAndTheHourglassAfterwards)
{
    namespace mb = platform::msgbox;
    shell_test::FakeMainWindow window;
    SetMainWindowLink(&window);
    struct Row {
        const char* why;
        std::function<std::int16_t()> show;
        std::int32_t style;
        QString title;
        std::int16_t answer;
    };
    const Row rows[] = {
        {"an error without a title", [] { ErrorMessageBox(QStringLiteral("e"), {}); return std::int16_t(1); }, 16,
         QStringLiteral("Vellumora"), 1},
        {"an error with its own title", [] { ErrorMessageBox(QStringLiteral("e"), QStringLiteral("T")); return std::int16_t(1); },
         16, QStringLiteral("T"), 1},
        {"yes or no with No as default", [] { return YesNoMessageBox(QStringLiteral("q"), 256, {}); }, 36 + 256,
         QStringLiteral("Vellumora"), mb::Answer::No},
        {"yes, no or cancel", [] { return YesNoCancelMessageBox(QStringLiteral("q"), 0, {}); }, 35,
         QStringLiteral("Vellumora"), mb::Answer::Cancel},
        {"information always under the program's name", [] { InformationMessageBox(QStringLiteral("i")); return std::int16_t(1); },
         64, QStringLiteral("Vellumora"), 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        window.events.clear();
        mb::QueueAnswer(row.answer);
        EXPECT_EQ(row.show(), row.answer);
        ASSERT_FALSE(mb::ShownBoxes().empty());
        EXPECT_EQ(mb::ShownBoxes().back().buttons, row.style);
        EXPECT_EQ(mb::ShownBoxes().back().title, row.title);
        EXPECT_EQ(window.events, QStringList({QStringLiteral("pointer"), QStringLiteral("hourglass")}));
    }
    SetMainWindowLink(nullptr);
}

} // namespace
