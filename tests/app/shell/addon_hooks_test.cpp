// Add-on tables and menu entries, the calls into add-ons, and cleaning up only in the first copy.

#include "app/core/AddOnHooks.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/Utilities.h"
#include "platform/filesystem/FileSystem.h"
#include "platform/vbrt/Error.h"
#include "support/ShellFakeServices.h"
#include "support/RaisedError.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>

using namespace vellumora;

namespace {

// An add-on that records its calls and answers what it is told.
class FakeAddOn : public platform::automation::Dispatch {
public:
    QStringList calls;
    QVariant answer;
    bool fail = false;

    QVariant Invoke(const QString& method, QVariantList& args) override
    {
        QStringList shown;
        for (const QVariant& arg : args)
            shown << arg.toString();
        calls << method + QLatin1Char('(') + shown.join(QLatin1Char(',')) + QLatin1Char(')');
        if (fail)
            throw platform::vbrt::Error(5, QStringLiteral("FakeAddOn"), QStringLiteral("add-on failed"));
        if (method.compare(QLatin1String("GetData"), Qt::CaseInsensitive) != 0 &&
            method.compare(QLatin1String("Report"), Qt::CaseInsensitive) != 0 &&
            method.compare(QLatin1String("Clean"), Qt::CaseInsensitive) != 0)
            throw platform::vbrt::Error(438, method, QStringLiteral("no such method"));
        return answer;
    }
};

AddOnRecord AddOn(std::shared_ptr<FakeAddOn> object, std::vector<AddOnFunction> functions)
{
    return {QStringLiteral("addon"), std::move(object), std::move(functions)};
}

class AddOnHooks : public shell_test::ServicesFolder {
protected:
    void SetUp() override
    {
        ServicesFolder::SetUp();
        UtilitiesInitialize();
        AddOnMenuMake();
    }
    void TearDown() override
    {
        AddOnRelease();
        UtilitiesTerminate();
        ServicesFolder::TearDown();
    }

