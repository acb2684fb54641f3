// The box editor's controls: their creation, and the handlers of the kind, the font, the colour and the text.

#include "app/dialogs/BoxEditor.h"

#include "app/dialogs/ZoomScreen.h"

#include "app/diagram/FontAndColor.h"

#include "app/diagram/TagTable.h"

#include "app/core/ApplicationGlobals.h"

#include "app/core/Processing.h"

#include "app/core/Utilities.h"

#include "platform/graphics/DrawingTarget.h"

#include "platform/grid/Grid.h"

#include <QCheckBox>

#include <QComboBox>

#include <QGridLayout>

#include <QGroupBox>

#include <QHBoxLayout>

#include <QLabel>

#include <QPlainTextEdit>

#include <QPushButton>

#include <QRadioButton>

#include <QVBoxLayout>

namespace vellumora {

namespace {

const QString CrLf = QStringLiteral("\r\n");

} // namespace

void BoxEditor::createControls()
{
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(4, 4, 4, 4);
    root->addLayout(createFieldControls());
    auto* panels = new QHBoxLayout;
    root->addLayout(panels);
    panels->addLayout(createCasePanel(), 1);
    auto* side = new QVBoxLayout;
    side->addWidget(createLoopPanel());
    side->addWidget(createFreePanel());
    panels->addLayout(side);
    root->addLayout(createButtons());
    tabOrderSet();
}

QLayout* BoxEditor::createFieldControls()
{
    auto* grid = new QGridLayout;
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

    connect(cmbBoxType, &QComboBox::activated, this, [this] { cmbBoxType_Click(); });
    connect(cmbFontName, &QComboBox::activated, this, [this] { cmbFontName_Click(); });
    connect(cmbFontSize, &QComboBox::activated, this, [this] { cmbFontSize_Click(); });
    connect(cmbColor, &QComboBox::activated, this, [this] { cmbColor_Click(); });
    for (QCheckBox* check : {chkFontBold, chkFontItalic, chkFontStrikethru, chkFontUnderLine})
        connect(check, &QCheckBox::toggled, this, [this] { chkFont_Click(); });
    connect(cmdZoom, &QPushButton::clicked, this, [this] { cmdZoom_Click(); });
    return grid;
}

QGroupBox* BoxEditor::createLoopPanel()
{
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
    return frmLoop;
}

QLayout* BoxEditor::createButtons()
{
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    cmdUpdate = new QPushButton(QStringLiteral("更新"));
    cmdCancel = new QPushButton(QStringLiteral("取消"));
    buttons->addWidget(cmdUpdate);
    buttons->addWidget(cmdCancel);
    connect(cmdUpdate, &QPushButton::clicked, this, [this] { cmdUpdate_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    return buttons;
}

void BoxEditor::tabOrderSet()
{
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
    const std::int32_t kinds = TrayBaseIndex >= 0 && static_cast<std::size_t>(TrayBaseIndex) < B.size()
                                   ? CanvasChartKinds(B[static_cast<std::size_t>(TrayBaseIndex)])
                                   : 0;
    return (row.flags & kinds & TagAttribute::ObstinateMask) != 0 && !row.boxName.isEmpty()
           && (boxTypeMode_ == 1 || (boxTypeMode_ == 2 && row.id != TagId::Routine)
               || (boxTypeMode_ == 3 && (row.flags & TagAttribute::SubLevel)));
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
    palette.setColor(QPalette::Text, platform::graphics::ToQColor(color < 0 ? 0 : color));
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

} // namespace vellumora
