#include "app/tables/StartTableRecords.h"

#include <cstdint>
#include <cstdio>

#include "timevalues/NumPicture.h"
#include "timevalues/TextRut.h"

namespace app {
namespace {

// `value` in upper-case hex digits, with leading zeros up to `digits`.
std::string hex(uint32_t value, int digits)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*X", digits, static_cast<unsigned>(value));
    return buffer;
}

std::string tooLarge(const char* what, long long value, long long low, long long high, const char* unit = "")
{
    return what + std::to_string(value) + unit + " ryms inte i klockans tabell (" + std::to_string(low) + " till "
           + std::to_string(high) + unit + ")";
}

} // namespace

std::string startTimeText(long long t)
{
    const long long seconds = t < 0 ? 0 : t / timevalues::kTidSecond;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02lld.%02lld.%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return buffer;
}

std::string dayTimeRecord(char type, int daySeconds)
{
    if (daySeconds < 0 || daySeconds > kMaxRecordDaySeconds)
        throw StartTableError(tooLarge("tiden ", daySeconds, 0, kMaxRecordDaySeconds, " s"));
    return type + hex(static_cast<uint32_t>(daySeconds), 5);
}

std::string numberRecord(char type, int number, int seconds)
{
    if (number < 0 || number > kMaxRecordNumber)
        throw StartTableError(tooLarge("numret ", number, 0, kMaxRecordNumber));
    if (seconds < 0 || seconds > kMaxRecordSeconds)
        throw StartTableError(tooLarge("sekundfältet ", seconds, 0, kMaxRecordSeconds, " s"));
    return type + hex(static_cast<uint32_t>(number), 3) + timevalues::ByteToHex(static_cast<unsigned>(seconds));
}

std::string startersRecord(int starters)
{
    if (starters < 1 || starters > kMaxRecordStarters)
        throw StartTableError(tooLarge("Ant/sta ", starters, 1, kMaxRecordStarters));
    return kStartersRecord + hex(static_cast<uint32_t>(starters), 1) + "0000";
}

void appendRecord(std::vector<std::string>& list, const std::string& record)
{
    if (list.size() >= kMaxTableRecords)
        throw StartTableError("tabellen blir längre än klockans " + std::to_string(kMaxTableRecords) + " poster");
    list.push_back(timevalues::FormatInt(static_cast<int32_t>(list.size()), "$$$") + "-" + record);
}

std::string startLine(int number, timevalues::TTid t)
{
    if (number < 0 || number > kMaxLineNumber)
        throw StartTableError(tooLarge("numret ", number, 0, kMaxLineNumber));
    if (t < 0 || t > kMaxLineTime)
        throw StartTableError("starttiden " + startTimeText(t) + " ryms inte i klockans sekundfält");
    return "S-" + timevalues::FormatInt(number, "$$$$") + "-" + timevalues::TidToSecStr(t, 0);
}

std::string elapseLine(const std::string& queueText, timevalues::TTid t)
{
    if (t < 0 || t > kMaxLineTime)
        throw StartTableError("köstarten " + startTimeText(t) + " ryms inte i klockans sekundfält");
    return "ELAPSE-" + queueText + "-" + timevalues::TidToSecStr(t, 0);
}

} // namespace app
