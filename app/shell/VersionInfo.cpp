#include "app/shell/VersionInfo.h"

#include "app/core/DebugLog.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace vellumora {

namespace {

const QString ProductName = QStringLiteral("Vellumora");
const QString VersionText = QStringLiteral("Version 1.0");
const QString CopyrightText = QStringLiteral("Copyright (C) 2026 Vellumora developers");

QFont LabelFont(const QFont& base, double points, bool bold, bool italic)
{
    QFont font = base;
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

} // namespace

VersionInfo::VersionInfo(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("VersionInfo"));
    setWindowTitle(ProductName + QStringLiteral("  ﾊﾞｰｼﾞｮﾝ情報"));

    imgIcon = new QLabel(this);
    imgIcon->setObjectName(QStringLiteral("imgIcon"));
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = style()->standardIcon(QStyle::SP_ComputerIcon);
    imgIcon->setPixmap(icon.pixmap(32, 32));

    lblPackageTitle = new QLabel(this);
    lblPackageTitle->setObjectName(QStringLiteral("lblPackageTitle"));
    lblPackageTitle->setFont(LabelFont(font(), 21.75, true, true));
    QPalette titlePalette = lblPackageTitle->palette();
    titlePalette.setColor(QPalette::WindowText, Qt::blue);
    lblPackageTitle->setPalette(titlePalette);

    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setFont(LabelFont(font(), 9, true, false));

    lblCopyright = new QLabel(this);
    lblCopyright->setObjectName(QStringLiteral("lblCopyright"));
    lblCopyright->setFont(LabelFont(font(), 9, false, false));

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &VersionInfo::cmdOK_Click);

    auto* layout = new QGridLayout(this);
    layout->addWidget(imgIcon, 0, 0, 3, 1, Qt::AlignTop);
    layout->addWidget(lblPackageTitle, 0, 1);
    layout->addWidget(lblVersion, 1, 1);
    layout->addWidget(lblCopyright, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    layout->addLayout(buttons, 3, 0, 1, 2);

    // Load
    lblPackageTitle->setText(ProductName);
    lblVersion->setText(VersionText);
    lblCopyright->setText(CopyrightText);
}

void VersionInfo::cmdOK_Click() { close(); }

void VersionInfo::Form_KeyDown(int& keyCode, int shift)
{
    DebugKeyCheck(keyCode, shift, this);
    if (keyCode == Qt::Key_Escape) {
        cmdOK_Click();
        keyCode = 0;
    }
}

void VersionInfo::keyPressEvent(QKeyEvent* event)
{
    int keyCode = event->key();
    Form_KeyDown(keyCode, int(event->modifiers()));
    if (keyCode == 0)
        event->accept();
    else
        QDialog::keyPressEvent(event);
}

void VersionInfoShow(QWidget* owner)
{
    VersionInfo dialog(owner);
    dialog.exec();
}

} // namespace vellumora
