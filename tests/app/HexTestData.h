#pragma once
// Firmware test data made in the tests: Intel HEX lines with their checksum
// worked out here, and whole files of them.
#include <cstdio>
#include <string>
#include <vector>

namespace hextest {

// A record line (without line end): byte count, address, type, data, checksum.
inline std::string record(int address, int type, const std::string& data)
{
    std::string bytes;
    bytes += static_cast<char>(data.size());
    bytes += static_cast<char>(address >> 8);
    bytes += static_cast<char>(address & 0xFF);
    bytes += static_cast<char>(type);
    bytes += data;
    int sum = 0;
    for (unsigned char b : bytes)
        sum += b;
    bytes += static_cast<char>(-sum & 0xFF);
    std::string line = ":";
    for (unsigned char b : bytes) {
        char buf[3];
        std::snprintf(buf, sizeof buf, "%02X", b);
        line += buf;
    }
    return line;
}

// `count` bytes counting up from `first`.
inline std::string counting(int first, int count)
{
    std::string s;
    for (int i = 0; i < count; ++i)
        s += static_cast<char>((first + i) & 0xFF);
    return s;
}

inline std::string data(int address, const std::string& bytes) { return record(address, 0x00, bytes); }
inline const std::string kEof = ":00000001FF";

// Lines joined with CR LF, as Windows programs write them.
inline std::string file(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& l : lines)
        out += l + "\r\n";
    return out;
}

// A small firmware file: a record that runs from page 0 into page 1, one more
// record in page 1, and the end-of-file record.
inline const std::vector<std::string> kWorkedFile = {
    ":1000F800000102030405060708090A0B0C0D0E0F80",
    ":04010800A0A1A2A36D",
    ":00000001FF",
};

} // namespace hextest
