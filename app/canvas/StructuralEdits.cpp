#include "app/canvas/StructuralEdits.h"

#include "app/core/ApplicationGlobals.h"
#include "app/core/CanvasSurface.h"
#include "app/core/ProgramLink.h"
#include "app/core/Processing.h"
#include "app/core/RecordAccess.h"
#include "app/core/Utilities.h"
#include "app/diagram/BoxList.h"
#include "app/diagram/CanvasPartsArrange.h"
#include "app/diagram/FontAndColor.h"
#include "app/diagram/TagTable.h"

#include <utility>
#include <vector>

namespace vellumora {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// Session bits of a box that keep it from being deleted.
constexpr std::int16_t kAnySession = BoxFlag::ModifyEditorOpen | BoxFlag::BeforeEditorOpen | BoxFlag::AfterEditorOpen;

// Checked access to one canvas's records: a broken link raises "subscript out of range" instead of
// reaching into another slot. Records are fetched by index each time, since adding a box may move
// the list.
class Chart {
public:
    Chart(std::int16_t canvas, const char* source) : source_(source), record_(CanvasAt(canvas, source)) {}

    BoxRecord& box(std::int16_t n) { return BoxAt(record_, n, source_); }
    SubRecord& sub(std::int16_t n) { return SubAt(record_, n, source_); }
    CanvasHeader& header() { return record_.header; }

    // The first box of the chain a sub line owns; below 1 the canvas's top chain.
    std::int16_t chainFirst(std::int16_t owner) { return owner >= 1 ? sub(owner).boxIndex : header().firstBox; }
    void chainFirstSet(std::int16_t owner, std::int16_t first)
    {
        if (owner >= 1)
            sub(owner).boxIndex = first;
        else
            header().firstBox = first;
    }

    // The boxes of a chain from first along after. A chain that loops ends after as many steps as
    // the list has slots, so a broken list cannot hang the program.
    std::vector<std::int16_t> chain(std::int16_t first)
    {
        std::vector<std::int16_t> boxes;
        for (std::int16_t n = first; n >= 1 && boxes.size() < record_.BoxList.size(); n = box(n).after)
            boxes.push_back(n);
        return boxes;
    }

    // The sub lines of a box in order.
    std::vector<std::int16_t> subs(std::int16_t owner)
    {
        std::vector<std::int16_t> lines;
        for (std::int16_t n = box(owner).subIndex; n >= 1 && lines.size() < record_.SubList.size(); n = sub(n).after)
            lines.push_back(n);
        return lines;
    }

private:
    const char* source_;
    CanvasRecord& record_;
};

QString OnOff(bool value)
{
    return value ? QStringLiteral("on") : QStringLiteral("off");
}

} // namespace

bool BoxEditingFind(std::int16_t canvas, std::int16_t box, bool lump, bool anySession, std::int16_t depth)
{
    Chart chart(canvas, "BoxEditingFind");
    std::size_t steps = 0;
    for (std::int16_t n = box; n >= 1 && steps < B[static_cast<std::size_t>(canvas)].BoxList.size(); ++steps) {
        const std::int16_t flags = chart.box(n).flags;
        bool found = anySession ? (flags & kAnySession) != 0 : (flags & BoxFlag::ModifyEditorOpen) != 0;
        if (!found && lump) {
            for (std::int16_t sub : chart.subs(n)) {
                const std::int16_t below = chart.sub(sub).boxIndex;
                if (below > 0 && BoxEditingFind(canvas, below, lump, true, static_cast<std::int16_t>(depth + 1))) {
                    found = true;
                    break;
                }
            }
        }
        if (found || depth == 0)
            return found;
        n = chart.box(n).after;
    }
    return false;
}

bool BoxEditingCheck(std::int16_t canvas, std::int16_t box, std::int16_t sub, bool lump)
{
    Chart chart(canvas, "BoxEditingCheck");
    bool found = false;
    if (box >= 1) {
        found = BoxEditingFind(canvas, box, lump, false, 0);
    } else if (sub >= 1) {
        found = BoxEditingFind(canvas, chart.sub(sub).upper, lump, false, 0);
    } else {
        for (std::int16_t n : chart.chain(chart.header().firstBox)) {
            found = BoxEditingFind(canvas, n, lump, true, 0);
            if (found)
                break;
        }
    }
    if (found)
        ErrorMessageBox(QStringLiteral("編集中のBOXがあります。") + kCrLf + QStringLiteral("削除できません。"));
    return found;
}

bool BoxDeleteConfirm(bool lump)
{
    const QString what = lump ? QStringLiteral("BOXを一括削除します。") : QStringLiteral("BOXを削除します。");
    return YesNoMessageBox(what + kCrLf + QStringLiteral("宜しいですか。"), 256, QString()) != 6;
}

