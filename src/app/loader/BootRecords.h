#pragma once
// The lines the firmware loader builds for the clock's boot loader, and the
// check that a firmware file can go to it page by page without losing bytes.
//
// A page (kPageSize bytes) is the clock memory that shares the high byte of
// its address. Every line here is without its CR; hex digits are upper case.
#include <string>
#include <vector>

#include "app/loader/IntelHex.h"

namespace app {

// Sent alone, without CR, to ask whether the boot loader is ready.
inline constexpr char kWakeUp = 0x13;
// Closes the current page (the file's own end-of-file record reads the same).
inline constexpr const char* kEndRecord = ":00000001FF";
// Sent once after the boot loader has taken the last page.
inline constexpr const char* kClosingRecord = ":00000009F7";
// Type-02 records from this page on are not sent.
inline constexpr int kFirstHeldPage = 0xE0;

// Hex text to its bytes, two characters a byte by HexToInt; an odd last
// character is ignored.
std::string AsciToHex(const std::string& wsi);
// `ws` (a record text from ":" on, without checksum) followed by its checksum.
std::string ByggCheck(const std::string& ws);

// Opens `page` (0..255): byte count 0, type 02, the page in the address's
// high byte.
std::string pageRecord(int page);
// The part of `record` (in the page below `page`) that runs into `page`, as a
// data record at the start of `page`; empty data when the record ends exactly
// at the page boundary.
std::string spillRecord(const HexRecord& record, int page);

// The last page a data record touches.
inline int lastPageOf(const HexRecord& r)
{
    return r.count > 0 ? (r.end() - 1) / kPageSize : r.page();
}

// Raises HexFileError when the loader could not bring every data byte of
// `records` to the clock: a data record in a page below one already opened
// (its bytes would be dropped), or a record that runs into the next page
// without being followed at once by a record in that page or by the
// end-of-file record (its bytes beyond the page would be dropped).
void checkLoadOrder(const std::vector<HexRecord>& records);

// The records of the firmware file at `path`, read and checked as above.
// Raises HexFileError for a file that cannot be loaded and when there is no
// such file, std::system_error when it cannot be read.
std::vector<HexRecord> readFirmwareFile(const std::string& path);

} // namespace app
