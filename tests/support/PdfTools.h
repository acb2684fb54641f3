#pragma once

// Reads PDF files back with the poppler tools (pdfinfo, pdftotext), which scripts/setup installs.
// A missing tool fails the test that needs it with a clear message; it never skips.

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace testsupport {

// The output of a poppler tool run on a file; adds a failure (and returns "") when the tool is
// missing or fails.
inline QString PopplerRun(const QString& tool, const QStringList& arguments)
{
    if (QStandardPaths::findExecutable(tool).isEmpty()) {
        ADD_FAILURE() << tool.toStdString() << " is not installed: run scripts/setup (package poppler-utils)";
        return QString();
    }
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        ADD_FAILURE() << tool.toStdString() << " failed: " << process.readAllStandardError().toStdString();
        return QString();
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

struct PdfInfo {
    int pages = -1;
    QString pageSize; // as pdfinfo shows it, "595.276 x 841.89 pts (A4)"
    QString title;
};

inline PdfInfo PdfInfoRead(const QString& path)
{
    PdfInfo info;
    const QString text = PopplerRun(QStringLiteral("pdfinfo"), {path});
    const auto field = [&](const char* name) {
        const QRegularExpression line(QStringLiteral("^%1:\\s*(.*)$").arg(QLatin1String(name)),
                                      QRegularExpression::MultilineOption);
        return line.match(text).captured(1).trimmed();
    };
    bool ok = false;
    info.pages = field("Pages").toInt(&ok);
    if (!ok)
        info.pages = -1;
    info.pageSize = field("Page size");
    info.title = field("Title");
    return info;
}

// The text of the pages, in reading order, pages separated by form feeds.
inline QString PdfText(const QString& path)
{
    return PopplerRun(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path,
                                                    QStringLiteral("-")});
}

// One page (from 1) of a PDF file rasterised by pdftoppm at the given resolution.
inline QImage PdfRaster(const QString& path, int page, int dpi)
{
    const QString stem = path + QStringLiteral(".page%1").arg(page);
    PopplerRun(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"),
                                            QString::number(page), QStringLiteral("-l"), QString::number(page),
                                            QStringLiteral("-png"), QStringLiteral("-singlefile"), path, stem});
    QImage image(stem + QStringLiteral(".png"));
    if (image.isNull())
        ADD_FAILURE() << "pdftoppm gave no image of page " << page;
    return image;
}

} // namespace testsupport