void BoxDeleteSingle(std::int16_t canvas, std::int16_t box)
{
    Chart chart(canvas, "BoxDeleteSingle");
    const std::int16_t owner = chart.box(box).upper;
    const std::int16_t previous = chart.box(box).before;
    const std::int16_t next = chart.box(box).after;

    // The chains below the box's sub lines, each as its first and last box, now owned by the
    // box's own sub line.
    std::vector<std::pair<std::int16_t, std::int16_t>> chains;
    for (std::int16_t sub : chart.subs(box)) {
        const std::vector<std::int16_t> boxes = chart.chain(chart.sub(sub).boxIndex);
        if (boxes.empty())
            continue;
        for (std::int16_t n : boxes)
            chart.box(n).upper = owner;
        chart.sub(sub).boxIndex = -1;
        chains.emplace_back(boxes.front(), boxes.back());
    }
    for (std::size_t i = 1; i < chains.size(); ++i) {
        chart.box(chains[i].first).before = chains[i - 1].second;
        chart.box(chains[i - 1].second).after = chains[i].first;
    }

    const std::int16_t first = chains.empty() ? next : chains.front().first;
    const std::int16_t last = chains.empty() ? previous : chains.back().second;
    if (previous > 0)
        chart.box(previous).after = first;
    else
        chart.chainFirstSet(owner, first);
    if (first > 0)
        chart.box(first).before = previous;
    if (last > 0)
        chart.box(last).after = next;
    if (next > 0)
        chart.box(next).before = last;

    BoxDelete(canvas, box, false);
}

void BoxUnlink(std::int16_t canvas, std::int16_t box)
{
    Chart chart(canvas, "BoxUnlink");
    const std::int16_t previous = chart.box(box).before;
    const std::int16_t next = chart.box(box).after;
    if (previous > 0)
        chart.box(previous).after = next;
    else
        chart.chainFirstSet(chart.box(box).upper, next);
    if (next > 0)
        chart.box(next).before = previous;
    BoxDelete(canvas, box, true);
}

void SubUnlink(std::int16_t canvas, std::int16_t sub)
{
    Chart chart(canvas, "SubUnlink");
    const std::int16_t owner = sub >= 1 ? sub : std::int16_t(-1);
    const std::vector<std::int16_t> boxes = chart.chain(chart.chainFirst(owner));
    chart.chainFirstSet(owner, -1);
    for (std::int16_t n : boxes)
        BoxDelete(canvas, n, true);
}

void VLineChink(std::int16_t canvas, std::int16_t box)
{
    Chart chart(canvas, "VLineChink");
    const std::int16_t previous = chart.box(box).before;
    if (previous < 1 || chart.box(previous).tagType == TagId::Chink)
        return;
    const std::int16_t chink = BoxAdd(canvas, PadInfoMake(TagId::Chink, QString()), previous, chart.box(box).upper);
    chart.box(previous).after = chink;
    chart.box(chink).after = box;
    chart.box(box).before = chink;
}

void VLineConnect(std::int16_t canvas, std::int16_t box)
{
    Chart chart(canvas, "VLineConnect");
    const std::int16_t chink = chart.box(box).before;
    if (chink < 1 || chart.box(chink).tagType != TagId::Chink)
        return;
    const std::int16_t previous = chart.box(chink).before;
    chart.box(box).before = previous;
    // A chink that begins its chain leaves the box at the chain's head.
    if (previous > 0)
        chart.box(previous).after = box;
    else
        chart.chainFirstSet(chart.box(box).upper, box);
    chart.box(chink).after = -1;
    BoxDelete(canvas, chink, true);
}

