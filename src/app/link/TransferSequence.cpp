#include "app/link/TransferSequence.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

#include "app/tables/StartTableEncoders.h"
#include "timevalues/NumPicture.h"

namespace app {
namespace {

// The two fixed values the old command set sends after the beep setting, as
// "TUTH=064" and "TUTL=128".
constexpr uint16_t kOldSetTuth = 64;
constexpr uint16_t kOldSetTutl = 128;

// The beep setting as the clock takes it: one digit.
std::string beepDigit(int beep)
{
    return timevalues::FormatWord(static_cast<uint16_t>(std::clamp(beep, 0, 9)), "$");
}

} // namespace

TransferSequence::TransferSequence(std::function<TransferSettings()> settings) : settings_(std::move(settings)) {}

void TransferSequence::startTransfer(std::vector<std::string> records, std::vector<int> rows)
{
    if (rows.size() != records.size()) {
        rows.resize(records.size());
        std::iota(rows.begin(), rows.end(), 1);
    }
    Sandlista_ = std::move(records);
    rows_ = std::move(rows);
    recordsOut_ = 0;
    lastWasRecord_ = false;
    SandRad_ = 0;
    TidSand_ = 1;
}

std::optional<int> TransferSequence::stop(bool lastUnanswered)
{
    if (!running())
        return std::nullopt;
    TidSand_ = 0;
    Sandlista_.clear();
    const std::size_t taken = recordsOut_ - (lastUnanswered && lastWasRecord_ ? 1 : 0);
    // Every row above the first record the clock has not taken went whole.
    if (taken < rows_.size())
        return rows_[taken] - 1;
    return rows_.empty() ? 0 : rows_.back();
}

std::optional<std::string> TransferSequence::nextCommand(bool linkBusy, bool oldCommandSet)
{
    if (TidSand_ <= 0 || --TidSand_ > 0)
        return std::nullopt;
    if (linkBusy) {
        TidSand_ = kTransferWaitTicks;
        return std::nullopt;
    }
    return oldCommandSet ? SendStepOld() : SendStepTab();
}

// One step of a sequence: while `SandRad` is below the number of setting
// steps, the setting command of that step (an empty one sends nothing) and
// the next step; from then on the first line of the send list behind
// `prefix`, until the list is empty.
std::optional<std::string> TransferSequence::runStep(const std::vector<std::string>& settingSteps,
                                                     const std::string& prefix)
{
    const int firstRecordStep = static_cast<int>(settingSteps.size());
    const int step = std::max(SandRad_, 0);
    if (step >= firstRecordStep && Sandlista_.empty()) {
        TidSand_ = 0;
        return std::nullopt;
    }
    TidSand_ = 1;
    lastWasRecord_ = step >= firstRecordStep;
    if (step < firstRecordStep) {
        SandRad_ = step + 1;
        const std::string& command = settingSteps[static_cast<std::size_t>(step)];
        if (command.empty())
            return std::nullopt;
        return command;
    }
    std::string command = prefix + Sandlista_.front();
    Sandlista_.erase(Sandlista_.begin());
    ++recordsOut_;
    return command;
}

std::optional<std::string> TransferSequence::SendStepTab()
{
    const TransferSettings s = settings_();
    if (s.tabIndex == kIntervalStartTab)
        return runStep({"", "RESET", "TOOT-" + beepDigit(s.beep), s.gran ? "TREE-1" : "TREE-0"}, "TAB-");
    return runStep({"RESET", "TOOT-0", "LINE-" + s.queueText, "TREE-0"}, "TAB-");
}

std::optional<std::string> TransferSequence::SendStepOld()
{
    const TransferSettings s = settings_();
    if (s.tabIndex == kIntervalStartTab)
        return runStep({"", "RESET", "TUTA=" + beepDigit(s.beep), "TUTH=" + timevalues::FormatWord(kOldSetTuth, "$$$"),
                        "TUTL=" + timevalues::FormatWord(kOldSetTutl, "$$$")},
                       "");
    return runStep({"RESET", "TUTA=0"}, "");
}

} // namespace app
