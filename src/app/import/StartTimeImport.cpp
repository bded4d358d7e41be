#include "app/import/StartTimeImport.h"

#include "app/tables/StartTableLayout.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "app/tables/Cp1252.h"
#include "platform/IntegerText.h"
#include "timevalues/IntOfValue.h"
#include "timevalues/TextRut.h"

namespace app {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The time of day of a sum that may pass midnight or the 32-bit range.
timevalues::TTid timeOfDay(int64_t value)
{
    return static_cast<timevalues::TTid>(((value % timevalues::kTidDay) + timevalues::kTidDay) % timevalues::kTidDay);
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
    return timevalues::GetField(line, n, *separator);
}

int columnValue(const QString& text)
{
    return platform::parseInt32(text).value_or(0);
}

ImportLines::ImportLines(std::string_view bytes)
    : bytes_(bytes), start_(bytes.starts_with(kUtf8Mark) ? kUtf8Mark.size() : 0)
{
}

std::optional<std::string_view> ImportLines::next()
{
    if (start_ >= bytes_.size())
        return std::nullopt;
    const std::size_t lf = bytes_.find('\n', start_);
    const std::size_t end = lf == std::string_view::npos ? bytes_.size() : lf;
    const std::size_t stop = end > start_ && bytes_[end - 1] == '\r' ? end - 1 : end;
    const std::string_view line = bytes_.substr(start_, stop - start_);
    start_ = end + 1;
    return line;
}

std::optional<ImportedStarter> importLine(const std::string& line, const ImportFormat& format)
{
    const std::string idField = importField(line, format.idColumn, format.separator);
    // The lenient integer drops the sign when letters follow the digits;
    // "-5a" is still no start number 5.
    const std::size_t first = idField.find_first_not_of(' ');
    if (first != std::string::npos && idField[first] == '-')
        return std::nullopt;
    const int id = timevalues::intOfValue(idField);
    if (id < kFirstImportNumber || id > kLastImportNumber)
        return std::nullopt;

    const std::string timeField = importField(line, format.timeColumn, format.separator);
    const timevalues::TTid tid = timeOfDay(int64_t{timevalues::StrToTid(timeField, 0)} + format.firstStart);
    return ImportedStarter{std::to_string(id), timevalues::FormatTid(tid, kJaktTidMask, 'V')};
}

ImportOutcome importStarters(std::string_view bytes, const ImportFormat& format)
{
    ImportOutcome out;
    ImportLines lines(bytes);
    std::string line;  // one buffer for every line
    while (const std::optional<std::string_view> view = lines.next()) {
        line.assign(*view);
        // An empty line has no start number; refusing it here keeps a file
        // of line feeds quick.
        std::optional<ImportedStarter> starter = line.empty() ? std::nullopt : importLine(line, format);
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
