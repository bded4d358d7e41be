// The decimal spin entry under Qt's offscreen platform: typing, stepping,
// clamping, leaving, and the read-only and editor-disabled paths.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <climits>
#include <functional>
#include <memory>
#include <stdexcept>

#include "EntryTestSupport.h"
#include "timevalues/SpinButton.h"
#include "timevalues/ViloSpinnEdit.h"

using entrytest::kWaitMs;

namespace {

class SpinEntry : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        before = new QLineEdit;
        spin = new TViloSpinnEdit;
        after = new QLineEdit;
        layout->addWidget(before);
        layout->addWidget(spin);
        layout->addWidget(after);
        ASSERT_TRUE(entrytest::showActive(*window));
    }

    // Focus on the entry with its whole text selected.
    void enterWithText(const QString& text)
    {
        spin->setText(text);
        ASSERT_TRUE(entrytest::focusOn(*spin, Qt::TabFocusReason));
        spin->selectAll();
    }

    void tabOut()
    {
        QTest::keyClick(spin, Qt::Key_Tab);
        ASSERT_TRUE(QTest::qWaitFor([&] { return after->hasFocus(); }, kWaitMs));
    }

    entrytest::BeepCounter beeps;
    std::unique_ptr<QWidget> window;
    QLineEdit* before = nullptr;
    TViloSpinnEdit* spin = nullptr;
    QLineEdit* after = nullptr;
};

struct WriteCase {
    int decimals;
    int value;
    const char* text;
};

TEST_F(SpinEntry, WritesValueAsText)
{
    const WriteCase cases[] = {
        {2, 1250, "12,50"}, {2, 5, "0,05"}, {2, 0, "0,00"}, {2, -5, "-0,05"}, {0, -12, "-12"}, {1, 7, "0,7"},
    };
    for (const auto& c : cases) {
        spin->setDecimals(c.decimals);
        spin->setValue(c.value);
        EXPECT_EQ(spin->text(), QString::fromLatin1(c.text)) << c.value;
    }
}

struct ReadCase {
    int decimals;
    const char* text;
    int value;
    const char* textAfter;
};

TEST_F(SpinEntry, ReadsValueFromTextAndRewritesDecimals)
{
    const ReadCase cases[] = {
        {2, "12,5", 1250, "12,50"}, {2, "1.234", 123, "1.23"}, {2, "12", 1200, "12"},  {2, "", 0, ""},
        {0, "", -3, ""},            {0, "12,7", 12, "12,"},    {0, "+5", 5, "+5"},     {0, "5+", 5, "5+"},
        {1, "1.2,5", 12, "1.2"},    {2, "1.2,5", -3, "1.2,"},  {0, "abc", -3, "abc"},  {2, "-0,05", -5, "-0,05"},
    };
    spin->setMinValue(-3);
    spin->setMaxValue(100000);
    for (const auto& c : cases) {
        spin->setDecimals(c.decimals);
        spin->setText(QString::fromLatin1(c.text));
        EXPECT_EQ(spin->Value(), c.value) << c.text;
        EXPECT_EQ(spin->text(), QString::fromLatin1(c.textAfter)) << c.text;
    }
}

TEST_F(SpinEntry, ReadingThatRewritesTheTextIsAChange)
{
    spin->setDecimals(2);
    spin->setText("12,5");
    int changes = 0;
    spin->OnChange = [&](QObject* sender) {
        EXPECT_EQ(sender, spin);
        ++changes;
    };
    EXPECT_EQ(spin->Value(), 1250);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(spin->Value(), 1250);
    EXPECT_EQ(changes, 1);
}

TEST_F(SpinEntry, TypedKeysAreFilteredWithABeepEach)
{
    spin->setDecimals(1);
    enterWithText("");
    QTest::keyClicks(spin, "12a,5x");
    EXPECT_EQ(spin->text(), "12,5");
    EXPECT_EQ(beeps.count, 2);
    EXPECT_EQ(spin->Value(), 125);
}

