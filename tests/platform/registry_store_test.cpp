#include "platform/registry/Registry.h"

#include "platform/msgbox/MsgBox.h"

#include "support/StoreFolders.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QDir>
#include <QJsonDocument>
#include <QProcess>

#include <csignal>

#include <fcntl.h>
#include <sys/stat.h>

using namespace platform::registry;

namespace {

// Opens or creates a key below the root and returns its handle, failing the test otherwise.
Handle Create(const QString& path, bool isVolatile = false)
{
    Handle h = -1;
    EXPECT_EQ(CreateKey(CurrentUser, path, isVolatile, h), Status::Success) << path.toStdString();
    return h;
}

QString Get(Handle key, const QString& name)
{
    std::int32_t type = -1;
    QString data = QStringLiteral("junk");
    const std::int32_t status = QueryValue(key, name, type, data);
    return status == Status::Success ? data : QStringLiteral("<status %1>").arg(status);
}

bool FileHolds(const QString& path, const QByteArray& text)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && f.readAll().contains(text);
}

// The journal files beside a store file.
QStringList Journals(const QString& storePath)
{
    const QFileInfo store(storePath);
    QStringList paths;
    for (const QString& name : QDir(store.path()).entryList({store.fileName() + "*.journal"}, QDir::Files))
        paths << store.path() + "/" + name;
    return paths;
}

// A store keeps what is written in its file or in the journal beside it.
bool StoreHolds(const QString& storePath, const QByteArray& text)
{
    if (FileHolds(storePath, text))
        return true;
    for (const QString& journal : Journals(storePath))
        if (FileHolds(journal, text))
            return true;
    return false;
}

// Runs this test program again as a second running copy that shares our store folders.
QProcess* StartChild(const QString& mode, const QStringList& args, QObject* parent)
{
    auto* child = new QProcess(parent);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("REGISTRY_CHILD_MODE"), mode);
    env.insert(QStringLiteral("REGISTRY_CHILD_ARGS"), args.join(QLatin1Char('|')));
    env.insert(QStringLiteral("REGISTRY_CHILD_CONFIG"), qEnvironmentVariable("XDG_CONFIG_HOME"));
    env.insert(QStringLiteral("REGISTRY_CHILD_RUNTIME"), qEnvironmentVariable("XDG_RUNTIME_DIR"));
    child->setProcessEnvironment(env);
    child->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--gtest_also_run_disabled_tests"), QStringLiteral("--gtest_filter=RegistryChild.DISABLED_Run")});
    EXPECT_TRUE(child->waitForStarted());
    return child;
}

const QString kShared = QStringLiteral("Software\\Tavelin\\Shared");

} // namespace

// The second running copy: does what the parent asks, then ends.
TEST(RegistryChild, DISABLED_Run)
{
    qputenv("XDG_CONFIG_HOME", qgetenv("REGISTRY_CHILD_CONFIG"));
    qputenv("XDG_RUNTIME_DIR", qgetenv("REGISTRY_CHILD_RUNTIME"));
    const QString mode = qEnvironmentVariable("REGISTRY_CHILD_MODE");
    const QStringList args = qEnvironmentVariable("REGISTRY_CHILD_ARGS").split(QLatin1Char('|'));
    const Handle key = Create(kShared);
    if (mode == QLatin1String("write-many")) {
        for (int i = 0; i < args[1].toInt(); ++i)
            ASSERT_EQ(SetValue(key, args[0] + QString::number(i), QString::number(i)), Status::Success);
    } else if (mode == QLatin1String("killed-mid-write")) {
        SetWriteProgressHook([](qint64 written, qint64 total) {
            if (written * 2 >= total) {
                printf("half written\n");
                fflush(stdout);
                ::raise(SIGKILL);
            }
        });
        SetValue(key, QStringLiteral("Big"), QString(args[0].toInt(), QLatin1Char('x')));
        ADD_FAILURE() << "the write ended";
    }
    CloseKey(key);
}

// Each test gets store folders of its own.
using RegistryStore = testsupport::StoreFolders;

