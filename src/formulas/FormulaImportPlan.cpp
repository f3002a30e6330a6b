#include "formulas/FormulaImportPlan.h"

#include "formulas/FormulaFileLine.h"

namespace quorvel {

namespace {

constexpr qsizetype kProgressEvery = 2000;

} // namespace

FormulaImportPlan FormulaImportPlan::make(const QStringList& lines, int position, bool kill,
                                          const Progress& progress)
{
    FormulaImportPlan plan;
    int current = position;
    int statistics = position;
    bool currentKill = kill;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (progress && i % kProgressEvery == 0 && i > 0 && !progress(i)) {
            plan.completed = false;
            break;
        }
        const FormulaFileLine line = FormulaFileLine::classify(lines.at(i));
        if (line.outcome == FormulaFileLine::Outcome::Unrecognised) {
            plan.unrecognised.append(line.unrecognisedText);
            continue;
        }
        if (line.outcome != FormulaFileLine::Outcome::Formula)
            continue;
        if (line.shape == FormulaText::Shape::Prefix)
            statistics = current;
        current = line.position.value_or(current);
        currentKill = line.kill.value_or(currentKill);
        plan.steps.push_back(
            Step{current, NewFormula{line.code, line.displayText, currentKill, std::nullopt, std::nullopt},
                 current != statistics});
    }
    plan.finalKill = currentKill;
    if (progress && plan.completed)
        plan.completed = progress(lines.size());
    return plan;
}

} // namespace quorvel
