#pragma once

#include "core/TermTable.h"
#include "verification/Prediction.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace quorvel {

// Colours of the ranking grid (0xRRGGBB).
constexpr quint32 kRankingGreyCell = 0x808080;  // number cell of a number an earlier page picked
constexpr quint32 kRankingGreenText = 0x00FF00; // row of a number labelled "滤杀"
constexpr quint32 kRankingBlackText = 0x000000; // row of a number labelled "保留"

enum class PickMark
{
    None,   // not looked at by the picking, or the number that marked the page done
    Picked, // one of the page's picks
    Grey    // picked on an earlier page: skipped, grey number cell
};

// One row of a ranking grid `MSFlexGrid1`.
struct RankedNumber
{
    int rank = 0;   // column 0, 1..20
    int number = 0; // column 1, `num`
    int total = 0;  // column 2, `ETrrcount`
    int kill = 0;   // column 3, `Errcount`
    int keep = 0;   // column 4, `Trrcount`
    PickMark pick = PickMark::None;
    bool killCounts = false; // the counted formulas are kill formulas

    // "滤杀" marks a number the counted formulas drop: one that at least one kill formula
    // killed, or one that no keep formula kept.
    bool isDropped() const { return killCounts ? total > 0 : total == 0; }
    QString label() const; // column 5: "保留" or "滤杀"
    quint32 textColour() const { return isDropped() ? kRankingGreenText : kRankingBlackText; }
};

// One row of a distribution grid `MSFlexGrid3`.
struct DistributionRow
{
    int count = 0;            // "杀留次数"
    int howMany = 0;          // "个数"
    std::vector<int> numbers; // the numbers having this count, in rank order

    QString text() const; // "项目": the numbers, each followed by a blank
};

struct RankingPage
{
    int position = 0;
    std::vector<RankedNumber> rows;            // in the order shown
    std::vector<DistributionRow> distribution; // highest count first (kill: lowest first)
    bool done = false;                         // the page picked all its numbers
    bool empty = false;    // no counted formula gave a number here: the page picks nothing
    bool resorted = false; // rows come from a click on the grid (re-sort header, no picks)

    std::vector<int> picks() const; // the numbers the page picked, in rank order
};

// A record of the table `ErrarrLei`.
struct RankingTableRow
{
    int num = 0;
    int eTrrCount = 0; // `ETrrcount`
    int errCount = 0;  // `Errcount`
    int trrCount = 0;  // `Trrcount`
};

// The content of the ranking window `frmErrarrLei`: one page per position, numbers ranked by
// their total count with the page's picks, the distribution of counts and the summary `Text1`.
// Whatever the kind, the picks are the numbers the formulas expect to be drawn: keep counts rank
// the most-kept numbers first, kill counts the least-killed. Numbers tying in a ranking come in
// ascending number.
class Ranking
{
public:
    // `FormActivate`: pages 1..p* from the counts of the run (element q - 1 for position q), of
    // kill formulas when `kill`; picks, done flags and the summary start afresh, the pages'
    // direction flags stay. A page without any count picks nothing and puts "-" in the summary.
    void activate(const std::vector<PositionCounts>& positions, int quota, bool kill);

    const std::vector<RankingPage>& pages() const { return m_pages; }
    // The first pick of every page ("-" for a page without picks), each followed by a blank.
    const QString& summary() const { return m_summary; }
    // What `ErrarrLei` holds afterwards: the counts of the last page filled, in number order.
    std::vector<RankingTableRow> rankingTableRows() const;

    // Click on column 0..5 of page q's ranking grid: reverses the page's direction flag and
    // orders the page's rows by number, total, kill or keep count (columns 1..4), descending when
    // the flag is set; columns 0 and 5 keep the order shown. The rows lose their picks. False when
    // the page does not exist.
    bool resort(int page, int column);
    bool directionFlag(int page) const;

    // "第" + the digits of q.
    static QString tabCaption(int position);
    // Header of the ranking grid: the first fill's, or the one after a re-sort.
    static QStringList rankingHeaders(bool resorted);
    static QStringList distributionHeaders();

private:
    std::vector<RankedNumber> rowsOf(const PositionCounts& counts, bool kill) const;

    std::vector<RankingPage> m_pages;
    std::vector<PositionCounts> m_counts;
    QString m_summary;
    std::array<bool, kPositionCount> m_directionFlags{};
};

// A formula the last selected-formula run used, as the detail list `frmXxlb` shows it.
struct DetailListSource
{
    QString formula;       // display text or code, as the formula list shows formulas
    QString positionName;  // the position it was counted for, "第一".."第八"
    QString kindCaption;   // "生" or "杀"
    QString computedValue; // the number it counted for
};

struct DetailListRow
{
    int number = 0; // "序号"
    QString formula;
    QString positionName;
    QString kindCaption;
    QString computedValue;
};

struct DetailList
{
    int rowCount = 0; // data rows of the grid, header not counted
    std::vector<DetailListRow> rows;
};

// Every formula the run used, from every position it counted, in position then list order,
// numbered from 1: one filled row each, none left blank.
DetailList detailList(const std::vector<DetailListSource>& used);
QStringList detailListHeaders();

} // namespace quorvel
