#include <gtest/gtest.h>

#include "platform/PortList.h"
#include "support/test_env.h"
#include "support/TestFiles.h"

#include <cerrno>
#include <filesystem>

#include <sys/inotify.h>
#include <unistd.h>

namespace fs = std::filesystem;
using platform::PortListError;
using platform::SysfsPortList;

namespace {

// A fake sysfs and /dev: class/tty entries are links into a device tree, as
// on a real machine.
class FakeMachine {
public:
    std::string root = testenv::makeTempDir("machine");
    std::string sys = root + "/sys";
    std::string dev = root + "/dev";

    FakeMachine()
    {
        fs::create_directories(sys + "/class/tty");
        fs::create_directories(dev);
    }

    // A tty entry; `hardware` gives it a device link, `type` a serial-core
    // type file, `node` a /dev node.
    void add(const std::string& name, bool hardware, const char* type, bool node)
    {
        const std::string real = sys + "/devices/virtual/tty/" + name;
        fs::create_directories(real);
        if (hardware) {
            fs::create_directories(sys + "/devices/port/" + name);
            fs::create_directory_symlink("../../../port/" + name, real + "/device");
        }
        if (type)
            testfiles::write(real + "/type", type);
        fs::create_directory_symlink("../../devices/virtual/tty/" + name, sys + "/class/tty/" + name);
        if (node) {
            std::string path = name;
            std::replace(path.begin(), path.end(), '!', '/');
            testfiles::write(dev + "/" + path, "");
        }
    }
};

TEST(SysfsPortList, ListsHardwarePortsWithANodeSorted)
{
    FakeMachine m;
    m.add("ttyUSB0", true, nullptr, true);         // USB serial adapter
    m.add("ttyACM0", true, nullptr, true);         // USB modem class
    m.add("ttyS0", true, "4\n", true);             // serial core, 16550A
    m.add("ttyS1", true, "0\n", true);             // serial core, no UART
    m.add("ttyS2", true, "1\n", true);
    m.add("ttyS10", true, "4", true);
    m.add("ttyS3", true, "4\n", false);            // no /dev node
    m.add("console", false, nullptr, true);        // consoles and terminals
    m.add("tty0", false, nullptr, true);
    m.add("ttyprintk", false, nullptr, true);
    m.add("ptmx", false, nullptr, true);           // pseudo terminals
    m.add("ptyp0", false, nullptr, true);
    m.add("ttyGS!0", true, nullptr, true);         // node in a subfolder
    EXPECT_EQ(SysfsPortList(m.sys, m.dev).ports(),
              QStringList({QString::fromStdString(m.dev + "/ttyGS/0"), "ttyACM0", "ttyS0", "ttyS10", "ttyS2", "ttyUSB0"}));
}

TEST(SysfsPortList, NoPortsIsAnEmptyListAndAnUnreadableListIsAnError)
{
    FakeMachine m;
    m.add("tty0", false, nullptr, true);
    EXPECT_EQ(SysfsPortList(m.sys, m.dev).ports(), QStringList());
    EXPECT_EQ(SysfsPortList(m.sys, m.root + "/no-dev").ports(), QStringList());

    try {
        SysfsPortList(m.root + "/no-sys", m.dev).ports();
        ADD_FAILURE() << "a missing sysfs must raise";
    } catch (const PortListError& e) {
        EXPECT_EQ(e.errorCode(), ENOENT);
    }
    testfiles::write(m.root + "/file/class", "");
    EXPECT_THROW(SysfsPortList(m.root + "/file", m.dev).ports(), PortListError);
}

TEST(SysfsPortList, NeverOpensAPort)
{
    FakeMachine m;
    m.add("ttyUSB0", true, nullptr, true);
    m.add("ttyS0", true, "4\n", true);
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, m.dev.c_str(), IN_OPEN | IN_ACCESS), 0);
    EXPECT_EQ(SysfsPortList(m.sys, m.dev).ports().size(), 2);
    char events[4096];
    EXPECT_EQ(::read(watch, events, sizeof events), -1) << "a /dev node was opened";
    EXPECT_EQ(errno, EAGAIN);
    ::close(watch);
}

TEST(PortNames, SortIgnoringCaseCharacterByCharacter)
{
    struct Case { QStringList names; QStringList sorted; };
    const Case cases[] = {
        {{"COM2", "COM10", "COM1"}, {"COM1", "COM10", "COM2"}},
        {{"ttyUSB0", "ttyS2", "ttyS10", "ttyACM0", "ttyS1"}, {"ttyACM0", "ttyS1", "ttyS10", "ttyS2", "ttyUSB0"}},
        {{"ttyb", "TTYB", "ttya", "ttyA"}, {"ttyA", "ttya", "TTYB", "ttyb"}},
        {{"ttyUSB0", "/dev/serial/by-id/x"}, {"/dev/serial/by-id/x", "ttyUSB0"}},
    };
    for (Case c : cases) {
        platform::sortPortNames(c.names);
        EXPECT_EQ(c.names, c.sorted);
    }
}

} // namespace
