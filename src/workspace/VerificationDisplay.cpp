#include "workspace/VerificationDisplay.h"

#include "core/Settings.h"
#include "workspace/Workspace.h"

namespace quorvel {
namespace VerificationDisplay {

DisplayMode modeOf(const Settings& settings)
{
    return settings.resultsAtCurrentPeriod() ? DisplayMode::SameDraw : DisplayMode::NextDraw;
}

std::shared_ptr<const HistoryDisplay> forList(const Workspace& workspace, DisplayMode mode)
{
    std::vector<DisplayFormula> formulas;
    formulas.reserve(workspace.formulaList().rows().size());
    for (const FormulaListRow& row : workspace.formulaList().rows())
        formulas.push_back({row.code, row.kill});
    return std::make_shared<const HistoryDisplay>(workspace.history(), workspace.currentPosition(), mode,
                                                  std::move(formulas));
}

} // namespace VerificationDisplay
} // namespace quorvel
