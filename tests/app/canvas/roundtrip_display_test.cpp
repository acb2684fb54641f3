// What the program makes only for display (the labels that break and continue jump to, their
// jump texts, hidden notes) never reaches a file: a document opened, drawn and saved comes out
// byte for byte as it went in, under every display setting, save after save.

#include "canvas_windows.h"

#include "app/diagram/TagTable.h"
#include "support/SampleDocuments.h"

#include <QFileInfo>

#include <algorithm>
#include <string>

namespace paddraw_test {
namespace {

class RoundTripDisplayTest : public PadDrawTest {
protected:
    // The header of a sample in the writer's form, with the settings given.
    static QString Header(const QStringList& settings)
    {
        QString text = platform::codepage::FromShiftJis(read(QStringLiteral(VELLUMORA_SOURCE_DIR "/samples/order-summary.txt")));
        text = text.left(text.indexOf(QStringLiteral("&&routine")));
        for (const QString& setting : settings) {
            const QString name = setting.section(QLatin1Char(':'), 0, 0);
            const qsizetype at = text.indexOf(QStringLiteral("\r\n") + name + QLatin1Char(':'));
            EXPECT_GE(at, 0) << name.toStdString();
            const qsizetype end = text.indexOf(QStringLiteral("\r\n"), at + 2);
            text.replace(at + 2, end - at - 2, setting);
        }
        return text;
    }

    // Opens the document, draws every canvas as the open command does and saves it under name.
    QByteArray openDrawSave(const QString& in, const QString& name)
    {
        open(in);
        PadDrawRefresh(-1);
        ApplicationGlobals.DocumentName = path(name);
        PadFileSave();
        return read(path(name));
    }

    // The first line where two texts differ, for the failure message.
    static std::string FirstDifference(const QByteArray& expected, const QByteArray& actual)
    {
        const QStringList want = platform::codepage::FromShiftJis(expected).split(QStringLiteral("\r\n"));
        const QStringList got = platform::codepage::FromShiftJis(actual).split(QStringLiteral("\r\n"));
        for (qsizetype i = 0; i < std::max(want.size(), got.size()); ++i) {
            const QString w = want.value(i, QStringLiteral("<end>"));
            const QString g = got.value(i, QStringLiteral("<end>"));
            if (w != g)
                return "line " + std::to_string(i + 1) + ": expected \"" + w.toStdString() + "\" got \"" + g.toStdString() + "\"";
        }
        return "same lines";
    }

