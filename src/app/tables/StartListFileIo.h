#pragma once
// Reading and writing start-list files on disk.
#include <cstddef>
#include <stdexcept>
#include <string>

namespace platform {
struct BoundedFileRead;
}

namespace app {

// A start-list file that cannot be read or written; the text says which file
// and why.
class StartListIoError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// No start-list file comes near this; anything larger is refused unread.
inline constexpr std::size_t kStartListFileMaxBytes = 8 * 1024 * 1024;

// The bytes of the file at `path`. Raises StartListIoError when it is
// missing, is no regular file (a folder, a device or a pipe is never opened),
// is larger than kStartListFileMaxBytes, or cannot be read.
std::string readStartListFile(const std::string& path);

// Why a file the user chose was not read (`file` is not Read), as the
// operator is told: no regular file, larger than `maxBytes`, or the
// operating system's reason.
std::string fileReadReason(const platform::BoundedFileRead& file, std::size_t maxBytes);

// Replaces the file at `path` with `bytes`, all at once: a failure leaves the
// file that was there as it was. Raises StartListIoError.
void writeStartListFile(const std::string& path, const std::string& bytes);

} // namespace app
