#pragma once

#include <QString>
#include <QStringView>

#include <array>

namespace quorvel {

constexpr int kTermCount = 124;
constexpr int kPositionCount = 8;
constexpr int kHighestNumber = 20;

// One draw parameter: its `Lishi` column code (such as L1A) and its Chinese display name.
struct Term
{
    QString code;
    QString name;
};

// The 124 draw parameters in the program's term-table order (element 0 is term 1, L1A 第一码).
// Every array of parameter values in the program uses this order.
const std::array<Term, kTermCount>& termTable();

// 0-based term index of a column code, compared without regard to case; -1 when unknown.
int termIndexOfCode(QStringView code);

// "第一" .. "第八" for positions 1..8.
QString positionName(int position);

// Position 1..8 named by "第一" .. "第八"; 0 when the text names none.
int positionOfName(QStringView name);

// Term index of the number drawn at a position (L1A .. L8A).
constexpr int numberTermIndex(int position)
{
    return position - 1;
}

} // namespace quorvel
