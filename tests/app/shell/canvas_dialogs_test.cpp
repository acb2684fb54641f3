// The canvas dialogs driven offscreen: the order and the name applied by 更新, every other way
// out a cancel that changes nothing, and the checks that keep a dialog open.
#include "../canvas/edits_support.h"

#include "app/dialogs/CanvasColor.h"
#include "app/dialogs/CanvasNameSetting.h"
#include "app/dialogs/CanvasSequence.h"
#include "app/dialogs/FrameSetting.h"
#include "app/core/CanvasSurface.h"
#include "platform/grid/Grid.h"
#include "platform/msgbox/MsgBox.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace edits_test {
namespace {

namespace msgbox = platform::msgbox;

const QString kChart = QStringLiteral("&&routine R &&block A &&end-routine");

// The ways out of a dialog that are no confirmation.
const std::vector<std::pair<const char*, std::function<void(TrayDialog&, QPushButton*)>>> kCancels = {
    {"取消", [](TrayDialog&, QPushButton* cancel) { cancel->click(); }},
    {"close box", [](TrayDialog& d, QPushButton*) { d.close(); }},
    {"Esc", [](TrayDialog& d, QPushButton*) { QTest::keyClick(&d, Qt::Key_Escape); }},
    {"Ctrl+F4", [](TrayDialog& d, QPushButton*) { QTest::keyClick(&d, Qt::Key_F4, Qt::ControlModifier); }},
};

class CanvasDialogsTest : public EditsTest {
protected:
    // Runs a dialog; act runs once it is shown. A dialog act leaves open is cancelled and noted.
    bool run(TrayDialog& dialog, QPushButton* cancel, const std::function<void()>& act)
    {
        bool leftOpen = false;
        QTimer::singleShot(0, &dialog, [&] {
            act();
            if (dialog.isVisible()) {
                leftOpen = true;
                cancel->click();
            }
        });
        dialog.exec();
        return leftOpen;
    }
};

TEST_F(CanvasDialogsTest, OrderIsStoredByUpdateAsOneStepAndEveryOtherWayOutKeepsIt)
{
    openCharts({kChart, kChart, kChart});
    const auto numbers = [] { return QList<int>{B[1].header.number, B[2].header.number, B[3].header.number}; };
    ASSERT_EQ(numbers(), (QList<int>{1, 2, 3}));
    for (const auto& [why, leave] : kCancels) {
        SCOPED_TRACE(why);
        CanvasSequence dialog;
        dialog.TrayCaption = QStringLiteral("ｷｬﾝﾊﾞｽ順序変更(&S)");
        run(dialog, dialog.cmdCancel, [&] {
            dialog.cmdDown->click();
            leave(dialog, dialog.cmdCancel);
        });
        EXPECT_TRUE(dialog.TrayCancel);
        EXPECT_EQ(numbers(), (QList<int>{1, 2, 3}));
        EXPECT_EQ(History.HistoryIndex, -1);
    }

    CanvasSequence dialog;
    dialog.TrayCaption = QStringLiteral("ｷｬﾝﾊﾞｽ順序変更(&S)");
    SetModifyFlag(false);
    QStringList rows;
    const bool leftOpen = run(dialog, dialog.cmdCancel, [&] {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("ｷｬﾝﾊﾞｽ順序変更"));
        dialog.cmdUp->click();    // on the first row: nothing moves
        dialog.cmdDown->click();  // canvas 1 to the second row
        dialog.cmdDown->click();  // and on to the last
        dialog.cmdDown->click();  // on the last row: nothing moves
        for (int r = 1; r <= dialog.sprCaption->model().MaxRows(); ++r)
            rows << dialog.sprCaption->model().Text(2, r);
        dialog.cmdUpdate->click();
    });
    EXPECT_FALSE(leftOpen);
    EXPECT_FALSE(dialog.TrayCancel);
    EXPECT_EQ(rows, (QStringList{"2", "3", "1"}));
    EXPECT_EQ(numbers(), (QList<int>{3, 1, 2}));
    EXPECT_TRUE(GetModifyFlag());
    EXPECT_EQ(History.HistoryIndex, 1);
    EXPECT_EQ(History.HistoryList[1].canvas, 0);
}

