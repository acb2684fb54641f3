#pragma once

// Read-only access to the client's ini file: one value or one section, followed through the
// include files listed in [Include], with keyword substitution on every text read.

#include "TavelinComObject.h"

#include <QString>

namespace tavelin {

// The client program's folder, "/", its file name and ".ini". Raises before SetAppInfo.
QString DefaultIniFile(const TavelinComState& state);

// An empty file names the default ini file. A client's read has depth 0; an [Include] entry is read at 99.
// An include file that is missing or refused (not a regular file, too large) is skipped and named
// in the object's debug log.
QString IniValueRead(TavelinComObject& self, const QString& section, const QString& key, const QString& file,
                     int depth);
QString IniSectionRead(TavelinComObject& self, const QString& section, const QString& file, int depth);

// Registers "%name%" (letter case ignored) or changes its value.
void KeyWordKeep(TavelinComState& state, const QString& name, const QString& value);
QString KeyWordApply(const TavelinComState& state, const QString& text);

} // namespace tavelin
