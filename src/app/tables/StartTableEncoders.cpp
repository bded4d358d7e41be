#include "app/tables/StartTableEncoders.h"

#include "app/tables/StartTableLayout.h"
#include "app/tables/StrictInt.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>

namespace app {
namespace {

struct IntervalRow {
    int from = 0;
    int to = 0;
    timevalues::TTid t = 0;
    timevalues::TTid d = 0;
    int starters = 0;
};

struct PursuitRow {
    int nr = 0;
    int queue = 0;
    timevalues::TTid t = 0;
};

int requiredInteger(const StringGrid& grid, int col, int row, const char* header)
{
    const std::string text = grid.Cell(col, row);
    const std::optional<int> value = tryStrictInt(text);
    if (!value)
        throw StartTableError(notAnIntegerText(text, header));
    return *value;
}

// An empty cell counts as 0.
int integerOrZero(const StringGrid& grid, int col, int row, const char* header)
{
    return grid.Cell(col, row).empty() ? 0 : requiredInteger(grid, col, row, header);
}

IntervalRow readIntervalRow(const StringGrid& grid, int row)
{
    IntervalRow r;
    r.from = requiredInteger(grid, kFranNrCol, row, kIntervalHeaders[kFranNrCol]);
    r.to = requiredInteger(grid, kTillNrCol, row, kIntervalHeaders[kTillNrCol]);
    r.t = timevalues::StrToTid(grid.Cell(kTidCol, row), 0);
    r.d = timevalues::StrToTid(grid.Cell(kDifftidCol, row), 0);
    r.starters = requiredInteger(grid, kAntStaCol, row, kIntervalHeaders[kAntStaCol]);
    // With none per start the numbers would never advance.
    if (r.starters < 1)
        throw StartTableError("Ant/sta " + std::to_string(r.starters) + " är färre än en startande per start");
    return r;
}

PursuitRow readPursuitRow(const StringGrid& grid, int row)
{
    PursuitRow r;
    r.nr = integerOrZero(grid, kNrCol, row, kPursuitHeaders[kNrCol]);
    r.queue = integerOrZero(grid, kKoCol, row, kPursuitHeaders[kKoCol]);
    r.t = timevalues::StrToTid(grid.Cell(kJaktTidCol, row), 0);
    return r;
}

bool hasCell(const StringGrid& grid, int col, int row)
{
    return row < grid.RowCount() && !grid.Cell(col, row).empty();
}

// Runs the work on one row; a table error it raises names the row. The
// records the work added to `list` are counted to the row in `rows`.
template <class Work>
void onRow(int row, Work work, const std::vector<std::string>& list, std::vector<int>* rows)
{
    try {
        work();
    } catch (const StartTableError& e) {
        throw StartTableError("Rad " + std::to_string(row) + ": " + e.what());
    }
    if (rows)
        rows->resize(list.size(), row);
}

// Whole seconds, truncated toward zero; far out of range stays out of range.
int wholeSeconds(int64_t t)
{
    return static_cast<int>(std::clamp<int64_t>(t / timevalues::kTidSecond, std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
}

// The seconds of the day an absolute-time record gives for a start at `t`.
int secondsBeforeStart(int64_t t)
{
    if (t < kAbsoluteTimeLead)
        throw StartTableError("starten " + startTimeText(t) + " ligger före 00.01.01 och kan inte ges som klockslag");
    return wholeSeconds(t - kAbsoluteTimeLead);
}

int intervalSeconds(timevalues::TTid d)
{
    const int seconds = wholeSeconds(d);
    if (seconds > kMaxRecordSeconds)
        throw StartTableError("Difftid " + std::to_string(seconds) + " s ryms inte i klockans tabell (högst "
                              + std::to_string(kMaxRecordSeconds) + " s)");
    return seconds;
}

timevalues::TTid narrowTime(int64_t t)
{
    return static_cast<timevalues::TTid>(
        std::clamp<int64_t>(t, std::numeric_limits<timevalues::TTid>::min(),
                            std::numeric_limits<timevalues::TTid>::max()));
}

} // namespace

std::vector<std::string> BuildTabVanlig(const StringGrid& grid, std::vector<int>* rows)
{
    std::vector<std::string> list;
    // The clock counts each first start from the running reference. After a
    // range with several starters per start the clock's own reference is not
    // certain, so the next row sets it anew with an absolute time.
    int64_t ref = kReferenceAtStart;
    bool refKnown = true;
    int64_t lastStart = kReferenceAtStart;
    int row = 1;
    for (; hasCell(grid, kTillNrCol, row); ++row) {
        onRow(row, [&] {
            const IntervalRow r = readIntervalRow(grid, row);
            if (r.t < lastStart)
                throw StartTableError("första starten " + startTimeText(r.t) + " ligger före föregående start "
                                      + startTimeText(lastStart));
            if (!refKnown || r.t > ref + kMaxReferenceGap) {
                appendRecord(list, dayTimeRecord(kAbsoluteTimeRecord, secondsBeforeStart(r.t)));
                ref = r.t - kAbsoluteTimeLead;
            }
            appendRecord(list, numberRecord(kFirstStartRecord, r.from, wholeSeconds(r.t - ref)));
            ref = r.t;
            refKnown = true;
            lastStart = r.t;
            if (r.starters > 1)
                appendRecord(list, startersRecord(r.starters));
            if (r.to > r.from) {
                appendRecord(list, numberRecord(kRangeRecord, r.to, intervalSeconds(r.d)));
                if (r.starters > 1)
                    appendRecord(list, startersRecord(r.starters));
                // The last start: one interval per start, a start being a
                // group of `starters` numbers.
                lastStart = r.t + int64_t{(r.to - r.from) / r.starters} * r.d;
                if (r.starters == 1)
                    ref = lastStart;
                else
                    refKnown = false;
            }
        }, list, rows);
    }
    appendRecord(list, kTableEndRecord);
    if (rows)
        rows->resize(list.size(), row);
    return list;
}

std::vector<std::string> BuildOldVanlig(const StringGrid& grid, std::vector<int>* rows)
{
    std::vector<std::string> list;
    for (int row = 1; hasCell(grid, kTillNrCol, row); ++row) {
        onRow(row, [&] {
            const IntervalRow r = readIntervalRow(grid, row);
            int64_t t = r.t;
            for (int64_t nr = r.from; nr <= r.to; nr += r.starters, t += r.d)
                list.push_back(startLine(static_cast<int>(nr), narrowTime(t)));
        }, list, rows);
    }
    return list;
}

std::vector<std::string> BuildTabJakt(const StringGrid& grid, int queue, std::vector<int>* leftOut,
                                      std::vector<int>* rows)
{
    std::vector<std::string> list;
    int64_t ref = kReferenceAtStart;
    for (int row = 1; hasCell(grid, kNrCol, row); ++row) {
        onRow(row, [&] {
            const PursuitRow r = readPursuitRow(grid, row);
            if (r.nr == 0) {
                appendRecord(list, dayTimeRecord(kQueueStartRecord, secondsBeforeStart(r.t)));
                ref = r.t - kAbsoluteTimeLead;
                return;
            }
            if (r.queue != queue)
                return;
            // A start earlier than the reference cannot be counted from it:
            // such a starter is out of time order and not sent.
            if (r.t < ref) {
                if (leftOut)
                    leftOut->push_back(r.nr);
                return;
            }
            if (r.t > ref + kMaxReferenceGap) {
                appendRecord(list, dayTimeRecord(kPursuitTimeRecord, secondsBeforeStart(r.t)));
                ref = r.t - kAbsoluteTimeLead;
            }
            appendRecord(list, numberRecord(kStartRecord, r.nr, wholeSeconds(r.t - ref)));
            ref = r.t;
        }, list, rows);
    }
    return list;
}

std::vector<std::string> BuildOldJakt(const StringGrid& grid, int queue, const std::string& queueText,
                                      std::vector<int>* rows)
{
    std::vector<std::string> list;
    for (int row = 1; hasCell(grid, kJaktTidCol, row); ++row) {
        onRow(row, [&] {
            const PursuitRow r = readPursuitRow(grid, row);
            if (r.nr == 0)
                list.push_back(elapseLine(queueText, r.t));
            else if (r.queue == queue)
                list.push_back(startLine(r.nr, r.t));
        }, list, rows);
    }
    return list;
}

int queueValue(const std::string& queueText)
{
    return tryStrictInt(queueText).value_or(0);
}

std::vector<std::string> buildSendList(bool oldCommandSet, int tabIndex, const StringGrid& intervalGrid,
                                       const StringGrid& pursuitGrid, const std::string& queueText,
                                       std::vector<int>* leftOut, std::vector<int>* rows)
{
    if (tabIndex == kIntervalStartTab)
        return oldCommandSet ? BuildOldVanlig(intervalGrid, rows) : BuildTabVanlig(intervalGrid, rows);
    // The pursuit-start settings name the queue, also when no table is sent.
    const int queue = queueValue(queueText);
    if (queue < 0)
        throw StartTableError("Sänd Kö " + queueText + " är ingen kö");
    if (tabIndex == kPursuitStartTab)
        return oldCommandSet ? BuildOldJakt(pursuitGrid, queue, queueText, rows)
                             : BuildTabJakt(pursuitGrid, queue, leftOut, rows);
    return {};
}

std::string leftOutMessage(const std::vector<int>& numbers)
{
    std::string list;
    for (const int nr : numbers)
        list += (list.empty() ? "" : ", ") + std::to_string(nr);
    return "Nr " + list + " startar före föregående start och sänds inte till klockan.";
}

} // namespace app
