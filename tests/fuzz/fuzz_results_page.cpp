// A results page as the online history update reads it: decoded, searched for the issues of an
// update of an empty history of 广东快乐十分 (the last three days, 84 draws a day) and each draw
// found computed after the one before it, as the update stores them.
//
// Invariants: no draw has a number outside 1..20 or a repeated number; every issue asked for is
// read at most once, as a draw, as malformed or as inconsistent, and the draws come in the order
// asked; and the reading agrees with a plain search for each issue's first occurrence in the text,
// its eight fields checked here from first principles, unless a later occurrence gives the issue
// another draw, when it is left out as inconsistent.

#include "fuzz/FuzzSupport.h"

#include "core/DrawParameters.h"
#include "core/TextFile.h"
#include "history/OnlineUpdatePlan.h"
#include "history/ResultsPage.h"

#include <QDate>

#include <algorithm>
#include <bitset>
#include <unordered_set>

using namespace quorvel;

namespace {

const std::vector<qint32>& wantedIssues()
{
    static const std::vector<qint32> issues =
        OnlineUpdatePlan::compute(QDate(2025, 12, 8), 2, 84, std::nullopt, std::nullopt)->issues();
    return issues;
}

// The eight numbers after an issue at `at`, read the slow way: two ASCII digits each, the first
// directly after the issue, each next three characters on.
std::optional<DrawNumbers> plainFields(const QString& text, qsizetype at)
{
    DrawNumbers numbers{};
    std::bitset<21> seen;
    for (int i = 0; i < 8; ++i) {
        const QString field = text.mid(at + 8 + 3 * i, 2);
        const auto ascii = [](QChar c) { return c >= u'0' && c <= u'9'; };
        if (field.size() != 2 || !ascii(field.at(0)) || !ascii(field.at(1)))
            return std::nullopt;
        const int n = field.toInt();
        if (n < 1 || n > 20 || seen[std::size_t(n)])
            return std::nullopt;
        seen[std::size_t(n)] = true;
        numbers[std::size_t(i)] = n;
    }
    return numbers;
}

QString issueText(qint32 issue)
{
    return QStringLiteral("%1").arg(issue, 8, 10, QLatin1Char('0'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const Result<QString> text = TextFile::decode(fuzz::bytesOf(data, size));
    if (!text)
        return 0;
    const std::vector<qint32>& issues = wantedIssues();
    const ResultsPage::Reading reading = ResultsPage::read(*text, issues);

    std::unordered_set<qint32> seen;
    std::size_t next = 0; // draws come in the order of `issues`
    std::optional<DrawNumbers> previous;
    for (const ResultsPage::PageDraw& draw : reading.draws) {
        std::bitset<21> numbers;
        for (const int n : draw.numbers) {
            if (n < 1 || n > 20 || numbers[std::size_t(n)])
                fuzz::violated("a page draw has eight different numbers 1..20", issueText(draw.issue));
            numbers[std::size_t(n)] = true;
        }
        while (next < issues.size() && issues[next] != draw.issue)
            ++next;
        if (next == issues.size())
            fuzz::violated("draws are issues asked for, in the order asked", issueText(draw.issue));
        ++next;
        seen.insert(draw.issue);
        makeDraw(draw.numbers, draw.issue, previous, 84, EntryPath::Online);
        previous = draw.numbers;
    }
    for (const std::vector<qint32>* others : {&reading.malformed, &reading.inconsistent}) {
        for (const qint32 issue : *others) {
            if (std::find(issues.begin(), issues.end(), issue) == issues.end() || !seen.insert(issue).second)
                fuzz::violated("an issue is read at most once, and only when asked for", issueText(issue));
        }
    }

    for (const qint32 issue : issues) {
        const qsizetype at = text->indexOf(issueText(issue));
        const auto draw = std::find_if(reading.draws.begin(), reading.draws.end(),
                                       [&](const ResultsPage::PageDraw& d) { return d.issue == issue; });
        const bool malformed =
            std::find(reading.malformed.begin(), reading.malformed.end(), issue) != reading.malformed.end();
        if (at < 0) {
            if (draw != reading.draws.end() || malformed)
                fuzz::violated("an issue not in the text is not read", issueText(issue));
            continue;
        }
        const std::optional<DrawNumbers> fields = plainFields(*text, at);
        const bool inconsistent = std::find(reading.inconsistent.begin(), reading.inconsistent.end(), issue) !=
                                  reading.inconsistent.end();
        bool contradicted = false;
        for (qsizetype later = text->indexOf(issueText(issue), at + 1); fields && later >= 0 && !contradicted;
             later = text->indexOf(issueText(issue), later + 1)) {
            const std::optional<DrawNumbers> other = plainFields(*text, later);
            contradicted = other && *other != *fields;
        }
        if (inconsistent != contradicted)
            fuzz::violated("an issue is left out exactly when a later occurrence gives it another draw",
                           issueText(issue));
        if (!contradicted && (fields ? (draw == reading.draws.end() || draw->numbers != *fields) : !malformed))
            fuzz::violated("the first occurrence of an issue decides its draw", issueText(issue));
    }
    return 0;
}
