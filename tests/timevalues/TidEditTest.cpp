// The time entry: its edit mask in both directions (picture mask for writing,
// Qt input mask for typing), and the widget under Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "EntryTestSupport.h"
#include "timevalues/TidEdit.h"
#include "timevalues/TidEditMask.h"

using entrytest::kWaitMs;

namespace {

struct PictureCase {
    const char* editMask;
    const char* picture;
    char mode;
};

TEST(TidEditMask, DerivesPictureMaskAndMode)
{
    const PictureCase cases[] = {
        {"!00:00:00;1;_", "$$:$$:$$", 'V'},
        {"!00:00;1;_", "$$:$$", 'V'},
        {"!99:99:99;0;_", "##:##:##", 'E'},
        {"!99.99;1;_", "#$.$$", 'V'},
        {"00:00", "$$:$$", 'E'},        // no ";": all characters, mode E
        {"99,9;", "#$,$", 'E'},         // nothing after ";"
        {"99:90:00;1", "##:#$:$$", 'V'}, // the "0" ends the leading part
        {"9", "#", 'E'},                 // no separator to look at
        {"", "", 'E'},
    };
    for (const auto& c : cases) {
        const tidmask::Picture p = tidmask::pictureOf(QString::fromLatin1(c.editMask));
        EXPECT_EQ(p.mask, c.picture) << c.editMask;
        EXPECT_EQ(p.mode, c.mode) << c.editMask;
    }
}

struct InputMaskCase {
    const char* editMask;
    const char* inputMask;
};

TEST(TidEditMask, TranslatesToQtInputMask)
{
    const InputMaskCase cases[] = {
        {"!00:00:00;1;_", "99:99:99;_"},
        {"!00:00;1;_", "99:99;_"},
        {"!99:99:99;0;_", "00:00:00;_"},
        {"00:00", "99:99;_"},          // default blank "_"
        {"00.0;1;*", "99.9;*"},
        {"LlAaCc#", "AaNnXx#;_"},
        {">L<l<>L", ">A<a!A;_"},
        {"\\00;1;_", "\\09;_"},         // an escaped literal stays literal
        {"Nr_0;1;_", "\\Nr 9;_"},       // a Qt mask character as a literal
        {"0\\;0;1;_", "9\\;9;_"},       // an escaped ";" is no field separator
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tidmask::toQtInputMask(QString::fromLatin1(c.editMask)), QString::fromLatin1(c.inputMask))
            << c.editMask;
}

class TimeEntry : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        tid = new TTidEdit;
        after = new QLineEdit;
        layout->addWidget(tid);
        layout->addWidget(after);
        tid->OnHEnter = [this](QObject* sender) { events.push_back(sender == tid ? "HEnter" : "HEnter?"); };
        tid->OnExit = [this](QObject* sender) { events.push_back(sender == tid ? "Exit" : "Exit?"); };
        ASSERT_TRUE(entrytest::showActive(*window));
    }

    void enterEmpty(const char* editMask)
    {
        tid->setEditMask(QString::fromLatin1(editMask));
        tid->clear();
        ASSERT_TRUE(entrytest::focusOn(*tid));
        tid->home(false);
    }

    std::unique_ptr<QWidget> window;
    TTidEdit* tid = nullptr;
    QLineEdit* after = nullptr;
    std::vector<std::string> events;
};

struct TypeCase {
    const char* editMask;
    const char* keys; // ">" is the Right arrow key
    const char* shown;
    int tid;
};

TEST_F(TimeEntry, TypingAndReadingBack)
{
    const TypeCase cases[] = {
        {"!00:00:00;1;_", "", "__:__:__", 0},
        {"!00:00:00;1;_", "103000", "10:30:00", 378000000},
        {"!00:00:00;1;_", "1>3", "1_:3_:__", 378000000},
        {"!00:00:00;1;_", "0105", "01:05:__", 39000000},
        {"!00:00:00;1;_", "12a:3", "12:3_:__", 450000000},
        {"!00:00;1;_", "", "__:__", 0},
        {"!00:00;1;_", "0030", "00:30", 300000},
        {"!00:00;1;_", "5", "5_:__", 30000000},
    };
    for (const auto& c : cases) {
        enterEmpty(c.editMask);
        for (const char* k = c.keys; *k; ++k) {
            if (*k == '>')
                QTest::keyClick(tid, Qt::Key_Right);
            else
                QTest::keyClicks(tid, QString(QChar::fromLatin1(*k)));
        }
        EXPECT_EQ(tid->displayText(), QString::fromLatin1(c.shown)) << c.editMask << " typed " << c.keys;
        EXPECT_EQ(tid->Tid(), c.tid) << c.editMask << " typed " << c.keys;
    }
}

