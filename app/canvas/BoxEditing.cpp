#include "app/canvas/BoxEditing.h"

#include "app/diagram/BoxList.h"
#include "app/diagram/FileInterface.h"
#include "app/diagram/FontAndColor.h"
#include "app/diagram/TagTable.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/ProgramLink.h"
#include "app/core/Processing.h"
#include "app/core/RecordAccess.h"
#include "app/core/Utilities.h"
#include "platform/vbrt/Error.h"

#include <QMdiArea>
#include <QMdiSubWindow>

#include <algorithm>
#include <vector>

namespace vellumora {

namespace {

namespace vbrt = platform::vbrt;

const QString StandardName = QStringLiteral("標準");

struct ModeRow {
    std::int32_t mode;
    const char* text;
    bool onSubLine;
    std::int16_t bit;
};
constexpr ModeRow kModes[] = {
    {BoxEditMode::Modify, "modify", false, BoxFlag::ModifyEditorOpen},
    {BoxEditMode::Before, "before", false, BoxFlag::BeforeEditorOpen},
    {BoxEditMode::After, "after", false, BoxFlag::AfterEditorOpen},
    {BoxEditMode::Upper, "upper", true, SubFlag::UpperEditorOpen},
    {BoxEditMode::Lower, "lower", true, SubFlag::LowerEditorOpen},
};

const ModeRow* ModeFind(std::int32_t mode)
{
    for (const ModeRow& row : kModes)
        if (row.mode == mode)
            return &row;
    return nullptr;
}

// The session bits and the editor slot of a mode on its box or sub line.
struct SessionRef {
    std::int16_t* flags = nullptr;
    QPointer<QWidget>* editor = nullptr;
};

SessionRef SessionOf(CanvasRecord& c, std::int16_t index, const ModeRow& row, const char* source)
{
    if (!row.onSubLine) {
        BoxRecord& box = BoxAt(c, index, source);
        QPointer<QWidget>* slot = row.mode == BoxEditMode::Modify   ? &box.modifyEditor
                                  : row.mode == BoxEditMode::Before ? &box.beforeEditor
                                                                    : &box.afterEditor;
        return {&box.flags, slot};
    }
    SubRecord& sub = SubAt(c, index, source);
    return {&sub.flags, row.mode == BoxEditMode::Upper ? &sub.upperEditor : &sub.lowerEditor};
}

void BitClear(std::int16_t& flags, std::int16_t bit)
{
    flags = static_cast<std::int16_t>(flags & ~bit);
}

void BoxEditOpen(std::int16_t canvas, std::int16_t index, std::int32_t mode)
{
    static const char* const source = "BoxEditOpen";
    const ModeRow& row = *ModeFind(mode);
    {
        SessionRef session = SessionOf(CanvasAt(canvas, source), index, row, source);
        if (*session.flags & row.bit) {
            if (QWidget* open = session.editor->data()) {
                EditorWindowFront(open);
                return;
            }
            // The window went without handing its session back: a new one takes its place.
            BitClear(*session.flags, row.bit);
        }
    }

    const QString modeText = QString::fromLatin1(row.text);
    BoxEditorTray tray;
    tray.TrayPutFileName = TrayPutFileNameMake(canvas, index, modeText);
    tray.TrayGetFileName = TrayGetFileNameMake(canvas, index, modeText);
    tray.TrayBaseIndex = canvas;
    tray.TrayBoxSubIndex = index;
    tray.TrayEditMode = mode;
    // A session that does not open leaves neither work file behind.
    const auto workFilesDelete = [&tray] {
        TemporaryFileDelete(tray.TrayPutFileName);
        TemporaryFileDelete(tray.TrayGetFileName);
    };
    QWidget* editor = nullptr;
    try {
        try {
            PadFileCreate(tray.TrayPutFileName);
            if (mode == BoxEditMode::Modify)
                BoxListWrite(canvas, index, false, true, false, false);
            PadFileFinish();
            PadFileCreate(tray.TrayGetFileName);
            PadFileFinish();
        } catch (...) {
            PadFileAbandon();
            throw;
        }
        editor = Program().BoxEditorShow(tray);
    } catch (...) {
        workFilesDelete();
        throw;
    }
    // No editor window to show (a program without one): the session never opened.
    if (!editor) {
        workFilesDelete();
        return;
    }
    // Showing the window may have run code that grew the lists: the records are looked up again.
    SessionRef session = SessionOf(CanvasAt(canvas, source), index, row, source);
    *session.editor = editor;
    *session.flags = static_cast<std::int16_t>(*session.flags | row.bit);
}

// The records of a chain from its first one along after; a broken chain that loops or leaves
// the list ends the walk.
template <class Record>
std::vector<std::int16_t> Chain(const std::vector<Record>& list, std::int16_t first)
{
    std::vector<std::int16_t> chain;
    for (std::int16_t n = first; n >= 1 && static_cast<std::size_t>(n) < list.size() && chain.size() < list.size();
         n = list[static_cast<std::size_t>(n)].after)
        chain.push_back(n);
    return chain;
}

std::vector<std::int16_t> BoxChain(const CanvasRecord& c, std::int16_t first) { return Chain(c.BoxList, first); }
std::vector<std::int16_t> SubChain(const CanvasRecord& c, std::int16_t first) { return Chain(c.SubList, first); }

// The records of a get file: the box record first, then the case records in file order. A file
// without a box record cannot be applied and is refused before anything changes.
std::vector<PadInfoRecord> GetFileRead(const QString& getFile)
{
    std::vector<PadInfoRecord> records;
    PadFileOpen(getFile);
    try {
        for (PadInfoRecord record = GetPadInfo(); record.tagId != 0; record = GetPadInfo())
            records.push_back(std::move(record));
    } catch (...) {
        PadFileClose();
        throw;
    }
    PadFileClose();
    if (records.empty() || records.front().tagId == TagId::Case)
        vbrt::Raise(QStringLiteral("BoxEditUpdate"), QStringLiteral("BOX編集の結果が読めません。"));
    return records;
}

// What the sub-line step leaves to be deleted last: chains of boxes first, then the sub lines.
struct Deletions {
    std::vector<std::int16_t> chains; // first boxes of chains
    std::vector<std::int16_t> subs;   // sub lines, their chains already listed

