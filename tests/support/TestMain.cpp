// Test main: every test program runs offscreen with its own home, config, runtime and temporary folders.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/PrivateFolders.h"

#ifdef VELLUMORA_APP_TESTS
#include "support/ProgramState.h"

namespace {

// Every test of the program starts from the program state as it was started, whatever the test
// before it left behind.
class ProgramStateEachTest : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { testsupport::ProgramStateReset(); }
};

} // namespace
#endif

#include <cstdlib>

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir root(QDir::tempPath() + QStringLiteral("/vellumora-test-XXXXXX"));
    root.setAutoRemove(!qEnvironmentVariableIsSet("VELLUMORA_KEEP_TEST_DIRS"));
    testsupport::UsePrivateFolders(root.path());

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
#ifdef VELLUMORA_APP_TESTS
    ::testing::UnitTest::GetInstance()->listeners().Append(new ProgramStateEachTest);
#endif
    return RUN_ALL_TESTS();
}
