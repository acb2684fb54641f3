// The library's own debug log, its level and flash mode, and the dialog that sets them.

#include "TavelinDebugTrace.h"

#include "TavelinDebugLevel.h"

#include "platform/codepage/CodePage.h"
#include "platform/filesystem/FileSystem.h"
#include "platform/vbrt/Error.h"
#include "platform/vbrt/Format.h"
#include "platform/vbrt/Value.h"

#include <QDateTime>

#include <map>
#include <memory>

namespace tavelin {

namespace fs = platform::filesystem;

namespace {

// The open log of each object. The state record keeps only the handle number (-1 while closed),
// so the stream itself is kept here, under the record it belongs to.
std::map<const TavelinComState*, std::shared_ptr<fs::TextStream>>& OpenLogs()
{
    static std::map<const TavelinComState*, std::shared_ptr<fs::TextStream>> logs;
    return logs;
}

std::int16_t NextLogNumber()
{
    static std::int16_t number = 0;
    number = static_cast<std::int16_t>(number % 511 + 1); // always above 0, as an open handle is
    return number;
}

// One call makes one line: a CR LF pair becomes a downwards arrow. A character the log's code
// page lacks is escaped as the program's own log does, so a line never fails half written.
QString LineOf(const QVariant& text)
{
    if (!text.isValid() || text.isNull())
        return {};
    QString line = text.metaType().id() == QMetaType::QDateTime ? platform::vbrt::FormatTimeStamp(text.toDateTime())
                                                                 : platform::vbrt::CStr(text);
    return platform::codepage::EscapeNonShiftJis(line.replace(QStringLiteral("\r\n"), QStringLiteral("↓")));
}

fs::TextStream& OpenLog(TavelinComObject& self)
{
    TavelinComState& state = self.State();
    const auto open = OpenLogs().find(&state);
    if (state.LogFileNumber > 0 && open != OpenLogs().end())
        return *open->second;
    state.LogFileNumber = -1;
    state.LogFilePath = self.TemporaryFolder() + QLatin1Char('/') + self.GetAppExeName() + QStringLiteral(".log");
    // The log sits in the shared temporary folder: never written through a link put at its name,
    // nor into a file of someone else's.
    auto stream = fs::OpenLogFile(state.LogFilePath);
    OpenLogs()[&state] = stream;
    state.LogFileNumber = NextLogNumber();
    return *stream;
}

} // namespace

bool DebugLineWrite(TavelinComObject& self, const QVariant& text, std::int16_t levelNo)
{
    TavelinComState& state = self.State();
    if (state.DebugLevel < levelNo) {
        if (state.DebugLevel == 0)
            DebugFileClose(state);
        return false;
    }
    const QString line = LineOf(text);
    fs::TextStream& log = OpenLog(self);
    if (state.LogBannerPending) {
        state.LogBannerPending = false;
        const QString plus(16, QLatin1Char('+'));
        log.WriteLine(plus + QStringLiteral(" Start ") + platform::vbrt::FormatTimeStamp(QDateTime::currentDateTime()) +
                      QLatin1Char(' ') + plus);
    }
    log.WriteLine(line);
    if (state.DebugFlash)
        DebugFileClose(state);
    return true;
}

void DebugSnapShot(TavelinComObject& self, const QVariant& text)
{
    DebugLevelRaise(self.State(), 1);
    DebugLineWrite(self, text, 1);
}

void DebugFileClose(TavelinComState& state)
{
    const auto found = OpenLogs().find(&state);
    if (found != OpenLogs().end()) {
        const std::shared_ptr<fs::TextStream> stream = found->second;
        OpenLogs().erase(found);
        state.LogFileNumber = -1;
        stream->Close();
    }
    state.LogFileNumber = -1;
}

std::int16_t DebugLevelRaise(TavelinComState& state, std::int16_t setLevel)
{
    if (state.DebugLevel < setLevel)
        state.DebugLevel = setLevel;
    return state.DebugLevel;
}

void DebugFlashStore(TavelinComState& state, bool flag) { state.DebugFlash = flag; }

void DebugLevelDialog(TavelinComState& state)
{
    DebugFileClose(state);
    TavelinDebugLevel dialog;
    dialog.TrayDebugLevel = state.DebugLevel;
    dialog.TrayDebugFileFlash = state.DebugFlash;
    dialog.exec();
    state.DebugLevel = dialog.TrayDebugLevel;
    state.DebugFlash = dialog.TrayDebugFileFlash;
}

void TavelinComObject::DebugLevelForm() { DebugLevelDialog(State()); }
bool TavelinComObject::DebugOut(QVariant debugText, std::int16_t levelNo)
{
    return DebugLineWrite(*this, debugText, levelNo);
}
void TavelinComObject::DebugFileFlash() { DebugFileClose(State()); }
std::int16_t TavelinComObject::DebugLevelSet(std::int16_t setLevel) { return DebugLevelRaise(State(), setLevel); }
void TavelinComObject::DebugFlashSet(bool setFlash) { DebugFlashStore(State(), setFlash); }
void TavelinComObject::SnapShot(QVariant debugText) { DebugSnapShot(*this, debugText); }

} // namespace tavelin
