#include "platform/statusbar/StatusPanels.h"

#include <QLabel>

#include <gtest/gtest.h>

using platform::statusbar::StatusPanels;

namespace {

const char* const kKeys[] = {"Date", "Time", "FocusCanvas", "EditMode", "FontAndSize"};

class StatusPanelsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* key : kKeys)
            panels.AddPanel(QString::fromLatin1(key), 60, QStringLiteral("tip ") + QString::fromLatin1(key));
        panels.SetText(QStringLiteral("FocusCanvas"), QStringLiteral("受注データ集計のメイン処理:1"));
        panels.SetText(QStringLiteral("EditMode"), QStringLiteral("編集ﾓｰﾄﾞ"));
        panels.show();
    }

    // The panels shown, left to right; each must lie inside the bar and right of the one before.
    std::vector<QLabel*> shownInOrder()
    {
        std::vector<QLabel*> shown;
        int right = -1;
        for (const char* key : kKeys) {
            QLabel* label = panels.Panel(QString::fromLatin1(key));
            if (!label->isVisible())
                continue;
            EXPECT_GT(label->geometry().left(), right) << key << " overlaps the panel before it";
            EXPECT_GE(label->geometry().left(), 0) << key;
            EXPECT_LE(label->geometry().right(), panels.width() - 1) << key;
            right = label->geometry().right();
            shown.push_back(label);
        }
        return shown;
    }

    StatusPanels panels;
};

TEST_F(StatusPanelsTest, WideEnoughEveryPanelHasItsWidthAndItsWholeText)
{
    panels.resize(panels.sizeHint().width() + 100, 24);
    const std::vector<QLabel*> shown = shownInOrder();
    ASSERT_EQ(shown.size(), std::size(kKeys));
    EXPECT_EQ(panels.Panel(QStringLiteral("Date"))->width(), 60);
    EXPECT_GT(panels.Panel(QStringLiteral("FocusCanvas"))->width(), 60) << "a longer text widens its panel";
    EXPECT_EQ(panels.Panel(QStringLiteral("FocusCanvas"))->text(), QStringLiteral("受注データ集計のメイン処理:1"));
    EXPECT_EQ(panels.Panel(QStringLiteral("Time"))->toolTip(), QStringLiteral("tip Time"));
}

TEST_F(StatusPanelsTest, NarrowerTheWidenedPanelsGiveWayDownToTheirOwnWidthsThenPanelsHideFromTheRight)
{
    struct Row {
        const char* why;
        int width;
        std::size_t shown;
        bool elided;
    };
    const int full = panels.sizeHint().width();
    const int gap = 2;
    const Row rows[] = {
        {"a little short: the widened panel narrows and cuts its text", full - 30, std::size(kKeys), true},
        {"no room beyond the panels' own widths", int(std::size(kKeys)) * (60 + gap), std::size(kKeys), true},
        {"room for two", 2 * (60 + gap) + 30, 2, false},
        {"no room at all", 0, 0, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        panels.resize(row.width, 24);
        const std::vector<QLabel*> shown = shownInOrder();
        ASSERT_EQ(shown.size(), row.shown);
        for (std::size_t i = 0; i < shown.size(); ++i) {
            EXPECT_EQ(shown[i]->objectName(), QString::fromLatin1(kKeys[i])) << "hidden from the right";
            EXPECT_GE(shown[i]->width(), 60) << kKeys[i] << " narrower than its own width";
            if (shown[i]->objectName() != QLatin1String("FocusCanvas")) {
                EXPECT_EQ(shown[i]->width(), 60) << kKeys[i] << ": only the widened panel gives way";
            }
        }
        if (row.elided) {
            EXPECT_TRUE(panels.Panel(QStringLiteral("FocusCanvas"))->text().endsWith(QChar(0x2026)));
        }
        EXPECT_EQ(panels.Text(QStringLiteral("FocusCanvas")), QStringLiteral("受注データ集計のメイン処理:1"))
            << "the whole text is kept";
    }

    panels.resize(full, 24);
    EXPECT_EQ(shownInOrder().size(), std::size(kKeys)) << "wide again, all come back";
    EXPECT_EQ(panels.Panel(QStringLiteral("FocusCanvas"))->text(), QStringLiteral("受注データ集計のメイン処理:1"));
}

} // namespace

namespace {

TEST(LockKeyPanels, ShowTheStatesTheWindowSystemTellsAndAreDimmedWhereItTellsNone)
{
    namespace sb = platform::statusbar;
    struct Row {
        const char* why;
        std::optional<sb::LockKeyStates> told;
        bool caps, num, kana;
    };
    const Row rows[] = {
        {"nothing told, as offscreen", std::nullopt, false, false, false},
        {"Caps Lock on", sb::LockKeyStates{true, false, false}, true, false, false},
        {"Num Lock and Kana on", sb::LockKeyStates{false, true, true}, false, true, true},
        {"all off", sb::LockKeyStates{}, false, false, false},
        {"Caps Lock on again", sb::LockKeyStates{true, false, false}, true, false, false},
        {"told no more", std::nullopt, false, false, false},
    };
    StatusPanels panels;
    panels.AddPanel(QStringLiteral("Date"), 60, QStringLiteral("日付"));
    panels.AddLockPanel(QStringLiteral("Caps"), 60, QStringLiteral("Caps Lock ｷｰ"), QStringLiteral("CAPS"),
                        sb::LockKey::Caps);
    panels.AddLockPanel(QStringLiteral("Num"), 60, QStringLiteral("Num Lock ｷｰ"), QStringLiteral("NUM"),
                        sb::LockKey::Num);
    panels.AddLockPanel(QStringLiteral("Kana"), 60, QStringLiteral("ｶﾅ ｷｰ"), QStringLiteral("ｶﾅ"), sb::LockKey::Kana);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        sb::FeedLockKeyStates(row.told);
        EXPECT_EQ(panels.Panel(QStringLiteral("Caps"))->isEnabled(), row.caps);
        EXPECT_EQ(panels.Panel(QStringLiteral("Num"))->isEnabled(), row.num);
        EXPECT_EQ(panels.Panel(QStringLiteral("Kana"))->isEnabled(), row.kana);
        EXPECT_TRUE(panels.Panel(QStringLiteral("Date"))->isEnabled()) << "other panels are left alone";
        EXPECT_EQ(panels.Text(QStringLiteral("Kana")), QStringLiteral("ｶﾅ")) << "the text stays, bright or dimmed";
    }

    // A bar made while the states are known shows them from the start.
    sb::FeedLockKeyStates(sb::LockKeyStates{false, true, false});
    {
        StatusPanels later;
        later.AddLockPanel(QStringLiteral("Num"), 60, QString(), QStringLiteral("NUM"), sb::LockKey::Num);
        EXPECT_TRUE(later.Panel(QStringLiteral("Num"))->isEnabled());
    }
    // A bar that is gone is told nothing more.
    sb::FeedLockKeyStates(sb::LockKeyStates{true, true, true});
    sb::FeedLockKeyStates(std::nullopt);
}

} // namespace