    static QStringList Entries(const QString& menu)
    {
        QStringList shown;
        for (const AddOnMenuRecord& e : AddOnMenuList(menu))
            shown << QStringLiteral("%1 %2 %3/%4 %5").arg(e.position).arg(e.action).arg(e.addOn).arg(e.functionIndex).arg(e.caption);
        return shown;
    }
};

const AddOnFunction GetData{QStringLiteral("GetData"), QStringLiteral("帳票")};
const AddOnFunction Report{QStringLiteral("Report"), QStringLiteral("集計")};
const AddOnFunction Clean{QStringLiteral("Clean"), QString()};

TEST_F(AddOnHooks, TheEmptyTableMakesNothingAndCallsNothing)
{
    EXPECT_TRUE(AddOnMenuList(QStringLiteral("Menu_File")).empty());
    EXPECT_TRUE(AddOnMenuList(QStringLiteral("Menu_Tool")).empty());
    EXPECT_EQ(AddOnMenuAction(QStringLiteral("Menu_File"), 0), QString());
    QString result = QStringLiteral("unchanged");
    EXPECT_FALSE(AddOnGetData(QStringLiteral("Menu_File"), 0, result));
    EXPECT_EQ(result, QStringLiteral("unchanged"));
    EXPECT_FALSE(AddOnReport(QStringLiteral("Menu_Tool"), 0));
    EXPECT_NO_THROW(AddOnRelease());
}

TEST_F(AddOnHooks, MenusHoldTenSlotsAtMost)
{
    struct Row {
        const char* why;
        std::vector<std::vector<AddOnFunction>> addOns;
        QStringList file;
        QStringList tool;
    };
    const QString o = QStringLiteral("帳票を開く");
    const QString a = QStringLiteral("帳票読込み");
    const Row rows[] = {
        {"six add-ons of one GetData: five pairs, the sixth gets nothing",
         {{GetData}, {GetData}, {GetData}, {GetData}, {GetData}, {GetData}},
         {"0 Open 0/0 " + o, "1 AddInput 0/0 " + a, "2 Open 1/0 " + o, "3 AddInput 1/0 " + a, "4 Open 2/0 " + o,
          "5 AddInput 2/0 " + a, "6 Open 3/0 " + o, "7 AddInput 3/0 " + a, "8 Open 4/0 " + o, "9 AddInput 4/0 " + a},
         {}},
        {"other functions take no slot; GetData functions past the tenth slot get nothing",
         {{Report, GetData, Clean, GetData, GetData, GetData}, {GetData, GetData, GetData}},
         {"0 Open 0/1 " + o, "1 AddInput 0/1 " + a, "2 Open 0/3 " + o, "3 AddInput 0/3 " + a, "4 Open 0/4 " + o,
          "5 AddInput 0/4 " + a, "6 Open 0/5 " + o, "7 AddInput 0/5 " + a, "8 Open 1/0 " + o, "9 AddInput 1/0 " + a},
         {"0 Tool 0/0 集計"}},
        {"eleven Report functions give ten Tools entries",
         {{Report, Report, Report, Report, Report, Report}, {Report, Report, Report, Report, Report}},
         {},
         {"0 Tool 0/0 集計", "1 Tool 0/1 集計", "2 Tool 0/2 集計", "3 Tool 0/3 集計", "4 Tool 0/4 集計", "5 Tool 0/5 集計",
          "6 Tool 1/0 集計", "7 Tool 1/1 集計", "8 Tool 1/2 集計", "9 Tool 1/3 集計"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        AddOnTable.clear();
        AddOnMenuTable.clear();
        for (const auto& functions : row.addOns)
            AddOnTable.push_back(AddOn(std::make_shared<FakeAddOn>(), functions));
        AddOnFileMenuMake();
        AddOnToolMenuMake();
        EXPECT_EQ(Entries(QStringLiteral("Menu_File")), row.file);
        EXPECT_EQ(Entries(QStringLiteral("Menu_Tool")), row.tool);
    }
}

TEST_F(AddOnHooks, GetDataAndReportCallTheAddOn)
{
    auto object = std::make_shared<FakeAddOn>();
    AddOnTable = {AddOn(object, {Report, GetData})};
    AddOnFileMenuMake();
    AddOnToolMenuMake();
    EXPECT_EQ(AddOnMenuAction(QStringLiteral("Menu_File"), 0), QStringLiteral("Open"));
    EXPECT_EQ(AddOnMenuAction(QStringLiteral("Menu_File"), 1), QStringLiteral("AddInput"));
    EXPECT_EQ(AddOnMenuAction(QStringLiteral("Menu_Tool"), 0), QStringLiteral("Tool"));
    EXPECT_EQ(AddOnMenuAction(QStringLiteral("Menu_Tool"), 1), QString());

    QString result = QStringLiteral("unchanged");
    object->answer = QString();
    EXPECT_FALSE(AddOnGetData(QStringLiteral("Menu_File"), 1, result));
    EXPECT_EQ(result, QStringLiteral("unchanged"));

    object->answer = QStringLiteral("売上帳票");
    EXPECT_TRUE(AddOnGetData(QStringLiteral("Menu_File"), 1, result));
    const QString work = TemporaryFileName("Menu_File", 1, "addon");
    EXPECT_EQ(result, work + QStringLiteral("\t売上帳票"));
    EXPECT_EQ(object->calls.last(), QStringLiteral("GetData(") + work + QStringLiteral(",帳票読込み)"));

    struct Row {
        const char* why;
        QVariant answer;
        bool expected;
    };
    const Row rows[] = {
        {"True", true, true},
        {"-1", -1, true},
        {"False", false, false},
        {"nothing", QVariant(), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        object->answer = row.answer;
        EXPECT_EQ(AddOnReport(QStringLiteral("Menu_Tool"), 0), row.expected);
    }
    EXPECT_EQ(object->calls.last(), QStringLiteral("Report(集計)"));

    object->fail = true;
    EXPECT_RAISES(AddOnReport(QStringLiteral("Menu_Tool"), 0), 5);
    EXPECT_RAISES(AddOnGetData(QStringLiteral("Menu_File"), 0, result), 5);
}

TEST_F(AddOnHooks, OnlyTheFirstRunningCopyAsksAddOnsToCleanUp)
{
    enum class Other { None, Running, Crashed, RunningInAFolderOthersMayEnter };
    struct Row {
        const char* why;
        Other other;
        bool otherRunning;
    };
    const Row rows[] = {
        {"alone", Other::None, false},
        {"another copy holds a slot", Other::Running, true},
        {"a copy that crashed left its lock behind", Other::Crashed, false},
        // Anyone could have put that lock there: the folder is not used at all.
        {"a lock in a folder that others may enter", Other::RunningInAFolderOthersMayEnter, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        AddOnRelease();
        const QString folder = AddOnInstanceFolder();
        QDir(folder).removeRecursively();
        ASSERT_TRUE(platform::filesystem::PrivateFolderReady(folder, true));
        if (row.other == Other::RunningInAFolderOthersMayEnter) {
            ASSERT_TRUE(QFile::setPermissions(folder, QFile::permissions(folder) | QFile::ExeOther | QFile::ReadOther));
        }
        const QString lockName = folder + QStringLiteral("/instance.3.lock");
        QLockFile other(lockName);
        if (row.other == Other::Running || row.other == Other::RunningInAFolderOthersMayEnter) {
            ASSERT_TRUE(other.tryLock(0));
        }
        if (row.other == Other::Crashed) {
            // The holder's process id, program and host, as a lock file keeps them; no such process.
            QFile file(lockName);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("999999999\n" + QCoreApplication::applicationName().toUtf8() + "\n" +
                       QSysInfo::machineHostName().toUtf8() + "\n");
        }
        AddOnMenuMake();
        EXPECT_EQ(AddOnOtherInstance(), row.otherRunning);
        // The lock of a copy that no longer runs goes at the start; a running copy's stays.
        EXPECT_EQ(QFileInfo::exists(lockName),
                  row.other == Other::Running || row.other == Other::RunningInAFolderOthersMayEnter);
        auto object = std::make_shared<FakeAddOn>();
        AddOnTable = {AddOn(object, {Clean, Report, Clean})};
        AddOnRelease();
        EXPECT_EQ(object->calls, row.otherRunning ? QStringList() : QStringList({"Clean()", "Clean()"}));
        EXPECT_TRUE(AddOnTable.empty());
        EXPECT_EQ(object.use_count(), 1);
    }
}

TEST_F(AddOnHooks, ACleanUpThatFailsStillEndsTheTables)
{
    auto object = std::make_shared<FakeAddOn>();
    object->fail = true;
    AddOnTable = {AddOn(object, {Clean, Report})};
    AddOnToolMenuMake();
    EXPECT_RAISES(AddOnRelease(), 5);
    EXPECT_TRUE(AddOnTable.empty());
    EXPECT_TRUE(AddOnMenuTable.empty());
    EXPECT_EQ(object.use_count(), 1);
}

} // namespace
