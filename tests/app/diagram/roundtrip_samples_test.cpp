// Every sample document, opened and saved again, comes out byte for byte as it went in: the
// samples are in the writer's own form, so a difference is a fault of the reader or the writer.
// A ".pad" is saved as a ".pad" that unzip accepts, its member the sample's ".txt".

#include "paddraw_support.h"
#include "support/SampleDocuments.h"

#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <string>

namespace paddraw_test {
namespace {

class RoundTripSamplesTest : public PadDrawTest {
protected:
    // Runs unzip with the arguments; the exit code, standard output in out.
    static int Unzip(const QStringList& arguments, QByteArray& out)
    {
        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), arguments);
        if (!unzip.waitForFinished(-1) || unzip.exitStatus() != QProcess::NormalExit)
            return -1;
        out = unzip.readAllStandardOutput();
        return unzip.exitCode();
    }

    // The first difference of two byte strings, as "line N: <expected> / <actual>".
    static std::string FirstDifference(const QByteArray& expected, const QByteArray& actual)
    {
        const QList<QByteArray> want = expected.split('\n');
        const QList<QByteArray> got = actual.split('\n');
        for (qsizetype i = 0; i < std::max(want.size(), got.size()); ++i) {
            const QByteArray w = i < want.size() ? want[i] : QByteArray("<end>");
            const QByteArray g = i < got.size() ? got[i] : QByteArray("<end>");
            if (w != g)
                return "line " + std::to_string(i + 1) + ": expected \"" +
                       platform::codepage::FromShiftJis(w).trimmed().toStdString() + "\" got \"" +
                       platform::codepage::FromShiftJis(g).trimmed().toStdString() + "\"";
        }
        return "same lines";
    }

    // The text a sample holds: the file itself, or the member of a ".pad".
    static QByteArray SampleText(const QString& sample)
    {
        if (!IsPadFile(sample))
            return read(sample);
        QByteArray member;
        EXPECT_EQ(Unzip({QStringLiteral("-p"), sample}, member), 0);
        return member;
    }
};

TEST_F(RoundTripSamplesTest, EverySampleSavedAgainIsByteIdentical)
{
    int count = 0;
    for (const QString& sample : testsupport::SampleDocuments()) {
        const QFileInfo info(sample);
        SCOPED_TRACE(info.fileName().toStdString());
        ++count;
        CanvasesDrop();

        // The samples are never written to: the copy is opened, the save goes to a third name.
        const QByteArray before = read(sample);
        const QString copy = path(QStringLiteral("in-") + info.fileName());
        ASSERT_TRUE(QFile::copy(sample, copy));
        open(copy);
        ASSERT_GT(B.size(), 1u);
        const QString saved = path(QStringLiteral("out-") + info.fileName());
        ApplicationGlobals.DocumentName = saved;
        PadFileSave();

        const QByteArray expected = SampleText(sample);
        ASSERT_FALSE(expected.isEmpty());
        if (IsPadFile(sample)) {
            QByteArray listing;
            EXPECT_EQ(Unzip({QStringLiteral("-t"), saved}, listing), 0) << listing.toStdString();
            QByteArray names;
            QByteArray sampleNames;
            EXPECT_EQ(Unzip({QStringLiteral("-Z1"), saved}, names), 0);
            EXPECT_EQ(Unzip({QStringLiteral("-Z1"), sample}, sampleNames), 0);
            EXPECT_EQ(names.toStdString(), sampleNames.toStdString()) << "one member, named as in the sample";
            QByteArray member;
            ASSERT_EQ(Unzip({QStringLiteral("-p"), saved}, member), 0);
            EXPECT_TRUE(member == expected) << FirstDifference(expected, member);
            const QString text = info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".txt");
            if (QFileInfo::exists(text)) {
                EXPECT_TRUE(expected == read(text)) << "the sample's archive holds its text: "
                                                    << FirstDifference(read(text), expected);
            }
        } else {
            const QByteArray written = read(saved);
            EXPECT_TRUE(written == expected) << FirstDifference(expected, written);
        }
        EXPECT_TRUE(read(sample) == before) << "the sample itself is left alone";
    }
    EXPECT_GE(count, 2);
}

// Forms the samples do not show, in the writer's form, come back unchanged as well.
TEST_F(RoundTripSamplesTest, FormsBeyondTheSamplesAreSavedAsRead)
{
    const QString sample = platform::codepage::FromShiftJis(read(QStringLiteral(VELLUMORA_SOURCE_DIR "/samples/order-summary.txt")));
    const QString header = sample.left(sample.indexOf(QStringLiteral("&&routine")));
    ASSERT_TRUE(header.startsWith(QStringLiteral("&&document")));
    const QString frame = QStringLiteral("&&routine\n&&obstinate\nObstinate1\n&&name\nN\n");
    struct Row {
        const char* why;
        QString body;
    };
    const Row rows[] = {
        {"empty loop, branch without cases, routine body",
         frame + "&&text\nr\n&&loop\n&&before\n&&text\nl\n&&end-loop\n&&branch\n&&text\nb\n&&end-branch\n&&end-routine\n"},
        {"routine with an empty body", frame + "&&text\nr\n&&end-routine\n"},
        {"empty tree", "&&routine\n&&obstinate\nObstinate2\n&&name\nN\n&&tree\n&&text\nt\n&&end-tree\n&&end-routine\n"},
        {"empty canvas holds its placeholder", frame + "&&egg\n&&end-routine\n"},
        {"chink between two boxes", frame + "&&text\nr\n&&block\n&&text\nx\n&&chink\n&&block\n&&text\ny\n&&end-routine\n"},
        {"loop with both page breaks",
         frame + "&&text\nr\n&&loop\n&&after\n&&lowerPage\n&&rightPage\n&&text\nl\n&&block\n&&text\nx\n&&end-loop\n&&end-routine\n"},
        {"third chart kind", "&&routine\n&&obstinate\nObstinate3\n&&name\nN\n&&text\nr\n&&block\n&&text\nx\n&&end-routine\n"},
        {"canvas without a chart kind", "&&routine\n&&name\nN\n&&text\nr\n&&block\n&&text\nx\n&&end-routine\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        CanvasesDrop();
        const QString body = QString(row.body).replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
        const QByteArray bytes = platform::codepage::ToShiftJis(header + body + QStringLiteral("&&end-document\r\n"));
        open(write(QStringLiteral("in.txt"), bytes));
        ApplicationGlobals.DocumentName = path(QStringLiteral("out.txt"));
        PadFileSave();
        const QByteArray written = read(path(QStringLiteral("out.txt")));
        EXPECT_TRUE(written == bytes) << FirstDifference(bytes, written);
    }
}

} // namespace
} // namespace paddraw_test
