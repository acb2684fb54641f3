#include "app/core/Processing.h"

#include "app/core/CanvasSurface.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/DebugLog.h"
#include "app/core/FirstFailure.h"
#include "app/core/MainWindowLink.h"
#include "app/core/RecordAccess.h"
#include "app/core/Utilities.h"
#include "platform/vbrt/Error.h"
#include "platform/vbrt/Value.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>

#include <exception>
#include <optional>

namespace vellumora {

namespace {

const char* const InputBlockedProperty = "InputBlocked";

bool IsInputEvent(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
        return true;
    default:
        return false;
    }
}

// Swallows the input of blocked windows and of everything inside them. Windows of their own
// (dialogs parented to a blocked window) keep their input: a widget counts as inside a blocked
// one only when both are in the same window.
class InputBlocker : public QObject {
public:
    void block(QWidget* widget)
    {
        for (const QPointer<QWidget>& b : blocked_)
            if (b == widget)
                return;
        blocked_.push_back(widget);
    }

    void unblock(QWidget* widget)
    {
        std::erase_if(blocked_, [widget](const QPointer<QWidget>& b) { return b.isNull() || b == widget; });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (blocked_.empty() || !IsInputEvent(event->type()) || !watched->isWidgetType())
            return false;
        auto* target = static_cast<QWidget*>(watched);
        for (const QPointer<QWidget>& b : blocked_) {
            if (b && (b == target || b->isAncestorOf(target))) {
                // Accepting the override claims the key for the blocked widget, so no menu
                // shortcut fires; the key press itself is swallowed next.
                if (event->type() == QEvent::ShortcutOverride)
                    event->accept();
                return true;
            }
        }
        return false;
    }

private:
    std::vector<QPointer<QWidget>> blocked_;
};

InputBlocker* Blocker()
{
    static QPointer<InputBlocker> blocker;
    if (!blocker && qApp) {
        blocker = new InputBlocker;
        blocker->setParent(qApp);
        qApp->installEventFilter(blocker);
    }
    return blocker;
}

QString ResolveDocument(const QString& text)
{
    return text == CurrentDocument ? ApplicationGlobals.DocumentName : text;
}

bool IsBlank(const QString& text)
{
    return platform::vbrt::Trim(text).isEmpty();
}

bool IsAsciiLetterOrDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9');
}

void SetBackColor(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    palette.setColor(QPalette::Button, color);
    widget->setPalette(palette);
}

// The widget that moves when a form moves: its MDI frame, or the form itself.
QWidget* MovingFrame(QWidget* form)
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(form->parentWidget()))
        return sub;
    return form;
}

template <class Entries, class TextOf, class DataOf>
void ComboFill(QComboBox* combo, bool includeDefault, const QString& current, const Entries& entries, TextOf textOf,
               DataOf dataOf)
{
    combo->clear();
    const QString wanted = StringDefault(current, QStringLiteral("標準"));
    int selected = -1;
    for (std::size_t i = includeDefault ? 0 : 1; i < static_cast<std::size_t>(entries.size()); ++i) {
        const auto& entry = entries[i];
        combo->addItem(textOf(entry), dataOf(entry));
        if (textOf(entry) == wanted)
            selected = combo->count() - 1;
    }
    combo->setCurrentIndex(selected);
}

} // namespace

QString FormTag(const QWidget* form)
{
    return form ? form->property("Tag").toString() : QString();
}

void FormTagSet(QWidget* form, const QString& tag)
{
    form->setProperty("Tag", tag);
}

bool FormVisible(const QWidget* form)
{
    return form && form->isVisibleTo(form->window());
}

void FormEnable(QWidget* form, bool enabled)
{
    if (!form)
        return;
    form->setProperty(InputBlockedProperty, !enabled);
    if (InputBlocker* blocker = Blocker()) {
        if (enabled)
            blocker->unblock(form);
        else
            blocker->block(form);
    }
}

