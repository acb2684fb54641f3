// The services object and its client: SetAppInfo reading the library's own ini keys, creating the
// application key and registering APP_PATH; the client's properties before and after.
#include "TavelinComObject.h"

#include "platform/registry/Registry.h"
#include "support/RaisedError.h"
#include "support/TempFolder.h"

#include <QObject>

namespace {

using platform::vbrt::ErrorNumber::ObjectDoesNotSupport;
using platform::vbrt::ErrorNumber::ObjectVariableNotSet;
using tavelin::TavelinComObject;

// The client's application object: the program's folder and its file name without extension.
class TestApp : public QObject {
public:
    TestApp(const QString& path, const QString& exeName)
    {
        setProperty("Path", path);
        setProperty("EXEName", exeName);
    }
};

bool KeyExists(const QString& path)
{
    platform::registry::Handle key = -1;
    if (platform::registry::OpenKey(platform::registry::CurrentUser, path, key) != 0)
        return false;
    platform::registry::CloseKey(key);
    return true;
}

class TavelinComAppInfo : public testsupport::TempFolder {};

} // namespace

TEST_F(TavelinComAppInfo, DebugKeysOfTheIniFile)
{
    struct Row {
        const char* why;
        const char* debugSection; // lines of [Debug]; nullptr for no such section
        std::int16_t level;
        bool flash;
    };
    const Row rows[] = {
        {"level 3", "Level=3", 3, false},
        {"level 0 leaves it", "Level=0", 0, false},
        {"negative leaves it", "Level=-2", 0, false},
        {"not a number leaves it", "Level=abc", 0, false},
        {"no section", nullptr, 0, false},
        {"2.5 rounds to even", "Level=2.5", 2, false},
        {"3.5 rounds to even", "Level=3.5", 4, false},
        {"blanks around", "Level=  5  ", 5, false},
        {"beyond 16 bits is ignored", "Level=70000", 0, false},
        {"flash TRUE", "Flash=TRUE", 0, true},
        {"flash true", "Flash=true", 0, true},
        {"flash 1 is not true", "Flash=1", 0, false},
        {"flash yes is not true", "Flash=yes", 0, false},
        {"both", "Level=7\nFlash=True", 7, true},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const QString exeName = QStringLiteral("debugapp%1").arg(++n);
        QByteArray ini = "[Equipment]\n";
        if (row.debugSection)
            ini += QByteArray("[Debug]\n") + row.debugSection + "\n";
        write(exeName + QStringLiteral(".ini"), ini);
        TestApp app(path(), exeName);
        TavelinComObject services;
        services.SetAppInfo(&app);
        EXPECT_EQ(services.State().DebugLevel, row.level);
        EXPECT_EQ(services.State().DebugFlash, row.flash);
    }
}

TEST_F(TavelinComAppInfo, ApplicationKeyIsNamedByRegistryNameOrTheProgram)
{
    struct Row {
        const char* why;
        const char* exeName;
        const char* equipment; // lines of [Equipment]
        const char* registryName;
        const char* key;
    };
    const Row rows[] = {
        {"named after the program", "keyapp1", "", "", "Software\\Tavelin\\keyapp1"},
        {"RegistryName given", "keyapp2", "RegistryName=Foo", "Foo", "Software\\Tavelin\\Foo"},
        {"APP_PATH is not known yet", "keyapp3", "RegistryName=%APP_PATH%Bar", "%APP_PATH%Bar",
         "Software\\Tavelin\\%APP_PATH%Bar"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        write(QString::fromLatin1(row.exeName) + QStringLiteral(".ini"), QByteArray("[Equipment]\n") + row.equipment + "\n");
        TestApp app(path(), QString::fromLatin1(row.exeName));
        TavelinComObject services;
        services.SetAppInfo(&app);
        EXPECT_EQ(services.State().RegistryName, QString::fromLatin1(row.registryName));
        EXPECT_TRUE(KeyExists(QString::fromLatin1(row.key)));
    }
    EXPECT_FALSE(KeyExists(QStringLiteral("Software\\Tavelin\\keyapp2")));
}

TEST_F(TavelinComAppInfo, SecondCallKeepsOneAppPathWithTheNewFolder)
{
    write(QStringLiteral("first/twice.ini"), "[Files]\nData=%APP_PATH%/data\n");
    write(QStringLiteral("second/twice.ini"), "[Files]\nData=%app_path%/data\n");
    TestApp first(path(QStringLiteral("first")), QStringLiteral("twice"));
    TestApp second(path(QStringLiteral("second")), QStringLiteral("twice"));
    TavelinComObject services;
    services.SetAppInfo(&first);
    EXPECT_EQ(services.GetInitFile(QStringLiteral("Files"), QStringLiteral("Data")), path(QStringLiteral("first/data")));
    services.SetAppInfo(&second);
    EXPECT_EQ(services.State().KeyWordNames.size(), 1);
    EXPECT_EQ(services.State().KeyWordNames.value(0).compare(QLatin1String("%APP_PATH%"), Qt::CaseInsensitive), 0);
    EXPECT_EQ(services.State().KeyWordValues.value(0), path(QStringLiteral("second")));
    EXPECT_EQ(services.GetInitFile(QStringLiteral("Files"), QStringLiteral("Data")), path(QStringLiteral("second/data")));
}

TEST_F(TavelinComAppInfo, ClientPropertiesNeedTheApplicationObject)
{
    TavelinComObject services;
    EXPECT_RAISES(services.GetAppPath(), ObjectVariableNotSet);
    EXPECT_RAISES(services.GetAppExeName(), ObjectVariableNotSet);

    write(QStringLiteral("props.ini"), "");
    {
        TestApp app(path(), QStringLiteral("props"));
        services.SetAppInfo(&app);
        EXPECT_EQ(services.GetAppPath(), path());
        EXPECT_EQ(services.GetAppExeName(), QStringLiteral("props"));
    }
    // The client deleted its object: the library must not read through a dangling pointer.
    EXPECT_RAISES(services.GetAppPath(), ObjectVariableNotSet);

    QObject bare;
    EXPECT_RAISES(services.SetAppInfo(&bare), ObjectDoesNotSupport);
    EXPECT_RAISES(services.GetAppExeName(), ObjectDoesNotSupport);
}

TEST_F(TavelinComAppInfo, CaptionIsKeptAsGiven)
{
    TavelinComObject services;
    services.SetCaption(QStringLiteral("  題名 "));
    EXPECT_EQ(services.State().Caption, QStringLiteral("  題名 "));
}
