#pragma once

// The program's diagnostic log: entries of nine debug classes, written only while their
// class is switched on, appended to one Shift_JIS file in the temporary folder.

#include <QPointer>
#include <QString>
#include <QVariant>
#include <QWidget>

#include <cstdint>

namespace vellumora {

struct DebugLogState {
    QString DebugFileName;
    bool DebugStartPending = true;
    std::int16_t DebugClassForce = -1;   // while a dump runs, the class that decides; -1 none
    bool DebugFileOpen = false;
    // The window on which the first step of the hidden key combination was pressed; null none.
    QPointer<QWidget> DebugKeyWindow;
};
inline DebugLogState DebugLog;

// The class of the entries about errors ("3:ｴﾗｰ").
inline constexpr std::int16_t ErrorDebugClass = 3;

void DebugInitialize();
// A null value writes a header entry (label only). A log that cannot be opened or written loses
// the entry and nothing more: the command that wrote it goes on.
void DebugLogWrite(const QString& label, const QVariant& value, std::int16_t indent, std::int16_t debugClass);
bool DebugClassSkip(std::int16_t debugClass);
void DebugLogClose();

// The hidden key combination that opens the debug-class dialog: first Ctrl+Shift+F11, then
// Ctrl+Shift+F12, one after the other on the same window.
inline constexpr int DebugKeyFirst = Qt::Key_F11;
inline constexpr int DebugKeySecond = Qt::Key_F12;
inline constexpr int DebugKeyModifiers = Qt::ControlModifier | Qt::ShiftModifier;

// The key-down hook of the canvas window, the box editor and the dialogs: call it from the
// window's key handler with the Qt key and keyboard modifiers. A step of the hidden combination
// is consumed (keyCode := 0); the second step opens the debug-class dialog modal.
void DebugKeyCheck(int& keyCode, int shift, QWidget* window);

} // namespace vellumora
