#pragma once
// Firmware files in Intel HEX form: one record per line, ":" followed by the
// byte count, the 16-bit address, the record type, the data and the checksum,
// all as hex digits, two per byte.
//
// The reader checks the whole file before anything of it reaches the clock:
// a record that is not well formed, fails its checksum or reaches past the
// 16-bit address space refuses the file with the line it was found on.
#include <stdexcept>
#include <string>
#include <vector>

namespace app {

// The clock's memory is loaded page by page: a page is the bytes whose
// addresses share their high byte.
inline constexpr int kPageSize = 256;

enum class HexType : int {
    Data = 0x00,
    EndOfFile = 0x01,
    SegmentAddress = 0x02,
    StartSegment = 0x03,
    LinearAddress = 0x04,
    StartLinear = 0x05,
};

// One record as the loader sends it.
struct HexRecord {
    int lineNumber = 0;  // 1-based line of the file
    std::string text;    // the line as the file has it, without line end or trailing blanks
    int count = 0;       // byte count
    int address = 0;     // the 16-bit address field
    HexType type = HexType::Data;
    std::string data;    // the data bytes

    bool isData() const { return type == HexType::Data; }
    // The page of the address field (its high byte).
    int page() const { return address / kPageSize; }
    // The address just past the last data byte.
    int end() const { return address + count; }
};

// A firmware file that cannot be loaded; what() says why, in the program's
// language, with the line when there is one (0: the file as a whole).
class HexFileError : public std::runtime_error {
public:
    HexFileError(int line, const std::string& reason);
    int line() const { return line_; }

private:
    int line_;
};

// The records of `fileBytes` in file order, from the first line that begins
// with ":" up to and including the end-of-file record. Lines before the first
// record are skipped, and so are blank lines among the records and whatever
// follows the end-of-file record. Records that carry no memory contents
// (start addresses, an extended linear address of 0) are left out.
// Raises HexFileError for any other line that is no well-formed record, for a
// checksum that does not add up, for a record that reaches past address
// FFFF, and when there is no record or no end-of-file record.
std::vector<HexRecord> readIntelHex(const std::string& fileBytes);

} // namespace app
