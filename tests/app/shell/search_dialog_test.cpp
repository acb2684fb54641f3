// The search and replace dialog driven offscreen over the main window: searching, replacing one
// match and all of them, resetting, the histories, and where the dialog steps aside to.
#include "app/canvas/HistoryControl.h"
#include "app/diagram/CanvasSlide.h"
#include "app/diagram/SearchEngine.h"
#include "app/dialogs/SearchReplace.h"
#include "baseform_support.h"
#include "platform/richtext/RichTextBox.h"
#include "../diagram/search_fixture.h"
#include "../diagram/slide_steps.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QTimer>
#include <QPushButton>
#include <QRadioButton>

#include <functional>
#include <utility>

namespace search_test {
namespace {

using namespace baseform_test;

const QString SearchEnded = QStringLiteral("検索が終了しました。");

// Counts the paints a window receives.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

class SearchDialogTest : public BaseFormTest {
protected:
    void SetUp() override
    {
        BaseFormTest::SetUp();
        ApplicationGlobals.SearchSettings = SearchSettingsRecord::Default;
        showActive();
        cd::QueueFileName(WriteDocument(QDir(files_.path()).filePath(QStringLiteral("two.txt")), TwoCanvasLines()));
        form().Menu_FileOpen_Click();
        ASSERT_EQ(B.size(), 3u);
        original_ = DocumentText();
    }
    void TearDown() override
    {
        if (dialog_)
            dialog_->cmdCancel_Click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        BaseFormTest::TearDown();
    }

    // Opens the dialog as the main window's Search or Replace command does.
    SearchReplace& dialog(bool replace)
    {
        if (replace)
            form().Menu_EditReplace_Click();
        else
            form().Menu_EditSearch_Click();
        dialog_ = form().findChild<SearchReplace*>();
        EXPECT_TRUE(dialog_);
        QApplication::setActiveWindow(dialog_);
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog_, 30000));
        return *dialog_;
    }

    // Types a text into one of the dialog's text lists.
    void type(QComboBox* list, const QString& text)
    {
        list->setFocus();
        list->clearEditText();
        QTest::keyClicks(list->lineEdit(), text);
    }
    // Puts a text in as one paste: typing sends a character outside the basic plane in halves.
    void paste(QComboBox* list, const QString& text)
    {
        list->setFocus();
        list->setEditText(text);
    }

    static QString Shown()
    {
        const SearchMatchRecord& m = Search.SearchCurrentMatch;
        return QStringLiteral("%1:%2:%3 %4:%5").arg(m.Canvas).arg(m.Box).arg(m.Sub).arg(m.FirstIndex).arg(m.Length);
    }

    // Where the dialog's frame is, and the screen's size, in twips.
    static QRect FrameTwips(const QWidget& w)
    {
        const QRect f = w.frameGeometry();
        return {Twips(f.x()), Twips(f.y()), Twips(f.width()), Twips(f.height())};
    }
    static QSize ScreenTwips(const QWidget& w)
    {
        const QSize s = w.screen()->geometry().size();
        return {Twips(s.width()), Twips(s.height())};
    }
    static QRect FoundTwips() { return {FoundBoxRect.Left, FoundBoxRect.Top, FoundBoxRect.Width, FoundBoxRect.Height}; }
    static int Twips(int pixels) { return pixels * platform::vbrt::TwipsPerPixel; }
    static QPoint Pixels(const QPoint& twips)
    {
        return {twips.x() / platform::vbrt::TwipsPerPixel, twips.y() / platform::vbrt::TwipsPerPixel};
    }

    // The canvas windows from the back to the front.
    std::vector<std::string> stacking()
    {
        std::vector<std::string> order;
        for (QMdiSubWindow* sub : form().workspace->subWindowList(QMdiArea::StackingOrder))
            if (sub->isVisible())
                order.push_back(sub->windowTitle().toStdString());
        return order;
    }

    slide_test::StepsByHand byHand_;
    QPointer<SearchReplace> dialog_;
    QString original_;
};

