#pragma once
// The steps of a start-table transfer: the setting commands of the table kind
// ("RESET", the beeps, "Gran på", the queue) and then one line of the send
// list per step, until the list is empty.
//
// The link runs one step per tick when no command is outstanding, so every
// command handed to it here is taken. The table kind (by the active tab) and
// the settings are read anew at every step.
#include <functional>
#include <string>

#include "app/LinkInterfaces.h"

namespace app {

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

    // New command set: the setting commands, then "TAB-" and each record.
    void SendStepTab(ClockLink& link) override;
    // Old command set: the setting commands, then each line as it is.
    void SendStepOld(ClockLink& link) override;

private:
    std::function<TransferSettings()> settings_;
};

} // namespace app
