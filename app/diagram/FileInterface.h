#pragma once

// Tagged text, the format of documents and of every exchange and undo file: the one input and
// the one output of the program, the record reader with its push-back, the record writers, the
// ".pad" container (a zip archive holding the document as its single member) and the open and
// save-as dialogs.
//
// Files are written in Shift_JIS with CR LF after every line; a line read ends at CR LF, at CR
// or at LF, mixed in one file as they may be. A file that is not valid Shift_JIS is refused when
// it is opened; a character without a Shift_JIS form raises instead of being written as "?".
// Outputs are put in place whole when they are finished, so a failed save leaves the old file.

#include "app/core/DiagramRecords.h"

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>

namespace platform::vbrt {
class Error;
}

namespace platform::commondialog {
class CommonDialog;
}

namespace vellumora {

// Start-up and shutdown: file-type filter, zip work names, work folder.
void FileInterfaceInit();
void FileInterfaceTerm();

// The largest document read: a ".txt" file, or the document member of a ".pad" by its stored
// size and by the bytes actually unpacked.
constexpr std::int64_t DocumentSizeLimit = std::int64_t(32) * 1024 * 1024;

// The input. Only a regular file is read, once, and one larger than DocumentSizeLimit is
// refused. Opening a ".pad" reads its document member only, straight from the archive; an
// archive without it, with two members of its name apart from letter case, with an unsafe entry,
// or that is no zip archive, and a file that is not Shift_JIS, are refused with an error (the zip
// layer's reason included) and leave the input as it was.
void PadFileOpen(const QString& path);
void PadFileClose();
// Raises a format error met while reading the open input again, its message followed by the
// file's name and the line of the record being read, or, given textLine (from 0), the line of the
// file that holds that line of the text section of the record read last.
[[noreturn]] void PadInputErrorRaise(const platform::vbrt::Error& e, qsizetype textLine = -1);
// Opens a document: PadFileOpen, then the first record must be the document header (it waits,
// pushed back, for the next GetPadInfo). A first record of another known tag is refused as soon
// as it has been read, before the rest of the file is; damage is judged on the whole file, the
// same wherever it stands. An empty file, or one that does not begin with the header, is refused
// with an error, and the input open before stays open as it was; a file of comments and blank
// lines alone is an empty document (its first record is the end of the input).
void PadDocumentOpen(const QString& path);
// True while the input is the document at path as PadDocumentOpen left it (nothing read since),
// so a loader can go on from there instead of reading the file again.
bool PadDocumentReady(const QString& path);
// The canvases the records ahead would open: one per top-level routine or note, counted from
// the tags alone and without reading anything.
std::size_t PadCanvasCount();

// The output. The text is collected and put in place by PadFileFinish (for a ".pad": packed into
// an archive first); a failure there raises and leaves the target as it was.
void PadFileCreate(const QString& path);
void PadFileFinish();
// Drops an output that cannot be finished; the target stays as it was.
void PadFileAbandon();

// Saves the whole document to the path part of DocumentName and clears the modified flag;
// a failed save raises and keeps the flag.
void PadFileSave();

// True for a path whose extension is "pad" in any letter case.
bool IsPadFile(const QString& path);

// The dialogs: false on cancel and on any failure.
bool FileOpenDialog(platform::commondialog::CommonDialog& dialog, QString& path);
bool FileSaveDialog(platform::commondialog::CommonDialog& dialog);

// Reading: the next record; the empty record (tagId 0) once the input has ended. Raises
// "定義されていないﾀｸﾞです。" (source "GetPadInfo") for a record that starts with no known tag.
PadInfoRecord GetPadInfo();
// The next GetPadInfo returns the last record again (one record of push-back).
void UngetPadInfo();
// One line as it stands in the file; false (and "") at the end of the input.
bool PadLineRead(QString& line);

// Writing.
void PadInfoWrite(const PadInfoRecord& record);
void PadSectionWrite(std::int32_t subTagId, const QString& text);
void PadLineWrite(const QString& line);
// Box records from startBox, or (startBox below 0) the canvas's whole list in its canvas frame.
void BoxListWrite(std::int16_t canvas, std::int16_t startBox, bool withSubs, bool caseNumbers, bool followNext,
                  bool withNames);
// The header record and, withCanvases, every open canvas in display order and the closing record.
void PadDocumentWrite(bool withCanvases, bool caseNumbers);
// The chart-kind name of a canvas ("Obstinate1" ...); "" without exactly one chart kind.
QString ObstinateNameGet(std::int16_t canvas);

// The program's texts under the format's line rule: a line ends at CR LF, at CR alone or at LF
// alone. A multi-line text joins its lines with CR LF in memory.
//
// The text with each line break replaced by separator (a break at the end too).
QString LineBreaksReplace(const QString& text, const QString& separator);
// The value of a one-line field: each line break one blank, and each TAB, which no one-line value
// of a document keeps (the reader makes it a blank, the settings text a line break), one blank.
QString OneLineText(const QString& text);
// A multi-line text in the form a document keeps it, what a written record gives back when it is
// read: lines broken at every line end and joined with CR LF, TABs as blanks, no blanks at a line's
// end and no empty lines. A text enters the document in this form, so that what is stored reads
// back equal.
QString PadTextForm(const QString& text);

// The three file types of the dialogs: column 0 the filter entry, column 1 the extension.
struct FileFilterRow {
    QString filter;
    QString extension;
};

// Module state shared by the start and end routines, the files and the dialogs.
struct FileInterfaceData {
    std::array<FileFilterRow, 3> FileFilterTable; // rows 1 to 3 at indexes 0 to 2
    QString FileFilter;     // the filter entries joined with "|"
    QString ZipWorkFile;    // the work archive
    QString ZipWorkFolder;  // the work folder
    QString ZipMemberFile;  // the document member in the work folder, while a ".pad" is packed
    QString SaveTargetFile; // the ".pad" being written
};
inline FileInterfaceData FileInterface;

} // namespace vellumora
