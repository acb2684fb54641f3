#include "app/core/Processing.h"

#include "app/canvas/CanvasForm.h"
#include "app/diagram/TagTable.h"
#include "app/core/ApplicationGlobals.h"
#include "platform/msgbox/MsgBox.h"
#include "platform/vbrt/Error.h"
#include "support/ShellFakeServices.h"

#include "support/RaisedError.h"

#include <QComboBox>
#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <QDir>

#include <gtest/gtest.h>

#include <memory>

using namespace vellumora;
namespace mb = platform::msgbox;

namespace {

// Canvas slots 1..n with windows of their own; slot 0 is the print copy without one.
class CanvasSlots {
public:
    explicit CanvasSlots(int count)
    {
        B.assign(static_cast<std::size_t>(count) + 1, CanvasRecord{});
        for (int c = 1; c <= count; ++c) {
            auto form = std::make_unique<CanvasForm>();
            form->SetCanvasIndex(static_cast<std::int16_t>(c));
            B[c].form = form.get();
            B[c].header.state = CanvasState::Open;
            B[c].header.number = static_cast<std::int16_t>(c);
            forms_.push_back(std::move(form));
        }
    }
    ~CanvasSlots() { B.clear(); }
    CanvasForm& form(int c) { return *forms_.at(static_cast<std::size_t>(c - 1)); }

private:
    std::vector<std::unique_ptr<CanvasForm>> forms_;
};

class ProcessingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ApplicationGlobals = ApplicationGlobalsRecord::Default;
        SetMainWindowLink(&window_);
        mb::ShownBoxes().clear();
        mb::ClearQueue();
    }
    void TearDown() override
    {
        SetMainWindowLink(nullptr);
        CanvasForm::SetCanvasPainter({});
    }
    shell_test::FakeMainWindow window_;
};

TEST_F(ProcessingTest, ACommandThatRaisesStillEndsTheBusyState)
{
    CanvasSlots canvases(1);
    canvases.form(1).show();
    canvases.form(1).Form_Activate();  // ends the hold-off a new window starts with
    int paints = 0;
    CanvasForm::SetCanvasPainter([&](std::int16_t) { ++paints; });
    QWidget dialog;
    dialog.show();

    const bool ok = RunCommand(&dialog, [&] {
        EXPECT_FALSE(FormEnabled(&dialog));
        EXPECT_TRUE(ApplicationGlobals.PaintSuspended);
        canvases.form(1).Form_Paint();  // a paint arriving during the command is only noted
        EXPECT_EQ(paints, 0);
        ApplicationGlobals.DeferredInformation = QStringLiteral("保存しました。");
        platform::vbrt::Raise(QStringLiteral("Command"), QStringLiteral("書き込めません。"));
    });

    EXPECT_FALSE(ok);
    EXPECT_FALSE(ApplicationGlobals.PaintSuspended);
    EXPECT_EQ(paints, 1) << "the held-back paint is done once painting is released";
    EXPECT_TRUE(FormEnabled(&dialog));
    ASSERT_EQ(mb::ShownBoxes().size(), 1u) << "one box: the error hides the information";
    EXPECT_EQ(mb::ShownBoxes()[0].prompt, QStringLiteral("書き込めません。"));
    EXPECT_EQ(mb::ShownBoxes()[0].buttons, mb::Style::Critical);
    EXPECT_TRUE(ApplicationGlobals.DeferredError.isEmpty());
    EXPECT_TRUE(ApplicationGlobals.DeferredInformation.isEmpty());
    EXPECT_EQ(window_.events.first(), QStringLiteral("hourglass"));
    EXPECT_TRUE(window_.events.contains(QStringLiteral("timer on")));
    EXPECT_EQ(window_.events.last(), QStringLiteral("pointer"));
}

