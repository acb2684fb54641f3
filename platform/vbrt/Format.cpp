#include "platform/vbrt/Format.h"

namespace platform::vbrt {

QString Format(double value, const QString& pattern)
{
    return QString::number(value);
}

QString Format(const QDateTime& value, const QString& pattern)
{
    return value.toString(QStringLiteral("yyyy/MM/dd hh:mm:ss"));
}

} // namespace platform::vbrt