    void Run(std::int16_t canvas) const
    {
        for (std::int16_t first : chains)
            for (std::int16_t box : BoxChain(B[static_cast<std::size_t>(canvas)], first))
                BoxDelete(canvas, box, true);
        for (std::int16_t sub : subs)
            SubLineDelete(canvas, sub, false);
    }
};

void SubLineDrop(const CanvasRecord& c, std::int16_t sub, Deletions& deletions)
{
    deletions.chains.push_back(c.SubList[static_cast<std::size_t>(sub)].boxIndex);
    deletions.subs.push_back(sub);
}

// Merges the case records into the sub lines of a branch box: kept cases keep their chains, new
// cases start empty (taking over the sub line of a deleted case when there is one), deleted cases
// go with their chains, and the cases are renumbered 1, 2, ... in the records' order.
// One case number while the cases are merged: the sub line that carries it, the record that
// keeps it, or the mark that it goes.
struct CaseRow {
    std::int16_t sub = -1;
    std::int16_t first = -1;
    bool rightPage = false;
    std::size_t record = 0; // 1.. the case record it holds; 0 none
    bool deleted = false;
    std::int16_t takenChain = -1; // the chain of a deleted case whose sub line was taken over
    bool taken = false;
    QString text;
};

// A row per case number the box's sub lines or the records name; sub lines whose number another
// sub line already has go to strays.
std::vector<CaseRow> CaseRowsRead(CanvasRecord& c, std::int16_t box, const std::vector<PadInfoRecord>& records,
                                  std::vector<std::int16_t>& strays)
{
    static const char* const source = "BoxEditUpdate";
    const std::vector<std::int16_t> existing = SubChain(c, BoxAt(c, box, source).subIndex);

    std::size_t n = std::max<std::size_t>(static_cast<std::size_t>(std::max<std::int16_t>(c.BoxList[box].subCount, 0)),
                                          records.size() - 1);
    for (std::int16_t s : existing)
        n = std::max<std::size_t>(n, static_cast<std::size_t>(std::max<std::int16_t>(c.SubList[s].no, 0)));
    for (std::size_t h = 1; h < records.size(); ++h)
        n = std::max<std::size_t>(n, static_cast<std::size_t>(std::max<std::int16_t>(records[h].number, 0)));
    std::vector<CaseRow> rows(n + 1);

    for (std::int16_t s : existing) {
        const SubRecord& sub = c.SubList[s];
        CaseRow& row = rows[static_cast<std::size_t>(std::max<std::int16_t>(sub.no, 0))];
        if (row.sub >= 1) {
            strays.push_back(s);
            continue;
        }
        row.sub = s;
        row.first = sub.boxIndex;
        row.rightPage = (sub.flags & SubFlag::RightPage) != 0;
    }
    for (std::size_t h = 1; h < records.size(); ++h) {
        const PadInfoRecord& record = records[h];
        if (record.number < 0)
            continue;
        CaseRow& row = rows[static_cast<std::size_t>(record.number)];
        if (record.name == QLatin1String("update") || record.name == QLatin1String("insert")) {
            row.record = h;
            row.text = record.text;
        } else if (record.name == QLatin1String("delete") && row.sub >= 1) {
            row.deleted = true;
        }
    }
    // An existing case that no record keeps would drop out of the chain and be lost to every
    // walk: it goes like a deleted one.
    for (CaseRow& row : rows)
        if (row.sub >= 1 && row.record == 0)
            row.deleted = true;
    return rows;
}

// A kept case without a sub line takes over the sub line of a deleted case, else gets a new one.
void CaseSubLinesGive(std::int16_t canvas, std::int16_t box, std::vector<CaseRow>& rows)
{
    for (std::size_t r = 1; r < rows.size(); ++r) {
        if (rows[r].record == 0 || rows[r].sub >= 1)
            continue;
        auto donor = std::find_if(rows.begin(), rows.end(), [](const CaseRow& d) { return d.deleted && d.sub >= 1; });
        if (donor != rows.end()) {
            rows[r].sub = donor->sub;
            donor->sub = -1;
            donor->taken = true;
            donor->takenChain = donor->first;
        } else {
            rows[r].sub = SubLineAdd(canvas, -1, box, static_cast<std::int16_t>(r));
        }
        rows[r].first = -1;
    }
}

// The kept cases become the box's sub chain in the order of the records, numbered from 1.
void CaseChainLink(CanvasRecord& canvasRecord, std::int16_t box, const std::vector<CaseRow>& rows,
                   const std::vector<PadInfoRecord>& records)
{
    constexpr std::size_t none = static_cast<std::size_t>(-1);
    std::vector<std::size_t> rowOfRecord(records.size(), none);
    for (std::size_t r = 0; r < rows.size(); ++r)
        if (rows[r].record != 0 && rows[r].sub >= 1)
            rowOfRecord[rows[r].record] = r;
    std::int16_t previous = -1;
    std::int16_t firstSub = -1;
    std::int16_t k = 0;
    for (std::size_t j = 1; j < records.size(); ++j) {
        if (rowOfRecord[j] == none)
            continue;
        const CaseRow& row = rows[rowOfRecord[j]];
        SubRecord& sub = canvasRecord.SubList[static_cast<std::size_t>(row.sub)];
        sub.boxIndex = row.first;
        sub.upper = box;
        sub.before = previous;
        sub.after = -1;
        sub.no = ++k;
        sub.text = TextInfoMake(row.text);
        sub.flags = static_cast<std::int16_t>(row.rightPage ? (sub.flags | SubFlag::RightPage)
                                                            : (sub.flags & ~SubFlag::RightPage));
        if (previous >= 1)
            canvasRecord.SubList[static_cast<std::size_t>(previous)].after = row.sub;
        else
            firstSub = row.sub;
        previous = row.sub;
    }
    canvasRecord.BoxList[static_cast<std::size_t>(box)].subIndex = firstSub;
}

void CaseMerge(std::int16_t canvas, std::int16_t box, const std::vector<PadInfoRecord>& records, Deletions& deletions)
{
    static const char* const source = "BoxEditUpdate";
    std::vector<std::int16_t> strays;
    std::vector<CaseRow> rows = CaseRowsRead(CanvasAt(canvas, source), box, records, strays);
    CaseSubLinesGive(canvas, box, rows);
    CanvasRecord& canvasRecord = B[static_cast<std::size_t>(canvas)];
    CaseChainLink(canvasRecord, box, rows, records);

    for (const CaseRow& row : rows) {
        if (!row.deleted)
            continue;
        if (row.sub >= 1) {
            deletions.chains.push_back(row.first);
            deletions.subs.push_back(row.sub);
        } else if (row.taken) {
            deletions.chains.push_back(row.takenChain);
        }
    }
    for (std::int16_t s : strays)
        SubLineDrop(canvasRecord, s, deletions);
}

void BoxEditApply(std::int16_t canvas, const std::vector<PadInfoRecord>& records, std::int16_t box)
{
    static const char* const source = "BoxEditUpdate";
    const PadInfoRecord& record = records.front();
    // Colour, font and style are checked before the box changes, so a bad value leaves it whole.
    const std::int32_t colorCode = BoxColorModify(record.color);
    const std::int32_t fontCode = FontModifyChech(record.font.isEmpty() ? StandardName : record.font);
    InternalCode text = TextInfoMake(record.text);
    {
        BoxRecord& b = BoxAt(CanvasAt(canvas, source), box, source);
        if (record.tagId == TagId::FreeStyle)
            FreeStyleParse(canvas, box, record);
        b.tagType = record.tagId;
        b.tagAttr = record.flags;
        b.text = std::move(text);
        b.text2 = TextInfoMake(QString());
        b.flags = static_cast<std::int16_t>(record.before ? (b.flags | BoxFlag::TestBefore)
                                                          : (b.flags & ~BoxFlag::TestBefore));
        b.draw.clear();
        b.colorCode = colorCode;
        b.fontCode = fontCode;
    }

    Deletions deletions;
    if (record.flags & TagAttribute::MultiSub) {
        CaseMerge(canvas, box, records, deletions);
    } else if (record.flags & TagAttribute::SubLevel) {
        if (BoxAt(CanvasAt(canvas, source), box, source).subIndex < 1) {
            const std::int16_t sub = SubLineAdd(canvas, -1, box, 1);
            BoxAt(CanvasAt(canvas, source), box, source).subIndex = sub;
        }
        CanvasRecord& c = CanvasAt(canvas, source);
        BoxRecord& b = BoxAt(c, box, source);
        b.subCount = 1;
        const std::vector<std::int16_t> subs = SubChain(c, b.subIndex);
        SubRecord& first = SubAt(c, b.subIndex, source);
        first.text = TextInfoMake(QString());
        first.text2 = TextInfoMake(QString());
        first.after = -1;
        for (std::size_t i = 1; i < subs.size(); ++i)
            SubLineDrop(c, subs[i], deletions);
    } else {
        CanvasRecord& c = CanvasAt(canvas, source);
        BoxRecord& b = BoxAt(c, box, source);
        for (std::int16_t sub : SubChain(c, b.subIndex))
            SubLineDrop(c, sub, deletions);
        b.subIndex = -1;
        b.subCount = 0;
    }
    deletions.Run(canvas);
}

// Adds a new empty box of a kind, unlinked.
std::int16_t NewBox(std::int16_t canvas, std::int32_t tagId, std::int16_t before, std::int16_t upper)
{
    return BoxAdd(canvas, PadInfoMake(tagId, QString()), before, upper);
}

// Splices the new box of an insert session into the chains and returns the box that receives
// the result (the box itself when modifying).
std::int16_t SessionTarget(std::int16_t canvas, std::int16_t index, std::int32_t mode, std::int16_t upper,
                           std::int16_t before, std::int16_t after)
{
    // The neighbours were read from the box when its editor closed; the document may have changed
    // while the editor was open, so each one is checked as it is reached.
    static const char* const source = "BoxEditUpdate";
    auto box = [canvas](std::int16_t n) -> BoxRecord& { return BoxAt(CanvasAt(canvas, source), n, source); };
    auto sub = [canvas](std::int16_t n) -> SubRecord& { return SubAt(CanvasAt(canvas, source), n, source); };
    switch (mode) {
    case BoxEditMode::Modify:
        return index;
    case BoxEditMode::Before: {
        const std::int16_t n = NewBox(canvas, TagId::Block, before, upper);
        if (before >= 1)
            box(before).after = n;
        else if (upper >= 1)
            sub(upper).boxIndex = n;
        else
            B[static_cast<std::size_t>(canvas)].header.firstBox = n;
        box(n).after = index;
        box(index).before = n;
        return n;
    }
    case BoxEditMode::After: {
        const std::int16_t n = NewBox(canvas, TagId::Block, index, upper);
        if (after >= 1)
            box(after).before = n;
        box(n).after = after;
        box(index).after = n;
        return n;
    }
    case BoxEditMode::Upper: {
        const std::int16_t n = NewBox(canvas, TagId::Routine, -1, -1);
        const std::int16_t s = SubLineAdd(canvas, -1, n, 1);
        CanvasRecord& c = B[static_cast<std::size_t>(canvas)];
        box(n).subIndex = s;
        sub(s).boxIndex = c.header.firstBox;
        for (std::int16_t b : BoxChain(c, c.header.firstBox))
            box(b).upper = s;
        c.header.firstBox = n;
        return n;
    }
    case BoxEditMode::Lower: {
        // The new box goes in front of whatever the line holds by now: boxes put there while the
        // editor was open stay linked below it.
        const std::int16_t n = NewBox(canvas, TagId::Block, -1, index);
        const std::int16_t old = sub(index).boxIndex;
        if (old >= 1) {
            box(old).before = n;
            box(n).after = old;
        }
        sub(index).boxIndex = n;
        return n;
    }
    default:
        return -1;
    }
}

bool SessionAlive(std::int16_t canvas, std::int16_t index, const ModeRow& row)
{
    if (canvas < 0 || static_cast<std::size_t>(canvas) >= B.size())
        return false;
    const CanvasRecord& c = B[static_cast<std::size_t>(canvas)];
    const std::size_t size = row.onSubLine ? c.SubList.size() : c.BoxList.size();
    return index >= 0 && static_cast<std::size_t>(index) < size;
}

} // namespace

void BoxEditModify(std::int16_t canvas, std::int16_t box) { BoxEditOpen(canvas, box, BoxEditMode::Modify); }
void BoxEditBefore(std::int16_t canvas, std::int16_t box) { BoxEditOpen(canvas, box, BoxEditMode::Before); }
void BoxEditAfter(std::int16_t canvas, std::int16_t box) { BoxEditOpen(canvas, box, BoxEditMode::After); }
void BoxEditUpper(std::int16_t canvas, std::int16_t sub) { BoxEditOpen(canvas, sub, BoxEditMode::Upper); }
void BoxEditLower(std::int16_t canvas, std::int16_t sub) { BoxEditOpen(canvas, sub, BoxEditMode::Lower); }

void EditorWindowFront(QWidget* editor)
{
    if (!editor)
        return;
    QWidget* frame = editor;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(editor->parentWidget()))
        frame = sub;
    frame->raise();
    if (frame->isMinimized() || frame->isMaximized())
        frame->showNormal();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(frame); sub && sub->mdiArea())
        sub->mdiArea()->setActiveSubWindow(sub);
    if (FormEnabled(editor))
        editor->setFocus();
}