TEST_F(RegistryStore, KeysAndValuesAnswerAsTheHiveDid)
{
    const Handle app = Create(QStringLiteral("Software\\Tavelin\\App"));
    ASSERT_GT(app, 0);
    Handle h = 12345;
    struct Row { const char* why; std::int32_t status; std::int32_t expected; };
    const Row rows[] = {
        {"opening a missing key", OpenKey(CurrentUser, QStringLiteral("Software\\Nowhere"), h), Status::FileNotFound},
        {"key names ignore case", OpenKey(CurrentUser, QStringLiteral("SOFTWARE\\tavelin\\app"), h), Status::Success},
        {"a trailing backslash is tolerated", OpenKey(CurrentUser, QStringLiteral("Software\\Tavelin\\App\\"), h), Status::Success},
        {"a leading backslash", CreateKey(CurrentUser, QStringLiteral("\\Software"), false, h), Status::BadPathname},
        {"an empty part", CreateKey(app, QStringLiteral("a\\\\b"), false, h), Status::BadPathname},
        {"deleting a missing key", DeleteKey(app, QStringLiteral("Nowhere")), Status::FileNotFound},
        {"deleting without a name", DeleteKey(app, QString()), Status::InvalidParameter},
        {"a handle never given out", SetValue(777777, QStringLiteral("v"), QStringLiteral("x")), Status::InvalidHandle},
        {"the root holds no values", SetValue(CurrentUser, QStringLiteral("v"), QStringLiteral("x")), Status::AccessDenied},
        {"deleting a missing value", DeleteValue(app, QStringLiteral("Absent")), Status::FileNotFound},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(row.status, row.expected);
    }

    // Creating several levels at once, then deleting: a key with sub keys stays.
    const Handle deep = Create(QStringLiteral("Software\\Tavelin\\App\\One\\Two"));
    EXPECT_EQ(DeleteKey(app, QStringLiteral("One")), Status::AccessDenied);
    EXPECT_EQ(DeleteKey(app, QStringLiteral("one\\two")), Status::Success);
    EXPECT_EQ(SetValue(deep, QStringLiteral("v"), QStringLiteral("x")), Status::KeyDeleted);
    EXPECT_EQ(DeleteKey(app, QStringLiteral("One")), Status::Success);
    EXPECT_EQ(CloseKey(deep), Status::Success);
    EXPECT_EQ(CloseKey(deep), Status::InvalidHandle);

    // Values: names ignore case, keep their first spelling and their first place.
    EXPECT_EQ(SetValue(app, QStringLiteral("Path"), QStringLiteral("/a")), Status::Success);
    EXPECT_EQ(SetValue(app, QStringLiteral("Other"), QStringLiteral("2")), Status::Success);
    EXPECT_EQ(SetValue(app, QStringLiteral("PATH"), QStringLiteral("/b")), Status::Success);
    EXPECT_EQ(Get(app, QStringLiteral("path")), QStringLiteral("/b"));
    QString name = QStringLiteral("junk");
    QString data;
    std::int32_t type = -1;
    ASSERT_EQ(EnumValue(app, 0, name, type, data), Status::Success);
    EXPECT_EQ(name, QStringLiteral("Path"));
    EXPECT_EQ(type, ValueType::String);
    EXPECT_EQ(EnumValue(app, 1, name, type, data), Status::Success);
    EXPECT_EQ(name, QStringLiteral("Other"));
    EXPECT_EQ(EnumValue(app, 2, name, type, data), Status::NoMoreItems);
    EXPECT_EQ(DeleteValue(app, QStringLiteral("other")), Status::Success);
    EXPECT_EQ(Get(app, QStringLiteral("Other")), QStringLiteral("<status 2>"));
    CloseKey(app);
}

TEST_F(RegistryStore, LongValuesOfAnyCharacterReadBackWhole)
{
    // A Linux path of 1,000 characters with letters no Japanese code page holds.
    const QString part = QStringLiteral("/Ünïcødé ñame é 😀 ŁÓDŹ Ελληνικά");
    QString longPath;
    while (longPath.size() < 1000)
        longPath += part;
    longPath.truncate(1000);
    if (longPath.back().isHighSurrogate())
        longPath.back() = QLatin1Char('x');
    const Handle key = Create(QStringLiteral("Software\\Tavelin\\Ωmega"));
    ASSERT_EQ(SetValue(key, QStringLiteral("Påth"), longPath), Status::Success);
    EXPECT_EQ(Get(key, QStringLiteral("Påth")), longPath);
    EXPECT_TRUE(StoreHolds(StoreFilePath(), longPath.toUtf8())) << "kept as UTF-8";
    CloseKey(key);
}

