// The debug-level dialog: a level from 0 to 99 and the flash mode of the library's debug log.

#include "TavelinDebugLevel.h"

#include "platform/msgbox/MsgBox.h"
#include "platform/vbrt/Format.h"
#include "platform/vbrt/Value.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace tavelin {

namespace vbrt = platform::vbrt;

namespace {

// Geometry is laid out in twips; the screen shows 15 twips a pixel.
QRect Twips(int left, int top, int width, int height)
{
    const int t = vbrt::TwipsPerPixel;
    return QRect(left / t, top / t, width / t, height / t);
}

} // namespace

TavelinDebugLevel::TavelinDebugLevel(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("ﾃﾞﾊﾞｯｸﾞ･ﾚﾍﾞﾙ設定"));
    setModal(true);

    Label1 = new QLabel(QStringLiteral("ﾃﾞﾊﾞｯｸﾞ･ﾚﾍﾞﾙ(&L)"), this);
    txtDebugLevel = new QLineEdit(this);
    txtDebugLevel->setMaxLength(2);
    txtDebugLevel->setAttribute(Qt::WA_InputMethodEnabled, false);
    Label1->setBuddy(txtDebugLevel);
    chkFlash = new QCheckBox(QStringLiteral("ﾌﾗｯｼｭする。(&F)"), this);
    cmdUpdate = new QPushButton(QStringLiteral("更新"), this);
    cmdUpdate->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("取消"), this);
    cmdCancel->setAutoDefault(false);

    CaptionsRoomGive();

    setTabOrder(txtDebugLevel, chkFlash);
    setTabOrder(chkFlash, cmdUpdate);
    setTabOrder(cmdUpdate, cmdCancel);

    connect(cmdUpdate, &QPushButton::clicked, this, &TavelinDebugLevel::cmdUpdate_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &TavelinDebugLevel::cmdCancel_Click);

    // The dialog sees every key before its controls do.
    for (QWidget* control : {static_cast<QWidget*>(txtDebugLevel), static_cast<QWidget*>(chkFlash),
                             static_cast<QWidget*>(cmdUpdate), static_cast<QWidget*>(cmdCancel)})
        control->installEventFilter(this);
}

void TavelinDebugLevel::CaptionsRoomGive()
{
    const QSize client = Twips(0, 0, 3150, 1320).size();
    const QRect label = Twips(120, 180, 1245, 180);
    const QRect box = Twips(1440, 120, 360, 300);
    const QRect check = Twips(1440, 480, 1575, 300);
    const QRect update = Twips(1680, 840, 600, 360);
    const QRect cancel = Twips(2400, 840, 600, 360);
    // The designed boxes of the two captions are smaller than their texts in the desktop's fonts,
    // which cut off their closing ")": each caption gets the room its text needs, the controls
    // right of and below it move along, and the dialog grows by what the captions took.
    const QSize labelSize = Label1->sizeHint().expandedTo(label.size());
    const int gap = box.left() - (label.left() + label.width());
    const int right = std::max(0, label.left() + labelSize.width() + gap - box.left());
    const int rowGrowth = std::max(0, labelSize.height() - box.height());
    // The label stands in the middle of its box's row.
    Label1->setGeometry(QRect(QPoint(label.left(), box.top() + (box.height() + rowGrowth - labelSize.height()) / 2),
                              labelSize));
    txtDebugLevel->setGeometry(box.translated(right, rowGrowth / 2));
    const QSize checkSize = chkFlash->sizeHint().expandedTo(check.size());
    chkFlash->setGeometry(QRect(check.topLeft() + QPoint(right, rowGrowth), checkSize));
    const int down = rowGrowth + checkSize.height() - check.height();
    const int margin = client.width() - (check.left() + check.width());
    const int wider = std::max(0, chkFlash->x() + checkSize.width() + margin - client.width());
    cmdUpdate->setGeometry(update.translated(wider, down));
    cmdCancel->setGeometry(cancel.translated(wider, down));
    setFixedSize(client + QSize(wider, down));
}

void TavelinDebugLevel::showEvent(QShowEvent* event)
{
    txtDebugLevel->setText(QString::number(TrayDebugLevel));
    chkFlash->setChecked(TrayDebugFileFlash);
    txtDebugLevel->setFocus(Qt::OtherFocusReason);
    txtDebugLevel->selectAll();
    QDialog::showEvent(event);
}

bool TavelinDebugLevel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (HandleDialogKey(key))
            return true;
        if (watched == txtDebugLevel) {
            // Only digits and Backspace may be typed; control keys and shortcuts (paste included) pass.
            const QString text = key->text();
            const bool shortcut = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
            const bool digit = text.size() == 1 && text.at(0) >= QLatin1Char('0') && text.at(0) <= QLatin1Char('9');
            if (!shortcut && !text.isEmpty() && text.at(0).isPrint() && !digit)
                return true;
        }
    } else if (watched == txtDebugLevel && event->type() == QEvent::FocusIn) {
        QMetaObject::invokeMethod(txtDebugLevel, &QLineEdit::selectAll, Qt::QueuedConnection);
    } else if (watched == txtDebugLevel && event->type() == QEvent::FocusOut) {
        const QString text = txtDebugLevel->text();
        if (vbrt::IsNumeric(text))
            txtDebugLevel->setText(vbrt::Format(vbrt::CDbl(text), QStringLiteral("#0")));
    }
    return QDialog::eventFilter(watched, event);
}

void TavelinDebugLevel::keyPressEvent(QKeyEvent* event)
{
    if (!HandleDialogKey(event))
        QDialog::keyPressEvent(event);
}

// Ctrl with an arrow moves the dialog 100 twips that way; Ctrl+F4 closes it as Cancel does.
bool TavelinDebugLevel::HandleDialogKey(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (modifiers != Qt::ControlModifier)
        return false;
    const int step = qRound(100.0 / vbrt::TwipsPerPixel);
    switch (event->key()) {
    case Qt::Key_Left: move(pos() + QPoint(-step, 0)); return true;
    case Qt::Key_Up: move(pos() + QPoint(0, -step)); return true;
    case Qt::Key_Right: move(pos() + QPoint(step, 0)); return true;
    case Qt::Key_Down: move(pos() + QPoint(0, step)); return true;
    case Qt::Key_F4: cmdCancel_Click(); return true;
    default: return false;
    }
}

void TavelinDebugLevel::cmdUpdate_Click()
{
    const QString text = txtDebugLevel->text();
    if (vbrt::IsNumeric(text)) {
        const double level = vbrt::Int(vbrt::CDbl(text));
        if (level >= 0 && level <= 99) {
            TrayDebugLevel = static_cast<std::int16_t>(level);
            TrayDebugFileFlash = chkFlash->isChecked();
            accept();
            return;
        }
    }
    platform::msgbox::MsgBox(QStringLiteral("入力が不正です。"), platform::msgbox::Style::Critical, windowTitle(),
                             this);
    txtDebugLevel->setFocus(Qt::OtherFocusReason);
}

void TavelinDebugLevel::cmdCancel_Click() { reject(); }

} // namespace tavelin
