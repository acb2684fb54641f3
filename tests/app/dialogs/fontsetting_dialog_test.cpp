// The font dialog driven offscreen: its two modes, the checks of 更新, and every way out that is
// not 更新 leaving the caller's values alone.
#include "app/dialogs/FontSetting.h"

#include "app/core/ApplicationGlobals.h"
#include "app/core/Utilities.h"
#include "app/diagram/FontAndColor.h"
#include "platform/msgbox/MsgBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace vellumora;
namespace mb = platform::msgbox;

namespace {

class FontSettingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ApplicationGlobals = ApplicationGlobalsRecord::Default;
        ApplicationGlobals.FontNameList = {QStringLiteral("標準"), QStringLiteral("IPAGothic"),
                                           QStringLiteral("IPAMincho")};
        ApplicationGlobals.FontSizeList = {QStringLiteral("標準"), QStringLiteral("9"), QStringLiteral("10.5")};
        ApplicationGlobals.ColorTable = {{QStringLiteral("Default"), QStringLiteral("標準"), 0, 0, 0, -1},
                                         {QStringLiteral("Black"), QStringLiteral("黒"), 0, 0, 0, 0},
                                         {QStringLiteral("Red"), QStringLiteral("赤"), 255, 0, 0, 0xFF}};
        mb::ClearQueue();
        mb::ShownBoxes().clear();
    }

    // Runs the dialog; act runs once it is shown. A dialog act leaves open is cancelled.
    bool run(FontSetting& dialog, const std::function<void()>& act)
    {
        bool stayed = false;
        QTimer::singleShot(0, &dialog, [&] {
            act();
            if (dialog.isVisible()) {
                stayed = true;
                dialog.cmdCancel->click();
            }
        });
        dialog.exec();
        return stayed;
    }
};

TEST_F(FontSettingTest, EveryControlShowsItsWholeCaptionInsideTheDialog)
{
    FontSetting dialog;
    for (QWidget* control : dialog.findChildren<QWidget*>()) {
        if (!qobject_cast<QCheckBox*>(control) && !qobject_cast<QPushButton*>(control))
            continue;
        SCOPED_TRACE(control->objectName().toStdString());
        if (qobject_cast<QCheckBox*>(control)) {
            EXPECT_GE(control->width(), control->sizeHint().width());
        }
        EXPECT_TRUE(dialog.rect().contains(control->geometry()));
        for (QWidget* other : dialog.findChildren<QWidget*>()) {
            if (other != control && other->parentWidget() == &dialog && (qobject_cast<QCheckBox*>(other) || qobject_cast<QPushButton*>(other))) {
                EXPECT_FALSE(control->geometry().intersects(other->geometry())) << other->objectName().toStdString();
            }
        }
    }
}

TEST_F(FontSettingTest, DefaultFontModeHasNoStandardEntryAndNoStyles)
{
    FontSetting dialog;
    dialog.TrayFontSettingMode = false;
    dialog.TrayFontName = QStringLiteral("IPAMincho");
    dialog.TrayFontSize = QStringLiteral("9");
    dialog.TrayColor = QStringLiteral("赤");
    dialog.TrayFontBold = true;
    dialog.TrayCaption = QStringLiteral("ﾃﾞﾌｫﾙﾄ･ﾌｫﾝﾄ(&D)");
    QString caption;
    bool stylesShown = true;
    int names = 0;
    const bool stayed = run(dialog, [&] {
        caption = dialog.windowTitle();
        stylesShown = dialog.chkFontBold->isVisible();
        names = dialog.cmbFontName->count();
        dialog.cmbFontName->setCurrentIndex(0);
        dialog.cmdUpdate->click();
    });
    EXPECT_FALSE(stayed);
    EXPECT_EQ(caption, QStringLiteral("ﾃﾞﾌｫﾙﾄ･ﾌｫﾝﾄ"));
    EXPECT_FALSE(stylesShown);
    EXPECT_EQ(names, 2) << "the list begins after 標準";
    EXPECT_FALSE(dialog.TrayCancel);
    EXPECT_EQ(dialog.TrayFontName, QStringLiteral("IPAGothic"));
    EXPECT_EQ(dialog.TrayFontSize, QStringLiteral("9"));
    EXPECT_EQ(dialog.TrayColor, QStringLiteral("赤"));
    EXPECT_TRUE(dialog.TrayFontBold) << "styles are left as they were";
}

