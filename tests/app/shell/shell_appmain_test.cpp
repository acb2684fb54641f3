#include "app/shell/AppMain.h"

#include "app/diagram/FileInterface.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/Utilities.h"
#include "platform/msgbox/MsgBox.h"
#include "platform/vbrt/Error.h"
#include "support/ShellFakeServices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace vellumora;
namespace mb = platform::msgbox;

namespace {

QStringList Names(const std::vector<LifecycleStep>& steps)
{
    QStringList names;
    for (const LifecycleStep& step : steps)
        names << step.name;
    return names;
}

TEST(AppMainOrder, StartupAndShutdownRunTheirStepsInOrder)
{
    // A later start routine relies on an earlier one: the services object before any ini or
    // store access, the work-file prefix before the zip work names, RS reset before the tag
    // tables read the ini defaults into it.
    EXPECT_EQ(Names(StartupSequence()).join(QLatin1Char(' ')),
              QStringLiteral("RandomSeed BasicDefineInitialize CatalogVolatileSection RegistryRenewal "
                             "ApplicationGlobals DoubleClickTime SearchHistory B SearchClear DebugInitialize "
                             "UtilitiesInitialize FileInterfaceInit CanvasOrderInitialize ClipboardInitialize "
                             "HistoryClear CurrentFontColorState CanvasSize RS LO FontAndColorLoad TagTableDefine "
                             "BoxListClear CanvasSizeLoad ReportSettingApply AddOnMenuMake CommandLineSplit"));
    EXPECT_EQ(Names(ShutdownSequence()).join(QLatin1Char(' ')),
              QStringLiteral("LastFolder FileInterfaceTerm UtilitiesTerminate FontAndColorClear SearchTerminate "
                             "CanvasRelease B AddOnRelease CanvasOrderReset PadTablesClear BasicDefineTerminate "
                             "DebugLogClose"));
}

TEST(AppMainCommandLine, BlanksSeparateAndQuotesGroup)
{
    struct Row {
        const char* why;
        QString line;
        QStringList arguments;  // without element 0
    };
    const Row rows[] = {
        {"empty", QString(), {}},
        {"blanks and TABs around and between", QStringLiteral(" \t/P  \t a.pad \t"), {"/P", "a.pad"}},
        {"a quoted argument keeps its blanks", QStringLiteral("\"my file.pad\" /V"), {"my file.pad", "/V"}},
        {"quotes in the middle of a token", QStringLiteral("a\"b c\"d e"), {"ab cd", "e"}},
        {"an explicit pair of quotes is an empty argument", QStringLiteral("x \"\" y"), {"x", "", "y"}},
        {"an open quote runs to the end", QStringLiteral("\"a b \tc"), {"a b \tc"}},
        {"a backslash is no escape", QStringLiteral("\"a\\\" b"), {"a\\", "b"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        CommandLineSplit(row.line);
        EXPECT_EQ(ApplicationGlobals.CommandArguments, QStringList{QString()} + row.arguments);
    }
    CommandLineSplit(QStringList{QStringLiteral("/home/u/my file.pad"), QStringLiteral("/P")});
    EXPECT_EQ(ApplicationGlobals.CommandArguments,
              QStringList({QString(), QStringLiteral("/home/u/my file.pad"), QStringLiteral("/P")}))
        << "arguments the system split stay whole";
}

class RegistryRenewalTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        services_ = std::make_shared<shell_test::FakeServices>();
        CommonServices = services_;
    }
    void TearDown() override { CommonServices.reset(); }
    std::shared_ptr<shell_test::FakeServices> services_;
};

TEST_F(RegistryRenewalTest, DeletesTheListedKeysOnceAfterAMarkerChange)
{
    struct Row {
        const char* why;
        QString post;
        QString storedMarker;  // "-" none
        QMap<QString, QString> subKeys;
        QStringList calls;
    };
    const QString reset = QStringLiteral("SetForcibleName ");
    const Row rows[] = {
        {"a first run renews",
         QStringLiteral("2"),
         QStringLiteral("-"),
         {{"SubKey1", "Old\\Settings"}},
         {"SetRegistry Model/Post=S2", "SetForcibleName Old", "RegistryOpen 7", "RegistrySubKeyDelete 7 Old\\Settings",
          "RegistryClose 7", reset}},
        {"the same marker deletes nothing", QStringLiteral("2"), QStringLiteral("S2"), {{"SubKey1", "Old\\Settings"}},
         {reset}},
        {"a missing marker is S alone", QString(), QStringLiteral("S2"), {}, {"SetRegistry Model/Post=S", reset}},
        {"a first entry without a backslash ends the list",
         QStringLiteral("3"),
         QStringLiteral("S2"),
         {{"SubKey1", "NoBackslash"}, {"SubKey2", "Old\\Settings"}},
         {"SetRegistry Model/Post=S3", reset}},
        {"several backslashes split at the last; empty halves and gaps",
         QStringLiteral("4"),
         QStringLiteral("-"),
         {{"SubKey1", "Tavelin\\Old\\Key"}, {"SubKey2", "\\Leaf"}, {"SubKey3", "Parent\\"}, {"SubKey5", "A\\B"}},
         {"SetRegistry Model/Post=S4", "SetForcibleName Tavelin\\Old", "RegistryOpen 7",
          "RegistrySubKeyDelete 7 Tavelin\\Old\\Key", "RegistryClose 7", reset}},
        {"a key that cannot be opened is skipped",
         QStringLiteral("5"),
         QStringLiteral("-"),
         {{"SubKey1", "Gone\\X"}, {"SubKey2", "Old\\Y"}},
         {"SetRegistry Model/Post=S5", "SetForcibleName Gone", "RegistryOpen -1", "SetForcibleName Old",
          "RegistryOpen 7", "RegistrySubKeyDelete 7 Old\\Y", "RegistryClose 7", reset}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        services_->ini.clear();
        services_->registry.clear();
        services_->calls.clear();
        services_->unopenable = {QStringLiteral("Gone")};
        if (!row.post.isNull())
            services_->ini[QStringLiteral("Initialize/Post")] = row.post;
        for (auto it = row.subKeys.begin(); it != row.subKeys.end(); ++it)
            services_->ini[QStringLiteral("Initialize/") + it.key()] = it.value();
        if (row.storedMarker != QLatin1String("-"))
            services_->registry[QStringLiteral("Model/Post")] = row.storedMarker;
        RegistryRenewal();
        EXPECT_EQ(services_->calls, row.calls);
    }
}

// The program's own ini file in a folder of the test, as the program's folder.
class ProgramRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        QFile source(QStringLiteral(VELLUMORA_SOURCE_DIR "/config/Vellumora.ini"));
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        ini_ = source.readAll();
        writeIni(ini_);
        SetApplicationObject(folder_.path(), QStringLiteral("vellumora"));
        SetServicesFactory({});
        SetMainWindowRunner({});
        mb::ShownBoxes().clear();
    }
    void TearDown() override
    {
        SetMainWindowRunner({});
        SetServicesFactory({});
    }

