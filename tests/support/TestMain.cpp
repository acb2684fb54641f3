// Test main: every test program runs offscreen with its own home, config, runtime and temporary folders.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir root(QDir::tempPath() + QStringLiteral("/vellumora-test-XXXXXX"));
    root.setAutoRemove(!qEnvironmentVariableIsSet("VELLUMORA_KEEP_TEST_DIRS"));
    const QString base = root.path();
    for (const char* name : {"home", "config", "runtime", "tmp"})
        QDir(base).mkpath(QString::fromLatin1(name));
    QFile::setPermissions(base + "/runtime", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("HOME", (base + "/home").toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (base + "/config").toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", (base + "/runtime").toLocal8Bit());
    qputenv("TMPDIR", (base + "/tmp").toLocal8Bit());

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