bool FormEnabled(const QWidget* form)
{
    return form && form->isEnabled() && !form->property(InputBlockedProperty).toBool();
}

void ProcessingStart(QWidget* form)
{
    if (MainWindow())
        MainWindow()->setBusyPointer(true);
    if (form)
        FormEnable(form, false);
    PaintEventReleaseAll(true, false);
    if (MainWindow())
        MainWindow()->setTimerRunning(false);
}

namespace {

// A window that takes no keys itself passes the focus on as the desktop does: to the control of
// it that had the focus last, else to the first control in its tab order.
void FormFocus(QWidget* form)
{
    if (form->focusPolicy() == Qt::NoFocus) {
        const auto usable = [form](QWidget* w) { return form->isAncestorOf(w) && w->isEnabled() && w->isVisibleTo(form); };
        // The focus comes back with the window to where it was, as after a message box: a field
        // there is not entered anew.
        if (QWidget* last = form->focusWidget(); last && last != form && usable(last)) {
            last->setFocus(Qt::ActiveWindowFocusReason);
            return;
        }
        for (QWidget* w = form->nextInFocusChain(); w && w != form; w = w->nextInFocusChain()) {
            if (usable(w) && (w->focusPolicy() & Qt::TabFocus)) {
                w->setFocus(Qt::TabFocusReason);
                return;
            }
        }
    }
    form->setFocus();
}

} // namespace

void ProcessingEnd(QWidget* form, bool suspend, bool force)
{
    // A repaint that fails must not leave the window blocked or the messages pending: the
    // remaining steps run and the error is passed on afterwards.
    FirstFailure failure;
    failure.Run([&] { PaintEventReleaseAll(suspend, force); });

    if (form) {
        // The input block ends with its command, also for a window the command hid: whoever
        // shows that window again finds it taking input.
        FormEnable(form, true);
        const QString tag = FormTag(form);
        if (tag.contains(QLatin1Char('B'))) {
            // The child in front gets the focus back as a window does, into the control that had
            // it (the text box after a zoom or a refused text, the grid with its active cell).
            QWidget* child = MainWindow() ? MainWindow()->activeChild() : nullptr;
            if (child && FormEnabled(child))
                FormFocus(child);
        } else if (tag.contains(QLatin1Char('M'))) {
            const bool mainEnabled = !MainWindow() || FormEnabled(MainWindow()->window());
            // A child window that a command has put behind another (the box editor it opened)
            // stays there: taking the focus would bring it forward again.
            const bool front = !MainWindow() || !qobject_cast<QMdiSubWindow*>(form->parentWidget()) ||
                               MainWindow()->activeChild() == form;
            if (FormEnabled(form) && mainEnabled && FormVisible(form) && front)
                FormFocus(form);
        }
    }

    if (MainWindow()) {
        MainWindow()->ScrollBarArrange();
        // Whichever window the command ran from, the tool bar shows what it left: the steps to
        // undo and redo, the document's file, the selection.
        failure.Run([] { MainWindow()->ToolBarArrange(); });
    }

    const QString error = ApplicationGlobals.DeferredError;
    const QString information = ApplicationGlobals.DeferredInformation;
    ApplicationGlobals.DeferredError.clear();
    ApplicationGlobals.DeferredInformation.clear();
    if (!error.isEmpty())
        ErrorMessageBox(error, {});
    else if (!information.isEmpty())
        InformationMessageBox(information);

    if (MainWindow()) {
        MainWindow()->setTimerRunning(true);
        MainWindow()->setBusyPointer(false);
    }
    failure.Rethrow();
}

namespace {

// ProcessingEnd at the close of a command; its own failure is shown at once, as nothing after
// it would show it. Returns false when it failed.
bool ProcessingEndReported(QWidget* form, bool force)
{
    return Guarded([&] { ProcessingEnd(form, false, force); });
}

} // namespace

