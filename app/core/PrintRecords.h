#pragma once

// The report settings RS and the print job's work record RW with its element types.
// A default-constructed record is the default record; a working record is reset by
// copying Default over it whole, and a new list element starts as a copy of Default.

#include "app/core/DiagramRecords.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace vellumora {

// One content item a header or footer slot can show.
struct ReportDescription {
    QString description;
    std::int16_t category1 = 0;  // 1 names, 2 dates, 3 free texts, 4 page numbers
    std::int16_t category2 = 0;  // item within its group, from 1
    bool perPage = false;        // differs from page to page

    friend bool operator==(const ReportDescription&, const ReportDescription&) = default;
};

// How a chart is put on paper. Slots 0..5: header left, centre, right, footer left, centre, right.
// Sides 0..3: left, right, top, bottom. Lengths in twips.
struct ReportSettingRecord {
    QString paperStyle;
    std::int16_t paperSize = 0;
    std::int16_t orientation = 0;
    std::array<std::int32_t, 4> margin{};
    std::array<bool, 3> frameShow{};     // body, header, footer
    std::array<std::int32_t, 4> space{};
    std::int32_t headerHeight = 0;
    std::int32_t footerHeight = 0;
    std::array<QString, 6> explain;
    std::array<QString, 6> fontName;
    std::array<QString, 6> fontSize;
    std::array<bool, 6> fontBold{};
    std::array<bool, 6> fontItalic{};
    std::array<bool, 6> fontStrikethru{};
    std::array<bool, 6> fontUnderLine{};
    std::array<QString, 6> color;
    std::array<QString, 5> extraText;
    QString updateDateFormat;
    QString nowDateFormat;
    std::int32_t pageWidth = 0;
    std::int32_t pageHeight = 0;
    std::int32_t printWidth = 0;
    std::int32_t printHeight = 0;
    std::int32_t reportWidth = 0;
    std::int32_t reportHeight = 0;
    std::vector<ReportDescription> descriptionList;
    QString pdfPath;

    friend bool operator==(const ReportSettingRecord&, const ReportSettingRecord&) = default;

    static const ReportSettingRecord Default;
};
inline const ReportSettingRecord ReportSettingRecord::Default{};

// One numbered continuation mark.
struct ConnectorRecord {
    std::array<FigureData, 7> draw{};  // outline 0..4; 5 and 6 joining lines or empty
    Point sizeP;
    std::int16_t connectorNo = 0;
    InternalCode label;
    Point xy;

    friend bool operator==(const ConnectorRecord&, const ConnectorRecord&) = default;

    static const ConnectorRecord Default;
};
inline const ConnectorRecord ConnectorRecord::Default{};

// One layout block of a print job.
struct BlockRecord {
    std::int16_t canvas = 0;
    std::vector<std::int16_t> children;
    Point size;
    std::vector<ConnectorRecord> connector;
    std::int16_t connectorNo = -1;
    std::vector<FigureData> draw;
    std::int16_t baseLevel = 0;
    std::int16_t editBoxCount = 0;
    std::vector<std::int32_t> peakSet;
    std::int16_t fileNo = -1;
    QString fileName;
    std::int16_t pageNo = 0;
    std::vector<std::int16_t> joinBlocks;
    bool joined = false;
    Point pagePos;
    std::int16_t joinLevel = -1;
    std::int16_t flags = 0;

    friend bool operator==(const BlockRecord&, const BlockRecord&) = default;

    static const BlockRecord Default;
};
inline const BlockRecord BlockRecord::Default{};

// One page of a print job.
struct PageRecord {
    std::int16_t canvas = 0;
    QString canvasName;
    std::int16_t canvasNumber = 0;
    std::vector<std::int16_t> blocks;
    QString fileName;

    friend bool operator==(const PageRecord&, const PageRecord&) = default;
};

// The work record of the running print job.
struct PrintWorkRecord {
    std::int16_t pageEstimate = 0;
    std::int16_t labelDigits = 0;
    Point labelSize;
    std::array<ConnectorRecord, 2> joint{};  // 0 points right, 1 points down
    std::int16_t connectorCount = 0;
    std::vector<BlockRecord> BlockList;      // entry 0 is a filler
    std::int16_t canvas = 0;
    std::int16_t pageCount = 0;
    std::vector<PageRecord> PageList;        // entry 0 is not used
    QString fileDate;
    QString printTime;
    QString commonFileName;

    friend bool operator==(const PrintWorkRecord&, const PrintWorkRecord&) = default;

    static const PrintWorkRecord Default;
};
inline const PrintWorkRecord PrintWorkRecord::Default{};

inline ReportSettingRecord RS;
inline PrintWorkRecord RW;

} // namespace vellumora