TEST_F(SpinEntry, EnterReclampsSilentlyAndStaysInTheEntry)
{
    spin->setMinValue(1);
    spin->setMaxValue(9);
    int exits = 0;
    spin->OnExit = [&](QObject*) { ++exits; };
    enterWithText("");
    QTest::keyClicks(spin, "12");
    QTest::keyClick(spin, Qt::Key_Return);
    EXPECT_EQ(spin->text(), "9");
    QTest::keyClicks(spin, "0");
    QTest::keyClick(spin, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(spin->text(), "9");
    EXPECT_EQ(beeps.count, 0);
    EXPECT_EQ(exits, 0);
    EXPECT_TRUE(spin->hasFocus());
}

TEST_F(SpinEntry, ArrowKeysStepByIncrementAndClamp)
{
    spin->setIncrement(5);
    enterWithText("0");
    QTest::keyClick(spin, Qt::Key_Up);
    QTest::keyClick(spin, Qt::Key_Up);
    EXPECT_EQ(spin->text(), "10");
    QTest::keyClick(spin, Qt::Key_Down);
    EXPECT_EQ(spin->text(), "5");

    spin->setMinValue(1);
    spin->setMaxValue(9);
    QTest::keyClick(spin, Qt::Key_Up);
    EXPECT_EQ(spin->text(), "9");
    spin->setValue(3);
    QTest::keyClick(spin, Qt::Key_Down);
    EXPECT_EQ(spin->text(), "1");
}

TEST_F(SpinEntry, StepsOnUnboundedEntriesSaturate)
{
    spin->setValue(INT_MAX);
    spin->UpClick();
    EXPECT_EQ(spin->Value(), INT_MAX);
    spin->setValue(INT_MIN);
    spin->DownClick();
    EXPECT_EQ(spin->Value(), INT_MIN);
}

TEST_F(SpinEntry, ButtonHalvesFocusTheEntryThenStep)
{
    ASSERT_TRUE(entrytest::focusOn(*before));
    spin->setDecimals(1);
    spin->setValue(10);
    QTest::mouseClick(spin->Button()->upHalf(), Qt::LeftButton);
    EXPECT_TRUE(spin->hasFocus());
    EXPECT_EQ(spin->text(), "1,1");
    QTest::mouseClick(spin->Button()->downHalf(), Qt::LeftButton);
    QTest::mouseClick(spin->Button()->downHalf(), Qt::LeftButton);
    EXPECT_EQ(spin->text(), "0,9");
    EXPECT_EQ(spin->Button()->upHalf()->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(spin->Button()->downHalf()->focusPolicy(), Qt::NoFocus);
}

TEST_F(SpinEntry, HeldButtonRepeats)
{
    QToolButton* up = spin->Button()->upHalf();
    QTest::mousePress(up, Qt::LeftButton);
    const bool repeated = QTest::qWaitFor([&] { return spin->text().toInt() >= 3; }, kWaitMs);
    QTest::mouseRelease(up, Qt::LeftButton);
    EXPECT_TRUE(repeated) << spin->text().toStdString();
}

TEST_F(SpinEntry, LeavingClampsBeforeTheExitHandlerRuns)
{
    spin->setMinValue(1);
    spin->setMaxValue(9);
    spin->setValue(1);
    std::vector<int> seen;
    spin->OnExit = [&](QObject* sender) {
        EXPECT_EQ(sender, spin);
        seen.push_back(static_cast<TViloSpinnEdit*>(sender)->Value());
    };
    enterWithText("");
    QTest::keyClicks(spin, "12");
    tabOut();
    EXPECT_EQ(seen, std::vector<int>{9});
    EXPECT_EQ(spin->text(), "9");
}

TEST_F(SpinEntry, AnotherWindowTakingTheFocusIsNotLeaving)
{
    int exits = 0;
    spin->OnExit = [&](QObject*) { ++exits; };
    enterWithText("4");
    QWidget other;
    ASSERT_TRUE(entrytest::showActive(other));
    ASSERT_FALSE(spin->hasFocus());
    ASSERT_TRUE(entrytest::showActive(*window));
    ASSERT_TRUE(QTest::qWaitFor([&] { return spin->hasFocus(); }, kWaitMs));
    EXPECT_EQ(exits, 0);
    tabOut();
    EXPECT_EQ(exits, 1);
}

TEST_F(SpinEntry, FocusMovedWhileTheWindowWasInactiveIsLeaving)
{
    spin->setMinValue(1);
    spin->setMaxValue(9);
    int exits = 0;
    spin->OnExit = [&](QObject*) { ++exits; };
    enterWithText("");
    QTest::keyClicks(spin, "12");
    {
        QWidget other;
        ASSERT_TRUE(entrytest::showActive(other));
        after->setFocus();
        EXPECT_EQ(exits, 0);
    }
    ASSERT_TRUE(entrytest::showActive(*window));
    ASSERT_TRUE(QTest::qWaitFor([&] { return after->hasFocus(); }, kWaitMs));
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(spin->text(), "9");
}

TEST_F(SpinEntry, ReadOnlyStepsBeepAndChangeNothing)
{
    spin->setValue(4);
    spin->setReadOnly(true);
    enterWithText("4");
    QTest::keyClick(spin, Qt::Key_Up);
    QTest::mouseClick(spin->Button()->downHalf(), Qt::LeftButton);
    EXPECT_EQ(beeps.count, 2);
    QTest::keyClicks(spin, "5");
    EXPECT_EQ(beeps.count, 2);
    QTest::keyClicks(spin, "a");
    EXPECT_EQ(beeps.count, 3);
    QGuiApplication::clipboard()->setText("77");
    QTest::keyClick(spin, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(spin->text(), "4");
}

struct EditKey {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int beeps; // with the editor disabled
};

// Each key applied to the selected text "12" with "77" on the clipboard.
TEST_F(SpinEntry, DisabledEditorRefusesEveryEdit)
{
    const EditKey keys[] = {
        {"digit", Qt::Key_5, Qt::NoModifier, 1},
        {"Backspace", Qt::Key_Backspace, Qt::NoModifier, 1},
        {"Delete", Qt::Key_Delete, Qt::NoModifier, 0},
        {"Ctrl+V", Qt::Key_V, Qt::ControlModifier, 0},
        {"Shift+Insert", Qt::Key_Insert, Qt::ShiftModifier, 0},
        {"Ctrl+X", Qt::Key_X, Qt::ControlModifier, 0},
        {"Shift+Delete", Qt::Key_Delete, Qt::ShiftModifier, 0},
    };
    for (bool editorEnabled : {true, false}) {
        spin->setEditorEnabled(editorEnabled);
        for (const auto& k : keys) {
            QGuiApplication::clipboard()->setText("77");
            enterWithText("12");
            beeps.count = 0;
            QTest::keyClick(spin, k.key, k.modifiers);
            if (editorEnabled) {
                EXPECT_NE(spin->text(), "12") << k.name << " must edit with the editor enabled";
                EXPECT_EQ(beeps.count, 0) << k.name;
            } else {
                EXPECT_EQ(spin->text(), "12") << k.name;
                EXPECT_EQ(QGuiApplication::clipboard()->text(), "77") << k.name;
                EXPECT_EQ(beeps.count, k.beeps) << k.name;
            }
        }
    }
}

TEST_F(SpinEntry, DisabledEditorStillSteps)
{
    spin->setEditorEnabled(false);
    enterWithText("12");
    QTest::keyClick(spin, Qt::Key_Up);
    QTest::mouseClick(spin->Button()->upHalf(), Qt::LeftButton);
    EXPECT_EQ(spin->text(), "14");
    EXPECT_EQ(beeps.count, 0);
}

TEST_F(SpinEntry, DisabledEditorRefusesMenuDropsAndInputMethods)
{
    spin->setEditorEnabled(false);
    enterWithText("12");

    std::unique_ptr<QMenu> menu(spin->createEditContextMenu());
    int editing = 0;
    for (QAction* action : menu->actions()) {
        const QString name = action->objectName();
        if (name == "edit-cut" || name == "edit-paste" || name == "edit-delete" || name == "edit-undo") {
            ++editing;
            EXPECT_FALSE(action->isEnabled()) << name.toStdString();
        }
    }
    EXPECT_EQ(editing, 4);

    QMimeData data;
    data.setText("77");
    QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(spin, &enter);
    EXPECT_FALSE(enter.isAccepted());
    QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(spin, &drop);
    EXPECT_EQ(spin->text(), "12");

    QInputMethodEvent commit(QString(), {});
    commit.setCommitString("5");
    QApplication::sendEvent(spin, &commit);
    EXPECT_EQ(spin->text(), "12");
}

TEST_F(SpinEntry, InputMethodCommitsAreFiltered)
{
    enterWithText("");
    QInputMethodEvent commit(QString(), {});
    commit.setCommitString("7x8");
    QApplication::sendEvent(spin, &commit);
    EXPECT_EQ(spin->text(), "78");
    EXPECT_EQ(beeps.count, 1);
}

TEST_F(SpinEntry, AutoSelectOnEnteringButNotOnAClick)
{
    ASSERT_TRUE(entrytest::focusOn(*before));
    spin->setText("123");
    QTest::keyClick(before, Qt::Key_Tab);
    ASSERT_TRUE(QTest::qWaitFor([&] { return spin->hasFocus(); }, kWaitMs));
    EXPECT_EQ(spin->selectedText(), "123");

    spin->setAutoSelect(false);
    ASSERT_TRUE(entrytest::focusOn(*before));
    QTest::keyClick(before, Qt::Key_Tab);
    ASSERT_TRUE(QTest::qWaitFor([&] { return spin->hasFocus(); }, kWaitMs));
    EXPECT_EQ(spin->selectedText(), "");

    spin->setAutoSelect(true);
    ASSERT_TRUE(entrytest::focusOn(*before));
    QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(4, spin->height() / 2));
    ASSERT_TRUE(spin->hasFocus());
    EXPECT_EQ(spin->selectedText(), "");
}

TEST_F(SpinEntry, HandlerExceptionsReachTheErrorHook)
{
    entrytest::ErrorRecorder errors;
    enterWithText("1");
    spin->OnExit = [](QObject*) { throw std::runtime_error("exit failed"); };
    spin->OnChange = [](QObject*) { throw std::runtime_error("change failed"); };
    QTest::keyClick(spin, Qt::Key_Up);
    tabOut();
    EXPECT_EQ(errors.texts, (std::vector<std::string>{"change failed", "exit failed"}));
}

TEST_F(SpinEntry, ButtonSitsInsideTheRightEdge)
{
    window->resize(300, 120);
    ASSERT_TRUE(QTest::qWaitFor([&] { return spin->width() > 100; }, kWaitMs));
    const QRect button = spin->Button()->geometry();
    EXPECT_TRUE(spin->rect().contains(button));
    EXPECT_GE(button.left(), spin->width() - SpinButton::kWidth - 4);
    EXPECT_GE(spin->textMargins().right(), SpinButton::kWidth);
}

} // namespace
