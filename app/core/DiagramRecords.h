#pragma once

// The records of a diagram: canvases, their boxes and sub lines, the tagged-text
// record, and the tag tables in PR. Field order and widths are kept because record
// dumps and whole-record copies between canvases rely on them. A default-constructed
// record is the default record (links -1, flags at their initial bits); Default names it,
// and a working record is reset by copying it whole.

#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <vector>

namespace vellumora {

class CanvasSurface;

// A position or a size in twips.
struct Point {
    std::int32_t xw = 0; // x or width
    std::int32_t yh = 0; // y or height

    friend bool operator==(const Point&, const Point&) = default;

    static const Point Default;
};
inline const Point Point::Default{};

// Kinds of FigureData: 0 (or anything outside 1..10) draws nothing.
namespace FigureKind {
constexpr std::int32_t None = 0;
constexpr std::int32_t Line = 1;
constexpr std::int32_t Circle = 2;
constexpr std::int32_t LeftHalf = 3;       // 90 to 270 degrees
constexpr std::int32_t RightHalf = 4;      // 270 to 90
constexpr std::int32_t UpperHalf = 5;      // 0 to 180
constexpr std::int32_t LowerHalf = 6;      // 180 to 0
constexpr std::int32_t UpperLeft = 7;      // 90 to 180
constexpr std::int32_t UpperRight = 8;     // 0 to 90
constexpr std::int32_t LowerLeft = 9;      // 180 to 270
constexpr std::int32_t LowerRight = 10;    // 270 to 0
} // namespace FigureKind

// One drawing figure. Points are offsets from the origin of the record holding it.
struct FigureData {
    std::int32_t kind = FigureKind::None;
    Point s;                 // start of a line, centre of an arc
    Point e;                 // end of a line; unused by arcs
    std::int32_t radius = 0;

    friend bool operator==(const FigureData&, const FigureData&) = default;

    static const FigureData Default;
};
inline const FigureData FigureData::Default{};

struct SubBase {
    Point xy;
    FigureData figure;

    friend bool operator==(const SubBase&, const SubBase&) = default;
};

// A text of a box or sub line: lines joined by CR LF.
struct InternalCode {
    QString text;
    Point size;                  // measured width and height
    std::int16_t lineCount = 0;  // 0 for an empty text
    Point xy;
    std::int16_t flags = 1;      // bit 0: the text is drawn

    friend bool operator==(const InternalCode&, const InternalCode&) = default;

    static const InternalCode Default;
};
inline const InternalCode InternalCode::Default{};

// Bits of BoxRecord::flags.
namespace BoxFlag {
constexpr std::int16_t BreakTarget = 0x1;
constexpr std::int16_t ContinueTarget = 0x2;
constexpr std::int16_t TestBefore = 0x4;      // loop tests before its body
constexpr std::int16_t Shown = 0x8;
constexpr std::int16_t ModifyEditorOpen = 0x10;
constexpr std::int16_t BeforeEditorOpen = 0x20;
constexpr std::int16_t AfterEditorOpen = 0x40;
constexpr std::int16_t Temporary = 0x80;
constexpr std::int16_t LabelReplaced = 0x100;
constexpr std::int16_t FollowsChink = 0x200;
constexpr std::int16_t ChainHead = 0x400;
constexpr std::int16_t LowerPage = 0x800;     // page break above the box
constexpr std::int16_t PageMark1 = 0x1000;
constexpr std::int16_t PageMark2 = 0x2000;
constexpr std::int16_t ChainEnd = 0x4000;
} // namespace BoxFlag

// Bits of SubRecord::flags.
namespace SubFlag {
constexpr std::int16_t CaseTextShown = 0x1;
constexpr std::int16_t LowerEditorOpen = 0x2;
constexpr std::int16_t UpperEditorOpen = 0x4;
constexpr std::int16_t PlacementMark8 = 0x8;
constexpr std::int16_t PlacementMark10 = 0x10;
constexpr std::int16_t EmptyLine = 0x20;
constexpr std::int16_t RightPage = 0x40;
constexpr std::int16_t PageMark80 = 0x80;
constexpr std::int16_t PageMark100 = 0x100;
constexpr std::int16_t PageMark200 = 0x200;
} // namespace SubFlag

// One box of a canvas (an element of CanvasRecord::BoxList).
struct BoxRecord {
    std::int32_t tagType = 0;     // tag id of the box kind
    std::int32_t tagAttr = 0;     // attribute bits as read with the box's record
    std::int16_t subIndex = -1;   // first sub line
    std::int16_t subCount = 0;
    std::int16_t levelNo = 0;
    std::int16_t upper = -1;      // sub line whose chain holds the box; below 1 at top level
    std::int16_t before = -1;
    std::int16_t after = -1;
    InternalCode text;
    InternalCode text2;           // the "goto" label of a jump shape
    Point sizeS;                  // simple form
    Point sizeE;                  // expanded form
    Point sizeP;                  // painted size
    std::vector<std::uint8_t> style; // one value index per StyleAttributeTable row
    std::vector<FigureData> draw;
    std::int32_t colorCode = 0;
    std::int32_t fontCode = 0;
    Point xy;
    QPointer<QWidget> modifyEditor; // box editor windows open on the box
    QPointer<QWidget> beforeEditor;
    QPointer<QWidget> afterEditor;
    std::int16_t no = 0;
    std::int16_t flags = BoxFlag::Shown;
    std::int16_t blockIndex = -1;
    std::int16_t garbage = -1;    // free-chain link: next free slot, -1 end

