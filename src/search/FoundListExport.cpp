#include "search/FoundListExport.h"

namespace quorvel {

namespace {

constexpr int kLinesPerSection = 50;

} // namespace

QString FoundListExport::fileName(const QString& issue)
{
    return issue + QStringLiteral("期快乐十分公式.txt");
}

QString FoundListExport::separator(int count)
{
    return QString(12, QChar(0x2014)) + QString::number(count) + QString(14, QChar(0x2014)) +
           QStringLiteral("Quorvel 公式搜索结果");
}

QStringList FoundListExport::lines(const QStringList& listLines)
{
    QStringList lines{QStringLiteral("本组公式由《Quorvel》软件搜索而来"),
                      QStringLiteral("Quorvel 快乐十分分析软件：公式由本机按所设参数从开奖历史中搜索得出。"),
                      QStringLiteral("公式只反映过去的开奖，仅供分析参考。"), QString()};
    for (int i = 1; i <= listLines.size(); ++i) {
        lines << listLines.at(i - 1);
        if (i % kLinesPerSection == 0)
            lines << separator(i);
    }
    lines << separator(int(listLines.size()));
    return lines;
}

} // namespace quorvel
