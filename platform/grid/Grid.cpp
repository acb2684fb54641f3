#include "platform/grid/Grid.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>

#include <algorithm>
#include <stdexcept>

namespace platform::grid {

namespace {

// A design colour (red + 256 x green + 65536 x blue) as a Qt colour.
QColor DesignColor(std::int32_t value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// GridModel

void GridModel::SetMaxCols(int count)
{
    count = std::max(count, 0);
    columns_.resize(static_cast<std::size_t>(count));
    for (auto& row : rows_)
        row.resize(static_cast<std::size_t>(count));
    notify(0, 0);
}

void GridModel::SetMaxRows(int count)
{
    count = std::max(count, 0);
    const std::size_t old = rows_.size();
    rows_.resize(static_cast<std::size_t>(count), std::vector<Cell>(columns_.size()));
    // A new drop-down cell shows its first entry.
    for (std::size_t r = old; r < rows_.size(); ++r)
        for (std::size_t c = 0; c < columns_.size(); ++c)
            if (columns_[c].type == CellType::DropDown)
                rows_[r][c].text = columns_[c].items.value(0);
    if (activeRow_ > count)
        activeRow_ = count;
    if (count > 0 && activeRow_ < 1)
        activeRow_ = 1;
    if (count > 0 && activeCol_ < 1 && MaxCols() > 0)
        activeCol_ = 1;
    if (count == 0)
        activeCol_ = activeRow_ = 0;
    notify(0, 0);
}

void GridModel::SetColumnType(int col, CellType type, const QStringList& items)
{
    if (col < 1 || col > MaxCols())
        throw std::out_of_range("GridModel::SetColumnType");
    columns_[static_cast<std::size_t>(col - 1)] = {type, items, columns_[static_cast<std::size_t>(col - 1)].hidden};
    notify(0, 0);
}

CellType GridModel::ColumnType(int col) const
{
    if (col < 1 || col > MaxCols())
        throw std::out_of_range("GridModel::ColumnType");
    return columns_[static_cast<std::size_t>(col - 1)].type;
}

const QStringList& GridModel::ColumnItems(int col) const
{
    if (col < 1 || col > MaxCols())
        throw std::out_of_range("GridModel::ColumnItems");
    return columns_[static_cast<std::size_t>(col - 1)].items;
}

void GridModel::SetColumnHidden(int col, bool hidden)
{
    if (col < 1 || col > MaxCols())
        throw std::out_of_range("GridModel::SetColumnHidden");
    columns_[static_cast<std::size_t>(col - 1)].hidden = hidden;
    notify(0, 0);
}

bool GridModel::ColumnHidden(int col) const
{
    if (col < 1 || col > MaxCols())
        throw std::out_of_range("GridModel::ColumnHidden");
    return columns_[static_cast<std::size_t>(col - 1)].hidden;
}

GridModel::Cell& GridModel::cell(int col, int row)
{
    if (col < 1 || col > MaxCols() || row < 1 || row > MaxRows())
        throw std::out_of_range("GridModel: cell outside the grid");
    return rows_[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(col - 1)];
}

const GridModel::Cell& GridModel::cell(int col, int row) const
{
    return const_cast<GridModel*>(this)->cell(col, row);
}

QString GridModel::Text(int col, int row) const
{
    return cell(col, row).text;
}

void GridModel::SetText(int col, int row, const QString& text)
{
    Cell& c = cell(col, row);
    c.text = text;
    if (ColumnType(col) == CellType::DropDown)
        c.curSel = static_cast<int>(ColumnItems(col).indexOf(text));
    notify(col, row);
}

int GridModel::ComboCurSel(int col, int row) const
{
    return cell(col, row).curSel;
}

void GridModel::SetComboCurSel(int col, int row, int index)
{
    Cell& c = cell(col, row);
    const QStringList& items = ColumnItems(col);
    c.curSel = index >= 0 && index < items.size() ? index : -1;
    c.text = items.value(c.curSel);
    notify(col, row);
}

std::int32_t GridModel::BackColor(int col, int row) const
{
    return cell(col, row).backColor;
}

void GridModel::SetBackColor(int col, int row, std::int32_t color)
{
    cell(col, row).backColor = color;
    notify(col, row);
}

void GridModel::ClearText()
{
    for (auto& row : rows_) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            const bool dropDown = columns_[c].type == CellType::DropDown;
            row[c].text = dropDown ? columns_[c].items.value(0) : QString();
            row[c].curSel = 0;
        }
    }
    notify(0, 0);
}

void GridModel::SetActiveCell(int col, int row)
{
    if (MaxRows() == 0 || MaxCols() == 0) {
        activeCol_ = activeRow_ = 0;
        return;
    }
    activeCol_ = std::clamp(col, 1, MaxCols());
    activeRow_ = std::clamp(row, 1, MaxRows());
}

bool GridModel::NextCell(bool forward, int& col, int& row) const
{
    const int step = forward ? 1 : -1;
    int c = col;
    int r = row;
    for (int guard = 0; guard <= MaxCols() + 1; ++guard) {
        c += step;
        if (c > MaxCols()) {
            c = 1;
            ++r;
        } else if (c < 1) {
            c = MaxCols();
            --r;
        }
        if (r < 1 || r > MaxRows())
            return false;
        if (!ColumnHidden(c)) {
            col = c;
            row = r;
            return true;
        }
    }
    return false;
}

void GridModel::notify(int col, int row) const
{
    if (changed_)
        changed_(col, row);
}

// ---------------------------------------------------------------------------------------------
// Grid

Grid::Grid(QWidget* parent) : QTableWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    model_.SetChangeHandler([this](int col, int row) {
        if (!redraw_)
            return;
        if (col == 0)
            showAll();
        else
            showCell(col, row);
    });
    connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        // Typing into a text cell: the model follows without echoing back.
        const int col = item->column() + 1;
        const int row = item->row() + 1;
        if (settingCurrent_ || col > model_.MaxCols() || row > model_.MaxRows())
            return;
        if (model_.ColumnType(col) == CellType::Text && model_.Text(col, row) != item->text()) {
            const bool was = redraw_;
            redraw_ = false;
            model_.SetText(col, row, item->text());
            redraw_ = was;
        }
    });
    connect(this, &QTableWidget::currentCellChanged, this, &Grid::currentChange);
    focusConnection_ = connect(qApp, &QApplication::focusChanged, this, &Grid::focusChange);
}

