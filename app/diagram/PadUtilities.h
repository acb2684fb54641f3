#pragma once

// The settings a document carries (display settings and the whole report setting) as the
// settings text of its header record: one "key:value" line per key, 75 keys in fixed order.

#include <QString>
#include <QStringList>

namespace vellumora {

// writeMode: the settings text of the current settings (text is not used).
// Read mode: sets every setting from text, keys it lacks from the ini [Default] section, then
// applies the report settings, and returns text unchanged. A value that does not convert raises
// and leaves every setting as it was; when the value is the text's, refusedLine (if given) is
// set to the index of its line in text first.
QString DocumentSettingsText(bool writeMode, const QString& text, qsizetype* refusedLine = nullptr);

// The keys in writing order.
const QStringList& DocumentSettingKeys();

} // namespace vellumora
