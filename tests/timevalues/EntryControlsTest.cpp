// The time entry and the decimal spin entry under Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QTest>
#include <QVBoxLayout>

#include <vector>

#include "timevalues/TidEdit.h"
#include "timevalues/ViloSpinnEdit.h"

namespace {

// Written times keep every digit in its place, also where the leading area is
// blank under a mask of optional digits; the time read is the text as shown.
TEST(TimeEntry, WritesByThePictureMask)
{
    struct Case { const char* editMask; int value; const char* shown; int readBack; };
    const Case cases[] = {
        {"!00:00:00;1;_", 0, "00:00:00", 0}, {"!00:00:00;1;_", 39300000, "01:05:30", 39300000},
        {"!00:00:00;1;_", 864000000, "24:00:00", 864000000}, {"!00:00:00;1;_", 864000001, "00:00:00", 0},
        {"!00:00;1;_", 300000, "00:30", 300000}, {"!00:00;1;_", 39300000, "05:30", 3300000},
        {"!99:99:99;1;_", 300000, "__:__:30", 300000}, {"!99:99:99;0;_", 0, "__:__:__", 0},
        {"!99:99:99;0;_", 39300000, "_1:05:30", 39300000}, {"!00:00;", 300000, "00:30", 300000},
    };
    TTidEdit entry;
    for (const Case& c : cases) {
        entry.setEditMask(QString::fromLatin1(c.editMask));
        entry.setTid(c.value);
        EXPECT_EQ(entry.displayText(), QString::fromLatin1(c.shown)) << c.value;
        EXPECT_EQ(entry.Tid(), c.readBack) << c.value;
    }
}

bool showActive(QWidget& window)
{
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window, 5000);
}

bool waitForFocus(QWidget* widget)
{
    return QTest::qWaitFor([&] { return widget->hasFocus(); }, 5000);
}

// Entering selects the text and a key that is no number is refused; leaving
// clamps the value before the exit handler sees it, once, and only on a real
// focus move: another window taking the focus for a while is no leaving, but
// a move made meanwhile is.
TEST(SpinEntry, LeavingClampsBeforeTheExitHandlerRuns)
{
    QWidget window;
    auto* entry = new TViloSpinnEdit;
    auto* after = new QLineEdit;
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(entry);
    layout->addWidget(after);
    std::vector<int> exits;
    entry->OnExit = [&](QObject* sender) { exits.push_back(sender == entry ? entry->Value() : -1); };
    entry->setMinValue(1);
    entry->setMaxValue(9);
    ASSERT_TRUE(showActive(window));
    entry->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(waitForFocus(entry));
    QTest::keyClicks(entry, "1a2");
    EXPECT_EQ(entry->text(), "12");
    {
        QWidget other;
        ASSERT_TRUE(showActive(other));
    }
    ASSERT_TRUE(showActive(window));
    ASSERT_TRUE(waitForFocus(entry));
    EXPECT_TRUE(exits.empty());
    QTest::keyClick(entry, Qt::Key_Tab);
    ASSERT_TRUE(waitForFocus(after));
    EXPECT_EQ(exits, std::vector<int>{9});
    EXPECT_EQ(entry->text(), "9");
    // A move made while another window is active is seen, once, when the window comes back.
    entry->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(waitForFocus(entry));
    {
        QWidget other;
        ASSERT_TRUE(showActive(other));
        after->setFocus(Qt::OtherFocusReason);
    }
    ASSERT_TRUE(showActive(window));
    ASSERT_TRUE(waitForFocus(after));
    after->clearFocus();
    after->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(exits, (std::vector<int>{9, 9}));
}

} // namespace
