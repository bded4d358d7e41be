// The time entry and the decimal spin entry under Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>
#include <string>
#include <vector>

#include "timevalues/controls/ControlHooks.h"
#include "timevalues/controls/SpinButton.h"
#include "timevalues/controls/TidEdit.h"
#include "timevalues/controls/ViloSpinnEdit.h"

using namespace timevalues;

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

// A window with a spin entry, a time entry and a plain line edit; the beeps
// and the exit handler's readings are counted.
struct EntryWindow : testing::Test {
    QWidget window;
    TViloSpinnEdit* entry = new TViloSpinnEdit(&window);
    TTidEdit* time = new TTidEdit(&window);
    QLineEdit* after = new QLineEdit(&window);
    int beeps = 0;
    std::vector<int> exits;
    BeepHook oldBeep = setBeepHook([this] { ++beeps; });

    EntryWindow()
    {
        auto* layout = new QVBoxLayout(&window);
        for (QWidget* w : std::initializer_list<QWidget*>{entry, time, after})
            layout->addWidget(w);
        entry->OnExit = [this](QObject* sender) { exits.push_back(sender == entry ? entry->Value() : -1); };
    }
    ~EntryWindow() override { setBeepHook(oldBeep); }

    // The entry holding `typed` (typed, so there is something to undo) with
    // the text from `selStart` on selected, the clipboard holding `clip`.
    void prepare(const char* typed, int selStart, const char* clip, bool editorEnabled, bool readOnly)
    {
        entry->setEditorEnabled(true);
        entry->setReadOnly(false);
        entry->setText({});
        QTest::keyClicks(entry, typed);
        entry->setSelection(selStart, static_cast<int>(entry->text().size()) - selStart);
        QGuiApplication::clipboard()->setText(QString::fromLatin1(clip));
        entry->setEditorEnabled(editorEnabled);
        entry->setReadOnly(readOnly);
        beeps = 0;
    }
    // The text with its selection in brackets, and the clipboard after a "/".
    QString shown() const
    {
        QString s = entry->text();
        if (entry->hasSelectedText())
            s.insert(entry->selectionEnd(), u']').insert(entry->selectionStart(), u'[');
        return s + u'/' + QGuiApplication::clipboard()->text();
    }
};

