#include "app/print/PrintSetting.h"

#include "app/core/ApplicationGlobals.h"
#include "app/core/DebugLog.h"
#include "app/core/EditState.h"
#include "app/core/ProgramLink.h"
#include "app/diagram/HistorySnapshots.h"
#include "app/core/PrintRecords.h"
#include "app/core/Processing.h"
#include "app/core/Utilities.h"
#include "platform/vbrt/Format.h"
#include "platform/vbrt/Value.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace vellumora {

namespace vbrt = platform::vbrt;

namespace {

constexpr double MaximumCentimetres = 3.0;

// What a length field holds as a number, or nothing when it holds none.
bool FieldNumber(const QLineEdit* field, double& value)
{
    const QString text = field->text();
    if (!vbrt::IsNumeric(text))
        return false;
    value = vbrt::CDbl(text);
    return true;
}

QString CentimetreText(double centimetres)
{
    return vbrt::Format(centimetres, QStringLiteral("#0.0"));
}

QString IniValue(const QString& section, const QString& key)
{
    return CommonServices ? CommonServices->GetInitFile(section, key) : QString();
}

} // namespace

QString PrintSetting::TwipsText(std::int32_t twips)
{
    return CentimetreText(twips * 25.4 / 14400.0);
}

std::int32_t PrintSetting::CentimetreTwips(double centimetres)
{
    return static_cast<std::int32_t>(std::floor(centimetres * 14400.0 / 25.4));
}

PrintSetting::PrintSetting(QWidget* parent) : QDialog(parent)
{
    setModal(true);
    sstReportPageSetting = new QTabWidget(this);
    for (QWidget*& page : tabPages)
        page = new QWidget;
    const std::array<const char16_t*, 5> tabCaptions = {u"用紙", u"ｷｬﾝﾊﾞｽ", u"ﾍｯﾀﾞ", u"ﾌｯﾀ", u"ﾃｷｽﾄ"};
    for (std::size_t t = 0; t < tabPages.size(); ++t)
        sstReportPageSetting->addTab(tabPages[t], QString::fromUtf16(tabCaptions[t]));

    createLengthFields();
    createPaperPage();
    createCanvasPage();
    createBandPages();
    createTextPage();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(sstReportPageSetting, 1);
    layout->addLayout(createButtons());
    connect(sstReportPageSetting, &QTabWidget::currentChanged, this, &PrintSetting::TabEnable);
}

void PrintSetting::createLengthFields()
{
    for (std::size_t i = 0; i < txtMarginSpace.size(); ++i) {
        txtMarginSpace[i] = new QLineEdit;
        txtMarginSpace[i]->installEventFilter(this);
        for (int d = 0; d < 2; ++d) {
            auto* button = new QToolButton;
            button->setArrowType(d == 0 ? Qt::UpArrow : Qt::DownArrow);
            button->setAutoRepeat(true);
            updMarginSpace[i][std::size_t(d)] = button;
            connect(button, &QToolButton::clicked, this, [this, i, d] {
                RunCommand(this, [&] { updMarginSpace_Click(int(i), d == 0); });
            });
        }
    }
}

void PrintSetting::lengthRowAdd(QGridLayout* grid, int row, const QString& caption, std::size_t field)
{
    auto* label = new QLabel(caption);
    label->setBuddy(txtMarginSpace[field]);
    grid->addWidget(label, row, 0);
    grid->addWidget(txtMarginSpace[field], row, 1);
    auto* spin = new QVBoxLayout;
    spin->setSpacing(0);
    spin->addWidget(updMarginSpace[field][0]);
    spin->addWidget(updMarginSpace[field][1]);
    grid->addLayout(spin, row, 2);
    grid->addWidget(new QLabel(QStringLiteral("cm")), row, 3);
}

