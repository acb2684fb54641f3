#pragma once

// The program's start-up and shutdown for a test program, as far as its floors reach. A test
// program of the shell runs the program's own. One of a lower floor cannot link the shell: it
// runs the steps of the floors it links, in the program's order. Left out are the shell's own
// steps, the renewal of registry keys from the ini file and the split of the command line (the
// test program's options are no documents), which no lower floor reads.

#ifdef VELLUMORA_TESTS_LINK_SHELL
#include "app/shell/AppMain.h"
#else
#include "app/core/AddOnHooks.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/CanvasSize.h"
#include "app/core/DebugLog.h"
#include "app/core/FirstFailure.h"
#include "app/core/LayoutRecords.h"
#include "app/core/PrintRecords.h"
#include "app/core/Utilities.h"
#include "app/diagram/BoxList.h"
#include "app/diagram/CanvasOrder.h"
#include "app/diagram/FileInterface.h"
#include "app/diagram/FontAndColor.h"
#include "app/diagram/HistorySnapshots.h"
#include "app/diagram/ReportSetting.h"
#include "app/diagram/SearchEngine.h"
#include "app/diagram/TagTable.h"
#include "platform/system/System.h"
#ifdef VELLUMORA_TESTS_LINK_CANVAS
#include "app/canvas/CopyAndPaste.h"
#endif
#endif

namespace testsupport {

inline void FloorsStart()
{
    using namespace vellumora;
#ifdef VELLUMORA_TESTS_LINK_SHELL
    AppInitialize();
#else
    RandomSeed();
    BasicDefineInitialize();
    CommonServices->CatalogVolatileSection(QStringLiteral("Clipboard"));
    ApplicationGlobals = ApplicationGlobalsRecord::Default;
    ApplicationGlobals.SearchSettings = SearchSettingsRecord::Default;
    ApplicationGlobals.DoubleClickTime = platform::system::DoubleClickTime();
    ApplicationGlobals.SearchSettings.SearchHistory.clear();
    ApplicationGlobals.SearchSettings.ReplaceHistory.clear();
    // Slot 0 as the program's start-up leaves it until BoxListClear(0) gives it lists.
    B.assign(1, CanvasRecord{});
    B[0].header.firstBox = 0;
    B[0].header.windowState = 0;
    B[0].header.state = 0;
    B[0].header.freeBox = 0;
    B[0].header.freeSub = 0;
    SearchClear();
    DebugInitialize();
    UtilitiesInitialize();
    FileInterfaceInit();
    CanvasOrderInitialize();
#ifdef VELLUMORA_TESTS_LINK_CANVAS
    ClipboardInitialize();
#endif
    HistoryClear();
    CurrentFontColorState = FontColorState::Default;
    CanvasSize = CanvasSizeRecord::Default;
    RS = ReportSettingRecord::Default;
    LO = LayoutConstants::Default;
    FontAndColorLoad();
    TagTableDefine();
    BoxListClear(0);
    CanvasSizeLoad();
    ReportSettingApply();
    AddOnMenuMake();
#endif
}

inline void FloorsEnd()
{
    using namespace vellumora;
#ifdef VELLUMORA_TESTS_LINK_SHELL
    AppTerminate();
#else
    // Every step runs even when an earlier one fails, as in the program's shutdown.
    FirstFailure failure;
    failure.Run(FileInterfaceTerm);
    failure.Run(UtilitiesTerminate);
    failure.Run(FontAndColorClear);
    failure.Run(SearchTerminate);
    failure.Run([] {
        for (std::size_t c = 0; c < B.size(); ++c)
            CanvasRelease(static_cast<std::int16_t>(c));
    });
    failure.Run([] { B.clear(); });
    failure.Run(AddOnRelease);
    failure.Run(CanvasOrderReset);
    failure.Run(PadTablesClear);
    failure.Run(BasicDefineTerminate);
    failure.Run(DebugLogClose);
    failure.Rethrow();
#endif
}

} // namespace testsupport