TEST_F(SearchDialogTest, SearchesReplacesOneAndAllAsOneUndoStepThenResets)
{
    SearchReplace& d = dialog(false);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("検索"));
    EXPECT_FALSE(d.cmbReplaceText->isEnabled());
    EXPECT_TRUE(form().SearchReplaceShow);

    type(d.cmbSearchText, QStringLiteral("apple"));
    d.chkMatchWord->click();
    QTest::mouseClick(d.cmdSearch, Qt::LeftButton);
    EXPECT_EQ(Shown(), "1:1:-1 6:5");
    EXPECT_TRUE(form().windowTitle().endsWith(QStringLiteral(" - apple [検索] 処理中"))) << form().windowTitle().toStdString();
    EXPECT_EQ(ApplicationGlobals.SearchSettings.SearchHistory, QStringList{"apple"}) << "the text left its list";
    EXPECT_TRUE(B[1].form->rtxBox.Visible());
    QTest::mouseClick(d.cmdSearch, Qt::LeftButton);
    EXPECT_EQ(Shown(), "1:2:-1 4:5") << "unchanged conditions continue the search";

    QTest::mouseClick(d.cmdReplace, Qt::LeftButton); // the first press switches replace mode on
    EXPECT_TRUE(d.cmbReplaceText->isEnabled());
    EXPECT_EQ(d.windowTitle(), QStringLiteral("置換"));
    EXPECT_EQ(Shown(), "1:2:-1 4:5");
    type(d.cmbReplaceText, QStringLiteral("plum"));
    QTest::mouseClick(d.cmdReplace, Qt::LeftButton);
    EXPECT_EQ(Shown(), "1:2:-1 14:5") << "the next match is shown where the replacement moved it";
    EXPECT_EQ(B[1].BoxList[2].text.text, QStringLiteral("one plum\r\ntwo Apple"));
    EXPECT_TRUE(GetModifyFlag());

    QTest::mouseClick(d.cmdReplaceAll, Qt::LeftButton);
    EXPECT_FALSE(SearchFound());
    EXPECT_EQ(DocumentText().toStdString(),
              "Alpha apple|one plum\r\ntwo Apple|each applet|kind|eat|pear redo|red plum|green|Beta|"
              "ａｐｐｌｅは林檎|pineapple plum")
        << "the match shown before is kept; every later one is replaced";
    EXPECT_TRUE(prompts().empty()) << "Replace All ends without a message";

    QTest::mouseClick(d.cmdReset, Qt::LeftButton);
    EXPECT_EQ(d.cmbSearchText->currentText(), QString());
    EXPECT_FALSE(d.chkMatchWord->isChecked());
    EXPECT_FALSE(d.cmbReplaceText->isEnabled()) << "Reset returns to the mode the dialog opened in";
    EXPECT_EQ(ApplicationGlobals.SearchSettings.SearchHistory, QStringList{"apple"});

    d.cmdCancel_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(dialog_);
    EXPECT_FALSE(form().SearchReplaceShow);
    EXPECT_TRUE(FormEnabled(&form())) << "the main window takes the lead back";
}

TEST_F(SearchDialogTest, ReplaceAllIsOneUndoStep)
{
    SearchReplace& d = dialog(true);
    type(d.cmbSearchText, QStringLiteral("apple"));
    type(d.cmbReplaceText, QStringLiteral("plum"));
    QTest::mouseClick(d.cmdReplaceAll, Qt::LeftButton);
    ASSERT_NE(DocumentText(), original_);
    d.cmdCancel_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    form().Menu_EditUndo_Click();
    EXPECT_EQ(DocumentText().toStdString(), original_.toStdString());
    EXPECT_FALSE(HistoryCanUndo());
}

