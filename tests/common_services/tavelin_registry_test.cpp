#include "TavelinRegistry.h"

#include "platform/registry/Registry.h"

#include "support/RaisedError.h"
#include "support/StoreFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

using namespace tavelin;
namespace reg = platform::registry;

namespace {

// Whether a key exists, asked of the store directly.
bool KeyExists(const QString& path)
{
    reg::Handle h = -1;
    if (reg::OpenKey(reg::CurrentUser, path, h) != reg::Status::Success)
        return false;
    reg::CloseKey(h);
    return true;
}

// A client "prog" whose application key is Software\Tavelin\prog; each test has its own store folders.
class Registry : public testsupport::StoreFolders {
protected:
    void SetUp() override
    {
        StoreFolders::SetUp();
        app_.setProperty("Path", path());
        app_.setProperty("EXEName", QStringLiteral("prog"));
        state_.AppObject = &app_;
        AppKeyCreate(state_);
    }
    QObject app_;
    TavelinComState state_;
};

const QString kApp = QStringLiteral("Software\\Tavelin\\prog");

} // namespace

TEST_F(Registry, TheApplicationNameAndItsKey)
{
    EXPECT_TRUE(KeyExists(kApp));
    struct Row { const char* why; QString forcible; QString registryName; QString expected; };
    const Row rows[] = {
        {"the program's name", "", "", "prog"},
        {"the ini RegistryName", "", "Foo", "Foo"},
        {"a forced name first", "Forced", "Foo", "Forced"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        state_.ForcibleName = row.forcible;
        state_.RegistryName = row.registryName;
        EXPECT_EQ(AppName(state_), row.expected);
    }
    state_.ForcibleName.clear();
    state_.RegistryName = QStringLiteral("Deep\\Name");
    AppKeyCreate(state_);
    EXPECT_TRUE(KeyExists("Software\\Tavelin\\Deep\\Name")) << "a name with backslashes lies deeper";

    TavelinComState noClient;
    EXPECT_RAISES(AppName(noClient), platform::vbrt::ErrorNumber::ObjectVariableNotSet);
    EXPECT_RAISES(SectionValueGet(noClient, "File", "Path"), platform::vbrt::ErrorNumber::ObjectVariableNotSet);
    EXPECT_RAISES(AppKeyOpen(noClient), platform::vbrt::ErrorNumber::ObjectVariableNotSet);
}

TEST_F(Registry, SectionValues)
{
    EXPECT_EQ(SectionValueGet(state_, " File ", "Path"), "");
    EXPECT_TRUE(KeyExists(kApp + "\\File")) << "reading creates the section's key";

    SectionValueSet(state_, "File", "Path", "/home/user/docs");
    SectionValueSet(state_, "File", "PDFPath", "/home/user/out.pdf");
    EXPECT_EQ(SectionValueGet(state_, "File", "path"), "/home/user/docs");
    EXPECT_EQ(SectionValueListGet(state_, "File"), "Path=/home/user/docs\r\nPDFPath=/home/user/out.pdf");
    SectionValueDelete(state_, "File", "Path");
    EXPECT_EQ(SectionValueGet(state_, "File", "Path"), "");
    EXPECT_EQ(SectionValueListGet(state_, "File"), "PDFPath=/home/user/out.pdf");
    EXPECT_EQ(SectionValueListGet(state_, "Nothing"), "");

    // The empty section is the application key itself.
    SectionValueSet(state_, "", "Top", "1");
    EXPECT_EQ(SectionValueGet(state_, "  ", "Top"), "1");

    // A section with sub keys of its own stays; one without goes; the name is not trimmed here.
    const std::int32_t section = SectionKeyOpen(state_, "Model");
    SubKeyClose(SubKeyCreate(section, "Inner", false));
    SubKeyClose(section);
    SectionDelete(state_, "Model");
    EXPECT_TRUE(KeyExists(kApp + "\\Model"));
    SectionDelete(state_, " File ");
    EXPECT_TRUE(KeyExists(kApp + "\\File"));
    SectionDelete(state_, "File");
    EXPECT_FALSE(KeyExists(kApp + "\\File"));
}

TEST_F(Registry, ALongPathWithAnyCharacterSurvives)
{
    QString longPath = QStringLiteral("/home/zoë/Ünïcødé/Ελληνικά/Русский/😀");
    while (longPath.size() < 1000)
        longPath += QStringLiteral("/dossier-à-ç-ø");
    longPath.truncate(1000);
    SectionValueSet(state_, "File", "Path", longPath);
    SectionValueSet(state_, "File", "Other", "x");
    EXPECT_EQ(SectionValueGet(state_, "File", "Path"), longPath);
    EXPECT_EQ(SectionValueListGet(state_, "File"), "Path=" + longPath + "\r\nOther=x");
}

TEST_F(Registry, HandleOperations)
{
    struct Row { const char* why; std::int32_t result; std::int32_t expected; };
    const Row rows[] = {
        {"closing -1", SubKeyClose(-1), 0},
        {"closing 0", SubKeyClose(0), 0},
        {"deleting below -1", SubKeyDelete(-1, "x"), 0},
        {"opening a missing key", SubKeyOpen(reg::CurrentUser, kApp + "\\Missing"), -1},
        {"setting a value on a handle not obtained", RegValueSet(-1, "v", "x"), -1},
        {"deleting a value on a handle not obtained", RegValueDelete(-1, "v"), -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(row.result, row.expected);
    }
    EXPECT_EQ(RegValueGet(-1, "v"), "");

    const std::int32_t app = AppKeyOpen(state_);
    ASSERT_GT(app, 0);
    EXPECT_EQ(RegValueSet(app, "A", "1"), 0);
    EXPECT_EQ(RegValueSet(app, "B", "2"), 0);
    EXPECT_EQ(RegValueGet(app, "a"), "1");
    EXPECT_EQ(RegValueListGet(app), "A=1\r\nB=2");
    EXPECT_EQ(RegValueDelete(app, "Absent"), 0);
    EXPECT_EQ(RegValueDelete(app, "A"), 0);
    EXPECT_EQ(AppKeyClose(app), 0);

    state_.ForcibleName = QStringLiteral("NeverCreated");
    EXPECT_EQ(AppKeyOpen(state_), -1) << "opening only opens";
}

TEST_F(Registry, ValuesOfAnotherTypeReadAsEmptyAndAreNotListed)
{
    // A store file holding a value of another type, as another tool might leave it.
    QFile file(reg::StoreFilePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("{\"format\": \"tavelin-registry 1\", \"keys\": [{\"path\": \"Software\\\\Tavelin\\\\prog\\\\Mixed\", "
               "\"values\": [{\"name\": \"Number\", \"type\": 4, \"data\": \"4\"}]}]}");
    file.close();
    QFile::remove(reg::StoreFilePath() + ".journal");
    SectionValueSet(state_, "Mixed", "Text", "t");

    EXPECT_EQ(SectionValueGet(state_, "Mixed", "Number"), "");
    EXPECT_EQ(SectionValueListGet(state_, "Mixed"), "Text=t");
}

TEST_F(Registry, VolatileSections)
{
    VolatileSectionCatalog(state_, "  Clipboard ");
    VolatileSectionCatalog(state_, "Clipboard");
    VolatileSectionCatalog(state_, "");
    VolatileSectionCatalog(state_, "clipboard");
    EXPECT_EQ(state_.VolatileSections, (QStringList{"Clipboard", "clipboard"}));

    // A key that exists as a normal one stays normal.
    SectionValueSet(state_, "Model", "Post", "1");
    VolatileSectionCatalog(state_, "Model");

    SectionValueSet(state_, "Clipboard", "Filename", "/tmp/copy");
    SectionValueSet(state_, "Model", "Post", "2");
    QFile::remove(reg::VolatileStoreFilePath());  // the session ends
    EXPECT_EQ(SectionValueGet(state_, "Clipboard", "Filename"), "");
    EXPECT_EQ(SectionValueGet(state_, "Model", "Post"), "2");
}

TEST_F(Registry, ForcingTheName)
{
    ForcibleNameSet(state_, "  Other\\App ");
    EXPECT_EQ(state_.ForcibleName, "Other\\App");
    EXPECT_TRUE(KeyExists("Software\\Tavelin\\Other\\App")) << "forcing creates the key";

    // The renewal at start-up: open the forced key, delete an obsolete sub key, close, end the forcing.
    SubKeyClose(SectionKeyOpen(state_, "Obsolete"));
    const std::int32_t h = AppKeyOpen(state_);
    ASSERT_GE(h, 0);
    SubKeyDelete(h, "Obsolete");
    AppKeyClose(h);
    EXPECT_FALSE(KeyExists("Software\\Tavelin\\Other\\App\\Obsolete"));

    ForcibleNameSet(state_, "");
    EXPECT_EQ(AppName(state_), "prog");
}

// A second running copy: reads what the first wrote, then writes its own answer.
TEST(RegistryChild, DISABLED_SecondCopy)
{
    qputenv("XDG_CONFIG_HOME", qgetenv("REGISTRY_CHILD_CONFIG"));
    qputenv("XDG_RUNTIME_DIR", qgetenv("REGISTRY_CHILD_RUNTIME"));
    TavelinComState state;
    state.RegistryName = QStringLiteral("prog");
    state.VolatileSections = QStringList{"Clipboard"};
    EXPECT_EQ(SectionValueGet(state, "File", "Path"), "/from/first");
    EXPECT_EQ(SectionValueGet(state, "Clipboard", "Filename"), "/tmp/first-copy");
    SectionValueSet(state, "File", "Path", "/from/second");
    SectionValueSet(state, "Clipboard", "Filename", "/tmp/second-copy");
}

TEST_F(Registry, TwoRunningCopiesSeeEachOthersValues)
{
    VolatileSectionCatalog(state_, "Clipboard");
    SectionValueSet(state_, "File", "Path", "/from/first");
    SectionValueSet(state_, "Clipboard", "Filename", "/tmp/first-copy");

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("REGISTRY_CHILD_CONFIG", qEnvironmentVariable("XDG_CONFIG_HOME"));
    env.insert("REGISTRY_CHILD_RUNTIME", qEnvironmentVariable("XDG_RUNTIME_DIR"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_also_run_disabled_tests", "--gtest_filter=RegistryChild.DISABLED_SecondCopy"});
    ASSERT_TRUE(child.waitForFinished(120000));
    ASSERT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();

    EXPECT_EQ(SectionValueGet(state_, "File", "Path"), "/from/second");
    EXPECT_EQ(SectionValueGet(state_, "Clipboard", "Filename"), "/tmp/second-copy");
}
