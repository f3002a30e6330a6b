#include "app/cli/CommandOptions.h"

#include "workspace/Workspace.h"

namespace quorvel::cli {
namespace CommandOptions {

OptionGroup listNumberRequired(const QString& refusal)
{
    return OptionGroup{{QStringLiteral("--list-no")}, true, refusal};
}

PositionalSpec exactly(int count, const QString& usage, const QString& refusal)
{
    return PositionalSpec{usage, count, count, refusal};
}

PositionalSpec none()
{
    return PositionalSpec{};
}

Result<FormulaListRow> formulaOnList(const Workspace& workspace, int listNumber)
{
    if (!workspace.formulaList().contains(listNumber))
        return Failure{QStringLiteral("%1%2公式没有序号 %3")
                           .arg(workspace.positionCaption(),
                                workspace.currentKindIsKill() ? QStringLiteral("杀") : QStringLiteral("生"))
                           .arg(listNumber)};
    return workspace.formulaList().row(listNumber);
}

QString kindName(bool kill)
{
    return kill ? QStringLiteral("kill") : QStringLiteral("keep");
}

} // namespace CommandOptions
} // namespace quorvel::cli
