#include "platform/PortList.h"

#include "platform/FileBytes.h"
#include "platform/NameOrder.h"
#include "platform/Override.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include <dirent.h>
#include <sys/stat.h>

namespace platform {
namespace {

Override<PortList*>& listInUse()
{
    static SysfsPortList system;
    static Override<PortList*> inUse{&system};
    return inUse;
}

bool exists(const std::string& path, bool followLink)
{
    struct stat st {};
    return (followLink ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) == 0;
}

// A serial-core port says by its "type" whether a UART is present (0: none).
bool hasNoUart(const std::string& entry)
{
    try {
        const auto type = readFileBytes(entry + "/type");
        return type && type->trimmed() == "0";
    } catch (const std::system_error&) {
        return false;  // unreadable: do not hide a port that may be real
    }
}

// The kernel names in a folder; raises PortListError when it cannot be read.
std::vector<std::string> namesIn(const std::string& folder)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        const int error = errno;
        throw PortListError("Serieportarna i " + folder + " kan inte listas: " + std::strerror(error), error);
    }
    std::vector<std::string> names;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry)
            break;
        if (entry->d_name[0] != '.')
            names.emplace_back(entry->d_name);
    }
    const int error = errno;
    ::closedir(dir);
    if (error != 0)
        throw PortListError("Serieportarna i " + folder + " kan inte listas: " + std::strerror(error), error);
    return names;
}

} // namespace

PortListError::PortListError(const std::string& what, int errorCode)
    : std::runtime_error(what)
    , errorCode_(errorCode)
{
}

SysfsPortList::SysfsPortList(std::string sysfsFolder, std::string deviceFolder)
    : sysfs_(std::move(sysfsFolder))
    , dev_(std::move(deviceFolder))
{
}

QStringList SysfsPortList::ports()
{
    const std::string classFolder = sysfs_ + "/class/tty";
    QStringList found;
    for (const std::string& name : namesIn(classFolder)) {
        const std::string entry = classFolder + "/" + name;
        if (!exists(entry + "/device", false) || hasNoUart(entry))
            continue;
        std::string node = name;
        std::replace(node.begin(), node.end(), '!', '/');
        const std::string nodePath = dev_ + "/" + node;
        if (!exists(nodePath, true))
            continue;
        const QString port = QFile::decodeName(node == name ? name.c_str() : nodePath.c_str());
        if (!found.contains(port))
            found << port;
    }
    sortNames(found);
    return found;
}

PortList& portList()
{
    return *listInUse().get();
}

PortList* setPortList(PortList* list)
{
    return listInUse().set(list);
}

} // namespace platform
