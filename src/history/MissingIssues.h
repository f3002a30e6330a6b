#pragma once

#include <QStringList>
#include <QtGlobal>

#include <span>
#include <vector>

namespace quorvel {

// The issues a history lacks between its oldest and its newest draw.
namespace MissingIssues {

// Walks day by day from the oldest to the newest stored issue, a day having sequences 01..D,
// and lists, ascending, every issue strictly between the two that is not stored. storedIssues is
// ascending (as the history holds them); stored issues with a sequence above D are simply not
// asked for. Nothing is missing from a history of fewer than two draws.
std::vector<qint32> find(std::span<const qint32> storedIssues, int drawsPerDay);

// The missing issues (ascending) one day to a line: "261207：01 05 06（3期）".
QStringList byDay(std::span<const qint32> missing);

} // namespace MissingIssues
} // namespace quorvel
