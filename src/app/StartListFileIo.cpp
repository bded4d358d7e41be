#include "app/StartListFileIo.h"

#include <QByteArray>

#include <cerrno>
#include <system_error>
#include <exception>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FileBytes.h"

namespace app {
namespace {

[[noreturn]] void refuseRead(const std::string& path, const std::string& why)
{
    throw StartListIoError("Tidfilen kunde inte läsas: " + path + "\n" + why);
}

std::string errnoText(int error)
{
    return std::generic_category().message(error);
}

std::string tooLarge()
{
    return "Filen är större än " + std::to_string(kStartListFileMaxBytes / (1024 * 1024)) + " MB.";
}

// Refuses, before it is opened, anything but a regular file of a sane size:
// opening a pipe would block and opening a device may act on it.
void checkIsSmallFile(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        refuseRead(path, errnoText(errno));
    if (!S_ISREG(st.st_mode))
        refuseRead(path, "Det är ingen vanlig fil.");
    if (static_cast<unsigned long long>(st.st_size) > kStartListFileMaxBytes)
        refuseRead(path, tooLarge());
}

} // namespace

std::string readStartListFile(const std::string& path)
{
    checkIsSmallFile(path);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        refuseRead(path, errnoText(errno));
    std::string bytes;
    char buffer[65536];
    int error = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            break;
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
        // The file may have grown since it was looked at.
        if (bytes.size() > kStartListFileMaxBytes)
            break;
    }
    ::close(fd);
    if (error != 0)
        refuseRead(path, errnoText(error));
    if (bytes.size() > kStartListFileMaxBytes)
        refuseRead(path, tooLarge());
    return bytes;
}

void writeStartListFile(const std::string& path, const std::string& bytes)
{
    try {
        platform::writeFileBytesAtomically(path, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    } catch (const std::exception& e) {
        throw StartListIoError("Tidfilen kunde inte sparas: " + path + "\n" + e.what());
    }
}

} // namespace app
