#include "app/dialogs/ZoomScreen.h"

#include "app/core/MainWindowLink.h"
#include "app/core/Processing.h"
#include "app/diagram/TagTable.h"
#include "platform/vbrt/Value.h"

#include <QEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace vellumora {

namespace {

constexpr int Pixel = platform::vbrt::TwipsPerPixel;

// The designed window, in twips.
constexpr std::int32_t DesignWidth = 7800;
constexpr std::int32_t DesignHeight = 4560;
constexpr std::int32_t Margin = 120;
constexpr std::int32_t LabelHeight = 240;
constexpr std::int32_t ButtonWidth = 1080;
constexpr std::int32_t ButtonHeight = 375;
// Neither the text box nor the buttons' distance from the left or top edge shrinks below this.
constexpr std::int32_t SmallestRoom = 3000;
// Milliseconds a window manager takes to finish minimising the main window.
constexpr int MainWindowSettles = 250;

// The text box holds LF line ends; the callers' texts join lines with CR LF.
QString ToEditor(const QString& text)
{
    QString lines = text;
    return lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString FromEditor(const QString& text)
{
    QString lines = text;
    return lines.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
}

} // namespace

ZoomScreen::ZoomScreen(QWidget* parent) : TrayDialog(parent)
{
    setObjectName(QStringLiteral("ZoomScreen"));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);

    lblText = new QLabel(QStringLiteral("ﾃｷｽﾄ(&T)"), this);
    lblText->setObjectName(QStringLiteral("lblText"));
    txtZoomEditor = new QPlainTextEdit(this);
    txtZoomEditor->setObjectName(QStringLiteral("txtZoomEditor"));
    txtZoomEditor->setTabChangesFocus(true);
    lblText->setBuddy(txtZoomEditor);
    UpdateCancelButtonsMake();

    const std::int32_t textTop = Margin + LabelHeight + 60;
    const std::int32_t buttonTop = DesignHeight - Margin - ButtonHeight;
    lblText->setGeometry(Twips(Margin, Margin, 2400, LabelHeight));
    txtZoomEditor->setGeometry(Twips(Margin, textTop, DesignWidth - 2 * Margin, buttonTop - Margin - textTop));
    cmdCancel->setGeometry(Twips(DesignWidth - Margin - ButtonWidth, buttonTop, ButtonWidth, ButtonHeight));
    cmdUpdate->setGeometry(Twips(DesignWidth - 2 * (Margin + ButtonWidth), buttonTop, ButtonWidth, ButtonHeight));
    resize(Twips(0, 0, DesignWidth, DesignHeight).size());

    txtZoomEditor->installEventFilter(this);

    mainWindowBack_ = new QTimer(this);
    mainWindowBack_->setSingleShot(true);
    mainWindowBack_->setInterval(MainWindowSettles);
    connect(mainWindowBack_, &QTimer::timeout, this, &ZoomScreen::MainWindowBack);
}

ZoomScreen::~ZoomScreen() = default;

void ZoomScreen::Form_Load()
{
    FormControlsClear(this, true);
    txtZoomEditor->setPlainText(ToEditor(TrayEditText));

    designWidth_ = width() * Pixel;
    designHeight_ = height() * Pixel;
    textWidth_ = txtZoomEditor->width() * Pixel;
    textHeight_ = txtZoomEditor->height() * Pixel;
    updateLeft_ = cmdUpdate->x() * Pixel;
    updateTop_ = cmdUpdate->y() * Pixel;
    cancelLeft_ = cmdCancel->x() * Pixel;
    cancelTop_ = cmdCancel->y() * Pixel;
    const std::int32_t minimumWidth = std::max({designWidth_ - textWidth_, designWidth_ - updateLeft_,
                                                designWidth_ - cancelLeft_}) + SmallestRoom;
    const std::int32_t minimumHeight = std::max({designHeight_ - textHeight_, designHeight_ - updateTop_,
                                                 designHeight_ - cancelTop_}) + SmallestRoom;
    setMinimumSize(Twips(0, 0, minimumWidth, minimumHeight).size());
    main_ = MainWindow() ? MainWindow()->window() : nullptr;
    minimised_ = false;
    if (main_) {
        mainWindowState_ = main_->windowState() & ~Qt::WindowMinimized;
        main_->installEventFilter(this);
    }

    const QString caption = QStringLiteral("ｽﾞｰﾑ") + QStringLiteral(" [") + MenuCaptionClean(TrayModifyCaption) +
                            QStringLiteral("]");
    setWindowTitle(caption);
    ModalWindowShow(caption);
}

void ZoomScreen::showEvent(QShowEvent* event)
{
    TrayDialog::showEvent(event);
    txtZoomEditor->setFocus();
}

void ZoomScreen::resizeEvent(QResizeEvent* event)
{
    TrayDialog::resizeEvent(event);
    if (designWidth_ > 0)
        Form_Resize();
}

