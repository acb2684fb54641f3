#pragma once

// Profile-file (ini file) reading: one value, one section.
//
// A file is read as UTF-8 when it is valid UTF-8, else as Shift_JIS. A missing, unreadable or
// binary file reads like a file without the wanted section; so does anything that is not a
// regular file (a FIFO, a device, a folder) and a file larger than FileByteLimit, which no real
// profile file reaches. Section and key names match without regard to case; the first section
// of a name counts, and in it the first key of a name. A file is parsed again only when it
// changed since it was last read, so every read still sees the file as it is then.

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace platform::profile {

// Longest value, and longest section text (lines each ended by one byte), in Shift_JIS bytes.
constexpr int ValueByteLimit = 1023;
constexpr int SectionByteLimit = 1022;
// Largest file read at all.
constexpr qint64 FileByteLimit = 1024 * 1024;

// How reading a file went.
enum class FileState {
    Read,
    Missing,    // no such file (or no name)
    NotAFile,   // a folder, a FIFO, a device: refused unread
    TooLarge,   // past FileByteLimit: refused
    Unreadable, // the host refused to open or read it
    NotText,    // NUL bytes, or neither UTF-8 nor Shift_JIS
};

// One file as read at one moment; the free functions below see the file as it is at each call.
class ProfileFile {
public:
    static ProfileFile Load(const QString& filePath);

    ProfileFile();
    ~ProfileFile();
    ProfileFile(const ProfileFile&);
    ProfileFile& operator=(const ProfileFile&);

    // Whether the file could be read as a profile file.
    bool IsReadable() const;
    FileState State() const;

    // The key's value trimmed, one pair of enclosing quotes removed, cut to ValueByteLimit bytes;
    // defaultText when the section or key is missing. An entry without "=" has the empty value.
    QString String(const QString& section, const QString& key, const QString& defaultText) const;

    // The section's entries in file order as "key=value" (comment lines as they stand), empty
    // lines left out, cut so that the entries take at most SectionByteLimit bytes.
    QStringList Section(const QString& section) const;

    struct Data;

private:
    std::shared_ptr<const Data> data_;
};

QString GetProfileString(const QString& section, const QString& key, const QString& defaultText,
                         const QString& filePath);
QStringList GetProfileSection(const QString& section, const QString& filePath);

// Test seam: the error number with which opening that path fails instead (0: it is opened), so
// an unreadable file can be had whatever rights the tests run with; an empty function: none.
void SetOpenFault(std::function<int(const QString& path)> fault);

} // namespace platform::profile
