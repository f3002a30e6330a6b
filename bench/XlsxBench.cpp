#include "XlsxBench.h"

#include "core/TermTable.h"
#include "core/Workbook.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace quorvel::bench {

namespace {

constexpr quint32 kRightColour = 0x0000FF;
constexpr quint32 kWrongColour = 0x00FF00;

// Peak resident set size in megabytes, from /proc/self/status; 0 where it cannot be read.
double peakMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

// Lowers the recorded peak to the present resident set, so the figure belongs to the export alone.
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// Deterministic stand-in values, cheap enough not to weigh on the timing.
quint32 mix(quint32 x)
{
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

void historyRow(int row, std::vector<WorkbookCell>& cells)
{
    if (row == 0) {
        cells.push_back(WorkbookCell::text(QStringLiteral("期号")));
        for (int p = 1; p <= kPositionCount; ++p)
            cells.push_back(WorkbookCell::text(positionName(p)));
        for (int k = 1; k <= kXlsxFormulas; ++k)
            cells.push_back(WorkbookCell::text(QString::number(k)));
        return;
    }
    const int draw = row - 1;
    cells.push_back(WorkbookCell::fromGridText(QString::number(24010101 + draw)));
    for (int p = 1; p <= kPositionCount; ++p)
        cells.push_back(WorkbookCell::fromGridText(QString::number(mix(quint32(draw * 8 + p)) % 20 + 1)));
    for (int k = 1; k <= kXlsxFormulas; ++k) {
        if (draw == 0) {
            // The oldest draw has no prediction; its cells carry the formulas' display texts.
            cells.push_back(WorkbookCell::text(QStringLiteral("[第一杀]第一码+连跳号+%1").arg(k)));
            continue;
        }
        const quint32 value = mix(quint32(draw) * 7919U + quint32(k));
        cells.push_back(WorkbookCell::fromGridText(QString::number(value % 20 + 1),
                                                   value % 20 < 19 ? kRightColour : kWrongColour));
    }
}

} // namespace

void printXlsxExport()
{
    QTemporaryDir folder;
    resetPeak();
    QElapsedTimer timer;
    timer.start();
    const Status written =
        Workbook::write(folder.filePath(QStringLiteral("lishi.xlsx")), 1 + kXlsxDraws, &historyRow);
    const double milliseconds = double(timer.nsecsElapsed()) / 1e6;
    if (!written) {
        std::fprintf(stderr, "xlsx: %s\n", qPrintable(written.error()));
        std::printf("xlsx: draws=%d formulas=%d ms=failed\n", kXlsxDraws, kXlsxFormulas);
        return;
    }
    std::printf("xlsx: draws=%d formulas=%d ms=%.0f peak_mb=%.0f\n", kXlsxDraws, kXlsxFormulas, milliseconds,
                peakMegabytes());
}

} // namespace quorvel::bench
