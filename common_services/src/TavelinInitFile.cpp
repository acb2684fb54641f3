#include "TavelinInitFile.h"

namespace tavelin {

QString DefaultIniFile(const TavelinComState&) { return {}; }
QString IniValueRead(TavelinComState&, const QString&, const QString&, const QString&, int) { return {}; }
QString IniSectionRead(TavelinComState&, const QString&, const QString&, int) { return {}; }
void KeyWordKeep(TavelinComState&, const QString&, const QString&) {}
QString KeyWordApply(const TavelinComState&, const QString& text) { return text; }

QString TavelinComObject::GetInitFileSection(const QString& sectionName)
{
    return IniSectionRead(state_, sectionName, QString(), 0);
}
QString TavelinComObject::GetInitFile(const QString& sectionName, const QString& keyName)
{
    return IniValueRead(state_, sectionName, keyName, QString(), 0);
}
void TavelinComObject::AlternateKeyWordKeep(const QString& keyWordName, const QString& keyWordValue)
{
    KeyWordKeep(state_, keyWordName, keyWordValue);
}
QString TavelinComObject::AlternateKeyWordApply(const QString& sufferString) { return KeyWordApply(state_, sufferString); }

} // namespace tavelin