TEST_F(SearchDialogTest, ALineBreakPastedIntoATextIsABlankAndReplaceAllKeepsTheDocumentWhole)
{
    SearchReplace& d = dialog(true);
    const auto pasteIn = [](QComboBox* list, const QString& text) {
        list->setFocus();
        list->clearEditText();
        QGuiApplication::clipboard()->setText(text);
        list->lineEdit()->paste();
    };
    const std::pair<const char*, QString> pasted[] = {
        {"LF", QStringLiteral("a\nb")}, {"CR", QStringLiteral("a\rb")}, {"CR LF", QStringLiteral("a\r\nb")},
        {"TAB", QStringLiteral("a\tb")}};
    for (QComboBox* list : {d.cmbSearchText, d.cmbReplaceText}) {
        for (const auto& [why, text] : pasted) {
            SCOPED_TRACE(why);
            pasteIn(list, text);
            EXPECT_EQ(list->currentText(), QStringLiteral("a b"));
        }
    }

    type(d.cmbSearchText, QStringLiteral("apple"));
    pasteIn(d.cmbReplaceText, QStringLiteral("plum\n#1"));
    QTest::mouseClick(d.cmdReplaceAll, Qt::LeftButton);
    const QString replaced = DocumentText();
    EXPECT_TRUE(replaced.contains(QStringLiteral("red plum #1"))) << replaced.toStdString();
    d.cmdCancel_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    const QString saved = QDir(files_.path()).filePath(QStringLiteral("saved.txt"));
    cd::QueueFileName(saved);
    form().Menu_FileSaveNamed_Click();
    cd::QueueFileName(saved);
    form().Menu_FileOpen_Click();
    EXPECT_TRUE(prompts().empty()) << prompts().front().toStdString();
    EXPECT_EQ(DocumentText().toStdString(), replaced.toStdString()) << "the saved document opens whole";
}

TEST_F(SearchDialogTest, NoMoreMatchesEndsTheSearchWithItsMessage)
{
    SearchReplace& d = dialog(false);
    type(d.cmbSearchText, QStringLiteral("pear"));
    QTest::mouseClick(d.cmdSearch, Qt::LeftButton);
    EXPECT_TRUE(SearchFound());
    // As on the desktop, the box takes the activation while it is open and hands it back to the
    // window it belongs to.
    mb::SetShownHandler([](const mb::Shown&) { QApplication::setActiveWindow(nullptr); });
    QTest::mouseClick(d.cmdSearch, Qt::LeftButton);
    EXPECT_FALSE(SearchFound());
    EXPECT_EQ(prompts(), std::vector<QString>{SearchEnded});
    EXPECT_EQ(B[1].BoxList[7].text.flags & 1, 1) << "the text of the last match is drawn again";
    ASSERT_EQ(mb::ShownBoxes().size(), 1u);
    EXPECT_EQ(mb::ShownBoxes().front().owner, &d) << "the message belongs to the dialog";
    QApplication::setActiveWindow(mb::ShownBoxes().front().owner);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d, 30000));

    // The dialog takes the keys again: Esc closes it.
    ASSERT_TRUE(QApplication::focusWidget() && d.isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(dialog_ && dialog_->isVisible());
}

TEST_F(SearchDialogTest, AnUnusablePatternFindsNothingAndReplacesNothing)
{
    SearchReplace& d = dialog(true);
    type(d.cmbSearchText, QStringLiteral("(apple"));
    d.chkPatternMatching->click();
    type(d.cmbReplaceText, QStringLiteral("x"));
    QTest::mouseClick(d.cmdSearch, Qt::LeftButton);
    EXPECT_EQ(prompts(), std::vector<QString>{SearchEnded});

    QTest::mouseClick(d.cmdReplaceAll, Qt::LeftButton);
    EXPECT_EQ(DocumentText(), original_);
    EXPECT_FALSE(GetModifyFlag()) << "nothing replaced: the document is not modified";
    EXPECT_FALSE(HistoryCanUndo()) << "and no undo step was taken";
}

