#pragma once

// Work files that copies of the program left behind when they ended without cleaning up (killed,
// or crashed), and what this copy made, which its own end removes. Every copy names its own
// folder in the temporary folder, and its files in the folder its copies share,
// "<program>.<process id>.<anything>".

#include <QRegularExpression>
#include <QString>

#include <cstdint>
#include <optional>
#include <sys/types.h>

namespace platform::system {

// The names a copy of the program gives what it makes for its work, each matched whole against
// what follows "<program>.<process id>." (the id written as a number is, no leading zero).
struct WorkFileShapes {
    QString program;
    // A work file.
    QRegularExpression file;
    // A work folder among the work files; the whole names of the files one may hold.
    QRegularExpression folder;
    QRegularExpression folderFile;
};

// Removes from the temporary folder what copies of the program whose process no longer runs left
// there: a copy's run folder ("<program>.<process id>." and six letters and digits, a folder of
// this user's that nobody else may enter, 0700, as CreatePrivateFolder makes it) with all it
// holds, when all it holds is that copy's work files and work folders (regular files, and folders
// holding only files of their shape). A work file may also be under the hidden name its writer
// gives it for a moment (HiddenNameTarget). Nothing else at the top of the temporary folder goes:
// the program makes nothing else there, and a file named like an earlier version's work file may
// as well be the user's. Only this user's entries, never this process's nor those of a process
// id that runs; a link is never followed nor removed, and a folder holding anything else stays
// whole. Gives the number of entries removed.
int RemoveWorkFilesOfEndedCopies(const QString& folder, const WorkFileShapes& shapes);
// The same for the folder the user's copies share their exchange files in: only work files go.
int RemoveExchangeFilesOfEndedCopies(const QString& folder, const WorkFileShapes& shapes);
// Testing seam: the user whose entries the two removals above take for this user's (unset: the
// real user), so that another user's entries can be made by whoever runs the test.
void SetWorkFileOwner(std::optional<uid_t> owner);

// A folder as this copy made it: its path and which folder stood there, so that whatever comes to
// stand at the path later (a link, a folder made by someone after a cleaner removed this one) is
// never taken for it.
struct MadeFolder {
    QString path;
    dev_t device = 0;
    ino_t inode = 0;
    std::int64_t born = -1;  // when it was made, in nanoseconds, where the file system tells
};
// The folder at path as it stands now, when it is a real folder (no link) of this user's.
std::optional<MadeFolder> MadeFolderAt(const QString& path);
// Whether the path still leads to that very folder, a real folder of this user's that nobody else
// may enter.
bool IsPrivateFolderAsMade(const MadeFolder& folder);
// Removes a folder this copy made, with everything in it, only while its path still leads to that
// very folder, a real folder of this user's, whatever its mode has become. It leaves its name in
// one step, renamed aside under the same shape with six new characters, so that whoever still
// uses the name finds nothing there and the start of a later copy knows what a cut-off removal
// left; then it goes. Entries already gone (removed by someone else meanwhile) are no fault, a
// link inside goes as itself and is never followed. True when nothing of it is left at its path,
// also when something else stands there now, which stays. Touches nothing but the file system,
// so it may run on any thread.
bool RemoveMadeFolder(const MadeFolder& folder);

// What this copy made for its work, kept for every end to remove exactly that and never anything
// merely named like it: the folders it made (its run folder, any it made again after a cleaner
// removed one, one it stopped using because someone changed its mode), and the files it named in
// the folder it shares with the user's other copies. Kept for any thread: an end that cannot wait
// for the window thread reads it on a thread of its own. The folder made at path is recorded as
// it stands now, and given back.
std::optional<MadeFolder> WorkFolderMade(const QString& path);
void SharedFileNamed(const QString& path);
void SharedFileGone(const QString& path);
// Removes what the copy made, and forgets it: each folder with everything in it (RemoveMadeFolder),
// each shared file (a link at its name as itself). Touches nothing but the file system and the
// record, so it may run on any thread.
void RemoveWorkOfThisCopy();

} // namespace platform::system
