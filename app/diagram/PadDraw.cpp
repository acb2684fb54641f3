#include "app/diagram/PadDraw.h"

#include "app/core/CanvasSurface.h"
#include "app/core/CanvasSize.h"
#include "app/diagram/BoxList.h"
#include "app/diagram/BoxListMake.h"
#include "app/diagram/CanvasOrder.h"
#include "app/diagram/CanvasPartsArrange.h"
#include "app/diagram/FileInterface.h"
#include "app/diagram/FontAndColor.h"
#include "app/diagram/HorizontalPass.h"
#include "app/diagram/ListPreparation.h"
#include "app/diagram/PadUtilities.h"
#include "app/diagram/TagTable.h"
#include "app/diagram/VerticalPass.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/EditState.h"
#include "app/core/Processing.h"
#include "app/core/RecordAccess.h"
#include "app/diagram/RecordDump.h"
#include "app/diagram/SearchEngine.h"
#include "app/core/Utilities.h"
#include "platform/graphics/DrawingTarget.h"
#include "platform/vbrt/Error.h"
#include "platform/vbrt/Value.h"

#include <QPointer>

#include <algorithm>
#include <limits>
#include <optional>

namespace vellumora {

namespace {

namespace vbrt = platform::vbrt;

const QString StandardName = QStringLiteral("標準");

// Canvas slots are numbered with signed 16-bit numbers from 1.
constexpr std::size_t MaxCanvasCount = std::numeric_limits<std::int16_t>::max();

bool IsOpen(std::size_t canvas)
{
    return B[canvas].header.state == CanvasState::Open;
}

// The document's font, colour and settings, kept while a reload reads its header so that a load
// that fails leaves them as they were.
struct DocumentLook {
    QString fontName;
    QString fontSize;
    QString colorName;
    QString settings;

