#pragma once

#include "core/Draw.h"

#include <vector>

namespace quorvel::bench {

constexpr int kPredictionFormulasPerPosition = 5000;

// Prints "predict: formulas=... engine_ms=... oracle_ms=... ratio=...": both prediction methods
// for all eight positions, kPredictionFormulasPerPosition kill formulas each, on `draws`, by the
// engine and by the oracle's literal statements.
void printPredictionFigures(const std::vector<Draw>& draws);

} // namespace quorvel::bench