void BoxEditorUnload(QPointer<QWidget>& editor)
{
    QPointer<QWidget> window = editor;
    editor = nullptr;
    // A window that is unloading already hands its session back itself.
    if (!window || window->property("unloading").toBool())
        return;
    window->close();
    if (window) {
        QWidget* frame = window.data();
        if (auto* sub = qobject_cast<QMdiSubWindow*>(frame->parentWidget()))
            frame = sub;
        frame->hide();
        frame->deleteLater();
    }
}

void BoxEditReturn(QString& putFile, QString& getFile, std::int16_t& canvas, std::int16_t& index, std::int32_t& mode,
                   bool& cancel)
{
    static const char* const source = "BoxEditReturn";
    struct FilesDelete {
        const QString& put;
        const QString& get;
        ~FilesDelete()
        {
            try {
                TemporaryFileDelete(put);
                TemporaryFileDelete(get);
            } catch (...) {
                // Left-over work files go with every other at shutdown.
            }
        }
    } filesDelete{putFile, getFile};

    const ModeRow* row = ModeFind(mode);
    if (!row || !SessionAlive(canvas, index, *row))
        return;
    CanvasBusyWait(canvas);
    std::int16_t upper = -1, before = -1, after = -1;
    {
        SessionRef session = SessionOf(CanvasAt(canvas, source), index, *row, source);
        BitClear(*session.flags, row->bit);
        BoxEditorUnload(*session.editor);
    }
    if (!row->onSubLine) {
        const BoxRecord& box = B[static_cast<std::size_t>(canvas)].BoxList[static_cast<std::size_t>(index)];
        upper = box.upper;
        before = box.before;
        after = box.after;
    }
    if (cancel)
        return;
    // A box or line freed meanwhile receives nothing.
    const CanvasRecord& c = B[static_cast<std::size_t>(canvas)];
    const bool alive = row->onSubLine ? index == 0 || c.SubList[static_cast<std::size_t>(index)].garbage == -1
                                      : c.BoxList[static_cast<std::size_t>(index)].garbage == -1;
    if (!alive)
        return;
    const std::vector<PadInfoRecord> records = GetFileRead(getFile);
    const std::int16_t target = SessionTarget(canvas, index, mode, upper, before, after);
    if (target >= 1)
        BoxEditApply(canvas, records, target);
}