TEST_F(ProcessingTest, ProcessingEndShowsAtMostOneDeferredMessage)
{
    struct Row {
        const char* why;
        QString error;
        QString information;
        std::vector<std::int32_t> shown;
    };
    const Row rows[] = {
        {"both: only the error", QStringLiteral("e"), QStringLiteral("i"), {mb::Style::Critical}},
        {"information alone", {}, QStringLiteral("i"), {mb::Style::Information}},
        {"error alone", QStringLiteral("e"), {}, {mb::Style::Critical}},
        {"neither", {}, {}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        mb::ShownBoxes().clear();
        ProcessingStart(nullptr);
        ApplicationGlobals.DeferredError = row.error;
        ApplicationGlobals.DeferredInformation = row.information;
        ProcessingEnd(nullptr);
        std::vector<std::int32_t> shown;
        for (const mb::Shown& box : mb::ShownBoxes())
            shown.push_back(box.buttons);
        EXPECT_EQ(shown, row.shown);
        EXPECT_TRUE(ApplicationGlobals.DeferredError.isEmpty());
        EXPECT_TRUE(ApplicationGlobals.DeferredInformation.isEmpty());
        ProcessingEnd(nullptr);
        EXPECT_EQ(mb::ShownBoxes().size(), row.shown.size()) << "a deferred message is shown only once";
    }
}

TEST_F(ProcessingTest, ADisabledWindowTakesNoInputButIsNotGreyed)
{
    QWidget form;
    auto* button = new QPushButton(QStringLiteral("OK"), &form);
    QDialog dialog(&form);  // a window of its own, like the modeless search dialog
    auto* dialogButton = new QPushButton(QStringLiteral("次"), &dialog);
    form.show();
    dialog.show();
    int clicks = 0;
    int dialogClicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    QObject::connect(dialogButton, &QPushButton::clicked, [&] { ++dialogClicks; });

    ProcessingStart(&form);
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::mouseClick(dialogButton, Qt::LeftButton);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(dialogClicks, 1);
    EXPECT_TRUE(button->isEnabled());
    EXPECT_TRUE(form.isEnabled());

    ProcessingEnd(&form);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}

TEST_F(ProcessingTest, ADisabledWindowFiresNoShortcut)
{
    QWidget form;
    auto* edit = new QLineEdit(&form);
    auto* save = new QAction(&form);
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    form.addAction(save);
    int saves = 0;
    QObject::connect(save, &QAction::triggered, [&] { ++saves; });
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form, 30000));
    edit->setFocus();

    QTest::keyClick(edit, Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(saves, 1) << "the shortcut works while the window takes input";
    ProcessingStart(&form);
    QTest::keyClick(edit, Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_A);
    EXPECT_EQ(saves, 1);
    EXPECT_TRUE(edit->text().isEmpty());
    ProcessingEnd(&form);
}

// A command's end gives the focus back to the control of the window that had it, as the window
// coming back after a message box: a text field there is not entered anew, so it does not select
// what the user was typing for the next key to replace.
TEST_F(ProcessingTest, TheEndOfACommandGivesTheFocusBackWithoutEnteringTheFieldAnew)
{
    QWidget window;
    auto* form = new QWidget(&window); // a child window of the workspace, as a box editor is
    FormTagSet(form, QStringLiteral("M"));
    auto* field = new QLineEdit(form);
    auto* elsewhere = new QPushButton(QStringLiteral("OK"), &window);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window, 30000));
    field->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(FieldEntered(std::make_unique<QFocusEvent>(QEvent::FocusIn, Qt::TabFocusReason).get()));

    bool entered = false;
    struct Watch : QObject {
        bool& entered;
        explicit Watch(bool& e) : entered(e) {}
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::FocusIn)
                entered = FieldEntered(event);
            return false;
        }
    } watch(entered);
    field->installEventFilter(&watch);

    ProcessingStart(form);
    elsewhere->setFocus(); // where a message box took the focus
    ProcessingEnd(form);
    EXPECT_TRUE(field->hasFocus());
    EXPECT_FALSE(entered);
    field->removeEventFilter(&watch);
}

TEST_F(ProcessingTest, AWindowHiddenByItsCommandTakesInputOnceShownAgain)
{
    QWidget form;
    auto* button = new QPushButton(QStringLiteral("OK"), &form);
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    form.show();
    ProcessingStart(&form);
    form.hide();
    ProcessingEnd(&form);
    form.show();
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}

