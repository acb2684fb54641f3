// Loading within bounds: a document is read once, and one that would open more canvases than
// there can be is refused before any window is made.
#include "paddraw_support.h"

#include "support/RaisedError.h"

#include <QElapsedTimer>

namespace paddraw_test {
namespace {

class PadDrawBounds : public PadDrawTest {};

using testsupport::RaisedText;

TEST_F(PadDrawBounds, ADocumentOpenedForLoadingIsNotReadAgain)
{
    const QString path = document(QStringLiteral("doc.txt"), DocumentLines(RoutineLines("first", "as opened")));
    PadDocumentOpen(path);
    // The file changes on disk after it was opened: the load goes on with what was read.
    document(QStringLiteral("doc.txt"), DocumentLines(RoutineLines("second", "changed since")));
    open(path);
    ASSERT_EQ(B.size(), 2u);
    EXPECT_EQ(FirstText(1), QStringLiteral("first"));

    // A later reload reads the file again.
    open(path);
    ASSERT_EQ(B.size(), 2u);
    EXPECT_EQ(FirstText(1), QStringLiteral("second"));
}

TEST_F(PadDrawBounds, MoreCanvasesThanThereCanBeAreRefusedBeforeAnyWindow)
{
    struct Row {
        const char* why;
        int routines;
        int notes; // top-level notes after the routines
        bool refused;
    };
    const Row rows[] = {
        {"forty thousand routines", 40000, 0, true},
        {"routines and notes past the limit", 32000, 800, true},
        {"three routines and a note", 3, 1, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        CanvasesDrop();
        QStringList body;
        for (int i = 0; i < row.routines; ++i)
            body << RoutineLines(QStringLiteral("R%1").arg(i), QStringLiteral("B"));
        for (int i = 0; i < row.notes; ++i)
            body << QStringLiteral("&&note") << QStringLiteral("&&text") << QStringLiteral("N") << QStringLiteral("&&end-routine");
        const QString path = document(QStringLiteral("many.txt"), DocumentLines(body));
        const QString text = RaisedText([&] { open(path); });
        if (row.refused) {
            EXPECT_TRUE(text.contains(QStringLiteral("ｷｬﾝﾊﾞｽが多すぎる"))) << text.toStdString();
            EXPECT_TRUE(text.contains(QString::number(row.routines + row.notes))) << text.toStdString();
            EXPECT_EQ(B.size(), 1u) << "no canvas was made";
        } else {
            EXPECT_EQ(text, QString());
            EXPECT_EQ(B.size(), static_cast<std::size_t>(1 + row.routines + row.notes));
        }
    }
}

} // namespace
} // namespace paddraw_test
