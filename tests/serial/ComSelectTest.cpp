// The port list as selectors see it, and the selector logic over a plain list.
#include <gtest/gtest.h>

#include <cerrno>

#include "serial/ComPort.h"
#include "serial/ComSelect.h"
#include "serial/EnumComPorts.h"
#include "support/FixedPortList.h"
#include "SelectorTestSupport.h"

using namespace serial;
using Strings = std::vector<std::string>;

TEST(EnumComPorts, SortedIgnoringCaseReplacingTheList)
{
    testenv::FixedPortList ports({"ttyS2", "ttyUSB0", "ttyS10", "ttyacm0"});
    TComStringList list;
    list.Add("stale");
    EnumComPorts(list);
    EXPECT_EQ(list.Items(), (Strings{"ttyacm0", "ttyS10", "ttyS2", "ttyUSB0"}));

    ports.setNames({});
    EnumComPorts(list);  // no ports: an empty list, not an error
    EXPECT_EQ(list.Count(), 0);
}

TEST(EnumComPorts, UnreadableListRaisesCode23AndLeavesTheList)
{
    testenv::FixedPortList ports;
    ports.failWith(EACCES);
    TComStringList list;
    list.Add("kept");
    try {
        EnumComPorts(list);
        FAIL() << "no exception";
    } catch (const EComPortExt& e) {
        EXPECT_EQ(e.Code(), CError_RegError);
        EXPECT_EQ(e.WinCode(), EACCES);
        EXPECT_STREQ(e.what(), "COM Port Error: Registry error on EnumComPorts");
    }
    EXPECT_EQ(list.Items(), Strings{"kept"});
}

namespace {

// A selector of one kind on a plain list.
struct PlainSelect {
    TComStringList list;
    TComSelect select;
    explicit PlainSelect(TComProperty kind)
    {
        select.SetItems(&list);
        select.SetComProperty(kind);
    }
};

std::string KindName(TComProperty kind)
{
    const char* names[] = {"None", "Port", "BaudRate", "DataBits", "StopBits", "Parity", "FlowControl"};
    return names[Ord(kind)];
}

template <class Param>
std::string ParamKindName(const testing::TestParamInfo<Param>& info)
{
    return KindName(info.param.kind);
}

struct KindList {
    TComProperty kind;
    int count;
    const char* first;
    const char* last;
};

void PrintTo(const KindList& k, std::ostream* os) { *os << KindName(k.kind); }

class SelectorKinds : public testing::TestWithParam<KindList> {};

} // namespace