TEST_F(ProcessingTest, MenuCaptionsLoseTheirAccessKeys)
{
    struct Row {
        const char* why;
        QString caption;
        QString cleaned;
    };
    const Row rows[] = {
        {"a marker at the end", QStringLiteral("BOX編集(&E)"), QStringLiteral("BOX編集")},
        {"two parts, blanks around the colon", QStringLiteral("編集(&E) : 切り取り(&T)"), QStringLiteral("編集:切り取り")},
        {"a part that is only a marker", QStringLiteral("(&E)"), QStringLiteral("(&E)")},
        {"a key that is no ASCII letter or digit", QStringLiteral("表示(&ｱ)"), QStringLiteral("表示(&ｱ)")},
        {"a marker without ampersand", QStringLiteral("表示(V)"), QStringLiteral("表示")},
        {"an ellipsis keeps its marker", QStringLiteral("開く(&O)..."), QStringLiteral("開く(&O)...")},
        {"empty", QString(), QString()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(MenuCaptionClean(row.caption), row.cleaned);
    }
}

TEST_F(ProcessingTest, DocumentNameForms)
{
    struct Row {
        const char* why;
        QString name;
        QString path, display, savePath, fileName, fullName;
        bool opened;
    };
    const QString relative = QDir::current().absoluteFilePath(QStringLiteral("docs/a.pad"));
    const Row rows[] = {
        {"a path", QStringLiteral("/home/u/a.pad"), QStringLiteral("/home/u/a.pad"), QStringLiteral("/home/u/a.pad"),
         QStringLiteral("/home/u/a.pad"), QStringLiteral("a.pad"), QStringLiteral("/home/u/a.pad"), true},
        {"a path relative to the starting folder", QStringLiteral("docs/a.pad"), QStringLiteral("docs/a.pad"),
         QStringLiteral("docs/a.pad"), QStringLiteral("docs/a.pad"), QStringLiteral("a.pad"), relative, true},
        {"a new document", QStringLiteral("\t(新規追加)"), {}, QStringLiteral("(新規追加)"), {},
         QStringLiteral("(新規追加)"), QStringLiteral("(新規追加)"), true},
        {"a path, TAB and title", QStringLiteral("/tmp/w.tmp\t取込み"), QStringLiteral("/tmp/w.tmp"),
         QStringLiteral("取込み"), {}, QStringLiteral("取込み"), QStringLiteral("取込み"), true},
        {"a path and an empty title", QStringLiteral(" /tmp/w.tmp \t "), QStringLiteral("/tmp/w.tmp"),
         QStringLiteral("/tmp/w.tmp"), {}, QStringLiteral("w.tmp"), QStringLiteral("/tmp/w.tmp"), true},
        {"blanks only", QStringLiteral("   "), {}, {}, {}, {}, {}, false},
        {"empty", {}, {}, {}, {}, {}, {}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        ApplicationGlobals.DocumentName = row.name;
        EXPECT_EQ(DocumentPathPart(CurrentDocument), row.path);
        EXPECT_EQ(DocumentDisplayName(CurrentDocument), row.display);
        EXPECT_EQ(DocumentSavePath(CurrentDocument), row.savePath);
        EXPECT_EQ(DocumentPathPart(row.name), row.path) << "the text itself gives the same";
        EXPECT_EQ(DocumentFileName(false), row.fileName);
        EXPECT_EQ(DocumentFileName(true), row.fullName);
        EXPECT_EQ(DocumentOpened(), row.opened);
    }
}

TEST_F(ProcessingTest, StatusPanels)
{
    CanvasSlots canvases(3);
    ApplicationGlobals.DocumentName.clear();
    EditModeShow();
    EXPECT_EQ(window_.panels.value(QStringLiteral("EditMode")), QString());
    ApplicationGlobals.DocumentName = QStringLiteral("/a.txt");
    ApplicationGlobals.EditModeFlag = true;
    EditModeShow();
    EXPECT_EQ(window_.panels.value(QStringLiteral("EditMode")), QStringLiteral("編集ﾓｰﾄﾞ"));

    struct Row {
        const char* why;
        std::array<QString, 3> names;
        std::array<bool, 3> shown;
        QString text;
    };
    const Row rows[] = {
        {"one hidden canvas", {QStringLiteral("main"), QStringLiteral("b"), QStringLiteral("c")}, {false, true, true},
         QStringLiteral("'main'のｷｬﾝﾊﾞｽが非表示です。")},
        {"three hidden, only the second named", {QString(), QStringLiteral("sub"), QString()}, {false, false, false},
         QStringLiteral("'sub'、他2つのｷｬﾝﾊﾞｽが非表示です。")},
        {"two hidden, both unnamed", {QString(), QStringLiteral("b"), QString()}, {false, true, false},
         QStringLiteral("2つのｷｬﾝﾊﾞｽが非表示です。")},
        {"none hidden", {QString(), QString(), QString()}, {true, true, true}, QString()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        for (int c = 1; c <= 3; ++c) {
            B[c].header.name = row.names[c - 1];
            canvases.form(c).setVisible(row.shown[c - 1]);
        }
        UnVisibleCanvasShow();
        EXPECT_EQ(window_.panels.value(QStringLiteral("UnVisibleCanvas")), row.text);
    }

    ModalWindowShow(QStringLiteral("印刷設定"));
    EXPECT_EQ(window_.caption, QStringLiteral("印刷設定"));
    EXPECT_EQ(window_.panels.value(QStringLiteral("ModalWindow")), QStringLiteral("印刷設定"));
}

TEST_F(ProcessingTest, CanvasBookkeeping)
{
    CanvasSlots canvases(3);
    B[2].header.number = 7;

    EXPECT_EQ(CanvasCaptionMake(2, QStringLiteral("  main  ")), QStringLiteral("main:7"));
    EXPECT_EQ(CanvasCaptionMake(2, QStringLiteral("\t")), QStringLiteral("main:7")) << "a TAB keeps the name";
    EXPECT_EQ(B[2].header.name, QStringLiteral("main"));
    EXPECT_EQ(CanvasCaptionMake(2, QString()), QStringLiteral("(名前無し):7"));

    for (int c = 1; c <= 3; ++c)
        B[c].header.partsLock = -1;
    PartsLockSet(3, false);
    EXPECT_EQ(B[3].header.partsLock, 0);
    EXPECT_EQ(B[1].header.partsLock, -1) << "clearing one canvas leaves the others";
    PartsLockSet(2, true);
    EXPECT_EQ(B[1].header.partsLock, 0);
    EXPECT_EQ(B[2].header.partsLock, -1);
    PartsLockSet(0, true);
    EXPECT_EQ(B[2].header.partsLock, 0) << "canvas 0 clears every selection";

    B[1].BoxList.resize(3);
    B[1].SubList.resize(3);
    const BoxRecord box = B[1].BoxList[2];
    NewPageToggle(1, 2, -1);
    EXPECT_TRUE(B[1].BoxList[2].flags & BoxFlag::LowerPage);
    NewPageToggle(1, 2, -1);
    EXPECT_EQ(B[1].BoxList[2].flags, box.flags);
    NewPageToggle(1, -1, 1);
    EXPECT_TRUE(B[1].SubList[1].flags & SubFlag::RightPage);
    NewPageToggle(1, 0, 0);
    EXPECT_EQ(B[1].BoxList[2].flags, box.flags);

    B[1].header.windowState = 2;
    B[1].header.state = CanvasState::Closed;
    CanvasStateSet(1, CanvasState::Open);
    EXPECT_EQ(B[1].header.windowState, -1) << "opening a canvas unsets its window state";

    EXPECT_RAISES(CanvasDataGet(4), platform::vbrt::ErrorNumber::SubscriptOutOfRange);
    EXPECT_RAISES(BoxDataGet(1, 3), platform::vbrt::ErrorNumber::SubscriptOutOfRange);

    B[1].header.busyCount = 1;
    EXPECT_RAISES(CanvasBusyWait(1), platform::vbrt::ErrorNumber::Application);
    B[1].header.busyCount = 0;
    CanvasBusyWait(1);

    PR.TagAttributeTable = {{QStringLiteral("Obstinate1"), 0x4000}, {QStringLiteral("Obstinate2"), 0x8000}};
    EXPECT_EQ(ObstinateGet(1), 0x8000);
    EXPECT_EQ(ObstinateGet(4), 0);
    PR.TagAttributeTable.clear();
}

TEST_F(ProcessingTest, InputTextLimits)
{
    PR.TagTable = {{QStringLiteral("&&process"), 5, TagAttribute::LargeText, QStringLiteral("処理")},
                   {QStringLiteral("&&label"), 14, TagAttribute::SmallText, QStringLiteral("ﾗﾍﾞﾙ")},
                   {QStringLiteral("&&input"), 7, 0, QStringLiteral("入力")}};
    const auto lines = [](int count, int length) {
        QStringList list;
        for (int i = 0; i < count; ++i)
            list << QString(length, QLatin1Char('x'));
        return list.join(QStringLiteral("\r\n"));
    };
    struct Row {
        const char* why;
        QString text;
        std::int32_t tagId, maxChars, maxLines;
        QString message;  // empty: accepted
    };
    const Row rows[] = {
        {"large text: 200 lines of 500", lines(200, 500), 5, 0, 0, {}},
        {"large text: 201 lines", lines(201, 1), 5, 0, 0,
         QStringLiteral("処理の入力ﾃｷｽﾄは 200行以内、1行の文字数は 500文字以内として下さい。")},
        {"a closing CR LF is one more, empty line", lines(200, 1) + QStringLiteral("\r\n"), 5, 0, 0,
         QStringLiteral("処理の入力ﾃｷｽﾄは 200行以内、1行の文字数は 500文字以内として下さい。")},
        {"small text: a line one too long", lines(1, 51), 14, 0, 0,
         QStringLiteral("ﾗﾍﾞﾙの入力ﾃｷｽﾄは 3行以内、1行の文字数は 50文字以内として下さい。")},
        {"plain box: 20 lines", lines(20, 500), 7, 0, 0, {}},
        {"a Japanese character counts one", QString(50, QChar(0x6F22)), 0, 50, 1, {}},
        {"explicit limits and no prefix", QStringLiteral("a\r\nb"), 5, 50, 1,
         QStringLiteral("入力ﾃｷｽﾄは 1行以内、1行の文字数は 50文字以内として下さい。")},
        {"an empty text has no lines", QString(), 0, 1, 1, {}},
        {"a character without a Shift_JIS form", QStringLiteral("集計\r\n返金 \U0001F600"), 5, 0, 0,
         QStringLiteral("処理の入力ﾃｷｽﾄに Shift_JIS で表せない文字があります。")},
        {"half-width kana and full-width signs have one", QStringLiteral("ｶﾅ ＜＞ ①"), 0, 50, 1, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        mb::ShownBoxes().clear();
        EXPECT_EQ(InputTextCheck(row.text, row.tagId, row.maxChars, row.maxLines), !row.message.isEmpty());
        if (row.message.isEmpty()) {
            EXPECT_TRUE(mb::ShownBoxes().empty());
        } else {
            ASSERT_EQ(mb::ShownBoxes().size(), 1u);
            EXPECT_EQ(mb::ShownBoxes()[0].prompt, row.message);
            EXPECT_EQ(mb::ShownBoxes()[0].title, QStringLiteral("Vellumora"));
        }
    }
    PR.TagTable.clear();
}

TEST_F(ProcessingTest, DialogKeys)
{
    QWidget form;
    form.move(100, 100);
    form.show();
    const QPoint start = form.pos();

    int key = Qt::Key_Left;
    DialogKeyDown(key, Qt::ControlModifier | Qt::ShiftModifier, &form);
    EXPECT_EQ(key, Qt::Key_Left);
    EXPECT_EQ(form.pos(), start);

    DialogKeyDown(key, Qt::ControlModifier, &form);
    EXPECT_EQ(key, 0);
    EXPECT_EQ(form.pos(), start - QPoint(7, 0)) << "100 twips at 15 twips a pixel";

    key = Qt::Key_F4;
    DialogKeyDown(key, Qt::ControlModifier, &form);
    EXPECT_EQ(key, Qt::Key_F4);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(ProcessingTest, ComboListsSelectTheCurrentEntry)
{
    ApplicationGlobals.FontNameList = {QStringLiteral("標準"), QStringLiteral("ＭＳ ゴシック"), QStringLiteral("ＭＳ 明朝"),
                                       QStringLiteral("ＭＳ 明朝")};
    QComboBox combo;
    FontNameComboSet(&combo, false, QString());
    EXPECT_EQ(combo.count(), 3);
    EXPECT_EQ(combo.currentIndex(), -1) << "no default entry listed: nothing selected";
    FontNameComboSet(&combo, true, QString());
    EXPECT_EQ(combo.currentText(), QStringLiteral("標準"));
    FontNameComboSet(&combo, true, QStringLiteral("ＭＳ 明朝"));
    EXPECT_EQ(combo.currentIndex(), 3) << "of equal entries the last is selected";

    ApplicationGlobals.ColorTable = {{QStringLiteral("Default"), QStringLiteral("標準"), 0, 0, 0, -1},
                                     {QStringLiteral("Red"), QStringLiteral("赤"), 255, 0, 0, 255}};
    ColorComboSet(&combo, true, QStringLiteral("赤"));
    EXPECT_EQ(combo.currentText(), QStringLiteral("赤"));
    EXPECT_EQ(combo.currentData().toInt(), 255);
}

} // namespace
