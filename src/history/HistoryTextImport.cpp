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

// A line as the user is shown it: at most 80 characters, control characters as "?".
QString shownLine(const QString& raw)
{
    constexpr qsizetype kShownLength = 80;
    QString text = raw.left(kShownLength);
    for (QChar& c : text) {
        if ((c.unicode() < 0x20 && c != u'\t') || c.unicode() == 0x7F)
            c = u'?';
    }
    if (raw.size() > kShownLength)
        text += QStringLiteral("…");
    return text;
}

QString numbersText(const DrawNumbers& numbers)
{
    QStringList fields;
    for (const int n : numbers)
        fields << QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
    return fields.join(QLatin1Char(' '));
}

} // namespace

Result<std::optional<HistoryTextImport::Line>> HistoryTextImport::parseLine(const QString& raw,
                                                                            int lineNumber)
{
    static const QRegularExpression separators(QStringLiteral("[ \t,，\u3000]+"));
    // A control character would cut a field short and store a different draw than the line shows.
    for (const QChar c : raw) {
        if ((c.unicode() < 0x20 && c != u'\t') || c.unicode() == 0x7F)
            return Failure{QStringLiteral("含有控制字符（代码 %1）").arg(c.unicode())};
    }
    const QString trimmed = raw.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
        return std::optional<Line>();
    const QStringList fields = trimmed.split(separators, Qt::SkipEmptyParts);
    if (fields.size() != kFieldCount)
        return Failure{QStringLiteral("应为期号和8个号码，实际有%1项").arg(fields.size())};
    const Result<qint32> issue = IssueNumber::parse(fields[0]);
    if (!issue)
        return issue.failure();
    Line line;
    line.lineNumber = lineNumber;
    line.issue = *issue;
    for (int p = 1; p <= kPositionCount; ++p) {
        bool ok = false;
        const int n = fields[p].toInt(&ok);
        if (!ok)
            return Failure{QStringLiteral("“%1”不是数字").arg(fields[p])};
        line.numbers[std::size_t(p - 1)] = n;
    }
    if (const Status valid = validateDrawNumbers(line.numbers); !valid)
        return valid.failure();
    return std::optional<Line>(line);
}

