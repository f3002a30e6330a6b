#include "formulas/FormulaTextExport.h"

namespace quorvel {

namespace {

constexpr int kLinesPerBlock = 50;
constexpr int kAllPositionsFiller = 11;
constexpr int kTargetBeyondFirst = 10;
constexpr QChar kFullWidthBlank(0x3000);
constexpr QChar kDash(0x2014);

QString formulaLine(const FormulaTextExport::Row& row, qsizetype fillerLength)
{
    return row.displayText + QString(fillerLength, kFullWidthBlank) + QStringLiteral("连准：") +
           QString::number(row.lastHits) + QStringLiteral("期");
}

// One blank for every count from the text's length up to the target, both ends included.
qsizetype fillerTo(qsizetype target, const QString& text)
{
    return qMax<qsizetype>(0, target - text.size() + 1);
}

} // namespace

QString FormulaTextExport::fileName(const QString& issueText)
{
    return issueText + QStringLiteral("期Pellmor.txt");
}

QStringList FormulaTextExport::header()
{
    const QString indent(10, QLatin1Char(' '));
    return {QStringLiteral("本组公式由《Zorvane》软件搜索而来"),
            indent + QStringLiteral("Quorvel快乐十分公式分析软件导出的公式中文文本"),
            indent + QStringLiteral("用Quorvel的“读取公式文本”可读回本文件中的公式"), QString()};
}

QString FormulaTextExport::separator(int formulaLines)
{
    return QString(12, kDash) + QString::number(formulaLines) + QString(14, kDash) +
           QStringLiteral("Quorvel公式中文导出");
}

QStringList
FormulaTextExport::allPositions(const std::array<std::vector<Row>, kPositionCount>& rowsByPosition)
{
    QStringList lines = header();
    int written = 0;
    for (const std::vector<Row>& rows : rowsByPosition) {
        for (const Row& row : rows) {
            lines.append(formulaLine(row, kAllPositionsFiller));
            if (++written % kLinesPerBlock == 0)
                lines.append(separator(written));
        }
    }
    lines.append(separator(written));
    return lines;
}

QStringList FormulaTextExport::shownList(const std::vector<Row>& rows)
{
    QStringList lines = header();
    qsizetype target = rows.empty() ? 0 : rows.front().displayText.size() + kTargetBeyondFirst;
    int written = 0;
    for (const Row& row : rows) {
        lines.append(formulaLine(row, fillerTo(target, row.displayText)));
        if (++written % kLinesPerBlock == 0) {
            lines.append(separator(written));
            target = row.displayText.size() + kTargetBeyondFirst;
        }
    }
    lines.append(separator(written));
    return lines;
}

} // namespace quorvel