void ZoomScreen::changeEvent(QEvent* event)
{
    TrayDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && designWidth_ > 0)
        Form_Resize();
}

void ZoomScreen::Form_Resize()
{
    const std::int32_t w = width() * Pixel;
    const std::int32_t h = height() * Pixel;
    // The text box grows with the window; the buttons keep their distance from the right and
    // lower edges.
    if (w - (designWidth_ - textWidth_) > SmallestRoom && w - (designWidth_ - updateLeft_) > SmallestRoom &&
        w - (designWidth_ - cancelLeft_) > SmallestRoom) {
        txtZoomEditor->resize((w - (designWidth_ - textWidth_)) / Pixel, txtZoomEditor->height());
        cmdUpdate->move((w - (designWidth_ - updateLeft_)) / Pixel, cmdUpdate->y());
        cmdCancel->move((w - (designWidth_ - cancelLeft_)) / Pixel, cmdCancel->y());
    }
    if (h - (designHeight_ - textHeight_) > SmallestRoom && h - (designHeight_ - updateTop_) > SmallestRoom &&
        h - (designHeight_ - cancelTop_) > SmallestRoom) {
        txtZoomEditor->resize(txtZoomEditor->width(), (h - (designHeight_ - textHeight_)) / Pixel);
        cmdUpdate->move(cmdUpdate->x(), (h - (designHeight_ - updateTop_)) / Pixel);
        cmdCancel->move(cmdCancel->x(), (h - (designHeight_ - cancelTop_)) / Pixel);
    }
    MinimisedFollow();
}

void ZoomScreen::MinimisedFollow()
{
    // A window manager sends more state changes and resizes while a window is minimised, and may
    // minimise the main window before the zoom: only the zoom's move into minimised is taken, and
    // what is remembered is never "minimised", or nothing could bring the program back.
    const bool minimised = isMinimized();
    if (minimised == minimised_)
        return;
    minimised_ = minimised;
    if (!main_)
        return;
    if (minimised) {
        mainWindowState_ = main_->windowState() & ~Qt::WindowMinimized;
        if (!main_->isMinimized())
            main_->setWindowState(main_->windowState() | Qt::WindowMinimized);
    } else if (main_->windowState() != mainWindowState_) {
        main_->setWindowState(mainWindowState_);
    }
}

void ZoomScreen::MainWindowBack()
{
    // The modal zoom holds the program: when the user brings the main window back, the zoom comes
    // with it, and its return gives the main window its former state.
    if (!minimised_ || !main_ || main_->isMinimized())
        return;
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    else
        MinimisedFollow();
    raise();
    activateWindow();
}

bool ZoomScreen::eventFilter(QObject* watched, QEvent* event)
{
    // Minimising a maximised window, Qt takes its maximised state away for a moment, which looks
    // like the window coming back: the main window counts as back when it still is a moment later.
    if (watched == main_ && event->type() == QEvent::WindowStateChange && minimised_ && !main_->isMinimized())
        mainWindowBack_->start();
    if (watched == txtZoomEditor) {
        // While the text has the focus, Enter starts a new line instead of pressing 更新.
        if (event->type() == QEvent::FocusIn) {
            if (FieldEntered(event))
                txtZoomEditor->selectAll();
            cmdUpdate->setDefault(false);
        } else if (event->type() == QEvent::FocusOut) {
            cmdUpdate->setDefault(true);
        }
    }
    return TrayDialog::eventFilter(watched, event);
}

void ZoomScreen::cmdUpdate_Click()
{
    cmdUpdate->setFocus();
    ProcessingStart(this);
    const QString text = FromEditor(txtZoomEditor->toPlainText());
    if (InputTextCheck(text, TrayTagType, TrayMaxTextWidth, TrayMaxTextHeight)) {
        ProcessingEnd(this, false, false);
        txtZoomEditor->setFocus();
        return;
    }
    TrayEditText = text;
    Confirm();
}

void ZoomScreen::Form_Unload()
{
    mainWindowBack_->stop();
    if (main_)
        main_->removeEventFilter(this);
    main_ = nullptr;
    TrayDialog::Form_Unload();
    ProcessingEnd(this, false, false);
}

bool ZoomTextEdit(QWidget* parent, const QString& caption, QString& text, std::int32_t tagType,
                  std::int32_t maxWidth, std::int32_t maxHeight)
{
    ZoomScreen zoom(parent);
    zoom.TrayEditText = text;
    zoom.TrayModifyCaption = caption;
    zoom.TrayTagType = tagType;
    zoom.TrayMaxTextWidth = maxWidth;
    zoom.TrayMaxTextHeight = maxHeight;
    zoom.exec();
    if (zoom.TrayCancel)
        return false;
    text = zoom.TrayEditText;
    return true;
}

} // namespace vellumora
