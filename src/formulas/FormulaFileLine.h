#pragma once

#include "formulas/FormulaText.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace quorvel {

// What one line of a formula text file holds, as the file import and the online formula update
// read it. The line is cut before its first "连准" (the statistics remark of an export) and
// trimmed of blanks, ASCII and full-width (U+3000). Then:
// - nothing left (a blank line, a remark alone) or an empty code: the line is skipped, not counted;
// - neither "下期" nor "[" in it, "下期" at its very start, or a bracket-form line too short for
//   its bracket place (under 7 characters with no "]" at characters 4 to 6): unrecognised, the
//   whole line written translated, so nothing of another line is ever read with it;
// - otherwise the import variant of the parser cuts it up, and the code is recognised when it
//   passes the import character check and compiles under the formula grammar (so "L9Z" or an
//   unclosed bracket is unrecognised); an unrecognised code is written as translated.
struct FormulaFileLine
{
    enum class Outcome
    {
        Skip,
        Unrecognised,
        Formula
    };

    Outcome outcome = Outcome::Skip;
    QString unrecognisedText;    // Unrecognised: the line of "无法识别公式.txt"
    QString code;                // Formula: the code (`gongshi`)
    QString displayText;         // Formula: the display text as stored (`gongshiCN`)
    std::optional<int> position; // Formula: 1..8 when the line names one, else the table stays
    std::optional<bool> kill;    // Formula: set by the suffix form, else the current kind
    FormulaText::Shape shape = FormulaText::Shape::Prefix;

    static FormulaFileLine classify(QStringView line);

    // Trims ASCII white space and U+3000 at both ends.
    static QStringView trimBlanks(QStringView text);
};

} // namespace quorvel
