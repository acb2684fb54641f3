#pragma once

// One reset of the whole program state between tests. The program keeps its state in globals
// (records in headers, seams and queues of the platform layer); a test that changes one and
// fails before putting it back would hand it to every later test of the same program. The test
// main of the program's tests calls ProgramStateReset before each test: the first call keeps the
// state as the program's parts were started (global environments included), every later one
// puts it back. A new global of the program belongs in ProgramRecords below.

// A test program links its own floor and those below it only: its test main names them
// (VELLUMORA_TESTS_LINK_<folder>), and the state of a floor it does not link is not its to reset.
#ifdef VELLUMORA_TESTS_LINK_CORE
#include "app/core/AddOnHooks.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/CanvasSize.h"
#include "app/core/EditState.h"
#include "app/core/LayoutRecords.h"
#include "app/core/PrintRecords.h"
#include "app/core/ProgramLink.h"
#endif
#ifdef VELLUMORA_TESTS_LINK_DIAGRAM
#include "app/diagram/CanvasOrder.h"
#include "app/diagram/CanvasSlide.h"
#include "app/diagram/FileInterface.h"
#include "app/diagram/HistorySnapshots.h"
#include "app/diagram/SearchEngine.h"
#include "app/diagram/VerticalPass.h"
#endif
#ifdef VELLUMORA_TESTS_LINK_CANVAS
#include "app/canvas/CanvasForm.h"
#include "app/canvas/CopyAndPaste.h"
#endif
#ifdef VELLUMORA_TESTS_LINK_PRINT
#include "app/print/ImagePrint.h"
#include "app/print/PagePacking.h"
#include "app/print/PrintLayout.h"
#endif
#include "platform/commondialog/CommonDialog.h"
#include "platform/filesystem/FileSystem.h"
#include "platform/msgbox/MsgBox.h"
#include "platform/profile/Profile.h"
#include "platform/report/Report.h"
#include "platform/system/System.h"
#include "platform/zipfolder/ZipFolder.h"

#include <functional>
#include <optional>
#include <vector>

namespace testsupport {

// The program's records that a copy can keep and put back, each kept as it stood when made.
class ProgramRecords {
public:
    ProgramRecords()
    {
#ifdef VELLUMORA_TESTS_LINK_CORE
        using namespace vellumora;
        Keep(ApplicationGlobals);
        Keep(B);
        Keep(PR);
        Keep(RS);
        Keep(RW);
        Keep(ToolbarFontState);
        Keep(CanvasSize);
        Keep(LO);
        Keep(CurrentFontColorState);
        Keep(AddOnTable);
        Keep(AddOnMenuTable);
#endif
#ifdef VELLUMORA_TESTS_LINK_DIAGRAM
        Keep(FileInterface);
        Keep(VerticalLimits);
        Keep(Search);
        Keep(FoundBoxRect);
        Keep(History);
        Keep(CanvasActivateCount);
        Keep(CanvasOrder);
#endif
#ifdef VELLUMORA_TESTS_LINK_CANVAS
        Keep(CopyAndPaste);
#endif
#ifdef VELLUMORA_TESTS_LINK_PRINT
        Keep(pageMap);
        Keep(ImageOriginX);
        Keep(ImageOriginY);
        Keep(ImageObjectCount);
#endif
    }

    void Restore() const
    {
        for (const auto& restore : restorers_)
            restore();
#ifdef VELLUMORA_TESTS_LINK_PRINT
        // The print images own their pages: none is kept from one test to the next.
        vellumora::ImageBook.reset();
        vellumora::ImagePage.reset();
#endif
    }

private:
    template <class Record>
    void Keep(Record& record)
    {
        restorers_.push_back([&record, kept = record] { record = kept; });
    }

    std::vector<std::function<void()>> restorers_;
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
    platform::filesystem::SetWriteAccessFault({});
    platform::filesystem::SetReadOpenFault({});
    platform::filesystem::SetAtomicOpenFault({});
    platform::filesystem::SetFolderCreateFault({});
    platform::profile::SetOpenFault({});
    platform::zipfolder::SetOpenFault({});
#ifdef VELLUMORA_TESTS_LINK_CORE
    vellumora::SetProgramLink(nullptr);
#endif
#ifdef VELLUMORA_TESTS_LINK_DIAGRAM
    vellumora::SlideStepsByHand(false);
#endif
#ifdef VELLUMORA_TESTS_LINK_CANVAS
    vellumora::CanvasForm::SetCanvasPainter({});
    vellumora::CanvasForm::SetPopupRunner({});
#endif
#ifdef VELLUMORA_TESTS_LINK_PRINT
    vellumora::PrintProgressSet({});
#endif
}

inline void ProgramStateReset()
{
    static std::optional<ProgramRecords> started;
    if (!started) {
        started.emplace();
#ifdef VELLUMORA_TESTS_LINK_CORE
        // Whatever installed the program's link while starting (the start-up of a global
        // environment), a test starts without one: a test that needs it installs it.
        vellumora::SetProgramLink(nullptr);
#endif
        return;
    }
    started->Restore();
    SeamsReset();
}

} // namespace testsupport
