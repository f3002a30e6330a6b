#pragma once

#include "core/DrawTable.h"
#include "search/SearchRun.h"

#include <memory>

namespace quorvel {

// The yardstick of a search run: the same candidates scored on a shuffled copy of the history,
// where no draw says anything about the next, so that whatever the bounds accept there is luck.
// A run that finds about as many formulas as its baseline has found nothing but luck.
class LuckBaseline
{
public:
    // The draws of `history`, each whole, in an order drawn from `seed`: the same seed always
    // gives the same order.
    static DrawTable shuffled(const DrawTable& history, quint64 seed);

    // A run that counts, without handing them on, the candidates the bounds accept among the
    // `tried` candidates `run` tried from its first, scored on its history shuffled with its seed;
    // one that says what an earlier one of them says is not counted.
    // The candidates are drawn with `generation`: the settings in force when the run ended.
    static SearchParameters parametersFor(const SearchParameters& run, quint64 tried,
                                          const GenerationSettings& generation);

    // The share of candidates accepted, as a percentage text with two significant digits
    // ("0.012%"); "0%" when none was accepted or none tried.
    static QString shareText(int found, quint64 tried);
};

} // namespace quorvel
