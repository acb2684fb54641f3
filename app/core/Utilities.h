#pragma once

// Small routines used all over the program: per-process work-file names and their deletion
// by parts, the four message boxes, centimetres and twips, and Point arithmetic.

#include "app/core/DiagramRecords.h"

#include <QString>
#include <QStringList>

#include <concepts>
#include <cstdint>
#include <vector>

namespace platform::vbrt {
class Error;
}

namespace vellumora {

// One part of a work-file name: a text, or a number standing for its decimal text.
// An omitted part is empty.
class FilePart {
public:
    FilePart() = default;
    FilePart(const QString& text) : text_(text) {}
    FilePart(const char* text) : text_(QString::fromUtf8(text)) {}
    template <std::integral T>
    FilePart(T number) : text_(QString::number(number)) {}

    const QString& text() const { return text_; }

private:
    QString text_;
};

struct TemporaryFileEntry {
    QString fileName;
    bool inUse = false;
};

// Work files. A name is the prefix (the run's own folder, program name and process id), a dot
// and each part up to the first empty one, then ".tmp"; without parts a random name. The run's
// folder is made in the temporary folder on initialising, which only this user may enter, and
// goes with everything in it on terminating. Removed while the program runs, it is made again
// under a new name when the next work file is named; the names in the old one go out of use.
// Initialising also removes the work files and run folders that copies of the program which no
// longer run left behind.
void UtilitiesInitialize();
void UtilitiesTerminate();
QString TemporaryFileName(const FilePart& p1 = {}, const FilePart& p2 = {}, const FilePart& p3 = {},
                          const FilePart& p4 = {}, const FilePart& p5 = {}, const FilePart& p6 = {});
// A work-file name handed out earlier as it is now: the same parts in the run folder that stands,
// for a name kept while the user works (an open box editor's). Any other name comes back as it is.
QString TemporaryFileNameCurrent(const QString& issued);
// A work file that the user's other running copies read: named and deleted like the others, but
// in the folder of the user's own that the copies share (under $XDG_RUNTIME_DIR, else in the
// temporary folder). Raises 70 when that folder is not the user's alone.
QString SharedFileName(const FilePart& p1 = {}, const FilePart& p2 = {}, const FilePart& p3 = {},
                       const FilePart& p4 = {}, const FilePart& p5 = {}, const FilePart& p6 = {});
// Whether the path is a work-file name of this run.
bool IsTemporaryFileName(const QString& path);
// Passes on a failure to write the work file at path; when the run folder it was to lie in went
// meanwhile (a temporary-folder cleaner, the user), it says that the work folder is gone: the path
// found missing would tell the user nothing. The next work file named finds a new folder made.
[[noreturn]] void RaiseWorkFileFailure(const QString& path, const platform::vbrt::Error& failure);
// The folders whose entries named "<program>.<process id>.…" are work files of the program's
// runs: the temporary folder (the runs' own folders) and the shared one (which may not exist).
QStringList TemporaryFileFolders();
// Deletes the in-use work files the parts select: a whole name given alone, or the names whose
// last parts are the given ones ("*" for one or more parts), letter case ignored; no parts: all.
void TemporaryFileDelete(const FilePart& p1 = {}, const FilePart& p2 = {}, const FilePart& p3 = {},
                         const FilePart& p4 = {}, const FilePart& p5 = {}, const FilePart& p6 = {});
// The prefix as it stands; only naming a work file makes a removed run folder again.
QString TemporaryFilePrefix();
// Every name handed out in this run, in the order of first issue.
const std::vector<TemporaryFileEntry>& TemporaryFiles();

// Seeds the random numbers of unnamed work files from the clock.
void RandomSeed();

// Message boxes: every box of the program goes through one of these. An empty title shows
// the program's name. Answers: 6 Yes, 7 No, 2 Cancel.
void ErrorMessageBox(const QString& text, const QString& title = {});
std::int16_t YesNoMessageBox(const QString& text, std::int16_t extraStyle = 256, const QString& title = {});
std::int16_t YesNoCancelMessageBox(const QString& text, std::int16_t extraStyle = 0, const QString& title = {});
void InformationMessageBox(const QString& text);

// Lengths: centimetres as single precision, twips 1440 an inch. CentimeterToTwip rounds down and
// raises 6 (overflow) outside the 32-bit range.
std::int32_t CentimeterToTwip(float centimeters);
float TwipToCentimeter(std::int32_t twips);

std::uint8_t BoolToByte(bool value);
bool ByteToBool(std::uint8_t value);
std::int32_t MaxValue(std::int32_t a, std::int32_t b);
std::int32_t MinValue(std::int32_t a, std::int32_t b);
// The text when it is not empty (blanks count as text), else the default.
QString StringDefault(const QString& text, const QString& defaultText);

Point PointMake(std::int32_t x, std::int32_t y);
// Raises 6 (overflow) when a sum leaves the 32-bit range.
Point PointAdd(const Point& a, const Point& b);
Point PointMax(const Point& a, const Point& b);

} // namespace vellumora