    static int LabelBoxes()
    {
        int labels = 0;
        for (std::size_t c = 1; c < B.size(); ++c)
            for (std::size_t b = 1; b < B[c].BoxList.size(); ++b)
                labels += B[c].BoxList[b].tagType == TagId::Label && (B[c].BoxList[b].flags & BoxFlag::Temporary) ? 1 : 0;
        return labels;
    }
};

TEST_F(RoundTripDisplayTest, DisplaySettingsChangeNothingThatIsSaved)
{
    // A loop whose body breaks out of a branch and continues; a second loop breaks at its top;
    // a note that the note setting hides.
    const QString body = QStringLiteral(
        "&&routine\n&&obstinate\nObstinate1\n&&name\nN\n&&text\nr\n"
        "&&loop\n&&before\n&&text\nouter\n"
        "&&branch\n&&text\nb\n&&case\n&&text\nyes\n&&break\n&&case\n&&text\nno\n&&continue\n&&end-branch\n"
        "&&block\n&&text\nx\n"
        "&&end-loop\n"
        "&&loop\n&&color\n赤\n&&after\n&&text\ninner\n&&break\n&&end-loop\n"
        "&&note\n&&text\nremark\n"
        "&&end-routine\n");
    struct Row {
        const char* why;
        QStringList settings;
    };
    const Row rows[] = {
        {"jumps replaced by labels", {QStringLiteral("ReplaceJump:True")}},
        {"notes not shown", {QStringLiteral("NoteNotShow:True")}},
        {"both", {QStringLiteral("ReplaceJump:True"), QStringLiteral("NoteNotShow:True")}},
        {"neither", {QStringLiteral("ReplaceJump:False"), QStringLiteral("NoteNotShow:False")}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        CanvasesDrop();
        const QString text = Header(row.settings) + QString(body).replace(QStringLiteral("\n"), QStringLiteral("\r\n")) +
                             QStringLiteral("&&end-document\r\n");
        const QByteArray bytes = platform::codepage::ToShiftJis(text);
        const QByteArray first = openDrawSave(write(QStringLiteral("in.txt"), bytes), QStringLiteral("first.txt"));
        EXPECT_TRUE(first == bytes) << FirstDifference(bytes, first);
        if (ApplicationGlobals.ReplaceJump) {
            EXPECT_EQ(LabelBoxes(), 3) << "the labels are there on the canvas";
        }

        // Saved again from the saved file: nothing grows.
        CanvasesDrop();
        const QByteArray second = openDrawSave(path(QStringLiteral("first.txt")), QStringLiteral("second.txt"));
        EXPECT_TRUE(second == bytes) << FirstDifference(bytes, second);
    }
}

TEST_F(RoundTripDisplayTest, EverySampleWithEachDisplaySettingSavesAsRead)
{
    for (const QString& sample : testsupport::SampleDocuments()) {
        if (IsPadFile(sample))
            continue;
        for (const char* setting : {"ReplaceJump:True", "NoteNotShow:True"}) {
            SCOPED_TRACE(QFileInfo(sample).fileName().toStdString() + " " + setting);
            CanvasesDrop();
            QString text = platform::codepage::FromShiftJis(read(sample));
            const QString name = QString::fromLatin1(setting).section(QLatin1Char(':'), 0, 0);
            text.replace(name + QStringLiteral(":False"), QString::fromLatin1(setting));
            const QByteArray bytes = platform::codepage::ToShiftJis(text);
            const QByteArray saved = openDrawSave(write(QStringLiteral("in.txt"), bytes), QStringLiteral("out.txt"));
            EXPECT_TRUE(saved == bytes) << FirstDifference(bytes, saved);
        }
    }
}

// The box writer that copies and undo snapshots use leaves out the same things.
TEST_F(RoundTripDisplayTest, BoxListsAreWrittenWithoutTheirDisplayLabels)
{
    const QString text = Header({QStringLiteral("ReplaceJump:True")}) +
                         QStringLiteral("&&routine\r\n&&text\r\nr\r\n&&loop\r\n&&after\r\n&&text\r\nl\r\n&&break\r\n"
                                        "&&continue\r\n&&end-loop\r\n&&end-routine\r\n&&end-document\r\n");
    open(write(QStringLiteral("in.txt"), platform::codepage::ToShiftJis(text)));
    PadDrawRefresh(-1);
    ASSERT_GT(B.size(), 1u);
    const CanvasRecord& canvas = B[1];
    const std::int16_t routine = canvas.header.firstBox;
    const std::int16_t loop = canvas.SubList[static_cast<std::size_t>(canvas.BoxList[static_cast<std::size_t>(routine)].subIndex)].boxIndex;
    ASSERT_EQ(canvas.BoxList[static_cast<std::size_t>(loop)].tagType, TagId::Loop);
    ASSERT_EQ(LabelBoxes(), 2);

    // The loop with the chain after it (its "-break" label), as a copy writes it.
    PadFileCreate(path(QStringLiteral("copy.txt")));
    BoxListWrite(1, loop, true, false, true, false);
    PadFileFinish();
    EXPECT_EQ(platform::codepage::FromShiftJis(read(path(QStringLiteral("copy.txt")))),
              QStringLiteral("&&loop\r\n&&after\r\n&&text\r\nl\r\n&&break\r\n&&continue\r\n&&end-loop\r\n"));
}

} // namespace
} // namespace paddraw_test
