#include "oracle/PredictionOracle.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <algorithm>

namespace quorvel::oracle {

namespace {

QString tableName(int position)
{
    return QStringLiteral("Gongshi") + QString::number(position);
}

QVariant nullable(const std::optional<RunStatistics>& statistics, int RunStatistics::*field)
{
    return statistics ? QVariant((*statistics).*field) : QVariant(QMetaType(QMetaType::Int));
}

} // namespace

PredictionOracle::PredictionOracle(Oracle& history,
                                   const std::array<std::vector<PredictionFormula>, kPositionCount>& tables)
    : m_history(history)
{
    QSqlDatabase database = db();
    database.transaction();
    for (int q = 1; q <= kPositionCount; ++q) {
        QSqlQuery query(database);
        query.exec(QStringLiteral("DROP TABLE IF EXISTS ") + tableName(q));
        query.exec(
            QStringLiteral("CREATE TABLE %1 (idx INTEGER, gongshi TEXT, gongshiCN TEXT, bolKill INTEGER, "
                           "intGsLim INTEGER, intGsErrCon INTEGER, intGsTrueCon INTEGER, "
                           "intGsErrLst INTEGER, intGsTrueLst INTEGER)")
                .arg(tableName(q)));
        QSqlQuery insert(database);
        insert.prepare(
            QStringLiteral("INSERT INTO %1 (idx, gongshi, gongshiCN, bolKill, intGsErrCon, "
                           "intGsTrueCon, intGsErrLst, intGsTrueLst) VALUES (?, ?, ?, ?, ?, ?, ?, ?)")
                .arg(tableName(q)));
        for (const PredictionFormula& formula : tables[std::size_t(q - 1)]) {
            insert.addBindValue(formula.idx);
            insert.addBindValue(formula.code);
            insert.addBindValue(formula.code);
            insert.addBindValue(formula.kill ? 1 : 0);
            insert.addBindValue(nullable(formula.statistics, &RunStatistics::maxMisses));
            insert.addBindValue(nullable(formula.statistics, &RunStatistics::maxHits));
            insert.addBindValue(nullable(formula.statistics, &RunStatistics::lastMisses));
            insert.addBindValue(nullable(formula.statistics, &RunStatistics::lastHits));
            if (!insert.exec())
                qFatal("prediction oracle: cannot store a formula");
        }
    }
    database.commit();
}

std::optional<int> PredictionOracle::computedNumber(const QString& code)
{
    ++m_evaluated;
    if (!m_history.evaluate(code))
        return std::nullopt;
    QSqlQuery draws(db());
    draws.setForwardOnly(true);
    draws.exec(QStringLiteral("SELECT * FROM lishi ORDER BY strQQH"));
    const int canshu = draws.record().indexOf(QStringLiteral("canshu"));
    std::optional<double> newest;
    bool any = false;
    while (draws.next()) {
        any = true;
        const QVariant value = draws.value(canshu);
        newest = value.isNull() ? std::nullopt : std::optional<double>(value.toDouble());
    }
    if (!any)
        return std::nullopt;
    const std::optional<qint64> folded = foldedNumber(newest);
    if (!folded || *folded < 1 || *folded > kHighestNumber)
        return std::nullopt;
    return int(*folded);
}

std::vector<std::pair<qint64, int>> PredictionOracle::listNumbers(const QString& table,
                                                                  const QString& kind) const
{
    std::vector<std::pair<qint64, int>> numbers;
    QSqlQuery query(db());
    query.exec(QStringLiteral("SELECT rowid FROM ") + table + QStringLiteral(" WHERE bolKill = ") + kind +
               QStringLiteral(" ORDER BY Idx"));
    int k = 0;
    while (query.next())
        numbers.emplace_back(query.value(0).toLongLong(), ++k);
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

PredictionResult PredictionOracle::run(const PredictionParams& params)
{
    m_evaluated = 0;
    PredictionResult result;
    const QString kind = params.kill ? QStringLiteral("True") : QStringLiteral("False");
    const int shown = std::clamp(params.shownPosition, 1, kPositionCount);

    if (params.method == PredictionMethod::SelectedFormulas) {
        result.quota = 1;
        for (int q = 1; q <= shown; ++q) {
            PositionCounts counts;
            QSqlQuery formulas(db());
            formulas.setForwardOnly(true);
            formulas.exec(QStringLiteral("SELECT * FROM ") + tableName(q) +
                          QStringLiteral(" WHERE bolKill = ") + kind + QStringLiteral(" ORDER BY Idx"));
            const int code = formulas.record().indexOf(QStringLiteral("gongshi"));
            int k = 0;
            while (formulas.next()) {
                ++k;
                const std::optional<int> n = computedNumber(formulas.value(code).toString());
                if (params.selection.isSelected(k) && n) {
                    ++result.usedFormulas;
                    ++counts.total[std::size_t(*n)];
                    ++counts.kill[std::size_t(*n)];
                }
            }
            if (!params.kill) {
                counts.keep = counts.kill;
                counts.kill.fill(0);
            }
            result.positions.push_back(counts);
        }
        return result;
    }

    result.quota = params.quota;
    QString order;
    for (const SortKey key : params.keys) {
        if (!order.isEmpty())
            order += QLatin1Char(',');
        order += sortKeyColumn(key) + QLatin1Char(' ') +
                 (sortKeyDescending(key) ? QStringLiteral("DESC") : QString());
    }
    order += QStringLiteral(", Idx"); // formulas tying on the three keys come in idx order

    std::array<bool, kHighestNumber + 1> taken{};
    const int limit = params.kill ? kHighestNumber - params.quota : params.quota;
    for (int q = 1; q <= shown; ++q) {
        const std::vector<std::pair<qint64, int>> numbers = listNumbers(tableName(q), kind);
        QSqlQuery formulas(db());
        formulas.setForwardOnly(true);
        formulas.exec(QStringLiteral("SELECT rowid, * FROM ") + tableName(q) +
                      QStringLiteral(" WHERE bolKill = ") + kind + QStringLiteral(" ORDER BY ") + order);
        const int code = formulas.record().indexOf(QStringLiteral("gongshi"));

        PositionCounts counts;
        std::array<bool, kHighestNumber + 1> claimed{};
        int covered = 0;
        int visited = 0;
        while (covered < limit && formulas.next()) {
            ++visited;
            const qint64 rowId = formulas.value(0).toLongLong();
            const auto found =
                std::lower_bound(numbers.begin(), numbers.end(), std::pair<qint64, int>(rowId, 0));
            if (!params.selection.isSelected(found->second))
                continue;
            const std::optional<int> n = computedNumber(formulas.value(code).toString());
            if (n) {
                claimed[std::size_t(*n)] = true;
                ++counts.total[std::size_t(*n)];
                ++counts.kill[std::size_t(*n)];
            }
            covered = 0;
            for (int m = 1; m <= kHighestNumber; ++m) {
                if (params.kill ? claimed[std::size_t(m)] || taken[std::size_t(m)]
                                : claimed[std::size_t(m)] && !taken[std::size_t(m)])
                    ++covered;
            }
        }
        if (params.kill) {
            for (int m = 1; m <= kHighestNumber; ++m) {
                if (!claimed[std::size_t(m)])
                    taken[std::size_t(m)] = true;
            }
        } else {
            counts.keep = counts.kill;
            counts.kill.fill(0);
            for (int m = 1; m <= kHighestNumber; ++m) {
                if (claimed[std::size_t(m)])
                    taken[std::size_t(m)] = true;
            }
        }
        result.positions.push_back(counts);
        result.visitedAtLastPosition = visited;
    }
    return result;
}

} // namespace quorvel::oracle