TEST_P(SelectorKinds, FillsTheListForItsKind)
{
    testenv::FixedPortList ports({"ttyUSB1", "ttyACM0"});
    TComStringList list;
    list.Add("stale");
    TComSelect select;
    select.SetItems(&list);
    select.SetComProperty(GetParam().kind);  // the stale item goes
    ASSERT_EQ(list.Count(), GetParam().count);
    if (GetParam().count > 0) {
        EXPECT_EQ(list.Item(0), GetParam().first);
        EXPECT_EQ(list.Item(GetParam().count - 1), GetParam().last);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, SelectorKinds,
                         testing::Values(KindList{TComProperty::cpNone, 0, "", ""},
                                         KindList{TComProperty::cpPort, 2, "ttyACM0", "ttyUSB1"},
                                         KindList{TComProperty::cpBaudRate, 16, "Custom", "256000"},
                                         KindList{TComProperty::cpDataBits, 4, "5", "8"},
                                         KindList{TComProperty::cpStopBits, 3, "1", "2"},
                                         KindList{TComProperty::cpParity, 5, "None", "Space"},
                                         KindList{TComProperty::cpFlowControl, 4, "Hardware", "Custom"}),
                         ParamKindName<KindList>);

namespace {

// A choice of each kind, given in other letter case, and where it must land.
struct Choice {
    TComProperty kind;
    const char* text;
    void (*check)(const TCustomComPort&);
};

void PrintTo(const Choice& c, std::ostream* os) { *os << c.text; }

class SelectorChoices : public testing::TestWithParam<Choice> {};

} // namespace

TEST_P(SelectorChoices, ChoiceIsReadAndAppliedAtOnceOnlyWithAutoApply)
{
    testenv::FixedPortList ports({"ttyUSB0", "ttyUSB7"});
    PlainSelect plain(GetParam().kind);
    TComSelect& select = plain.select;
    TComPort port;
    TComPort untouched;
    select.SetComPort(&port);

    select.Change(GetParam().text);
    EXPECT_EQ(port.Port(), untouched.Port());  // no AutoApply: only the selector changed
    EXPECT_EQ(port.BaudRate(), untouched.BaudRate());
    select.ApplySettings();
    GetParam().check(port);

    TComPort second;
    select.SetComPort(&second);
    select.SetAutoApply(true);
    select.Change(GetParam().text);
    GetParam().check(second);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SelectorChoices,
    testing::Values(
        Choice{TComProperty::cpPort, "ttyUSB7", [](const TCustomComPort& p) { EXPECT_EQ(p.Port(), "ttyUSB7"); }},
        Choice{TComProperty::cpBaudRate, "custom",
               [](const TCustomComPort& p) { EXPECT_EQ(p.BaudRate(), TBaudRate::brCustom); }},
        Choice{TComProperty::cpDataBits, "7",
               [](const TCustomComPort& p) { EXPECT_EQ(p.DataBits(), TDataBits::dbSeven); }},
        Choice{TComProperty::cpStopBits, "1.5",
               [](const TCustomComPort& p) { EXPECT_EQ(p.StopBits(), TStopBits::sbOne5StopBits); }},
        Choice{TComProperty::cpParity, "mark",
               [](const TCustomComPort& p) { EXPECT_EQ(p.Parity().Bits(), TParityBits::prMark); }},
        Choice{TComProperty::cpFlowControl, "SOFTWARE", [](const TCustomComPort& p) {
                   EXPECT_EQ(p.FlowControl().FlowControl(), TFlowControl::fcSoftware);
                   EXPECT_TRUE(p.FlowControl().XonXoffOut());
               }}),
    ParamKindName<Choice>);

TEST(ComSelect, UpdateFindsThePortValueOrKeepsItWhenNotListed)
{
    const struct {
        const char* portName;
        int index;
        const char* applied;
    } cases[] = {
        {"TTYs3", 0, "ttyS3"},  // found ignoring case: the list's spelling
        {"/dev/serial/by-id/clock", -1, "/dev/serial/by-id/clock"},  // not listed: kept as it is
    };
    testenv::FixedPortList ports({"ttyS3", "ttyUSB0"});
    for (const auto& c : cases) {
        PlainSelect plain(TComProperty::cpPort);
        TComPort port;
        port.SetPort(c.portName);
        plain.select.SetComPort(&port);
        plain.select.Change("ttyUSB0");  // a value taken earlier must not be written back
        int index = 7;
        plain.select.UpdateSettings(index);
        EXPECT_EQ(index, c.index) << c.portName;
        plain.select.ApplySettings();
        EXPECT_EQ(port.Port(), c.applied);
    }
}

TEST(ComSelect, NothingHappensWithoutPortKindOrTakenValue)
{
    testenv::FixedPortList ports({"ttyUSB0"});
    PlainSelect plain(TComProperty::cpBaudRate);
    TComSelect& select = plain.select;
    int index = 5;
    select.UpdateSettings(index);  // no port
    EXPECT_EQ(index, 5);

    TComPort port;
    port.SetBaudRate(TBaudRate::br115200);
    select.SetComPort(&port);
    select.ApplySettings();  // nothing taken yet: the zero value (Custom) is not written
    EXPECT_EQ(port.BaudRate(), TBaudRate::br115200);

    select.SetComProperty(TComProperty::cpNone);
    select.UpdateSettings(index);
    EXPECT_EQ(index, 5);
    EXPECT_EQ(plain.list.Count(), 0);
}
