#pragma once

// The program's diagnostic log: entries of nine debug classes, written only while their
// class is switched on, appended to one Shift_JIS file in the temporary folder.

#include <QString>
#include <QVariant>

#include <cstdint>

namespace vellumora {

struct DebugLogState {
    QString DebugFileName;
    bool DebugStartPending = true;
    std::int16_t DebugClassForce = -1;   // while a dump runs, the class that decides; -1 none
    bool DebugFileOpen = false;
};
inline DebugLogState DebugLog;

void DebugInitialize();
// A null value writes a header entry (label only).
void DebugLogWrite(const QString& label, const QVariant& value, std::int16_t indent, std::int16_t debugClass);
bool DebugClassSkip(std::int16_t debugClass);
void DebugLogClose();

} // namespace vellumora
