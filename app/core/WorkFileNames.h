#pragma once

// The names of what a run makes for its work: the work files TemporaryFileName and
// SharedFileName hand out, and the work archive and work folder of ".pad" packing beside one of
// them. A start removes what a killed copy left only where every name there is of these shapes,
// so every work file takes one: its parts made of ASCII letters and digits and "_", "-", "~", "%"
// (numbers, words, percent-encoded text).

#include "platform/system/EndedCopies.h"

#include <QLatin1String>
#include <QString>

namespace vellumora {

// A work file's name ends so, after "<program>.<process id>" and a dot before each part.
inline constexpr QLatin1String WorkFileEnd(".tmp");
// ".pad" packing works beside the work file of this one part: an archive named like it with the
// first end, and a folder with the second that holds nothing but the document member.
inline constexpr QLatin1String PadWorkPart("zipwork");
inline constexpr QLatin1String PadWorkArchiveEnd(".zip");
inline constexpr QLatin1String PadWorkFolderEnd(".dir");
// The document member of a ".pad" archive; it is packed under its name in the work folder.
inline constexpr QLatin1String PadMemberName("Vellumora.txt");
// The zip library writes the archive anew beside it, under the archive's name followed by a dot
// and six letters and digits, and renames it onto the archive once whole: a copy killed meanwhile
// leaves it there.
inline constexpr QLatin1String ZipWriteNameEnd("\\.[A-Za-z0-9]{6}");
// A job to a printer is spooled in a work folder of these two parts, where the printing library
// names its spool file with the process id in hexadecimal, five digits or more, followed by eight
// more hexadecimal digits: thirteen digits, fourteen from process id 1,048,576 on, and so on.
inline constexpr QLatin1String PrintSpoolPart("print");
inline constexpr QLatin1String PrintSpoolSubPart("spool");
inline constexpr QLatin1String PrintSpoolFileShape("[0-9a-f]{5,8}[0-9a-f]{8}");

// The shapes above, as the removal of a killed copy's leftovers takes them.
platform::system::WorkFileShapes WorkFileShapesOf(const QString& program);

} // namespace vellumora
