#pragma once

// Work files that copies of the program left behind when they ended without cleaning up (killed,
// or crashed). Every copy names its own folder in the temporary folder, and its files in the
// folder its copies share, "<program>.<process id>.<anything>".

#include <QRegularExpression>
#include <QString>

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
// This process's own entries of folder named "<programName>.<process id>." and more, a folder with
// everything in it, for an end that cannot wait for the usual clean-up. Touches nothing but the
// file system, so it may run on any thread.
int RemoveWorkFilesOfThisCopy(const QString& folder, const QString& programName);

// Removes a run folder, "<program>.<process id>." and six characters, with everything in it. It
// leaves its name in one step, renamed aside under the same shape with six new characters, so
// that whoever still uses the name finds nothing there and the start of a later copy knows what a
// cut-off removal left; then it goes. Entries that are already gone (removed by someone else in
// the meantime) are no fault, a link goes as itself and is never followed, a folder of any other
// name is removed where it stands. True when nothing is left. Touches nothing but the file
// system, so it may run on any thread.
bool RemoveRunFolder(const QString& folder);

} // namespace platform::system
