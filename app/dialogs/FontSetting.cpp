#include "app/dialogs/FontSetting.h"

#include "app/core/MainWindowLink.h"
#include "app/core/Processing.h"
#include "app/core/Utilities.h"
#include "platform/vbrt/Value.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace vellumora {

namespace {

constexpr int Margin = 240;
constexpr int LabelWidth = 1080;
constexpr int ComboWidth = 3000;
constexpr int RowHeight = 300;
constexpr int RowPitch = 420;
constexpr int ButtonWidth = 1080;
constexpr int ButtonHeight = 375;
constexpr int ButtonGap = 120;

// Where a check in the form comes from: blanks count as nothing chosen.
bool Blank(const QString& text)
{
    return platform::vbrt::Trim(text).isEmpty();
}

} // namespace

FontSetting::FontSetting(QWidget* parent) : TrayDialog(parent)
{
    setObjectName(QStringLiteral("FontSetting"));

    int y = Margin;
    const auto row = [&](QLabel*& label, QComboBox*& combo, const QString& name, const QString& caption) {
        label = new QLabel(caption, this);
        label->setObjectName(QStringLiteral("lbl") + name);
        label->setGeometry(Twips(Margin, y, LabelWidth, RowHeight));
        combo = new QComboBox(this);
        combo->setObjectName(QStringLiteral("cmb") + name);
        combo->setGeometry(Twips(Margin + LabelWidth, y, ComboWidth, RowHeight));
        label->setBuddy(combo);
        y += RowPitch;
    };
    row(lblFontName, cmbFontName, QStringLiteral("FontName"), QStringLiteral("ﾌｫﾝﾄ(&F)"));
    row(lblFontSize, cmbFontSize, QStringLiteral("FontSize"), QStringLiteral("ｻｲｽﾞ(&S)"));
    row(lblColor, cmbColor, QStringLiteral("Color"), QStringLiteral("文字色(&C)"));

    const auto check = [&](QCheckBox*& box, const QString& name, const QString& caption) {
        box = new QCheckBox(caption, this);
        box->setObjectName(name);
    };
    check(chkFontBold, QStringLiteral("chkFontBold"), QStringLiteral("太字(&B)"));
    check(chkFontItalic, QStringLiteral("chkFontItalic"), QStringLiteral("斜体(&I)"));
    check(chkFontStrikethru, QStringLiteral("chkFontStrikethru"), QStringLiteral("取消線(&R)"));
    check(chkFontUnderLine, QStringLiteral("chkFontUnderLine"), QStringLiteral("下線(&U)"));
    // A quarter of the row each, or the width the widest caption needs in the desktop's font,
    // the dialog growing to hold them.
    const QRect checkRow = Twips(Margin, y, (ComboWidth + LabelWidth) / 4, RowHeight);
    int checkWidth = checkRow.width();
    for (QCheckBox* box : {chkFontBold, chkFontItalic, chkFontStrikethru, chkFontUnderLine})
        checkWidth = std::max(checkWidth, box->sizeHint().width());
    int column = 0;
    for (QCheckBox* box : {chkFontBold, chkFontItalic, chkFontStrikethru, chkFontUnderLine})
        box->setGeometry(checkRow.x() + column++ * checkWidth, checkRow.y(), checkWidth, checkRow.height());
    y += RowPitch + ButtonGap;

    const QRect designed = Twips(0, 0, 2 * Margin + LabelWidth + ComboWidth, y + ButtonHeight + Margin);
    const int width = std::max(designed.width(), 2 * checkRow.x() + 4 * checkWidth);
    UpdateCancelButtonsMake();
    const QRect button = Twips(0, y, ButtonWidth, ButtonHeight);
    const int margin = Twips(Margin, 0, ButtonGap, 0).x();
    const int gap = Twips(Margin, 0, ButtonGap, 0).width();
    cmdCancel->setGeometry(width - margin - button.width(), button.y(), button.width(), button.height());
    cmdUpdate->setGeometry(cmdCancel->x() - gap - button.width(), button.y(), button.width(), button.height());
    setFixedSize(width, designed.height());
}

FontSetting::~FontSetting() = default;

void FontSetting::Form_Load()
{
    FormControlsClear(this, true);
    // Box fonts may keep the document's own name, size or colour: the lists then begin with
    // "標準", which an empty current value selects. A value the lists lack (a box's colour as red,
    // green and blue, a document's size between the listed ones) stays as it is, so that a change of
    // one style alone keeps it.
    FontNameComboSet(cmbFontName, TrayFontSettingMode, TrayFontName);
    OwnValueShow(cmbFontName, TrayFontName);
    FontSizeComboSet(cmbFontSize, TrayFontSettingMode, TrayFontSize);
    OwnValueShow(cmbFontSize, TrayFontSize);
    ColorComboSet(cmbColor, TrayFontSettingMode, TrayColor);
    OwnValueShow(cmbColor, TrayColor);
    for (QCheckBox* box : {chkFontBold, chkFontItalic, chkFontStrikethru, chkFontUnderLine}) {
        box->setEnabled(TrayFontSettingMode);
        box->setVisible(TrayFontSettingMode);
    }
    if (TrayFontSettingMode) {
        chkFontBold->setChecked(TrayFontBold);
        chkFontItalic->setChecked(TrayFontItalic);
        chkFontStrikethru->setChecked(TrayFontStrikethru);
        chkFontUnderLine->setChecked(TrayFontUnderLine);
    }
    const QString caption = MenuCaptionClean(TrayCaption);
    setWindowTitle(caption);
    ModalWindowShow(caption);
}

void FontSetting::cmdUpdate_Click()
{
    cmdUpdate->setFocus();
    ProcessingStart(this);
    const auto refuse = [this](const QString& message, QComboBox* field) {
        ErrorMessageBox(message);
        ProcessingEnd(this, false, false);
        field->setFocus();
    };
    if (Blank(cmbFontName->currentText()))
        return refuse(QStringLiteral("ﾌｫﾝﾄ名の指定がありません。"), cmbFontName);
    if (Blank(cmbFontSize->currentText()))
        return refuse(QStringLiteral("ﾌｫﾝﾄｻｲｽﾞの指定がありません。"), cmbFontSize);
    if (Blank(cmbColor->currentText()))
        return refuse(QStringLiteral("色の指定がありません。"), cmbColor);
    TrayFontName = cmbFontName->currentText();
    TrayFontSize = cmbFontSize->currentText();
    TrayColor = cmbColor->currentText();
    if (TrayFontSettingMode) {
        TrayFontBold = chkFontBold->isChecked();
        TrayFontItalic = chkFontItalic->isChecked();
        TrayFontStrikethru = chkFontStrikethru->isChecked();
        TrayFontUnderLine = chkFontUnderLine->isChecked();
    }
    Confirm();
}

void FontSettingTrayShow(FontSettingTray& tray)
{
    QWidget* parent = !tray.TrayFontSettingMode && MainWindow() ? MainWindow()->window() : nullptr;
    FontSetting dialog(parent);
    static_cast<FontSettingFields&>(dialog) = tray;
    dialog.exec();
    tray.TrayCancel = dialog.TrayCancel;
    if (!dialog.TrayCancel)
        static_cast<FontSettingFields&>(tray) = dialog;
}

} // namespace vellumora
