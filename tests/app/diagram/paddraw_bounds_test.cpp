// Loading within bounds: a document is read once, one that would open more canvases than there
// can be is refused before any window is made, and what cannot be read is named with its line.
#include "paddraw_support.h"

#include "support/RaisedError.h"
#include "support/ZipBytes.h"

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

TEST_F(PadDrawBounds, WhatCannotBeReadIsNamedWithItsLine)
{
    const QStringList header = {QStringLiteral("&&document"), QStringLiteral("&&font"), QStringLiteral("fontsize:12"),
                                QStringLiteral("&&text"), QStringLiteral("NoteNotShow:False"), QString(),
                                QStringLiteral("# margins in twips"), QStringLiteral("PrinterLeftMargin:abc"),
                                QStringLiteral("PrinterRightMargin:567")};
    QStringList longText = {QStringLiteral("&&document"), QStringLiteral("&&routine"), QStringLiteral("&&text"),
                            QStringLiteral("R"), QStringLiteral("&&block"), QStringLiteral("&&text")};
    for (int i = 0; i <= 32767; ++i)
        longText << QStringLiteral("x");
    longText << QStringLiteral("&&end-routine") << QStringLiteral("&&end-document");
    const QStringList bigCase = {QStringLiteral("&&document"), QStringLiteral("&&routine"), QStringLiteral("&&text"),
                                 QStringLiteral("R"), QStringLiteral("&&branch"), QStringLiteral("&&text"),
                                 QStringLiteral("B"), QStringLiteral("&&case:40000"), QStringLiteral("&&end-branch"),
                                 QStringLiteral("&&end-routine"), QStringLiteral("&&end-document")};
    const QByteArray good = DocumentBytes(DocumentLines(RoutineLines(QStringLiteral("R"), QStringLiteral("a"))));
    // Bytes of a picture where the document should be: no NUL before the first line end.
    const QByteArray picture("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10", 20);
    QByteArray damaged = testsupport::zipbytes::MakeZip({{"Vellumora.txt", good}});
    damaged[damaged.indexOf("&&document") + 3] = 'X';

    struct Row {
        const char* why;
        QString name;
        QByteArray bytes;
        QString message; // %1 the file's path
    };
    const std::vector<Row> rows = {
        {"a bad setting in the header", QStringLiteral("doc.txt"),
         DocumentBytes(header + QStringList{QStringLiteral("&&end-document")}),
         QStringLiteral("文書の設定 PrinterLeftMargin の値 \"abc\" が正しくありません。\r\n(doc.txt の 8 行目)")},
        {"a text of more lines than a box holds", QStringLiteral("doc.txt"), DocumentBytes(longText),
         QStringLiteral("文字列の行数 (32768 行) が上限 (32767 行) を超えます。\r\n(doc.txt の 5 行目)")},
        {"a tag number past 16 bits", QStringLiteral("doc.txt"), DocumentBytes(bigCase),
         QStringLiteral("ﾀｸﾞの番号 40000 が範囲 (-32768～32767) を外れています。\r\n(doc.txt の 8 行目)")},
        {"a .pad whose member is damaged in its first line", QStringLiteral("doc.pad"), damaged,
         QStringLiteral("doc.pad は読めません。項目のデータが壊れています。 (%1 : Vellumora.txt)")},
        {"a .pad holding a picture", QStringLiteral("doc.pad"),
         testsupport::zipbytes::MakeZip({{"Vellumora.txt", picture}}), QStringLiteral("doc.pad はテキストファイルではありません。")},
        {"a picture named .txt", QStringLiteral("doc.txt"), picture, QStringLiteral("doc.txt はテキストファイルではありません。")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const QString file = write(row.name, row.bytes);
        const QString message = row.message.contains(QLatin1String("%1")) ? row.message.arg(file) : row.message;
        EXPECT_EQ(RaisedText([&] { open(file); }).toStdString(), message.toStdString());
        EXPECT_EQ(B.size(), 1u);
    }
}

} // namespace
} // namespace paddraw_test
