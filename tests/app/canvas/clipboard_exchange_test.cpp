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
        start(peer_);
    }
    void TearDown() override
    {
        for (QProcess* peer : {&peer_, &secondPeer_}) {
            if (peer->state() == QProcess::NotRunning)
                continue;
            peer->write("quit\n");
            peer->closeWriteChannel();
            if (!peer->waitForFinished(30000))
                peer->kill();
        }
        EditsTest::TearDown();
    }

    // Starts another copy of the program with a document of one PAD chart (canvas 1) and one
    // module-structure chart (canvas 2).
    void start(QProcess& peer)
    {
        peer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        peer.start(QStringLiteral(CLIPBOARD_PEER), {});
        ASSERT_TRUE(peer.waitForStarted(30000));
        QStringList body = Expand(kPadPeer) + Expand(kModulePeer);
        ASSERT_EQ(ask(QStringLiteral("open ") + document(QStringLiteral("peer.txt"), paddraw_test::DocumentLines(body)), peer),
                  QStringLiteral("opened"));
    }

    // Sends one command to the other process and returns its answer.
    QString ask(const QString& command, QProcess& peer)
    {
        peer.write((command + QLatin1Char('\n')).toUtf8());
        if (!peer.waitForBytesWritten(30000))
            return QStringLiteral("(not sent)");
        while (!peer.canReadLine())
            if (!peer.waitForReadyRead(30000))
                return QStringLiteral("(no answer)");
        return QString::fromUtf8(peer.readLine()).trimmed();
    }
    QString ask(const QString& command) { return ask(command, peer_); }

    QProcess peer_;
    QProcess secondPeer_;
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

// Two copies of the program publish copies of different chart kinds as fast as they can while
// this one fetches: whatever a fetch accepts is of the kind of the canvas it is fetched for.
TEST_F(ClipboardExchangeTest, FetchesAmidCopiesOfBothKindsTakeOneConsistentCopy)
{
    openCharts({kPadHere, kModuleHere});
    start(secondPeer_);
    QProcess* const peers[] = {&peer_, &secondPeer_};
    peer_.write("burst 1 400\n");
    secondPeer_.write("burst 2 400\n");
    const std::int16_t anchors[] = {0, BoxOf(1, QStringLiteral("START")), BoxOf(2, QStringLiteral("TOP"))};
    int accepted[3] = {0, 0, 0};
    int done = 0;
    while (done < 2) {
        for (const std::int16_t here : {std::int16_t(1), std::int16_t(2)}) {
            platform::msgbox::ShownBoxes().clear();
            if (!ClipboardTaskPasteFetch(here))
                continue;
            ++accepted[here];
            ClipboardPaste(here, anchors[here], -1, false, true);
            const BoxRecord& anchor = B[here].BoxList[static_cast<std::size_t>(anchors[here])];
            const QString text = B[here].BoxList[static_cast<std::size_t>(anchor.after)].text.text;
            // The text names the canvas of the copy it came from: "a100007", "l200012", ...
            ASSERT_EQ(text.mid(1, 1), QString::number(here)) << "canvas " << here << " took " << text.toStdString();
        }
        for (QProcess* peer : peers) {
            peer->waitForReadyRead(0);
            while (peer->canReadLine()) {
                ASSERT_EQ(QString::fromUtf8(peer->readLine()).trimmed(), QStringLiteral("copied"));
                ++done;
            }
            ASSERT_NE(peer->state(), QProcess::NotRunning);
        }
    }
    EXPECT_GT(accepted[1] + accepted[2], 0) << "some fetch was accepted";
    EXPECT_EQ(LinkFault(1), QString());
    EXPECT_EQ(LinkFault(2), QString());
}

} // namespace
} // namespace edits_test
