#pragma once

// The system printer: font, colours, colour mode, paper size and orientation, page size in twips,
// text measuring (which never needs a printer), end of document.

#include "platform/graphics/DrawingTarget.h"

#include <QPageSize>
#include <QSize>
#include <QString>

#include <cstdint>

namespace platform::printer {

// Paper-size codes of the old platform's printer.
namespace PaperSize {
constexpr std::int16_t Letter = 1;
constexpr std::int16_t Legal = 5;
constexpr std::int16_t A3 = 8;
constexpr std::int16_t A4 = 9;
constexpr std::int16_t A5 = 11;
constexpr std::int16_t B4 = 12;
constexpr std::int16_t B5 = 13;
} // namespace PaperSize

namespace Orientation {
constexpr std::int16_t Portrait = 1;
constexpr std::int16_t Landscape = 2;
} // namespace Orientation

// Width and height in twips of a paper in portrait (A4 = 11906 x 16838); an empty size for a code
// the printer does not know.
QSize PaperSizeTwips(std::int16_t paperSize);
// The page size a Qt printer or PDF writer takes for a paper code; Custom for a code the printer
// does not know.
QPageSize::PageSizeId PaperPageSizeId(std::int16_t paperSize);

class Printer : public graphics::DrawingTarget {
public:
    Printer();

    std::int16_t ColorMode() const { return colorMode_; }
    void SetColorMode(std::int16_t mode) { colorMode_ = mode; }

    std::int16_t PaperSize() const { return paperSize_; }
    // Raises invalid procedure call (5) for a code the printer does not know.
    void SetPaperSize(std::int16_t paperSize);
    std::int16_t Orientation() const { return orientation_; }
    // Raises invalid procedure call (5) for anything but portrait or landscape.
    void SetOrientation(std::int16_t orientation);

    // The page in twips as oriented.
    std::int32_t Width() const;
    std::int32_t Height() const;

    // Whether a printer is installed on the system; measuring and page sizes work without one.
    static bool Installed();
    QString DeviceName() const;

    // Ends the current document: what was drawn is dropped and no job stays open.
    void EndDoc();
    void NewPage();

    std::int32_t PageCount() const { return pages_; }
    const std::vector<graphics::DrawRecord>& Records() const { return records_; }

protected:
    void Emit(graphics::DrawRecord record) override;

private:
    std::int16_t colorMode_ = 2;
    std::int16_t paperSize_ = PaperSize::A4;
    std::int16_t orientation_ = Orientation::Portrait;
    std::int32_t pages_ = 0;
    std::vector<graphics::DrawRecord> records_;
};

// The one system printer of the program.
Printer& SystemPrinter();

} // namespace platform::printer
