#pragma once
// Reading an import file whole, with a limit on its size: start-time files
// are small, and a wrong choice (a disc image, a device) must not fill the
// memory or hang the window.
#include <cstddef>
#include <string>

namespace app {

inline constexpr std::size_t kImportMaxFileBytes = 16u * 1024u * 1024u;

struct ImportFileRead {
    enum class Status { Read, Unreadable, TooLarge };
    Status status = Status::Unreadable;
    std::string bytes;   // the whole file when Read
    std::string reason;  // why not, for the operator, when not Read
};

// The bytes of the regular file at `path` (a local 8-bit path). Anything
// else, a file that cannot be opened or read, and a file of more than
// `maxBytes` bytes give no bytes.
ImportFileRead readImportFile(const std::string& path, std::size_t maxBytes = kImportMaxFileBytes);

} // namespace app
