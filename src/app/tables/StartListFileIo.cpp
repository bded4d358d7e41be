#include "app/tables/StartListFileIo.h"

#include <QByteArray>

#include <exception>
#include <system_error>

#include "platform/FileBytes.h"

namespace app {
namespace {

[[noreturn]] void refuseRead(const std::string& path, const std::string& why)
{
    throw StartListIoError("Tidfilen kunde inte läsas: " + path + "\n" + why);
}

} // namespace

std::string fileReadReason(const platform::BoundedFileRead& file, std::size_t maxBytes)
{
    using Status = platform::BoundedFileRead::Status;
    switch (file.status) {
    case Status::NotRegular:
        return "Det är ingen vanlig fil.";
    case Status::TooLarge:
        return "Filen är större än " + std::to_string(maxBytes / (1024 * 1024)) + " MB.";
    case Status::Read:
    case Status::Failed:
        break;
    }
    return std::generic_category().message(file.error);
}

std::string readStartListFile(const std::string& path)
{
    platform::BoundedFileRead file = platform::readRegularFile(path, kStartListFileMaxBytes);
    if (file.status != platform::BoundedFileRead::Status::Read)
        refuseRead(path, fileReadReason(file, kStartListFileMaxBytes));
    return std::move(file.bytes);
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