    static DocumentLook Take()
    {
        return {ApplicationGlobals.DocumentFontName, ApplicationGlobals.DocumentFontSize,
                ApplicationGlobals.DocumentColorName, DocumentSettingsText(true, QString())};
    }
    void Restore() const
    {
        ApplicationGlobals.DocumentFontName = fontName;
        ApplicationGlobals.DocumentFontSize = fontSize;
        ApplicationGlobals.DocumentColorName = colorName;
        FontAndSizeShow();
        DocumentSettingsText(false, settings);
    }
};

// A refused setting sets settingLine to the line of the header's text that holds it.
void HeaderApply(const PadInfoRecord& header, qsizetype& settingLine)
{
    if (!header.font.isEmpty()) {
        const FontCode code = FontModifyChech(header.font);
        ApplicationGlobals.DocumentFontName = FontNameText(FontNameIndex(code));
        ApplicationGlobals.DocumentFontSize = FontSizeText(FontSizeValue(FontSizeIndex(code)));
    }
    if (!header.color.isEmpty())
        ApplicationGlobals.DocumentColorName = ColorName(ColorModify(header.color));
    // The status bar shows the document's font: the next document's, not the one before.
    FontAndSizeShow();
    DocumentSettingsText(false, header.text, &settingLine);
}

// Reads the records after the header: one canvas per top-level routine or note.
void CanvasesRead()
{
    for (;;) {
        const PadInfoRecord record = GetPadInfo();
        switch (record.tagId) {
        case TagId::Routine:
        case TagId::Note: {
            UngetPadInfo();
            const std::int16_t canvas = CanvasSlotPrepare(-1, 0);
            BoxListClear(canvas);
            BoxListMake(canvas, -1);
            CanvasStateSet(canvas, CanvasState::Open);
            break;
        }
        case TagId::EndRoutine:
            break;
        case TagId::EndDocument:
            return;
        default:
            // The end of the input included: a document must close with its end record.
            vbrt::Raise(QStringLiteral("PadDrawGetData"), QStringLiteral("有効なpadﾀｸﾞがありません。"));
        }
    }
}

CanvasCascadeHandler& CascadeHandler()
{
    static CanvasCascadeHandler handler;
    return handler;
}

} // namespace

void PadDrawGetData(const QString& path)
{
    const bool reload = path.isEmpty();
    QString file;
    if (reload) {
        if (!DocumentOpened()) {
            ErrorMessageBox(QStringLiteral("入力ﾌｧｲﾙの指定がありません。"));
            return;
        }
        CanvasesRelease(1);
        file = DocumentPathPart(CurrentDocument);
    } else {
        file = DocumentPathPart(path);
    }

    if (file.isEmpty()) {
        // A new document that has no file yet takes every setting from the ini defaults; adding
        // no file adds nothing and leaves the open document's settings alone.
        if (reload)
            DocumentSettingsText(false, QString());
        return;
    }

    const std::size_t first = B.size();
    std::optional<DocumentLook> look;
    try {
        // Refuses a file that does not begin with the document header before anything changes;
        // a document the caller has just opened is not read again.
        if (!PadDocumentReady(file))
            PadDocumentOpen(file);
        // Every canvas is a window: a document with more than there can be is refused before
        // the first window is made.
        const std::size_t canvases = PadCanvasCount();
        if (B.size() - 1 + canvases > MaxCanvasCount)
            vbrt::Raise(QStringLiteral("PadDrawGetData"),
                        QStringLiteral("ｷｬﾝﾊﾞｽが多すぎるため開けません (%1 個、上限 %2 個)。")
                            .arg(canvases)
                            .arg(MaxCanvasCount - (B.size() - 1)));
        qsizetype settingLine = -1;
        try {
            const PadInfoRecord header = GetPadInfo();
            if (reload) {
                look = DocumentLook::Take();
                HeaderApply(header, settingLine);
            }
            // A document of comments alone has no header and no canvases.
            if (header.tagId == TagId::Document)
                CanvasesRead();
        } catch (const vbrt::Error& e) {
            PadInputErrorRaise(e, settingLine);
        }
        PadFileClose();
    } catch (...) {
        // Half a document is never left behind: a save could write it over the whole file.
        PadFileClose();
        CanvasesRelease(first);
        if (reload) {
            if (look)
                look->Restore();
            ApplicationGlobals.DocumentName.clear();
            SetModifyFlag(false);
        }
        throw;
    }
}

void PadDrawRefresh(std::int16_t canvas)
{
    SearchHighlightHide(false);
    SearchReset();
    if (B.size() < 2)
        return;
    const QuietShows quiet;
    for (auto c = static_cast<std::int16_t>(B.size() - 1); c >= 1; --c) {
        if (canvas >= 0 && c != canvas)
            continue;
        if (!IsOpen(static_cast<std::size_t>(c))) {
            if (CanvasSurface* form = B[static_cast<std::size_t>(c)].form.data())
                form->SetVisible(false);
            continue;
        }
        BoxListPrepare(c, -1, false);
        BoxTreeXPosition(c, -1, 0, 0);
        BoxTreeYPosition(c, -1);
        const CanvasRecord& record = B[static_cast<std::size_t>(c)];
        CanvasSurface* form = record.form.data();
        if (!form)
            continue;
        // A minimised or hidden window is arranged when it is restored or shown again.
        const std::int16_t windowState = record.header.windowState;
        if (windowState >= 0 && (windowState == 1 || !form->Visible()))
            continue;
        PadDrawRepaint(c);
    }
}

void PadDrawRepaint(std::int16_t canvas)
{
    // One repaint for the whole chart, not one for every line and text drawn.
    struct Gathered {
        QPointer<CanvasSurface> form;
        explicit Gathered(CanvasSurface* f) : form(f)
        {
            if (form)
                form->ChangesGather();
        }
        ~Gathered()
        {
            if (form)
                form->ChangesFlush();
        }
    } gathered(CanvasAt(canvas, "PadDrawRepaint").form.data());
    CanvasPartsArrange(canvas, SubRecord::Default);
    DebugBoxList(canvas, 5, -1, 0);
    PrinterDocEnd();
}

std::vector<std::int16_t> CanvasSequenceList()
{
    std::vector<std::int16_t> open;
    for (std::size_t i = 1; i < B.size(); ++i)
        if (IsOpen(i))
            open.push_back(static_cast<std::int16_t>(i));
    // Two canvases with one number, or a number outside 1..n, must not drop a canvas from the
    // list: the list decides what is saved, searched and printed.
    std::stable_sort(open.begin(), open.end(), [](std::int16_t a, std::int16_t b) {
        return B[static_cast<std::size_t>(a)].header.number < B[static_cast<std::size_t>(b)].header.number;
    });
    open.insert(open.begin(), -1);
    return open;
}

void CanvasSequenceRenumber()
{
    const std::vector<std::int16_t> list = CanvasSequenceList();
    for (std::size_t i = 1; i < list.size(); ++i)
        B[static_cast<std::size_t>(list[i])].header.number = static_cast<std::int16_t>(i);
}

void CanvasZOrderArrange()
{
    const std::vector<std::int16_t> list = CanvasSequenceList();
    for (std::size_t i = list.size(); i-- > 1;) {
        CanvasSurface* form = B[static_cast<std::size_t>(list[i])].form.data();
        if (!form)
            continue;
        FormEnable(form, true);
        // A hidden window cannot take the focus; it keeps its place.
        if (form->Visible())
            CanvasWindowActivate(form);
    }
}

void CanvasVisibleSet(std::int16_t canvas, bool visible)
{
    if (canvas < 0) {
        const QuietShows quiet;
        for (std::size_t c = 1; c < B.size(); ++c)
            CanvasVisibleSet(static_cast<std::int16_t>(c), visible);
        return;
    }
    CanvasRecord& record = CanvasAt(canvas, "CanvasVisibleSet");
    if (record.header.state != CanvasState::Open)
        return;
    if (CanvasSurface* form = record.form.data())
        form->SetVisible(visible);
    record.header.windowState = -1;
}

void CanvasCaptionRefresh()
{
    for (std::size_t c = 1; c < B.size(); ++c) {
        if (!IsOpen(c))
            continue;
        if (CanvasSurface* form = B[c].form.data())
            form->SetCaption(CanvasCaptionMake(static_cast<std::int16_t>(c), QStringLiteral("\t")));
    }
}

void DefaultFontApply(const QString& fontName, const QString& fontSize, const QString& colorName)
{
    const QString standardSize = ApplicationGlobals.FontSizeList.value(0, StandardName);
    DefaultFontSet(QStringLiteral("fontname:%1\r\nfontsize:%2").arg(fontName, standardSize));
    // These follow the standard size, whatever size the document asks for next.
    LO.yAdjustAllow = static_cast<std::int32_t>(vbrt::Int(LO.charHeight / 3.0));
    LO.lineLabelWidth = static_cast<std::int32_t>(vbrt::Int(LO.charWidth / 2.0));
    DefaultFontSet(QStringLiteral("fontsize:%1").arg(fontSize));
    DefaultColorSet(colorName);
}

void SetCanvasCascadeHandler(CanvasCascadeHandler handler)
{
    CascadeHandler() = std::move(handler);
}

void CanvasWindowsCascade()
{
    if (CascadeHandler()) {
        CascadeHandler()();
        return;
    }
    constexpr std::int32_t Step = 20 * platform::graphics::TwipsPerPixel;
    std::int32_t offset = 0;
    const std::vector<std::int16_t> list = CanvasSequenceList();
    for (std::size_t i = 1; i < list.size(); ++i) {
        CanvasSurface* form = B[static_cast<std::size_t>(list[i])].form.data();
        if (!form || !form->Visible() || form->WindowState() != 0)
            continue;
        form->SetLeft(offset);
        form->SetTop(offset);
        offset += Step;
    }
}

void CanvasWindowStateSet(std::int16_t canvas, std::int16_t windowState)
{
    CanvasRecord& record = CanvasAt(canvas, "CanvasWindowStateSet");
    const std::int16_t old = record.header.windowState;
    record.header.windowState = windowState;
    // Redraws skip the arrangement of a minimised window: one back from being minimised is
    // arranged again, without a new layout. Any other change only needs the window painted.
    if (old == 1 && windowState != 1)
        PadDrawRepaint(canvas);
    else if (record.form)
        record.form->update();
}

} // namespace vellumora
