// The time entry and the decimal spin entry under Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include <string>

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
    const std::tuple<const char*, int, const char*, int> cases[] = {
        {"!00:00:00;1;_", 0, "00:00:00", 0}, {"!00:00:00;1;_", 39300000, "01:05:30", 39300000},
        {"!00:00:00;1;_", 864000000, "24:00:00", 864000000}, {"!00:00:00;1;_", 864000001, "00:00:00", 0},
        {"!00:00;1;_", 300000, "00:30", 300000}, {"!00:00;1;_", 39300000, "05:30", 3300000},
        {"!99:99:99;1;_", 300000, "__:__:30", 300000}, {"!99:99:99;0;_", 0, "__:__:__", 0},
        {"!99:99:99;0;_", 39300000, "_1:05:30", 39300000}, {"!00:00;", 300000, "00:30", 300000},
    };
    TTidEdit entry;
    for (const auto& [editMask, value, shown, readBack] : cases) {
        entry.setEditMask(QString::fromLatin1(editMask));
        entry.setTid(value);
        EXPECT_EQ(std::tuple(entry.displayText().toStdString(), entry.Tid()), std::tuple(shown, readBack)) << value;
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

// A window with a spin entry (limits 2 to 11, steps of 3), a time entry and a
// line edit, in that focus order. The log takes a "*" per beep, the spin entry's value at each exit
// and the time entry's reports ("H" a finished entry, "X" its exit).
struct EntryWindow : testing::Test {
    QWidget window;
    TViloSpinnEdit* entry = new TViloSpinnEdit(&window);
    TTidEdit* time = new TTidEdit(&window);
    QLineEdit* after = new QLineEdit(&window);
    std::string log;
    BeepHook oldBeep = setBeepHook([this] { log += '*'; });

    EntryWindow()
    {
        entry->setMinValue(2);
        entry->setMaxValue(11);
        entry->setIncrement(3);
        entry->OnExit = [this](QObject* s) { log += s == entry ? std::to_string(entry->Value()) : "?"; };
        time->OnHEnter = [this](QObject* s) { log += s == time ? 'H' : '?'; };
        time->OnExit = [this](QObject* s) { log += s == time ? 'X' : '?'; };
    }
    ~EntryWindow() override { setBeepHook(oldBeep); }
};

// Entering selects the text and a key that is no number is refused; leaving
// clamps the value before the exit handler sees it, once, and only on a real
// focus move: another window taking the focus for a while is no leaving, but
// a move made meanwhile is. The time entry reports Enter (on its release),
// and on leaving a finished entry before its exit. A press on a spin button
// half gives the entry the focus, the click steps. Entering selects all
// unless by a click or without AutoSelect.
TEST_F(EntryWindow, FocusMovesAndTheSpinButton)
{
    ASSERT_TRUE(showActive(window));
    entry->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(waitForFocus(entry));
    QTest::keyClicks(entry, "1a2");
    EXPECT_EQ(std::tuple(entry->text(), log), std::tuple("12", "*"));
    ASSERT_TRUE(showActive(*std::make_unique<QWidget>()));
    ASSERT_TRUE(showActive(window));
    ASSERT_TRUE(waitForFocus(entry));
    EXPECT_EQ(log, "*");
    QTest::keyClick(entry, Qt::Key_Tab);
    ASSERT_TRUE(waitForFocus(time));
    EXPECT_EQ(std::tuple(log, entry->text()), std::tuple("*11", "11"));
    QTest::keyClick(time, Qt::Key_Return);
    entry->Button()->downHalf()->click();  // a press that gives no focus by itself
    EXPECT_EQ(std::tuple(entry->hasFocus(), entry->text(), log), std::tuple(true, "8", "*11HHX"));
    // A move made while another window is active is seen, once, when the window comes back.
    {
        QWidget other;
        ASSERT_TRUE(showActive(other));
        after->setFocus(Qt::OtherFocusReason);
    }
    ASSERT_TRUE(showActive(window));
    ASSERT_TRUE(waitForFocus(after));
    after->clearFocus();
    after->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(log, "*11HHX8");
    const std::tuple<bool, Qt::FocusReason, const char*> entering[] = {
        {true, Qt::OtherFocusReason, "8"}, {true, Qt::MouseFocusReason, ""}, {false, Qt::TabFocusReason, ""}};
    for (const auto& [autoSelect, reason, selected] : entering) {
        after->setFocus(Qt::TabFocusReason);
        entry->setAutoSelect(autoSelect);
        entry->setFocus(reason);
        EXPECT_EQ(entry->selectedText(), selected) << autoSelect << " reason " << reason;
    }
}

// What keys, composed text and the context menu's commands (as by the menu
// key) do to "12" typed with the "2" selected and "7" on the clipboard.
// Shown: the text, the selection in brackets, "/" and the clipboard, a "*"
// per beep; for the menu first the commands it offers next (undo redo, cut
// copy paste delete, select all; 1 enabled). With the editor disabled (N)
// nothing edits the text and typing beeps, yet the arrows step; read-only
// (R), the arrows beep.
TEST_F(EntryWindow, EditingByState)
{
    enum State { E, N, R };
    struct Case { State state; QKeyCombination key; const char* shown; const char* text = ""; };
    const Case cases[] = {
        {E, Qt::Key_3, "13[]/7"}, {E, Qt::Key_A, "12[2]/7*"}, {E, Qt::Key_Space, "12[2]/7*"}, {E, Qt::Key_Up, "11[]/7"},
        {E, Qt::CTRL | Qt::Key_A, "12[12]/7"}, {E, Qt::CTRL | Qt::Key_X, "1[]/2"}, {E, Qt::Key_Down, "9[]/7"},
        {E, Qt::Key_Return, "11[]/7"}, {E, Qt::KeypadModifier | Qt::Key_Enter, "11[]/7"}, {E, {}, "134[]/7**", "3a\r4"},
        {N, Qt::Key_3, "12[2]/7*"}, {N, Qt::Key_Backspace, "12[2]/7*"}, {N, Qt::Key_Delete, "12[2]/7"},
        {N, Qt::CTRL | Qt::Key_X, "12[2]/7"}, {N, Qt::CTRL | Qt::Key_V, "12[2]/7"},
        {N, Qt::SHIFT | Qt::Key_Insert, "12[2]/7"}, {N, Qt::CTRL | Qt::Key_Z, "12[2]/7"},
        {N, Qt::CTRL | Qt::Key_A, "12[12]/7"}, {N, Qt::Key_Down, "9[]/7"}, {N, {}, "12[2]/7", "3"},
        {R, Qt::Key_Up, "12[2]/7*"}, {R, Qt::Key_Return, "11[]/7"}, {E, Qt::Key_Menu, "01 0010 0 []/7", "edit-undo"},
        {E, Qt::Key_Menu, "10 0010 1 1[]/2", "edit-cut"}, {E, Qt::Key_Menu, "10 1111 1 12[2]/2", "edit-copy"},
        {E, Qt::Key_Menu, "10 0010 1 17[]/7", "edit-paste"}, {E, Qt::Key_Menu, "10 0010 1 1[]/7", "edit-delete"},
        {E, Qt::Key_Menu, "10 1111 1 12[12]/7", "select-all"}, {N, Qt::Key_Menu, "00 0100 1 12[2]/7", "edit-cut"},
        {R, Qt::Key_Menu, "00 0100 1 12[2]/7", "edit-paste"},
    };
    for (const Case& c : cases) {
        entry->setText({});
        entry->insert("12");
        entry->setSelection(1, 1);
        QGuiApplication::clipboard()->setText("7");
        entry->setEditorEnabled(c.state != N);
        entry->setReadOnly(c.state == R);
        log.clear();
        QString shown;
        if (c.key.key() == Qt::Key_Menu) {
            entry->createEditContextMenu()->findChild<QAction*>(c.text)->trigger();
            for (const QAction* action : entry->createEditContextMenu()->actions())
                shown += action->isSeparator() ? u' ' : action->isEnabled() ? u'1' : u'0';
            shown += u' ';
        } else if (*c.text) {
            QInputMethodEvent event;
            event.setCommitString(QString::fromLatin1(c.text));
            QApplication::sendEvent(entry, &event);
        } else {
            QTest::keyClick(entry, c.key.key(), c.key.keyboardModifiers());
        }
        shown += entry->text() + u'[' + entry->selectedText() + "]/"
            + QGuiApplication::clipboard()->text() + QString::fromStdString(log);
        EXPECT_EQ(shown.toStdString(), c.shown) << c.state << " " << c.key.toCombined() << " " << c.text;
    }
}

} // namespace
