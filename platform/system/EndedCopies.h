#pragma once

// Work files that copies of the program left behind when they ended without cleaning up (killed,
// or crashed). Every copy names its own folder in the temporary folder, and its files in the
// folder its copies share, "<program>.<process id>.<anything>".

#include <QString>

namespace platform::system {

// Removes the work files and folders of copies of the program whose process no longer runs:
// entries of folder named "<programName>.<process id>." and more, owned by this user, of a
// process id that is not this process's and that no process runs under. A folder goes with
// everything in it, a link as the link alone. Gives the number of entries removed.
int RemoveWorkFilesOfEndedCopies(const QString& folder, const QString& programName);
// The same for this process's own work files, for an end that cannot wait for the usual clean-up.
// Touches nothing but the file system, so it may run on any thread.
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
