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
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

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
        for (QWidget* w : std::initializer_list<QWidget*>{before = new QLineEdit, spin = new TViloSpinnEdit,
                                                         after = new QLineEdit})
            layout->addWidget(w);
        spin->OnExit = [this](QObject* sender) {
            EXPECT_EQ(sender, spin);
            exitValues.push_back(spin->Value());
        };
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

    void limits(int min, int max)
    {
        spin->setMinValue(min);
        spin->setMaxValue(max);
    }

    entrytest::BeepCounter beeps;
    std::unique_ptr<QWidget> window;
    QLineEdit* before = nullptr;
    TViloSpinnEdit* spin = nullptr;
    QLineEdit* after = nullptr;
    std::vector<int> exitValues;
};

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
    limits(-3, 100000);
    for (const auto& c : cases) {
        spin->setDecimals(c.decimals);
        spin->setText(QString::fromLatin1(c.text));
        EXPECT_EQ(spin->Value(), c.value) << c.text;
        EXPECT_EQ(spin->text(), QString::fromLatin1(c.textAfter)) << c.text;
    }
    // The rewrite is a change of the text like any other.
    int changes = 0;
    spin->OnChange = [&](QObject* sender) { changes += sender == spin; };
    spin->setDecimals(2);
    spin->setText("7,5");
    spin->Value();
    spin->Value();
    EXPECT_EQ(changes, 2);
}

TEST_F(SpinEntry, TypedKeysAreFilteredWithABeepEach)
{
    spin->setDecimals(1);
    enterWithText("");
    QTest::keyClicks(spin, "12a,5x");
    EXPECT_EQ(spin->text(), "12,5");
    EXPECT_EQ(beeps.count, 2);

    enterWithText("");
    QInputMethodEvent commit(QString(), {});
    commit.setCommitString("7x8");
    QApplication::sendEvent(spin, &commit);
    EXPECT_EQ(spin->text(), "78");
    EXPECT_EQ(beeps.count, 3);
}

