#include "history/HistoryTextImport.h"

#include "core/IssueNumber.h"
#include "core/TextFile.h"
#include "history/DrawEntry.h"

#include <QRegularExpression>

#include <algorithm>
#include <map>

namespace quorvel {

namespace {

constexpr int kFieldCount = 1 + kPositionCount;

Failure lineFailure(int lineNumber, const QString& reason)
{
    return Failure{QStringLiteral("line %1: %2").arg(QString::number(lineNumber), reason)};
}

bool sameNumbers(const DrawNumbers& a, const DrawNumbers& b)
{
    return std::equal(a.begin(), a.end(), b.begin());
}

} // namespace

Result<std::vector<HistoryTextImport::Line>> HistoryTextImport::parse(const QString& text)
{
    return parseLines(TextFile::splitLines(text));
}

Result<std::vector<HistoryTextImport::Line>> HistoryTextImport::parseLines(const QStringList& rawLines)
{
    static const QRegularExpression separators(QStringLiteral("[\\s,，]+"));
    std::vector<Line> lines;
    for (qsizetype i = 0; i < rawLines.size(); ++i) {
        const int lineNumber = int(i + 1);
        const QString trimmed = rawLines[i].trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;
        const QStringList fields = trimmed.split(separators, Qt::SkipEmptyParts);
        if (fields.size() != kFieldCount) {
            return lineFailure(lineNumber,
                               QStringLiteral("应为期号和8个号码，实际有%1项").arg(fields.size()));
        }
        const Result<qint32> issue = IssueNumber::parse(fields[0]);
        if (!issue)
            return lineFailure(lineNumber, issue.error());
        Line line;
        line.lineNumber = lineNumber;
        line.issue = *issue;
        for (int p = 1; p <= kPositionCount; ++p) {
            bool ok = false;
            const int n = fields[p].toInt(&ok);
            if (!ok)
                return lineFailure(lineNumber, QStringLiteral("“%1”不是数字").arg(fields[p]));
            line.numbers[std::size_t(p - 1)] = n;
        }
        if (const Status valid = validateDrawNumbers(line.numbers); !valid)
            return lineFailure(lineNumber, valid.error());
        lines.push_back(line);
    }
    return lines;
}

Result<HistoryTextImport::Summary> HistoryTextImport::importFile(Database& database, const QString& filePath,
                                                                 int drawsPerDay, EntryPath path)
{
    const Result<QStringList> rawLines = TextFile::readLines(filePath, kMaxFileBytes);
    if (!rawLines)
        return Failure{rawLines.error()};
    const Result<std::vector<Line>> lines = parseLines(*rawLines);
    if (!lines)
        return Failure{lines.error()};
    return storeLines(database, *lines, drawsPerDay, path);
}

Result<HistoryTextImport::Summary> HistoryTextImport::importText(Database& database, const QString& text,
                                                                 int drawsPerDay, EntryPath path)
{
    const Result<std::vector<Line>> lines = parse(text);
    if (!lines)
        return Failure{lines.error()};
    return storeLines(database, *lines, drawsPerDay, path);
}

Result<HistoryTextImport::Summary> HistoryTextImport::storeLines(Database& database,
                                                                 const std::vector<Line>& lines,
                                                                 int drawsPerDay, EntryPath path)
{
    const Result<std::vector<Draw>> stored = database.readHistory();
    if (!stored)
        return Failure{stored.error()};

    // Every draw by issue: the stored ones and the file's new ones. A repeated issue of the file
    // with the same numbers is a copy and skipped; with other numbers the file contradicts itself.
    std::map<qint32, DrawNumbers> byIssue;
    for (const Draw& draw : *stored)
        byIssue.emplace(draw.issue, draw.numbers());
    std::map<qint32, int> newIssues; // issue -> line number
    Summary summary;
    for (const Line& line : lines) {
        if (const auto seen = newIssues.find(line.issue); seen != newIssues.end()) {
            if (!sameNumbers(byIssue.at(line.issue), line.numbers)) {
                return lineFailure(line.lineNumber, QStringLiteral("期号%1在第%2行已出现，号码不同")
                                                        .arg(DrawEntry::issueText(line.issue))
                                                        .arg(seen->second));
            }
            ++summary.skipped;
            continue;
        }
        if (byIssue.count(line.issue) > 0) {
            ++summary.skipped;
            continue;
        }
        byIssue.emplace(line.issue, line.numbers);
        newIssues.emplace(line.issue, line.lineNumber);
    }

    std::vector<Draw> draws;
    draws.reserve(newIssues.size());
    std::optional<DrawNumbers> previous;
    for (const auto& [issue, numbers] : byIssue) {
        if (newIssues.count(issue) > 0)
            draws.push_back(makeDraw(numbers, issue, previous, drawsPerDay, path));
        previous = numbers;
    }
    if (Status stored = database.appendDraws(draws); !stored)
        return Failure{stored.error()};
    summary.imported = int(draws.size());
    return summary;
}

} // namespace quorvel
