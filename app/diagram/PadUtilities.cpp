#include "app/diagram/PadUtilities.h"

namespace vellumora {

QString DocumentSettingsText(bool writeMode, const QString& text)
{
    return writeMode ? QString() : text;
}

const QStringList& DocumentSettingKeys()
{
    static const QStringList keys;
    return keys;
}

} // namespace vellumora
