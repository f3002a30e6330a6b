#pragma once

#include "verification/HistoryDisplay.h"

#include <memory>

namespace quorvel {

class Settings;
class Workspace;

// The per-draw verification display of the history grid (`Check1`) for what the workspace shows:
// one column per formula of the list, in list order, over the current history and position.
namespace VerificationDisplay {

// The mode chosen with `mnuYsXs` (settings key "LsXs").
DisplayMode modeOf(const Settings& settings);
std::shared_ptr<const HistoryDisplay> forList(const Workspace& workspace, DisplayMode mode);

} // namespace VerificationDisplay
} // namespace quorvel
