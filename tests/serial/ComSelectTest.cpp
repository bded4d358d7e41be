// Choosing port settings: the machine's port list and the selector logic over
// a plain list.
#include "serial/ComSelect.h"
#include "serial/EnumComPorts.h"
#include "serial/SerialTestSupport.h"
#include "support/FixedPortList.h"

using namespace serialtest;

// The machine's ports sorted ignoring case; none is an empty list, and only a
// list that cannot be read raises CError_RegError.
TEST(EnumComPorts, SortedIgnoringCaseOrRegError)
{
    testenv::FixedPortList ports({"ttyS2", "ttyUSB0", "ttyS10", "ttyacm0"});
    ComStringList list;
    EnumComPorts(list);
    EXPECT_EQ(list.Items(), (Strings{"ttyacm0", "ttyS10", "ttyS2", "ttyUSB0"}));
    ports.setNames({});
    EnumComPorts(list);
    EXPECT_EQ(list.Count(), 0);
    ports.failWith(EACCES);
    EXPECT_EQ(Raised([&] { EnumComPorts(list); }), std::make_pair(int(CError_RegError), EACCES));
}

// A selector writes its value into the port only once it has taken one, by a
// choice or from the port: a port value not in the list is taken as it is,
// so applying it writes back what the port has. Without a kind it takes and
// applies nothing.
TEST(ComSelect, AppliesOnlyAValueItHasTaken)
{
    testenv::FixedPortList ports({"ttyS3", "ttyUSB0"});
    ComStringList list;
    TComSelect select;
    select.setItems(&list);
    select.SetComProperty(TComProperty::cpBaudRate);
    int index = 5;
    TComPort port;
    port.SetBaudRate(TBaudRate::br115200);
    select.SetComPort(&port);
    select.ApplySettings();  // nothing taken yet: the zero value (Custom) is not written
    EXPECT_EQ(port.BaudRate(), TBaudRate::br115200);
    select.Change("custom");
    select.ApplySettings();
    EXPECT_EQ(port.BaudRate(), TBaudRate::brCustom);

    select.SetComProperty(TComProperty::cpPort);
    for (const auto& [name, found, applied] : {std::tuple{"TTYs3", 0, "ttyS3"}, {"/dev/serial/by-id/clock", -1, ""}}) {
        port.SetPort(name);
        select.Change("ttyUSB0");  // a value taken earlier must not be written back
        select.UpdateSettings(index);
        EXPECT_EQ(index, found) << name;
        select.ApplySettings();
        EXPECT_EQ(port.Port(), *applied ? applied : name);
    }
    select.SetComProperty(TComProperty::cpNone);  // no kind: the list empties, a choice is not taken
    select.Change("ttyS3");
    index = 7;
    select.UpdateSettings(index);  // and the port's value is not looked up
    EXPECT_EQ(std::tuple(list.Count(), select.hasValue(TComProperty::cpNone), index), std::tuple(0, false, 7));
    ports.failWith(EIO);  // a port list that cannot be read leaves no stale ports
    EXPECT_EQ(Raised([&] { select.SetComProperty(TComProperty::cpPort); }).first, int(CError_RegError));
    EXPECT_EQ(list.Count(), 0);
    TComSelect unlisted;  // without a list there is nothing to fill, nor a port list to read
    EXPECT_EQ(Raised([&] { unlisted.SetComProperty(TComProperty::cpPort), unlisted.SelectBaudRate(); }).first, 0);
}
