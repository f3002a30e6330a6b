#pragma once

#include "core/Draw.h"
#include "core/DrawTable.h"

#include <QString>
#include <QStringList>

namespace quorvel {

// The history as a text file: one line per draw, oldest first, the eight-digit issue, one blank,
// then the eight numbers as two-digit fields separated by one blank
// ("25120705 03 04 06 15 20 11 09 17"). The history import reads it back unchanged.
namespace HistoryTextExport {

// "更新至" + issue + "期历史号码.txt"; the issue is the one proposed next.
QString fileName(const QString& issueText);

QString line(qint32 issue, const DrawNumbers& numbers);
QStringList lines(const DrawTable& history);

} // namespace HistoryTextExport
} // namespace quorvel
