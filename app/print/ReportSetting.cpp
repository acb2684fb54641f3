#include "app/print/ReportSetting.h"

#include "app/core/ApplicationGlobals.h"
#include "app/core/PrintRecords.h"
#include "app/core/RecordAccess.h"
#include "platform/printer/Printer.h"
#include "platform/vbrt/Error.h"
#include "platform/vbrt/Value.h"


namespace vellumora {

namespace {

// Lengths are 32-bit; a result outside that range raises 6 (overflow) instead of wrapping.
std::int32_t Checked(std::int64_t value) { return Twips(value, "ReportAreaCalc"); }

} // namespace

void ReportDescriptionAdd(const QString& description, std::int16_t category1, std::int16_t category2, bool perPage)
{
    RS.descriptionList.push_back({description, category1, category2, perPage});
}

void ReportAreaCalc()
{
    if (RS.paperSize < 1 || RS.orientation < 1)
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
        const QString value =
            CommonServices->GetInitFile(QStringLiteral("ReportSize"), QStringLiteral("PaperStyle") + QString::number(i));
        if (value.isEmpty())
            break;
        QStringList parts = value.split(QLatin1Char(':'));
        for (QString& part : parts)
            part = platform::vbrt::Trim(part);
        if (parts.at(0) != RS.paperStyle)
            continue;
        if (parts.size() > 1)
            RS.paperSize = platform::vbrt::CInt(platform::vbrt::CDbl(parts.at(1)));
        if (parts.size() > 2)
            RS.orientation = platform::vbrt::CInt(platform::vbrt::CDbl(parts.at(2)));
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