TEST_F(FontSettingTest, BoxFontModeSelectsStandardForAnEmptyValueAndReturnsTheStyles)
{
    FontSetting dialog;
    dialog.TrayFontSettingMode = true;
    dialog.TrayFontItalic = true;
    QString shownName;
    bool italicShown = false;
    run(dialog, [&] {
        shownName = dialog.cmbFontName->currentText();
        italicShown = dialog.chkFontItalic->isChecked() && dialog.chkFontItalic->isVisible();
        dialog.chkFontItalic->setChecked(false);
        dialog.chkFontUnderLine->setChecked(true);
        dialog.cmdUpdate->click();
    });
    EXPECT_EQ(shownName, QStringLiteral("標準"));
    EXPECT_TRUE(italicShown);
    EXPECT_EQ(dialog.TrayFontName, QStringLiteral("標準"));
    EXPECT_FALSE(dialog.TrayFontItalic);
    EXPECT_TRUE(dialog.TrayFontUnderLine);
}

TEST_F(FontSettingTest, AnEmptyChoiceIsRefusedWithTheFirstFailingCheck)
{
    struct Row {
        const char* why;
        QString name, size, color;
        QString message;
    };
    // Without "標準" in its lists, the default-font dialog shows an empty value as nothing chosen.
    const Row rows[] = {
        {"no font name", QString(), QString(), QString(), QStringLiteral("ﾌｫﾝﾄ名の指定がありません。")},
        {"no size", QStringLiteral("IPAGothic"), QString(), QString(), QStringLiteral("ﾌｫﾝﾄｻｲｽﾞの指定がありません。")},
        {"no colour", QStringLiteral("IPAGothic"), QStringLiteral("9"), QString(),
         QStringLiteral("色の指定がありません。")},
        {"a blank colour", QStringLiteral("IPAGothic"), QStringLiteral("9"), QStringLiteral("  "),
         QStringLiteral("色の指定がありません。")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        mb::ShownBoxes().clear();
        FontSetting dialog;
        dialog.TrayFontName = row.name;
        dialog.TrayFontSize = row.size;
        dialog.TrayColor = row.color;
        const bool stayed = run(dialog, [&] { dialog.cmdUpdate->click(); });
        EXPECT_TRUE(stayed);
        ASSERT_EQ(mb::ShownBoxes().size(), 1u);
        EXPECT_EQ(mb::ShownBoxes()[0].prompt, row.message);
        EXPECT_TRUE(dialog.TrayCancel);
        EXPECT_EQ(dialog.TrayFontName, row.name);
    }
}

TEST_F(FontSettingTest, AValueTheListsLackIsShownChosenAndKeptThroughAStyleChange)
{
    struct Row {
        const char* why;
        bool boxFont;
        QString name, size, color;
        std::function<void(FontSetting&)> change;
        QString nameOut, sizeOut, colorOut;
        // What the box or the document then stores: the colour value and the size in tenths.
        std::int32_t colorValue;
        std::int16_t tenths;
    };
    const QString purple = QStringLiteral("r128,g0,b128");
    const std::int32_t purpleValue = 128 + 65536 * 128;
    const auto bold = [](FontSetting& d) { d.chkFontBold->setChecked(true); };
    const Row rows[] = {
        {"a box's colour as red, green and blue", true, QString(), QString(), purple, bold, QStringLiteral("標準"),
         QStringLiteral("標準"), purple, purpleValue, 0},
        {"a box's size between the listed ones", true, QString(), QStringLiteral("13"), QString(), bold,
         QStringLiteral("標準"), QStringLiteral("13"), QStringLiteral("標準"), -1, 130},
        {"both, with a listed font name", true, QStringLiteral("IPAMincho"), QStringLiteral("13"), purple, bold,
         QStringLiteral("IPAMincho"), QStringLiteral("13"), purple, purpleValue, 130},
        {"標準 chosen instead still clears the colour", true, QString(), QStringLiteral("13"), purple,
         [](FontSetting& d) {
             d.cmbColor->setCurrentIndex(0);
             d.chkFontBold->setChecked(true);
         },
         QStringLiteral("標準"), QStringLiteral("13"), QStringLiteral("標準"), -1, 130},
        {"a listed size chosen instead", true, QString(), QStringLiteral("13"), purple,
         [](FontSetting& d) {
             d.cmbFontSize->setCurrentText(QStringLiteral("10.5"));
             d.chkFontBold->setChecked(true);
         },
         QStringLiteral("標準"), QStringLiteral("10.5"), purple, purpleValue, 105},
        {"the document's font name, size and colour the lists lack", false, QStringLiteral("Osaka"),
         QStringLiteral("13"), purple, {}, QStringLiteral("Osaka"), QStringLiteral("13"), purple, purpleValue, 130},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        mb::ShownBoxes().clear();
        FontSetting dialog;
        dialog.TrayFontSettingMode = row.boxFont;
        dialog.TrayFontName = row.name;
        dialog.TrayFontSize = row.size;
        dialog.TrayColor = row.color;
        QStringList shown;
        const bool stayed = run(dialog, [&] {
            for (QComboBox* list : {dialog.cmbFontName, dialog.cmbFontSize, dialog.cmbColor})
                shown << list->currentText();
            if (row.change)
                row.change(dialog);
            dialog.cmdUpdate->click();
        });
        const QStringList preset{row.name, row.size, row.color};
        for (int i = 0; i < preset.size(); ++i)
            EXPECT_EQ(shown.value(i).toStdString(), StringDefault(preset[i], QStringLiteral("標準")).toStdString())
                << "list " << i << ": the value as it came, chosen";
        EXPECT_FALSE(stayed);
        EXPECT_TRUE(mb::ShownBoxes().empty()) << "nothing is refused";
        EXPECT_FALSE(dialog.TrayCancel);
        EXPECT_EQ(dialog.TrayFontName, row.nameOut);
        EXPECT_EQ(dialog.TrayFontSize, row.sizeOut);
        EXPECT_EQ(dialog.TrayColor, row.colorOut);
        EXPECT_EQ(dialog.TrayFontBold, row.boxFont);
        EXPECT_EQ(BoxColorModify(dialog.TrayColor), row.colorValue);
        EXPECT_EQ(FontSizeIndex(FontModifyChech(QStringLiteral("fontsize:") + dialog.TrayFontSize)), row.tenths);
    }
}

TEST_F(FontSettingTest, EveryWayOutButUpdateIsACancel)
{
    struct Row {
        const char* why;
        std::function<void(FontSetting&)> leave;
    };
    const Row rows[] = {
        {"取消", [](FontSetting& d) { d.cmdCancel->click(); }},
        {"the close box", [](FontSetting& d) { d.close(); }},
        {"Esc", [](FontSetting& d) { QTest::keyClick(d.cmbFontName, Qt::Key_Escape); }},
        {"Ctrl+F4", [](FontSetting& d) { QTest::keyClick(&d, Qt::Key_F4, Qt::ControlModifier); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        FontSetting dialog;
        dialog.TrayFontSettingMode = true;
        dialog.TrayFontName = QStringLiteral("IPAMincho");
        dialog.TrayFontBold = false;
        const bool stayed = run(dialog, [&] {
            dialog.cmbFontName->setCurrentIndex(1);
            dialog.chkFontBold->setChecked(true);
            row.leave(dialog);
        });
        EXPECT_FALSE(stayed);
        EXPECT_TRUE(dialog.TrayCancel);
        EXPECT_EQ(dialog.TrayFontName, QStringLiteral("IPAMincho"));
        EXPECT_FALSE(dialog.TrayFontBold);
    }
}

} // namespace