Grid::~Grid()
{
    disconnect(focusConnection_);
}

void Grid::SetReDraw(bool on)
{
    redraw_ = on;
    if (on)
        showAll();
}

void Grid::SetColumnHeaders(const QStringList& captions)
{
    setHorizontalHeaderLabels(captions);
}

QWidget* Grid::CellWidget(int col, int row) const
{
    return cellWidget(row - 1, col - 1);
}

void Grid::showAll()
{
    settingCurrent_ = true;
    setColumnCount(model_.MaxCols());
    setRowCount(model_.MaxRows());
    for (int c = 1; c <= model_.MaxCols(); ++c)
        setColumnHidden(c - 1, model_.ColumnHidden(c));
    settingCurrent_ = false;
    for (int r = 1; r <= model_.MaxRows(); ++r)
        for (int c = 1; c <= model_.MaxCols(); ++c)
            showCell(c, r);
    if (model_.ActiveRow() >= 1) {
        settingCurrent_ = true;
        setCurrentCell(model_.ActiveRow() - 1, model_.ActiveCol() - 1);
        settingCurrent_ = false;
    }
    viewport()->update();
}

void Grid::showCell(int col, int row)
{
    if (row < 1 || row > rowCount() || col < 1 || col > columnCount()) {
        showAll();
        return;
    }
    settingCurrent_ = true;
    const std::int32_t back = model_.BackColor(col, row);
    switch (model_.ColumnType(col)) {
    case CellType::Text: {
        QTableWidgetItem* it = item(row - 1, col - 1);
        if (!it) {
            it = new QTableWidgetItem;
            setItem(row - 1, col - 1, it);
        }
        it->setText(model_.Text(col, row));
        if (back >= 0)
            it->setBackground(DesignColor(back));
        break;
    }
    case CellType::Button: {
        auto* button = qobject_cast<QPushButton*>(cellWidget(row - 1, col - 1));
        if (!button) {
            button = new QPushButton;
            button->installEventFilter(this);
            connect(button, &QPushButton::clicked, this, [this, button] {
                const QModelIndex at = indexAt(button->pos());
                if (at.isValid())
                    emit ButtonClicked(at.column() + 1, at.row() + 1);
            });
            setCellWidget(row - 1, col - 1, button);
        }
        button->setText(model_.ColumnItems(col).value(0));
        if (back >= 0) {
            QPalette palette = button->palette();
            palette.setColor(QPalette::Button, DesignColor(back));
            button->setPalette(palette);
        }
        break;
    }
    case CellType::DropDown: {
        auto* combo = qobject_cast<QComboBox*>(cellWidget(row - 1, col - 1));
        if (!combo) {
            combo = new QComboBox;
            combo->addItems(model_.ColumnItems(col));
            combo->installEventFilter(this);
            connect(combo, &QComboBox::activated, this, [this, combo](int index) {
                const QModelIndex at = indexAt(combo->pos());
                if (!at.isValid())
                    return;
                const int c = at.column() + 1;
                const int r = at.row() + 1;
                const bool was = redraw_;
                redraw_ = false;
                model_.SetComboCurSel(c, r, index);
                redraw_ = was;
                emit ComboSelChange(c, r);
            });
            setCellWidget(row - 1, col - 1, combo);
        }
        const QSignalBlocker block(combo);
        combo->setCurrentIndex(model_.ComboCurSel(col, row));
        break;
    }
    }
    settingCurrent_ = false;
}