void PrintSetting::createPaperPage()
{
    auto* paper = new QGridLayout(tabPages[0]);
    cmbPageStyle = new QComboBox;
    auto* lblPageStyle = new QLabel(QStringLiteral("用紙(&P)"));
    lblPageStyle->setBuddy(cmbPageStyle);
    paper->addWidget(lblPageStyle, 0, 0);
    paper->addWidget(cmbPageStyle, 0, 1, 1, 3);
    lengthRowAdd(paper, 1, QStringLiteral("左ﾏｰｼﾞﾝ(&L)"), 0);
    lengthRowAdd(paper, 2, QStringLiteral("右ﾏｰｼﾞﾝ(&R)"), 1);
    lengthRowAdd(paper, 3, QStringLiteral("上ﾏｰｼﾞﾝ(&T)"), 2);
    lengthRowAdd(paper, 4, QStringLiteral("下ﾏｰｼﾞﾝ(&B)"), 3);
}

void PrintSetting::createCanvasPage()
{
    auto* canvas = new QGridLayout(tabPages[1]);
    chkFrame[0] = new QCheckBox(QStringLiteral("枠表示(&M)"));
    canvas->addWidget(chkFrame[0], 0, 0, 1, 4);
    lengthRowAdd(canvas, 1, QStringLiteral("左余白(&L)"), 4);
    lengthRowAdd(canvas, 2, QStringLiteral("右余白(&R)"), 5);
    lengthRowAdd(canvas, 3, QStringLiteral("上余白(&T)"), 6);
    lengthRowAdd(canvas, 4, QStringLiteral("下余白(&B)"), 7);
}

void PrintSetting::createBandPages()
{
    const std::array<const char16_t*, 3> sides = {u"左側(&L)", u"中央(&C)", u"右側(&R)"};
    for (int band = 0; band < 2; ++band) {
        auto* grid = new QGridLayout(tabPages[std::size_t(2 + band)]);
        chkFrame[std::size_t(1 + band)] = new QCheckBox(QStringLiteral("枠表示(&M)"));
        grid->addWidget(chkFrame[std::size_t(1 + band)], 0, 0, 1, 4);
        lengthRowAdd(grid, 1, QStringLiteral("高さ(&H)"), std::size_t(8 + band));
        for (int side = 0; side < 3; ++side) {
            const std::size_t slot = std::size_t(band * 3 + side);
            cmbExplain[slot] = new QComboBox;
            cmdExplainFont[slot] = new QPushButton(QStringLiteral("ﾌｫﾝﾄ(&F)"));
            auto* label = new QLabel(QString::fromUtf16(sides[std::size_t(side)]));
            label->setBuddy(cmbExplain[slot]);
            grid->addWidget(label, 2 + side, 0);
            grid->addWidget(cmbExplain[slot], 2 + side, 1, 1, 2);
            grid->addWidget(cmdExplainFont[slot], 2 + side, 3);
            connect(cmdExplainFont[slot], &QPushButton::clicked, this, [this, slot] { cmdExplainFont_Click(int(slot)); });
        }
    }
}

void PrintSetting::createTextPage()
{
    auto* texts = new QGridLayout(tabPages[4]);
    for (int i = 0; i < 5; ++i) {
        lblText[std::size_t(i)] = new QLabel(QStringLiteral("ﾃｷｽﾄ%1(&%1)").arg(i + 1));
        txtText[std::size_t(i)] = new QPlainTextEdit;
        txtText[std::size_t(i)]->setTabChangesFocus(true);
        txtText[std::size_t(i)]->setFixedHeight(48);
        txtText[std::size_t(i)]->installEventFilter(this);
        lblText[std::size_t(i)]->setBuddy(txtText[std::size_t(i)]);
        cmdZoom[std::size_t(i)] = new QPushButton(QStringLiteral("ｽﾞｰﾑ(&Z)"));
        texts->addWidget(lblText[std::size_t(i)], i, 0);
        texts->addWidget(txtText[std::size_t(i)], i, 1);
        texts->addWidget(cmdZoom[std::size_t(i)], i, 2);
        connect(cmdZoom[std::size_t(i)], &QPushButton::clicked, this, [this, i] { cmdZoom_Click(i); });
    }
    for (int i = 0; i < 2; ++i) {
        cmbDateFormat[std::size_t(i)] = new QComboBox;
        auto* label = new QLabel(i == 0 ? QStringLiteral("更新日時(&U)") : QStringLiteral("現在日時(&N)"));
        label->setBuddy(cmbDateFormat[std::size_t(i)]);
        texts->addWidget(label, 5 + i, 0);
        texts->addWidget(cmbDateFormat[std::size_t(i)], 5 + i, 1, 1, 2);
    }
}