// Entering selects the text and a key that is no number is refused; leaving
// clamps the value before the exit handler sees it, once, and only on a real
// focus move: another window taking the focus for a while is no leaving, but
// a move made meanwhile is.
TEST_F(EntryWindow, LeavingClampsBeforeTheExitHandlerRuns)
{
    entry->setMinValue(1);
    entry->setMaxValue(9);
    ASSERT_TRUE(showActive(window));
    entry->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(waitForFocus(entry));
    QTest::keyClicks(entry, "1a2");
    EXPECT_EQ(std::tuple(entry->text(), beeps), std::tuple("12", 1));
    {
        QWidget other;
        ASSERT_TRUE(showActive(other));
    }
    ASSERT_TRUE(showActive(window));
    ASSERT_TRUE(waitForFocus(entry));
    EXPECT_TRUE(exits.empty());
    QTest::keyClick(entry, Qt::Key_Tab);
    ASSERT_TRUE(waitForFocus(time));
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

// What keys, composed text and drops do to "12" with the "2" selected, in
// limits 2 to 11 stepping by 3: with the editor disabled nothing edits the
// text and typing beeps, yet the arrows step; read-only, the arrows beep.
TEST_F(EntryWindow, KeysByEditingState)
{
    enum Input { Key, Composed, Dropped };
    struct Case { bool editor, readOnly; Input input; int key; Qt::KeyboardModifiers mods; const char* text;
                  const char* shown; int beeps; };
    const Qt::KeyboardModifiers none = Qt::NoModifier, ctrl = Qt::ControlModifier;
    const Case cases[] = {
        {true, false, Key, Qt::Key_3, none, "", "13/7", 0}, {true, false, Key, Qt::Key_A, none, "", "1[2]/7", 1},
        {true, false, Key, Qt::Key_A, ctrl, "", "[12]/7", 0}, {true, false, Key, Qt::Key_Backspace, none, "", "1/7", 0},
        {true, false, Key, Qt::Key_Delete, none, "", "1/7", 0}, {true, false, Key, Qt::Key_X, ctrl, "", "1/2", 0},
        {true, false, Key, Qt::Key_V, ctrl, "", "17/7", 0}, {true, false, Key, Qt::Key_Insert, Qt::ShiftModifier, "", "17/7", 0},
        {true, false, Key, Qt::Key_Z, ctrl, "", "/7", 0}, {true, false, Key, Qt::Key_Up, none, "", "11/7", 0},
        {true, false, Key, Qt::Key_Down, none, "", "9/7", 0}, {true, false, Key, Qt::Key_Return, none, "", "11/7", 0},
        {true, false, Key, Qt::Key_Enter, Qt::KeypadModifier, "", "11/7", 0},
        {true, false, Composed, 0, none, "3a4", "134/7", 1}, {true, false, Dropped, 0, none, "x", "x12/7", 0},
        {false, false, Key, Qt::Key_3, none, "", "1[2]/7", 1}, {false, false, Key, Qt::Key_Backspace, none, "", "1[2]/7", 1},
        {false, false, Key, Qt::Key_Delete, none, "", "1[2]/7", 0}, {false, false, Key, Qt::Key_X, ctrl, "", "1[2]/7", 0},
        {false, false, Key, Qt::Key_V, ctrl, "", "1[2]/7", 0}, {false, false, Key, Qt::Key_Insert, Qt::ShiftModifier, "", "1[2]/7", 0},
        {false, false, Key, Qt::Key_Z, ctrl, "", "1[2]/7", 0}, {false, false, Key, Qt::Key_A, ctrl, "", "[12]/7", 0},
        {false, false, Key, Qt::Key_Down, none, "", "9/7", 0}, {false, false, Composed, 0, none, "3", "1[2]/7", 0},
        {false, false, Dropped, 0, none, "x", "1[2]/7", 0}, {true, true, Key, Qt::Key_Up, none, "", "1[2]/7", 1},
        {true, true, Key, Qt::Key_Down, none, "", "1[2]/7", 1}, {true, true, Key, Qt::Key_Return, none, "", "11/7", 0},
        {true, true, Composed, 0, none, "3", "1[2]/7", 0},
    };
    entry->setMinValue(2);
    entry->setMaxValue(11);
    entry->setIncrement(3);
    for (const Case& c : cases) {
        prepare("12", 1, "7", c.editor, c.readOnly);
        const QString text = QString::fromLatin1(c.text);
        if (c.input == Key) {
            QTest::keyClick(entry, static_cast<Qt::Key>(c.key), c.mods);
        } else if (c.input == Composed) {
            QInputMethodEvent event;
            event.setCommitString(text);
            QApplication::sendEvent(entry, &event);
        } else {
            QMimeData mime;
            mime.setText(text);
            QDropEvent drop(QPointF(0, 2), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            static_cast<QObject*>(entry)->event(&drop);  // as the drag manager delivers it
        }
        EXPECT_EQ(std::tuple(shown(), beeps), std::tuple(QString::fromLatin1(c.shown), c.beeps))
            << c.editor << c.readOnly << " key " << c.key << " " << c.text;
    }
}

// The context menu offers undo, redo, cut, copy, paste, delete and select
// all as the state allows (enabled flags in that order), and each acts.
TEST_F(EntryWindow, ContextMenuOffersWhatTheStateAllows)
{
    struct Case { bool editor, readOnly; int selStart; const char* clip; const char* enabled; const char* action;
                  const char* shown; };
    const Case cases[] = {
        {true, false, 1, "7", "1011111", "edit-undo", "/7"}, {true, false, 1, "7", "1011111", "edit-cut", "1/2"},
        {true, false, 1, "7", "1011111", "edit-copy", "1[2]/2"}, {true, false, 1, "7", "1011111", "edit-paste", "17/7"},
        {true, false, 1, "7", "1011111", "edit-delete", "1/7"}, {true, false, 2, "", "1000001", "select-all", "[12]/"},
        {false, false, 1, "7", "0001001", "edit-copy", "1[2]/2"}, {true, true, 1, "", "0001001", "select-all", "[12]/"},
    };
    const char* const names[] = {"edit-undo", "edit-redo", "edit-cut", "edit-copy", "edit-paste", "edit-delete", "select-all"};
    for (const Case& c : cases) {
        prepare("12", c.selStart, c.clip, c.editor, c.readOnly);
        const std::unique_ptr<QMenu> menu(entry->createEditContextMenu());
        std::string enabled;
        for (const char* name : names)
            enabled += menu->findChild<QAction*>(name)->isEnabled() ? '1' : '0';
        EXPECT_EQ(enabled, c.enabled) << c.action;
        menu->findChild<QAction*>(c.action)->trigger();
        EXPECT_EQ(shown(), QString::fromLatin1(c.shown)) << c.action;
    }
    prepare("", 0, "", true, false);
    const std::unique_ptr<QMenu> menu(entry->createEditContextMenu());
    EXPECT_FALSE(menu->findChild<QAction*>("select-all")->isEnabled());
}

// Entering other than by a click selects the text when AutoSelect is set,
// and never otherwise; the button's halves give the entry the focus and step
// it (read-only: a beep); the context menu pops up without leaving the entry.
TEST_F(EntryWindow, EnteringTheButtonAndTheMenu)
{
    ASSERT_TRUE(showActive(window));
    entry->setValue(12);
    struct Case { bool autoSelect; Qt::FocusReason reason; const char* selected; };
    const Case cases[] = {{true, Qt::TabFocusReason, "12"}, {true, Qt::OtherFocusReason, "12"},
                          {true, Qt::MouseFocusReason, ""}, {false, Qt::TabFocusReason, ""}, {false, Qt::OtherFocusReason, ""}};
    for (const Case& c : cases) {
        after->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(waitForFocus(after));
        entry->setAutoSelect(c.autoSelect);
        entry->setFocus(c.reason);
        ASSERT_TRUE(waitForFocus(entry));
        EXPECT_EQ(entry->selectedText(), c.selected) << c.autoSelect << " reason " << c.reason;
    }
    after->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(waitForFocus(after));
    QTest::mouseClick(entry->Button()->upHalf(), Qt::LeftButton);
    EXPECT_TRUE(entry->hasFocus());
    QTest::mouseClick(entry->Button()->downHalf(), Qt::LeftButton);
    QTest::mouseClick(entry->Button()->downHalf(), Qt::LeftButton);
    entry->setReadOnly(true);
    QTest::mouseClick(entry->Button()->upHalf(), Qt::LeftButton);
    EXPECT_EQ(std::tuple(entry->text(), beeps), std::tuple("11", 1));
    const size_t exitCount = exits.size();
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(2, 2), entry->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(entry, &menuEvent);
    auto* const menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(menu && menu->findChild<QAction*>("edit-cut"));
    menu->close();
    ASSERT_TRUE(waitForFocus(entry));
    EXPECT_EQ(exits.size(), exitCount);
}

// The time entry reports a finished entry on the release of Enter, and on
// leaving before its exit handler.
TEST_F(EntryWindow, TimeEntryReportsEnterAndLeaving)
{
    std::string events;
    time->OnHEnter = [&](QObject* sender) { events += sender == time ? 'H' : '?'; };
    time->OnExit = [&](QObject* sender) { events += sender == time ? 'X' : '?'; };
    ASSERT_TRUE(showActive(window));
    time->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(waitForFocus(time));
    QTest::keyClick(time, Qt::Key_Return);
    EXPECT_EQ(events, "H");
    after->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(waitForFocus(after));
    EXPECT_EQ(events, "HHX");
}

} // namespace
