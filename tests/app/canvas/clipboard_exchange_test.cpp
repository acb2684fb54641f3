// Copy and paste between two running copies of the program: a second process (clipboard_peer)
// publishes copies through the per-user store, this one fetches and pastes them.
#include "edits_support.h"

#include "platform/msgbox/MsgBox.h"

#include <QProcess>

namespace edits_test {
namespace {

const QString kPadPeer =
    QStringLiteral("&&routine H &&obstinate Obstinate1 &&block A &&loop L &&block B &&end-loop &&end-routine");
const QString kModulePeer = QStringLiteral("&&routine M &&obstinate Obstinate2 &&block Z &&loop N &&block W "
                                           "&&end-loop &&end-routine");
const QString kPadHere = QStringLiteral("&&routine P &&obstinate Obstinate1 &&block START &&end-routine");
const QString kModuleHere = QStringLiteral("&&routine Q &&obstinate Obstinate2 &&block TOP &&end-routine");

class ClipboardExchangeTest : public EditsTest {
protected:
    void SetUp() override
    {
        EditsTest::SetUp();
        peer_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        peer_.start(QStringLiteral(CLIPBOARD_PEER), {});
        ASSERT_TRUE(peer_.waitForStarted(30000));
        QStringList body = Expand(kPadPeer) + Expand(kModulePeer);
        ASSERT_EQ(ask(QStringLiteral("open ") + document(QStringLiteral("peer.txt"), paddraw_test::DocumentLines(body))),
                  QStringLiteral("opened"));
    }
    void TearDown() override
    {
        peer_.write("quit\n");
        peer_.closeWriteChannel();
        if (!peer_.waitForFinished(30000))
            peer_.kill();
        EditsTest::TearDown();
    }

    // Sends one command to the other process and returns its answer.
    QString ask(const QString& command)
    {
        peer_.write((command + QLatin1Char('\n')).toUtf8());
        if (!peer_.waitForBytesWritten(30000))
            return QStringLiteral("(not sent)");
        while (!peer_.canReadLine())
            if (!peer_.waitForReadyRead(30000))
                return QStringLiteral("(no answer)");
        return QString::fromUtf8(peer_.readLine()).trimmed();
    }

    QProcess peer_;
};

TEST_F(ClipboardExchangeTest, AThousandCopiesFromTheOtherProcessArePastedInOrder)
{
    openCharts({kPadHere});
    std::int16_t last = BoxOf(1, QStringLiteral("START"));
    QString expected = QStringLiteral("&&routine P &&block START");
    for (int n = 1; n <= 1000; ++n) {
        SCOPED_TRACE(n);
        ASSERT_EQ(ask(QStringLiteral("copy 1 %1").arg(n)), QStringLiteral("copied"));
        ASSERT_TRUE(ClipboardTaskExist());
        ASSERT_TRUE(ClipboardTaskPasteFetch(1));
        ClipboardPaste(1, last, -1, false, true);

        // The pasted box follows the last one, with the text of this copy and its body.
        CanvasRecord& c = B[1];
        const std::int16_t pasted = c.BoxList[static_cast<std::size_t>(last)].after;
        ASSERT_GT(pasted, 0);
        const BoxRecord& box = c.BoxList[static_cast<std::size_t>(pasted)];
        ASSERT_EQ(box.after, -1);
        if (n % 2 == 1) {
            ASSERT_EQ(box.text.text, QStringLiteral("l%1").arg(n));
            const std::int16_t body = c.SubList[static_cast<std::size_t>(box.subIndex)].boxIndex;
            ASSERT_EQ(c.BoxList[static_cast<std::size_t>(body)].text.text, QStringLiteral("b%1").arg(n));
            expected += QStringLiteral(" &&loop l%1 &&block b%1 &&end-loop").arg(n);
        } else {
            ASSERT_EQ(box.text.text, QStringLiteral("a%1").arg(n));
            expected += QStringLiteral(" &&block a%1").arg(n);
        }
        last = pasted;
    }
    EXPECT_EQ(ChartText(1), expected + QStringLiteral(" &&end-routine")) << "nothing lost or mixed up";
    EXPECT_EQ(LinkFault(1), QString());
    EXPECT_EQ(Prompts(), QStringList{});
}

TEST_F(ClipboardExchangeTest, ACopyOfOneChartKindIsRefusedOnACanvasOfTheOther)
{
    openCharts({kPadHere, kModuleHere});
    struct Row {
        const char* why;
        int peerCanvas;
        std::int16_t here;
        bool allowed;
    };
    const std::vector<Row> rows = {
        {"a PAD copy onto a module-structure chart", 1, 2, false},
        {"a module-structure copy onto a PAD chart", 2, 1, false},
        {"a PAD copy onto a PAD chart", 1, 1, true},
        {"a module-structure copy onto a module-structure chart", 2, 2, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        platform::msgbox::ShownBoxes().clear();
        ASSERT_EQ(ask(QStringLiteral("copy %1 2").arg(row.peerCanvas)), QStringLiteral("copied"));
        const QString before = ChartText(row.here);
        EXPECT_EQ(ClipboardTaskPasteFetch(row.here), row.allowed);
        EXPECT_EQ(Prompts(), row.allowed ? QStringList{} : QStringList{QStringLiteral("ｷｬﾝﾊﾞｽの形式が異なります。")});
        EXPECT_EQ(ChartText(row.here), before);
    }

    // Once the other process has dropped its copy, there is nothing to fetch.
    ASSERT_EQ(ask(QStringLiteral("reset")), QStringLiteral("reset"));
    EXPECT_FALSE(ClipboardTaskExist());
    platform::msgbox::ShownBoxes().clear();
    EXPECT_FALSE(ClipboardTaskPasteFetch(2));
    EXPECT_EQ(Prompts(), QStringList{QStringLiteral("他ﾀｽｸからの情報がありません。")});
}

} // namespace
} // namespace edits_test
