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

std::string errnoText(int error)
{
    return std::generic_category().message(error);
}

std::string tooLarge()
{
    return "Filen är större än " + std::to_string(kStartListFileMaxBytes / (1024 * 1024)) + " MB.";
}

} // namespace

std::string readStartListFile(const std::string& path)
{
    using Status = platform::BoundedFileRead::Status;
    platform::BoundedFileRead file = platform::readRegularFile(path, kStartListFileMaxBytes);
    switch (file.status) {
    case Status::Read:
        return std::move(file.bytes);
    case Status::NotRegular:
        refuseRead(path, "Det är ingen vanlig fil.");
    case Status::TooLarge:
        refuseRead(path, tooLarge());
    case Status::Failed:
        break;
    }
    refuseRead(path, errnoText(file.error));
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
