#pragma once

#include "verification/Ranking.h"

namespace quorvel {

class PredictionState;
class Workspace;

// What the detail list `frmXxlb` shows: the selected formulas of the formula list as it is now,
// with the list's texts (display text or code as the list shows it, position, kind, computed
// value), in a grid sized for the formulas the last selected-formula run used.
namespace DetailListContent {

DetailList of(const Workspace& workspace, const PredictionState& state);

} // namespace DetailListContent
} // namespace quorvel
