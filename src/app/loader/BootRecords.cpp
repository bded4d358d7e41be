#include "app/loader/BootRecords.h"

#include <cerrno>

#include "platform/FileBytes.h"
#include "timevalues/TextRut.h"

namespace app {

std::string AsciToHex(const std::string& wsi)
{
    std::string bytes;
    for (std::size_t k = 0; k + 1 < wsi.size(); k += 2)
        bytes += static_cast<char>(timevalues::HexToInt(wsi.substr(k, 2)));
    return bytes;
}

std::string ByggCheck(const std::string& ws)
{
    unsigned sum = 0;
    for (unsigned char b : AsciToHex(ws.substr(ws.empty() ? 0 : 1)))
        sum += b;
    return ws + timevalues::ByteToHex((256 - sum % 256) % 256);
}

std::string pageRecord(int page)
{
    return ByggCheck(":00" + timevalues::ByteToHex(static_cast<unsigned>(page)) + "0002");
}

std::string spillRecord(const HexRecord& record, int page)
{
    const int spilled = record.end() % kPageSize;
    const int first = kPageSize - record.address % kPageSize;  // index of the first byte in `page`
    std::string text = ":";
    text += timevalues::ByteToHex(static_cast<unsigned>(spilled));
    text += timevalues::ByteToHex(static_cast<unsigned>(page));
    text += "0000";
    for (int i = first; i < record.count; ++i)
        text += timevalues::ByteToHex(static_cast<unsigned char>(record.data[static_cast<std::size_t>(i)]));
    return ByggCheck(text);
}

void checkLoadOrder(const std::vector<HexRecord>& records)
{
    int page = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const HexRecord& r = records[i];
        if (r.type == HexType::EndOfFile)
            return;
        if (r.type == HexType::SegmentAddress) {
            page = r.page();
            continue;
        }
        if (!r.isData())
            continue;
        if (r.page() < page)
            throw HexFileError(r.lineNumber, "adressen ligger på en sida före en som redan har skickats");
        page = r.page();
        const int last = lastPageOf(r);
        if (last == page)
            continue;
        const HexRecord* next = i + 1 < records.size() ? &records[i + 1] : nullptr;
        const bool followed = next && (next->type == HexType::EndOfFile || (next->isData() && next->page() == last));
        if (!followed)
            throw HexFileError(r.lineNumber, "posten går över sidgränsen men nästa post ligger inte på nästa sida");
    }
}

std::vector<HexRecord> readFirmwareFile(const std::string& path)
{
    // An Intel HEX file for a 64 KiB address space is far below this.
    constexpr std::size_t kMaxFirmwareFileBytes = 4u * 1024u * 1024u;
    platform::BoundedFileRead file = platform::readRegularFile(path, kMaxFirmwareFileBytes);
    using Status = platform::BoundedFileRead::Status;
    if (file.status == Status::Failed && file.error == ENOENT)
        throw HexFileError(0, "filen " + path + " finns inte");
    if (file.status == Status::TooLarge)
        throw HexFileError(0, "filen " + path + " är för stor för en hexfil");
    if (file.status != Status::Read)
        throw HexFileError(0, "filen " + path + " kan inte läsas");
    std::vector<HexRecord> records = readIntelHex(file.bytes);
    checkLoadOrder(records);
    return records;
}

} // namespace app
