#pragma once

// Shift_JIS (code page 932, "windows-31j"): the one converter of the program and its library.

#include <QByteArray>
#include <QString>

namespace platform::codepage {

// Raise platform::vbrt::Error (number -2147220991, the given source) when a character has
// no Shift_JIS form or a byte sequence is not valid Shift_JIS: nothing is silently replaced.
QByteArray ToShiftJis(const QString& text, const QString& source = QStringLiteral("ToShiftJis"));
QString FromShiftJis(const QByteArray& bytes, const QString& source = QStringLiteral("FromShiftJis"));

bool CanEncode(const QString& text);
bool IsValidShiftJis(const QByteArray& bytes);

// The text with each character that has no Shift_JIS form written as "&#x", its code point in
// upper-case hexadecimal and ";": the rule of the debug logs, which show what they were given and
// never fail on it.
QString EscapeNonShiftJis(const QString& text);

// Bytes the text takes in Shift_JIS; a character without a Shift_JIS form counts 2.
int ByteWidth(const QString& text);

} // namespace platform::codepage
