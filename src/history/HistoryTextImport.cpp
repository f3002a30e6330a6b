#include "history/HistoryTextImport.h"

#include "core/Database.h"
#include "core/HistoryTable.h"
#include "core/IssueNumber.h"
#include "core/TextFile.h"
#include "history/DrawEntry.h"

#include <QDir>
#include <QFile>
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

QString numbersText(const DrawNumbers& numbers)
{
    QStringList fields;
    for (const int n : numbers)
        fields << QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
    return fields.join(QLatin1Char(' '));
}

} // namespace

Result<std::vector<HistoryTextImport::Line>> HistoryTextImport::parse(const QString& text)
{
    static const QRegularExpression separators(QStringLiteral("[ \t,，\u3000]+"));
    std::vector<Line> lines;
    const QStringList rawLines = TextFile::splitLines(text);
    for (qsizetype i = 0; i < rawLines.size(); ++i) {
        const int lineNumber = int(i + 1);
        const QString& raw = rawLines[i];
        // A control character would cut a field short and store a different draw than the line shows.
        for (const QChar c : raw) {
            if ((c.unicode() < 0x20 && c != u'\t') || c.unicode() == 0x7F)
                return lineFailure(lineNumber, QStringLiteral("含有控制字符（代码 %1）").arg(c.unicode()));
        }
        const QString trimmed = raw.trimmed();
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

Result<QByteArray> HistoryTextImport::readFile(const QString& filePath)
{
    const QString shown = QDir::toNativeSeparators(filePath);
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return Failure{QStringLiteral("无法打开%1：%2").arg(shown, file.errorString())};
    if (file.size() > kMaxFileBytes)
        return Failure{QStringLiteral("%1太大（超过%2 MiB），未导入").arg(shown).arg(kMaxFileBytes >> 20)};
    // Read in pieces and watch the line length, so that a device without end (or a file without
    // line ends) is refused early instead of filling the memory.
    QByteArray bytes;
    qint64 lineLength = 0;
    int lineNumber = 1;
    constexpr qint64 kChunk = 1 << 16;
    while (true) {
        const QByteArray chunk = file.read(kChunk);
        if (chunk.isEmpty()) {
            if (file.error() != QFileDevice::NoError)
                return Failure{QStringLiteral("无法读取%1：%2").arg(shown, file.errorString())};
            break;
        }
        for (const char c : chunk) {
            if (c == '\n' || c == '\r') {
                if (c == '\n' || lineLength > 0)
                    ++lineNumber;
                lineLength = 0;
            } else if (++lineLength > kMaxLineBytes) {
                return Failure{QStringLiteral("%1第%2行太长（超过%3 KiB），未导入")
                                   .arg(shown)
                                   .arg(lineNumber)
                                   .arg(kMaxLineBytes >> 10)};
            }
        }
        if (bytes.size() + chunk.size() > kMaxFileBytes)
            return Failure{
                QStringLiteral("%1太大（超过%2 MiB），未导入").arg(shown).arg(kMaxFileBytes >> 20)};
        bytes += chunk;
    }
    return bytes;
}

Result<HistoryTextImport::Summary> HistoryTextImport::importFile(Database& database, const QString& filePath,
                                                                 const DaySequence& days, EntryPath path)
{
    const Result<QByteArray> bytes = readFile(filePath);
    if (!bytes)
        return bytes.failure();
    const Result<QString> text = TextFile::decode(*bytes);
    if (!text)
        return text.failure();
    return importText(database, *text, days, path);
}

Result<HistoryTextImport::Summary> HistoryTextImport::importText(Database& database, const QString& text,
                                                                 const DaySequence& days, EntryPath path)
{
    const Result<std::vector<Line>> lines = parse(text);
    if (!lines)
        return lines.failure();

    // The file's draws by issue. A repeated issue with the same numbers is a copy and skipped;
    // with other numbers the file contradicts itself.
    std::map<qint32, const Line*> fileDraws;
    Summary summary;
    for (const Line& line : *lines) {
        if (const Status sequence = DrawEntry::checkDaySequence(line.issue, days.drawsPerDay, days.typeName);
            !sequence)
            return lineFailure(line.lineNumber, sequence.error());
        const auto [seen, inserted] = fileDraws.emplace(line.issue, &line);
        if (inserted)
            continue;
        if (!sameNumbers(seen->second->numbers, line.numbers))
            return lineFailure(line.lineNumber, QStringLiteral("期号%1在第%2行已出现，号码不同")
                                                    .arg(DrawEntry::issueText(line.issue))
                                                    .arg(seen->second->lineNumber));
        ++summary.skipped;
    }

    // Only the stored issue numbers are read, and the numbers of the few stored draws the file
    // meets: the issues it repeats, and the draws just before its new ones.
    const Result<std::vector<qint32>> storedIssues = database.history().issues();
    if (!storedIssues)
        return storedIssues.failure();
    const auto isStored = [&](qint32 issue) {
        return std::binary_search(storedIssues->begin(), storedIssues->end(), issue);
    };
    std::vector<qint32> repeated;
    for (const auto& [issue, line] : fileDraws) {
        if (isStored(issue))
            repeated.push_back(issue);
    }
    const Result<std::vector<std::optional<DrawNumbers>>> repeatedNumbers =
        database.history().numbersOf(repeated);
    if (!repeatedNumbers)
        return repeatedNumbers.failure();
    for (std::size_t i = 0; i < repeated.size(); ++i) {
        const Line& line = *fileDraws.at(repeated[i]);
        const DrawNumbers& stored = *(*repeatedNumbers)[i];
        if (!sameNumbers(stored, line.numbers))
            return lineFailure(line.lineNumber,
                               QStringLiteral("期号%1已经保存，号码不同（已保存的号码：%2）")
                                   .arg(DrawEntry::issueText(line.issue), numbersText(stored)));
        ++summary.skipped;
        fileDraws.erase(repeated[i]);
    }

    // The previous draw of each new draw is the one just before it among the stored draws and the
    // file's new ones.
    std::vector<qint32> storedPredecessors;
    for (const auto& [issue, line] : fileDraws) {
        const auto after = std::lower_bound(storedIssues->begin(), storedIssues->end(), issue);
        if (after != storedIssues->begin())
            storedPredecessors.push_back(*(after - 1));
    }
    const Result<std::vector<std::optional<DrawNumbers>>> predecessorNumbers =
        database.history().numbersOf(storedPredecessors);
    if (!predecessorNumbers)
        return predecessorNumbers.failure();
    std::map<qint32, DrawNumbers> storedBefore;
    for (std::size_t i = 0; i < storedPredecessors.size(); ++i)
        storedBefore.emplace(storedPredecessors[i], *(*predecessorNumbers)[i]);

    std::vector<Draw> draws;
    draws.reserve(fileDraws.size());
    std::optional<std::pair<qint32, DrawNumbers>> previousNew;
    for (const auto& [issue, line] : fileDraws) {
        const auto after = std::lower_bound(storedIssues->begin(), storedIssues->end(), issue);
        std::optional<std::pair<qint32, DrawNumbers>> previous = previousNew;
        if (after != storedIssues->begin() && (!previous || *(after - 1) > previous->first))
            previous = std::make_pair(*(after - 1), storedBefore.at(*(after - 1)));
        draws.push_back(makeDraw(line->numbers, issue,
                                 previous ? std::optional<DrawNumbers>(previous->second) : std::nullopt,
                                 days.drawsPerDay, path));
        previousNew = std::make_pair(issue, line->numbers);
    }
    if (Status stored = database.history().insert(draws); !stored)
        return stored.failure();
    summary.imported = int(draws.size());
    summary.stored = std::move(draws);
    return summary;
}

} // namespace quorvel
