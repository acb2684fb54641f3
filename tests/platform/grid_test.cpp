// The grid control: its cells without a window, and the keyboard path, redraw suspension and
// events of the table that shows them.
#include "platform/grid/Grid.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using platform::grid::CellType;
using platform::grid::Grid;
using platform::grid::GridModel;

namespace {

// Four columns: text, button, drop-down, text; a hidden fifth.
void FourColumns(GridModel& m, int rows)
{
    m.SetMaxCols(5);
    m.SetColumnType(2, CellType::Button, {QStringLiteral("ｽﾞｰﾑ")});
    m.SetColumnType(3, CellType::DropDown, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    m.SetColumnHidden(5, true);
    m.SetMaxRows(rows);
}

TEST(GridModelTest, NewRowsAndClearingShowTheDropDownsFirstEntry)
{
    GridModel m;
    FourColumns(m, 2);
    EXPECT_EQ(m.Text(3, 2), QStringLiteral("a"));
    EXPECT_EQ(m.ComboCurSel(3, 2), 0);
    m.SetComboCurSel(3, 1, 2);
    EXPECT_EQ(m.Text(3, 1), QStringLiteral("c"));
    m.SetText(3, 1, QStringLiteral("b"));
    EXPECT_EQ(m.ComboCurSel(3, 1), 1);
    m.SetText(1, 1, QStringLiteral("x"));
    m.ClearText();
    EXPECT_EQ(m.Text(1, 1), QString());
    EXPECT_EQ(m.Text(3, 1), QStringLiteral("a"));
    EXPECT_EQ(m.MaxRows(), 2);
    EXPECT_THROW(m.Text(1, 3), std::out_of_range);
}

TEST(GridModelTest, KeyboardCellsSkipHiddenColumnsAndStopAtTheEnds)
{
    GridModel m;
    FourColumns(m, 2);
    struct Row {
        const char* why;
        bool forward;
        int col, row;
        bool moves;
        int toCol, toRow;
    };
    const Row rows[] = {
        {"next cell in the row", true, 1, 1, true, 2, 1},
        {"past the last shown column to the next row", true, 4, 1, true, 1, 2},
        {"past the last cell", true, 4, 2, false, 4, 2},
        {"back past a row's first cell", false, 1, 2, true, 4, 1},
        {"back past the first cell", false, 1, 1, false, 1, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.why);
        int col = r.col, row = r.row;
        EXPECT_EQ(m.NextCell(r.forward, col, row), r.moves);
        EXPECT_EQ(col, r.toCol);
        EXPECT_EQ(row, r.toRow);
    }
}

TEST(GridModelTest, ActiveCellStaysInsideTheGrid)
{
    GridModel m;
    FourColumns(m, 0);
    EXPECT_EQ(m.ActiveRow(), 0);
    m.SetMaxRows(3);
    m.SetActiveCell(9, 9);
    EXPECT_EQ(m.ActiveCol(), 5);
    EXPECT_EQ(m.ActiveRow(), 3);
    m.SetMaxRows(1);
    EXPECT_EQ(m.ActiveRow(), 1);
}

class GridWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.resize(400, 300);
        grid = new Grid(&window);
        grid->resize(380, 200);
        other = new QLineEdit(&window);
        other->move(0, 250);
        FourColumns(grid->model(), 2);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, 30000));
    }

    QWidget window;
    Grid* grid = nullptr;
    QLineEdit* other = nullptr;
};

TEST_F(GridWindowTest, TabRaisesLeaveCellAndAdvancesAtTheEnd)
{
    QSignalSpy leave(grid, &Grid::LeaveCell);
    QSignalSpy advance(grid, &Grid::Advance);
    grid->setFocus();
    grid->SetActiveCell(3, 2);
    QTest::keyClick(grid, Qt::Key_Tab);
    ASSERT_EQ(leave.count(), 1);
    EXPECT_EQ(leave[0], (QList<QVariant>{3, 2, 4, 2}));
    EXPECT_EQ(grid->model().ActiveCol(), 4);
    QTest::keyClick(grid, Qt::Key_Tab);
    ASSERT_EQ(advance.count(), 1);
    EXPECT_EQ(advance[0][0].toBool(), true);

    // A handler that picks another cell has its way.
    QObject::connect(grid, &Grid::LeaveCell, grid, [this](int, int, int, int) { grid->SetActiveCell(1, 1); });
    grid->SetActiveCell(1, 2);
    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_EQ(grid->model().ActiveCol(), 1);
    EXPECT_EQ(grid->model().ActiveRow(), 1);
}

TEST_F(GridWindowTest, RedrawSuspensionHoldsChangesBackUntilItEnds)
{
    grid->SetReDraw(false);
    grid->model().SetMaxRows(3);
    grid->model().SetText(1, 3, QStringLiteral("new"));
    EXPECT_EQ(grid->rowCount(), 2);
    grid->SetReDraw(true);
    ASSERT_EQ(grid->rowCount(), 3);
    EXPECT_EQ(grid->item(2, 0)->text(), QStringLiteral("new"));
    EXPECT_TRUE(grid->isColumnHidden(4));
    grid->model().SetText(1, 1, QStringLiteral("at once"));
    EXPECT_EQ(grid->item(0, 0)->text(), QStringLiteral("at once"));
}

TEST_F(GridWindowTest, ButtonAndDropDownCellsReportTheirCell)
{
    QSignalSpy clicked(grid, &Grid::ButtonClicked);
    QSignalSpy chosen(grid, &Grid::ComboSelChange);
    auto* button = qobject_cast<QPushButton*>(grid->CellWidget(2, 2));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), QStringLiteral("ｽﾞｰﾑ"));
    button->click();
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked[0], (QList<QVariant>{2, 2}));

    auto* combo = qobject_cast<QComboBox*>(grid->CellWidget(3, 1));
    ASSERT_NE(combo, nullptr);
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen[0], (QList<QVariant>{3, 1}));
    EXPECT_EQ(grid->model().ComboCurSel(3, 1), 1);
}

TEST_F(GridWindowTest, FocusInAndOutAreReportedOncePerCrossing)
{
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window, 30000));
    other->setFocus();
    QSignalSpy in(grid, &Grid::GotFocus);
    QSignalSpy out(grid, &Grid::LostFocus);
    grid->setFocus();
    EXPECT_EQ(in.count(), 1);
    grid->CellWidget(3, 1)->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(in.count(), 1);
    EXPECT_EQ(out.count(), 0);
    other->setFocus();
    EXPECT_EQ(out.count(), 1);
}

} // namespace
