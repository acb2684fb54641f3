#pragma once

// The folder view of a zip archive: items copied out of an archive into a folder and into an
// archive from a folder, as the desktop's shell offers it, on libzip. Every copy is complete
// when the call returns.
//
// Extraction is guarded: an entry with an absolute name, a ".." component or a link, a file that
// is not a zip archive or is cut short, and a member that would expand past MaxMemberSize are
// refused with an error, and nothing is written outside the target folder.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace platform::zipfolder {

constexpr std::int64_t MaxMemberSize = std::int64_t(512) * 1024 * 1024;

// The 22 bytes of an archive without members (its end-of-central-directory record alone).
QByteArray EmptyArchive();

// True when the path is a file that opens as a zip archive.
bool IsArchive(const QString& path);

// Copies every item of source (a folder or an archive) into target (a folder or an archive),
// replacing items of the same name. Raises 76 when a path is missing, and the program's error
// (-2147220991) when a file is not a zip archive or an archive entry is refused.
void CopyHere(const QString& source, const QString& target);

// Copies one file or folder into target (a folder or an archive), replacing an item of its name.
void CopyItemHere(const QString& item, const QString& target);

// Names of the archive's members, folders ending in "/", in the archive's order.
QStringList MemberNames(const QString& archive);
// Why a member of that name must not be extracted (an absolute name, a drive, a ".." component,
// with "/" or "\\" between the parts), or empty when its name is safe.
QString MemberNameRefusal(const QString& name);

// Extracts one member (a file) of the archive into the target folder; raises 53 when the archive
// has no member of that name.
void ExtractMember(const QString& archive, const QString& memberName, const QString& targetFolder);

// An archive opened once for reading: however long it is, its directory is read once for all
// that is asked of it.
class ArchiveReader {
public:
    // Raises as MemberNames does.
    explicit ArchiveReader(const QString& archive);
    ~ArchiveReader();
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    // A member whose name needs its caller's judgement.
    struct Finding {
        std::int64_t index = -1;
        QString name;
        QString refusal; // MemberNameRefusal of the name; empty for a member of the name looked for
    };
    // In archive order, the members whose names are unsafe and those named `name` apart from
    // letter case. Every other name is passed over as it is stored, without being decoded.
    std::vector<Finding> Find(const QString& name) const;

    // Reads one member (a file) into memory, checked as an extraction is. A member whose stored
    // size, or whose bytes as they are unpacked, pass maxBytes is refused before more is read.
    // While head is given, it is called after each piece with the bytes read so far until it
    // returns true: it judges the beginning, and raises to refuse the member before the rest is
    // read. Raises 53 when the member is a folder.
    QByteArray Read(std::int64_t index, std::int64_t maxBytes,
                    const std::function<bool(const QByteArray& soFar)>& head = {}) const;

private:
    struct Open;
    std::unique_ptr<Open> open_;
};

// Test seam: asked before an archive is opened, with its path; a non-zero host error number fails
// the opening as the host would (a file of another user's that this one may not read), whoever
// runs the test. An empty function: none.
void SetOpenFault(std::function<int(const QString& path)> fault);

} // namespace platform::zipfolder
