#include "platform/codepage/CodePage.h"

#include "platform/vbrt/Error.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace platform::codepage {

namespace {

const char* const kCodec = "windows-31j";

bool Encode(const QString& text, QByteArray& out)
{
    QStringEncoder encoder(kCodec, QStringConverter::Flag::Stateless);
    if (!encoder.isValid())
        vbrt::Raise(QStringLiteral("ToShiftJis"), QStringLiteral("Shift_JIS の変換が使えません。"));
    out = encoder.encode(text);
    return !encoder.hasError();
}

bool Decode(const QByteArray& bytes, QString& out)
{
    QStringDecoder decoder(kCodec, QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        vbrt::Raise(QStringLiteral("FromShiftJis"), QStringLiteral("Shift_JIS の変換が使えません。"));
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
