#pragma once

#include "core/Draw.h"

#include <QString>

#include <random>
#include <vector>

namespace quorvel::oracle {

// Histories for tests and the benchmark, built with the program's own parameter computation.

// Draws with the given numbers and consecutive issues from `firstIssue` (D draws per day).
std::vector<Draw> historyOf(const std::vector<DrawNumbers>& numbers, qint32 firstIssue = 24010101,
                            int drawsPerDay = 84);

// A draw whose number at `position` is `number`; the other positions take the smallest numbers
// left, so every draw is valid.
DrawNumbers drawWith(int position, int number);

// Eight different numbers 1..20 in random drawing order.
DrawNumbers randomNumbers(std::mt19937_64& random);

// `count` random draws with consecutive issues.
std::vector<Draw> randomHistory(int count, std::mt19937_64& random, qint32 firstIssue = 24010101,
                                int drawsPerDay = 84);

// A draw file of lines "YYMMDDNN n1 .. n8", oldest first; empty when the file cannot be read.
std::vector<Draw> readHistoryFile(const QString& path, int drawsPerDay);

} // namespace quorvel::oracle
