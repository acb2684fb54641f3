// The one reset of the program state between tests: whatever a test changes comes back as the
// program was started, so nothing leaks into the next test of the same program.
#include "support/ProgramState.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace vellumora;

TEST(ProgramState, TheResetPutsBackWhatATestChanged)
{
    struct Row {
        const char* why;
        std::function<void()> change;
        std::function<bool()> back;
    };
    const ApplicationGlobalsRecord globals = ApplicationGlobals;
    const std::size_t canvases = B.size();
    const LayoutConstants layout = LO;
    const std::int32_t historyIndex = History.HistoryIndex;
    const std::int16_t searchCursor = Search.SearchCanvasCursor;
    const Row rows[] = {
        {"the document's name and modify flag",
         [] {
             ApplicationGlobals.DocumentName = QStringLiteral("/nowhere/left.pad");
             ApplicationGlobals.ModifyFlag = !ApplicationGlobals.ModifyFlag;
         },
         [&] {
             return ApplicationGlobals.DocumentName == globals.DocumentName &&
                    ApplicationGlobals.ModifyFlag == globals.ModifyFlag;
         }},
        {"the canvas slots", [] { B.resize(B.size() + 3); }, [&] { return B.size() == canvases; }},
        {"a layout constant", [] { LO.blockHorizontalGap += 7; },
         [&] { return LO.blockHorizontalGap == layout.blockHorizontalGap; }},
        {"the search under way", [] { Search.SearchCanvasCursor = 5; },
         [&] { return Search.SearchCanvasCursor == searchCursor; }},
        {"the found box", [] { FoundBoxRect = {1, 2, 3, 4}; }, [] { return FoundBoxRect == ScreenRect{}; }},
        {"the undo history", [] { History.HistoryIndex = 9; }, [&] { return History.HistoryIndex == historyIndex; }},
        {"a print work file image", [] { ImageObjectCount = 12; }, [] { return ImageObjectCount == 0; }},
        {"a queued answer and the boxes shown",
         [] {
             platform::msgbox::QueueAnswer(platform::msgbox::Answer::Yes);
             platform::msgbox::ShownBoxes().push_back({});
         },
         [] { return platform::msgbox::ShownBoxes().empty(); }},
        {"a clock of the test's own", [] { platform::system::SetClock([] { return QDateTime(QDate(2001, 2, 3), {}); }); },
         [] { return platform::system::Now().date() != QDate(2001, 2, 3); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        row.change();
        testsupport::ProgramStateReset();
        EXPECT_TRUE(row.back());
    }
}

} // namespace
