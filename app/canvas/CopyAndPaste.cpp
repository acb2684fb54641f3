#include "app/canvas/CopyAndPaste.h"

#include "app/core/ApplicationGlobals.h"
#include "app/core/RecordAccess.h"
#include "app/core/Utilities.h"
#include "app/diagram/BoxList.h"
#include "app/diagram/BoxListMake.h"
#include "app/diagram/FileInterface.h"
#include "app/diagram/TagTable.h"
#include "platform/filesystem/FileSystem.h"
#include "platform/vbrt/Error.h"

#include <QFile>
#include <QRegularExpression>

#include <vector>

namespace vellumora {

namespace {

const QString kSection = QStringLiteral("Clipboard");
const QString kFilenameKey = QStringLiteral("Filename");
const QString kObstinateKey = QStringLiteral("Obstinate");
const QString kKindDiffers = QStringLiteral("ｷｬﾝﾊﾞｽの形式が異なります。");
const QString kNothingFromOthers = QStringLiteral("他ﾀｽｸからの情報がありません。");
const QString kNothingToPaste = QStringLiteral("貼り付ける情報がありません。");

QString CopyBufferName()
{
    return TemporaryFileName(QStringLiteral("copy"));
}

// The chart-kind name of kindFlags: the first attribute row whose value is its kind bits.
QString ObstinateNameOf(std::int32_t kindFlags)
{
    const std::int32_t kind = kindFlags & 0x7C000;
    for (const TagAttributeRecord& attribute : PR.TagAttributeTable)
        if (attribute.value == kind)
            return attribute.name;
    return {};
}

// The chart-kind name a copy must bear to be pasted into the canvas: the kind the canvas is edited as.
QString PastedKindName(std::int16_t canvas)
{
    return ObstinateNameOf(CanvasChartKinds(CanvasAt(canvas, "ClipboardObstinateCheck")));
}

// The exchange file carries its chart kind in its name: a copy of one kind is only ever written
// under that kind's name, so whatever file a fetch takes holds the kind its name says, however
// the publications of several copies interleave with the fetch. The kind is percent-encoded, dots
// too, so that it stays one part of the name. It lies in the folder the user's copies share,
// which nobody else may enter.
const QString kKindPart = QStringLiteral("kind-");

QString ExchangeFileName(const QString& kind)
{
    return SharedFileName(QStringLiteral("clipboard"), QStringLiteral("copy"),
                          kKindPart + QString::fromLatin1(kind.toUtf8().toPercentEncoding({}, ".")));
}

// The chart kind of a published exchange file; false for a name without one (written by an
// older copy of the program, whose file and kind were two values that may not belong together).
bool KindOfExchangeFile(const QString& path, QString& kind)
{
    static const QRegularExpression pattern(QStringLiteral(R"(\.clipboard\.copy\.kind-([^./]*)\.tmp$)"));
    const QRegularExpressionMatch match = pattern.match(path);
    if (!match.hasMatch())
        return false;
    kind = QString::fromUtf8(QByteArray::fromPercentEncoding(match.captured(1).toLatin1()));
    return true;
}

// The exchange file published by another copy and its kind; false when there is none to take.
bool PublishedExchangeFile(QString& name, QString& kind)
{
    name = CommonServices->GetRegistry(kSection, kFilenameKey);
    return !name.isEmpty() && KindOfExchangeFile(name, kind);
}

void CopyOutputOpen(const QString& path, bool toTask)
{
    PadFileCreate(path);
    CopyAndPaste.ClipboardCopyToTask = toTask;
    CopyAndPaste.ClipboardCopyFlags = 0;
}

// A copy that cannot be finished leaves the file it would have replaced as it was.
void CopyOutputFinish()
{
    try {
        PadFileFinish();
    } catch (...) {
        PadFileAbandon();
        throw;
    }
}

// The boxes of a chain from first along after; a looping list ends after as many steps as it
// has slots.
std::vector<std::int16_t> ChainOf(CanvasRecord& c, std::int16_t first)
{
    std::vector<std::int16_t> boxes;
    for (std::int16_t n = first; n >= 1 && boxes.size() < c.BoxList.size(); n = BoxAt(c, n, "ClipboardPaste").after)
        boxes.push_back(n);
    return boxes;
}

// Reads the whole file as one chain of new boxes owned by nobody; returns its first box. A file
// that does not parse, or does not fit (a canvas holds at most 32,767 boxes), leaves the canvas
// as it was: the parts made before the error are freed and the lists, their free chains and the
// window's control arrays are back at their old length.
std::int16_t PastedChainRead(std::int16_t canvas, const QString& path)
{
    const CanvasRecord& before = B[static_cast<std::size_t>(canvas)];
    const std::vector<BoxRecord> boxes = before.BoxList;
    const std::vector<SubRecord> subs = before.SubList;
    const std::int16_t freeBox = before.header.freeBox;
    const std::int16_t freeSub = before.header.freeSub;

    PadFileOpen(path);
    std::int16_t first = -1;
    try {
        first = BoxListMake(canvas, 0);
    } catch (...) {
        PadFileClose();
        CanvasRecord& c = B[static_cast<std::size_t>(canvas)];
        auto isNew = [](const auto& list, const auto& old, std::size_t n) {
            return list[n].garbage == -1 && (n >= old.size() || old[n].garbage != -1);
        };
        for (std::size_t n = c.BoxList.size(); n-- > 1;)
            if (isNew(c.BoxList, boxes, n))
                BoxDelete(canvas, static_cast<std::int16_t>(n), false);
        // A sub line whose box was never finished belongs to no box that the loop above freed.
        for (std::size_t n = c.SubList.size(); n-- > 1;)
            if (isNew(c.SubList, subs, n))
                SubLineDelete(canvas, static_cast<std::int16_t>(n), false);
        c.BoxList = boxes;
        c.SubList = subs;
        c.header.freeBox = freeBox;
        c.header.freeSub = freeSub;
        throw;
    }
    PadFileClose();
    return first;
}

// Whether the file holds a box: the mark of an empty canvas's start (its egg) is none, and a
// copy of it alone pastes nothing.
bool HoldsBox(const QString& path)
{
    PadFileOpen(path);
    bool holds = false;
    try {
        for (PadInfoRecord record = GetPadInfo(); record.tagId != 0 && !holds; record = GetPadInfo())
            holds = record.tagId != TagId::Egg;
    } catch (...) {
        PadFileClose();
        throw;
    }
    PadFileClose();
    return holds;
}

} // namespace

void ClipboardInitialize()
{
    ClipboardReset();
}

void ClipboardReset()
{
    CopyAndPaste.ClipboardExistFlag = false;
    CopyAndPaste.ClipboardCanvasFlags = 0;
    TemporaryFileDelete(QStringLiteral("copy"));
    CopyAndPaste.ClipboardTaskFile.clear();
    TemporaryFileDelete(QStringLiteral("clipboard"), QStringLiteral("*"));
}

bool ClipboardExist()
{
    return CopyAndPaste.ClipboardExistFlag;
}

QString ClipboardObstinateName()
{
    return ObstinateNameOf(CopyAndPaste.ClipboardCanvasFlags);
}

void ClipboardCopyOpen()
{
    CopyOutputOpen(CopyBufferName(), false);
}

void ClipboardTaskCopyOpen()
{
    // Written under a name of its own first; ClipboardTaskCopyClose publishes it under its kind's.
    CopyOutputOpen(TemporaryFileName(QStringLiteral("clipboard"), QStringLiteral("copy")), true);
}

void ClipboardCopyPart(std::int16_t canvas, std::int16_t box, std::int16_t sub)
{
    CanvasRecord& c = CanvasAt(canvas, "ClipboardCopyPart");
    CopyAndPaste.ClipboardCopyFlags = CanvasChartKinds(c);
    if (box >= 1) {
        BoxListWrite(canvas, box, true, false, false, false);
        return;
    }
    const std::int16_t first = sub >= 1 ? SubAt(c, sub, "ClipboardCopyPart").boxIndex : c.header.firstBox;
    // An empty chain copies nothing (a start below 1 would write the whole canvas).
    if (first >= 1)
        BoxListWrite(canvas, first, true, false, true, false);
}

void ClipboardCopyClose()
{
    CopyOutputFinish();
    CopyAndPaste.ClipboardCanvasFlags = CopyAndPaste.ClipboardCopyFlags;
    CopyAndPaste.ClipboardExistFlag = true;
}

void ClipboardTaskCopyClose()
{
    CopyOutputFinish();
    const QString written = TemporaryFileName(QStringLiteral("clipboard"), QStringLiteral("copy"));
    const QString kind = ObstinateNameOf(CopyAndPaste.ClipboardCopyFlags);
    const QString published = ExchangeFileName(kind);
    // Put in place whole: a copy fetching the previous file of this kind gets that one or this one.
    QFile file(written);
    if (!file.open(QIODevice::ReadOnly))
        platform::vbrt::RaiseNumber(platform::vbrt::ErrorNumber::FileNotFound, QStringLiteral("ClipboardTaskCopyClose"),
                                    written);
    platform::filesystem::WriteWorkFile(published, file.readAll());
    file.close();
    CommonServices->DeleteFile(written);
    if (!CopyAndPaste.ClipboardTaskFile.isEmpty() && CopyAndPaste.ClipboardTaskFile != written &&
        CopyAndPaste.ClipboardTaskFile != published)
        CommonServices->DeleteFile(CopyAndPaste.ClipboardTaskFile);
    CopyAndPaste.ClipboardTaskFile = published;
    CommonServices->SetRegistry(kSection, kFilenameKey, published);
    // For older copies of the program, which read the kind from here.
    CommonServices->SetRegistry(kSection, kObstinateKey, kind);
}

bool ClipboardObstinateCheck(std::int16_t canvas)
{
    // The copy buffer went with a run folder removed while the program runs: the copy is gone.
    if (CopyAndPaste.ClipboardExistFlag && !platform::filesystem::FileExists(CopyBufferName())) {
        CopyAndPaste.ClipboardExistFlag = false;
        CopyAndPaste.ClipboardCanvasFlags = 0;
        InformationMessageBox(kNothingToPaste);
        return false;
    }
    if (ClipboardObstinateName() == PastedKindName(canvas))
        return true;
    InformationMessageBox(kKindDiffers);
    return false;
}

bool ClipboardPasteHoldsBox(bool fromTask)
{
    if (HoldsBox(fromTask ? CopyAndPaste.ClipboardPasteFile : CopyBufferName()))
        return true;
    if (!fromTask) {
        CopyAndPaste.ClipboardExistFlag = false;
        CopyAndPaste.ClipboardCanvasFlags = 0;
    }
    InformationMessageBox(kNothingToPaste);
    return false;
}

bool ClipboardTaskPasteFetch(std::int16_t canvas)
{
    CopyAndPaste.ClipboardPasteFile = TemporaryFileName(QStringLiteral("clipboard"), QStringLiteral("paste"));
    QString name;
    QString kind;
    const bool published = PublishedExchangeFile(name, kind);
    if (published && kind != PastedKindName(canvas)) {
        InformationMessageBox(kKindDiffers);
        return false;
    }
    // The other instance may replace or delete its file at any moment: only a copy of the size
    // the file had is taken.
    if (published && CommonServices->FileExists(name)) {
        try {
            CommonServices->CopyFile(name, CopyAndPaste.ClipboardPasteFile);
            const std::int32_t size = CommonServices->GetFileSize(name);
            if (size >= 0 && size == CommonServices->GetFileSize(CopyAndPaste.ClipboardPasteFile))
                return true;
        } catch (const platform::vbrt::Error&) {
            // The file went away while it was copied: there is nothing to paste.
        }
    }
    InformationMessageBox(kNothingFromOthers);
    return false;
}

bool ClipboardTaskExist()
{
    // Without the services object there is no store to find another copy's file in.
    if (!CommonServices)
        return false;
    QString name;
    QString kind;
    return PublishedExchangeFile(name, kind) && CommonServices->FileExists(name) &&
           CommonServices->GetFileSize(name) > 0;
}

void ClipboardPaste(std::int16_t canvas, std::int16_t box, std::int16_t sub, bool before, bool fromTask)
{
    CanvasAt(canvas, "ClipboardPaste");
    const std::int16_t first =
        PastedChainRead(canvas, fromTask ? CopyAndPaste.ClipboardPasteFile : CopyBufferName());
    // A file that held no box links nothing: no chain is cut open.
    if (first < 1)
        return;

    CanvasRecord& c = B[static_cast<std::size_t>(canvas)];
    const std::vector<std::int16_t> pasted = ChainOf(c, first);
    const std::int16_t last = pasted.back();
    auto box_ = [&](std::int16_t n) -> BoxRecord& { return BoxAt(c, n, "ClipboardPaste"); };

    if (box > 0) {
        const std::int16_t previous = box_(box).before;
        const std::int16_t owner = box_(box).upper;
        const std::int16_t next = box_(box).after;
        if (before) {
            if (previous < 1) {
                if (owner < 1)
                    c.header.firstBox = first;
                else
                    SubAt(c, owner, "ClipboardPaste").boxIndex = first;
            } else {
                box_(previous).after = first;
            }
            box_(first).before = previous;
            box_(last).after = box;
            box_(box).before = last;
        } else {
            box_(box).after = first;
            box_(first).before = box;
            box_(last).after = next;
            if (next > 0)
                box_(next).before = last;
        }
        for (std::int16_t n : pasted)
            box_(n).upper = owner;
        return;
    }

    if (sub > 0) {
        SubRecord& line = SubAt(c, sub, "ClipboardPaste");
        // A sub line that has boxes keeps them after the pasted ones.
        const std::int16_t old = line.boxIndex;
        line.boxIndex = first;
        if (old > 0) {
            box_(last).after = old;
            box_(old).before = last;
        }
        for (std::int16_t n : pasted)
            box_(n).upper = sub;
        return;
    }

    // Nowhere to link the chain: its boxes are freed again rather than left unreachable.
    for (std::int16_t n : pasted)
        BoxDelete(canvas, n, true);
}

} // namespace vellumora
