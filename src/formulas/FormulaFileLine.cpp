#include "formulas/FormulaFileLine.h"

#include "formulas/CompiledFormula.h"

namespace quorvel {

namespace {

bool isBlank(QChar c)
{
    const char16_t u = c.unicode();
    return u == u' ' || (u >= u'\t' && u <= u'\r') || u == 0x3000;
}

FormulaFileLine unrecognised(const QString& text)
{
    FormulaFileLine line;
    line.outcome = FormulaFileLine::Outcome::Unrecognised;
    line.unrecognisedText = text;
    return line;
}

// A bracket-form line of the import reads its closing bracket at characters 4, 5 or 6, else
// takes character 7 for it; a line of fewer than 7 characters without one there has no place
// for the bracket.
bool tooShortForBracket(const QString& text)
{
    for (qsizetype place = 3; place <= 5; ++place) {
        if (place < text.size() && text.at(place) == u']')
            return false;
    }
    return text.size() < 7;
}

} // namespace

QStringView FormulaFileLine::trimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

FormulaFileLine FormulaFileLine::classify(QStringView line)
{
    const qsizetype remark = line.indexOf(QStringLiteral("连准"));
    const QString display = trimBlanks(remark >= 0 ? line.left(remark) : line).toString();
    if (display.isEmpty())
        return {};

    // The parser trims again (all white space); the checks below look at the same text it cuts.
    const QString text = display.trimmed();
    const qsizetype nextDraw = text.indexOf(QStringLiteral("下期"));
    const bool bracketForm = nextDraw < 0;
    if ((bracketForm && !text.contains(u'[')) || nextDraw == 0 || (bracketForm && tooShortForBracket(text)))
        return unrecognised(FormulaText::translateExpression(text));

    const Result<FormulaText::ParsedFormula> parsed =
        FormulaText::parse(text, FormulaText::ParseVariant::Import);
    if (!parsed || parsed->code.isEmpty())
        return {}; // nothing before "下期" or after the bracket: an empty code
    if (!FormulaText::isRecognisedImportCode(*parsed) || !CompiledFormula::compile(parsed->code).ok())
        return unrecognised(parsed->code);

    FormulaFileLine formula;
    formula.outcome = Outcome::Formula;
    formula.code = parsed->code;
    formula.displayText = display;
    formula.position = parsed->position;
    formula.kill = parsed->kill;
    formula.shape = parsed->shape;
    return formula;
}

} // namespace quorvel
