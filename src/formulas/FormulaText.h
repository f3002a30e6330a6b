#pragma once

#include "core/Result.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace quorvel {

// Display texts and their translation to code.
namespace FormulaText {

// `AsReplace`: replaces every occurrence of `search`, repeating from the start on the result.
QString asReplace(const QString& text, const QString& search, const QString& replacement);

// Display expression -> code, by the fixed replacement list (position names first, "和数个位"
// before "和数"), then trimmed. Unknown words stay in the result untouched.
QString translateExpression(const QString& expression);

// Typed entry (`Command1`) and file import read the closing bracket of the prefix form at
// different character positions.
enum class ParseVariant
{
    Typed,
    Import
};

enum class Shape
{
    Prefix, // [第一杀]expression
    Suffix  // expression=下期杀第一
};

struct ParsedFormula
{
    QString displayText;         // trimmed (and, on import, cut before "连准")
    QString expression;          // display expression (before translation)
    QString translated;          // translated expression, untrimmed as the check reads it
    QString code;                // translated and trimmed
    std::optional<int> position; // 1..8 when the text names one
    std::optional<bool> kill;    // set by the suffix form only
    Shape shape = Shape::Prefix;
};

// Cuts a display text up. Fails when it cannot be cut up (for example "下期" at the very start
// or a prefix-form text shorter than its assumed bracket position).
Result<ParsedFormula> parse(const QString& text, ParseVariant variant);

// Typed entry first turns full-width digits and signs (＋－＊／（）＝) into their ASCII forms and
// drops blanks around "=".
QString normalizeTypedText(const QString& text);

// The word of a code that makes it no formula: the first run of characters no code holds (a name
// the translation does not know), else the first name that is no column; empty when none.
QString unrecognisedWord(const QString& code);

// The character check imports apply to a translated code.
bool isRecognisedImportCode(const ParsedFormula& parsed);

// The display text of a formula: prefix "[第一杀]expr" or suffix "expr=下期杀第一".
QString compose(const QString& expression, int position, bool kill, Shape shape);

QString kindWord(bool kill); // "杀" or "生"

} // namespace FormulaText
} // namespace quorvel
