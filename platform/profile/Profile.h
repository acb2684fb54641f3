#pragma once

// Profile-file (ini file) reading: one value, one section.
//
// A file is read as UTF-8 when it is valid UTF-8, else as Shift_JIS. A missing, unreadable or
// binary file reads like a file without the wanted section. Section and key names match without
// regard to case; the first section of a name counts, and in it the first key of a name.

#include <QString>
#include <QStringList>

#include <memory>

namespace platform::profile {

// Longest value, and longest section text (lines each ended by one byte), in Shift_JIS bytes.
constexpr int ValueByteLimit = 1023;
constexpr int SectionByteLimit = 1022;

// One file, read once; the free functions below read the file afresh at every call.
class ProfileFile {
public:
    static ProfileFile Load(const QString& filePath);

    ProfileFile();
    ~ProfileFile();
    ProfileFile(const ProfileFile&);
    ProfileFile& operator=(const ProfileFile&);

    // Whether the file could be read as a profile file.
    bool IsReadable() const;

    // The key's value trimmed, one pair of enclosing quotes removed, cut to ValueByteLimit bytes;
    // defaultText when the section or key is missing. An entry without "=" has the empty value.
    QString String(const QString& section, const QString& key, const QString& defaultText) const;

    // The section's entries in file order as "key=value" (comment lines as they stand), empty
    // lines left out, cut so that the entries take at most SectionByteLimit bytes.
    QStringList Section(const QString& section) const;

private:
    struct Data;
    std::shared_ptr<const Data> data_;
};

QString GetProfileString(const QString& section, const QString& key, const QString& defaultText,
                         const QString& filePath);
QStringList GetProfileSection(const QString& section, const QString& filePath);

} // namespace platform::profile