QLayout* PrintSetting::createButtons()
{
    cmdUpdate = new QPushButton(QStringLiteral("更新"));
    cmdCancel = new QPushButton(QStringLiteral("取消"));
    cmdUpdate->setDefault(true);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdUpdate);
    buttons->addWidget(cmdCancel);
    buttons->addStretch();
    connect(cmdUpdate, &QPushButton::clicked, this, &PrintSetting::cmdUpdate_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &PrintSetting::cmdCancel_Click);
    return buttons;
}

PrintSetting::~PrintSetting() = default;

void PrintSetting::ShowModal()
{
    Form_Load();
    exec();
    Form_Unload();
}

void PrintSetting::Form_Load()
{
    slotCaption = {QStringLiteral("ﾍｯﾀﾞ左側"), QStringLiteral("ﾍｯﾀﾞ中央"), QStringLiteral("ﾍｯﾀﾞ右側"),
                   QStringLiteral("ﾌｯﾀ左側"),  QStringLiteral("ﾌｯﾀ中央"),  QStringLiteral("ﾌｯﾀ右側")};
    firstActivation = true;
    dateFormatsPending = true;
    FormControlsClear(this, true);
    TrayCancel = false;
    loaded_ = true;
    closed_ = false;
    const QString caption = MenuCaptionClean(TrayCaption);
    setWindowTitle(caption);
    ModalWindowShow(caption);
}

void PrintSetting::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    QTimer::singleShot(0, this, [this] { Guarded([this] { Form_Activate(); }); });
}

