#include "app/diagram/ReportSetting.h"

#include "app/core/ApplicationGlobals.h"
#include "app/core/PrintRecords.h"
#include "app/core/RecordAccess.h"
#include "platform/printer/Printer.h"
#include "platform/vbrt/Error.h"
#include "platform/vbrt/Value.h"

#include <optional>


namespace vellumora {

namespace {

// Lengths are 32-bit; a result outside that range raises 6 (overflow) instead of wrapping.
std::int32_t Checked(std::int64_t value) { return Twips(value, "ReportAreaCalc"); }

bool PaperKnown(std::int16_t paperSize) { return !platform::printer::PaperSizeTwips(paperSize).isEmpty(); }

bool OrientationKnown(std::int16_t orientation)
{
    return orientation == platform::printer::Orientation::Portrait ||
           orientation == platform::printer::Orientation::Landscape;
}

// A code part of a [ReportSize] entry: a number in the 16-bit range, else nothing.
std::optional<std::int16_t> CodePart(const QString& part)
{
    if (!platform::vbrt::IsNumeric(part))
        return std::nullopt;
    const double value = platform::vbrt::CDbl(part);
    if (!(value > -32768.5 && value < 32767.5))
        return std::nullopt;
    return platform::vbrt::CInt(value);
}

// A bad entry keeps the paper as it was; the user learns of it when the running command ends.
void EntryRefused(const QString& message, const QString& key, const QString& value)
{
    QString& deferred = ApplicationGlobals.DeferredError;
    if (!deferred.isEmpty())
        deferred += QStringLiteral("\r\n");
    deferred += message + QStringLiteral("\r\n") + QStringLiteral("[ReportSize] ") + key + QLatin1Char('=') + value;
}

} // namespace

void ReportDescriptionAdd(const QString& description, std::int16_t category1, std::int16_t category2, bool perPage)
{
    RS.descriptionList.push_back({description, category1, category2, perPage});
}

void ReportAreaCalc()
{
    if (RS.paperSize < 1 || RS.orientation < 1)
        return;
    if (!PaperKnown(RS.paperSize) || !OrientationKnown(RS.orientation))
        return;
    platform::printer::Printer& printer = platform::printer::SystemPrinter();
    printer.SetPaperSize(RS.paperSize);
    printer.SetOrientation(RS.orientation);
    RS.pageWidth = printer.Width();
    RS.printWidth = Checked(std::int64_t(RS.pageWidth) - (std::int64_t(RS.margin[0]) + RS.margin[1]));
    RS.reportWidth = Checked(std::int64_t(RS.printWidth) - (std::int64_t(RS.space[0]) + RS.space[1]));
    RS.pageHeight = printer.Height();
    RS.printHeight = Checked(std::int64_t(RS.pageHeight) - (std::int64_t(RS.margin[2]) + RS.margin[3] + 10));
    RS.reportHeight = Checked(std::int64_t(RS.printHeight) -
                              (std::int64_t(RS.headerHeight) + RS.footerHeight + RS.space[2] + RS.space[3]));
    printer.EndDoc();
}

void ReportSettingApply()
{
    for (int i = 1; i <= 100; ++i) {
        const QString key = QStringLiteral("PaperStyle") + QString::number(i);
        const QString value = CommonServices->GetInitFile(QStringLiteral("ReportSize"), key);
        if (value.isEmpty())
            break;
        QStringList parts = value.split(QLatin1Char(':'));
        for (QString& part : parts)
            part = platform::vbrt::Trim(part);
        if (parts.at(0) != RS.paperStyle)
            continue;
        std::optional<std::int16_t> paperSize = RS.paperSize;
        std::optional<std::int16_t> orientation = RS.orientation;
        if (parts.size() > 1)
            paperSize = CodePart(parts.at(1));
        if (parts.size() > 2)
            orientation = CodePart(parts.at(2));
        if (parts.size() > 1 && (!paperSize || !PaperKnown(*paperSize))) {
            EntryRefused(QStringLiteral("用紙ｻｲｽﾞ指定が不良です。"), key, value);
        } else if (parts.size() > 2 && (!orientation || !OrientationKnown(*orientation))) {
            EntryRefused(QStringLiteral("用紙方向指定が不良です。"), key, value);
        } else {
            RS.paperSize = *paperSize;
            RS.orientation = *orientation;
        }
        break;
    }

    RS.descriptionList.clear();
    ReportDescriptionAdd(QStringLiteral("ｷｬﾝﾊﾞｽ名"), 1, 1, true);
    ReportDescriptionAdd(QStringLiteral("ｷｬﾝﾊﾞｽ名+No"), 1, 2, true);
    ReportDescriptionAdd(QStringLiteral("ﾌｧｲﾙ名"), 1, 3, false);
    ReportDescriptionAdd(QStringLiteral("ﾌｧｲﾙ名(ﾊﾟｽ付)"), 1, 4, false);
    ReportDescriptionAdd(QStringLiteral("更新日付"), 2, 1, false);
    ReportDescriptionAdd(QStringLiteral("現在日付"), 2, 2, false);
    ReportDescriptionAdd(QStringLiteral("ﾃｷｽﾄ1"), 3, 1, false);
    ReportDescriptionAdd(QStringLiteral("ﾃｷｽﾄ2"), 3, 2, false);
    ReportDescriptionAdd(QStringLiteral("ﾃｷｽﾄ3"), 3, 3, false);
    ReportDescriptionAdd(QStringLiteral("ﾃｷｽﾄ4"), 3, 4, false);
    ReportDescriptionAdd(QStringLiteral("ﾃｷｽﾄ5"), 3, 5, false);
    ReportDescriptionAdd(QStringLiteral("ﾍﾟｰｼﾞ番号"), 4, 1, true);
    ReportDescriptionAdd(QStringLiteral("ﾍﾟｰｼﾞ番号/総ﾍﾟｰｼﾞ数"), 4, 2, true);

    ReportAreaCalc();
}

} // namespace vellumora
