#include "app/diagram/BoxList.h"

#include "app/core/CanvasSurface.h"
#include "app/core/CanvasSize.h"
#include "app/diagram/PadDraw.h"
#include "app/diagram/FontAndColor.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/Processing.h"
#include "app/core/RecordAccess.h"
#include "platform/vbrt/Error.h"

#include <QMdiSubWindow>

#include <limits>

namespace vellumora {

namespace {

// Links are 16-bit, so a list holds at most this many slots (0 to 32767).
constexpr std::size_t kMaxSlots = static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max()) + 1;

// A slot in use carries the link -1. A freed slot carries the next free slot, or 0 at the
// end of the chain: so a free slot is told from a slot in use by its link alone, also the
// last one of the chain, and deleting a slot twice cannot put it on the chain twice.
constexpr std::int16_t kInUse = -1;
constexpr std::int16_t kChainEnd = 0;

bool SlotIsFree(std::int16_t garbage) { return garbage >= 0; }

// The spare slot 0 of a cleared list: every member zero, every text and list empty.
BoxRecord ZeroBoxRecord()
{
    BoxRecord box;
    box.subIndex = box.upper = box.before = box.after = 0;
    box.text.flags = box.text2.flags = 0;
    box.flags = box.blockIndex = box.garbage = 0;
    return box;
}

SubRecord ZeroSubRecord()
{
    SubRecord sub;
    sub.boxIndex = sub.upper = sub.before = sub.after = sub.last = 0;
    sub.text.flags = sub.text2.flags = 0;
    sub.flags = sub.blockIndex = sub.garbage = 0;
    return sub;
}

// A canvas whose list is full: the user learns which canvas and how many it can hold. Still the
// overflow error, which callers take for "no more room".
[[noreturn]] void RaiseListFull(std::int16_t canvas, const QString& parts, const char* source)
{
    throw platform::vbrt::Error(platform::vbrt::ErrorNumber::Overflow, QString::fromLatin1(source),
                                QStringLiteral("ｷｬﾝﾊﾞｽ %1 の%2の数が上限 (%3 個) を超えます。")
                                    .arg(CanvasCaptionMake(canvas, QStringLiteral("\t")), parts)
                                    .arg(kMaxSlots - 1));
}

// Takes a slot for a new record: the head of the free chain, else a new last slot. A list
// without slots in use is started again with a default spare slot 0.
template <class Record>
std::int16_t SlotTake(std::vector<Record>& list, std::int16_t& freeHead, std::int16_t canvas, const QString& parts,
                      const char* source)
{
    if (freeHead >= 1 && static_cast<std::size_t>(freeHead) < list.size() && SlotIsFree(list[freeHead].garbage)) {
        const std::int16_t n = freeHead;
        freeHead = list[n].garbage >= 1 ? list[n].garbage : -1;
        return n;
    }
    if (list.size() > 1) {
        if (list.size() >= kMaxSlots)
            RaiseListFull(canvas, parts, source);
        list.emplace_back();
        return static_cast<std::int16_t>(list.size() - 1);
    }
    list.assign(2, Record::Default);
    freeHead = -1;
    return 1;
}

template <class Record>
void SlotFree(std::vector<Record>& list, std::int16_t& freeHead, std::int16_t n)
{
    list[n] = Record::Default;
    list[n].garbage = freeHead >= 1 ? freeHead : kChainEnd;
    freeHead = n;
}

// Unloads a box editor window: the window itself, or the MDI frame that holds it.
void EditorUnload(QPointer<QWidget>& editor)
{
    if (QWidget* window = editor.data()) {
        if (auto* frame = qobject_cast<QMdiSubWindow*>(window->parentWidget()))
            delete frame;
        else
            delete window;
    }
    editor = nullptr;
}

// Each slot has its controls exactly while it is in use; a stale element left by a
// caller is replaced by a fresh hidden one.
template <class Array>
void ControlLoad(Array& array, std::int16_t n)
{
    if (array.IsLoaded(n))
        array.Unload(n);
    array.Load(n);
}

template <class Array>
void ControlUnload(Array& array, std::int16_t n)
{
    if (n > 0 && array.IsLoaded(n))
        array.Unload(n);
}

// The control arrays of the window that hold one element per box slot, and per sub-line slot.
template <class Action>
void ForEachBoxControl(CanvasSurface& form, Action action)
{
    action(form.lblBox);
    action(form.lblLine);
    action(form.linBoxLeft);
    action(form.linBoxRight);
    action(form.linBoxUpper);
    action(form.linBoxLower);
    action(form.linLowerPage1);
    action(form.linLowerPage2);
}

template <class Action>
void ForEachSubControl(CanvasSurface& form, Action action)
{
    action(form.lblSubLine1);
    action(form.lblSubLine2);
    action(form.linSubLeft);
    action(form.linSubLower);
    action(form.linSubRight);
    action(form.linSubUpper);
    action(form.linRightPage1);
    action(form.linRightPage2);
}

void BoxControlsLoad(CanvasSurface& form, std::int16_t n)
{
    ForEachBoxControl(form, [n](auto& array) { ControlLoad(array, n); });
}

void BoxControlsUnload(CanvasSurface& form, std::int16_t n)
{
    ForEachBoxControl(form, [n](auto& array) { ControlUnload(array, n); });
}

void SubControlsLoad(CanvasSurface& form, std::int16_t n)
{
    ForEachSubControl(form, [n](auto& array) { ControlLoad(array, n); });
}

void SubControlsUnload(CanvasSurface& form, std::int16_t n)
{
    ForEachSubControl(form, [n](auto& array) { ControlUnload(array, n); });
}

// The links of a chain, from first along next; a broken list that loops or leaves the
// list ends the walk instead of running on.
template <class Record, class Next>
std::vector<std::int16_t> ChainCollect(const std::vector<Record>& list, std::int16_t first, Next next)
{
    std::vector<std::int16_t> chain;
    for (std::int16_t n = first; n >= 1 && static_cast<std::size_t>(n) < list.size() && chain.size() < list.size();
         n = next(list[n]))
        chain.push_back(n);
    return chain;
}

} // namespace

