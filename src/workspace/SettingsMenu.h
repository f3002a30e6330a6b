#pragma once

#include "core/Result.h"

namespace quorvel {

class Workspace;

// The commands of the settings menu `mnuSetup` that do more than store one value: the retrieval
// choice verifies again, the history days dialog asks until it gets a valid answer.
class SettingsMenu
{
public:
    explicit SettingsMenu(Workspace& workspace);

    void pickLotteryType(int index);            // `mnuKL10`
    Status setRetrievalPeriodsIndex(int index); // `mnuQs`: verifies again
    void toggleExcludeCurrentPeriod();          // `mnuBuhan`
    void toggleWeightedAccuracy();              // `mnuZqlJq`
    void setResultsAtCurrentPeriod(bool on);    // `mnuYsXs`
    void editHistoryDays();                     // `mnuSetDay`: input box through Prompts
    Status restoreDefaults();                   // `meuHfmr`: keeps the values it overwrites first

private:
    Workspace& m_workspace;
};

} // namespace quorvel
