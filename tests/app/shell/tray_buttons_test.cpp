// The 更新 and 取消 buttons every Tray dialog shares: Enter in the dialog's first field presses
// 更新 and confirms (in the zoom dialog's text it starts a new line instead), 取消 cancels.
#include "../canvas/edits_support.h"

#include "app/dialogs/CanvasColor.h"
#include "app/dialogs/CanvasNameSetting.h"
#include "app/dialogs/FontSetting.h"
#include "app/dialogs/FrameSetting.h"
#include "app/dialogs/ZoomScreen.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

namespace edits_test {
namespace {

struct Dialog {
    std::unique_ptr<TrayDialog> dialog;
    QPushButton* update;
    QPushButton* cancel;
    QWidget* firstField;
};

// The dialog with its Tray members preset by prepare to values 更新 accepts.
template <typename D, typename Field>
Dialog Make(Field D::*field, const std::function<void(D&)>& prepare)
{
    auto* d = new D;
    prepare(*d);
    return {std::unique_ptr<TrayDialog>(d), d->cmdUpdate, d->cmdCancel, d->*field};
}

class TrayButtonsTest : public EditsTest {
protected:
    void SetUp() override
    {
        EditsTest::SetUp();
        ApplicationGlobals.FontNameList = {QStringLiteral("標準"), QStringLiteral("IPAGothic")};
        ApplicationGlobals.FontSizeList = {QStringLiteral("標準"), QStringLiteral("9")};
        ApplicationGlobals.ColorTable = {{QStringLiteral("Default"), QStringLiteral("標準"), 0, 0, 0, -1},
                                         {QStringLiteral("Red"), QStringLiteral("赤"), 255, 0, 0, 0xFF}};
    }
};

TEST_F(TrayButtonsTest, EnterInTheFirstFieldConfirmsAndCancelCancels)
{
    struct Row {
        const char* why;
        std::function<Dialog()> make;
        bool enterConfirms;
    };
    const Row rows[] = {
        {"canvas colour",
         [] { return Make<CanvasColor>(&CanvasColor::cmbColor, [](CanvasColor& d) { d.TrayCanvasColor = "赤"; }); },
         true},
        {"canvas name",
         [] {
             return Make<CanvasNameSetting>(&CanvasNameSetting::txtCanvasName,
                                            [](CanvasNameSetting& d) { d.TrayCanvasName = "名前"; });
         },
         true},
        {"frame colour",
         [] { return Make<FrameSetting>(&FrameSetting::cmbColor, [](FrameSetting& d) { d.TrayFrameColor = "赤"; }); },
         true},
        {"font",
         [] {
             return Make<FontSetting>(&FontSetting::cmbFontName, [](FontSetting& d) {
                 d.TrayFontName = "IPAGothic";
                 d.TrayFontSize = "9";
                 d.TrayColor = "赤";
             });
         },
         true},
        {"zoom text", [] { return Make<ZoomScreen>(&ZoomScreen::txtZoomEditor, [](ZoomScreen&) {}); }, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        Dialog d = row.make();
        ASSERT_EQ(d.update->text(), QStringLiteral("更新"));
        ASSERT_EQ(d.cancel->text(), QStringLiteral("取消"));
        QSignalSpy pressed(d.update, &QPushButton::clicked);
        bool leftOpen = false;
        QTimer::singleShot(0, d.dialog.get(), [&] {
            d.firstField->setFocus();
            QTest::keyClick(d.firstField, Qt::Key_Return);
            leftOpen = d.dialog->isVisible();
            if (leftOpen)
                d.cancel->click();
        });
        d.dialog->exec();
        EXPECT_EQ(pressed.count(), row.enterConfirms ? 1 : 0);
        EXPECT_EQ(leftOpen, !row.enterConfirms);
        EXPECT_EQ(d.dialog->TrayCancel, !row.enterConfirms);
        EXPECT_FALSE(d.dialog->isVisible());
    }
}

} // namespace
} // namespace edits_test