std::int16_t BoxAdd(std::int16_t canvas, const PadInfoRecord& record, std::int16_t before, std::int16_t upper)
{
    CanvasRecord& c = CanvasAt(canvas, "BoxAdd");
    // A bad colour or font is refused before a slot is taken, so the lists stay as they were.
    const std::int32_t colorCode = BoxColorModify(record.color);
    const std::int32_t fontCode = FontModifyChech(record.font.isEmpty() ? QStringLiteral("標準") : record.font);
    InternalCode text = TextInfoMake(record.text);

    const std::int16_t n = SlotTake(c.BoxList, c.header.freeBox, canvas, QStringLiteral("BOX"), "BoxAdd");
    BoxRecord& box = c.BoxList[n];
    box = BoxRecord::Default;
    box.garbage = kInUse;
    box.tagType = record.tagId;
    box.tagAttr = record.flags;
    box.upper = upper;
    box.before = before;
    box.text = std::move(text);
    box.colorCode = colorCode;
    box.fontCode = fontCode;
    if (record.lowerPage)
        box.flags |= BoxFlag::LowerPage;
    if (CanvasSurface* form = c.form.data())
        BoxControlsLoad(*form, n);
    return n;
}

std::int16_t SubLineAdd(std::int16_t canvas, std::int16_t before, std::int16_t upper, std::int16_t number)
{
    CanvasRecord& c = CanvasAt(canvas, "SubLineAdd");
    const std::int16_t n = SlotTake(c.SubList, c.header.freeSub, canvas, QStringLiteral("枝"), "SubLineAdd");
    SubRecord& sub = c.SubList[n];
    sub = SubRecord::Default;
    sub.garbage = kInUse;
    sub.upper = upper;
    sub.before = before;
    sub.no = number;
    if (CanvasSurface* form = c.form.data())
        SubControlsLoad(*form, n);
    return n;
}

