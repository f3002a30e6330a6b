#pragma once

#include "verification/Ranking.h"

namespace quorvel {

class PredictionState;
class Workspace;

// What the detail list `frmXxlb` shows: every formula the last selected-formula run used, from
// every position it counted, with its text (display text or code, as the formula list shows
// formulas now), position, kind and computed value, in position then list order.
namespace DetailListContent {

DetailList of(const Workspace& workspace, const PredictionState& state);

} // namespace DetailListContent
} // namespace quorvel
