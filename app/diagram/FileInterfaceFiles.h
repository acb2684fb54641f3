#pragma once

// What the reader and the writer of tagged text share with the files beneath them: the document
// file and the ".pad" container on disk, the line end, and the refusal of an input or output that
// is not open. Only the tagged-text files include this.

#include <QByteArray>
#include <QString>

#include <functional>

namespace vellumora::padfile {

inline const QString kCrLf = QStringLiteral("\r\n");

[[noreturn]] void RaiseNotOpen(const char* source);

// Called with the bytes read so far until it returns true; raises to refuse the document.
using HeadCheck = std::function<bool(const QByteArray& soFar)>;

// A document file: a regular file of at most DocumentSizeLimit bytes, read once, piece by piece,
// with the head check after each piece until it has decided.
QByteArray ReadDocumentFile(const QString& path, const HeadCheck& head);

// The bytes of the document member of a ".pad", read straight from the archive: nothing of it
// is written to disk. Every refusal keeps the zip layer's own reason.
QByteArray ReadPadMember(const QString& path, const HeadCheck& head);

// Packs the text as the single member of a new archive and puts the archive in place whole.
void WritePadArchive(const QString& target, const QByteArray& bytes);

// Per-process work files (undo snapshots, copy buffers, editor files) end with the process: they
// are replaced whole like every output, but not forced to the disk, which would cost every edit
// the wait, and never written where a link at their name leads.
bool IsWorkFile(const QString& target);

} // namespace vellumora::padfile
