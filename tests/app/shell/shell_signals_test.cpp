// Ended from outside (kill, a logout): the program removes its work files, saves nothing and ends
// as the signal would have ended it.

#include "app/shell/AppMain.h"

#include "app/diagram/FileInterface.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/Utilities.h"
#include "platform/msgbox/MsgBox.h"
#include "platform/system/System.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

using namespace vellumora;

namespace {

class EndedFromOutside : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::copy(QStringLiteral(VELLUMORA_SOURCE_DIR "/config/Vellumora.ini"),
                                QDir(program_.path()).filePath(QStringLiteral("vellumora.ini"))));
        SetApplicationObject(program_.path(), QStringLiteral("vellumora"));
        SetServicesFactory({});
        platform::msgbox::ClearQueue();
        platform::system::SetProcessEnd([this](int signal) { ended_ = signal; });
    }
    void TearDown() override
    {
        platform::system::SetTerminationHandler({});
        platform::system::SetProcessEnd({});
    }

    static QStringList Leftovers()
    {
        return QDir(QDir::tempPath()).entryList({QStringLiteral("vellumora.*")}, QDir::AllEntries | QDir::NoDotAndDotDot);
    }

    QTemporaryDir program_;
    QTemporaryDir documents_;
    int ended_ = 0;
};

TEST_F(EndedFromOutside, WorkFilesGoNothingIsSavedAndTheProcessEndsByTheSignal)
{
    for (const int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        ended_ = 0;
        AppInitialize();
        EndOnTerminationRequest();

        // A modified document and a work file of the run.
        const QString document = QDir(documents_.path()).filePath(QStringLiteral("chart.txt"));
        QFile file(document);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("&&document\r\n&&end-document\r\n");
        file.close();
        ApplicationGlobals.DocumentName = document;
        ApplicationGlobals.ModifyFlag = true;
        QFile work(TemporaryFileName(QStringLiteral("probe")));
        ASSERT_TRUE(work.open(QIODevice::WriteOnly));
        work.close();
        ASSERT_TRUE(QFileInfo(FileInterface.ZipWorkFolder).isDir());
        ASSERT_FALSE(Leftovers().isEmpty());

        ::raise(signal);
        ASSERT_TRUE(QTest::qWaitFor([&] { return ended_ != 0; }, 30000));
        EXPECT_EQ(ended_, signal);
        EXPECT_TRUE(Leftovers().isEmpty()) << Leftovers().join(' ').toStdString();
        EXPECT_FALSE(CommonServices) << "shutdown ran";
        EXPECT_TRUE(platform::msgbox::ShownBoxes().empty()) << "nobody is asked";
        QFile after(document);
        ASSERT_TRUE(after.open(QIODevice::ReadOnly));
        EXPECT_EQ(after.readAll(), QByteArray("&&document\r\n&&end-document\r\n")) << "the document is not saved";
    }
}

} // namespace
