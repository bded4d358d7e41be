#include "app/loader/IntelHex.h"

#include "platform/IntegerText.h"

namespace app {
namespace {

int hexDigit(char c)
{
    return platform::hexDigitValue(QChar::fromLatin1(c));
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

std::string withoutTrailingBlanks(std::string line)
{
    while (!line.empty() && isBlank(line.back()))
        line.pop_back();
    return line;
}

// The bytes of a record line after its ":".
std::string recordBytes(const std::string& text, int line)
{
    const std::size_t digits = text.size() - 1;
    if (digits % 2 != 0)
        throw HexFileError(line, "udda antal hexsiffror");
    std::string bytes;
    bytes.reserve(digits / 2);
    for (std::size_t i = 1; i < text.size(); i += 2) {
        const int hi = hexDigit(text[i]);
        const int lo = hexDigit(text[i + 1]);
        if (hi < 0 || lo < 0)
            throw HexFileError(line, "tecken som inte är hexsiffror");
        bytes += static_cast<char>(hi * 16 + lo);
    }
    return bytes;
}

HexRecord parseRecord(const std::string& text, int line)
{
    const std::string bytes = recordBytes(text, line);
    if (bytes.size() < 5)
        throw HexFileError(line, "för kort post");
    const auto byte = [&bytes](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    HexRecord r;
    r.lineNumber = line;
    r.text = text;
    r.count = byte(0);
    if (bytes.size() != static_cast<std::size_t>(r.count) + 5)
        throw HexFileError(line, "antalet databyte stämmer inte med postens längd");
    unsigned sum = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        sum += byte(i);
    if (sum % 256 != 0)
        throw HexFileError(line, "felaktig checksumma");
    r.address = byte(1) * kPageSize + byte(2);
    const int type = byte(3);
    if (type > static_cast<int>(HexType::StartLinear))
        throw HexFileError(line, "okänd posttyp " + text.substr(7, 2));
    r.type = static_cast<HexType>(type);
    r.data = bytes.substr(4, static_cast<std::size_t>(r.count));
    if (r.isData() && r.end() > 0x10000)
        throw HexFileError(line, "adressen går utanför minnet (över FFFF)");
    if (r.type == HexType::EndOfFile && r.count != 0)
        throw HexFileError(line, "slutposten har data");
    if (r.type == HexType::LinearAddress && r.data.find_first_not_of('\0') != std::string::npos)
        throw HexFileError(line, "adressen går utanför minnet (utökad linjär adress)");
    return r;
}

// Records that say nothing about memory contents.
bool carriesNothing(const HexRecord& r)
{
    return r.type == HexType::StartSegment || r.type == HexType::StartLinear ||
           r.type == HexType::LinearAddress;
}

} // namespace

HexFileError::HexFileError(int line, const std::string& reason)
    : std::runtime_error(line > 0 ? "Fel i hexfilen på rad " + std::to_string(line) + ": " + reason
                                  : "Fel i hexfilen: " + reason),
      line_(line)
{
}

std::vector<HexRecord> readIntelHex(const std::string& fileBytes)
{
    std::vector<HexRecord> records;
    bool started = false;
    int line = 0;
    std::size_t pos = 0;
    while (pos < fileBytes.size()) {
        std::size_t eol = fileBytes.find('\n', pos);
        if (eol == std::string::npos)
            eol = fileBytes.size();
        const std::string text = withoutTrailingBlanks(fileBytes.substr(pos, eol - pos));
        pos = eol + 1;
        ++line;
        if (!started && (text.empty() || text[0] != ':'))
            continue;
        started = true;
        if (text.empty())
            continue;
        if (text[0] != ':')
            throw HexFileError(line, "raden är ingen hexpost");
        HexRecord r = parseRecord(text, line);
        if (carriesNothing(r))
            continue;
        const bool last = r.type == HexType::EndOfFile;
        records.push_back(std::move(r));
        if (last)
            return records;
    }
    if (!started)
        throw HexFileError(0, "filen innehåller ingen hexpost");
    throw HexFileError(0, "slutposten (:00000001FF) saknas");
}

} // namespace app