TEST_F(CanvasDialogsTest, OrderListsOnlyOpenCanvasesAndMarksHiddenOnes)
{
    openCharts({kChart, kChart, kChart});
    CanvasStateSet(2, CanvasState::Closed);
    CanvasSequenceRenumber();
    B[3].form->SetVisible(false);
    CanvasSequence dialog;
    QStringList captions;
    int columnRight = 0, columnWidth = 0, visibleWidth = 0;
    run(dialog, dialog.cmdCancel, [&] {
        for (int r = 1; r <= dialog.sprCaption->model().MaxRows(); ++r)
            captions << dialog.sprCaption->model().Text(1, r);
        columnRight = dialog.sprCaption->columnViewportPosition(0) + dialog.sprCaption->columnWidth(0);
        columnWidth = dialog.sprCaption->columnWidth(0);
        visibleWidth = dialog.sprCaption->viewport()->width();
    });
    ASSERT_EQ(captions.size(), 2);
    EXPECT_LE(columnRight, visibleWidth) << "the captions stand wholly in the grid";
    EXPECT_GE(columnWidth, visibleWidth - 1) << "and take its width";
    EXPECT_FALSE(captions[0].endsWith(QStringLiteral(":非表示")));
    EXPECT_TRUE(captions[1].endsWith(QStringLiteral(":非表示"))) << captions[1].toStdString();
}

