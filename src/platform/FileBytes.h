#pragma once
// Whole-file reads and crash-safe whole-file writes for small text files
// (settings, ini files).
#include <QByteArray>

#include <cstddef>
#include <optional>
#include <string>

namespace platform {

// The bytes of the file at `path`, or nullopt when there is no such file.
// Raises std::system_error when the file exists but cannot be read (a folder,
// no permission, an I/O error).
std::optional<QByteArray> readFileBytes(const std::string& path);

// The outcome of reading a file chosen by the user.
struct BoundedFileRead {
    enum class Status { Read, Failed, NotRegular, TooLarge };
    Status status = Status::Failed;
    int error = 0;      // errno when Failed
    std::string bytes;  // the whole file when Read
};

// Reads the file at `path` whole when it is a regular file of at most
// `maxBytes` bytes. Anything else (a folder, a pipe, a device) is refused
// before it is opened: opening a pipe would block and opening a device may
// act on it. Never raises.
BoundedFileRead readRegularFile(const std::string& path, std::size_t maxBytes);

// Replaces the file at `path` with `bytes`: the bytes go to a new file in the
// same folder, are synced to disk and then renamed over the old file, so a
// reader or a crash sees either the old or the new contents, never a part.
// An existing file keeps its permission bits; a symbolic link is followed and
// its target replaced. The folder must exist. Raises std::system_error on
// failure and then leaves the old file and no temporary file behind.
void writeFileBytesAtomically(const std::string& path, const QByteArray& bytes);

// Makes the folder `path` and any missing parents (new folders get `mode`
// less the umask). Raises std::system_error when one cannot be made.
void makeFolders(const std::string& path, unsigned mode = 0777);

} // namespace platform
