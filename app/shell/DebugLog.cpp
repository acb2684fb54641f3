#include "app/shell/DebugLog.h"

#include "app/shell/ApplicationGlobals.h"
#include "platform/codepage/CodePage.h"
#include "platform/vbrt/Error.h"
#include "platform/vbrt/Format.h"
#include "platform/vbrt/Value.h"

#include <QDateTime>
#include <QFile>

namespace vellumora {

namespace {

// Labels are padded to this many Shift_JIS bytes before the colon.
constexpr int LabelWidth = 20;
// "[yyyy/mm/dd hh:mm:ss] "
constexpr int PrefixWidth = 22;

QFile& LogFile()
{
    static QFile file;
    return file;
}

void WriteLine(const QString& line)
{
    const QByteArray bytes = platform::codepage::ToShiftJis(line + QStringLiteral("\r\n"), QStringLiteral("DebugLogWrite"));
    if (LogFile().write(bytes) != bytes.size())
        throw platform::vbrt::Error(platform::vbrt::ErrorNumber::IoError, QStringLiteral("DebugLogWrite"),
                                    QStringLiteral("%1 に書き込めません。").arg(DebugLog.DebugFileName));
}

void Open()
{
    QFile& file = LogFile();
    file.setFileName(DebugLog.DebugFileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        throw platform::vbrt::Error(platform::vbrt::ErrorNumber::PathFileAccessError, QStringLiteral("DebugLogWrite"),
                                    QStringLiteral("%1 を開けません。").arg(DebugLog.DebugFileName));
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
    const QString trimmed = platform::vbrt::Trim(label);
    const int width = platform::codepage::ByteWidth(trimmed);
    const bool header = value.isNull();
    const QString stamp = platform::vbrt::FormatTimeStamp(QDateTime::currentDateTime());
    const QString prefix = QLatin1Char('[') + stamp + QStringLiteral("] ");
    const QString blanks(std::max<int>(indent, 0), QLatin1Char(' '));

    if (!DebugLog.DebugFileOpen)
        Open();
    if (DebugLog.DebugStartPending) {
        DebugLog.DebugStartPending = false;
        const QString plus(16, QLatin1Char('+'));
        WriteLine(plus + QStringLiteral(" Start ") + stamp + QLatin1Char(' ') + plus);
    }

    if (header) {
        WriteLine(prefix + blanks + trimmed);
    } else {
        const QString text = platform::vbrt::CStr(value);
        if (width <= LabelWidth) {
            WriteLine(prefix + blanks + trimmed + QString(LabelWidth - width, QLatin1Char(' ')) + QLatin1Char(':') + text);
        } else {
            WriteLine(prefix + blanks + trimmed);
            WriteLine(QString(PrefixWidth + blanks.size() + LabelWidth, QLatin1Char(' ')) + QLatin1Char(':') + text);
        }
    }
    LogFile().flush();
    if (ApplicationGlobals.DebugFlash)
        DebugLogClose();
}

void DebugLogClose()
{
    if (LogFile().isOpen())
        LogFile().close();
    DebugLog.DebugFileOpen = false;
}

} // namespace vellumora
