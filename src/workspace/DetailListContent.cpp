#include "workspace/DetailListContent.h"

#include "workspace/PredictionState.h"
#include "workspace/Workspace.h"

namespace quorvel {
namespace DetailListContent {

DetailList of(const Workspace& workspace, const PredictionState& state)
{
    const FormulaList& list = workspace.formulaList();
    std::vector<DetailListSource> sources;
    sources.reserve(std::size_t(list.count()));
    for (int listNumber = 1; listNumber <= list.count(); ++listNumber) {
        const FormulaListRow& row = list.row(listNumber);
        sources.push_back(
            {workspace.isSelected(listNumber), workspace.chineseDisplay() ? row.displayText : row.code,
             workspace.positionCaption(), row.kill ? QStringLiteral("杀") : QStringLiteral("生"),
             workspace.computedValue(listNumber)});
    }
    return detailList(sources, state.usedFormulas());
}

} // namespace DetailListContent
} // namespace quorvel