struct WriteCase {
    const char* editMask;
    int value;
    const char* shown;
    int readBack;
};

TEST_F(TimeEntry, WritesByTheDerivedPictureMask)
{
    const WriteCase cases[] = {
        {"!00:00:00;1;_", 0, "00:00:00", 0},
        {"!00:00:00;1;_", 39300000, "01:05:30", 39300000},
        {"!00:00:00;1;_", 864000000, "24:00:00", 864000000},
        {"!00:00:00;1;_", 864000001, "00:00:00", 0},
        {"!00:00;1;_", 300000, "00:30", 300000},
        {"!00:00;1;_", 39300000, "05:30", 3300000},
        {"!99:99:99;1;_", 300000, "__:__:30", 300000},     // blank separators stay in place
        {"!99:99:99;0;_", 0, "__:__:__", 0},
        {"!99:99:99;0;_", 39300000, "_1:05:30", 39300000}, // blank kept in place
    };
    for (const auto& c : cases) {
        tid->setEditMask(QString::fromLatin1(c.editMask));
        tid->setTid(c.value);
        EXPECT_EQ(tid->displayText(), QString::fromLatin1(c.shown)) << c.value;
        EXPECT_EQ(tid->Tid(), c.readBack) << c.value;
    }
    EXPECT_EQ(tid->EditMask(), "!99:99:99;0;_");
}

TEST_F(TimeEntry, WithoutMaskTheTextIsFree)
{
    tid->setEditMask("");
    tid->setText("1.05,3");
    EXPECT_EQ(tid->Tid(), 653000);
    tid->setTid(39300000);
    EXPECT_EQ(tid->text(), "");
}

TEST_F(TimeEntry, EnterThenTabReportEachOnce)
{
    enterEmpty("!00:00:00;1;_");
    QTest::keyClick(tid, Qt::Key_1);
    QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), true);
    QApplication::sendEvent(tid, &repeat);
    EXPECT_TRUE(events.empty());
    QTest::keyClick(tid, Qt::Key_Return);
    QTest::keyClick(tid, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(events, (std::vector<std::string>{"HEnter", "HEnter"}));
    events.clear();
    QTest::keyClick(tid, Qt::Key_Tab);
    ASSERT_TRUE(QTest::qWaitFor([&] { return after->hasFocus(); }, kWaitMs));
    EXPECT_EQ(events, (std::vector<std::string>{"HEnter", "Exit"}));
}

TEST_F(TimeEntry, AnotherWindowTakingTheFocusIsNotLeaving)
{
    enterEmpty("!00:00:00;1;_");
    {
        QWidget other;
        ASSERT_TRUE(entrytest::showActive(other));
        ASSERT_FALSE(tid->hasFocus());
    }
    ASSERT_TRUE(entrytest::showActive(*window));
    ASSERT_TRUE(QTest::qWaitFor([&] { return tid->hasFocus(); }, kWaitMs));
    EXPECT_TRUE(events.empty());
    QTest::keyClick(tid, Qt::Key_Tab);
    ASSERT_TRUE(QTest::qWaitFor([&] { return after->hasFocus(); }, kWaitMs));
    EXPECT_EQ(events, (std::vector<std::string>{"HEnter", "Exit"}));
}

TEST_F(TimeEntry, UnassignedHandlersAndFailingOnesAreSafe)
{
    entrytest::ErrorRecorder errors;
    tid->OnHEnter = nullptr;
    tid->OnExit = nullptr;
    EXPECT_FALSE(tid->OnHEnter);
    enterEmpty("!00:00;1;_");
    QTest::keyClick(tid, Qt::Key_Return);
    tid->OnHEnter = [](QObject*) { throw std::runtime_error("h-enter failed"); };
    tid->OnExit = [this](QObject*) { events.push_back("Exit"); };
    QTest::keyClick(tid, Qt::Key_Tab);
    ASSERT_TRUE(QTest::qWaitFor([&] { return after->hasFocus(); }, kWaitMs));
    EXPECT_EQ(errors.texts, std::vector<std::string>{"h-enter failed"});
    EXPECT_EQ(events, std::vector<std::string>{"Exit"});
}

} // namespace
