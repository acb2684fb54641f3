#pragma once

// The grid control: cells of text, a column of buttons and a column of drop-down lists, hidden
// columns, an active cell, redraw suspension, and the events a form handles (focus gained and
// lost, advancing past the first or last cell, leaving a cell, a button clicked, a drop-down
// choice). Columns and rows count from 1. The cells live in GridModel, which works without a
// window; Grid shows a model in a table on the screen and drives the keyboard path.

#include <QString>
#include <QStringList>
#include <QTableWidget>

#include <cstdint>
#include <functional>
#include <vector>

namespace platform::grid {

enum class CellType { Text, Button, DropDown };

class GridModel {
public:
    // A change of one cell (col, row), of a whole row (col 0), or of everything (0, 0).
    using ChangeHandler = std::function<void(int col, int row)>;

    int MaxCols() const { return static_cast<int>(columns_.size()); }
    void SetMaxCols(int count);
    int MaxRows() const { return static_cast<int>(rows_.size()); }
    // New rows come empty (drop-downs on their first entry); rows beyond the count are dropped.
    void SetMaxRows(int count);

    // A button column shows items[0] as the caption; a drop-down column offers the items.
    void SetColumnType(int col, CellType type, const QStringList& items = {});
    CellType ColumnType(int col) const;
    const QStringList& ColumnItems(int col) const;
    void SetColumnHidden(int col, bool hidden);
    bool ColumnHidden(int col) const;

    // A drop-down cell's text is its selected entry; setting the text selects the entry.
    QString Text(int col, int row) const;
    void SetText(int col, int row, const QString& text);
    // The selected entry of a drop-down cell, -1 for none.
    int ComboCurSel(int col, int row) const;
    void SetComboCurSel(int col, int row, int index);
    // Colour value: red + 256 x green + 65536 x blue; -1 the control's own colour.
    std::int32_t BackColor(int col, int row) const;
    void SetBackColor(int col, int row, std::int32_t color);
    // Every cell's text emptied (drop-downs back to their first entry); the rows stay.
    void ClearText();

    int ActiveCol() const { return activeCol_; }
    int ActiveRow() const { return activeRow_; }
    // Cells outside the grid are moved inside it; an empty grid has the active cell (0, 0).
    void SetActiveCell(int col, int row);

    // The cell the keyboard moves to from (col, row) over the shown columns, row after row;
    // false when the move would leave the grid.
    bool NextCell(bool forward, int& col, int& row) const;

    void SetChangeHandler(ChangeHandler handler) { changed_ = std::move(handler); }

private:
    struct Column {
        CellType type = CellType::Text;
        QStringList items;
        bool hidden = false;
    };
    struct Cell {
        QString text;
        int curSel = 0;
        std::int32_t backColor = -1;
    };
    Cell& cell(int col, int row);
    const Cell& cell(int col, int row) const;
    void notify(int col, int row) const;

    std::vector<Column> columns_;
    std::vector<std::vector<Cell>> rows_;
    int activeCol_ = 0;
    int activeRow_ = 0;
    ChangeHandler changed_;
};

class Grid : public QTableWidget {
    Q_OBJECT
public:
    explicit Grid(QWidget* parent = nullptr);
    ~Grid() override;

    GridModel& model() { return model_; }
    const GridModel& model() const { return model_; }

    // While off, changes of the model are not shown; switching it on shows everything.
    void SetReDraw(bool on);
    bool ReDraw() const { return redraw_; }
    // Makes a cell active (and current on the screen) without raising LeaveCell.
    void SetActiveCell(int col, int row);
    // Moves as Tab (forward) or Shift+Tab would.
    void KeyboardMove(bool forward);
    // The header captions of the columns.
    void SetColumnHeaders(const QStringList& captions);

    // The widget of a button or drop-down cell, for tests and focus handling.
    QWidget* CellWidget(int col, int row) const;

signals:
    void GotFocus();
    void LostFocus();
    void Advance(bool forward);
    void LeaveCell(int col, int row, int newCol, int newRow);
    void ButtonClicked(int col, int row);
    void ComboSelChange(int col, int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void showCell(int col, int row);
    void showAll();
    bool contains(const QWidget* widget) const;
    void focusChange(QWidget* old, QWidget* now);
    void currentChange(int row, int col, int oldRow, int oldCol);

    GridModel model_;
    bool redraw_ = true;
    bool settingCurrent_ = false;
    bool hasFocus_ = false;
    QMetaObject::Connection focusConnection_;
};

} // namespace platform::grid
