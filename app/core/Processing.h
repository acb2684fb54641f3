#pragma once

// The busy protocol around every command, canvas bookkeeping on B, the status bar, the
// document-name accessors and the small routines every dialog uses.

#include "app/core/DiagramRecords.h"

#include <QString>

#include <cstdint>
#include <exception>
#include <functional>

class QComboBox;
class QEvent;
class QKeyEvent;
class QWidget;

namespace vellumora {

class CanvasSurface;

// Window kind tags: "B" the main window, "CM" a canvas window, "EM" a box editor; dialogs have
// none. A letter is tested by containment: "C" canvas, "E" editor, "M" child of the main window.
// The tag is the window's "Tag" property.
QString FormTag(const QWidget* form);
void FormTagSet(QWidget* form, const QString& tag);

// "Disabling" a window blocks its mouse and key input (and that of everything inside it) without
// greying it; FormEnabled reports that state.
void FormEnable(QWidget* form, bool enabled);
bool FormEnabled(const QWidget* form);
// The window's own visible state, as it shows once the main window is shown.
bool FormVisible(const QWidget* form);

// Busy protocol: ProcessingStart before a command's work, ProcessingEnd after it on every path.
void ProcessingStart(QWidget* form);
void ProcessingEnd(QWidget* form, bool suspend = false, bool force = false);

// Runs a command between ProcessingStart and ProcessingEnd as an error boundary: an error the
// command raises is shown in one error box after painting was released; ProcessingEnd always runs.
// Returns false when the command raised.
bool RunCommand(QWidget* form, const std::function<void()>& command, bool force = false);

// The text an error box shows for a failure, one rule for every window: the program's own
// errors show their description, the runtime's errors their description, number and source
// ("...(13) source"); any other exception what it says of itself, anything else a fixed line.
QString FailureText(const std::exception& e);
QString FailureText(std::exception_ptr failure);

// Runs one step as an error boundary: whatever it throws is shown in one error box and goes no
// further. Returns false when the step failed.
bool Guarded(const std::function<void()>& step);

// The boundary of a handler the window system calls that is no command of its own (paint,
// resize, mouse, key, timer): nothing escapes into the event loop; a failure is shown in one
// error box once the event loop is back in control (never from inside a paint), or by the end
// of the command that is running.
void EventBoundary(const std::function<void()>& handler);

// Whether a focus-in event brings the focus into a field from another control (Tab, a click, a
// mnemonic), where a text field selects its whole text. The focus coming back with the window
// after a message box, a menu or another window is no such entry: what the user was typing stays
// as it was, not selected for the next key to replace.
bool FieldEntered(const QEvent* event);

// ProcessingStart now, ProcessingEnd when the scope ends (also when an error leaves it; an error
// of ProcessingEnd itself is shown). Errors of the scope's body still need a boundary around it.
class ProcessingScope {
public:
    explicit ProcessingScope(QWidget* form, bool force = false);
    ~ProcessingScope();
    ProcessingScope(const ProcessingScope&) = delete;
    ProcessingScope& operator=(const ProcessingScope&) = delete;
    // Changes the force flag passed to ProcessingEnd.
    void setForce(bool force) { force_ = force; }

private:
    QWidget* form_;
    bool force_;
};

// The window of an open canvas when it is shown and not minimised, else null.
CanvasSurface* ShownCanvasWindow(const CanvasRecord& record);

void PaintEventReleaseAll(bool suspend, bool force);
void CanvasTimersStop();
void RefreshTimersStop();
// Returns when the canvas is not painting. On the one window thread a canvas that paints is
// below the caller on the stack, so waiting could never end: raises instead.
void CanvasBusyWait(std::int16_t canvas);

// Canvas bookkeeping; an index outside its list raises 9 (subscript out of range).
CanvasHeader CanvasDataGet(std::int16_t canvas);
BoxRecord BoxDataGet(std::int16_t canvas, std::int16_t box);
SubRecord SubDataGet(std::int16_t canvas, std::int16_t sub);
void CanvasStateSet(std::int16_t canvas, std::int32_t state);
void PartsLockSet(std::int16_t canvas, bool lock);
// A name of exactly one TAB leaves the stored name as it is.
QString CanvasCaptionMake(std::int16_t canvas, const QString& name);
void NewPageToggle(std::int16_t canvas, std::int16_t box, std::int16_t sub);
std::int32_t ObstinateGet(std::int16_t index);

// Status bar and captions.
void StatusPanelSet(const QString& key, const QString& text);
void FocusCanvasShow(const QString& text);
void EditModeShow();
void ModalWindowShow(const QString& text);
void UnVisibleCanvasShow();
void SearchStateShow(const QString& text);
void FontAndSizeShow();
QString ExitMenuCaption();
QString MenuCaptionClean(const QString& caption);

// The document name. CurrentDocument passed as text stands for ApplicationGlobals.DocumentName.
inline const QString CurrentDocument = QStringLiteral("\\\\");
QString DocumentPathPart(const QString& text);
QString DocumentDisplayName(const QString& text);
QString DocumentSavePath(const QString& text);
QString DocumentFileName(bool fullPath);
bool DocumentOpened();

// Dialog routines.
void FormControlsClear(QWidget* form, bool resetBackColor);
// Ctrl+F4 closes the form; Ctrl+arrow moves it 100 twips and consumes the key (keyCode := 0).
// keyCode is a Qt key, shift the Qt keyboard modifiers.
void DialogKeyDown(int& keyCode, int shift, QWidget* form);
// A dialog's key handling: DialogKeyDown, then the debug key check. True when one of them took the
// key; otherwise the dialog handles it as usual.
bool DialogKeyTaken(QKeyEvent* event, QWidget* form);
// A grid in a dialog keeps its arrow keys, but Tab leaves it: forward to one control, backward
// (Shift+Tab) to another. True when the event was such a Tab and the focus has moved.
bool GridTabLeave(const QEvent* event, QWidget* forward, QWidget* backward);
void FontNameComboSet(QComboBox* combo, bool includeDefault, const QString& current);
void FontSizeComboSet(QComboBox* combo, bool includeDefault, const QString& current);
void ColorComboSet(QComboBox* combo, bool includeDefault, const QString& current);
// A current value that the filled list does not hold (a colour as red, green and blue, a size
// between the listed ones, a font name the ini file does not offer) is added as an entry of its
// own and chosen: an Update that changes nothing gives that value back, instead of the standard
// one or of a refusal for an empty field. An empty value leaves the list as it is.
void OwnValueShow(QComboBox* combo, const QString& value);

} // namespace vellumora
