#include "app/import/ImportFile.h"

#include "app/tables/StartListFileIo.h"
#include "platform/FileBytes.h"

namespace app {

ImportFileRead readImportFile(const std::string& path, std::size_t maxBytes)
{
    platform::BoundedFileRead file = platform::readRegularFile(path, maxBytes);
    ImportFileRead result;
    if (file.status == platform::BoundedFileRead::Status::TooLarge)
        result.status = ImportFileRead::Status::TooLarge;
    if (file.status == platform::BoundedFileRead::Status::Read) {
        result.status = ImportFileRead::Status::Read;
        result.bytes = std::move(file.bytes);
    } else {
        result.reason = fileReadReason(file, maxBytes);
    }
    return result;
}

} // namespace app
