// The box editor's case grid: the rules on its cells, its panel, and the handlers of its cells.

#include "app/dialogs/BoxEditor.h"

#include "app/diagram/TagTable.h"

#include "app/core/Processing.h"

#include "app/dialogs/OneLineField.h"

#include "app/dialogs/ZoomScreen.h"

#include "platform/graphics/DrawingTarget.h"

#include "platform/grid/Grid.h"

#include "platform/vbrt/Value.h"

#include <QComboBox>
#include <QHBoxLayout>

#include <QHeaderView>

#include <QLabel>

#include <QPushButton>

#include <QVBoxLayout>

#include <algorithm>

namespace vellumora {

namespace {

using platform::grid::CellType;

using platform::grid::GridModel;

const QString OperationKeep = QStringLiteral("更新");

// The zoom buttons of the rows take the window's own background.
std::int32_t WindowBackColor(const QWidget* widget)
{
    return platform::graphics::FromQColor(widget->palette().color(QPalette::Window));
}

} // namespace

void CaseGridSetup(GridModel& grid)
{
    grid.SetMaxCols(7);
    grid.SetColumnType(CaseColumn::Zoom, CellType::Button, {QStringLiteral("ｽﾞｰﾑ")});
    grid.SetColumnType(CaseColumn::Operation, CellType::DropDown,
                       {OperationKeep, QStringLiteral("削除"), QStringLiteral("上へ"), QStringLiteral("下へ")});
    for (int col : {CaseColumn::Number, CaseColumn::Deleted, CaseColumn::Added})
        grid.SetColumnHidden(col, true);
}

void CaseRowAdd(GridModel& grid, std::int32_t buttonColor)
{
    const int row = grid.MaxRows() + 1;
    grid.SetMaxRows(row);
    grid.SetText(CaseColumn::Text, row, QString());
    grid.SetBackColor(CaseColumn::Zoom, row, buttonColor);
    grid.SetComboCurSel(CaseColumn::Operation, row, 0);
    grid.SetText(CaseColumn::Shown, row, QStringLiteral("追"));
    grid.SetText(CaseColumn::Number, row, QString::number(row));
    grid.SetText(CaseColumn::Deleted, row, QStringLiteral("0"));
    grid.SetText(CaseColumn::Added, row, QStringLiteral("1"));
}

void CaseRowSwap(GridModel& grid, int col, int rowA, int rowB)
{
    if (col == CaseColumn::Operation) {
        const int a = grid.ComboCurSel(col, rowA);
        grid.SetComboCurSel(col, rowA, grid.ComboCurSel(col, rowB));
        grid.SetComboCurSel(col, rowB, a);
    } else {
        const QString a = grid.Text(col, rowA);
        grid.SetText(col, rowA, grid.Text(col, rowB));
        grid.SetText(col, rowB, a);
    }
}

int CaseRowOperation(GridModel& grid, int row)
{
    int current = row;
    const int choice = grid.ComboCurSel(CaseColumn::Operation, row);
    auto move = [&](int other) {
        for (int col : {CaseColumn::Text, CaseColumn::Operation, CaseColumn::Shown, CaseColumn::Number,
                        CaseColumn::Deleted, CaseColumn::Added})
            CaseRowSwap(grid, col, row, other);
        current = other;
    };
    switch (choice) {
    case 0:
        grid.SetText(CaseColumn::Deleted, row, QStringLiteral("0"));
        return current;
    case 1:
        grid.SetText(CaseColumn::Deleted, row, QStringLiteral("1"));
        return current;
    case 2:
        if (row >= 2)
            move(row - 1);
        break;
    case 3:
        if (row < grid.MaxRows())
            move(row + 1);
        break;
    default:
        return current;
    }
    // The moved row's drop-down shows its mark again.
    grid.SetComboCurSel(CaseColumn::Operation, current,
                        grid.Text(CaseColumn::Deleted, current) == QLatin1String("1") ? 1 : 0);
    return current;
}

void CaseRecordsMake(const GridModel& grid, std::vector<PadInfoRecord>& records)
{
    records.resize(static_cast<std::size_t>(std::max(grid.MaxRows(), 1)) + 1);
    auto caseRecord = [](PadInfoRecord& r) {
        r.tagId = TagId::Case;
        r.flags = TagTableGet(TagId::Case).flags;
    };
    caseRecord(records[1]);
    records[1].text.clear();
    records[1].number = 1;
    records[1].name = QStringLiteral("insert");
    for (int i = 1; i <= grid.MaxRows(); ++i) {
        PadInfoRecord& r = records[static_cast<std::size_t>(i)];
        caseRecord(r);
        r.text = grid.Text(CaseColumn::Text, i);
        r.number = static_cast<std::int16_t>(platform::vbrt::CInt(platform::vbrt::CDbl(grid.Text(CaseColumn::Number, i))));
        if (grid.Text(CaseColumn::Deleted, i) == QLatin1String("1"))
            r.name = QStringLiteral("delete");
        else if (grid.Text(CaseColumn::Added, i) == QLatin1String("1"))
            r.name = QStringLiteral("insert");
        else
            r.name = QStringLiteral("update");
    }
}

QLayout* BoxEditor::createCasePanel()
{
    auto* casePanel = new QVBoxLayout;
    lblCase = new QLabel(QStringLiteral("ｹｰｽ(&O)"));
    cmdInsert = new QPushButton(QStringLiteral("追加\n(&N)"));
    sprCase = new platform::grid::Grid;
    lblCase->setBuddy(sprCase);
    CaseGridSetup(sprCase->model());
    sprCase->SetReDraw(true);
    sprCase->SetColumnHeaders({QStringLiteral("ｹｰｽ"), QString(), QString(), QStringLiteral("No")});
    // The case text takes the width the other columns leave, so that the number stands in view.
    sprCase->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    sprCase->horizontalHeader()->setSectionResizeMode(CaseColumn::Text - 1, QHeaderView::Stretch);
    OneLineColumnSet(sprCase, CaseColumn::Text - 1);
    auto* caseHead = new QHBoxLayout;
    caseHead->addWidget(lblCase);
    caseHead->addWidget(cmdInsert);
    casePanel->addLayout(caseHead);
    casePanel->addWidget(sprCase);
    connect(cmdInsert, &QPushButton::clicked, this, [this] { cmdInsert_Click(); });
    connect(sprCase, &platform::grid::Grid::ButtonClicked, this, &BoxEditor::sprCase_ButtonClicked);
    connect(sprCase, &platform::grid::Grid::ComboSelChange, this, &BoxEditor::sprCase_ComboSelChange);
    connect(sprCase, &platform::grid::Grid::GotFocus, this, &BoxEditor::sprCase_GotFocus);
    connect(sprCase, &platform::grid::Grid::LeaveCell, this, &BoxEditor::sprCase_LeaveCell);
    connect(sprCase, &platform::grid::Grid::Advance, this, &BoxEditor::sprCase_Advance);
    return casePanel;
}

void BoxEditor::CaseGridLoad()
{
    GridModel& grid = sprCase->model();
    sprCase->SetReDraw(false);
    grid.ClearText();
    grid.SetMaxRows(0);
    for (std::size_t i = 1; i < editRecords_.size(); ++i) {
        const int row = static_cast<int>(i);
        const PadInfoRecord& c = editRecords_[i];
        grid.SetMaxRows(row);
        grid.SetText(CaseColumn::Text, row, c.text);
        grid.SetBackColor(CaseColumn::Zoom, row, WindowBackColor(this));
        grid.SetComboCurSel(CaseColumn::Operation, row, 0);
        grid.SetText(CaseColumn::Shown, row, QString::number(c.number));
        grid.SetText(CaseColumn::Number, row, QString::number(c.number));
        grid.SetText(CaseColumn::Deleted, row, QStringLiteral("0"));
        grid.SetText(CaseColumn::Added, row, QStringLiteral("0"));
    }
    sprCase->SetReDraw(true);
}

void BoxEditor::cmdInsert_Click()
{
    Command([this] {
        sprCase->SetReDraw(false);
        CaseRowAdd(sprCase->model(), WindowBackColor(this));
        sprCase->SetReDraw(true);
    });
    sprCase->setFocus(Qt::OtherFocusReason);
}

void BoxEditor::sprCase_ComboSelChange(int col, int row)
{
    if (col != CaseColumn::Operation)
        return;
    Command([this, row] {
        sprCase->SetReDraw(false);
        sprCase->SetActiveCell(CaseColumn::Operation, row);
        const int current = CaseRowOperation(sprCase->model(), row);
        sprCase->SetReDraw(true);
        sprCase->SetActiveCell(CaseColumn::Operation, current);
    });
}

void BoxEditor::sprCase_ButtonClicked(int col, int row)
{
    if (col != CaseColumn::Zoom)
        return;
    Command([this, row] {
        GridModel& grid = sprCase->model();
        if (grid.Text(CaseColumn::Deleted, row) != QLatin1String("0"))
            return;
        zoomReturn_ = true;
        QString text = grid.Text(CaseColumn::Text, row);
        const QString caption = Caption() + QLatin1Char(':') + cmbBoxType->currentText() + QLatin1Char('.')
                                + lblCase->text() + QLatin1Char(':') + grid.Text(CaseColumn::Shown, row);
        if (ZoomTextEdit(this, caption, text, TagId::Case))
            grid.SetText(CaseColumn::Text, row, text);
    });
}

void BoxEditor::sprCase_GotFocus()
{
    if (!zoomReturn_) {
        if (lastButtonName_ == QLatin1String("cmdInsert"))
            sprCase->SetActiveCell(CaseColumn::Text, 1);
        else if (lastButtonName_ == QLatin1String("cmdUpdate"))
            sprCase->SetActiveCell(CaseColumn::Operation, sprCase->model().MaxRows());
    }
    zoomReturn_ = false;
    lastButtonName_.clear();
}

void BoxEditor::sprCase_LeaveCell(int col, int row, int newCol, int newRow)
{
    const int rows = sprCase->model().MaxRows();
    if (col == CaseColumn::Operation && newCol == CaseColumn::Shown) {
        if (row < rows)
            sprCase->SetActiveCell(CaseColumn::Text, row + 1);
        else
            cmdUpdate->setFocus(Qt::TabFocusReason);
    } else if (col == CaseColumn::Text && newCol == CaseColumn::Shown && newRow < row) {
        sprCase->SetActiveCell(CaseColumn::Operation, newRow);
    }
}

void BoxEditor::sprCase_Advance(bool forward)
{
    Guarded([this] { ProcessingEnd(this); });
    if (forward)
        cmdUpdate->setFocus(Qt::TabFocusReason);
    else
        cmdInsert->setFocus(Qt::BacktabFocusReason);
}

} // namespace vellumora
