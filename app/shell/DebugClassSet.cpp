#include "app/shell/DebugClassSet.h"

#include "app/core/ApplicationGlobals.h"
#include "app/core/DebugLog.h"
#include "app/core/Processing.h"
#include "app/core/Utilities.h"
#include "platform/vbrt/Value.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace vellumora {

namespace {

const std::array<QString, 10> ClassCaptions = {
    QString(),
    QStringLiteral("1:ﾃﾞﾌｫﾙﾄ(&1)"),
    QStringLiteral("2:起動情報(&2)"),
    QStringLiteral("3:ｴﾗｰ(&3)"),
    QStringLiteral("4:"),
    QStringLiteral("5:BOXﾃﾞｰﾀ(&5)"),
    QStringLiteral("6:ﾚﾎﾟｰﾄ進行状況(&6)"),
    QStringLiteral("7:ﾚﾎﾟｰﾄ結果(&7)"),
    QStringLiteral("8:ﾚﾎﾟｰﾄ･ﾘﾄﾗｲ(&8)"),
    QStringLiteral("9:"),
};

// Geometry in twips, shown at 15 twips a pixel.
constexpr int Margin = 240;
constexpr int RowPitch = 360;
constexpr int BoxWidth = 3000;
constexpr int BoxHeight = 300;
constexpr int ButtonWidth = 1080;
constexpr int ButtonHeight = 375;
constexpr int ButtonGap = 120;

QRect Twips(int x, int y, int width, int height)
{
    const int p = platform::vbrt::TwipsPerPixel;
    return QRect(x / p, y / p, width / p, height / p);
}

bool DialogOpen = false;

} // namespace

DebugClassSet::DebugClassSet(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DebugClassSet"));
    setWindowTitle(QStringLiteral("ﾃﾞﾊﾞｯｸﾞ･ﾚﾍﾞﾙ設定"));

    lblDebugClass = new QLabel(QStringLiteral("ﾃﾞﾊﾞｯｸﾞ･ｸﾗｽ"), this);
    lblDebugClass->setObjectName(QStringLiteral("lblDebugClass"));
    lblDebugClass->setGeometry(Twips(Margin, Margin, BoxWidth, BoxHeight));

    int y = Margin + RowPitch;
    for (std::size_t i = 1; i <= 9; ++i, y += RowPitch) {
        chkDebugClass[i] = new QCheckBox(ClassCaptions[i], this);
        chkDebugClass[i]->setObjectName(QStringLiteral("chkDebugClass%1").arg(i));
        chkDebugClass[i]->setGeometry(Twips(Margin + 120, y, BoxWidth, BoxHeight));
    }
    chkDebugFlash = new QCheckBox(QStringLiteral("ﾌｧｲﾙをFLASHする(&F)"), this);
    chkDebugFlash->setObjectName(QStringLiteral("chkDebugFlash"));
    chkDebugFlash->setGeometry(Twips(Margin + 120, y, BoxWidth, BoxHeight));
    y += RowPitch + ButtonGap;

    int x = Margin;
    const auto button = [&](QPushButton*& member, const QString& name, const QString& caption) {
        member = new QPushButton(caption, this);
        member->setObjectName(name);
        member->setAutoDefault(false);
        member->setGeometry(Twips(x, y, ButtonWidth, ButtonHeight));
        x += ButtonWidth + ButtonGap;
    };
    button(cmdReset, QStringLiteral("cmdReset"), QStringLiteral("ﾘｾｯﾄ(&R)"));
    button(cmdUpdate, QStringLiteral("cmdUpdate"), QStringLiteral("更新"));
    button(cmdCancel, QStringLiteral("cmdCancel"), QStringLiteral("取消"));
    cmdUpdate->setDefault(true);
    setFixedSize(Twips(0, 0, std::max(x, Margin * 2 + BoxWidth) + Margin - ButtonGap, y + ButtonHeight + Margin).size());

    connect(cmdReset, &QPushButton::clicked, this, &DebugClassSet::cmdReset_Click);
    connect(cmdUpdate, &QPushButton::clicked, this, &DebugClassSet::cmdUpdate_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &DebugClassSet::cmdCancel_Click);

    // Load
    FormControlsClear(this, true);
    for (std::size_t i = 1; i <= 9; ++i)
        chkDebugClass[i]->setChecked(BoolToByte(ApplicationGlobals.DebugClass[i]) != 0);
    chkDebugFlash->setChecked(BoolToByte(ApplicationGlobals.DebugFlash) != 0);
    // The log is let go while the switches change, so the file can be looked at or moved away.
    DebugLogClose();
}

void DebugClassSet::cmdReset_Click()
{
    FormControlsClear(this, true);
    cmdUpdate->setFocus();
}

void DebugClassSet::cmdUpdate_Click()
{
    for (std::size_t i = 1; i <= 9; ++i)
        ApplicationGlobals.DebugClass[i] = ByteToBool(chkDebugClass[i]->isChecked() ? 1 : 0);
    ApplicationGlobals.DebugFlash = ByteToBool(chkDebugFlash->isChecked() ? 1 : 0);
    done(QDialog::Accepted);
}

void DebugClassSet::cmdCancel_Click()
{
    cmdCancel->setFocus();
    done(QDialog::Rejected);
}

void DebugClassSet::reject() { cmdCancel_Click(); }

void DebugClassSet::keyPressEvent(QKeyEvent* event)
{
    int keyCode = event->key();
    DialogKeyDown(keyCode, int(event->modifiers()), this);
    if (keyCode == 0)
        event->accept();
    else
        QDialog::keyPressEvent(event);
}

void DebugClassSetShow()
{
    if (DialogOpen)
        return;
    DialogOpen = true;
    struct Reopenable {
        ~Reopenable() { DialogOpen = false; }
    } reopenable;
    DebugClassSet dialog;
    dialog.exec();
}

} // namespace vellumora
