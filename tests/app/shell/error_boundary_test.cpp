// Every handler is an error boundary: whatever a paint handler or a command throws, the program's
// own errors or any other exception, ends in one error box and leaves the program running with
// its busy state ended.
#include "../canvas/canvas_windows.h"

#include "app/canvas/CanvasForm.h"
#include "app/core/Processing.h"
#include "platform/msgbox/MsgBox.h"
#include "platform/vbrt/Error.h"

#include <QTest>

#include <stdexcept>

namespace paddraw_test {
namespace {

class ErrorBoundaryTest : public PadDrawTest {
protected:
    void SetUp() override
    {
        PadDrawTest::SetUp();
        ApplicationGlobals.PaintSuspended = false;
        open(document(QStringLiteral("chart.txt"), DocumentLines(RoutineLines(QStringLiteral("Routine"), QStringLiteral("text")))));
        PadDrawRefresh(-1);
        form().Form_Activate();
        platform::msgbox::ShownBoxes().clear();
    }
    void TearDown() override
    {
        CanvasForm::SetCanvasPainter({});
        PadDrawTest::TearDown();
    }
    static CanvasForm& form() { return *CanvasWindowOf(Canvas(1)); }
    static QStringList Prompts() { return platform::msgbox::ShownPrompts(); }
};

TEST_F(ErrorBoundaryTest, AForeignExceptionFromAPaintHandlerEndsInOneErrorBoxAfterThePaint)
{
    int calls = 0;
    CanvasForm::SetCanvasPainter([&](std::int16_t) {
        if (++calls == 1)
            throw std::runtime_error("painter broke");
    });
    form().SetAutoRedraw(false);
    form().Cls();
    form().grab();
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(Prompts().isEmpty()) << "no box from inside a paint";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Prompts().isEmpty(); }, 30000));
    EXPECT_EQ(Prompts(), QStringList{QStringLiteral("painter broke")});
    EXPECT_EQ(form().Painting(), 0);
    EXPECT_TRUE(ApplicationGlobals.DeferredError.isEmpty());

    // The program goes on: the next paint works again.
    form().PaintEventRelease(true);
    EXPECT_GE(calls, 2);
    EXPECT_EQ(Prompts().size(), 1);
}

TEST_F(ErrorBoundaryTest, ACommandEndsItsBusyStateWhateverItThrows)
{
    struct Row {
        const char* why;
        std::function<void()> command;
        QString prompt;
    };
    const std::vector<Row> rows = {
        {"the program's own error", [] { throw platform::vbrt::Error(-2147220991, QStringLiteral("Cmd"), QStringLiteral("自前のｴﾗｰ")); },
         QStringLiteral("自前のｴﾗｰ")},
        {"a standard exception", [] { throw std::logic_error("logic broke"); }, QStringLiteral("logic broke")},
        {"anything else", [] { throw 42; }, QStringLiteral("予期しないエラーが発生しました。")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        platform::msgbox::ShownBoxes().clear();
        EXPECT_FALSE(RunCommand(&form(), row.command));
        EXPECT_EQ(Prompts(), QStringList{row.prompt});
        EXPECT_FALSE(ApplicationGlobals.PaintSuspended) << "painting released";
        EXPECT_TRUE(FormEnabled(&form())) << "the window takes input again";
    }
    EXPECT_TRUE(RunCommand(&form(), [] {}));
}

} // namespace
} // namespace paddraw_test
