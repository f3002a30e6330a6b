#include "verification/CalculationSteps.h"

#include "core/TermTable.h"
#include "formulas/CompiledFormula.h"
#include "formulas/NumberRules.h"

#include <QRegularExpression>

namespace quorvel {

namespace {

std::optional<qint64> wholeNumber(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^-?[0-9]+$"));
    if (!number.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

// Sums wrap instead of overflowing: only codes of absurd constants come near the edge.
qint64 wrappingAdd(qint64 a, qint64 b)
{
    return qint64(quint64(a) + quint64(b));
}

} // namespace

CalculationSteps::CalculationSteps(const QString& code) : m_code(code)
{
    for (const QString& written : code.split(QLatin1Char('+')))
        m_terms.push_back(classify(written));
}

CalculationSteps::Term CalculationSteps::classify(const QString& written)
{
    static const QRegularExpression remainder(QStringLiteral("^\\(([A-Za-z0-9]+) MOD (-?[0-9]+)\\)$"));
    Term term;
    term.written = written;
    const QString trimmed = written.trimmed();
    if (const std::optional<qint64> number = wholeNumber(trimmed)) {
        term.kind = TermKind::Number;
        term.number = *number;
        return term;
    }
    if (const int column = termIndexOfCode(trimmed); column >= 0) {
        term.kind = TermKind::Column;
        term.column = column;
        return term;
    }
    const QRegularExpressionMatch match = remainder.match(trimmed);
    if (match.hasMatch()) {
        const int column = termIndexOfCode(match.captured(1));
        const std::optional<qint64> divisor = wholeNumber(match.captured(2));
        if (column >= 0 && divisor && *divisor != 0) {
            term.kind = TermKind::Remainder;
            term.column = column;
            term.number = *divisor;
        }
    }
    return term;
}

std::optional<qint64> CalculationSteps::termValue(const Term& term, const DrawTable& table, int draw)
{
    switch (term.kind) {
    case TermKind::Column:
        return table.value(term.column, draw);
    case TermKind::Number:
        return term.number;
    case TermKind::Remainder:
        return remainderKeepingSign(table.value(term.column, draw), term.number);
    case TermKind::Other:
        break;
    }
    return std::nullopt;
}

std::vector<CalculationStepRow> CalculationSteps::rows(const DrawTable& table) const
{
    const Result<CompiledFormula> compiled = CompiledFormula::compile(m_code);
    std::vector<double> values;
    if (compiled)
        values = compiled->evaluate(table);

    std::vector<CalculationStepRow> rows;
    rows.reserve(std::size_t(table.drawCount()));
    for (int draw = 0; draw < table.drawCount(); ++draw) {
        CalculationStepRow row;
        row.issue = QStringLiteral("%1").arg(table.issues()[std::size_t(draw)], 8, 10, QLatin1Char('0'));
        row.numbers = numbersText(table, draw);
        for (std::size_t i = 0; i < m_terms.size(); ++i) {
            const Term& term = m_terms[i];
            const std::optional<qint64> value = termValue(term, table, draw);
            if (value)
                row.termSum = wrappingAdd(row.termSum, *value);
            if (i + 1 == m_terms.size())
                row.text += term.written;
            else
                row.text += (value ? QString::number(*value) : term.written) + QLatin1Char('+');
        }
        if (compiled)
            row.value = valueText(values[std::size_t(draw)]);
        rows.push_back(std::move(row));
    }
    return rows;
}

QStringList CalculationSteps::headers(const QString& displayText)
{
    return {QStringLiteral("期号"), QStringLiteral("当期号码"), displayText,
            QStringLiteral("计算值(算下期)")};
}

QString CalculationSteps::numbersText(const DrawTable& table, int draw)
{
    QStringList numbers;
    for (int p = 1; p <= kPositionCount; ++p)
        numbers << QStringLiteral("%1").arg(table.numbersAt(p)[draw], 2, 10, QLatin1Char('0'));
    return numbers.join(QLatin1Char(' '));
}

} // namespace quorvel
