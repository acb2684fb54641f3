#include "app/core/WorkFileNames.h"

namespace vellumora {

platform::system::WorkFileShapes WorkFileShapesOf(const QString& program)
{
    const auto literal = [](const QString& text) { return QRegularExpression::escape(text); };
    const QString part = QStringLiteral("[A-Za-z0-9_~%-]+");
    const QString padWork = QString(PadWorkPart) + WorkFileEnd;
    const QString printSpool = QString(PrintSpoolPart) + QLatin1Char('.') + PrintSpoolSubPart + WorkFileEnd;
    return {
        program,
        QRegularExpression(QStringLiteral("(?:%1\\.)*%1%2|%3(?:%4)?")
                               .arg(part, literal(WorkFileEnd), literal(padWork + PadWorkArchiveEnd), ZipWriteNameEnd)),
        QRegularExpression(literal(padWork + PadWorkFolderEnd) + QLatin1Char('|') + literal(printSpool)),
        QRegularExpression(literal(PadMemberName) + QLatin1Char('|') + PrintSpoolFileShape),
    };
}

} // namespace vellumora