TEST_F(RegistryStore, VolatileKeysVanishWithTheSession)
{
    const Handle normal = Create(QStringLiteral("Software\\Tavelin\\App\\File"));
    const Handle clip = Create(QStringLiteral("Software\\Tavelin\\App\\Clipboard"), true);
    ASSERT_EQ(SetValue(normal, QStringLiteral("Path"), QStringLiteral("/docs")), Status::Success);
    ASSERT_EQ(SetValue(clip, QStringLiteral("Filename"), QStringLiteral("/tmp/x")), Status::Success);
    EXPECT_TRUE(VolatileStoreFilePath().startsWith(qEnvironmentVariable("XDG_RUNTIME_DIR") + "/"));
    EXPECT_TRUE(StoreHolds(VolatileStoreFilePath(), "/tmp/x"));
    EXPECT_FALSE(StoreHolds(StoreFilePath(), "/tmp/x"));

    Handle h = -1;
    EXPECT_EQ(CreateKey(clip, QStringLiteral("Sub"), false, h), Status::ChildMustBeVolatile);
    EXPECT_EQ(CreateKey(clip, QStringLiteral("Sub"), true, h), Status::Success);
    CloseKey(h);
    // An existing key keeps its kind.
    const Handle again = Create(QStringLiteral("Software\\Tavelin\\App\\File"), true);
    EXPECT_FALSE(StoreHolds(VolatileStoreFilePath(), "App\\\\File\""));
    CloseKey(again);

    // The session ends: the runtime folder is emptied.
    ASSERT_TRUE(QFile::remove(VolatileStoreFilePath()));
    EXPECT_EQ(Get(normal, QStringLiteral("Path")), QStringLiteral("/docs"));
    EXPECT_EQ(Get(clip, QStringLiteral("Filename")), QStringLiteral("<status 1018>"));
    EXPECT_EQ(OpenKey(CurrentUser, QStringLiteral("Software\\Tavelin\\App\\Clipboard"), h), Status::FileNotFound);
    CloseKey(normal);
    CloseKey(clip);
}

TEST_F(RegistryStore, VolatileKeysWithoutARuntimeFolderStayPrivate)
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("XDG_RUNTIME_DIR");
    const QString folder = QFileInfo(VolatileStoreFilePath()).path();
    EXPECT_TRUE(folder.startsWith(QDir::tempPath() + "/"));

    Handle h = -1;
    ASSERT_EQ(CreateKey(CurrentUser, QStringLiteral("Software\\Tavelin\\V"), true, h), Status::Success);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(st.st_uid, ::getuid());
    CloseKey(h);

    // A folder others may enter is not used: volatile keys are then refused, not exposed.
    ::chmod(QFile::encodeName(folder).constData(), 0777);
    EXPECT_EQ(CreateKey(CurrentUser, QStringLiteral("Software\\Tavelin\\W"), true, h), Status::WriteFault);
    EXPECT_EQ(OpenKey(CurrentUser, QStringLiteral("Software\\Tavelin\\V"), h), Status::FileNotFound);
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    qputenv("XDG_RUNTIME_DIR", runtime);
}

