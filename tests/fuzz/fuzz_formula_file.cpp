// A formula text file as the file import and the online formula update read it: decoded, cut into
// lines and planned as the import would store them. The first byte picks the shown position and
// kind the import starts from; the rest is the file.
//
// Invariants: every planned formula names a position 1..8, has a display text on one line and a
// code that passes the import check and compiles; a line gives a formula or an unrecognised line,
// never both; and the planned formulas, exported as a shared file and imported again, plan the
// same formulas (what users trade reads back as it was written).

#include "fuzz/FuzzSupport.h"

#include "core/TextFile.h"
#include "formulas/CompiledFormula.h"
#include "formulas/FormulaImportPlan.h"
#include "formulas/FormulaText.h"
#include "formulas/FormulaTextExport.h"

using namespace quorvel;

namespace {

QString describe(const FormulaImportPlan::Step& step)
{
    return QStringLiteral("%1 %2 %3 %4 | %5")
        .arg(step.position)
        .arg(step.formula.kill ? QStringLiteral("kill") : QStringLiteral("keep"))
        .arg(step.switchesTable ? QStringLiteral("switch") : QString())
        .arg(step.formula.code, step.formula.displayText);
}

bool sameSteps(const FormulaImportPlan& a, const FormulaImportPlan& b)
{
    if (a.steps.size() != b.steps.size())
        return false;
    for (std::size_t i = 0; i < a.steps.size(); ++i) {
        if (describe(a.steps[i]) != describe(b.steps[i]))
            return false;
    }
    return a.finalKill == b.finalKill;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const int position = data[0] % 8 + 1;
    const bool kill = (data[0] / 8) % 2 == 1;
    const Result<QString> text = TextFile::decode(fuzz::bytesOf(data + 1, size - 1));
    if (!text)
        return 0;
    const QStringList lines = TextFile::splitLines(*text);
    const FormulaImportPlan plan = FormulaImportPlan::make(lines, position, kill);
    if (!plan.completed)
        fuzz::violated("a plan without a progress check completes", *text);
    if (qsizetype(plan.steps.size()) + plan.unrecognised.size() > lines.size())
        fuzz::violated("a line gives at most one formula or unrecognised line", *text);

    std::vector<FormulaTextExport::Row> rows;
    for (const FormulaImportPlan::Step& step : plan.steps) {
        const NewFormula& formula = step.formula;
        if (step.position < 1 || step.position > 8)
            fuzz::violated("a planned formula names a position 1..8", describe(step));
        if (formula.displayText.isEmpty() || formula.displayText.contains(u'\n') ||
            formula.displayText.contains(u'\r'))
            fuzz::violated("a display text is one non-empty line", describe(step));
        const Result<FormulaText::ParsedFormula> parsed =
            FormulaText::parse(formula.displayText, FormulaText::ParseVariant::Import);
        if (!parsed || parsed->code != formula.code || !FormulaText::isRecognisedImportCode(*parsed))
            fuzz::violated("a stored display text parses to its code", describe(step));
        if (!CompiledFormula::compile(formula.code))
            fuzz::violated("a planned code compiles", describe(step));
        rows.push_back({formula.displayText, int(rows.size())});
    }

    // Written out as the shown-list export writes a file, and read back.
    const Result<QByteArray> exported = TextFile::encodeLines(FormulaTextExport::shownList(rows));
    if (!exported)
        return 0;
    const Result<QString> reread = TextFile::decode(*exported);
    if (!reread)
        fuzz::violated("an exported file decodes", exported.error());
    const FormulaImportPlan again = FormulaImportPlan::make(TextFile::splitLines(*reread), position, kill);
    if (!sameSteps(plan, again))
        fuzz::violated("an exported file imports the formulas it was written from", *reread);
    return 0;
}
