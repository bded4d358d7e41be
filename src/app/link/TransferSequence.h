#pragma once
// A start-table transfer: the send list `Sandlista`, the step `SandRad` and
// the countdown `TidSand` to the next step. A step sends the setting
// commands of the table kind ("RESET", the beeps, "Gran på", the queue) and
// then one line of the send list, until the list is empty.
//
// The link's tick asks for the next command once per tick; a step runs when
// `TidSand` runs out with no command outstanding, so every command handed
// out is taken. The table kind (by the active tab) and the settings are read
// anew at every step.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/link/LinkInterfaces.h"

namespace app {

// A step that finds a command still outstanding looks again after 0.4 s.
inline constexpr int kTransferWaitTicks = 4;

// What the steps read from the main window.
struct TransferSettings {
    int tabIndex = 0;       // the active tab: 0 interval start, any other pursuit start
    int beep = 3;           // "Inga" 0, "En Tut" 1, "6 tut" 2, "Alla tut" 3
    bool gran = false;      // "Gran på" ticked
    std::string queueText;  // "Sänd Kö:" as shown
};

class TransferSequence : public TransferStep {
public:
    explicit TransferSequence(std::function<TransferSettings()> settings);

    // "Sänd tider": `Sandlista` := records, `SandRad` := 0, `TidSand` := 1;
    // a running transfer starts over. `rows`: the table row of each record
    // (buildSendList's); empty: the records count as rows 1, 2, ...
    void startTransfer(std::vector<std::string> records, std::vector<int> rows = {});

    // Counts `TidSand` down; when it runs out, waits while the link is busy,
    // else runs one step on the command set of the clock.
    std::optional<std::string> nextCommand(bool linkBusy, bool oldCommandSet) override;
    std::optional<int> stop(bool lastUnanswered) override;
    bool running() const { return TidSand_ > 0; }

    // New command set: the setting commands, then "TAB-" and each record.
    std::optional<std::string> SendStepTab();
    // Old command set: the setting commands, then each line as it is.
    std::optional<std::string> SendStepOld();

    const std::vector<std::string>& Sandlista() const { return Sandlista_; }
    int SandRad() const { return SandRad_; }
    int TidSand() const { return TidSand_; }

private:
    std::optional<std::string> runStep(const std::vector<std::string>& settingSteps, const std::string& prefix);

    std::function<TransferSettings()> settings_;
    std::vector<std::string> Sandlista_;
    int SandRad_ = 0;
    int TidSand_ = 0;
    // The table row of each record, the records handed out so far, and
    // whether the command handed out last was one of them.
    std::vector<int> rows_;
    std::size_t recordsOut_ = 0;
    bool lastWasRecord_ = false;
};

} // namespace app
