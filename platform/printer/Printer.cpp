#include "platform/printer/Printer.h"

#include "platform/vbrt/Error.h"

#include <QPrinterInfo>

#include <cmath>

namespace platform::printer {

namespace {

struct Paper {
    std::int16_t code;
    double widthMm;
    double heightMm;
    QPageSize::PageSizeId pageSizeId;
};
// B4 and B5 are the Japanese sizes, as on the printers the codes come from.
constexpr Paper kPapers[] = {
    {PaperSize::Letter, 215.9, 279.4, QPageSize::Letter}, {PaperSize::Legal, 215.9, 355.6, QPageSize::Legal},
    {PaperSize::A3, 297.0, 420.0, QPageSize::A3},         {PaperSize::A4, 210.0, 297.0, QPageSize::A4},
    {PaperSize::A5, 148.0, 210.0, QPageSize::A5},         {PaperSize::B4, 257.0, 364.0, QPageSize::JisB4},
    {PaperSize::B5, 182.0, 257.0, QPageSize::JisB5},
};

std::int32_t MillimetresToTwips(double mm)
{
    return static_cast<std::int32_t>(std::lround(mm * 1440.0 / 25.4));
}

// The paper of a code; null for a code the printer does not know.
const Paper* PaperOf(std::int16_t paperSize)
{
    for (const Paper& p : kPapers) {
        if (p.code == paperSize)
            return &p;
    }
    return nullptr;
}

[[noreturn]] void RaiseInvalidCall(const QString& source)
{
    vbrt::RaiseNumber(vbrt::ErrorNumber::InvalidProcedureCall, source);
}

} // namespace

QSize PaperSizeTwips(std::int16_t paperSize)
{
    const Paper* p = PaperOf(paperSize);
    return p ? QSize(MillimetresToTwips(p->widthMm), MillimetresToTwips(p->heightMm)) : QSize();
}

QPageSize::PageSizeId PaperPageSizeId(std::int16_t paperSize)
{
    const Paper* p = PaperOf(paperSize);
    return p ? p->pageSizeId : QPageSize::Custom;
}

Printer::Printer()
{
    // The printer starts as the old platform's did: black text in a 10-point font.
    SetFontSize(10.0f);
    SetBackColor(0xFFFFFF);
}

void Printer::SetPaperSize(std::int16_t paperSize)
{
    if (PaperSizeTwips(paperSize).isEmpty())
        RaiseInvalidCall(QStringLiteral("Printer.PaperSize"));
    paperSize_ = paperSize;
}

void Printer::SetOrientation(std::int16_t orientation)
{
    if (orientation != Orientation::Portrait && orientation != Orientation::Landscape)
        RaiseInvalidCall(QStringLiteral("Printer.Orientation"));
    orientation_ = orientation;
}

std::int32_t Printer::Width() const
{
    const QSize paper = PaperSizeTwips(paperSize_);
    return orientation_ == Orientation::Landscape ? paper.height() : paper.width();
}

std::int32_t Printer::Height() const
{
    const QSize paper = PaperSizeTwips(paperSize_);
    return orientation_ == Orientation::Landscape ? paper.width() : paper.height();
}

bool Printer::Installed()
{
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

QString Printer::DeviceName() const
{
    return QPrinterInfo::defaultPrinterName();
}

void Printer::EndDoc()
{
    records_.clear();
    pages_ = 0;
    SetCurrentX(0);
    SetCurrentY(0);
}

void Printer::NewPage()
{
    ++pages_;
    SetCurrentX(0);
    SetCurrentY(0);
}

void Printer::Emit(graphics::DrawRecord record)
{
    records_.push_back(std::move(record));
}

Printer& SystemPrinter()
{
    static Printer printer;
    return printer;
}

} // namespace platform::printer