void BoxDelete(std::int16_t canvas, std::int16_t box, bool withBoxes)
{
    CanvasRecord& c = CanvasAt(canvas, "BoxDelete");
    BoxRecord& record = ElementAt(c.BoxList, box, "BoxDelete");
    // Slot 0 is the spare and never holds a box.
    if (box < 1)
        return;
    CanvasBusyWait(canvas);
    if (record.flags & BoxFlag::ModifyEditorOpen)
        EditorUnload(record.modifyEditor);
    if (record.flags & BoxFlag::BeforeEditorOpen)
        EditorUnload(record.beforeEditor);
    if (record.flags & BoxFlag::AfterEditorOpen)
        EditorUnload(record.afterEditor);
    record.style.clear();
    record.draw.clear();
    record.text = InternalCode::Default;
    record.text2 = InternalCode::Default;
    if (SlotIsFree(record.garbage))
        return;

    const std::vector<std::int16_t> subs =
        ChainCollect(c.SubList, record.subIndex, [](const SubRecord& s) { return s.after; });
    for (std::int16_t sub : subs)
        SubLineDelete(canvas, sub, withBoxes);

    // Deleting never grows a list, so the references above still hold.
    SlotFree(c.BoxList, c.header.freeBox, box);
    if (CanvasSurface* form = c.form.data()) {
        CanvasBusyWait(canvas);
        BoxControlsUnload(*form, box);
    }
}

void SubLineDelete(std::int16_t canvas, std::int16_t sub, bool withBoxes)
{
    CanvasRecord& c = CanvasAt(canvas, "SubLineDelete");
    SubRecord& record = ElementAt(c.SubList, sub, "SubLineDelete");
    if (sub < 1)
        return;
    CanvasBusyWait(canvas);
    if (record.flags & SubFlag::LowerEditorOpen)
        EditorUnload(record.lowerEditor);
    if (record.flags & SubFlag::UpperEditorOpen)
        EditorUnload(record.upperEditor);
    record.text = InternalCode::Default;
    record.text2 = InternalCode::Default;
    record.draw.clear();
    if (SlotIsFree(record.garbage))
        return;

    if (withBoxes) {
        const std::vector<std::int16_t> boxes =
            ChainCollect(c.BoxList, record.boxIndex, [](const BoxRecord& b) { return b.after; });
        for (std::int16_t box : boxes)
            BoxDelete(canvas, box, true);
    }

    SlotFree(c.SubList, c.header.freeSub, sub);
    if (CanvasSurface* form = c.form.data()) {
        CanvasBusyWait(canvas);
        SubControlsUnload(*form, sub);
    }
}

void BoxListClear(std::int16_t canvas)
{
    CanvasRecord& c = CanvasAt(canvas, "BoxListClear");
    c.BoxList.assign(1, ZeroBoxRecord());
    c.header.freeBox = -1;
    c.SubList.assign(1, ZeroSubRecord());
    c.header.freeSub = -1;
    PR.yAdjust.clear();
    PR.peakSet.clear();
}

std::int16_t CanvasSlotPrepare(std::int16_t n, std::int32_t kindFlags)
{
    if (n < 0) {
        if (B.size() > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max()))
            platform::vbrt::RaiseNumber(platform::vbrt::ErrorNumber::Overflow, QStringLiteral("CanvasSlotSetup"));
        B.emplace_back();
        B.back().header = CanvasHeader::Default;
        n = static_cast<std::int16_t>(B.size() - 1);
    } else {
        BoxListClear(n);
    }
    if (n > 0) {
        CanvasHeader& header = B[static_cast<std::size_t>(n)].header;
        header.number = n;
        header.activateStamp = static_cast<std::int16_t>(-n);
        header.kindFlags = kindFlags & 0x7C000;
    }

    const QString standard = QStringLiteral("標準");
    DrawStateReset(0);
    DefaultFontApply(standard, standard, standard);
    LayoutGapsSet(LO);
    return n;
}

