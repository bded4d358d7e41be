// The time entry and the decimal spin entry under Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include <memory>

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

// A window with a spin entry (limits 0 to 11, steps of 3) and a line edit;
// the log takes a "*" per beep and the entry's value at each exit.
struct EntryWindow : testing::Test {
    QWidget window;
    TViloSpinnEdit* entry = new TViloSpinnEdit(&window);
    QLineEdit* after = new QLineEdit(&window);
    std::string log;
    int changes = 0;  // of the entry's text
    BeepHook oldBeep = setBeepHook([this] { log += '*'; });

    EntryWindow()
    {
        entry->setMaxValue(11);
        entry->setIncrement(3);
        entry->OnExit = [this](QObject* s) { log += s == entry ? std::to_string(entry->Value()) : "?"; };
        entry->OnChange = [this](QObject* s) { changes += s == entry; };
    }
    ~EntryWindow() override { setBeepHook(oldBeep); }
};

// Entering selects the text and a key that is no number is refused; leaving
// clamps the value before the exit handler sees it, once, and only on a real
// focus move: another window taking the focus for a while is no leaving, but
// a move made meanwhile is. A press on a spin button half gives the entry the
// focus, the click steps; entering other than by a click selects the text.
TEST_F(EntryWindow, FocusMovesAndTheSpinButton)
{
    ASSERT_TRUE(showActive(window));
    entry->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(waitForFocus(entry));
    QTest::keyClicks(entry, "1a2");
    EXPECT_EQ(std::tuple(entry->text(), log, changes), std::tuple("12", "*", 2));
    ASSERT_TRUE(showActive(*std::make_unique<QWidget>()));
    ASSERT_TRUE(showActive(window));
    ASSERT_TRUE(waitForFocus(entry));
    EXPECT_EQ(log, "*");
    QTest::keyClick(entry, Qt::Key_Tab);
    ASSERT_TRUE(waitForFocus(after));
    EXPECT_EQ(std::tuple(log, entry->text()), std::tuple("*11", "11"));
    // Presses that give no focus by themselves: 11 - 3 - 3 + 3, shown on leaving.
    for (QToolButton* half : {entry->Button()->downHalf(), entry->Button()->downHalf(), entry->Button()->upHalf()})
        half->click();
    ASSERT_TRUE(waitForFocus(entry));
    // A move made while another window is active is seen, once, when the window comes back.
    auto other = std::make_unique<QWidget>();
    ASSERT_TRUE(showActive(*other));
    after->setFocus(Qt::OtherFocusReason);
    other.reset();
    ASSERT_TRUE(showActive(window));
    ASSERT_TRUE(waitForFocus(after));
    after->clearFocus();
    after->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(log, "*118");
    entry->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(entry->selectedText(), "8");
}

// With decimals, reading the value writes back the text with its decimals
// cut or padded to the entry's; a whole number stays as typed.
TEST(SpinEntry, ReadingWritesTheDecimalsBack)
{
    TViloSpinnEdit entry;
    entry.setDecimals(2);
    entry.setMaxValue(1000);
    for (const auto& [typed, value, shown] : {std::tuple{"1.5", 150, "1.50"}, {"1,234", 123, "1,23"}, {"7", 700, "7"}}) {
        entry.setText(QString::fromLatin1(typed));
        const int read = entry.Value();
        EXPECT_EQ(std::pair(read, entry.text()), std::pair(value, QString::fromLatin1(shown))) << typed;
    }
}

// What keys, composed text and the context menu's commands (rows with the
// menu key name one) do to "12" typed with the "2" selected and "7" on the
// clipboard.
// Shown: the text, the selection in brackets, "/" and the clipboard, a "*"
// per beep; for the menu then the commands it offers next (undo redo, cut
// copy paste delete, select all; 1 enabled). With the editor disabled (N)
// nothing edits the text and typing beeps, yet the arrows step; read-only
// (R), the arrows beep. No shown: nothing changes.
TEST_F(EntryWindow, EditingByState)
{
    enum State { E, N, R };
    struct Case { State state; QKeyCombination key; const char* shown = "12[2]/7"; const char* text = ""; };
    const Case cases[] = {
        {E, Qt::Key_3, "13[]/7"}, {E, Qt::Key_A, "12[2]/7*"}, {E, Qt::Key_Space, "12[2]/7*"}, {E, Qt::Key_Up, "11[]/7"},
        {E, Qt::CTRL | Qt::Key_A, "12[12]/7"}, {E, Qt::CTRL | Qt::Key_X, "1[]/2"}, {E, Qt::Key_Down, "9[]/7"},
        {E, {}, "13[]/7", "3"}, {E, {}, "134[]/7**", "3a\r4"}, {N, Qt::Key_3, "12[2]/7*"},
        {N, Qt::Key_Backspace, "12[2]/7*"}, {N, Qt::Key_Delete}, {N, Qt::CTRL | Qt::Key_X}, {N, Qt::CTRL | Qt::Key_V},
        {N, Qt::CTRL | Qt::Key_Z}, {N, Qt::CTRL | Qt::Key_A, "12[12]/7"}, {N, Qt::Key_Down, "9[]/7"},
        {N, {}, "12[2]/7", "3"}, {R, Qt::Key_Up, "12[2]/7*"}, {R, Qt::Key_Return, "11[]/7"},
        {E, Qt::Key_Menu, "[]/7 01 0010 0", "edit-undo"}, {E, Qt::Key_Menu, "1[]/2 10 0010 1", "edit-cut"},
        {E, Qt::Key_Menu, "12[2]/2 10 1111 1", "edit-copy"}, {E, Qt::Key_Menu, "17[]/7 10 0010 1", "edit-paste"},
        {E, Qt::Key_Menu, "1[]/7 10 0010 1", "edit-delete"}, {E, Qt::Key_Menu, "12[12]/7 10 1111 1", "select-all"},
        {N, Qt::Key_Menu, "12[2]/7 00 0100 1", "edit-cut"}, {R, Qt::Key_Menu, "12[2]/7 00 0100 1", "edit-paste"},
    };
    for (const Case& c : cases) {
        entry->setText({});
        entry->insert("12");
        entry->setSelection(1, 1);
        QGuiApplication::clipboard()->setText("7");
        entry->setEditorEnabled(c.state != N);
        entry->setReadOnly(c.state == R);
        log.clear();
        const bool menu = c.key.key() == Qt::Key_Menu;
        QInputMethodEvent composed;
        composed.setCommitString(QString::fromLatin1(c.text));
        if (menu)
            entry->createEditContextMenu()->findChild<QAction*>(c.text)->trigger();
        else if (*c.text)
            QApplication::sendEvent(entry, &composed);
        else
            QTest::keyClick(entry, c.key.key(), c.key.keyboardModifiers());
        QString shown = entry->text() + u'[' + entry->selectedText() + "]/" + QGuiApplication::clipboard()->text()
            + QString::fromStdString(log) + (menu ? " " : "");
        for (const QAction* action : menu ? entry->createEditContextMenu()->actions() : QList<QAction*>())
            shown += action->isSeparator() ? u' ' : action->isEnabled() ? u'1' : u'0';
        EXPECT_EQ(shown.toStdString(), c.shown) << c.state << " " << c.key.toCombined() << " " << c.text;
    }
}

} // namespace
