#include "app/dialogs/BoxEditor.h"

#include "app/dialogs/ZoomScreen.h"

#include "app/diagram/FileInterface.h"
#include "app/diagram/FontAndColor.h"
#include "app/diagram/PadDraw.h"
#include "app/diagram/TagTable.h"
#include "app/core/AddOnHooks.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/BoxEditorLink.h"
#include "app/core/CanvasSurface.h"
#include "app/core/DebugLog.h"
#include "app/core/EditState.h"
#include "app/core/MainMenuLink.h"
#include "app/core/MainWindowLink.h"
#include "app/core/ModuleLinks.h"
#include "app/core/Processing.h"
#include "app/core/Utilities.h"
#include "platform/grid/Grid.h"
#include "platform/vbrt/Value.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace vellumora {

namespace {

using platform::grid::CellType;
using platform::grid::GridModel;

const QString StandardName = QStringLiteral("標準");
const QString CrLf = QStringLiteral("\r\n");
const QString OperationKeep = QStringLiteral("更新");

// Tags of the nine frame buttons: the free-style attribute each one cycles.
const char* const kFreeStyleTags[9] = {"LeftUpperCorner", "LeftLowerCorner", "RightUpperCorner",
                                       "RightLowerCorner", "LeftLine",        "RightLine",
                                       "UpperLine",        "LowerLine",       "Overlap"};

// Colour values of the design for the buttons of the frame panel: the system colours of a button's
// shadow (an attribute that is on) and of its face.
std::int32_t SystemColor(QPalette::ColorRole role)
{
    const QColor c = QApplication::palette().color(role);
    return c.red() + 256 * c.green() + 65536 * c.blue();
}

QColor DesignColor(std::int32_t value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

void BackColorSet(QWidget* widget, std::int32_t color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Button, DesignColor(color));
    palette.setColor(QPalette::Window, DesignColor(color));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

std::int32_t WindowBackColor(const QWidget* widget)
{
    const QColor c = widget->palette().color(QPalette::Window);
    return c.red() + 256 * c.green() + 65536 * c.blue();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The case grid's rules

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

// ---------------------------------------------------------------------------------------------
// The free-style preview

FreeStylePreview::FreeStylePreview(QWidget* parent) : QWidget(parent)
{
    setFixedSize(96, 96);
    // Corners at 16 and 80; the side lines run between them, their end segments reach 8 past.
    constexpr int lo = 16, hi = 80, out = 8;
    struct Corner {
        const char* name;
        int x, y, dx, dy;
    };
    const Corner corners[4] = {{"LeftUpper", lo, lo, 1, 1},
                               {"LeftLower", lo, hi, 1, -1},
                               {"RightUpper", hi, lo, -1, 1},
                               {"RightLower", hi, hi, -1, -1}};
    for (int k = 0; k < 4; ++k) {
        const Corner& c = corners[k];
        const QString base = QString::fromLatin1(c.name);
        const QString tag = base + QStringLiteral("Corner");
        elements[QStringLiteral("shpFree") + base + QStringLiteral("Off")] = {tag + QStringLiteral("Off"), false, true, 0, k, QLine(c.x - 3, c.y - 3, c.x + 3, c.y + 3)};
        elements[QStringLiteral("linFree") + base + QStringLiteral("Cut")] = {tag + QStringLiteral("Cut"), false, false, 0, k, QLine(c.x, c.y + 8 * c.dy, c.x + 8 * c.dx, c.y)};
        elements[QStringLiteral("shpFree") + base + QStringLiteral("Curve")] = {tag + QStringLiteral("Curve"), false, true, 1, k, QLine(c.x, c.y, c.x + 8 * c.dx, c.y + 8 * c.dy)};
    }
    auto side = [&](const char* name, const QString& tag, QLine line) {
        elements[QString::fromLatin1(name)] = {tag, false, false, 0, 0, line};
    };
    side("linFreeLeftUpperVertical", QStringLiteral("LeftLineOn"), QLine(lo, lo - out, lo, lo + 8));
    side("linFreeLeftVertical", QStringLiteral("LeftLineOn"), QLine(lo, lo + 8, lo, hi - 8));
    side("linFreeLeftLowerVertical", QStringLiteral("LeftLineOn"), QLine(lo, hi - 8, lo, hi + out));
    side("linFreeRightUpperVertical", QStringLiteral("RightLineOn"), QLine(hi, lo - out, hi, lo + 8));
    side("linFreeRightVertical", QStringLiteral("RightLineOn"), QLine(hi, lo + 8, hi, hi - 8));
    side("linFreeRightLowerVertical", QStringLiteral("RightLineOn"), QLine(hi, hi - 8, hi, hi + out));
    side("linFreeUpperLeftHorizontal", QStringLiteral("UpperLineOn"), QLine(lo - out, lo, lo + 8, lo));
    side("linFreeUpperHorizontal", QStringLiteral("UpperLineOn"), QLine(lo + 8, lo, hi - 8, lo));
    side("linFreeUpperRightHorizontal", QStringLiteral("UpperLineOn"), QLine(hi - 8, lo, hi + out, lo));
    side("linFreeLowerLeftHorizontal", QStringLiteral("LowerLineOn"), QLine(lo - out, hi, lo + 8, hi));
    side("linFreeLowerHorizontal", QStringLiteral("LowerLineOn"), QLine(lo + 8, hi, hi - 8, hi));
    side("linFreeLowerRightHorizontal", QStringLiteral("LowerLineOn"), QLine(hi - 8, hi, hi + out, hi));
    side("linFreeLeft", QString(), QLine(2, 2, 2, 93));
    side("linFreeRight", QString(), QLine(93, 2, 93, 93));
    side("linFreeUpper", QString(), QLine(2, 2, 93, 2));
    side("linFreeLower", QString(), QLine(2, 93, 93, 93));
    Reset();
}

void FreeStylePreview::Reset()
{
    for (auto& [name, element] : elements)
        element.visible = element.tag.isEmpty() || element.tag.endsWith(QLatin1String("CornerOff"));
    update();
}

void FreeStylePreview::SetVisible(const QString& name, bool visible)
{
    auto it = elements.find(name);
    if (it != elements.end() && it->second.visible != visible) {
        it->second.visible = visible;
        update();
    }
}

bool FreeStylePreview::IsVisible(const QString& name) const
{
    auto it = elements.find(name);
    return it != elements.end() && it->second.visible;
}

void FreeStylePreview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    for (const auto& [name, element] : elements) {
        if (!element.visible)
            continue;
        painter.setPen(element.tag.isEmpty() ? Qt::gray : Qt::black);
        if (!element.shape) {
            painter.drawLine(element.line);
        } else if (element.kind == 0) {
            painter.drawRect(QRect(element.line.p1(), element.line.p2()));
        } else {
            const QLine& l = element.line;
            const QRect box(std::min(l.x1(), l.x2()) - 8, std::min(l.y1(), l.y2()) - 8, 16, 16);
            painter.drawArc(box, 0, 360 * 16);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// The window

const std::array<std::array<const char*, 2>, 4> BoxEditor::FreeSegmentNames = {{
    {"linFreeLeftUpperVertical", "linFreeUpperLeftHorizontal"},
    {"linFreeLeftLowerVertical", "linFreeLowerLeftHorizontal"},
    {"linFreeRightUpperVertical", "linFreeUpperRightHorizontal"},
    {"linFreeRightLowerVertical", "linFreeLowerRightHorizontal"},
}};

BoxEditor::BoxEditor(QWidget* parent) : QWidget(parent)
{
    FormTagSet(this, QStringLiteral("EM"));
    setWindowTitle(QStringLiteral("Box編集"));
    createControls();
    createMenus();
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

BoxEditor::~BoxEditor()
{
    if (unloaded_)
        return;
    // Destroyed without being unloaded (its box was freed): the session still ends, once.
    unloaded_ = true;
    setProperty("unloading", true);
    if (!editFinished_) {
        editFinished_ = true;
        try {
            SessionReturn(true);
        } catch (...) {
            // The window is going whatever happens; work files left over go at shutdown.
        }
    }
}

QWidget* BoxEditor::frame() const
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        return sub;
    return const_cast<BoxEditor*>(this);
}

QString BoxEditor::Caption() const
{
    return windowTitle();
}

void BoxEditor::createControls()
{
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(4, 4, 4, 4);
    menuBar = new QMenuBar(this);
    root->setMenuBar(menuBar);

    auto* grid = new QGridLayout;
    root->addLayout(grid);
    int r = 0;
    lblBoxType = new QLabel(QStringLiteral("BOX(&X)"));
    cmbBoxType = new QComboBox;
    lblBoxType->setBuddy(cmbBoxType);
    grid->addWidget(lblBoxType, r, 0);
    grid->addWidget(cmbBoxType, r, 1, 1, 3);
    ++r;
    lblFont = new QLabel(QStringLiteral("ﾌｫﾝﾄ(&F)"));
    cmbFontName = new QComboBox;
    lblFont->setBuddy(cmbFontName);
    lblSize = new QLabel(QStringLiteral("ｻｲｽﾞ(&S)"));
    cmbFontSize = new QComboBox;
    lblSize->setBuddy(cmbFontSize);
    grid->addWidget(lblFont, r, 0);
    grid->addWidget(cmbFontName, r, 1);
    grid->addWidget(lblSize, r, 2);
    grid->addWidget(cmbFontSize, r, 3);
    ++r;
    auto* styles = new QHBoxLayout;
    chkFontBold = new QCheckBox(QStringLiteral("太字(&B)"));
    chkFontItalic = new QCheckBox(QStringLiteral("斜体(&I)"));
    chkFontStrikethru = new QCheckBox(QStringLiteral("取消線(&R)"));
    chkFontUnderLine = new QCheckBox(QStringLiteral("下線(&U)"));
    for (QCheckBox* check : {chkFontBold, chkFontItalic, chkFontStrikethru, chkFontUnderLine})
        styles->addWidget(check);
    grid->addLayout(styles, r, 1, 1, 3);
    ++r;
    lblColor = new QLabel(QStringLiteral("文字色(&C)"));
    cmbColor = new QComboBox;
    lblColor->setBuddy(cmbColor);
    grid->addWidget(lblColor, r, 0);
    grid->addWidget(cmbColor, r, 1);
    ++r;
    lblText = new QLabel(QStringLiteral("ﾃｷｽﾄ(&T)"));
    txtText = new QPlainTextEdit;
    txtText->setTabChangesFocus(true);
    lblText->setBuddy(txtText);
    cmdZoom = new QPushButton(QStringLiteral("ｽﾞｰﾑ\n(&Z)"));
    grid->addWidget(lblText, r, 0);
    grid->addWidget(txtText, r, 1, 1, 2);
    grid->addWidget(cmdZoom, r, 3);
    ++r;

    auto* panels = new QHBoxLayout;
    root->addLayout(panels);
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
    auto* caseHead = new QHBoxLayout;
    caseHead->addWidget(lblCase);
    caseHead->addWidget(cmdInsert);
    casePanel->addLayout(caseHead);
    casePanel->addWidget(sprCase);
    panels->addLayout(casePanel, 1);

    auto* side = new QVBoxLayout;
    frmLoop = new QGroupBox;
    auto* loop = new QHBoxLayout(frmLoop);
    lblLoop = new QLabel(QStringLiteral("ﾙｰﾌﾟ(&O)"));
    optLoop[0] = new QRadioButton(QStringLiteral("前"));
    optLoop[1] = new QRadioButton(QStringLiteral("後"));
    lblLoop->setBuddy(optLoop[0]);
    loop->addWidget(lblLoop);
    for (QRadioButton* option : optLoop) {
        // Both options may be clear (a box that is no loop): exclusivity is kept by hand.
        option->setAutoExclusive(false);
        loop->addWidget(option);
    }
    side->addWidget(frmLoop);

    frmFree = new QGroupBox;
    auto* free = new QGridLayout(frmFree);
    lblFree = new QLabel(QStringLiteral("ﾌﾘｰ(&O)"));
    free->addWidget(lblFree, 0, 0, 1, 3);
    preview = new FreeStylePreview;
    // Buttons around the preview: corners at the corners, lines at the sides, overlap below.
    const int places[9][2] = {{1, 0}, {3, 0}, {1, 2}, {3, 2}, {2, 0}, {2, 2}, {1, 1}, {3, 1}, {4, 1}};
    for (int i = 0; i < 9; ++i) {
        auto* button = new QPushButton;
        button->setProperty("Tag", QString::fromLatin1(kFreeStyleTags[i]));
        button->setFixedHeight(20);
        cmdFreeStyle[static_cast<std::size_t>(i)] = button;
        free->addWidget(button, places[i][0], places[i][1]);
    }
    lblFree->setBuddy(cmdFreeStyle[0]);
    free->addWidget(preview, 2, 1);
    side->addWidget(frmFree);
    panels->addLayout(side);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    cmdUpdate = new QPushButton(QStringLiteral("更新"));
    cmdCancel = new QPushButton(QStringLiteral("取消"));
    buttons->addWidget(cmdUpdate);
    buttons->addWidget(cmdCancel);
    root->addLayout(buttons);

    // The keyboard path: the grid stands between cmdInsert and the panels after it.
    QWidget* order[] = {cmbBoxType, cmbFontName,  cmbFontSize, chkFontBold, chkFontItalic, chkFontStrikethru,
                        chkFontUnderLine, cmbColor, txtText,     cmdZoom,     cmdInsert,     sprCase,
                        optLoop[0],       optLoop[1]};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    QWidget* last = optLoop[1];
    for (QPushButton* button : cmdFreeStyle) {
        setTabOrder(last, button);
        last = button;
    }
    setTabOrder(last, cmdUpdate);
    setTabOrder(cmdUpdate, cmdCancel);

    connect(cmbBoxType, &QComboBox::activated, this, [this] { cmbBoxType_Click(); });
    connect(cmbFontName, &QComboBox::activated, this, [this] { cmbFontName_Click(); });
    connect(cmbFontSize, &QComboBox::activated, this, [this] { cmbFontSize_Click(); });
    connect(cmbColor, &QComboBox::activated, this, [this] { cmbColor_Click(); });
    for (QCheckBox* check : {chkFontBold, chkFontItalic, chkFontStrikethru, chkFontUnderLine})
        connect(check, &QCheckBox::toggled, this, [this] { chkFont_Click(); });
    for (std::size_t i = 0; i < optLoop.size(); ++i) {
        connect(optLoop[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                optLoop[1 - i]->setChecked(false);
        });
        // A loop tests either before or after its body: choosing the set option again keeps it.
        connect(optLoop[i], &QRadioButton::clicked, this, [this, i](bool on) {
            if (!on)
                optLoop[i]->setChecked(true);
        });
    }
    connect(cmdZoom, &QPushButton::clicked, this, [this] { cmdZoom_Click(); });
    connect(cmdUpdate, &QPushButton::clicked, this, [this] { cmdUpdate_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(cmdInsert, &QPushButton::clicked, this, [this] { cmdInsert_Click(); });
    for (std::size_t i = 0; i < cmdFreeStyle.size(); ++i)
        connect(cmdFreeStyle[i], &QPushButton::clicked, this, [this, i] { cmdFreeStyle_Click(static_cast<int>(i)); });
    connect(sprCase, &platform::grid::Grid::ButtonClicked, this, &BoxEditor::sprCase_ButtonClicked);
    connect(sprCase, &platform::grid::Grid::ComboSelChange, this, &BoxEditor::sprCase_ComboSelChange);
    connect(sprCase, &platform::grid::Grid::GotFocus, this, &BoxEditor::sprCase_GotFocus);
    connect(sprCase, &platform::grid::Grid::LostFocus, this, &BoxEditor::sprCase_LostFocus);
    connect(sprCase, &platform::grid::Grid::LeaveCell, this, &BoxEditor::sprCase_LeaveCell);
    connect(sprCase, &platform::grid::Grid::Advance, this, &BoxEditor::sprCase_Advance);
}

void BoxEditor::createMenus()
{
    // An item runs the main window's handler of its own name.
    auto forward = [](QMenu* menu, const QString& caption, const QString& handler, int index = -1,
                      const QString& key = {}) {
        QAction* action = menu->addAction(key.isEmpty() ? caption : caption + QLatin1Char('\t') + key);
        QObject::connect(action, &QAction::triggered, menu, [handler, index] {
            if (MainMenuLink* main = MainMenu())
                main->MenuRun(handler, index);
        });
        return action;
    };
    auto own = [this](QMenu* menu, const QString& caption, const std::function<void()>& run, const QString& key = {}) {
        QAction* action = menu->addAction(key.isEmpty() ? caption : caption + QLatin1Char('\t') + key);
        connect(action, &QAction::triggered, this, run);
        return action;
    };
    auto hiddenArray = [&](QMenu* menu, auto& items, const QString& handler, const QString& firstKey = {}) {
        for (std::size_t i = 0; i < items.size(); ++i) {
            items[i] = forward(menu, QString(), handler, static_cast<int>(i), i == 0 ? firstKey : QString());
            items[i]->setVisible(false);
        }
    };
    // The main window's shortcuts run the same handlers: the keys are only shown here.
    Menu_File = menuBar->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    connect(Menu_File, &QMenu::aboutToShow, this, &BoxEditor::Menu_File_Click);
    Menu_FileNewFile = Menu_File->addMenu(QStringLiteral("新規追加(&N)"));
    hiddenArray(Menu_FileNewFile, Menu_FileNewFileObstinate, QStringLiteral("Menu_FileNewFileObstinate_Click"));
    Menu_FileOpen = forward(Menu_File, QStringLiteral("ﾌｧｲﾙを開く(&O)"), QStringLiteral("Menu_FileOpen_Click"), -1,
                            QStringLiteral("Ctrl+O"));
    Menu_FileSaveOverWrite = forward(Menu_File, QStringLiteral("上書き保存(&S)"),
                                     QStringLiteral("Menu_FileSaveOverWrite_Click"), -1, QStringLiteral("Ctrl+S"));
    Menu_FileSaveNamed = forward(Menu_File, QStringLiteral("名前を付けて保存(&A)"), QStringLiteral("Menu_FileSaveNamed_Click"));
    Menu_FileAddInput = forward(Menu_File, QStringLiteral("読込み(&I)"), QStringLiteral("Menu_FileAddInput_Click"));
    hiddenArray(Menu_File, Menu_FileAddOn, QStringLiteral("Menu_FileAddOn_Click"));
    Menu_FileRefresh = forward(Menu_File, QStringLiteral("再表示(&R)"), QStringLiteral("Menu_FileRefresh_Click"));
    Menu_FilePrintSetting = forward(Menu_File, QStringLiteral("印刷設定(&U)"), QStringLiteral("Menu_FilePrintSetting_Click"));
    Menu_FilePrint = forward(Menu_File, QStringLiteral("印刷(&P)"), QStringLiteral("Menu_FilePrint_Click"), -1,
                             QStringLiteral("Ctrl+P"));
    Menu_FileClose = forward(Menu_File, ExitMenuCaption(), QStringLiteral("Menu_FileClose_Click"));

    Menu_Edit = menuBar->addMenu(QStringLiteral("編集(&E)"));
    connect(Menu_Edit, &QMenu::aboutToShow, this, [] { CanvasTimersStop(); });
    forward(Menu_Edit, QStringLiteral("検索(&F)"), QStringLiteral("Menu_EditSearch_Click"), -1, QStringLiteral("Ctrl+F"));
    forward(Menu_Edit, QStringLiteral("次を検索"), QStringLiteral("Menu_EditSearchNext_Click"), -1, QStringLiteral("F3"));
    forward(Menu_Edit, QStringLiteral("置換(&E)"), QStringLiteral("Menu_EditReplace_Click"), -1, QStringLiteral("Ctrl+H"));

    Menu_Show = menuBar->addMenu(QStringLiteral("表示(&V)"));
    connect(Menu_Show, &QMenu::aboutToShow, this, [] { CanvasTimersStop(); });
    Menu_ShowMinimized = own(Menu_Show, QStringLiteral("最小化(&N)"), [this] { frame()->showMinimized(); });
    Menu_ShowBoxClose = own(Menu_Show, QStringLiteral("Box編集を閉じる(&C)"), [this] { Unload(); }, QStringLiteral("Ctrl+F4"));
    Menu_ShowReFresh = own(Menu_Show, QStringLiteral("ﾘﾌﾚｯｼｭ(&F)"), [this] { frame()->showNormal(); });
    Menu_Show->addSeparator();
    auto checkedForward = [&](const QString& caption, const QString& item) {
        QAction* action = Menu_Show->addAction(caption);
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [action, item] {
            if (MainMenuLink* main = MainMenu()) {
                main->MenuRun(item + QStringLiteral("_Click"), -1);
                action->setChecked(main->MenuChecked(item));
            }
        });
        return action;
    };
    Menu_ShowToolBar = checkedForward(QStringLiteral("ﾂｰﾙﾊﾞｰ表示(&T)"), QStringLiteral("Menu_ShowToolBar"));
    Menu_ShowStatusBar = checkedForward(QStringLiteral("ｽﾃｰﾀｽﾊﾞｰ表示(&S)"), QStringLiteral("Menu_ShowStatusBar"));

    Menu_Tool = menuBar->addMenu(QStringLiteral("ﾂｰﾙ(&T)"));
    Menu_Tool->menuAction()->setVisible(false);
    hiddenArray(Menu_Tool, Menu_ToolAddOn, QStringLiteral("Menu_ToolAddOn_Click"));

    Menu_Window = menuBar->addMenu(QStringLiteral("ｳｲﾝﾄﾞｳ(&W)"));
    connect(Menu_Window, &QMenu::aboutToShow, this, [this] {
        CanvasTimersStop();
        WindowMenuFill();
    });

    Menu_Help = menuBar->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    hiddenArray(Menu_Help, Menu_HelpAdd, QStringLiteral("Menu_HelpAdd_Click"), QStringLiteral("F1"));
    Menu_Help->addSeparator();
    forward(Menu_Help, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)"), QStringLiteral("Menu_HelpVersion_Click"));
    WindowMenuFill();
}

void BoxEditor::WindowMenuFill()
{
    Menu_Window->clear();
    const std::pair<const char*, int> arrangements[] = {
        {"上下に並べて表示(&V)", 1}, {"左右に並べて表示(&H)", 2}, {"重ねて表示(&C)", 0}, {"ｱｲｺﾝの整列(&A)", 3}};
    for (const auto& [caption, arrangement] : arrangements) {
        QAction* action = Menu_Window->addAction(QString::fromUtf8(caption));
        connect(action, &QAction::triggered, this, [this, arrangement = arrangement] {
            Command([arrangement] {
                if (MainMenuLink* main = MainMenu())
                    main->FormArrange(arrangement);
            });
        });
    }
    WindowListFill(Menu_Window, this);
}

void BoxEditor::Command(const std::function<void()>& work)
{
    RunCommand(this, work);
}

void BoxEditor::Show()
{
    // A box editor lives in the main window's workspace when there is one.
    if (parentWidget() == nullptr && MainWindow()) {
        if (QMdiSubWindow* sub = MainWindow()->placeInWorkspace(this); sub && sub->mdiArea()) {
            connect(sub->mdiArea(), &QMdiArea::subWindowActivated, this, [this, sub](QMdiSubWindow* active) {
                if (active == sub && !unloaded_ && !firstActivate_)
                    EventBoundary([this] { Form_Activate(); });
            });
        }
    }
    Form_Load();
    frame()->resize(frame() == this ? size() : frame()->sizeHint().expandedTo(size()));
    show();
    frame()->show();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(frame()); sub && sub->mdiArea()) {
        // Wholly inside the work area where it fits, so that Update and Cancel can be reached: no
        // larger than the area while its controls still fit, and a larger window keeps its top
        // left corner in view.
        const QRect area = sub->mdiArea()->viewport()->rect();
        sub->resize(sub->size().boundedTo(area.size()).expandedTo(sub->minimumSizeHint()));
        QRect placed = sub->geometry();
        placed.moveLeft(std::max(0, std::min(placed.left(), area.width() - placed.width())));
        placed.moveTop(std::max(0, std::min(placed.top(), area.height() - placed.height())));
        sub->move(placed.topLeft());
        // A new editor is the window the user works in next, in front of the canvas it came from.
        sub->mdiArea()->setActiveSubWindow(sub);
    }
    Form_Activate();
}

void BoxEditor::Form_Load()
{
    firstActivate_ = true;
    editFinished_ = false;
    FormControlsClear(this, true);
    selectedKindRow_ = TagTableRecord::Default;
    initialKindRow_ = TagTableRecord::Default;
    styleValues_.assign(PR.StyleAttributeTable.size(), 0);
    preview->Reset();

    editRecords_.clear();
    PadFileOpen(TrayPutFileName);
    try {
        for (;;) {
            PadInfoRecord record = GetPadInfo();
            if (record.tagId == 0) {
                if (editRecords_.empty())
                    editRecords_.push_back(record);
                break;
            }
            editRecords_.push_back(std::move(record));
        }
    } catch (...) {
        PadFileClose();
        throw;
    }
    PadFileClose();

    // 7560 by 6720 twips.
    resize(7560 / platform::vbrt::TwipsPerPixel, 6720 / platform::vbrt::TwipsPerPixel);
    QString caption = QStringLiteral("Box編集");
    if (TrayEditMode != BoxEditMode::Modify)
        caption += QStringLiteral("(追加)");
    setWindowTitle(caption);
}

void BoxEditor::PanelsEnable()
{
    for (QWidget* w : std::initializer_list<QWidget*>{cmdInsert, sprCase, lblCase, frmFree, lblFree, frmLoop, lblLoop})
        w->setEnabled(false);
    for (QWidget* w : std::initializer_list<QWidget*>{lblText, txtText, cmdZoom})
        w->setEnabled(true);
}

void BoxEditor::BoxTypeModeSet()
{
    std::int16_t chain = 0;
    std::int16_t self = 0;
    if (TrayBaseIndex >= 0 && static_cast<std::size_t>(TrayBaseIndex) < B.size()) {
        const CanvasRecord& c = B[static_cast<std::size_t>(TrayBaseIndex)];
        std::size_t steps = 0;
        for (std::int16_t n = c.header.firstBox;
             n >= 0 && static_cast<std::size_t>(n) < c.BoxList.size() && steps <= c.BoxList.size(); ++steps) {
            const BoxRecord& box = c.BoxList[static_cast<std::size_t>(n)];
            if (box.tagAttr & TagAttribute::BlockTag) {
                ++chain;
                if (n == TrayBoxSubIndex)
                    ++self;
            }
            n = box.after;
        }
    }
    switch (TrayEditMode) {
    case BoxEditMode::Modify: boxTypeMode_ = self > 0 && chain == 1 ? 1 : 2; break;
    case BoxEditMode::Before: boxTypeMode_ = chain == 0 ? 1 : 2; break;
    case BoxEditMode::After: boxTypeMode_ = 2; break;
    case BoxEditMode::Upper: boxTypeMode_ = 3; break;
    case BoxEditMode::Lower: boxTypeMode_ = 2; break;
    default: boxTypeMode_ = 0; break;
    }
}

bool BoxEditor::BoxTypeAllowed(std::int32_t tagId) const
{
    const TagTableRecord row = TagTableGet(tagId);
    const std::int32_t kinds =
        TrayBaseIndex >= 0 && static_cast<std::size_t>(TrayBaseIndex) < B.size()
            ? B[static_cast<std::size_t>(TrayBaseIndex)].header.kindFlags
            : 0;
    return (row.flags & kinds & TagAttribute::ObstinateMask) != 0 && !row.boxName.isEmpty()
           && (boxTypeMode_ == 1 || (boxTypeMode_ == 2 && row.id != TagId::Routine)
               || (boxTypeMode_ == 3 && (row.flags & TagAttribute::SubLevel)));
}

void BoxEditor::Form_Activate()
{
    if (unloaded_)
        return;
    if (firstActivate_) {
        firstActivate_ = false;
        PanelsEnable();
        const PadInfoRecord& record = editRecords_.front();

        BoxTypeModeSet();
        int selected = -1;
        {
            const QSignalBlocker block(cmbBoxType);
            cmbBoxType->clear();
            for (const TagTableRecord& row : PR.TagTable) {
                if (!BoxTypeAllowed(row.id))
                    continue;
                cmbBoxType->addItem(row.boxName, row.id);
                if (row.id == record.tagId)
                    selected = cmbBoxType->count() - 1;
            }
            if (selected < 0 && cmbBoxType->count() > 0)
                selected = 0;
            cmbBoxType->setCurrentIndex(selected);
        }
        if (selected >= 0)
            cmbBoxType_Click();
        // The sub levels the box had decide the warning at Update, also when its own kind is no
        // longer offered: a kind chosen in its place must not drop the body below unasked.
        initialKindRow_ = TagTableGet(record.tagId);

        const FontCode code = FontModifyChech(StringDefault(record.font, StandardName));
        FontNameComboSet(cmbFontName, true, FontNameIndex(code) == 0 ? QString() : FontNameText(FontNameIndex(code)));
        FontSizeComboSet(cmbFontSize, true,
                         FontSizeIndex(code) == 0 ? QString() : FontSizeText(FontSizeValue(FontSizeIndex(code))));
        ColorComboSet(cmbColor, true, record.color);
        cmbFontName_Click();
        cmbFontSize_Click();
        cmbColor_Click();
        chkFontBold->setChecked(FontBoldFlag(code));
        chkFontItalic->setChecked(FontItalicFlag(code));
        chkFontStrikethru->setChecked(FontStrikethruFlag(code));
        chkFontUnderLine->setChecked(FontUnderlineFlag(code));
        chkFont_Click();

        SetBoxText(record.text);
        optLoop[0]->setChecked(record.before);
        optLoop[1]->setChecked(record.after);

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

        if (!record.style.isEmpty()) {
            for (const QString& line : record.style.split(CrLf)) {
                const qsizetype colon = line.indexOf(QLatin1Char(':'));
                const QString name = colon < 0 ? line : line.left(colon);
                const QString value = colon < 0 ? QString() : line.mid(colon + 1);
                for (std::size_t r = 0; r < PR.StyleAttributeTable.size(); ++r) {
                    const StyleAttributeRecord& row = PR.StyleAttributeTable[r];
                    if (row.name != name)
                        continue;
                    if (value.isEmpty()) {
                        styleValues_[r] = 0;
                    } else {
                        const auto it = std::find(row.values.begin(), row.values.end(), value);
                        if (it != row.values.end())
                            styleValues_[r] = static_cast<std::uint8_t>(it - row.values.begin());
                    }
                }
            }
        }
        cmdFreeStyle_Click(-1);

        const std::vector<HelpMenuEntry>& help = ApplicationGlobals.HelpMenuTable;
        for (std::size_t i = 0; i < help.size() && i < Menu_HelpAdd.size(); ++i) {
            Menu_HelpAdd[i]->setText(i == 0 ? help[i].caption + QStringLiteral("\tF1") : help[i].caption);
            Menu_HelpAdd[i]->setEnabled(true);
            Menu_HelpAdd[i]->setVisible(true);
        }
    }
    MenusRefresh();
    Guarded([this] { ProcessingEnd(this); });
}

void BoxEditor::MenusRefresh()
{
    if (MainMenuLink* main = MainMenu()) {
        Menu_ShowToolBar->setChecked(main->MenuChecked(QStringLiteral("Menu_ShowToolBar")));
        Menu_ShowStatusBar->setChecked(main->MenuChecked(QStringLiteral("Menu_ShowStatusBar")));
    }
    FocusCanvasShow(Caption());
    const std::vector<AddOnMenuRecord> files = AddOnMenuList(QStringLiteral("Menu_File"));
    for (std::size_t i = 0; i < files.size() && i < Menu_FileAddOn.size(); ++i) {
        Menu_FileAddOn[i]->setText(files[i].caption);
        Menu_FileAddOn[i]->setVisible(true);
    }
    const std::vector<AddOnMenuRecord> tools = AddOnMenuList(QStringLiteral("Menu_Tool"));
    Menu_Tool->setEnabled(!tools.empty());
    Menu_Tool->menuAction()->setVisible(!tools.empty());
    for (std::size_t i = 0; i < tools.size() && i < Menu_ToolAddOn.size(); ++i) {
        Menu_ToolAddOn[i]->setText(tools[i].caption);
        Menu_ToolAddOn[i]->setEnabled(true);
        Menu_ToolAddOn[i]->setVisible(true);
    }
    for (std::size_t i = 0; i < Menu_FileNewFileObstinate.size(); ++i) {
        const QString caption = i < PR.ObstinateTable.size() ? PR.ObstinateTable[i][1] : QString();
        Menu_FileNewFileObstinate[i]->setText(caption);
        Menu_FileNewFileObstinate[i]->setEnabled(!caption.isEmpty());
        Menu_FileNewFileObstinate[i]->setVisible(!caption.isEmpty());
    }
}

void BoxEditor::Menu_File_Click()
{
    Command([this] {
        CanvasTimersStop();
        for (QAction* item : {Menu_FileNewFile->menuAction(), Menu_FileOpen, Menu_FileSaveNamed, Menu_FileAddInput})
            item->setEnabled(true);
        Menu_FileSaveOverWrite->setEnabled(!DocumentSavePath(CurrentDocument).isEmpty());
        Menu_FileClose->setText(ExitMenuCaption());
        const std::vector<AddOnMenuRecord> files = AddOnMenuList(QStringLiteral("Menu_File"));
        for (std::size_t i = 0; i < files.size() && i < Menu_FileAddOn.size(); ++i) {
            Menu_FileAddOn[i]->setText(files[i].caption);
            const QString& action = files[i].action;
            Menu_FileAddOn[i]->setEnabled(action == QLatin1String("Open")
                                          || (action == QLatin1String("AddInput") && DocumentOpened()));
        }
    });
}

bool BoxEditor::KindAccepted(int index)
{
    // The canvas may have changed since the list was filled: the rules are applied afresh.
    BoxTypeModeSet();
    const bool allowed = BoxTypeAllowed(cmbBoxType->itemData(index).toInt());
    if (!allowed)
        ErrorMessageBox(QStringLiteral("現在") + cmbBoxType->itemText(index) + QStringLiteral("は指定出来ません。"));
    return allowed;
}

void BoxEditor::cmbBoxType_Click()
{
    const int index = cmbBoxType->currentIndex();
    if (index < 0)
        return;
    const std::int32_t tagId = cmbBoxType->itemData(index).toInt();
    if (!KindAccepted(index)) {
        Guarded([this] { ProcessingEnd(this); });
        cmbBoxType->setFocus();
        return;
    }
    selectedKindRow_ = TagTableGet(tagId);
    PanelsEnable();
    switch (tagId) {
    case TagId::Branch:
        for (QWidget* w : std::initializer_list<QWidget*>{cmdInsert, sprCase, lblCase})
            w->setEnabled(true);
        break;
    case TagId::Loop:
        frmLoop->setEnabled(true);
        lblLoop->setEnabled(true);
        if (optLoop[0]->isChecked() == optLoop[1]->isChecked()) {
            optLoop[0]->setChecked(true);
            optLoop[1]->setChecked(false);
        }
        break;
    case TagId::FreeStyle:
        frmFree->setEnabled(true);
        lblFree->setEnabled(true);
        break;
    default:
        break;
    }
    if (selectedKindRow_.flags & TagAttribute::TextUnnecessary)
        for (QWidget* w : std::initializer_list<QWidget*>{lblText, txtText, cmdZoom})
            w->setEnabled(false);
}

void BoxEditor::cmbFontName_Click()
{
    QFont font = txtText->font();
    font.setFamily(cmbFontName->currentIndex() <= 0 ? ApplicationGlobals.DocumentFontName : cmbFontName->currentText());
    txtText->setFont(font);
}

void BoxEditor::cmbFontSize_Click()
{
    const QString text = cmbFontSize->currentIndex() <= 0 ? ApplicationGlobals.DocumentFontSize : cmbFontSize->currentText();
    // A document size that is no number leaves the size as it is.
    bool ok = false;
    const double points = text.toDouble(&ok);
    if (ok && points > 0) {
        QFont font = txtText->font();
        font.setPointSizeF(points);
        txtText->setFont(font);
    }
}

void BoxEditor::cmbColor_Click()
{
    std::int32_t color = 0;
    try {
        color = ColorModify(cmbColor->currentIndex() <= 0 ? ApplicationGlobals.DocumentColorName : cmbColor->currentText());
    } catch (const std::exception&) {
        return;
    }
    QPalette palette = txtText->palette();
    palette.setColor(QPalette::Text, DesignColor(color < 0 ? 0 : color));
    txtText->setPalette(palette);
}

void BoxEditor::chkFont_Click()
{
    QFont font = txtText->font();
    font.setBold(chkFontBold->isChecked());
    font.setItalic(chkFontItalic->isChecked());
    font.setStrikeOut(chkFontStrikethru->isChecked());
    font.setUnderline(chkFontUnderLine->isChecked());
    txtText->setFont(font);
}

QString BoxEditor::BoxText() const
{
    return txtText->toPlainText().replace(QLatin1Char('\n'), CrLf);
}

void BoxEditor::SetBoxText(const QString& text)
{
    txtText->setPlainText(QString(text).replace(CrLf, QStringLiteral("\n")));
}

void BoxEditor::cmdZoom_Click()
{
    Command([this] {
        zoomReturn_ = true;
        QString text = BoxText();
        const QString caption = Caption() + QLatin1Char(':') + cmbBoxType->currentText() + QLatin1Char('.') + lblText->text();
        if (ZoomTextEdit(this, caption, text, selectedKindRow_.id))
            SetBoxText(text);
    });
    // Back from the zoom the focus goes to the text box, as it does after leaving the button backwards.
    if (zoomReturn_) {
        zoomReturn_ = false;
        txtText->setFocus(Qt::BacktabFocusReason);
    }
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
    updateDefault_ = false;
    lastButtonName_.clear();
}

void BoxEditor::sprCase_LostFocus()
{
    updateDefault_ = true;
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

void BoxEditor::cmdFreeStyle_Click(int Index)
{
    Command([this, Index] {
        const QString tag = Index < 0 || Index >= static_cast<int>(cmdFreeStyle.size())
                                ? QStringLiteral("\t")
                                : cmdFreeStyle[static_cast<std::size_t>(Index)]->property("Tag").toString();
        const std::vector<StyleAttributeRecord>& table = PR.StyleAttributeTable;
        styleValues_.resize(table.size(), 0);
        auto show = [this](const StyleAttributeRecord& row, std::size_t r) {
            for (std::size_t j = 0; j < row.values.size(); ++j)
                for (auto& [name, element] : preview->elements)
                    if (element.tag.compare(row.name + row.values[j], Qt::CaseInsensitive) == 0)
                        preview->SetVisible(name, styleValues_[r] == j);
        };
        for (std::size_t r = 0; r < table.size(); ++r) {
            const StyleAttributeRecord& row = table[r];
            if (tag.compare(row.name, Qt::CaseInsensitive) == 0 && !row.values.empty())
                styleValues_[r] = static_cast<std::uint8_t>((styleValues_[r] + 1) % row.values.size());
            show(row, r);
        }
        bool horizontal = false;
        bool vertical = false;
        for (std::size_t r = 0; r < table.size(); ++r) {
            if (!table[r].isLine || styleValues_[r] == 0)
                continue;
            horizontal = horizontal || table[r].isUpper || table[r].isLower;
            vertical = vertical || table[r].isLeft || table[r].isRight;
        }
        auto valueName = [&](std::size_t r) { return table[r].values.at(styleValues_[r]).toLower(); };
        for (std::size_t r = 0; r < table.size(); ++r) {
            if (!table[r].isOverlap)
                continue;
            const QString value = valueName(r);
            if ((value == QLatin1String("horizontal") || value == QLatin1String("vertical")) && (!horizontal || !vertical))
                styleValues_[r] = 0;
        }
        const std::int32_t shadow = SystemColor(QPalette::Dark);
        const std::int32_t face = SystemColor(QPalette::Button);
        for (std::size_t r = 0; r < table.size(); ++r) {
            for (QPushButton* button : cmdFreeStyle) {
                if (button->property("Tag").toString().compare(table[r].name, Qt::CaseInsensitive) != 0)
                    continue;
                QString caption;
                if (styleValues_[r] != 0 && table[r].isOverlap) {
                    const QString value = valueName(r);
                    caption = value == QLatin1String("horizontal") ? QStringLiteral("←　→")
                              : value == QLatin1String("vertical") ? QStringLiteral("↑　↓")
                                                                    : QString();
                }
                BackColorSet(button, styleValues_[r] != 0 ? shadow : face);
                button->setText(caption);
            }
        }
        for (std::size_t r = 0; r < table.size(); ++r) {
            if (!table[r].isOverlap)
                continue;
            const QString value = valueName(r);
            const bool byHorizontal = value == QLatin1String("horizontal");
            if (!byHorizontal && value != QLatin1String("vertical"))
                continue;
            // The side lines of one direction run through the corners; those of the other stop
            // where they would cross them, and lose their middles.
            const int keep = byHorizontal ? 1 : 0;
            for (const auto& corner : FreeSegmentNames) {
                if (!preview->IsVisible(QString::fromLatin1(corner[static_cast<std::size_t>(keep)])))
                    preview->SetVisible(QString::fromLatin1(corner[static_cast<std::size_t>(1 - keep)]), false);
            }
            if (byHorizontal) {
                preview->SetVisible(QStringLiteral("linFreeLeftVertical"), false);
                preview->SetVisible(QStringLiteral("linFreeRightVertical"), false);
            } else {
                preview->SetVisible(QStringLiteral("linFreeUpperHorizontal"), false);
                preview->SetVisible(QStringLiteral("linFreeLowerHorizontal"), false);
            }
        }
    });
}

void BoxEditor::cmdUpdate_Click()
{
    cmdUpdate->setFocus(Qt::OtherFocusReason);
    Command([this] {
        QString text = BoxText();
        if (InputTextCheck(text, selectedKindRow_.id, 0, 0)) {
            txtText->setFocus();
            return;
        }
        if ((selectedKindRow_.flags & TagAttribute::NullTextSuppress) && text.isEmpty()) {
            text = QStringLiteral(" ");
            SetBoxText(text);
        }
        const int index = cmbBoxType->currentIndex();
        if (index < 0) {
            ErrorMessageBox(QStringLiteral("形式を選択して下さい。"));
            cmbBoxType->setFocus();
            return;
        }
        const std::int32_t tagId = cmbBoxType->itemData(index).toInt();
        if (!KindAccepted(index)) {
            cmbBoxType->setFocus();
            return;
        }
        // The kind written is the one the list shows; the panels were set for it when it was accepted.
        selectedKindRow_ = TagTableGet(tagId);

        const GridModel& grid = sprCase->model();
        QString loss;
        if (initialKindRow_.flags & TagAttribute::SubLevel) {
            if (!(selectedKindRow_.flags & TagAttribute::SubLevel)) {
                loss = QStringLiteral("下位の処理が全て削除されます。");
            } else if (initialKindRow_.id == TagId::Branch) {
                bool some = false;
                if (tagId == TagId::Branch) {
                    for (int r = 1; r <= grid.MaxRows() && !some; ++r)
                        some = grid.Text(CaseColumn::Deleted, r) == QLatin1String("1");
                } else {
                    some = editRecords_.size() >= 3;
                }
                if (some)
                    loss = QStringLiteral("下位の一部が削除されます。");
            }
        }
        if (!loss.isEmpty() && YesNoMessageBox(loss + CrLf + QStringLiteral("宜しいですか？"), 256) != 6)
            return;

        const QString color = cmbColor->currentIndex() <= 0 ? QString() : cmbColor->currentText();
        QStringList font;
        if (cmbFontName->currentIndex() > 0)
            font << QStringLiteral("fontname:") + cmbFontName->currentText();
        if (cmbFontSize->currentIndex() > 0)
            font << QStringLiteral("fontsize:") + cmbFontSize->currentText();
        const std::pair<QCheckBox*, const char*> styles[] = {{chkFontBold, "fontbold"},
                                                             {chkFontItalic, "fontitalic"},
                                                             {chkFontStrikethru, "fontstrikethru"},
                                                             {chkFontUnderLine, "fontunderline"}};
        for (const auto& [check, key] : styles)
            if (check->isChecked())
                font << QString::fromLatin1(key) + QStringLiteral(":on");

        PadInfoRecord& record = editRecords_.front();
        record.tagId = tagId;
        record.text = (selectedKindRow_.flags & TagAttribute::TextUnnecessary) ? QString() : text;
        record.color = color;
        record.font = font.join(CrLf);
        record.before = tagId == TagId::Loop && optLoop[0]->isChecked();
        record.after = tagId == TagId::Loop && optLoop[1]->isChecked();
        if (tagId == TagId::FreeStyle) {
            QStringList lines;
            for (std::size_t r = 0; r < PR.StyleAttributeTable.size(); ++r) {
                const StyleAttributeRecord& row = PR.StyleAttributeTable[r];
                const std::size_t value = r < styleValues_.size() ? styleValues_[r] : 0;
                lines << row.name + QLatin1Char(':') + row.values.at(value);
            }
            record.style = lines.join(CrLf);
        }
        if (tagId == TagId::Branch)
            CaseRecordsMake(grid, editRecords_);
        else
            editRecords_.resize(1);

        PadFileCreate(TrayGetFileName);
        try {
            for (const PadInfoRecord& r : editRecords_)
                PadInfoWrite(r);
            PadFileFinish();
        } catch (...) {
            PadFileAbandon();
            throw;
        }
        editRecords_.clear();
        editRecords_.push_back(PadInfoRecord::Default);

        if (!editFinished_) {
            editFinished_ = true;
            SetModifyFlag(true);
            Links().HistoryAdd(QStringLiteral("BOX編集(&E)"), TrayBaseIndex);
            const std::int16_t canvas = TrayBaseIndex;
            SessionReturn(false);
            PadDrawRefresh(canvas);
        }
    });
}

void BoxEditor::SessionReturn(bool cancel)
{
    // The call unloads this window: the tray is copied first, as the window may go meanwhile.
    const BoxEditorTray tray = *this;
    BoxEditorLink().EditorReturn(tray, cancel);
}

void BoxEditor::cmdCancel_Click()
{
    cmdCancel->setFocus(Qt::OtherFocusReason);
    Command([this] {
        if (!editFinished_) {
            editFinished_ = true;
            SessionReturn(true);
        }
    });
}

void BoxEditor::Unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    setProperty("unloading", true);
    FocusCanvasShow(QString());
    if (!editFinished_) {
        Command([this] {
            editFinished_ = true;
            SessionReturn(true);
        });
    }
    styleValues_.clear();
    QWidget* f = frame();
    f->hide();
    f->deleteLater();
    CanvasWindowFront();
    if (MainMenuLink* main = MainMenu())
        main->MDIForm_Activate();
}

void BoxEditor::CanvasWindowFront()
{
    auto* own = qobject_cast<QMdiSubWindow*>(frame());
    if (!own || !own->mdiArea() || TrayBaseIndex <= 0 || static_cast<std::size_t>(TrayBaseIndex) >= B.size())
        return;
    QWidget* canvas = B[TrayBaseIndex].form.data();
    auto* sub = canvas ? qobject_cast<QMdiSubWindow*>(canvas->parentWidget()) : nullptr;
    if (sub && sub->mdiArea() == own->mdiArea() && !sub->isHidden())
        own->mdiArea()->setActiveSubWindow(sub);
}

void BoxEditor::closeEvent(QCloseEvent* event)
{
    EventBoundary([this] { Unload(); });
    event->accept();
}

void BoxEditor::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // A window of its own (no workspace) is activated by the window system.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && frame() == this && !firstActivate_ && !unloaded_)
        EventBoundary([this] { Form_Activate(); });
}

bool BoxEditor::Form_KeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    // Keys typed while another command holds the main window are dropped.
    if (MainWindow() && !FormEnabled(MainWindow()->window()))
        return true;
    int code = key;
    DialogKeyDown(code, static_cast<int>(modifiers), this);
    if (code != 0 && !unloaded_)
        DebugKeyCheck(code, static_cast<int>(modifiers), this);
    if (code == 0 || unloaded_)
        return true;
    if (key == Qt::Key_F4 && (modifiers & Qt::ControlModifier))
        return true;
    if (modifiers == Qt::NoModifier || modifiers == Qt::KeypadModifier) {
        if (key == Qt::Key_Escape) {
            cmdCancel->click();
            return true;
        }
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && updateDefault_) {
            QWidget* focus = QApplication::focusWidget();
            if (auto* button = qobject_cast<QPushButton*>(focus); button && isAncestorOf(button))
                button->click();
            else
                cmdUpdate->click();
            return true;
        }
    }
    return false;
}

bool BoxEditor::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        // A key reaches the window before its controls; the grid's own cells included.
        bool consumed = false;
        EventBoundary([&] { consumed = Form_KeyDown(key->key(), key->modifiers()); });
        if (consumed)
            return true;
        break;
    }
    case QEvent::FocusIn:
        if (watched == txtText) {
            txtText->selectAll();
            updateDefault_ = false;
        } else if (watched == cmdInsert) {
            lastButtonName_ = QStringLiteral("cmdInsert");
        } else if (watched == cmdUpdate) {
            lastButtonName_ = QStringLiteral("cmdUpdate");
        }
        break;
    case QEvent::FocusOut:
        if (watched == txtText)
            updateDefault_ = true;
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

QWidget* BoxEditorShow(const BoxEditorTray& tray)
{
    auto* editor = new BoxEditor;
    static_cast<BoxEditorTray&>(*editor) = tray;
    try {
        editor->Show();
    } catch (...) {
        // A window that could not load hands its session back and goes.
        editor->Unload();
        throw;
    }
    return editor;
}

} // namespace vellumora