void CanvasControlsLoad(std::int16_t canvas)
{
    CanvasRecord& c = CanvasAt(canvas, "CanvasControlsLoad");
    CanvasSurface* form = c.form.data();
    if (!form)
        return;
    for (std::size_t n = 1; n < c.BoxList.size(); ++n)
        if (!SlotIsFree(c.BoxList[n].garbage))
            BoxControlsLoad(*form, static_cast<std::int16_t>(n));
    for (std::size_t n = 1; n < c.SubList.size(); ++n)
        if (!SlotIsFree(c.SubList[n].garbage))
            SubControlsLoad(*form, static_cast<std::int16_t>(n));
}

void CanvasControlsUnload(std::int16_t canvas, bool unloadForm)
{
    CanvasRecord& slot = CanvasAt(canvas, "CanvasControlsUnload");
    CanvasSurface* form = slot.form.data();
    if (!form)
        return;
    CanvasBusyWait(canvas);
    form->SetAutoRedraw(true);
    // Element 0 of every array belongs to the window and stays.
    for (CanvasLabelArray* labels : form->LabelArrays())
        for (std::int16_t i = labels->UBound(); i >= 1; --i)
            if (labels->IsLoaded(i))
                labels->Unload(i);
    for (CanvasShapeArray* shapes : form->ShapeArrays())
        for (std::int16_t i = shapes->UBound(); i >= 1; --i)
            if (shapes->IsLoaded(i))
                shapes->Unload(i);
    for (CanvasLineArray* lines : form->LineArrays())
        for (std::int16_t i = lines->UBound(); i >= 1; --i)
            if (lines->IsLoaded(i))
                lines->Unload(i);
    if (unloadForm) {
        slot.form = nullptr;
        form->Unload();
    }
}

void CanvasRelease(std::int16_t canvas)
{
    CanvasRecord& c = CanvasAt(canvas, "CanvasRelease");
    c.BoxList.clear();
    c.header.freeBox = -1;
    c.SubList.clear();
    c.header.freeSub = -1;
    PR.yAdjust.clear();
    PR.peakSet.clear();
    CanvasControlsUnload(canvas, true);
}

void CanvasesRelease(std::size_t first)
{
    if (B.size() <= first)
        return;
    const bool closing = ApplicationGlobals.ApplicationClosing;
    ApplicationGlobals.ApplicationClosing = true;
    try {
        for (std::size_t c = B.size(); c-- > first;)
            CanvasRelease(static_cast<std::int16_t>(c));
    } catch (...) {
        ApplicationGlobals.ApplicationClosing = closing;
        throw;
    }
    ApplicationGlobals.ApplicationClosing = closing;
    B.resize(first);
}

InternalCode TextInfoMake(const QString& text)
{
    InternalCode code = InternalCode::Default;
    code.text = text;
    if (!text.isEmpty()) {
        // A text that ends with a line break has one more, empty, line.
        const qsizetype lines = text.count(QLatin1String("\r\n")) + 1;
        // Still the overflow error, named: a document's reader adds the line of the record.
        if (lines > std::numeric_limits<std::int16_t>::max())
            throw platform::vbrt::Error(platform::vbrt::ErrorNumber::Overflow, QStringLiteral("TextInfoMake"),
                                        QStringLiteral("文字列の行数 (%1 行) が上限 (%2 行) を超えます。")
                                            .arg(lines)
                                            .arg(std::numeric_limits<std::int16_t>::max()));
        code.lineCount = static_cast<std::int16_t>(lines);
    }
    return code;
}

void TextSizeMeasure(InternalCode& code, std::int16_t canvas)
{
    const QString text = code.text.isEmpty() ? QStringLiteral(" ") : code.text;
    code.size.xw = TextWidthGet(text, canvas);
    code.size.yh = TextHeightGet(text, canvas, true);
    code.flags |= 1;
}

FigureData LineFigureMake(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2)
{
    FigureData figure;
    figure.kind = FigureKind::Line;
    figure.s = {x1, y1};
    figure.e = {x2, y2};
    return figure;
}

FigureData ArcFigureMake(std::int32_t kind, std::int32_t x, std::int32_t y, std::int32_t radius)
{
    FigureData figure;
    figure.kind = kind;
    figure.s = {x, y};
    figure.radius = radius;
    return figure;
}

} // namespace vellumora
