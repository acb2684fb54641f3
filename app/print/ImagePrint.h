#pragma once

// Report rendering: the draw work files of a print job become pages of reports, collected in one
// book that is previewed, printed or written as a PDF file. Every position, size, font and colour
// comes from the work files and from the report settings RS.

#include "platform/report/Report.h"

#include <QString>

#include <array>
#include <cstdint>
#include <memory>

namespace vellumora {

// A report of the print job: "Book" for the collecting report, "Page" and its number for a page.
class ImageReport : public platform::report::Report {
public:
    QString ImageReportID;
};

// The collecting report, from ImageBookStart to the end of ImageBookOutput.
inline std::unique_ptr<ImageReport> ImageBook;
// The page being built, from ImagePageStart to the end of ImagePageAppend.
inline std::unique_ptr<ImageReport> ImagePage;
// Offset in twips added to every item ImageFileDraw reads; set before each file.
inline std::int32_t ImageOriginX = 0;
inline std::int32_t ImageOriginY = 0;
// Counts the controls of one output, which are named "Object1", "Object2", ...
inline std::int32_t ImageObjectCount = 0;

// Output modes of ImageBookOutput.
namespace ImageOutput {
constexpr std::int32_t Preview = 1;
constexpr std::int32_t Print = 2;
constexpr std::int32_t Pdf = 3;
} // namespace ImageOutput

void ImageBookStart();
// Pages appended from now on go straight to the printer or the PDF file of the mode as they are
// made (a preview keeps them all); ImageBookOutput completes the output.
void ImageBookStream(std::int32_t mode);
void ImagePageStart(std::int16_t page);
// Reads one draw work file into the page being built, offset by the origin.
void ImageFileDraw(const QString& path);
// Splits the line held in strings[0] into the fields 0 to last: strings[i] the text of field i,
// numbers[i] its whole-number value (0 when it is no number or has ten characters or more); the
// last field is the rest of the line. Elements above last are emptied.
void ImageLineSplit(std::array<QString, 16>& strings, std::array<std::int32_t, 16>& numbers, std::int16_t last);
void ImageLineDraw(std::int32_t x0, std::int32_t y0, std::int32_t x, std::int32_t y, std::int32_t dx, std::int32_t dy,
                   std::int32_t color, std::int32_t style, std::int32_t width);
void ImageBoxDraw(std::int32_t x0, std::int32_t y0, std::int32_t x, std::int32_t y, std::int32_t dx, std::int32_t dy,
                  std::int32_t color, std::int32_t style, std::int32_t width);
void ImageCircleDraw(std::int32_t x0, std::int32_t y0, std::int32_t cx, std::int32_t cy, double radius,
                     std::int32_t color, std::int32_t style, std::int32_t width, std::int32_t kind);
// The size is drawn as it was measured, in points with their fraction.
void ImageTextDraw(std::int32_t x0, std::int32_t y0, std::int32_t x, std::int32_t y, const QString& fontName,
                   std::int32_t italic, std::int32_t bold, double size, std::int32_t color, std::int32_t strikethrough,
                   std::int32_t underline, std::int32_t width, std::int32_t height, const QString& text);
// Runs the page being built and appends its pages to the book.
void ImagePageAppend();
// Delivers the book (ImageOutput::Preview, Print or Pdf to RS.pdfPath) and releases it; an empty
// book shows "出力する情報がありません。" and delivers nothing.
void ImageBookOutput(std::int32_t mode);

} // namespace vellumora
