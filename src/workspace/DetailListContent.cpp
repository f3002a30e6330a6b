#include "workspace/DetailListContent.h"

#include "workspace/PredictionState.h"
#include "workspace/Workspace.h"

namespace quorvel {
namespace DetailListContent {

DetailList of(const Workspace& workspace, const PredictionState& state)
{
    std::vector<DetailListSource> sources;
    for (const UsedFormula& used : state.usedFormulaList())
        sources.push_back(
            {workspace.chineseDisplay() ? used.displayText : used.code, positionName(used.position),
             used.kill ? QStringLiteral("杀") : QStringLiteral("生"), QString::number(used.number)});
    return detailList(sources);
}

} // namespace DetailListContent
} // namespace quorvel