void PrintSetting::Form_Activate()
{
    if (!firstActivation) {
        ProcessingEnd(this);
        return;
    }
    firstActivation = false;

    cmbPageStyle->clear();
    for (int i = 1; i <= 100; ++i) {
        const QString entry = IniValue(QStringLiteral("ReportSize"), QStringLiteral("PaperStyle") + QString::number(i));
        if (entry.isEmpty())
            break;
        const QStringList parts = entry.split(QLatin1Char(':'));
        if (parts.size() < 3 || !vbrt::IsNumeric(parts[1]) || !vbrt::IsNumeric(parts[2]))
            continue;
        const std::int32_t size = static_cast<std::int32_t>(vbrt::CDbl(parts[1]));
        const std::int32_t orientation = static_cast<std::int32_t>(vbrt::CDbl(parts[2]));
        cmbPageStyle->addItem(vbrt::Trim(parts[0]), size * 10 + orientation);
        if (size == RS.paperSize && orientation == RS.orientation)
            cmbPageStyle->setCurrentIndex(cmbPageStyle->count() - 1);
    }
    if (cmbPageStyle->count() > 0 && cmbPageStyle->currentIndex() < 0)
        cmbPageStyle->setCurrentIndex(-1);

    for (std::size_t i = 0; i < 4; ++i) {
        txtMarginSpace[i]->setText(TwipsText(RS.margin[i]));
        txtMarginSpace[4 + i]->setText(TwipsText(RS.space[i]));
    }
    txtMarginSpace[8]->setText(TwipsText(RS.headerHeight));
    txtMarginSpace[9]->setText(TwipsText(RS.footerHeight));
    for (std::size_t f = 0; f < 3; ++f)
        chkFrame[f]->setChecked(RS.frameShow[f]);
    for (std::size_t slot = 0; slot < 6; ++slot) {
        ExplainComboSet(cmbExplain[slot], RS.explain[slot]);
        slotFontName[slot] = RS.fontName[slot];
        slotFontSize[slot] = RS.fontSize[slot];
        slotFontBold[slot] = RS.fontBold[slot];
        slotFontItalic[slot] = RS.fontItalic[slot];
        slotFontStrikethru[slot] = RS.fontStrikethru[slot];
        slotFontUnderLine[slot] = RS.fontUnderLine[slot];
        slotColor[slot] = RS.color[slot];
    }
    for (std::size_t i = 0; i < 5; ++i)
        txtText[i]->setPlainText(QString(RS.extraText[i]).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    DateFormatComboSet(cmbDateFormat[0], RS.updateDateFormat);
    DateFormatComboSet(cmbDateFormat[1], RS.nowDateFormat);

    ProcessingEnd(this);
    cmbPageStyle->setFocus();
    sstReportPageSetting->setCurrentIndex(0);
    TabEnable(0);
}

void PrintSetting::ExplainComboSet(QComboBox* combo, const QString& description)
{
    combo->clear();
    combo->addItem(QString());
    for (const ReportDescription& item : RS.descriptionList)
        combo->addItem(item.description);
    const QString wanted = vbrt::Trim(description);
    int found = -1;
    for (int i = 0; i < combo->count(); ++i)
        if (combo->itemText(i) == wanted) {
            found = i;
            break;
        }
    combo->setCurrentIndex(found);
}

void PrintSetting::DateFormatComboSet(QComboBox* combo, const QString& format)
{
    if (dateFormatsPending) {
        dateFormatsPending = false;
        dateFormatList.clear();
        for (int i = 1; i <= 100; ++i) {
            const QString entry = IniValue(QStringLiteral("DateTime"), QStringLiteral("DateTimeFormat") + QString::number(i));
            if (entry.isEmpty())
                break;
            dateFormatList << vbrt::Trim(entry);
        }
    }
    const QDateTime sample(QDate(2004, 4, 3), QTime(7, 4, 9));
    combo->clear();
    int selected = dateFormatList.isEmpty() ? -1 : 0;
    const QString wanted = vbrt::Trim(format);
    for (int i = 0; i < dateFormatList.size(); ++i) {
        combo->addItem(vbrt::Format(sample, dateFormatList[i]));
        if (dateFormatList[i] == wanted)
            selected = i;
    }
    combo->setCurrentIndex(selected);
}

void PrintSetting::TabEnable(int tab)
{
    for (std::size_t t = 0; t < tabPages.size(); ++t)
        tabPages[t]->setEnabled(int(t) == tab);
}

bool PrintSetting::txtMarginSpace_Validate(int index)
{
    QLineEdit* field = txtMarginSpace[std::size_t(index)];
    if (field->text().isEmpty())
        return true;
    double value = 0;
    QString message;
    if (!FieldNumber(field, value))
        message = QStringLiteral("数値ではありません。");
    else if (value > MaximumCentimetres)
        message = QStringLiteral("数値が大きすぎます。");
    else if (value < 0)
        message = QStringLiteral("数値が小さすぎます。");
    if (!message.isEmpty()) {
        ErrorMessageBox(message, {});
        field->setFocus();
        field->selectAll();
        return false;
    }
    field->setText(CentimetreText(value));
    return true;
}

void PrintSetting::txtMarginSpace_Step(int index, bool up)
{
    QLineEdit* field = txtMarginSpace[std::size_t(index)];
    double value = 0;
    if (!FieldNumber(field, value))
        value = 0;
    value = std::clamp(value + (up ? 0.1 : -0.1), 0.0, MaximumCentimetres);
    field->setText(CentimetreText(value));
}

void PrintSetting::updMarginSpace_Click(int index, bool up)
{
    QLineEdit* field = txtMarginSpace[std::size_t(index)];
    double value = 0;
    if (!FieldNumber(field, value))
        value = 0;
    value = up ? std::min(value + 0.2, MaximumCentimetres) : std::max(value - 0.2, 0.0);
    field->setText(CentimetreText(value));
}

void PrintSetting::cmdZoom_Click(int index)
{
    RunCommand(this, [&] {
        QString text = txtText[std::size_t(index)]->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        const QString caption = windowTitle() + QLatin1Char(':') + lblText[std::size_t(index)]->text();
        if (Program().ZoomEditDialog(caption, text, 0, 50, 5))
            txtText[std::size_t(index)]->setPlainText(text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    });
}

void PrintSetting::cmdExplainFont_Click(int index)
{
    RunCommand(this, [&] {
        const std::size_t slot = std::size_t(index);
        FontSettingTray tray;
        tray.TrayFontSettingMode = true;
        tray.TrayFontName = slotFontName[slot];
        tray.TrayFontSize = slotFontSize[slot];
        tray.TrayFontBold = slotFontBold[slot];
        tray.TrayFontItalic = slotFontItalic[slot];
        tray.TrayFontStrikethru = slotFontStrikethru[slot];
        tray.TrayFontUnderLine = slotFontUnderLine[slot];
        tray.TrayColor = slotColor[slot];
        tray.TrayCaption = windowTitle() + QLatin1Char(':') + cmdExplainFont[slot]->text() + QLatin1Char(':') +
                           slotCaption[slot];
        Program().FontSettingShow(tray);
        ModalWindowShow(windowTitle());
        if (tray.TrayCancel)
            return;
        slotFontName[slot] = tray.TrayFontName;
        slotFontSize[slot] = tray.TrayFontSize;
        slotFontBold[slot] = tray.TrayFontBold;
        slotFontItalic[slot] = tray.TrayFontItalic;
        slotFontStrikethru[slot] = tray.TrayFontStrikethru;
        slotFontUnderLine[slot] = tray.TrayFontUnderLine;
        slotColor[slot] = tray.TrayColor;
    });
}

void PrintSetting::cmdUpdate_Click()
{
    // A length field that fails its check keeps the focus and nothing is stored.
    for (int i = 0; i < int(txtMarginSpace.size()); ++i)
        if (!txtMarginSpace_Validate(i)) {
            sstReportPageSetting->setCurrentWidget(txtMarginSpace[std::size_t(i)]->parentWidget());
            txtMarginSpace[std::size_t(i)]->setFocus();
            return;
        }
    cmdUpdate->setFocus();
    const bool updated = RunCommand(this, [&] {
        SetModifyFlag(true);
        HistoryAdd(TrayCaption, 0);

        // No paper style chosen keeps the paper as it was.
        if (cmbPageStyle->currentIndex() >= 0) {
            const std::int32_t data = cmbPageStyle->currentData().toInt();
            RS.paperStyle = cmbPageStyle->currentText();
            RS.paperSize = static_cast<std::int16_t>(data / 10);
            RS.orientation = static_cast<std::int16_t>(data % 10);
        }
        // An emptied field keeps its value.
        auto length = [this](std::size_t field, std::int32_t& target) {
            double value = 0;
            if (FieldNumber(txtMarginSpace[field], value))
                target = CentimetreTwips(value);
        };
        for (std::size_t i = 0; i < 4; ++i) {
            length(i, RS.margin[i]);
            length(4 + i, RS.space[i]);
        }
        length(8, RS.headerHeight);
        length(9, RS.footerHeight);
        for (std::size_t f = 0; f < 3; ++f)
            RS.frameShow[f] = chkFrame[f]->isChecked();
        for (std::size_t slot = 0; slot < 6; ++slot) {
            RS.explain[slot] = cmbExplain[slot]->currentIndex() >= 0 ? cmbExplain[slot]->currentText() : QString();
            RS.fontName[slot] = slotFontName[slot];
            RS.fontSize[slot] = slotFontSize[slot];
            RS.fontBold[slot] = slotFontBold[slot];
            RS.fontItalic[slot] = slotFontItalic[slot];
            RS.fontStrikethru[slot] = slotFontStrikethru[slot];
            RS.fontUnderLine[slot] = slotFontUnderLine[slot];
            RS.color[slot] = slotColor[slot];
        }
        // A TAB is taken as the blank the document keeps of it: the settings text writes the line
        // breaks of a value as TABs.
        for (std::size_t i = 0; i < 5; ++i)
            RS.extraText[i] = txtText[i]->toPlainText().replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        // No date format chosen keeps the format as it was.
        if (const int i = cmbDateFormat[0]->currentIndex(); i >= 0 && i < dateFormatList.size())
            RS.updateDateFormat = dateFormatList[i];
        if (const int i = cmbDateFormat[1]->currentIndex(); i >= 0 && i < dateFormatList.size())
            RS.nowDateFormat = dateFormatList[i];
    });
    if (!updated)
        return;
    closed_ = true;
    TrayCancel = false;
    accept();
}

void PrintSetting::cmdCancel_Click()
{
    cmdCancel->setFocus();
    TrayCancel = true;
    closed_ = true;
    QDialog::reject();
}

void PrintSetting::reject()
{
    // The close box, Esc and Ctrl+F4 cancel like 取消.
    cmdCancel_Click();
}

void PrintSetting::Form_Unload()
{
    if (!loaded_)
        return;
    loaded_ = false;
    if (!closed_)
        TrayCancel = true;
    dateFormatList.clear();
    Guarded([] { ModalWindowShow(QString()); });
}

void PrintSetting::keyPressEvent(QKeyEvent* event)
{
    if (!DialogKeyTaken(event, this))
        QDialog::keyPressEvent(event);
}

bool PrintSetting::eventFilter(QObject* watched, QEvent* event)
{
    for (std::size_t i = 0; i < txtMarginSpace.size(); ++i) {
        if (watched != txtMarginSpace[i])
            continue;
        if (event->type() == QEvent::FocusIn) {
            if (FieldEntered(event))
                QTimer::singleShot(0, txtMarginSpace[i], &QLineEdit::selectAll);
        } else if (event->type() == QEvent::FocusOut) {
            // The check of the field being left; 更新 checks every field itself and 取消 checks none.
            QWidget* next = QApplication::focusWidget();
            if (!txtMarginSpace[i]->text().isEmpty() && isVisible() && !closed_ && next != cmdUpdate && next != cmdCancel)
                QTimer::singleShot(0, this, [this, i] { Guarded([&] { txtMarginSpace_Validate(int(i)); }); });
        } else if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            const Qt::KeyboardModifiers mods = key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
            if ((key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) && mods == Qt::NoModifier) {
                txtMarginSpace_Step(int(i), key->key() == Qt::Key_Up);
                return true;
            }
            // Only digits, the point and the editing keys reach the field.
            const QString text = key->text();
            if (!text.isEmpty() && text.at(0).isPrint() && !(text.at(0).isDigit() || text == QLatin1String(".")))
                return true;
        }
        return QDialog::eventFilter(watched, event);
    }
    for (std::size_t i = 0; i < txtText.size(); ++i) {
        if (watched != txtText[i])
            continue;
        if (event->type() == QEvent::FocusIn) {
            if (FieldEntered(event))
                QTimer::singleShot(0, txtText[i], &QPlainTextEdit::selectAll);
            cmdUpdate->setDefault(false);
        } else if (event->type() == QEvent::FocusOut) {
            cmdUpdate->setDefault(true);
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vellumora
