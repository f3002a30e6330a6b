// A history text file (draw lines "issue n1 .. n8", separated by blanks, tabs or commas), as
// the history import reads it: decoded, cut into draw lines, and each draw's parameters
// computed after the draw before it.
//
// Invariants: every draw line read has a valid issue and eight different numbers 1..20, and
// the lines come in file order within the text.

#include "fuzz/FuzzSupport.h"

#include "core/DrawParameters.h"
#include "core/TextFile.h"
#include "history/HistoryTextImport.h"

#include <QDate>

#include <bitset>

using namespace quorvel;

namespace {

// Checked here from first principles rather than with the importer's own checks.
bool isValidIssue(qint32 issue)
{
    return issue >= 1 && issue <= 99999999 && issue % 100 >= 1 &&
           QDate(2000 + issue / 1000000, issue / 10000 % 100, issue / 100 % 100).isValid();
}

bool areEightDifferentNumbers(const DrawNumbers& numbers)
{
    std::bitset<21> seen;
    for (const int n : numbers) {
        if (n < 1 || n > 20 || seen[std::size_t(n)])
            return false;
        seen[std::size_t(n)] = true;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const Result<QString> text = TextFile::decode(fuzz::bytesOf(data, size));
    if (!text)
        return 0;
    const Result<std::vector<HistoryTextImport::Line>> lines = HistoryTextImport::parse(*text);
    if (!lines)
        return 0;
    const qsizetype lineCount = TextFile::splitLines(*text).size();
    int previousLine = 0;
    std::optional<DrawNumbers> previous;
    for (const HistoryTextImport::Line& line : *lines) {
        if (line.lineNumber <= previousLine || line.lineNumber > lineCount)
            fuzz::violated("lines come in file order", *text);
        previousLine = line.lineNumber;
        if (!isValidIssue(line.issue))
            fuzz::violated("a draw line has a valid issue", QString::number(line.issue));
        if (!areEightDifferentNumbers(line.numbers))
            fuzz::violated("a draw line has eight different numbers 1..20", *text);
        makeDraw(line.numbers, line.issue, previous, 84, EntryPath::Manual);
        previous = line.numbers;
    }
    return 0;
}