TEST_F(SearchDialogTest, ReplaceWithoutASearchAndABlankSearchTextAreRefused)
{
    SearchReplace& d = dialog(true);
    QTest::mouseClick(d.cmdReplace, Qt::LeftButton);
    QTest::mouseClick(d.cmdSearch, Qt::LeftButton);
    EXPECT_EQ(d.focusWidget(), d.cmbSearchText) << "the focus waits in the field to fill in";
    type(d.cmbSearchText, QStringLiteral("apple"));
    QTest::mouseClick(d.cmdReplace, Qt::LeftButton);
    EXPECT_EQ(prompts(), (std::vector<QString>{QStringLiteral("検索文字列を指定して下さい。"),
                                               QStringLiteral("検索文字列を指定して下さい。"),
                                               QStringLiteral("先に検索を行って下さい。")}));
    EXPECT_FALSE(GetModifyFlag());
}

TEST_F(SearchDialogTest, ChangingAConditionDrawsTheShownTextAgainAndStartsAfresh)
{
    SearchReplace& d = dialog(false);
    type(d.cmbSearchText, QStringLiteral("apple"));
    QTest::mouseClick(d.cmdSearch, Qt::LeftButton);
    QTest::mouseClick(d.cmdSearch, Qt::LeftButton);
    ASSERT_EQ(Shown(), "1:2:-1 4:5");
    ASSERT_EQ(B[1].BoxList[2].text.flags & 1, 0);

    d.optSearchRange[1]->click(); // only the range changes
    QTest::mouseClick(d.cmdSearch, Qt::LeftButton);
    EXPECT_EQ(Shown(), "1:1:-1 6:5") << "a new search from the first canvas";
    EXPECT_EQ(B[1].BoxList[2].text.flags & 1, 1) << "the text shown before is drawn again";
}

TEST_F(SearchDialogTest, SlidesAsideFromTheFoundBoxAndANextPressDuringTheSlideTurnsIt)
{
    // The routine box first, then the loop box below it and to its right.
    SearchReplace& d = dialog(false);
    const auto search = [&] {
        type(d.cmbSearchText, QStringLiteral("Alpha|each"));
        d.chkPatternMatching->setChecked(true);
        QTest::mouseClick(d.cmdSearch, Qt::LeftButton);
    };
    search();
    slide_test::StepsUntilStill(&d);
    ASSERT_FALSE(SlideRunning(&d));
    const QRect first = FoundTwips();
    ASSERT_FALSE(first.isEmpty());

    // The same first box found again with the dialog lying over it.
    const auto overTheBoxAgain = [&] {
        QTest::mouseClick(d.cmdReset, Qt::LeftButton);
        d.move(Pixels(first.topLeft()));
        const std::optional<QPoint> target = DialogPlaceTarget(FrameTwips(d), first, ScreenTwips(d));
        search();
        EXPECT_EQ(FoundTwips(), first);
        return target;
    };

    const std::optional<QPoint> aside = overTheBoxAgain();
    ASSERT_TRUE(aside);
    EXPECT_TRUE(SlideRunning(&d)) << "the dialog slides, it does not jump";
    EXPECT_NE(d.frameGeometry().topLeft(), Pixels(*aside));
    slide_test::StepsUntilStill(&d);
    ASSERT_FALSE(SlideRunning(&d));
    EXPECT_EQ(d.frameGeometry().topLeft(), Pixels(*aside));
    EXPECT_FALSE(FrameTwips(d).intersects(first));

    // Next pressed while the dialog is still on its way to beside the first box, where it would
    // cover the second: it turns to beside the second box.
    ASSERT_EQ(overTheBoxAgain(), aside);
    ASSERT_TRUE(SlideRunning(&d));
    QTest::mouseClick(d.cmdSearch, Qt::LeftButton);
    const QRect second = FoundTwips();
    ASSERT_NE(second, first);
    const QRect heading(*aside, FrameTwips(d).size());
    ASSERT_TRUE(heading.intersects(second));
    const std::optional<QPoint> turned = DialogPlaceTarget(heading, second, ScreenTwips(d));
    ASSERT_TRUE(turned);
    slide_test::StepsUntilStill(&d);
    ASSERT_FALSE(SlideRunning(&d));
    EXPECT_EQ(d.frameGeometry().topLeft(), Pixels(*turned));
    EXPECT_FALSE(FrameTwips(d).intersects(second));
}

