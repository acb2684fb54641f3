#include "app/diagram/DocumentLifecycle.h"

#include "app/core/AddOnHooks.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/CanvasSize.h"
#include "app/core/DebugLog.h"
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

#include <algorithm>
#include <stdexcept>

namespace vellumora {

namespace {

// Slot 0 as start-up leaves it: every field zero, "" or empty, until BoxListClear(0) gives it lists.
CanvasRecord ZeroCanvasRecord()
{
    CanvasRecord record;
    CanvasHeader& h = record.header;
    h.firstBox = 0;
    h.windowState = 0;
    h.state = 0;
    h.freeBox = 0;
    h.freeSub = 0;
    return record;
}

} // namespace

std::vector<LifecycleStep> DocumentStartupSteps()
{
    return {
        {QStringLiteral("RandomSeed"), RandomSeed},
        {QStringLiteral("BasicDefineInitialize"), BasicDefineInitialize},
        {QStringLiteral("CatalogVolatileSection"),
         [] { CommonServices->CatalogVolatileSection(QStringLiteral("Clipboard")); }},
        {QStringLiteral("ApplicationGlobals"),
         [] {
             ApplicationGlobals = ApplicationGlobalsRecord::Default;
             ApplicationGlobals.SearchSettings = SearchSettingsRecord::Default;
         }},
        {QStringLiteral("DoubleClickTime"),
         [] { ApplicationGlobals.DoubleClickTime = platform::system::DoubleClickTime(); }},
        {QStringLiteral("SearchHistory"),
         [] {
             ApplicationGlobals.SearchSettings.SearchHistory.clear();
             ApplicationGlobals.SearchSettings.ReplaceHistory.clear();
         }},
        {QStringLiteral("B"), [] { B.assign(1, ZeroCanvasRecord()); }},
        {QStringLiteral("SearchClear"), SearchClear},
        {QStringLiteral("DebugInitialize"), DebugInitialize},
        {QStringLiteral("UtilitiesInitialize"), UtilitiesInitialize},
        {QStringLiteral("FileInterfaceInit"), FileInterfaceInit},
        {QStringLiteral("CanvasOrderInitialize"), CanvasOrderInitialize},
        {QStringLiteral("HistoryClear"), HistoryClear},
        {QStringLiteral("CurrentFontColorState"), [] { CurrentFontColorState = FontColorState::Default; }},
        {QStringLiteral("CanvasSize"), [] { CanvasSize = CanvasSizeRecord::Default; }},
        {QStringLiteral("RS"), [] { RS = ReportSettingRecord::Default; }},
        {QStringLiteral("LO"), [] { LO = LayoutConstants::Default; }},
        {QStringLiteral("FontAndColorLoad"), FontAndColorLoad},
        {QStringLiteral("TagTableDefine"), TagTableDefine},
        {QStringLiteral("BoxListClear"), [] { BoxListClear(0); }},
        {QStringLiteral("CanvasSizeLoad"), CanvasSizeLoad},
        {QStringLiteral("ReportSettingApply"), ReportSettingApply},
        {QStringLiteral("AddOnMenuMake"), AddOnMenuMake},
    };
}

std::vector<LifecycleStep> DocumentShutdownSteps()
{
    return {
        {QStringLiteral("FileInterfaceTerm"), FileInterfaceTerm},
        {QStringLiteral("UtilitiesTerminate"), UtilitiesTerminate},
        {QStringLiteral("FontAndColorClear"), FontAndColorClear},
        {QStringLiteral("SearchTerminate"), SearchTerminate},
        {QStringLiteral("CanvasRelease"),
         [] {
             for (std::size_t c = 0; c < B.size(); ++c)
                 CanvasRelease(static_cast<std::int16_t>(c));
         }},
        {QStringLiteral("B"), [] { B.clear(); }},
        {QStringLiteral("AddOnRelease"), AddOnRelease},
        {QStringLiteral("CanvasOrderReset"), CanvasOrderReset},
        {QStringLiteral("PadTablesClear"), PadTablesClear},
        {QStringLiteral("BasicDefineTerminate"), BasicDefineTerminate},
        {QStringLiteral("DebugLogClose"), DebugLogClose},
    };
}

void LifecycleStepInsert(std::vector<LifecycleStep>& steps, const QString& after, LifecycleStep step)
{
    const auto at = std::find_if(steps.begin(), steps.end(), [&](const LifecycleStep& s) { return s.name == after; });
    if (at == steps.end())
        throw std::logic_error("no start-up step " + after.toStdString());
    steps.insert(at + 1, std::move(step));
}

} // namespace vellumora