    void writeIni(const QByteArray& bytes)
    {
        QFile ini(QDir(folder_.path()).filePath(QStringLiteral("vellumora.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(bytes);
    }

    // Files and folders of this program's runs left in the temporary folder.
    static QStringList Leftovers()
    {
        return QDir(QDir::tempPath()).entryList({QStringLiteral("vellumora.*")}, QDir::AllEntries | QDir::NoDotAndDotDot);
    }

    static QString StoredFolder()
    {
        BasicDefineInitialize();
        const QString value = CommonServices->GetRegistry(QStringLiteral("File"), QStringLiteral("Path"));
        BasicDefineTerminate();
        return value;
    }

    QTemporaryDir folder_;
    QByteArray ini_;
};

TEST_F(ProgramRun, StartupThenShutdownLeavesNoWorkFileAndStoresTheLastFolder)
{
    bool ran = false;
    SetMainWindowRunner([&] {
        ran = true;
        EXPECT_EQ(B.size(), 1u) << "only the print work slot after start-up";
        EXPECT_TRUE(B[0].BoxList.size() <= 1 && B[0].SubList.size() <= 1);
        EXPECT_TRUE(QFileInfo(FileInterface.ZipWorkFolder).isDir());
        EXPECT_FALSE(Leftovers().isEmpty());
        QFile work(TemporaryFileName(QStringLiteral("probe")));
        EXPECT_TRUE(work.open(QIODevice::WriteOnly));
        ApplicationGlobals.LastFolder = QStringLiteral("/home/user/charts");
        return 0;
    });
    EXPECT_EQ(Main(), 0);
    EXPECT_TRUE(ran);
    EXPECT_TRUE(mb::ShownBoxes().empty());
    EXPECT_TRUE(Leftovers().isEmpty()) << Leftovers().join(' ').toStdString();
    EXPECT_FALSE(CommonServices) << "the services object is released";
    EXPECT_EQ(StoredFolder(), QStringLiteral("/home/user/charts"));

    SetMainWindowRunner({});
    EXPECT_EQ(Main(), 0);
    EXPECT_EQ(StoredFolder(), QStringLiteral("/home/user/charts")) << "an empty last folder keeps the stored one";
}

TEST_F(ProgramRun, AFailedStartupShowsOneErrorAndRemovesWhatItMade)
{
    // The default left margin is no number: start-up fails after the work folder and the first
    // work files were made.
    QByteArray broken = ini_;
    broken.replace("PrinterLeftMargin=2.0", "PrinterLeftMargin=x");
    ASSERT_NE(broken, ini_);
    writeIni(broken);
    bool ran = false;
    SetMainWindowRunner([&] {
        ran = true;
        return 0;
    });
    EXPECT_EQ(Main(), 1);
    EXPECT_FALSE(ran) << "the main window never runs";
    EXPECT_EQ(mb::ShownBoxes().size(), 1u);
    EXPECT_EQ(mb::ShownBoxes().at(0).buttons, mb::Style::Critical);
    EXPECT_TRUE(Leftovers().isEmpty()) << Leftovers().join(' ').toStdString();
    EXPECT_FALSE(CommonServices);
}

// Defaults the ini file lacks or gets wrong stop start-up with a message about the ini file and
// its key, not about a document.
TEST_F(ProgramRun, ABrokenDefaultSectionNamesTheIniFileAndTheKey)
{
    const qsizetype from = ini_.indexOf("[Default]");
    const qsizetype to = ini_.indexOf("\n[", from + 1) + 1;
    ASSERT_GT(from, 0);
    ASSERT_GT(to, from);
    const QString ini = QDir(folder_.path()).filePath(QStringLiteral("vellumora.ini"));
    struct Row { const char* why; QByteArray ini; QString message; };
    const Row rows[] = {
        {"no [Default] section", QByteArray(ini_).remove(from, to - from),
         QStringLiteral("設定ファイル %1 の [Default] に PrinterLeftMargin がありません。").arg(ini)},
        {"an empty [Default] section", QByteArray(ini_).replace(from, to - from, "[Default]\r\n"),
         QStringLiteral("設定ファイル %1 の [Default] に PrinterLeftMargin がありません。").arg(ini)},
        {"a margin that is no number", QByteArray(ini_).replace("PrinterLeftMargin=2.0", "PrinterLeftMargin=x"),
         QStringLiteral("設定ファイル %1 の [Default] PrinterLeftMargin の値 \"x\" が正しくありません。").arg(ini)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        mb::ShownBoxes().clear();
        writeIni(row.ini);
        EXPECT_EQ(Main(), 1);
        ASSERT_EQ(mb::ShownBoxes().size(), 1u);
        EXPECT_TRUE(mb::ShownBoxes().at(0).prompt.contains(row.message)) << mb::ShownBoxes().at(0).prompt.toStdString();
        EXPECT_FALSE(mb::ShownBoxes().at(0).prompt.contains(QStringLiteral("文書の設定")));
    }
}

// An include that names a FIFO or an endless device is skipped at once: start-up goes on.
TEST_F(ProgramRun, IncludesThatAreNoFilesDoNotHoldStartUp)
{
    const QString fifo = QDir(folder_.path()).filePath(QStringLiteral("fifo.ini"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& include : {fifo, QStringLiteral("/dev/zero")}) {
        SCOPED_TRACE(include.toStdString());
        writeIni("[Include]\r\nIncludeFile1=" + include.toUtf8() + "\r\n" + ini_);
        bool ran = false;
        SetMainWindowRunner([&] {
            ran = true;
            return 0;
        });
        EXPECT_EQ(Main(), 0);
        EXPECT_TRUE(ran);
        EXPECT_TRUE(mb::ShownBoxes().empty());
    }
}

TEST_F(ProgramRun, AMissingServicesLibraryEndsTheProgram)
{
    SetServicesFactory([]() -> std::shared_ptr<tavelin::TavelinCom> {
        throw platform::vbrt::Error(platform::vbrt::ErrorNumber::CannotCreateObject, QStringLiteral("CreateObject"),
                                    QStringLiteral("共通サービスを作成できません。"));
    });
    EXPECT_EQ(Main(), 1);
    ASSERT_EQ(mb::ShownBoxes().size(), 1u);
    EXPECT_EQ(mb::ShownBoxes().at(0).prompt, QStringLiteral("共通サービスを作成できません。"));
}

} // namespace