TEST_F(SpinEntry, KeysStepAndEnterReclampsSilently)
{
    spin->setIncrement(5);
    enterWithText("0");
    QTest::keyClick(spin, Qt::Key_Up);
    QTest::keyClick(spin, Qt::Key_Up);
    QTest::keyClick(spin, Qt::Key_Down);
    EXPECT_EQ(spin->text(), "5");

    limits(1, 9);
    QTest::keyClick(spin, Qt::Key_Up);
    EXPECT_EQ(spin->text(), "9");
    enterWithText("");
    QTest::keyClicks(spin, "12");
    QTest::keyClick(spin, Qt::Key_Return);
    EXPECT_EQ(spin->text(), "9");
    spin->selectAll();
    QTest::keyClicks(spin, "0");
    QTest::keyClick(spin, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(spin->text(), "1");
    EXPECT_EQ(beeps.count, 0);
    EXPECT_TRUE(exitValues.empty());
    EXPECT_TRUE(spin->hasFocus());
}

TEST_F(SpinEntry, ButtonHalvesFocusTheEntryThenStepAndRepeatWhileHeld)
{
    ASSERT_TRUE(entrytest::focusOn(*before));
    spin->setDecimals(1);
    spin->setValue(10);
    QToolButton* up = spin->Button()->upHalf();
    QTest::mouseClick(up, Qt::LeftButton);
    EXPECT_TRUE(spin->hasFocus());
    EXPECT_EQ(spin->text(), "1,1");
    QTest::mouseClick(spin->Button()->downHalf(), Qt::LeftButton);
    QTest::mouseClick(spin->Button()->downHalf(), Qt::LeftButton);
    EXPECT_EQ(spin->text(), "0,9");

    QTest::mousePress(up, Qt::LeftButton);
    const bool repeated = QTest::qWaitFor([&] { return spin->Value() >= 12; }, kWaitMs);
    QTest::mouseRelease(up, Qt::LeftButton);
    EXPECT_TRUE(repeated) << spin->text().toStdString();
}

TEST_F(SpinEntry, LeavingClampsBeforeTheExitHandlerRuns)
{
    limits(1, 9);
    enterWithText("");
    QTest::keyClicks(spin, "12");
    tabOut();
    EXPECT_EQ(exitValues, std::vector<int>{9});
    EXPECT_EQ(spin->text(), "9");
}

TEST_F(SpinEntry, OnlyARealFocusMoveIsLeaving)
{
    limits(1, 9);
    enterWithText("");
    QTest::keyClicks(spin, "12");
    auto other = std::make_unique<QWidget>();
    ASSERT_TRUE(entrytest::showActive(*other));
    ASSERT_TRUE(entrytest::showActive(*window));
    ASSERT_TRUE(QTest::qWaitFor([&] { return spin->hasFocus(); }, kWaitMs));
    EXPECT_TRUE(exitValues.empty());

    // The focus moves on while the window is inactive: seen when it returns.
    ASSERT_TRUE(entrytest::showActive(*other));
    after->setFocus();
    EXPECT_TRUE(exitValues.empty());
    other.reset();
    ASSERT_TRUE(entrytest::showActive(*window));
    ASSERT_TRUE(QTest::qWaitFor([&] { return after->hasFocus(); }, kWaitMs));
    EXPECT_EQ(exitValues, std::vector<int>{9});
}

struct EditKey {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int beepsEditorOff; // read-only beeps only for characters that are no number
};

// Each key applied to the selected text "12" with "77" on the clipboard.
TEST_F(SpinEntry, ReadOnlyAndDisabledEditorRefuseEveryEdit)
{
    const EditKey keys[] = {
        {"digit", Qt::Key_5, Qt::NoModifier, 1},           {"Backspace", Qt::Key_Backspace, Qt::NoModifier, 1},
        {"Delete", Qt::Key_Delete, Qt::NoModifier, 0},     {"Ctrl+V", Qt::Key_V, Qt::ControlModifier, 0},
        {"Shift+Insert", Qt::Key_Insert, Qt::ShiftModifier, 0}, {"Ctrl+X", Qt::Key_X, Qt::ControlModifier, 0},
        {"Shift+Delete", Qt::Key_Delete, Qt::ShiftModifier, 0},
    };
    enum Mode { Editable, ReadOnly, EditorOff };
    for (Mode mode : {Editable, ReadOnly, EditorOff}) {
        spin->setReadOnly(mode == ReadOnly);
        spin->setEditorEnabled(mode != EditorOff);
        for (const auto& k : keys) {
            QGuiApplication::clipboard()->setText("77");
            enterWithText("12");
            beeps.count = 0;
            QTest::keyClick(spin, k.key, k.modifiers);
            if (mode == Editable) {
                EXPECT_NE(spin->text(), "12") << k.name << " must edit an editable entry";
                continue;
            }
            EXPECT_EQ(spin->text(), "12") << k.name << " in mode " << mode;
            EXPECT_EQ(QGuiApplication::clipboard()->text(), "77") << k.name << " in mode " << mode;
            EXPECT_EQ(beeps.count, mode == EditorOff ? k.beepsEditorOff : 0) << k.name << " in mode " << mode;
        }
    }
}

TEST_F(SpinEntry, DisabledEditorStepsButRefusesMenuDropsAndInputMethods)
{
    spin->setEditorEnabled(false);
    enterWithText("12");
    QTest::keyClick(spin, Qt::Key_Up);
    QTest::mouseClick(spin->Button()->upHalf(), Qt::LeftButton);
    EXPECT_EQ(spin->text(), "14");
    spin->selectAll();

    std::unique_ptr<QMenu> menu(spin->createEditContextMenu());
    QStringList enabled;
    for (QAction* action : menu->actions())
        if (action->isEnabled() && !action->isSeparator())
            enabled << action->objectName();
    EXPECT_EQ(enabled, (QStringList{"edit-copy", "select-all"}));

    QMimeData data;
    data.setText("77");
    QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(spin, &enter);
    EXPECT_FALSE(enter.isAccepted());
    QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(spin, &drop);
    QInputMethodEvent commit(QString(), {});
    commit.setCommitString("5");
    QApplication::sendEvent(spin, &commit);
    EXPECT_EQ(spin->text(), "14");
    EXPECT_EQ(beeps.count, 0);
}

TEST_F(SpinEntry, ReadOnlyStepsBeepAndChangeNothing)
{
    spin->setReadOnly(true);
    enterWithText("4");
    QTest::keyClick(spin, Qt::Key_Up);
    QTest::mouseClick(spin->Button()->downHalf(), Qt::LeftButton);
    EXPECT_EQ(beeps.count, 2);
    EXPECT_EQ(spin->text(), "4");
}

TEST_F(SpinEntry, AutoSelectOnEnteringButNotOnAClick)
{
    spin->setText("123");
    for (bool autoSelect : {true, false}) {
        spin->setAutoSelect(autoSelect);
        ASSERT_TRUE(entrytest::focusOn(*before));
        QTest::keyClick(before, Qt::Key_Tab);
        ASSERT_TRUE(QTest::qWaitFor([&] { return spin->hasFocus(); }, kWaitMs));
        EXPECT_EQ(spin->selectedText(), autoSelect ? "123" : "");
    }
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

} // namespace
