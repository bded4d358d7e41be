// The machine's serial ports, from a made-up sysfs and /dev.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include <sys/inotify.h>
#include <unistd.h>

#include "platform/PortList.h"
#include "support/TestFiles.h"
#include "support/test_env.h"

namespace fs = std::filesystem;
using platform::SysfsPortList;

namespace {

// A sysfs whose class/tty entries link into a device tree, as on a machine:
// `hardware` gives an entry a device link, `type` a serial-core type file,
// `node` a node in /dev ("!" in a name stands for a subfolder).
struct FakeMachine {
    std::string root = testenv::makeTempDir("machine");
    std::string sys = root + "/sys";
    std::string dev = root + "/dev";

    void add(std::string name, bool hardware, const char* type, bool node)
    {
        const std::string real = sys + "/devices/virtual/tty/" + name;
        fs::create_directories(real);
        fs::create_directories(sys + "/class/tty");
        fs::create_directory_symlink("../../devices/virtual/tty/" + name, sys + "/class/tty/" + name);
        if (hardware) {
            fs::create_directories(sys + "/devices/port/" + name);
            fs::create_directory_symlink("../../../port/" + name, real + "/device");
        }
        if (type)
            testfiles::putFile(real + "/type", type);
        std::replace(name.begin(), name.end(), '!', '/');
        if (node)
            testfiles::putFile(dev + "/" + name, "");
    }
};

// Hardware ports with a node are listed, sorted, without opening any of them;
// consoles, terminals, ports without a UART or without a node are not. A
// machine without ports has an empty list; only a list that cannot be read is
// an error, with its errno.
TEST(SysfsPortList, ListsHardwarePortsWithANodeWithoutOpeningThem)
{
    FakeMachine m;
    for (const char* name : {"console", "tty0", "ttyprintk", "ptmx", "ptyp0"})
        m.add(name, false, nullptr, true);
    EXPECT_EQ(SysfsPortList(m.sys, m.dev).ports(), QStringList());
    for (const char* name : {"ttyUSB0", "ttyACM0", "ttyS3", "ttyGS!0", "ttyS4"})
        m.add(name, true, nullptr, name != std::string("ttyS3"));
    using Typed = std::pair<const char*, const char*>;  // a serial-core port: type 0 has no UART
    for (const auto& [name, type] : {Typed{"ttyS0", "4\n"}, {"ttyS1", "0\n"}, {"ttyS2", "1\n"}, {"ttyS10", "4"}})
        m.add(name, true, type, true);
    fs::create_directory(m.sys + "/class/tty/ttyS4/type");  // a type that cannot be read does not hide the port
    m.add("ttyUSB1", true, nullptr, false);
    fs::create_symlink("gone", m.dev + "/ttyUSB1");  // a node left dangling is no port
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(inotify_add_watch(watch, m.dev.c_str(), IN_OPEN | IN_ACCESS), 0);
    const QString inSubfolder = QString::fromStdString(m.dev + "/ttyGS/0");
    EXPECT_EQ(SysfsPortList(m.sys, m.dev).ports(),
              QStringList({inSubfolder, "ttyACM0", "ttyS0", "ttyS10", "ttyS2", "ttyS4", "ttyUSB0"}));
    char events[4096];
    EXPECT_TRUE(::read(watch, events, sizeof events) == -1 && errno == EAGAIN) << "a /dev node was opened";
    ::close(watch);
    EXPECT_EQ(SysfsPortList(m.sys, m.root + "/no-dev").ports(), QStringList());
    EXPECT_THAT([&] { SysfsPortList(m.root + "/no-sys", m.dev).ports(); },
                testing::Throws<platform::PortListError>(
                    testing::Property(&platform::PortListError::errorCode, ENOENT)));
    testfiles::putFile(m.root + "/file/class", "");
    EXPECT_THROW(SysfsPortList(m.root + "/file", m.dev).ports(), platform::PortListError);
}

} // namespace