TEST_F(SearchDialogTest, ReplaceAllKeepsTheCanvasWindowsInTheirOrderAndTheMainWindowWaiting)
{
    const std::vector<std::string> order = stacking();
    ASSERT_EQ(order.size(), 2u);
    SearchReplace& d = dialog(true);
    type(d.cmbSearchText, QStringLiteral("apple"));
    type(d.cmbReplaceText, QStringLiteral("plum"));
    QTest::mouseClick(d.cmdReplaceAll, Qt::LeftButton);
    ASSERT_NE(DocumentText(), original_);
    EXPECT_EQ(stacking(), order) << "the matches brought both canvases forward in turn";
    EXPECT_FALSE(FormEnabled(&form())) << "the main window waits for the dialog to close";
    EXPECT_TRUE(form().windowTitle().endsWith(QStringLiteral(" - [置換] 編集中")))
        << "the search it started has ended: " << form().windowTitle().toStdString();
}

TEST_F(SearchDialogTest, TextsWithoutAShiftJisFormAreRefusedBeforeAnythingChanges)
{
    const QString searchRefused = QStringLiteral("検索文字列に Shift_JIS で表せない文字があります。");
    const QString replaceRefused = QStringLiteral("置換文字列に Shift_JIS で表せない文字があります。");
    struct Row {
        const char* why;
        QString search;
        QString replacement;
        QString message; // empty: accepted
    };
    const Row rows[] = {
        {"an emoji to replace with", QStringLiteral("apple"), QStringLiteral("pie \U0001F967"), replaceRefused},
        {"a letter outside the code page", QStringLiteral("apple"), QStringLiteral("\u00E9clair"), replaceRefused},
        {"an emoji to search for", QStringLiteral("apple\U0001F34E"), QStringLiteral("plum"), searchRefused},
        {"full-width Japanese", QStringLiteral("apple"), QStringLiteral("ｐｌｕｍ林檎ｶﾀｶﾅ"), QString()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        SearchReplace& d = dialog(true);
        paste(d.cmbSearchText, row.search);
        paste(d.cmbReplaceText, row.replacement);
        mb::ShownBoxes().clear();
        QTest::mouseClick(d.cmdReplaceAll, Qt::LeftButton);
        if (row.message.isEmpty()) {
            EXPECT_TRUE(prompts().empty());
            EXPECT_TRUE(DocumentText().contains(row.replacement));
            EXPECT_TRUE(HistoryCanUndo());
        } else {
            EXPECT_EQ(prompts(), std::vector<QString>{row.message});
            EXPECT_EQ(DocumentText(), original_);
            EXPECT_FALSE(GetModifyFlag());
            EXPECT_FALSE(HistoryCanUndo());
            EXPECT_FALSE(SearchFound()) << "no search was started";
            EXPECT_EQ(d.focusWidget(), row.message == searchRefused ? d.cmbSearchText : d.cmbReplaceText);
        }
        d.cmdCancel_Click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(SearchDialogTest, ReplacingAShownMatchWithATextWithoutAShiftJisFormIsRefused)
{
    SearchReplace& d = dialog(true);
    type(d.cmbSearchText, QStringLiteral("apple"));
    QTest::mouseClick(d.cmdSearch, Qt::LeftButton);
    const QString shown = Shown();
    paste(d.cmbReplaceText, QStringLiteral("\U0001F967"));
    QTest::mouseClick(d.cmdReplace, Qt::LeftButton);
    EXPECT_EQ(prompts(), std::vector<QString>{QStringLiteral("置換文字列に Shift_JIS で表せない文字があります。")});
    EXPECT_EQ(DocumentText(), original_);
    EXPECT_FALSE(GetModifyFlag());
    EXPECT_FALSE(HistoryCanUndo());
    EXPECT_EQ(Shown(), shown) << "the match stays on display for another replacement";
    EXPECT_EQ(d.focusWidget(), d.cmbReplaceText);
}

TEST_F(SearchDialogTest, ClosingLaysOutAReplacementMadeBeforeReplaceModeWasSwitchedOnAgain)
{
    const std::int32_t width = B[1].BoxList[1].sizeP.xw;
    SearchReplace& d = dialog(false);
    QTest::mouseClick(d.cmdReplace, Qt::LeftButton);
    type(d.cmbSearchText, QStringLiteral("apple"));
    QTest::mouseClick(d.cmdSearch, Qt::LeftButton);
    ASSERT_EQ(Shown(), "1:1:-1 6:5");
    type(d.cmbReplaceText, QStringLiteral("apples and pears and plums"));
    QTest::mouseClick(d.cmdReplace, Qt::LeftButton);
    ASSERT_EQ(B[1].BoxList[1].text.text, QStringLiteral("Alpha apples and pears and plums"));
    QTest::mouseClick(d.cmdReset, Qt::LeftButton);
    QTest::mouseClick(d.cmdReplace, Qt::LeftButton);
    ASSERT_TRUE(d.cmbReplaceText->isEnabled());
    EXPECT_EQ(B[1].BoxList[1].sizeP.xw, width) << "a single replacement lays nothing out";

    d.cmdCancel_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_GT(B[1].BoxList[1].sizeP.xw, width) << "the box grew with its text";
}

TEST_F(SearchDialogTest, TheHistoryKeepsEachTextOnceNewestFirstAndAtMost51)
{
    QStringList history;
    for (int i = 0; i < 51; ++i)
        history << QStringLiteral("t%1").arg(i);
    ApplicationGlobals.SearchSettings.SearchHistory = history;
    SearchReplace& d = dialog(false);
    type(d.cmbSearchText, QStringLiteral("t2"));
    d.cmdSearch->setFocus();
    const QStringList& now = ApplicationGlobals.SearchSettings.SearchHistory;
    EXPECT_EQ(now.size(), 51);
    EXPECT_EQ(now.mid(0, 4), (QStringList{"t2", "t0", "t1", "t3"}));
    type(d.cmbSearchText, QStringLiteral("new"));
    d.cmdSearch->setFocus();
    EXPECT_EQ(now.size(), 51);
    EXPECT_EQ(now.front(), QStringLiteral("new"));
    EXPECT_EQ(now.back(), QStringLiteral("t49"));
    EXPECT_EQ(d.cmbSearchText->count(), 51);
    EXPECT_EQ(d.cmbSearchText->currentText(), QStringLiteral("new"));
}

TEST_F(SearchDialogTest, SearchNextOfTheMainWindowGoesOnWithTheStoredConditions)
{
    ApplicationGlobals.SearchSettings.SearchText = QStringLiteral("APPLE");
    ApplicationGlobals.SearchSettings.SearchLetterCase = true;
    form().Menu_EditSearchNext_Click();
    EXPECT_EQ(Shown(), "0:0:0 0:0") << "no box says APPLE";
    EXPECT_EQ(prompts(), std::vector<QString>{SearchEnded});

    ApplicationGlobals.SearchSettings.SearchLetterCase = false;
    form().Menu_EditSearchNext_Click();
    EXPECT_EQ(Shown(), "1:1:-1 6:5");
    form().Menu_EditSearchNext_Click();
    EXPECT_EQ(Shown(), "1:2:-1 4:5") << "the running search goes on";
    EXPECT_TRUE(FormEnabled(&form()));
}

TEST_F(SearchDialogTest, AnEmptiedTextStaysEmptyWhenItsListIsLeft)
{
    ApplicationGlobals.SearchSettings.SearchHistory = {QStringLiteral("apple")};
    ApplicationGlobals.SearchSettings.ReplaceHistory = {QStringLiteral("plum")};
    struct Row {
        const char* why;
        bool replaceList;
        std::vector<QString> prompts;
        QString document;
    };
    const Row rows[] = {
        {"an emptied search text asks for one", false, {QStringLiteral("検索文字列を指定して下さい。")}, original_},
        {"an emptied replacement deletes the matches", true, {},
         "Alpha apple|one apple\r\ntwo Apple|each applet|kind|eat| redo|red apple|green|Beta|ａｐｐｌｅは林檎|"
         "pineapple apple"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        SearchReplace& d = dialog(true);
        QComboBox* list = row.replaceList ? d.cmbReplaceText : d.cmbSearchText;
        if (row.replaceList)
            type(d.cmbSearchText, QStringLiteral("pear"));
        list->setCurrentIndex(0); // the last text used, then emptied
        type(list, QString());
        const QStringList searchHistory = ApplicationGlobals.SearchSettings.SearchHistory;
        const QStringList replaceHistory = ApplicationGlobals.SearchSettings.ReplaceHistory;
        mb::ShownBoxes().clear();

        QTest::mouseClick(row.replaceList ? d.cmdReplaceAll : d.cmdSearch, Qt::LeftButton);
        EXPECT_EQ(list->currentText().toStdString(), "") << "the history does not fill the text in again";
        EXPECT_EQ(prompts(), row.prompts);
        EXPECT_EQ(DocumentText().toStdString(), row.document.toStdString());
        EXPECT_EQ(ApplicationGlobals.SearchSettings.SearchHistory, searchHistory);
        EXPECT_EQ(ApplicationGlobals.SearchSettings.ReplaceHistory, replaceHistory);
        d.cmdCancel_Click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(SearchDialogTest, AFoundBoxShowsItsTextAgainWhenItsHighlightGoes)
{
    CanvasForm& canvas = *CanvasWindowOf(B[1]);
    // Inside the box's frame, clear of the selection frame around it.
    const auto pixels = [&canvas](std::int16_t box) {
        const CanvasLabel& label = std::as_const(canvas.lblBox)[box];
        const int perPixel = platform::vbrt::TwipsPerPixel;
        return QRect(label.Left / perPixel, label.Top / perPixel, label.Width / perPixel, label.Height / perPixel)
            .adjusted(1, 1, -1, -1);
    };
    const std::int16_t found = 3; // each applet
    const std::int16_t other = 7; // pear redo
    ASSERT_EQ(B[1].BoxList[found].text.text, QStringLiteral("each applet"));
    const QImage before = canvas.grab(pixels(found)).toImage();
    ASSERT_FALSE(before.isNull());

    struct Row {
        const char* why;
        std::function<void()> leave;
    };
    const Row rows[] = {
        {"Esc on the canvas", [&] { QTest::keyClick(&canvas, Qt::Key_Escape); }},
        {"a click on another box",
         [&] {
             QTest::mouseClick(&canvas, Qt::LeftButton, Qt::NoModifier, pixels(other).center());
             ASSERT_TRUE(QTest::qWaitFor([&] { return !canvas.LockPartsList().empty(); }, 30000));
         }},
        {"the next match, shown by the main window's Search Next", [&] {
             form().Menu_EditSearchNext_Click();
             ASSERT_NE(Shown().section(u' ', 0, 0), QStringLiteral("1:3:-1"));
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        SearchReplace& d = dialog(false);
        QTest::mouseClick(d.cmdReset, Qt::LeftButton);
        type(d.cmbSearchText, QStringLiteral("ea"));
        QTest::mouseClick(d.cmdSearch, Qt::LeftButton);
        ASSERT_EQ(Shown(), "1:3:-1 0:2");
        d.cmdCancel_Click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_TRUE(SearchFound()) << "the search outlives the dialog";
        // The desktop hands the activation back to the main window, whose canvas takes the focus
        // and repaints while the overlay still shows the found text.
        QApplication::setActiveWindow(&form());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form(), 30000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return canvas.hasFocus(); }, 30000));

        row.leave();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !canvas.timRefresh->isActive(); }, 30000));
        const QImage after = canvas.grab(pixels(found)).toImage();
        int differing = 0;
        for (int y = 0; y < before.height(); ++y)
            for (int x = 0; x < before.width(); ++x)
                differing += after.pixel(x, y) != before.pixel(x, y);
        EXPECT_EQ(differing, 0) << "pixels of the found box that differ from before the search";
    }
}

TEST_F(SearchDialogTest, TheReplacementIsOnTheCanvasBeforeTheSearchEndsWithItsMessage)
{
    SearchReplace& d = dialog(true);
    type(d.cmbSearchText, QStringLiteral("pear"));
    QTest::mouseClick(d.cmdSearch, Qt::LeftButton);
    ASSERT_EQ(Shown(), "1:7:-1 0:4");
    type(d.cmbReplaceText, QStringLiteral("plum"));

    // When the message comes up: the texts the canvas paints from, and whether it has painted
    // them on the screen.
    CanvasForm& canvas = *CanvasWindowOf(B[1]);
    PaintCounter painted;
    canvas.installEventFilter(&painted);
    QStringList drawn;
    int paintsBeforeMessage = 0;
    mb::SetShownHandler([&](const mb::Shown&) {
        for (const platform::graphics::DrawRecord& record : canvas.Records())
            if (record.kind == platform::graphics::DrawRecord::Kind::Text)
                drawn << record.text;
        paintsBeforeMessage = painted.paints;
    });
    QTest::mouseClick(d.cmdReplace, Qt::LeftButton);
    mb::SetShownHandler({});
    canvas.removeEventFilter(&painted);
    EXPECT_EQ(prompts(), std::vector<QString>{SearchEnded});
    EXPECT_TRUE(drawn.contains(QStringLiteral("plum redo"))) << drawn.join(u'|').toStdString();
    EXPECT_FALSE(drawn.contains(QStringLiteral("pear redo")));
    EXPECT_GT(paintsBeforeMessage, 0) << "the canvas was painted before the message, not after it";
}

TEST_F(SearchDialogTest, ALateActivationOfTheClosedDialogClaimsNeitherCaptionNorPanel)
{
    SearchReplace& d = dialog(false);
    ASSERT_TRUE(form().windowTitle().contains(QStringLiteral("[検索]")));
    ASSERT_EQ(form().StatusPanelText(QStringLiteral("ModalWindow")), QStringLiteral("検索"));
    d.cmdCancel_Click();
    ASSERT_TRUE(dialog_) << "deleted only when control returns to the event loop";

    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(dialog_, &activate);
    EXPECT_FALSE(form().windowTitle().contains(QStringLiteral("[検索]"))) << form().windowTitle().toStdString();
    EXPECT_EQ(form().StatusPanelText(QStringLiteral("ModalWindow")), QString());
}

TEST(SearchDialogPlace, StepsAsideFromTheFoundBoxOnlyWhenNearIt)
{
    struct Row {
        const char* why;
        QRect dialog;
        QRect box;
        QSize screen;
        std::optional<QPoint> target;
    };
    const Row rows[] = {
        {"a box more than 360 twips away", {5000, 5000, 4000, 3000}, {12000, 6000, 1000, 500}, {20000, 15000}, std::nullopt},
        {"the nearest place beside the box", {5000, 5000, 4000, 3000}, {8000, 6000, 1000, 500}, {20000, 15000},
         QPoint(3640, 5000)},
        {"no room beside it: the nearest screen edge", {2000, 2000, 3000, 2000}, {3200, 1000, 4600, 6500},
         {10000, 8000}, QPoint(0, 2000)},
        {"no room at any edge: the corner away from it", {0, 0, 4000, 3000}, {500, 500, 5000, 4000}, {6000, 5000},
         QPoint(0, 0)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(DialogPlaceTarget(row.dialog, row.box, row.screen), row.target);
        // The same on a second screen to the right of the first.
        const QPoint second(30000, 0);
        const std::optional<QPoint> there =
            DialogPlaceTarget(row.dialog.translated(second), row.box.translated(second), QRect(second, row.screen));
        EXPECT_EQ(there, row.target ? std::optional<QPoint>(*row.target + second) : std::nullopt);
    }
}

} // namespace
} // namespace search_test
