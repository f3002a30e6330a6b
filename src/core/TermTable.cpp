#include "core/TermTable.h"

namespace quorvel {

namespace {

constexpr std::array<const char16_t*, kPositionCount> kPositionNames = {u"第一", u"第二", u"第三", u"第四",
                                                                        u"第五", u"第六", u"第七", u"第八"};

// Display suffixes of the per-position families A..I, in letter order.
constexpr std::array<const char16_t*, 9> kFamilySuffixesAToI = {
    u"码", u"大小", u"单双", u"5余", u"3余", u"十段", u"平方", u"互补数", u"2指数方"};

// Names of the per-draw families, in the order of their running digit 1, 2, ..., 9, 0.
constexpr std::array<const char16_t*, 10> kFamilyKNames = {
    u"连顺号", u"逆顺号", u"连跳号", u"逆跳号", u"前期号", u"上期号", u"本期号", u"日期", u"月份", u"年份"};
constexpr std::array<const char16_t*, 10> kFamilyMNames = {u"和数",   u"和数个位", u"大数个", u"小数个",
                                                           u"大数和", u"小数和",   u"偶数个", u"奇数个",
                                                           u"偶数和", u"奇数和"};
constexpr std::array<const char16_t*, 8> kFamilyNNames = {u"合数个",   u"质数个",   u"合数和",   u"质数和",
                                                          u"重上期个", u"同上期个", u"最大振幅", u"总跨度"};

QString code(int digit, QChar letter)
{
    return QStringLiteral("L") + QString::number(digit) + letter;
}

QString perPositionName(int position, const char16_t* suffix)
{
    return positionName(position) + QString::fromUtf16(suffix);
}

// Terms 1..124 by rule: families A..I of every position, then J, then the per-draw families
// K, M, N, then the neighbour families P and Q. The search draws its operands by these indexes,
// so the order is part of the program's behaviour.
std::array<Term, kTermCount> buildTermTable()
{
    std::array<Term, kTermCount> table;
    int i = 0;
    for (int family = 0; family < int(kFamilySuffixesAToI.size()); ++family) {
        for (int p = 1; p <= kPositionCount; ++p)
            table[i++] = {code(p, QChar(u'A' + family)), perPositionName(p, kFamilySuffixesAToI[family])};
    }
    for (int p = 1; p <= kPositionCount; ++p)
        table[i++] = {code(p, u'J'), perPositionName(p, u"立方")};
    for (int k = 1; k <= int(kFamilyKNames.size()); ++k)
        table[i++] = {code(k % 10, u'K'), QString::fromUtf16(kFamilyKNames[k - 1])};
    for (int k = 1; k <= int(kFamilyMNames.size()); ++k)
        table[i++] = {code(k % 10, u'M'), QString::fromUtf16(kFamilyMNames[k - 1])};
    for (int k = 1; k <= int(kFamilyNNames.size()); ++k)
        table[i++] = {code(k, u'N'), QString::fromUtf16(kFamilyNNames[k - 1])};
    for (int p = 1; p <= kPositionCount; ++p)
        table[i++] = {code(p, u'P'), perPositionName(p, u"邻号和")};
    for (int p = 1; p <= kPositionCount; ++p)
        table[i++] = {code(p, u'Q'), perPositionName(p, u"邻号差")};
    Q_ASSERT(i == kTermCount);
    return table;
}

} // namespace

const std::array<Term, kTermCount>& termTable()
{
    static const std::array<Term, kTermCount> table = buildTermTable();
    return table;
}

int termIndexOfCode(QStringView code)
{
    // Every code is "L", a digit and a letter: a 10 x 26 table answers without a search.
    static const std::array<std::array<qint8, 26>, 10> indexOf = [] {
        std::array<std::array<qint8, 26>, 10> table{};
        for (auto& row : table)
            row.fill(-1);
        const auto& terms = termTable();
        for (int i = 0; i < kTermCount; ++i) {
            const QString& c = terms[std::size_t(i)].code;
            table[std::size_t(c[1].unicode() - u'0')][std::size_t(c[2].unicode() - u'A')] = qint8(i);
        }
        return table;
    }();
    if (code.size() != 3 || (code[0] != u'L' && code[0] != u'l'))
        return -1;
    const char16_t digit = code[1].unicode();
    char16_t letter = code[2].unicode();
    if (letter >= u'a' && letter <= u'z')
        letter = char16_t(letter - u'a' + u'A');
    if (digit < u'0' || digit > u'9' || letter < u'A' || letter > u'Z')
        return -1;
    return indexOf[std::size_t(digit - u'0')][std::size_t(letter - u'A')];
}

QString positionName(int position)
{
    if (position < 1 || position > kPositionCount)
        return {};
    return QString::fromUtf16(kPositionNames[position - 1]);
}

int positionOfName(QStringView name)
{
    const QStringView trimmed = name.trimmed();
    for (int p = 1; p <= kPositionCount; ++p) {
        if (trimmed == QStringView(kPositionNames[p - 1]))
            return p;
    }
    return 0;
}

} // namespace quorvel
