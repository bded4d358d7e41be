// The port selector control under the offscreen platform: filling, selecting
// by program, choices by key, linking and the port going away, and choices
// applied to a port on a pseudo-terminal.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include <memory>

#include "serial/ComComboBox.h"
#include "serial/ComPort.h"
#include "support/FakeSerialDevice.h"
#include "support/FixedPortList.h"
#include "support/PtyPair.h"
#include "SelectorTestSupport.h"

using namespace serial;

namespace {

// Counts OnChange and notes the port's state at that moment.
struct ChangeLog {
    int count = 0;
    std::string port;
    bool connected = false;
    void Attach(TComComboBox& combo)
    {
        combo.OnChange = [this](TComComboBox* sender) {
            ++count;
            if (TCustomComPort* p = sender->ComPort()) {
                port = p->Port();
                connected = p->Connected();
            }
        };
    }
};

// Fills the control for `kind` and links it to `port`.
void Bind(TComComboBox& combo, TCustomComPort& port, TComProperty kind, bool autoApply)
{
    combo.SetComProperty(kind);
    combo.SetAutoApply(autoApply);
    combo.SetComPort(&port);
}

} // namespace

TEST(ComComboBox, DropDownListFilledByKindAndRefilledOnTheSameKind)
{
    testenv::FixedPortList ports({"ttyUSB1", "ttyS0"});
    TComComboBox combo;
    EXPECT_FALSE(combo.isEditable());
    EXPECT_EQ(combo.ComProperty(), TComProperty::cpNone);
    EXPECT_EQ(combo.Text(), "");

    combo.SetComProperty(TComProperty::cpPort);
    EXPECT_EQ(combo.count(), 2);
    EXPECT_EQ(combo.Text(), "ttyS0");  // no port: the first item

    ports.setNames({"ttyACM0", "ttyS0", "ttyUSB1"});
    combo.SetComProperty(TComProperty::cpPort);  // a port plugged in shows after setting the kind again
    EXPECT_EQ(combo.count(), 3);
    EXPECT_EQ(combo.currentIndex(), 0);

    ports.failWith(EIO);
    EXPECT_EQ(seltest::CodeOf([&] { combo.SetComProperty(TComProperty::cpPort); }), CError_RegError);
    EXPECT_EQ(combo.count(), 0);
    EXPECT_EQ(combo.Text(), "");
}

TEST(ComComboBox, SelectingByProgramNeverAppliesOrNotifies)
{
    testenv::FixedPortList ports({"ttyS0", "ttyUSB0"});
    TComPort port;
    port.SetPort("ttyS0");
    TComComboBox combo;
    Bind(combo, port, TComProperty::cpPort, true);
    ChangeLog changes;
    changes.Attach(combo);

    combo.SetText("TTYUSB0");
    EXPECT_EQ(combo.Text(), "ttyUSB0");
    combo.SetText("ttyX9");  // not listed: selection stays
    EXPECT_EQ(combo.Text(), "ttyUSB0");
    combo.setCurrentIndex(0);
    combo.UpdateSettings();
    EXPECT_EQ(changes.count, 0);
    EXPECT_EQ(port.Port(), "ttyS0");

    port.SetPort("ttyUnlisted");
    combo.UpdateSettings();
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_EQ(combo.Text(), "");
}

TEST(ComComboBox, KeyChoiceTakesTheValueAndAppliesOnlyWithAutoApply)
{
    testenv::FixedPortList ports;
    TComPort port;
    TComComboBox combo;
    Bind(combo, port, TComProperty::cpBaudRate, false);
    ASSERT_EQ(combo.Text(), "9600");
    ChangeLog changes;
    changes.Attach(combo);
    QSignalSpy activated(&combo, &QComboBox::activated);

    QTest::keyClick(&combo, Qt::Key_Down);
    EXPECT_EQ(activated.count(), 1);
    EXPECT_EQ(combo.Text(), "14400");
    EXPECT_EQ(changes.count, 1);
    EXPECT_EQ(port.BaudRate(), TBaudRate::br9600);  // no AutoApply
    combo.ApplySettings();
    EXPECT_EQ(port.BaudRate(), TBaudRate::br14400);

    combo.SetAutoApply(true);
    QTest::keyClick(&combo, Qt::Key_Down);
    EXPECT_EQ(port.BaudRate(), TBaudRate::br19200);
    EXPECT_EQ(changes.count, 2);

    // A handler that throws: the exception stops at the control.
    combo.OnChange = [](TComComboBox*) { throw std::runtime_error("handler failed"); };
    seltest::HookedErrors hooked;
    QTest::keyClick(&combo, Qt::Key_Down);
    EXPECT_EQ(port.BaudRate(), TBaudRate::br38400);
    ASSERT_EQ(hooked.errors.size(), 1u);
    EXPECT_EQ(ExceptionMessage(hooked.errors[0]), "handler failed");
}

TEST(ComComboBox, PortFreedFirstUnlinksAndSelectsTheFirstItem)
{
    testenv::FixedPortList ports({"ttyS0", "ttyUSB0"});
    TComComboBox combo;
    combo.SetComProperty(TComProperty::cpPort);
    {
        TComPort port;
        port.SetPort("ttyUSB0");
        combo.SetComPort(&port);
        EXPECT_EQ(combo.Text(), "ttyUSB0");
    }
    EXPECT_EQ(combo.ComPort(), nullptr);
    EXPECT_EQ(combo.Text(), "ttyS0");
    combo.ApplySettings();  // nothing left to write to

    // The other way round: the control goes first and takes its link along.
    TComPort port;
    {
        TComComboBox early;
        early.SetComPort(&port);
        TComComboBox other;
        other.SetComPort(&port);
        other.SetComPort(nullptr);
    }
    TComLink link;
    port.RegisterLink(&link);  // the port's link list is sound
    port.UnRegisterLink(&link);
}

TEST(ComComboBox, ChoiceReopensAnOpenPortBeforeOnChange)
{
    testenv::PtyPair first;
    testenv::PtyPair second;
    testenv::FixedPortList ports({QString::fromStdString(first.path()), QString::fromStdString(second.path())});
    TComPort port;
    port.SetPort(first.path());
    port.Open();
    TComComboBox combo;
    Bind(combo, port, TComProperty::cpPort, true);
    ChangeLog changes;
    changes.Attach(combo);
    seltest::HookedErrors hooked;

    combo.setFocus();
    QTest::keyClick(&combo, first.path() < second.path() ? Qt::Key_Down : Qt::Key_Up);
    EXPECT_EQ(changes.count, 1);
    EXPECT_EQ(changes.port, second.path());
    EXPECT_TRUE(changes.connected);
    EXPECT_TRUE(hooked.errors.empty());

    // A port that cannot be opened: the error goes to the hook, OnChange does
    // not run, and the port stays closed under the chosen name.
    ports.setNames({QString::fromStdString(second.path()), "/nonexistent/ttyGone"});
    combo.SetComProperty(TComProperty::cpPort);
    QTest::keyClick(&combo, Qt::Key_End);
    EXPECT_EQ(changes.count, 1);
    ASSERT_EQ(hooked.errors.size(), 1u);
    EXPECT_EQ(hooked.Code(0), CError_OpenFailed);
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(port.Port(), "/nonexistent/ttyGone");
}
