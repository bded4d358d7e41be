#pragma once
// The serial ports of this machine, by kernel name (ttyS0, ttyUSB0, ttyACM0),
// sorted.
//
// The system list comes from sysfs: every entry of <sysfs>/class/tty with a
// "device" link is a port backed by hardware (consoles, virtual terminals and
// pseudo terminals have none). A serial-core port whose "type" reads 0 has no
// UART behind it and is left out, and so is every port without a node
// <dev>/<name>. No port is ever opened: opening one would reset the line
// settings of a port another program is using. A kernel name holding "!"
// stands for a node in a subfolder of <dev>; such a port is listed by its
// full path.
//
// Everything that lists ports goes through portList(), so a test can put a
// fixed list in its place with setPortList().
#include <QString>
#include <QStringList>

#include <stdexcept>
#include <string>

namespace platform {

// Raised when the list of ports itself cannot be read (not for a machine
// without ports, which simply has an empty list).
class PortListError : public std::runtime_error {
public:
    PortListError(const std::string& what, int errorCode);
    // The errno of the failure.
    int errorCode() const noexcept { return errorCode_; }

private:
    int errorCode_;
};

class PortList {
public:
    virtual ~PortList() = default;
    // The port names, sorted by nameLess(), each once. Raises PortListError.
    virtual QStringList ports() = 0;
};

class SysfsPortList final : public PortList {
public:
    explicit SysfsPortList(std::string sysfsFolder = "/sys", std::string deviceFolder = "/dev");
    QStringList ports() override;

private:
    std::string sysfs_;
    std::string dev_;
};

// The list in use: the system's unless a test has put another in place.
PortList& portList();
// Puts `list` in place (not owned); nullptr puts the system's back. Returns
// the list in place before.
PortList* setPortList(PortList* list);

} // namespace platform