QString FailureText(const std::exception& e)
{
    if (const auto* error = dynamic_cast<const platform::vbrt::Error*>(&e)) {
        if (error->number() >= platform::vbrt::ErrorNumber::Application)
            return error->description();
        return error->description() + QLatin1Char('(') + QString::number(error->number()) + QStringLiteral(") ") +
               error->source();
    }
    return QString::fromLocal8Bit(e.what());
}

QString FailureText(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& e) {
        return FailureText(e);
    } catch (...) {
        return QStringLiteral("予期しないエラーが発生しました。");
    }
}

bool Guarded(const std::function<void()>& step)
{
    try {
        step();
        return true;
    } catch (...) {
        ErrorMessageBox(FailureText(std::current_exception()), {});
        return false;
    }
}

namespace {

void DeferredErrorAdd(const QString& text)
{
    // A handler failing on every paint must not pile up the same line.
    QString& deferred = ApplicationGlobals.DeferredError;
    if (deferred.split(QStringLiteral("\r\n")).contains(text))
        return;
    deferred = deferred.isEmpty() ? text : deferred + QStringLiteral("\r\n") + text;
}

} // namespace

bool FieldEntered(const QEvent* event)
{
    if (event->type() != QEvent::FocusIn)
        return false;
    const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

void EventBoundary(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (...) {
        DeferredErrorAdd(FailureText(std::current_exception()));
        // Outside a command nothing else would show it: the event loop shows it next, unless a
        // command's end has shown it by then.
        QTimer::singleShot(0, qApp, [] {
            const QString error = ApplicationGlobals.DeferredError;
            if (error.isEmpty() || ApplicationGlobals.PaintSuspended)
                return;
            ApplicationGlobals.DeferredError.clear();
            ErrorMessageBox(error, {});
        });
    }
}

bool RunCommand(QWidget* form, const std::function<void()>& command, bool force)
{
    QPointer<QWidget> guarded(form);
    std::optional<QString> failure;
    try {
        ProcessingStart(form);
        command();
    } catch (...) {
        failure = FailureText(std::current_exception());
    }
    // Shown once by ProcessingEnd, after painting was released; it hides any information.
    if (failure)
        DeferredErrorAdd(*failure);
    return ProcessingEndReported(guarded.data(), force) && !failure;
}

ProcessingScope::ProcessingScope(QWidget* form, bool force) : form_(form), force_(force)
{
    ProcessingStart(form_);
}

ProcessingScope::~ProcessingScope()
{
    ProcessingEndReported(form_, force_);
}

CanvasSurface* ShownCanvasWindow(const CanvasRecord& record)
{
    CanvasSurface* form = record.form.data();
    if (record.header.state != CanvasState::Open || !form || !FormVisible(form) || form->WindowState() == 1)
        return nullptr;
    return form;
}

void PaintEventReleaseAll(bool suspend, bool force)
{
    ApplicationGlobals.PaintSuspended = suspend;
    if (suspend)
        return;
    // Every window gets its release even when one of them fails; the first error is passed on.
    FirstFailure failure;
    for (std::size_t c = 1; c < B.size(); ++c)
        if (CanvasSurface* form = ShownCanvasWindow(B[c]))
            failure.Run([&] { form->PaintEventRelease(force); });
    failure.Rethrow();
}

void CanvasTimersStop()
{
    for (std::size_t c = 1; c < B.size(); ++c)
        if (CanvasSurface* form = ShownCanvasWindow(B[c]); form && form->timCanvasForm)
            form->timCanvasForm->stop();
}

void RefreshTimersStop()
{
    // Every canvas window belongs to a slot of B, so the slots list every window tagged "C". A
    // hold-off is ended, not dropped: the paint it swallowed would otherwise wait for an expose.
    for (const CanvasRecord& record : B)
        if (record.form && record.form->timRefresh && record.form->timRefresh->isActive())
            record.form->PaintHoldOffEnd();
}

void CanvasBusyWait(std::int16_t canvas)
{
    const CanvasRecord& record = CanvasAt(canvas, "CanvasBusyWait");
    if (record.header.busyCount >= 1)
        platform::vbrt::Raise(QStringLiteral("CanvasBusyWait"),
                              QStringLiteral("ｷｬﾝﾊﾞｽの描画中のため、処理できません。"));
}

CanvasHeader CanvasDataGet(std::int16_t canvas)
{
    return CanvasAt(canvas, "CanvasDataGet").header;
}

BoxRecord BoxDataGet(std::int16_t canvas, std::int16_t box)
{
    return ElementAt(CanvasAt(canvas, "BoxDataGet").BoxList, box, "BoxDataGet");
}

SubRecord SubDataGet(std::int16_t canvas, std::int16_t sub)
{
    return ElementAt(CanvasAt(canvas, "SubDataGet").SubList, sub, "SubDataGet");
}

void CanvasStateSet(std::int16_t canvas, std::int32_t state)
{
    CanvasHeader& header = CanvasAt(canvas, "CanvasStateSet").header;
    const std::int32_t old = header.state;
    header.state = state;
    if (old != CanvasState::Open && state == CanvasState::Open)
        header.windowState = -1;
}

void PartsLockSet(std::int16_t canvas, bool lock)
{
    if (canvas > 0)
        CanvasAt(canvas, "PartsLockSet").header.partsLock = lock ? -1 : 0;
    if (!lock)
        return;
    for (std::size_t c = 1; c < B.size(); ++c) {
        if (static_cast<std::int16_t>(c) == canvas)
            continue;
        B[c].header.partsLock = 0;
        // Emptying a selection that is empty touches nothing, so a canvas that holds none costs
        // no walk over its frames.
        if (B[c].form)
            B[c].form->PartsLock();
    }
}

QString CanvasCaptionMake(std::int16_t canvas, const QString& name)
{
    CanvasHeader& header = CanvasAt(canvas, "CanvasCaptionMake").header;
    if (name != QLatin1String("\t"))
        header.name = platform::vbrt::Trim(name);
    const QString shown = header.name.isEmpty() ? QStringLiteral("(名前無し)") : header.name;
    return shown + QLatin1Char(':') + QString::number(header.number);
}

void NewPageToggle(std::int16_t canvas, std::int16_t box, std::int16_t sub)
{
    if (box > 0) {
        BoxRecord& record = ElementAt(CanvasAt(canvas, "NewPageToggle").BoxList, box, "NewPageToggle");
        record.flags ^= BoxFlag::LowerPage;
    } else if (sub > 0) {
        SubRecord& record = ElementAt(CanvasAt(canvas, "NewPageToggle").SubList, sub, "NewPageToggle");
        record.flags ^= SubFlag::RightPage;
    }
}

std::int32_t ObstinateGet(std::int16_t index)
{
    const QString name = QStringLiteral("Obstinate") + QString::number(index + 1);
    for (const TagAttributeRecord& row : PR.TagAttributeTable)
        if (row.name == name)
            return row.value;
    return 0;
}

void StatusPanelSet(const QString& key, const QString& text)
{
    if (MainWindow())
        MainWindow()->setStatusPanelText(key, text);
}

void FocusCanvasShow(const QString& text)
{
    StatusPanelSet(QStringLiteral("FocusCanvas"), text);
}

void EditModeShow()
{
    QString text;
    if (DocumentOpened())
        text = ApplicationGlobals.EditModeFlag ? QStringLiteral("編集ﾓｰﾄﾞ") : QStringLiteral("印刷ﾓｰﾄﾞ");
    StatusPanelSet(QStringLiteral("EditMode"), text);
}

void ModalWindowShow(const QString& text)
{
    if (MainWindow())
        MainWindow()->CaptionSet(text);
    StatusPanelSet(QStringLiteral("ModalWindow"), text);
}

void UnVisibleCanvasShow()
{
    QString text;
    if (DocumentOpened()) {
        int count = 0;
        QString name;
        bool nameTaken = false;
        for (std::size_t c = 1; c < B.size(); ++c) {
            const CanvasRecord& record = B[c];
            if (record.header.state != CanvasState::Open || FormVisible(record.form.data()))
                continue;
            ++count;
            if (!nameTaken && !record.header.name.isEmpty()) {
                name = record.header.name;
                nameTaken = true;
            }
        }
        if (count >= 1) {
            if (!nameTaken)
                text = QString::number(count) + QStringLiteral("つのｷｬﾝﾊﾞｽが非表示です。");
            else if (count == 1)
                text = QLatin1Char('\'') + name + QLatin1Char('\'') + QStringLiteral("のｷｬﾝﾊﾞｽが非表示です。");
            else
                text = QLatin1Char('\'') + name + QLatin1Char('\'') + QStringLiteral("、他") +
                       QString::number(count - 1) + QStringLiteral("つのｷｬﾝﾊﾞｽが非表示です。");
        }
    }
    StatusPanelSet(QStringLiteral("UnVisibleCanvas"), text);
}

void SearchStateShow(const QString& text)
{
    StatusPanelSet(QStringLiteral("SearchState"), text);
}

void FontAndSizeShow()
{
    StatusPanelSet(QStringLiteral("FontAndSize"), ApplicationGlobals.DocumentFontName + QStringLiteral(", ") +
                                                      ApplicationGlobals.DocumentFontSize + QStringLiteral(", ") +
                                                      ApplicationGlobals.DocumentColorName);
}

QString ExitMenuCaption()
{
    return QStringLiteral("Vellumoraの終了(&X)");
}

QString MenuCaptionClean(const QString& caption)
{
    if (caption.isEmpty())
        return {};
    QStringList parts = caption.split(QLatin1Char(':'));
    for (QString& part : parts) {
        part = platform::vbrt::Trim(part);
        const qsizetype n = part.size();
        // "(&X)" at the end: positions n-3 and n-2 (counted from 1) hold "(&".
        if (n > 4 && part.mid(n - 4, 2) == QLatin1String("(&") && part.at(n - 1) == QLatin1Char(')') &&
            IsAsciiLetterOrDigit(part.at(n - 2))) {
            part.chop(4);
        } else if (n > 3 && part.at(n - 3) == QLatin1Char('(') && part.at(n - 1) == QLatin1Char(')') &&
                   IsAsciiLetterOrDigit(part.at(n - 2))) {
            part.chop(3);
        }
    }
    return parts.join(QLatin1Char(':'));
}

QString DocumentPathPart(const QString& text)
{
    const QString document = ResolveDocument(text);
    if (IsBlank(document) || document.startsWith(QLatin1Char('\t')))
        return {};
    return platform::vbrt::Trim(document.section(QLatin1Char('\t'), 0, 0));
}

QString DocumentDisplayName(const QString& text)
{
    const QString document = ResolveDocument(text);
    if (!IsBlank(document) && document.contains(QLatin1Char('\t'))) {
        const QString title = platform::vbrt::Trim(document.section(QLatin1Char('\t'), 1, 1));
        if (!title.isEmpty())
            return title;
    }
    return DocumentPathPart(document);
}

QString DocumentSavePath(const QString& text)
{
    const QString document = ResolveDocument(text);
    if (!IsBlank(document) && !document.contains(QLatin1Char('\t')))
        return document;
    return {};
}

QString DocumentFileName(bool fullPath)
{
    const QString name = DocumentDisplayName(CurrentDocument);
    if (!fullPath && name.contains(QLatin1Char('/')))
        return platform::vbrt::Trim(name.mid(name.lastIndexOf(QLatin1Char('/')) + 1));
    // A file named relative to the folder the program started in (on its command line) is
    // given whole; a title an add-on gave stays as it is.
    if (fullPath && !name.isEmpty() && name == DocumentPathPart(CurrentDocument))
        return QFileInfo(name).absoluteFilePath();
    return name;
}

bool DocumentOpened()
{
    return !IsBlank(ApplicationGlobals.DocumentName);
}

bool GridTabLeave(const QEvent* event, QWidget* forward, QWidget* backward)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    const bool shift = key->modifiers() & Qt::ShiftModifier;
    if (key->key() == Qt::Key_Tab && !shift) {
        forward->setFocus(Qt::TabFocusReason);
        return true;
    }
    if (key->key() == Qt::Key_Backtab || (key->key() == Qt::Key_Tab && shift)) {
        backward->setFocus(Qt::BacktabFocusReason);
        return true;
    }
    return false;
}

