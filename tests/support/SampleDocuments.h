#pragma once

#include <QDir>
#include <QStringList>

namespace testsupport {

// The sample documents shipped with the program, tagged text and ".pad" alike, as paths in the
// order of their names.
inline QStringList SampleDocuments()
{
    const QDir samples(QStringLiteral(VELLUMORA_SOURCE_DIR "/samples"));
    QStringList paths;
    const QStringList patterns = {QStringLiteral("*.txt"), QStringLiteral("*.pad")};
    for (const QString& name : samples.entryList(patterns, QDir::Files, QDir::Name))
        paths << samples.filePath(name);
    return paths;
}

} // namespace testsupport
