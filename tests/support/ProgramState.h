#pragma once

// One reset of the whole program state between tests. The program keeps its state in globals
// (records in headers, seams and queues of the platform layer); a test that changes one and
// fails before putting it back would hand it to every later test of the same program. The test
// main of the program's tests calls ProgramStateReset before each test: the first call keeps the
// state as the program's parts were started (global environments included), every later one
// puts it back. A new global of the program belongs in ProgramRecords below.

#include "app/canvas/CanvasForm.h"
#include "app/canvas/CopyAndPaste.h"
#include "app/canvas/HistoryControl.h"
#include "app/canvas/PageSetting.h"
#include "app/core/AddOnHooks.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/CanvasSize.h"
#include "app/core/DebugLog.h"
#include "app/core/EditState.h"
#include "app/core/LayoutRecords.h"
#include "app/core/PrintRecords.h"
#include "app/diagram/FileInterface.h"
#include "app/diagram/VerticalPass.h"
#include "app/dialogs/CanvasSlide.h"
#include "app/dialogs/SearchEngine.h"
#include "app/print/ImagePrint.h"
#include "app/print/PagePacking.h"
#include "app/print/PrintLayout.h"
#include "platform/commondialog/CommonDialog.h"
#include "platform/filesystem/FileSystem.h"
#include "platform/msgbox/MsgBox.h"
#include "platform/report/Report.h"
#include "platform/system/System.h"

#include <optional>

namespace testsupport {

// The program's records that a copy can keep and put back.
struct ProgramRecords {
    vellumora::ApplicationGlobalsRecord applicationGlobals = vellumora::ApplicationGlobals;
    std::vector<vellumora::CanvasRecord> canvases = vellumora::B;
    vellumora::PadRecord pad = vellumora::PR;
    vellumora::ReportSettingRecord reportSetting = vellumora::RS;
    vellumora::PrintWorkRecord printWork = vellumora::RW;
    vellumora::ToolbarFontStateRecord toolbarFont = vellumora::ToolbarFontState;
    vellumora::CanvasSizeRecord canvasSize = vellumora::CanvasSize;
    vellumora::LayoutConstants layout = vellumora::LO;
    vellumora::FontColorState fontColor = vellumora::CurrentFontColorState;
    std::vector<vellumora::AddOnRecord> addOns = vellumora::AddOnTable;
    std::vector<vellumora::AddOnMenuRecord> addOnMenus = vellumora::AddOnMenuTable;
    vellumora::FileInterfaceData fileInterface = vellumora::FileInterface;
    vellumora::VerticalPassLimits verticalLimits = vellumora::VerticalLimits;
    vellumora::SearchState search = vellumora::Search;
    vellumora::ScreenRect foundBox = vellumora::FoundBoxRect;
    vellumora::HistoryState history = vellumora::History;
    vellumora::CopyAndPasteState copyAndPaste = vellumora::CopyAndPaste;
    std::int16_t canvasActivateCount = vellumora::CanvasActivateCount;
    std::vector<std::array<std::int16_t, 2>> canvasOrder = vellumora::CanvasOrder;
    vellumora::PageMapRecord pages = vellumora::pageMap;
    std::int32_t imageOriginX = vellumora::ImageOriginX;
    std::int32_t imageOriginY = vellumora::ImageOriginY;
    std::int32_t imageObjectCount = vellumora::ImageObjectCount;

    void Restore() const
    {
        using namespace vellumora;
        ApplicationGlobals = applicationGlobals;
        B = canvases;
        PR = pad;
        RS = reportSetting;
        RW = printWork;
        ToolbarFontState = toolbarFont;
        CanvasSize = canvasSize;
        LO = layout;
        CurrentFontColorState = fontColor;
        AddOnTable = addOns;
        AddOnMenuTable = addOnMenus;
        FileInterface = fileInterface;
        VerticalLimits = verticalLimits;
        Search = search;
        FoundBoxRect = foundBox;
        History = history;
        CopyAndPaste = copyAndPaste;
        CanvasActivateCount = canvasActivateCount;
        CanvasOrder = canvasOrder;
        pageMap = pages;
        ImageOriginX = imageOriginX;
        ImageOriginY = imageOriginY;
        ImageObjectCount = imageObjectCount;
        ImageBook.reset();
        ImagePage.reset();
    }
};

// The seams a test sets and the queues and lists it fills: back to none and empty. The seams the
// global environments set for a whole program (the text measurer) stay as they are.
inline void SeamsReset()
{
    namespace msgbox = platform::msgbox;
    namespace commondialog = platform::commondialog;
    msgbox::ClearQueue();
    msgbox::ShownBoxes().clear();
    commondialog::ClearQueue();
    commondialog::ShownDialogs().clear();
    platform::system::SetClock({});
    platform::system::SetFileOpener({});
    platform::system::OpenedFiles().clear();
    platform::report::SetDeliveryRecorder({});
    platform::report::SetPrintToFile({});
    platform::report::SetDefaultPrinterLookup({});
    platform::filesystem::SetAtomicWriteHook({});
    platform::filesystem::SetAtomicWriteFault({});
    vellumora::CanvasForm::SetCanvasPainter({});
    vellumora::CanvasForm::SetPopupRunner({});
    vellumora::PrintProgressSet({});
    vellumora::SlideStepsByHand(false);
}

inline void ProgramStateReset()
{
    static std::optional<ProgramRecords> started;
    if (!started) {
        started.emplace();
        return;
    }
    started->Restore();
    SeamsReset();
}

} // namespace testsupport
