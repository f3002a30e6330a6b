#pragma once

#include "core/TermTable.h"

#include <QtGlobal>

#include <array>

namespace quorvel {

// The eight numbers of a draw in drawing order.
using DrawNumbers = std::array<int, kPositionCount>;

// The 124 parameter values of a draw, in term-table order.
using ParameterValues = std::array<qint32, kTermCount>;

// One stored draw: issue number YYMMDDNN (`strQQH`) and its parameters (`L1A` ...).
struct Draw
{
    qint32 issue = 0;
    ParameterValues values{};

    DrawNumbers numbers() const
    {
        DrawNumbers result{};
        for (int p = 1; p <= kPositionCount; ++p)
            result[p - 1] = values[numberTermIndex(p)];
        return result;
    }
};

} // namespace quorvel
