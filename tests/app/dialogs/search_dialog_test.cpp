// The search and replace dialog driven offscreen over the main window: searching, replacing one
// match and all of them, resetting, the histories, and where the dialog steps aside to.
#include "app/canvas/HistoryControl.h"
#include "app/dialogs/SearchEngine.h"
#include "app/dialogs/SearchReplace.h"
#include "app/shell/baseform_support.h"
#include "platform/richtext/RichTextBox.h"
#include "search_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace search_test {
namespace {

using namespace baseform_test;

const QString SearchEnded = QStringLiteral("検索が終了しました。");

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
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog_));
        return *dialog_;
    }

    // Types a text into one of the dialog's text lists.
    void type(QComboBox* list, const QString& text)
    {
        list->setFocus();
        list->clearEditText();
        QTest::keyClicks(list->lineEdit(), text);
    }

    static QString Shown()
    {
        const SearchMatchRecord& m = Search.SearchCurrentMatch;
        return QStringLiteral("%1:%2:%3 %4:%5").arg(m.Canvas).arg(m.Box).arg(m.Sub).arg(m.FirstIndex).arg(m.Length);
    }

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
    HistoryAdd(QStringLiteral("probe"), -1);
    if (!HistoryCanUndo())
        GTEST_SKIP() << "undo snapshots are not taken yet";
    HistoryReset();

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

TEST_F(SearchDialogTest, NoMoreMatchesEndsTheSearchWithItsMessage)
{
    SearchReplace& d = dialog(false);
    type(d.cmbSearchText, QStringLiteral("pear"));
    QTest::mouseClick(d.cmdSearch, Qt::LeftButton);
    EXPECT_TRUE(SearchFound());
    QTest::mouseClick(d.cmdSearch, Qt::LeftButton);
    EXPECT_FALSE(SearchFound());
    EXPECT_EQ(prompts(), std::vector<QString>{SearchEnded});
    EXPECT_EQ(B[1].BoxList[7].text.flags & 1, 1) << "the text of the last match is drawn again";
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
    }
}

} // namespace
} // namespace search_test
