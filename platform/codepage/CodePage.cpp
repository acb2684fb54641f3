#include "platform/codepage/CodePage.h"

#include "platform/vbrt/Error.h"

#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>

namespace platform::codepage {

namespace {

const char* const kCodec = "windows-31j";

// Opening a converter costs far more than converting a line, and files are written and read line
// by line: each thread keeps one of each. Every conversion starts from the initial state, so nothing
// of one text (a lead byte left at its end) reaches the next; a converter that met an error keeps
// reporting it, so it is replaced before the next use.
template <typename Converter>
Converter& ConverterOf(std::optional<Converter>& slot, const char* source)
{
    if (!slot || slot->hasError())
        slot.emplace(kCodec, QStringConverter::Flag::Stateless);
    if (!slot->isValid())
        vbrt::Raise(QString::fromLatin1(source), QStringLiteral("Shift_JIS の変換が使えません。"));
    slot->resetState();
    return *slot;
}

bool Encode(const QString& text, QByteArray& out)
{
    thread_local std::optional<QStringEncoder> slot;
    QStringEncoder& encoder = ConverterOf(slot, "ToShiftJis");
    out = encoder.encode(text);
    return !encoder.hasError();
}

bool Decode(const QByteArray& bytes, QString& out)
{
    thread_local std::optional<QStringDecoder> slot;
    QStringDecoder& decoder = ConverterOf(slot, "FromShiftJis");
    out = decoder.decode(bytes);
    return !decoder.hasError();
}

} // namespace

QByteArray ToShiftJis(const QString& text, const QString& source)
{
    QByteArray out;
    if (!Encode(text, out))
        vbrt::Raise(source, QStringLiteral("Shift_JIS で表せない文字があります。"));
    return out;
}

QString FromShiftJis(const QByteArray& bytes, const QString& source)
{
    QString out;
    if (!Decode(bytes, out))
        vbrt::Raise(source, QStringLiteral("Shift_JIS として読めないデータがあります。"));
    return out;
}

bool CanEncode(const QString& text)
{
    QByteArray out;
    return Encode(text, out);
}

bool IsValidShiftJis(const QByteArray& bytes)
{
    QString out;
    return Decode(bytes, out);
}

QString EscapeNonShiftJis(const QString& text)
{
    if (CanEncode(text))
        return text;
    QString escaped;
    for (const char32_t c : text.toUcs4()) {
        const QString character = QString::fromUcs4(&c, 1);
        if (CanEncode(character))
            escaped += character;
        else
            escaped += QStringLiteral("&#x") + QString::number(static_cast<uint>(c), 16).toUpper() + QLatin1Char(';');
    }
    return escaped;
}

int ByteWidth(const QString& text)
{
    int width = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80) {
            ++width; // ASCII is one byte: no conversion needed
            continue;
        }
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            width += 2; // no Shift_JIS form
            ++i;
            continue;
        }
        QByteArray bytes;
        width += Encode(QString(c), bytes) ? static_cast<int>(bytes.size()) : 2;
    }
    return width;
}

} // namespace platform::codepage
