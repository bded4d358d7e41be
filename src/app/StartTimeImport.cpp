#include "app/StartTimeImport.h"

#include "app/StartTableLayout.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "app/Cp1252.h"
#include "platform/IntegerText.h"
#include "timevalues/IntOfValue.h"
#include "timevalues/TextRut.h"

namespace app {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The time of day of a sum that may pass midnight or the 32-bit range.
TTid timeOfDay(int64_t value)
{
    return static_cast<TTid>(((value % kTidDay) + kTidDay) % kTidDay);
}

} // namespace

std::optional<char> separatorOf(const QString& separatorText)
{
    if (separatorText.isEmpty())
        return std::nullopt;
    const qsizetype length = separatorText.at(0).isHighSurrogate() && separatorText.size() > 1 ? 2 : 1;
    const QString first = separatorText.left(length);
    const std::string byte = toCp1252(first);
    // The code page writes "?" for what it cannot hold.
    if (byte.size() != 1 || (byte[0] == '?' && first != QStringLiteral("?")))
        return std::nullopt;
    return byte[0];
}

std::string importField(const std::string& line, int n, std::optional<char> separator)
{
    if (n < 1)
        return {};
    if (!separator)
        return n == 1 ? line : std::string();
    // Counted first, so a huge column number costs no more than the line.
    const auto fields = std::count(line.begin(), line.end(), *separator) + 1;
    if (n > fields)
        return {};
    return GetField(line, n, *separator);
}

int columnValue(const QString& text)
{
    return platform::parseInt32(text).value_or(0);
}

std::vector<std::string> importLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::size_t start = std::string_view(bytes).starts_with(kUtf8Mark) ? kUtf8Mark.size() : 0;
    while (start < bytes.size()) {
        const std::size_t lf = bytes.find('\n', start);
        const std::size_t end = lf == std::string::npos ? bytes.size() : lf;
        const std::size_t stop = end > start && bytes[end - 1] == '\r' ? end - 1 : end;
        lines.push_back(bytes.substr(start, stop - start));
        if (lf == std::string::npos)
            break;
        start = lf + 1;
    }
    return lines;
}

std::optional<ImportedStarter> importLine(const std::string& line, const ImportFormat& format)
{
    const std::string idField = importField(line, format.idColumn, format.separator);
    // The lenient integer drops the sign when letters follow the digits;
    // "-5a" is still no start number 5.
    const std::size_t first = idField.find_first_not_of(' ');
    if (first != std::string::npos && idField[first] == '-')
        return std::nullopt;
    const int id = IntOfValue(idField);
    if (id < kFirstImportNumber || id > kLastImportNumber)
        return std::nullopt;

    const std::string timeField = importField(line, format.timeColumn, format.separator);
    const TTid tid = timeOfDay(int64_t{StrToTid(timeField, 0)} + format.firstStart);
    return ImportedStarter{std::to_string(id), FormatTid(tid, kJaktTidMask, 'V')};
}

ImportOutcome importStarters(const std::vector<std::string>& lines, const ImportFormat& format)
{
    ImportOutcome out;
    for (const std::string& line : lines) {
        std::optional<ImportedStarter> starter = importLine(line, format);
        if (starter && out.starters.size() >= static_cast<std::size_t>(kImportMaxStarters)) {
            out.cutShort = true;
            break;
        }
        const std::size_t row = out.starters.size();
        if (row < out.lineRows.size())
            out.lineRows[row] = line;
        else
            out.lineRows.push_back(line);
        if (starter)
            out.starters.push_back(std::move(*starter));
    }
    return out;
}

} // namespace app
