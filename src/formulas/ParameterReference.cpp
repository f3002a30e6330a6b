#include "formulas/ParameterReference.h"

#include "core/TermTable.h"

namespace quorvel {
namespace ParameterReference {

namespace {

constexpr int kPerDrawColumn = 9;
constexpr int kLastPerPositionRow = 12;

// The row labels of this window; several differ from the names formulas use for the same column.
constexpr std::array<const char16_t*, kRowCount - 1> kRowLabels = {
    u"号码",     u"大小",     u"单双",     u"除5余数", u"除3余数", u"五段段数（4个数1段）",
    u"平方",     u"互补数",   u"2指数方",  u"立方",    u"邻号和",  u"邻号差",
    u"连顺号",   u"逆顺号",   u"连跳号",   u"逆跳号",  u"前期号",  u"上期号",
    u"本期号",   u"日期",     u"月份",     u"年份",    u"和数",    u"和数个位",
    u"大数个",   u"小数个",   u"大数和",   u"小数和",  u"偶数个",  u"奇数个",
    u"偶数和",   u"奇数和",   u"合数个",   u"质数个",  u"合数合",  u"质数合",
    u"重上期个", u"同上期个", u"最大跨度", u"总跨度"};

QString columnCode(int digit, char16_t letter)
{
    return QStringLiteral("L") + QString::number(digit) + QChar(letter);
}

} // namespace

QString codeAt(int row, int column)
{
    if (row < 1 || row >= kRowCount || column < 1 || column >= kColumnCount)
        return {};
    if (row <= kLastPerPositionRow) {
        if (column == kPerDrawColumn)
            return {};
        const char16_t letter = row <= 10 ? char16_t(u'A' + row - 1) : (row == 11 ? u'P' : u'Q');
        return columnCode(column, letter);
    }
    if (column != kPerDrawColumn)
        return {};
    if (row <= 22)
        return columnCode((row - 12) % 10, u'K');
    if (row <= 32)
        return columnCode((row - 22) % 10, u'M');
    return columnCode(row - 32, u'N');
}

Grid cells(const std::optional<Draw>& newestDraw)
{
    Grid grid;
    for (int p = 1; p <= kPositionCount; ++p)
        grid[0][std::size_t(p)] = positionName(p);
    grid[0][kPerDrawColumn] = QStringLiteral("总位");
    for (int row = 1; row < kRowCount; ++row) {
        grid[std::size_t(row)][0] = QString::fromUtf16(kRowLabels[std::size_t(row - 1)]);
        if (!newestDraw)
            continue;
        for (int column = 1; column < kColumnCount; ++column) {
            const QString code = codeAt(row, column);
            if (!code.isEmpty())
                grid[std::size_t(row)][std::size_t(column)] =
                    QString::number(newestDraw->values[std::size_t(termIndexOfCode(code))]);
        }
    }
    return grid;
}

int columnWidthTwips(int column)
{
    if (column == 0)
        return 2000;
    return column == kPerDrawColumn ? 800 : 600;
}

} // namespace ParameterReference
} // namespace quorvel