    static const BoxRecord Default;
};
inline const BoxRecord BoxRecord::Default{};

// One sub line of a canvas (an element of CanvasRecord::SubList).
struct SubRecord {
    std::int16_t boxIndex = -1;   // first box of the chain below
    std::int16_t upper = -1;      // owning box
    std::int16_t before = -1;
    std::int16_t after = -1;
    std::int16_t last = -1;       // last box of the chain below
    std::int16_t no = 0;          // number within its box, from 1
    InternalCode text;            // case text
    InternalCode text2;
    Point sizeS;
    Point sizeP;
    std::vector<FigureData> draw;
    std::int32_t branchDepth = 0;
    std::array<Point, 2> xy{};    // start and end point of the line
    std::vector<SubBase> base;
    QPointer<QWidget> upperEditor; // box editor windows open to insert above / below
    QPointer<QWidget> lowerEditor;
    std::int16_t flags = SubFlag::CaseTextShown;
    std::int16_t blockIndex = -1;
    std::int16_t connectorNo = 0;
    std::int16_t garbage = -1;    // free-chain link

    static const SubRecord Default;
};
inline const SubRecord SubRecord::Default{};

namespace CanvasState {
constexpr std::int32_t New = 1;
constexpr std::int32_t Open = 2;
constexpr std::int32_t Closed = 3;
} // namespace CanvasState

struct CanvasHeader {
    std::int16_t firstBox = -1;
    std::int16_t maxLevel = 0;
    std::int32_t extentX = 0;
    QString name;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int16_t number = 0;
    std::int16_t activateStamp = 0;
    std::int16_t windowState = -1; // -1 unset
    std::int32_t state = CanvasState::New;
    std::int16_t partsLock = 0;
    std::int16_t boxCount = 0;
    std::int32_t kindFlags = 0;    // chart-kind bits, mask 0x7C000
    std::int16_t busyCount = 0;    // 1 while the window paints
    std::int16_t freeBox = -1;     // head of the BoxList free chain; -1 or 0 empty
    std::int16_t freeSub = -1;

    static const CanvasHeader Default;
};
inline const CanvasHeader CanvasHeader::Default{};

// The font and colours selected on one drawing target (a canvas window or the printer).
struct FontColorState {
    bool fontDirty = false;        // the target's font is unknown: apply even if equal
    bool colorDirty = false;
    std::int32_t fontCode = 0;
    std::int16_t nameIndex = 0;    // bits 0-15 of fontCode
    std::int16_t sizeTenths = 0;   // bits 16-25
    bool bold = false;             // bit 26
    bool italic = false;           // bit 27
    bool strikethru = false;       // bit 28
    bool underline = false;        // bit 29
    std::int32_t foreColor = 0;    // -1 = the document colour
    std::int32_t drawColor = 0;    // stored resolved

    friend bool operator==(const FontColorState&, const FontColorState&) = default;

    static const FontColorState Default;
};
inline const FontColorState FontColorState::Default{};

// One canvas: slot 0 of B is the print work copy, 1..n the document's canvases.
struct CanvasRecord {
    CanvasHeader header;
    FontColorState fontColor;
    QPointer<CanvasSurface> form;     // null for slot 0 and a released canvas
    std::vector<BoxRecord> BoxList; // empty = released; slot 0 is a spare
    std::vector<SubRecord> SubList;
};

// One tagged-text record as read or written.
struct PadInfoRecord {
    std::int32_t tagId = 0;        // 0: the input has ended
    std::int32_t flags = 0;        // attribute bits
    std::int16_t number = -1;
    QString name;
    QString text;
    QString color;
    QString font;
    QString nameText;
    bool before = false;
    bool after = false;
    QString style;
    bool lowerPage = false;
    bool rightPage = false;
    QString obstinate;

    friend bool operator==(const PadInfoRecord&, const PadInfoRecord&) = default;

    static const PadInfoRecord Default;
};
inline const PadInfoRecord PadInfoRecord::Default{};

// Rows of the tag tables.
struct TagAttributeRecord {
    QString name;
    std::int32_t value = 0;

    friend bool operator==(const TagAttributeRecord&, const TagAttributeRecord&) = default;
};

struct TagTableRecord {
    QString mnemonic;              // with its two leading ampersands
    std::int32_t id = 0;
    std::int32_t flags = 0;
    QString boxName;               // empty for kinds that are not boxes

    friend bool operator==(const TagTableRecord&, const TagTableRecord&) = default;

    static const TagTableRecord Default;
};
inline const TagTableRecord TagTableRecord::Default{};

struct StyleAttributeRecord {
    QString name;                  // lower case
    std::vector<QString> values;   // lower case; index 0 is "off"
    bool isLeft = false;
    bool isRight = false;
    bool isUpper = false;
    bool isLower = false;
    bool isCorner = false;
    bool isLine = false;
    bool isOverlap = false;
};

// The per-level state of the vertical pass (and of the page layout's print copy).
struct YAdjustRecord {
    Point boxXY;
    bool boxFirst = false;
    Point boxSize;
    Point subXY;
    bool subFirst = false;
    Point subSize;
    std::int16_t subIndex = 0;
    std::int16_t subCount = 0;
    Point connectXY;
    std::int32_t boxShift = 0;
    std::int16_t blockIndex = 0;

    static const YAdjustRecord Default;
};
inline const YAdjustRecord YAdjustRecord::Default{};

// The tag tables, built once at start-up, and the vertical pass's working lists.
struct PadRecord {
    std::vector<TagAttributeRecord> TagAttributeTable;
    std::vector<TagTableRecord> TagTable;
    std::vector<StyleAttributeRecord> StyleAttributeTable;
    std::vector<YAdjustRecord> yAdjust;
    std::vector<std::int32_t> peakSet;
    // Rows 0..4: chart-kind name ("Obstinate1".."Obstinate5") and its caption; empty before start-up.
    std::vector<std::array<QString, 2>> ObstinateTable;
};

inline PadRecord PR;

} // namespace vellumora
