#include "app/ImportFile.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace app {

ImportFileRead readImportFile(const std::string& path, std::size_t maxBytes)
{
    ImportFileRead result;
    std::error_code error;
    // A pipe or a device would block or never end; only regular files are read.
    if (!std::filesystem::is_regular_file(path, error) || error)
        return result;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return result;

    std::string bytes;
    char chunk[64 * 1024];
    while (file) {
        file.read(chunk, sizeof chunk);
        const auto got = static_cast<std::size_t>(file.gcount());
        if (got > maxBytes - bytes.size()) {
            result.status = ImportFileRead::Status::TooLarge;
            return result;
        }
        bytes.append(chunk, got);
    }
    if (file.bad() || !file.eof())
        return result;
    result.status = ImportFileRead::Status::Read;
    result.bytes = std::move(bytes);
    return result;
}

} // namespace app
