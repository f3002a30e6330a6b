#include "ui/models/TrendTables.h"

#include "verification/ChanceBaseline.h"

#include <QBrush>
#include <QStandardItemModel>

namespace quorvel {

namespace TrendTables {

namespace {

QStandardItem* cell(const QString& text, const QVariant& sortValue)
{
    auto* item = new QStandardItem(text);
    item->setData(sortValue, kSortRole);
    item->setTextAlignment(Qt::AlignCenter);
    item->setEditable(false);
    return item;
}

QStandardItem* wholeCell(int value)
{
    return cell(QString::number(value), value);
}

void reset(QStandardItemModel& model, const QStringList& headers)
{
    model.clear();
    model.setHorizontalHeaderLabels(headers);
}

QString positionName(int position)
{
    static const char16_t* const names[] = {u"第一", u"第二", u"第三", u"第四", u"第五", u"第六", u"第七", u"第八"};
    return QString::fromUtf16(names[position - 1]);
}

QString attributeName(TwoSidedAttribute attribute)
{
    switch (attribute) {
    case TwoSidedAttribute::BigSmall:
        return QStringLiteral("大小");
    case TwoSidedAttribute::OddEven:
        return QStringLiteral("单双");
    case TwoSidedAttribute::Tail:
        return QStringLiteral("尾数大小");
    case TwoSidedAttribute::DigitSum:
        return QStringLiteral("合数单双");
    case TwoSidedAttribute::DragonTiger:
        break;
    }
    return QStringLiteral("龙虎");
}

} // namespace

void fillOmission(QStandardItemModel& model, const TrendChart& chart)
{
    reset(model, {QStringLiteral("号码"), QStringLiteral("出现次数"), QStringLiteral("理论次数"), QStringLiteral("偏差"),
                  QStringLiteral("当前遗漏"), QStringLiteral("上次遗漏"), QStringLiteral("最大遗漏"),
                  QStringLiteral("平均遗漏"), QStringLiteral("欲出几率"), QStringLiteral("随机概率")});
    for (int number = 1; number <= kHighestNumber; ++number) {
        const NumberTrend& figures = chart.number(number);
        model.appendRow({
            cell(QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0')), number),
            wholeCell(figures.hits),
            cell(QString::number(figures.expected, 'f', 1), figures.expected),
            cell(QString::asprintf("%+.1f", figures.deviation), figures.deviation),
            wholeCell(figures.current),
            figures.previous ? wholeCell(*figures.previous) : cell(QStringLiteral("-"), -1),
            wholeCell(figures.maxMiss),
            wholeCell(figures.avgMiss),
            figures.ratio ? cell(QString::number(*figures.ratio, 'f', 2), *figures.ratio) : cell(QStringLiteral("-"), -1.0),
            cell(ChanceBaseline::percentText(figures.chance), figures.chance),
        });
    }
}

QString temperatureText(Temperature temperature)
{
    switch (temperature) {
    case Temperature::Hot:
        return QStringLiteral("热");
    case Temperature::Cold:
        return QStringLiteral("冷");
    case Temperature::Warm:
        break;
    }
    return QStringLiteral("温");
}

void fillHotCold(QStandardItemModel& model, const std::array<HotCold, kHighestNumber>& figures)
{
    reset(model, {QStringLiteral("号码"), QStringLiteral("近10期"), QStringLiteral("近20期"), QStringLiteral("近50期"),
                  QStringLiteral("冷热")});
    for (int number = 1; number <= kHighestNumber; ++number) {
        const HotCold& counts = figures[std::size_t(number - 1)];
        QStandardItem* temperature = cell(temperatureText(counts.temperature), int(counts.temperature));
        if (counts.temperature != Temperature::Warm)
            temperature->setForeground(counts.temperature == Temperature::Hot ? QBrush(Qt::red) : QBrush(Qt::blue));
        model.appendRow({cell(QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0')), number),
                         wholeCell(counts.newest10), wholeCell(counts.newest20), wholeCell(counts.newest50),
                         temperature});
    }
}

void fillTwoSided(QStandardItemModel& model, const std::vector<TwoSidedStreak>& streaks)
{
    reset(model, {QStringLiteral("位置"), QStringLiteral("属性"), QStringLiteral("最新"), QStringLiteral("连出"),
                  QStringLiteral("最长连出"), QStringLiteral("随机概率")});
    int row = 0;
    for (const TwoSidedStreak& streak : streaks) {
        const QString where = streak.pairedPosition == 0
                                  ? positionName(streak.position)
                                  : QStringLiteral("%1-%2").arg(streak.position).arg(streak.pairedPosition);
        const QList<QStandardItem*> items{cell(where, row++), cell(attributeName(streak.attribute), int(streak.attribute)),
                                          cell(streak.sideText(), streak.firstSide), wholeCell(streak.streak),
                                          wholeCell(streak.longest),
                                          cell(ChanceBaseline::percentText(streak.chance), streak.chance)};
        if (streak.streak >= 5) {
            for (QStandardItem* item : items)
                item->setBackground(QColor(255, 236, 179));
        }
        model.appendRow(items);
    }
}

} // namespace TrendTables

} // namespace quorvel
