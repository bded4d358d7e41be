#include "platform/FileBytes.h"

#include <atomic>
#include <cerrno>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

[[noreturn]] void raise(int error, const std::string& what)
{
    throw std::system_error(error, std::generic_category(), what);
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string nameOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a write to `path` must replace: the final target of a chain of
// symbolic links (which may not exist yet), or `path` itself.
std::string followLinks(std::string path)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::string target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t n = readlink(path.c_str(), target.data(), target.size());
        if (n < 0)
            raise(errno, "Länken " + path + " kan inte läsas");
        target.resize(static_cast<size_t>(n));
        path = (!target.empty() && target[0] == '/') ? target : folderOf(path) + "/" + target;
    }
    raise(ELOOP, "För många länkar vid " + path);
}

// Writes all of `bytes` to `fd`; 0 or the errno of the failure.
int writeAll(int fd, const QByteArray& bytes)
{
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        p += n;
        left -= n;
    }
    return 0;
}

// Fills the temporary file and closes it; 0 or the errno of the failure.
int fillAndClose(int fd, const QByteArray& bytes, const struct stat* keepModeOf)
{
    int error = writeAll(fd, bytes);
    if (error == 0 && keepModeOf && ::fchmod(fd, keepModeOf->st_mode & 07777) != 0)
        error = errno;
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return error;
}

// Opens a new, unused temporary file next to `target`.
int openTemporary(const std::string& target, std::string& tempPath)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = folderOf(target) + "/." + nameOf(target) + ".tmp-" + std::to_string(getpid()) + "-"
            + std::to_string(counter.fetch_add(1));
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST)
            raise(errno, "En tillfällig fil kan inte skapas bredvid " + target);
    }
    raise(EEXIST, "En tillfällig fil kan inte skapas bredvid " + target);
}

} // namespace

std::optional<QByteArray> readFileBytes(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return std::nullopt;
        raise(errno, "Filen " + path + " kan inte öppnas");
    }
    QByteArray bytes;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            ::close(fd);
            raise(error, "Filen " + path + " kan inte läsas");
        }
        if (n == 0)
            break;
        bytes.append(buffer, n);
    }
    ::close(fd);
    return bytes;
}

BoundedFileRead readRegularFile(const std::string& path, std::size_t maxBytes)
{
    using Status = BoundedFileRead::Status;
    BoundedFileRead result;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        result.error = errno;
        return result;
    }
    if (!S_ISREG(st.st_mode)) {
        result.status = Status::NotRegular;
        return result;
    }
    if (static_cast<unsigned long long>(st.st_size) > maxBytes) {
        result.status = Status::TooLarge;
        return result;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        result.error = errno;
        return result;
    }
    std::string bytes;
    // Room for the whole file at once: growing by doubling would hold up to
    // three times its size for a moment.
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            result.error = errno;
            ::close(fd);
            return result;
        }
        if (n == 0)
            break;
        // The file may have grown since it was looked at.
        if (static_cast<std::size_t>(n) > maxBytes - bytes.size()) {
            ::close(fd);
            result.status = Status::TooLarge;
            return result;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    result.status = Status::Read;
    result.bytes = std::move(bytes);
    return result;
}

void writeFileBytesAtomically(const std::string& path, const QByteArray& bytes)
{
    const std::string target = followLinks(path);
    struct stat old {};
    const bool hadFile = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);

    std::string tempPath;
    const int fd = openTemporary(target, tempPath);
    if (const int error = fillAndClose(fd, bytes, hadFile ? &old : nullptr)) {
        ::unlink(tempPath.c_str());
        raise(error, "Filen " + path + " kan inte skrivas");
    }
    if (::rename(tempPath.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(tempPath.c_str());
        raise(error, "Filen " + path + " kan inte ersättas");
    }
    // Make the rename itself durable; a failure here loses nothing already written.
    const int dir = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

void makeFolders(const std::string& path, unsigned mode)
{
    if (path.empty())
        return;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (!S_ISDIR(st.st_mode))
            raise(ENOTDIR, path + " är ingen mapp");
        return;
    }
    const std::string parent = folderOf(path);
    if (parent != path && parent != "." && parent != "/")
        makeFolders(parent, mode);
    if (::mkdir(path.c_str(), mode) != 0 && errno != EEXIST)
        raise(errno, "Mappen " + path + " kan inte skapas");
}

} // namespace platform