bool BoxFontDialog(std::int16_t canvas, std::int16_t box, std::int16_t sub, const QString& caption)
{
    Chart chart(canvas, "BoxFontDialog");
    std::int16_t preset = -1;
    if (box >= 1) {
        preset = box;
    } else {
        for (std::int16_t n : chart.chain(chart.chainFirst(sub >= 1 ? sub : std::int16_t(-1)))) {
            if (chart.box(n).flags & BoxFlag::Shown) {
                preset = n;
                break;
            }
        }
    }
    const std::int32_t fontCode = preset >= 1 ? chart.box(preset).fontCode : 0;
    const std::int32_t colorCode = preset >= 1 ? chart.box(preset).colorCode : -1;

    FontSettingTray tray;
    tray.TrayFontSettingMode = true;
    const std::int16_t nameIndex = FontNameIndex(fontCode);
    tray.TrayFontName = nameIndex == 0 ? QString() : FontNameText(nameIndex);
    const std::int16_t sizeIndex = FontSizeIndex(fontCode);
    tray.TrayFontSize = sizeIndex == 0 ? QString() : FontSizeText(FontSizeValue(sizeIndex));
    tray.TrayFontBold = FontBoldFlag(fontCode);
    tray.TrayFontItalic = FontItalicFlag(fontCode);
    tray.TrayFontStrikethru = FontStrikethruFlag(fontCode);
    tray.TrayFontUnderLine = FontUnderlineFlag(fontCode);
    tray.TrayColor = ColorName(colorCode);
    tray.TrayCaption = caption;
    Program().FontSettingShow(tray);
    if (tray.TrayCancel)
        return true;

    ToolbarFontState.ToolbarFontName = tray.TrayFontName;
    ToolbarFontState.ToolbarFontSize = tray.TrayFontSize;
    ToolbarFontState.ToolbarFontBold = tray.TrayFontBold;
    ToolbarFontState.ToolbarFontItalic = tray.TrayFontItalic;
    ToolbarFontState.ToolbarFontStrikethru = tray.TrayFontStrikethru;
    ToolbarFontState.ToolbarFontUnderline = tray.TrayFontUnderLine;
    ToolbarFontState.ToolbarColorName = tray.TrayColor;
    return false;
}

void BoxFontApply(std::int16_t canvas, std::int16_t box, std::int16_t sub, bool lump)
{
    const ToolbarFontStateRecord& state = ToolbarFontState;
    const QString fontText = QStringList{QStringLiteral("fontname:") + state.ToolbarFontName,
                                         QStringLiteral("fontsize:") + state.ToolbarFontSize,
                                         QStringLiteral("fontbold:") + OnOff(state.ToolbarFontBold),
                                         QStringLiteral("fontitalic:") + OnOff(state.ToolbarFontItalic),
                                         QStringLiteral("fontstrikethru:") + OnOff(state.ToolbarFontStrikethru),
                                         QStringLiteral("fontunderline:") + OnOff(state.ToolbarFontUnderline)}
                                 .join(kCrLf);
    // Both are worked out before any box changes: a choice that does not parse changes nothing.
    const std::int32_t fontCode = FontModifyChech(fontText);
    const std::int32_t colorCode = BoxColorModify(state.ToolbarColorName);

    Chart chart(canvas, "BoxFontApply");
    if (box >= 1) {
        BoxFontApplyLump(canvas, box, lump, true, fontCode, colorCode);
        return;
    }
    const std::int16_t start = chart.chainFirst(sub >= 1 ? sub : std::int16_t(-1));
    if (start >= 1)
        BoxFontApplyLump(canvas, start, lump, false, fontCode, colorCode);
}

void BoxFontApplyLump(std::int16_t canvas, std::int16_t box, bool lump, bool single, std::int32_t fontCode,
                      std::int32_t colorCode)
{
    Chart chart(canvas, "BoxFontApplyLump");
    const std::vector<std::int16_t> boxes = single ? std::vector<std::int16_t>{box} : chart.chain(box);
    for (std::int16_t n : boxes) {
        chart.box(n).fontCode = fontCode;
        chart.box(n).colorCode = colorCode;
        if (!lump)
            continue;
        for (std::int16_t sub : chart.subs(n)) {
            const std::int16_t below = chart.sub(sub).boxIndex;
            if (below > 0)
                BoxFontApplyLump(canvas, below, lump, false, fontCode, colorCode);
        }
    }
}

void NewPageResetAll()
{
    for (std::size_t i = 1; i < B.size(); ++i) {
        if (B[i].header.state != CanvasState::Open)
            continue;
        const auto canvas = static_cast<std::int16_t>(i);
        // Freed slots are visited too: their flags are clear.
        for (std::size_t n = 1; n < B[i].BoxList.size(); ++n) {
            if ((B[i].BoxList[n].flags & BoxFlag::LowerPage) == 0)
                continue;
            const auto box = static_cast<std::int16_t>(n);
            NewPageToggle(canvas, box, -1);
            if (CanvasSurface* form = B[i].form.data(); form && form->lblLine.IsLoaded(box))
                PageBreakMarkShow(canvas, form->lblLine[box], box, -1);
        }
        for (std::size_t n = 1; n < B[i].SubList.size(); ++n) {
            if ((B[i].SubList[n].flags & SubFlag::RightPage) == 0)
                continue;
            const auto sub = static_cast<std::int16_t>(n);
            NewPageToggle(canvas, -1, sub);
            if (CanvasSurface* form = B[i].form.data(); form && form->lblSubLine2.IsLoaded(sub))
                PageBreakMarkShow(canvas, form->lblSubLine2[sub], -1, sub);
        }
    }
}

} // namespace vellumora