void Grid::SetActiveCell(int col, int row)
{
    model_.SetActiveCell(col, row);
    if (model_.ActiveRow() < 1)
        return;
    settingCurrent_ = true;
    setCurrentCell(model_.ActiveRow() - 1, model_.ActiveCol() - 1);
    settingCurrent_ = false;
    if (hasFocus_) {
        if (QWidget* w = CellWidget(model_.ActiveCol(), model_.ActiveRow()))
            w->setFocus(Qt::TabFocusReason);
        else
            setFocus(Qt::TabFocusReason);
    }
}

void Grid::KeyboardMove(bool forward)
{
    int col = model_.ActiveCol();
    int row = model_.ActiveRow();
    const int oldCol = col;
    const int oldRow = row;
    if (!model_.NextCell(forward, col, row)) {
        emit Advance(forward);
        return;
    }
    emit LeaveCell(oldCol, oldRow, col, row);
    // The handler may have chosen another cell or moved the focus away: that stands.
    if (model_.ActiveCol() != oldCol || model_.ActiveRow() != oldRow || !hasFocus_)
        return;
    SetActiveCell(col, row);
}

void Grid::currentChange(int row, int col, int oldRow, int oldCol)
{
    if (settingCurrent_ || row < 0 || col < 0)
        return;
    const int fromCol = model_.ActiveCol();
    const int fromRow = model_.ActiveRow();
    model_.SetActiveCell(col + 1, row + 1);
    if (fromCol != col + 1 || fromRow != row + 1)
        emit LeaveCell(fromCol, fromRow, col + 1, row + 1);
}

bool Grid::contains(const QWidget* widget) const
{
    // A drop-down list is a window of its own whose parent is its combo box: the walk crosses
    // window borders so that opening a list does not count as leaving the grid.
    for (const QWidget* w = widget; w; w = w->parentWidget())
        if (w == this)
            return true;
    return false;
}

void Grid::focusChange(QWidget* old, QWidget* now)
{
    if (!now)
        return;
    const bool inside = contains(now);
    if (inside && !hasFocus_) {
        hasFocus_ = true;
        emit GotFocus();
    } else if (!inside && hasFocus_) {
        hasFocus_ = false;
        emit LostFocus();
    }
    // A cell widget that takes the focus by the mouse makes its cell active.
    if (inside && now != this && now->parentWidget() == viewport()) {
        const QModelIndex at = indexAt(now->pos());
        if (at.isValid() && (at.row() + 1 != model_.ActiveRow() || at.column() + 1 != model_.ActiveCol()))
            currentChange(at.row(), at.column(), -1, -1);
    }
}

bool Grid::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            KeyboardMove(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
            return true;
        }
    }
    return QTableWidget::eventFilter(watched, event);
}

bool Grid::event(QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            KeyboardMove(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
            return true;
        }
    }
    return QTableWidget::event(event);
}

} // namespace platform::grid