TEST_F(RegistryStore, AnUnreadableStoreIsKeptAsideAndStartsEmpty)
{
    QDir().mkpath(QFileInfo(StoreFilePath()).path());
    {
        QFile f(StoreFilePath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("{ this is not a store");
    }
    // Journals of the old store, which must not be read on top of the new one.
    for (const QString& journal : {StoreFilePath() + ".journal", StoreFilePath() + ".k3x9.journal"}) {
        QFile f(journal);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("set\tSoftware\\Tavelin\\App\tv\told\n");
    }
    platform::msgbox::ClearQueue();
    Handle h = -1;
    EXPECT_EQ(OpenKey(CurrentUser, QStringLiteral("Software"), h), Status::FileNotFound);
    const QStringList aside = QDir(QFileInfo(StoreFilePath()).path())
                                  .entryList({QStringLiteral("registry.json.unreadable-*")}, QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    const QString keptAs = QFileInfo(StoreFilePath()).path() + "/" + aside[0];
    EXPECT_TRUE(FileHolds(keptAs, "{ this is not a store"));
    EXPECT_EQ(Journals(StoreFilePath()), QStringList{});

    // The user is told once, in the program's words, where the old settings were kept.
    ASSERT_EQ(platform::msgbox::ShownPrompts(),
              QStringList{QStringLiteral("設定ファイル %1 を読めなかったため、設定を初期状態に戻しました。"
                                         "元のファイルは %2 に残してあります。")
                              .arg(StoreFilePath(), keptAs)});
    EXPECT_EQ(OpenKey(CurrentUser, QStringLiteral("Software"), h), Status::FileNotFound);
    EXPECT_EQ(platform::msgbox::ShownBoxes().size(), 1u);

    // The program goes on with a fresh store.
    const Handle key = Create(QStringLiteral("Software\\Tavelin\\App"));
    EXPECT_EQ(SetValue(key, QStringLiteral("v"), QStringLiteral("1")), Status::Success);
    EXPECT_EQ(Get(key, QStringLiteral("v")), QStringLiteral("1"));
    CloseKey(key);
}

// The persistent store is lost (removed, or kept aside as unreadable) while the session's volatile
// keys live on: the keys above a volatile key are persistent ones, so values beside it are still kept.
TEST_F(RegistryStore, AVolatileKeyWhosePersistentParentsAreGoneBlocksNothingBesideIt)
{
    CloseKey(Create(QStringLiteral("Software\\Tavelin\\App\\File")));
    CloseKey(Create(QStringLiteral("Software\\Tavelin\\App\\Clipboard"), true));
    ASSERT_TRUE(QFile::remove(StoreFilePath()));

    const Handle file = Create(QStringLiteral("Software\\Tavelin\\App\\File"));
    ASSERT_GT(file, 0);
    EXPECT_EQ(SetValue(file, QStringLiteral("Path"), QStringLiteral("/docs")), Status::Success);
    EXPECT_TRUE(StoreHolds(StoreFilePath(), "/docs"));
    EXPECT_EQ(Get(file, QStringLiteral("Path")), QStringLiteral("/docs"));
    CloseKey(file);

    // The volatile key itself stays volatile.
    const Handle clip = Create(QStringLiteral("Software\\Tavelin\\App\\Clipboard"));
    EXPECT_EQ(SetValue(clip, QStringLiteral("Filename"), QStringLiteral("/tmp/x")), Status::Success);
    EXPECT_TRUE(StoreHolds(VolatileStoreFilePath(), "/tmp/x"));
    EXPECT_FALSE(StoreHolds(StoreFilePath(), "/tmp/x"));
    CloseKey(clip);
}

TEST_F(RegistryStore, AHalfWrittenFileBesideTheStoreDoesNotDisturbIt)
{
    const Handle key = Create(kShared);
    ASSERT_EQ(SetValue(key, QStringLiteral("v"), QStringLiteral("old")), Status::Success);
    {
        QFile f(StoreFilePath() + ".new");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("{\"format\": \"tavelin-registry 1\", \"keys\": [{\"pa");
    }
    EXPECT_EQ(Get(key, QStringLiteral("v")), QStringLiteral("old"));
    EXPECT_EQ(SetValue(key, QStringLiteral("v"), QStringLiteral("new")), Status::Success);
    EXPECT_EQ(Get(key, QStringLiteral("v")), QStringLiteral("new"));
    // The next time the store file itself is written (a key comes), the leftover goes.
    CloseKey(Create(kShared + QStringLiteral("\\Sub")));
    EXPECT_FALSE(QFile::exists(StoreFilePath() + ".new"));
    EXPECT_EQ(Get(key, QStringLiteral("v")), QStringLiteral("new"));
    CloseKey(key);
}

TEST_F(RegistryStore, TwoRunningCopiesWritingAtOnceLoseNothing)
{
    QObject owner;
    QProcess* a = StartChild(QStringLiteral("write-many"), {QStringLiteral("A"), QStringLiteral("100")}, &owner);
    QProcess* b = StartChild(QStringLiteral("write-many"), {QStringLiteral("B"), QStringLiteral("100")}, &owner);
    for (QProcess* child : {a, b}) {
        ASSERT_TRUE(child->waitForFinished(120000));
        ASSERT_EQ(child->exitCode(), 0) << child->readAllStandardOutput().toStdString();
    }
    const Handle key = Create(kShared);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(Get(key, "A" + QString::number(i)), QString::number(i));
        EXPECT_EQ(Get(key, "B" + QString::number(i)), QString::number(i));
    }
    CloseKey(key);
}

TEST_F(RegistryStore, AKillDuringAWriteLeavesTheStoreWhole)
{
    const Handle key = Create(kShared);
    ASSERT_EQ(SetValue(key, QStringLiteral("Big"), QStringLiteral("old")), Status::Success);
    CloseKey(key);

    // The second copy is killed halfway through writing a value of a megabyte.
    QObject owner;
    QProcess* child = StartChild(QStringLiteral("killed-mid-write"), {QString::number(1 << 20)}, &owner);
    ASSERT_TRUE(child->waitForFinished(120000));
    EXPECT_EQ(child->exitStatus(), QProcess::CrashExit);
    EXPECT_TRUE(child->readAllStandardOutput().contains("half written"));
    EXPECT_GT(QFileInfo(StoreFilePath() + ".new").size(), 0) << "the kill came during the write";

    const Handle again = Create(kShared);
    EXPECT_EQ(Get(again, QStringLiteral("Big")), QStringLiteral("old"));
    EXPECT_EQ(SetValue(again, QStringLiteral("Big"), QStringLiteral("new")), Status::Success);
    EXPECT_EQ(Get(again, QStringLiteral("Big")), QStringLiteral("new"));
    CloseKey(again);
}

TEST_F(RegistryStore, ALineCutShortInTheJournalIsIgnoredAndCutOffByTheNextWrite)
{
    const Handle key = Create(kShared);
    ASSERT_EQ(SetValue(key, QStringLiteral("v"), QStringLiteral("kept")), Status::Success);
    ASSERT_EQ(Journals(StoreFilePath()).size(), 1);
    const QString journal = Journals(StoreFilePath()).first();
    ASSERT_TRUE(FileHolds(journal, "kept"));
    {
        // A copy killed while appending a value.
        QFile f(journal);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("S\tSoftware\\\\Tavelin\\\\Shared\tv\thalf");
    }
    EXPECT_EQ(Get(key, QStringLiteral("v")), QStringLiteral("kept"));
    ASSERT_EQ(SetValue(key, QStringLiteral("w"), QStringLiteral("next")), Status::Success);
    EXPECT_FALSE(FileHolds(journal, "half"));
    EXPECT_EQ(Get(key, QStringLiteral("v")), QStringLiteral("kept"));
    EXPECT_EQ(Get(key, QStringLiteral("w")), QStringLiteral("next"));
    CloseKey(key);
}

TEST_F(RegistryStore, TheJournalIsFoldedIntoTheStoreOnceItOutgrowsIt)
{
    const Handle key = Create(kShared);
    const QString text(200, QLatin1Char('t'));
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(SetValue(key, QStringLiteral("V%1").arg(i), text + QString::number(i)), Status::Success);
    ASSERT_EQ(DeleteValue(key, QStringLiteral("V0")), Status::Success);
    const qint64 store = QFileInfo(StoreFilePath()).size();
    EXPECT_GT(store, 200 * 1000) << "the values went into the store";
    ASSERT_EQ(Journals(StoreFilePath()).size(), 1) << "the journals of older stores are gone";
    EXPECT_LE(QFileInfo(Journals(StoreFilePath()).first()).size(), std::max<qint64>(64 * 1024, store));
    std::int32_t type = 0;
    QString name, data;
    int count = 0;
    while (EnumValue(key, count, name, type, data) == Status::Success)
        ++count;
    EXPECT_EQ(count, 1999);
    EXPECT_EQ(Get(key, QStringLiteral("V0")), QStringLiteral("<status 2>"));
    EXPECT_EQ(Get(key, QStringLiteral("v1999")), text + "1999");
    CloseKey(key);
}

// A copy killed after it wrote a new store file but before it removed the old journal: that
// journal, older than the store, must not be read on top of it.
TEST_F(RegistryStore, AJournalOlderThanTheStoreIsNotReadOnTopOfIt)
{
    const Handle key = Create(kShared);
    ASSERT_EQ(SetValue(key, QStringLiteral("v"), QStringLiteral("1")), Status::Success);
    ASSERT_EQ(Journals(StoreFilePath()).size(), 1);
    const QString old = Journals(StoreFilePath()).first();
    const QByteArray oldLines = read(old);
    // The store is written anew (a key comes) holding v=2; the old journal says v=1.
    ASSERT_EQ(SetValue(key, QStringLiteral("v"), QStringLiteral("2")), Status::Success);
    CloseKey(Create(kShared + QStringLiteral("\\Sub")));
    ASSERT_TRUE(FileHolds(StoreFilePath(), "\"2\""));
    {
        QFile f(old);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(oldLines);
    }
    // Read as a copy that has not seen the store before would: the store file is touched.
    const struct timespec later[2] = {{0, UTIME_OMIT}, {::time(nullptr) + 5, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(StoreFilePath()).constData(), later, 0), 0);
    EXPECT_EQ(Get(key, QStringLiteral("v")), QStringLiteral("2"));
    CloseKey(key);
}