TEST_F(CanvasDialogsTest, NameIsTrimmedAndLimitedToOneLineOfFiftyCharacters)
{
    struct Row {
        const char* why;
        QString typed;
        bool accepted;
        QString result;
        bool pasted = false; // else set as a document's name is shown
    };
    const std::vector<Row> rows = {
        {"fifty characters", QString(50, QLatin1Char('x')), true, QString(50, QLatin1Char('x'))},
        {"blanks around are trimmed", QStringLiteral("  name  "), true, QStringLiteral("name")},
        {"an empty name passes", QString(), true, QString()},
        {"fifty-one characters are refused", QString(51, QLatin1Char('x')), false, QStringLiteral("old")},
        {"a pasted LF is one blank", QStringLiteral("a\nb"), true, QStringLiteral("a b"), true},
        {"a pasted CR LF is one blank", QStringLiteral("a\r\nb\r\n"), true, QStringLiteral("a b"), true},
        {"a pasted CR and a TAB are blanks", QStringLiteral("a\rb\tc"), true, QStringLiteral("a b c"), true},
        {"a name on two lines, as a document may give it, is taken as one", QStringLiteral("x\r\ny"), true,
         QStringLiteral("x y")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        msgbox::ShownBoxes().clear();
        CanvasNameSetting dialog;
        dialog.TrayCanvasName = QStringLiteral(" old ");
        QString shown;
        const bool leftOpen = run(dialog, dialog.cmdCancel, [&] {
            shown = dialog.txtCanvasName->text();
            if (row.pasted) {
                QGuiApplication::clipboard()->setText(row.typed);
                dialog.txtCanvasName->clear();
                dialog.txtCanvasName->paste();
            } else {
                dialog.txtCanvasName->setText(row.typed);
            }
            dialog.cmdUpdate->click();
        });
        EXPECT_EQ(shown, QStringLiteral("old"));
        EXPECT_EQ(leftOpen, !row.accepted);
        EXPECT_EQ(msgbox::ShownBoxes().size(), row.accepted ? 0u : 1u);
        if (row.accepted) {
            EXPECT_EQ(dialog.TrayCanvasName, row.result);
        }
    }
    for (const auto& [why, leave] : kCancels) {
        SCOPED_TRACE(why);
        CanvasNameSetting dialog;
        dialog.TrayCanvasName = QStringLiteral("old");
        run(dialog, dialog.cmdCancel, [&] {
            dialog.txtCanvasName->setText(QStringLiteral("new"));
            leave(dialog, dialog.cmdCancel);
        });
        EXPECT_TRUE(dialog.TrayCancel);
        EXPECT_EQ(dialog.TrayCanvasName, QStringLiteral("old"));
    }
}

TEST_F(CanvasDialogsTest, ColourDialogsKeepADocumentsOwnColourNeedOneForFramesOfTheirOwnAndCancelKeepsTheCallersValues)
{
    const QString red = ApplicationGlobals.ColorTable.size() > 2 ? ApplicationGlobals.ColorTable[2].caption : QString();
    ASSERT_FALSE(red.isEmpty());
    // A document's own colour that the list lacks is shown, chosen and kept by an Update that
    // changes nothing; one that reads as no colour is needed only for frames of their own colour.
    const ColorTableRecord& listed = ApplicationGlobals.ColorTable[2];
    ASSERT_NE(listed.name, listed.caption);
    struct ColourRow {
        const char* why;
        bool sameText;
        QString color;
        QString shown;   // the list's text as the dialog comes up
        bool refused;
    };
    const std::vector<ColourRow> colourRows = {
        {"red, green and blue of frames of their own colour", false, QStringLiteral("r12,g34,b56"),
         QStringLiteral("r12,g34,b56"), false},
        {"red, green and blue kept while frames take the font colour", true, QStringLiteral("r12,g34,b56"),
         QStringLiteral("r12,g34,b56"), false},
        {"a colour's name where the list shows captions", false, listed.name, listed.name, false},
        {"no colour, frames in the font colour: nothing is asked", true, QStringLiteral("no such colour"), QString(),
         false},
        {"no colour, frames of their own colour: refused", false, QStringLiteral("no such colour"), QString(), true},
    };
    for (const ColourRow& row : colourRows) {
        SCOPED_TRACE(row.why);
        // Update pressed on the list as it comes up; a refusal leaves the dialog open.
        const auto update = [&](TrayDialog& dialog, const QComboBox* list) {
            msgbox::ShownBoxes().clear();
            EXPECT_EQ(run(dialog, dialog.cmdCancel, [&] {
                EXPECT_EQ(list->currentText(), row.shown);
                dialog.cmdUpdate->click();
            }), row.refused);
            EXPECT_EQ(Prompts(), row.refused ? QStringList{QStringLiteral("色の指定がありません。")} : QStringList{});
            EXPECT_EQ(dialog.TrayCancel, row.refused);
        };
        FrameSetting frame;
        frame.TrayFrameSameText = row.sameText;
        frame.TrayFrameColor = row.color;
        update(frame, frame.cmbColor);
        EXPECT_EQ(frame.TrayFrameSameText, row.sameText);
        EXPECT_EQ(frame.TrayFrameColor, row.color);
        if (!row.sameText) {
            CanvasColor canvas;
            canvas.TrayCanvasColor = row.color;
            update(canvas, canvas.cmbColor);
            EXPECT_EQ(canvas.TrayCanvasColor, row.color);
        }
    }
    {
        SCOPED_TRACE("a chosen frame colour comes back");
        FrameSetting dialog;
        dialog.TrayFrameSameText = true;
        dialog.TrayFrameColor = QString();
        EXPECT_FALSE(run(dialog, dialog.cmdCancel, [&] {
            EXPECT_FALSE(dialog.cmbColor->isEnabled());
            dialog.optFrameSameText[1]->setChecked(true);
            EXPECT_TRUE(dialog.cmbColor->isEnabled());
            dialog.cmbColor->setCurrentIndex(dialog.cmbColor->findText(red));
            dialog.cmdUpdate->click();
        }));
        EXPECT_FALSE(dialog.TrayFrameSameText);
        EXPECT_EQ(dialog.TrayFrameColor, red);
    }
    for (const auto& [why, leave] : kCancels) {
        SCOPED_TRACE(why);
        FrameSetting frame;
        frame.TrayFrameSameText = true;
        frame.TrayFrameColor = QString();
        run(frame, frame.cmdCancel, [&] {
            frame.optFrameSameText[1]->setChecked(true);
            frame.cmbColor->setCurrentIndex(frame.cmbColor->findText(red));
            leave(frame, frame.cmdCancel);
        });
        EXPECT_TRUE(frame.TrayCancel);
        EXPECT_TRUE(frame.TrayFrameSameText);
        EXPECT_EQ(frame.TrayFrameColor, QString());

        CanvasColor canvas;
        canvas.TrayCanvasColor = QStringLiteral("before");
        run(canvas, canvas.cmdCancel, [&] {
            canvas.cmbColor->setCurrentIndex(canvas.cmbColor->findText(red));
            leave(canvas, canvas.cmdCancel);
        });
        EXPECT_TRUE(canvas.TrayCancel);
        EXPECT_EQ(canvas.TrayCanvasColor, QStringLiteral("before"));
    }
    {
        SCOPED_TRACE("a chosen canvas colour comes back");
        CanvasColor dialog;
        EXPECT_FALSE(run(dialog, dialog.cmdCancel, [&] {
            dialog.cmbColor->setCurrentIndex(dialog.cmbColor->findText(red));
            dialog.cmdUpdate->click();
        }));
        EXPECT_EQ(dialog.TrayCanvasColor, red);
    }
}

} // namespace
} // namespace edits_test