void BoxEditTrayReturn(const BoxEditorTray& tray, bool cancel)
{
    BoxEditorTray copy = tray;
    BoxEditReturn(copy.TrayPutFileName, copy.TrayGetFileName, copy.TrayBaseIndex, copy.TrayBoxSubIndex,
                  copy.TrayEditMode, cancel);
}

void BoxEditUpdate(std::int16_t canvas, const QString& getFile, std::int16_t box)
{
    BoxEditApply(canvas, GetFileRead(getFile), box);
}

QString TrayPutFileNameMake(std::int16_t canvas, std::int16_t index, const QString& modeText)
{
    return TemporaryFileName(canvas, index, modeText, "put");
}

QString TrayGetFileNameMake(std::int16_t canvas, std::int16_t index, const QString& modeText)
{
    return TemporaryFileName(canvas, index, modeText, "get");
}

void BoxEditorCloseAll(std::int16_t canvas)
{
    static const char* const source = "BoxEditorCloseAll";
    CanvasAt(canvas, source);
    CanvasRecord& c = B[static_cast<std::size_t>(canvas)];
    // The boxes first, then the sub lines, each from slot 0.
    for (const bool subLines : {false, true}) {
        for (std::size_t j = 0; j < (subLines ? c.SubList.size() : c.BoxList.size()); ++j) {
            CanvasBusyWait(canvas);
            for (const ModeRow& row : kModes) {
                if (row.onSubLine != subLines)
                    continue;
                SessionRef session = SessionOf(c, static_cast<std::int16_t>(j), row, source);
                if (*session.flags & row.bit) {
                    BoxEditorUnload(*session.editor);
                    // The editor's own return may have cleared both already; closing never grows a list.
                    session = SessionOf(c, static_cast<std::int16_t>(j), row, source);
                    *session.editor = nullptr;
                    BitClear(*session.flags, row.bit);
                }
            }
        }
    }
}

} // namespace vellumora
