#include "app/core/DebugLog.h"

#include "app/core/ApplicationGlobals.h"
#include "app/core/ProgramLink.h"
#include "platform/codepage/CodePage.h"
#include "platform/filesystem/FileSystem.h"
#include "platform/system/System.h"
#include "platform/vbrt/Error.h"
#include "platform/vbrt/Format.h"
#include "platform/vbrt/Value.h"

#include <QDateTime>
#include <QtGlobal>

#include <memory>

namespace vellumora {

namespace {

// Labels are padded to this many Shift_JIS bytes before the colon.
constexpr int LabelWidth = 20;
// "[yyyy/mm/dd hh:mm:ss] "
constexpr int PrefixWidth = 22;

// The open log; none while closed.
std::shared_ptr<platform::filesystem::TextStream>& LogFile()
{
    static std::shared_ptr<platform::filesystem::TextStream> file;
    return file;
}

[[noreturn]] void RaiseWriteError()
{
    throw platform::vbrt::Error(platform::vbrt::ErrorNumber::IoError, QStringLiteral("DebugLogWrite"),
                                QStringLiteral("%1 に書き込めません。").arg(DebugLog.DebugFileName));
}

// Shift_JIS bytes of a log line. A character without a Shift_JIS form (a file name from the
// command line, say) is escaped, so the entry still shows what it held.
QByteArray LogBytes(const QString& line)
{
    return platform::codepage::ToShiftJis(platform::codepage::EscapeNonShiftJis(line), QStringLiteral("DebugLogWrite"));
}

void WriteLine(const QString& line)
{
    try {
        LogFile()->WriteBytes(LogBytes(line + QStringLiteral("\r\n")));
    } catch (const platform::vbrt::Error&) {
        RaiseWriteError();
    }
}

// The log sits in the shared temporary folder: it is never written through a link put at its
// name, nor into a file of someone else's.
void Open()
{
    try {
        LogFile() = platform::filesystem::OpenLogFile(DebugLog.DebugFileName);
    } catch (const platform::vbrt::Error&) {
        throw platform::vbrt::Error(platform::vbrt::ErrorNumber::PathFileAccessError, QStringLiteral("DebugLogWrite"),
                                    QStringLiteral("%1 を開けません。").arg(DebugLog.DebugFileName));
    }
    DebugLog.DebugFileOpen = true;
}

} // namespace

void DebugInitialize()
{
    DebugLogClose();
    QString folder = CommonServices->TemporaryFolder();
    while (folder.endsWith(QLatin1Char('/')) && folder.size() > 1)
        folder.chop(1);
    DebugLog.DebugFileName = folder + QLatin1Char('/') + ApplicationObject().EXEName() + QStringLiteral(".log");
    DebugLog.DebugStartPending = true;
    DebugLog.DebugClassForce = -1;
    DebugLog.DebugKeyWindow = nullptr;
}

bool DebugClassSkip(std::int16_t debugClass)
{
    const std::int16_t force = DebugLog.DebugClassForce;
    if (force >= 1 && force <= 9)
        return !ApplicationGlobals.DebugClass[static_cast<std::size_t>(force)];
    if (debugClass == -1)
        return false;
    if (debugClass < 1 || debugClass > 9)
        return true;
    return !ApplicationGlobals.DebugClass[static_cast<std::size_t>(debugClass)];
}

void DebugLogWrite(const QString& label, const QVariant& value, std::int16_t indent, std::int16_t debugClass)
{
    if (DebugClassSkip(debugClass))
        return;
    try {
        const QString trimmed = platform::vbrt::Trim(label);
        const int width = platform::codepage::ByteWidth(trimmed);
        const bool header = value.isNull();
        const QString stamp = platform::vbrt::FormatTimeStamp(platform::system::Now());
        const QString prefix = QLatin1Char('[') + stamp + QStringLiteral("] ");
        const QString blanks(std::max<int>(indent, 0), QLatin1Char(' '));

        // The entry is put together first, so a value that cannot be shown costs no half line.
        QString entry;
        if (header) {
            entry = prefix + blanks + trimmed;
        } else {
            const QString text = platform::vbrt::CStr(value);
            if (width <= LabelWidth)
                entry = prefix + blanks + trimmed + QString(LabelWidth - width, QLatin1Char(' ')) + QLatin1Char(':') + text;
            else
                entry = prefix + blanks + trimmed + QStringLiteral("\r\n") +
                        QString(PrefixWidth + blanks.size() + LabelWidth, QLatin1Char(' ')) + QLatin1Char(':') + text;
        }

        if (!DebugLog.DebugFileOpen)
            Open();
        if (DebugLog.DebugStartPending) {
            const QString plus(16, QLatin1Char('+'));
            WriteLine(plus + QStringLiteral(" Start ") + stamp + QLatin1Char(' ') + plus);
            DebugLog.DebugStartPending = false;
        }
        WriteLine(entry);
    } catch (const platform::vbrt::Error& error) {
        // Diagnostics must never end the user's command: the entry is lost, the next one tries
        // the file afresh.
        qWarning("debug log: %s", qUtf8Printable(error.description()));
        DebugLogClose();
        return;
    }
    if (ApplicationGlobals.DebugFlash)
        DebugLogClose();
}

void DebugLogClose()
{
    // Closing writes nothing: every entry went to the file when it was written.
    LogFile().reset();
    DebugLog.DebugFileOpen = false;
}

void DebugKeyCheck(int& keyCode, int shift, QWidget* window)
{
    // Keypad keys carry a modifier of their own that is no part of the combination.
    const int modifiers = shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (keyCode == DebugKeyFirst && modifiers == DebugKeyModifiers && window) {
        DebugLog.DebugKeyWindow = window;
        keyCode = 0;
        return;
    }
    const bool second = keyCode == DebugKeySecond && modifiers == DebugKeyModifiers && window &&
                        DebugLog.DebugKeyWindow == window;
    // Any key between the two steps, a modifier key too, cancels the first one.
    DebugLog.DebugKeyWindow = nullptr;
    if (second) {
        keyCode = 0;
        Program().DebugClassSetShow();
    }
}

} // namespace vellumora