bool DialogKeyTaken(QKeyEvent* event, QWidget* form)
{
    int keyCode = event->key();
    const int shift = static_cast<int>(event->modifiers());
    DialogKeyDown(keyCode, shift, form);
    if (keyCode != 0)
        DebugKeyCheck(keyCode, shift, form);
    return keyCode == 0;
}

void FormControlsClear(QWidget* form, bool resetBackColor)
{
    if (!form)
        return;
    if (resetBackColor)
        SetBackColor(form, QApplication::palette().color(QPalette::Button));
    const QColor back = form->palette().color(QPalette::Window);
    for (QWidget* control : form->findChildren<QWidget*>()) {
        if (auto* check = qobject_cast<QCheckBox*>(control)) {
            check->setChecked(false);
            SetBackColor(check, back);
        } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
            combo->clear();
        } else if (auto* line = qobject_cast<QLineEdit*>(control)) {
            line->clear();
        } else if (auto* edit = qobject_cast<QTextEdit*>(control)) {
            edit->clear();
        } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
            plain->clear();
        } else if (qobject_cast<QPushButton*>(control) || qobject_cast<QLabel*>(control)) {
            SetBackColor(control, back);
        }
    }
}

void DialogKeyDown(int& keyCode, int shift, QWidget* form)
{
    const int modifiers = shift & ~int(Qt::KeypadModifier);
    if (modifiers != int(Qt::ControlModifier) || !form)
        return;
    // 100 twips at 15 twips a pixel.
    const int step = qRound(100.0 / platform::vbrt::TwipsPerPixel);
    QWidget* frame = MovingFrame(form);
    switch (keyCode) {
    case Qt::Key_F4:
        form->close();
        break;
    case Qt::Key_Left:
        frame->move(frame->x() - step, frame->y());
        keyCode = 0;
        break;
    case Qt::Key_Right:
        frame->move(frame->x() + step, frame->y());
        keyCode = 0;
        break;
    case Qt::Key_Up:
        frame->move(frame->x(), frame->y() - step);
        keyCode = 0;
        break;
    case Qt::Key_Down:
        frame->move(frame->x(), frame->y() + step);
        keyCode = 0;
        break;
    default:
        break;
    }
}

void FontNameComboSet(QComboBox* combo, bool includeDefault, const QString& current)
{
    ComboFill(
        combo, includeDefault, current, ApplicationGlobals.FontNameList, [](const QString& s) { return s; },
        [](const QString&) { return QVariant(); });
}

void FontSizeComboSet(QComboBox* combo, bool includeDefault, const QString& current)
{
    ComboFill(
        combo, includeDefault, current, ApplicationGlobals.FontSizeList, [](const QString& s) { return s; },
        [](const QString&) { return QVariant(); });
}

void ColorComboSet(QComboBox* combo, bool includeDefault, const QString& current)
{
    ComboFill(
        combo, includeDefault, current, ApplicationGlobals.ColorTable,
        [](const ColorTableRecord& r) { return r.caption; }, [](const ColorTableRecord& r) { return QVariant(r.color); });
}

void OwnValueShow(QComboBox* combo, const QString& value)
{
    if (combo->currentIndex() >= 0 || value.isEmpty())
        return;
    combo->addItem(value);
    combo->setCurrentIndex(combo->count() - 1);
}

} // namespace vellumora
