#include "app/TransferSequence.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "app/ClockLink.h"
#include "app/StartTableEncoders.h"
#include "timevalues/NumPicture.h"

namespace app {
namespace {

// The beep setting as the clock takes it: one digit.
std::string beepDigit(int beep)
{
    return FormatWord(static_cast<uint16_t>(std::clamp(beep, 0, 9)), "$");
}

// One step of a sequence: while `SandRad` is below the number of setting
// steps, the setting command of that step (an empty one sends nothing) and
// the next step; from then on the first line of the send list behind
// `prefix`, until the list is empty.
void runStep(ClockLink& link, const std::vector<std::string>& settingSteps, const std::string& prefix)
{
    const int firstRecordStep = static_cast<int>(settingSteps.size());
    const int step = std::max(link.SandRad(), 0);
    std::vector<std::string>& list = link.Sandlista();
    if (step >= firstRecordStep && list.empty()) {
        link.setTidSand(0);
        return;
    }
    link.setTidSand(1);
    if (step < firstRecordStep) {
        const std::string& command = settingSteps[static_cast<std::size_t>(step)];
        if (!command.empty())
            link.Sand(command);
        link.setSandRad(step + 1);
        return;
    }
    link.Sand(prefix + list.front());
    list.erase(list.begin());
}

} // namespace

TransferSequence::TransferSequence(std::function<TransferSettings()> settings) : settings_(std::move(settings)) {}

void TransferSequence::SendStepTab(ClockLink& link)
{
    const TransferSettings s = settings_();
    if (s.tabIndex == kIntervalStartTab)
        runStep(link, {"", "RESET", "TOOT-" + beepDigit(s.beep), s.gran ? "TREE-1" : "TREE-0"}, "TAB-");
    else
        runStep(link, {"RESET", "TOOT-0", "LINE-" + s.queueText, "TREE-0"}, "TAB-");
}

void TransferSequence::SendStepOld(ClockLink& link)
{
    const TransferSettings s = settings_();
    if (s.tabIndex == kIntervalStartTab)
        runStep(link,
                {"", "RESET", "TUTA=" + beepDigit(s.beep), "TUTH=" + FormatWord(64, "$$$"),
                 "TUTL=" + FormatWord(128, "$$$")},
                "");
    else
        runStep(link, {"RESET", "TUTA=0"}, "");
}

} // namespace app
