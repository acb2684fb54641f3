#include "platform/profile/Profile.h"

namespace platform::profile {

struct ProfileFile::Data {};

ProfileFile ProfileFile::Load(const QString&) { return {}; }
ProfileFile::ProfileFile() = default;
ProfileFile::~ProfileFile() = default;
ProfileFile::ProfileFile(const ProfileFile&) = default;
ProfileFile& ProfileFile::operator=(const ProfileFile&) = default;
bool ProfileFile::IsReadable() const { return false; }
QString ProfileFile::String(const QString&, const QString&, const QString& defaultText) const { return defaultText; }
QStringList ProfileFile::Section(const QString&) const { return {}; }

QString GetProfileString(const QString& section, const QString& key, const QString& defaultText, const QString& filePath)
{
    return ProfileFile::Load(filePath).String(section, key, defaultText);
}
QStringList GetProfileSection(const QString& section, const QString& filePath)
{
    return ProfileFile::Load(filePath).Section(section);
}

} // namespace platform::profile
