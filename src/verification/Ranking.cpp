#include "verification/Ranking.h"

#include <algorithm>
#include <map>

namespace quorvel {

namespace {

QString numbersFollowedByBlanks(const std::vector<int>& numbers)
{
    QString text;
    for (const int number : numbers)
        text += QString::number(number) + QLatin1Char(' ');
    return text;
}

int sortValue(const RankedNumber& row, int column)
{
    switch (column) {
    case 1:
        return row.number;
    case 2:
        return row.total;
    case 3:
        return row.kill;
    default:
        return row.keep;
    }
}

// Orders rows by a column; rows tying on it come in ascending number.
void sortRows(std::vector<RankedNumber>& rows, int column, bool descending)
{
    std::sort(rows.begin(), rows.end(), [&](const RankedNumber& a, const RankedNumber& b) {
        const int va = sortValue(a, column);
        const int vb = sortValue(b, column);
        if (va != vb)
            return descending ? va > vb : va < vb;
        return a.number < b.number;
    });
    for (std::size_t r = 0; r < rows.size(); ++r)
        rows[r].rank = int(r) + 1;
}

// Counts in rank order (keep: from the highest down, kill: from the lowest up), each with the
// numbers having it in rank order.
std::vector<DistributionRow> distributionOf(const std::vector<RankedNumber>& rows, bool kill)
{
    std::map<int, std::vector<int>> byCount;
    for (const RankedNumber& row : rows)
        byCount[row.total].push_back(row.number);
    std::vector<DistributionRow> distribution;
    for (const auto& [count, numbers] : byCount)
        distribution.push_back({count, int(numbers.size()), numbers});
    if (!kill)
        std::reverse(distribution.begin(), distribution.end());
    return distribution;
}

} // namespace

QString RankedNumber::label() const
{
    return isDropped() ? QStringLiteral("滤杀") : QStringLiteral("保留");
}

std::vector<int> RankingPage::picks() const
{
    std::vector<int> numbers;
    for (const RankedNumber& row : rows) {
        if (row.pick == PickMark::Picked)
            numbers.push_back(row.number);
    }
    return numbers;
}

QString DistributionRow::text() const
{
    return numbersFollowedByBlanks(numbers);
}

std::vector<RankedNumber> Ranking::rowsOf(const PositionCounts& counts, bool kill) const
{
    std::vector<RankedNumber> rows;
    for (int n = 1; n <= kHighestNumber; ++n) {
        const std::size_t i = std::size_t(n);
        rows.push_back({0, n, counts.total[i], counts.kill[i], counts.keep[i], PickMark::None, kill});
    }
    return rows;
}

void Ranking::activate(const std::vector<PositionCounts>& positions, int quota, bool kill)
{
    m_pages.clear();
    m_counts = positions;
    m_summary.clear();
    std::array<bool, kHighestNumber + 1> picked{};

    for (std::size_t q = 0; q < positions.size() && q < std::size_t(kPositionCount); ++q) {
        RankingPage page;
        page.position = int(q) + 1;
        page.rows = rowsOf(positions[q], kill);
        // The first fill puts the numbers most likely drawn first: the most-kept, or the
        // least-killed, so that the picks are what the formulas back.
        sortRows(page.rows, 2, !kill);
        page.distribution = distributionOf(page.rows, kill);
        // Numbers no formula pointed at rank in number order only; picking them would back
        // 1, 2, 3 for no reason.
        page.empty = std::all_of(page.rows.begin(), page.rows.end(),
                                 [](const RankedNumber& row) { return row.total == 0; });
        if (page.empty) {
            m_summary += QStringLiteral("- ");
            m_pages.push_back(std::move(page));
            continue;
        }

        int i = 0; // numbers picked or passed over the quota
        for (RankedNumber& row : page.rows) {
            if (page.done)
                break;
            const std::size_t number = std::size_t(row.number);
            if (i < quota && picked[number]) {
                row.pick = PickMark::Grey;
                continue;
            }
            if (i < quota) {
                picked[number] = true;
                row.pick = PickMark::Picked;
            } else {
                page.done = true;
            }
            if (i == 0)
                m_summary += QString::number(row.number) + QLatin1Char(' ');
            ++i;
        }
        m_pages.push_back(std::move(page));
    }
}

std::vector<RankingTableRow> Ranking::rankingTableRows() const
{
    std::vector<RankingTableRow> rows;
    if (m_counts.empty() || m_pages.empty())
        return rows;
    const PositionCounts& last = m_counts[m_pages.size() - 1];
    for (int n = 1; n <= kHighestNumber; ++n) {
        const std::size_t i = std::size_t(n);
        rows.push_back({n, last.total[i], last.kill[i], last.keep[i]});
    }
    return rows;
}

bool Ranking::resort(int page, int column)
{
    if (page < 1 || page > int(m_pages.size()))
        return false;
    bool& descending = m_directionFlags[std::size_t(page - 1)];
    descending = !descending;
    RankingPage& shown = m_pages[std::size_t(page - 1)];
    for (RankedNumber& row : shown.rows)
        row.pick = PickMark::None;
    if (column >= 1 && column <= 4)
        sortRows(shown.rows, column, descending);
    shown.resorted = true;
    return true;
}

bool Ranking::directionFlag(int page) const
{
    if (page < 1 || page > kPositionCount)
        return false;
    return m_directionFlags[std::size_t(page - 1)];
}

QString Ranking::tabCaption(int position)
{
    return QStringLiteral("第") + QString::number(position);
}

QStringList Ranking::rankingHeaders(bool resorted)
{
    if (resorted)
        return {QStringLiteral("排序序号"),
                QStringLiteral("号码"),
                QStringLiteral("杀留Err值（公式错误值）"),
                QStringLiteral("杀码Err值（公式错误值）"),
                QStringLiteral("留码Err值（公式错误值）"),
                QStringLiteral("保留/滤杀")};
    return {QStringLiteral("排序序号"),  QStringLiteral("号码"),      QStringLiteral("杀留Err值"),
            QStringLiteral("杀码Err值"), QStringLiteral("留码Err值"), QStringLiteral("保留/滤杀")};
}

QStringList Ranking::distributionHeaders()
{
    return {QStringLiteral("杀留次数"), QStringLiteral("个数"), QStringLiteral("项目")};
}

DetailList detailList(const std::vector<DetailListSource>& used)
{
    DetailList detail;
    for (const DetailListSource& source : used)
        detail.rows.push_back({int(detail.rows.size()) + 1, source.formula, source.positionName,
                               source.kindCaption, source.computedValue});
    detail.rowCount = int(detail.rows.size());
    return detail;
}

QStringList detailListHeaders()
{
    return {QStringLiteral("序号"), QStringLiteral("公式"), QStringLiteral("类型"), QStringLiteral("生杀"),
            QStringLiteral("结果")};
}

} // namespace quorvel
