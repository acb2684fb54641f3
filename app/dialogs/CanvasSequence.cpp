#include "app/dialogs/CanvasSequence.h"

#include "app/core/ApplicationGlobals.h"
#include "app/core/EditState.h"
#include "app/core/MainWindowLink.h"
#include "app/diagram/HistorySnapshots.h"
#include "app/core/Processing.h"
#include "app/core/CanvasSurface.h"
#include "app/diagram/PadDraw.h"
#include "platform/grid/Grid.h"

#include <QAbstractItemView>
#include <QGridLayout>
#include <QKeyEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>

namespace vellumora {

CanvasSequence::CanvasSequence(QWidget* parent) : TrayDialog(parent)
{
    setObjectName(QStringLiteral("CanvasSequence"));
    lblCaption = new QLabel(QStringLiteral("順序(&S)"), this);
    sprCaption = new platform::grid::Grid(this);
    sprCaption->setObjectName(QStringLiteral("sprCaption"));
    sprCaption->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sprCaption->model().SetMaxCols(2);
    sprCaption->model().SetColumnHidden(2, true);
    sprCaption->SetReDraw(true);
    // The captions take the grid's whole width rather than a column's default one.
    sprCaption->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    sprCaption->installEventFilter(this);
    lblCaption->setBuddy(sprCaption);
    cmdUp = new QPushButton(QStringLiteral("▲\n(&U)"), this);
    cmdUp->setObjectName(QStringLiteral("cmdUp"));
    cmdUp->setAutoDefault(false);
    cmdDown = new QPushButton(QStringLiteral("▼\n(&D)"), this);
    cmdDown->setObjectName(QStringLiteral("cmdDown"));
    cmdDown->setAutoDefault(false);
    UpdateCancelButtonsMake();
    auto* layout = new QGridLayout(this);
    layout->addWidget(lblCaption, 0, 0);
    layout->addWidget(sprCaption, 1, 0, 3, 1);
    layout->addWidget(cmdUp, 1, 1);
    layout->addWidget(cmdDown, 2, 1);
    layout->addLayout(UpdateCancelBox(Qt::Vertical), 3, 1);
    connect(cmdUp, &QPushButton::clicked, this, [this] { EventBoundary([this] { cmdUp_Click(); }); });
    connect(cmdDown, &QPushButton::clicked, this, [this] { EventBoundary([this] { cmdDown_Click(); }); });
    connect(sprCaption, &platform::grid::Grid::Advance, this,
            [this](bool forward) { (forward ? cmdUp : cmdCancel)->setFocus(Qt::TabFocusReason); });
}

CanvasSequence::~CanvasSequence() = default;

void CanvasSequence::Form_Load()
{
    FormControlsClear(this, true);
    sprCaption->SetReDraw(false);
    platform::grid::GridModel& grid = sprCaption->model();
    grid.SetMaxRows(0);
    for (const std::int16_t c : CanvasSequenceList()) {
        // The list counts from 1: its first entry is a filler.
        if (c < 1)
            continue;
        QString caption = CanvasCaptionMake(c, QStringLiteral("\t"));
        const CanvasSurface* window = B[static_cast<std::size_t>(c)].form.data();
        if (!window || !window->Visible())
            caption += QStringLiteral(":非表示");
        grid.SetMaxRows(grid.MaxRows() + 1);
        grid.SetText(1, grid.MaxRows(), caption);
        grid.SetText(2, grid.MaxRows(), QString::number(c));
    }
    if (grid.MaxRows() > 0)
        sprCaption->SetActiveCell(1, 1);
    sprCaption->SetReDraw(true);
    setWindowTitle(MenuCaptionClean(TrayCaption));
    ModalWindowShow(windowTitle());
}

bool CanvasSequence::eventFilter(QObject* watched, QEvent* event)
{
    // Tab leaves the grid for the buttons instead of moving between its cells.
    if (watched == sprCaption && GridTabLeave(event, cmdUp, cmdCancel))
        return true;
    return TrayDialog::eventFilter(watched, event);
}

void CanvasSequence::rowMove(int step)
{
    ProcessingStart(this);
    sprCaption->SetReDraw(false);
    platform::grid::GridModel& grid = sprCaption->model();
    const int r = grid.ActiveRow();
    const int other = r + step;
    if (r >= 1 && other >= 1 && other <= grid.MaxRows()) {
        for (int col = 1; col <= 2; ++col) {
            const QString text = grid.Text(col, r);
            grid.SetText(col, r, grid.Text(col, other));
            grid.SetText(col, other, text);
        }
        // The moved canvas stays selected.
        sprCaption->SetActiveCell(1, other);
    }
    sprCaption->SetReDraw(true);
    ProcessingEnd(this, false, false);
    sprCaption->setFocus();
}

void CanvasSequence::cmdUp_Click()
{
    rowMove(-1);
}

void CanvasSequence::cmdDown_Click()
{
    rowMove(1);
}

void CanvasSequence::cmdUpdate_Click()
{
    cmdUpdate->setFocus();
    ProcessingStart(this);
    SetModifyFlag(true);
    // The step names no canvas: it keeps the canvas list with every display number.
    HistoryAdd(windowTitle(), 0);
    const platform::grid::GridModel& grid = sprCaption->model();
    for (int i = 1; i <= grid.MaxRows(); ++i) {
        const int c = grid.Text(2, i).toInt();
        if (c >= 1 && static_cast<std::size_t>(c) < B.size())
            B[static_cast<std::size_t>(c)].header.number = static_cast<std::int16_t>(i);
    }
    Confirm();
}

void CanvasSequence::Form_Unload()
{
    TrayDialog::Form_Unload();
    ProcessingEnd(this, false, false);
}

bool CanvasSequenceShow(const QString& caption)
{
    CanvasSequence dialog(MainWindow() ? MainWindow()->window() : nullptr);
    dialog.TrayCaption = caption;
    dialog.exec();
    return !dialog.TrayCancel;
}

} // namespace vellumora
