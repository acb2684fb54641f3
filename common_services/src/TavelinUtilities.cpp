// Process id, the library's message boxes and the trim of blanks and control characters.

#include "TavelinUtilities.h"

#include "platform/msgbox/MsgBox.h"
#include "platform/system/System.h"
#include "platform/vbrt/Error.h"

#include <limits>

namespace tavelin {

namespace msgbox = platform::msgbox;

namespace {

// Until the client gives a caption, the boxes carry the library's name.
QString TitleOf(const TavelinComState& state)
{
    return state.Caption.isEmpty() ? QStringLiteral("TavelinCom10") : state.Caption;
}

} // namespace

std::int32_t ProcessIdGet() { return platform::system::ProcessId(); }

void CriticalMessageShow(const TavelinComState& state, const QString& message)
{
    msgbox::MsgBox(message, msgbox::Style::OKOnly | msgbox::Style::Critical, TitleOf(state));
}

std::int16_t QuestionMessageShow(const TavelinComState& state, const QString& message, std::int32_t button)
{
    const std::int64_t style = std::int64_t(button) + msgbox::Style::YesNo + msgbox::Style::Question;
    if (style > std::numeric_limits<std::int32_t>::max())
        platform::vbrt::RaiseNumber(platform::vbrt::ErrorNumber::Overflow, QStringLiteral("QuestionMessage"));
    return msgbox::MsgBox(message, static_cast<std::int32_t>(style), TitleOf(state));
}

void InformationMessageShow(const TavelinComState& state, const QString& message)
{
    msgbox::MsgBox(message, msgbox::Style::OKOnly | msgbox::Style::Information, TitleOf(state));
}

// Removes runs of the trim characters at both ends; those inside the text stay.
QString TextSmartTrim(const TavelinComState& state, const QString& inText)
{
    QString text = inText;
    bool removed = true;
    while (removed) {
        removed = false;
        for (const QString& c : state.TrimChars) {
            if (!c.isEmpty() && !text.isEmpty() && text.startsWith(c)) {
                text.remove(0, c.size());
                removed = true;
            }
        }
        for (const QString& c : state.TrimChars) {
            if (!c.isEmpty() && !text.isEmpty() && text.endsWith(c)) {
                text.chop(c.size());
                removed = true;
            }
        }
    }
    return text;
}

std::int32_t TavelinComObject::GetProcessID() { return ProcessIdGet(); }
void TavelinComObject::CriticalMessage(const QString& message) { CriticalMessageShow(State(), message); }
std::int16_t TavelinComObject::QuestionMessage(const QString& message, std::int32_t Button)
{
    return QuestionMessageShow(State(), message, Button);
}
void TavelinComObject::InformationMessage(const QString& message) { InformationMessageShow(State(), message); }
QString TavelinComObject::SmartTrim(const QString& inText) { return TextSmartTrim(State(), inText); }

} // namespace tavelin