Result<std::vector<HistoryTextImport::Line>> HistoryTextImport::parse(const QString& text)
{
    std::vector<Line> lines;
    const QStringList rawLines = TextFile::splitLines(text);
    for (qsizetype i = 0; i < rawLines.size(); ++i) {
        const Result<std::optional<Line>> line = parseLine(rawLines[i], int(i + 1));
        if (!line)
            return lineFailure(int(i + 1), line.error());
        if (*line)
            lines.push_back(**line);
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
    bool afterCr = false; // a LF right after a CR ends the same line (CR LF), as splitLines reads it
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
                if (c == '\r' || !afterCr)
                    ++lineNumber;
                lineLength = 0;
                afterCr = c == '\r';
                continue;
            }
            afterCr = false;
            if (++lineLength > kMaxLineBytes) {
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
    return storeWhole(database, planFile(database, filePath, days, path));
}

Result<HistoryTextImport::Summary> HistoryTextImport::importText(Database& database, const QString& text,
                                                                 const DaySequence& days, EntryPath path)
{
    return storeWhole(database, planText(database, text, days, path));
}

Result<HistoryTextImport::Summary> HistoryTextImport::storeWhole(Database& database, Result<Plan> plan)
{
    if (!plan)
        return plan.failure();
    // A file is taken whole or not at all: its first refused line fails it.
    if (!plan->refused.empty()) {
        const Refusal& first = plan->refused.front();
        return lineFailure(first.lineNumber, first.reason);
    }
    return store(database, std::move(*plan));
}

Result<HistoryTextImport::Plan> HistoryTextImport::planFile(const Database& database, const QString& filePath,
                                                            const DaySequence& days, EntryPath path)
{
    const Result<QByteArray> bytes = readFile(filePath);
    if (!bytes)
        return bytes.failure();
    const Result<QString> text = TextFile::decode(*bytes);
    if (!text)
        return text.failure();
    return planText(database, *text, days, path);
}

Result<HistoryTextImport::Plan> HistoryTextImport::planText(const Database& database, const QString& text,
                                                            const DaySequence& days, EntryPath path)
{
    Plan plan;
    const auto refuse = [&plan](int lineNumber, const QString& raw, const QString& reason) {
        ++plan.refusedCount;
        if (plan.refused.size() < std::size_t(Plan::kListedRefusals))
            plan.refused.push_back({lineNumber, shownLine(raw), reason});
    };

    // The file's draws by issue. A repeated issue with the same numbers is a copy; with other
    // numbers the file contradicts itself and none of its lines of that issue can be trusted.
    const QStringList rawLines = TextFile::splitLines(text);
    std::map<qint32, Line> fileDraws;
    std::map<qint32, std::vector<int>> contradicted; // issue -> the lines that gave it
    for (qsizetype i = 0; i < rawLines.size(); ++i) {
        const int lineNumber = int(i + 1);
        const Result<std::optional<Line>> parsed = parseLine(rawLines[i], lineNumber);
        if (!parsed) {
            refuse(lineNumber, rawLines[i], parsed.error());
            continue;
        }
        if (!*parsed)
            continue;
        const Line& line = **parsed;
        if (const Status sequence = DrawEntry::checkDaySequence(line.issue, days.drawsPerDay, days.typeName);
            !sequence) {
            refuse(lineNumber, rawLines[i], sequence.error());
            continue;
        }
        if (days.today.isValid()) {
            if (const Status dated = DrawEntry::checkNotAfterToday(line.issue, days.today); !dated) {
                refuse(lineNumber, rawLines[i], dated.error());
                continue;
            }
        }
        if (const auto against = contradicted.find(line.issue); against != contradicted.end()) {
            refuse(lineNumber, rawLines[i],
                   QStringLiteral("期号%1在第%2行已出现，号码不同")
                       .arg(DrawEntry::issueText(line.issue))
                       .arg(against->second.front()));
            continue;
        }
        const auto [seen, inserted] = fileDraws.emplace(line.issue, line);
        if (inserted)
            continue;
        if (sameNumbers(seen->second.numbers, line.numbers)) {
            ++plan.alreadyStored;
            continue;
        }
        const int firstLine = seen->second.lineNumber;
        refuse(lineNumber, rawLines[i],
               QStringLiteral("期号%1在第%2行已出现，号码不同")
                   .arg(DrawEntry::issueText(line.issue))
                   .arg(firstLine));
        refuse(firstLine, rawLines[firstLine - 1],
               QStringLiteral("期号%1在第%2行再次出现，号码不同")
                   .arg(DrawEntry::issueText(line.issue))
                   .arg(lineNumber));
        contradicted[line.issue] = {firstLine, lineNumber};
        fileDraws.erase(seen);
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
        const Line& line = fileDraws.at(repeated[i]);
        const DrawNumbers& stored = *(*repeatedNumbers)[i];
        if (sameNumbers(stored, line.numbers))
            ++plan.alreadyStored;
        else
            refuse(line.lineNumber, rawLines[line.lineNumber - 1],
                   QStringLiteral("期号%1已经保存，号码不同（已保存的号码：%2）")
                       .arg(DrawEntry::issueText(line.issue), numbersText(stored)));
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

    plan.draws.reserve(fileDraws.size());
    std::optional<std::pair<qint32, DrawNumbers>> previousNew;
    for (const auto& [issue, line] : fileDraws) {
        const auto after = std::lower_bound(storedIssues->begin(), storedIssues->end(), issue);
        std::optional<std::pair<qint32, DrawNumbers>> previous = previousNew;
        if (after != storedIssues->begin() && (!previous || *(after - 1) > previous->first))
            previous = std::make_pair(*(after - 1), storedBefore.at(*(after - 1)));
        plan.draws.push_back(makeDraw(line.numbers, issue,
                                      previous ? std::optional<DrawNumbers>(previous->second) : std::nullopt,
                                      days.drawsPerDay, path));
        previousNew = std::make_pair(issue, line.numbers);
    }
    return plan;
}

Result<HistoryTextImport::Summary> HistoryTextImport::store(Database& database, Plan plan)
{
    if (Status stored = database.history().insert(plan.draws); !stored)
        return stored.failure();
    Summary summary;
    summary.imported = int(plan.draws.size());
    summary.skipped = plan.alreadyStored;
    summary.stored = std::move(plan.draws);
    return summary;
}

} // namespace quorvel
