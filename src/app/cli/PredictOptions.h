#pragma once

#include "app/cli/CommandForm.h"
#include "app/cli/CommandOptions.h"
#include "core/Result.h"
#include "verification/Prediction.h"
#include "workspace/Workspace.h"

#include <QString>

#include <array>
#include <optional>
#include <type_traits>
#include <vector>

namespace quorvel {
class PredictionState;
struct BestFormulaSettings;
class Settings;
} // namespace quorvel

namespace quorvel::cli {

// The options of the prediction (`predict`, and the exports that run it first):
// [--position P] [--kind kill|keep] [--method selected|best] [--quota Q] [--keys A,B,C]
// [--unselect L1,L2,...].
struct PredictOptions
{
    std::optional<int> position;
    std::optional<bool> kill;
    std::optional<PredictionMethod> method;
    std::optional<int> quota;
    std::optional<std::array<SortKey, 3>> keys;
    std::vector<int> unselected;

    // Declares these options on `form`, whose `Options` is PredictOptions or a struct made from
    // it. A command that counts every formula as selected takes no --unselect.
    template <typename Options>
    static CommandForm<Options> declare(CommandForm<Options> form, bool takesUnselect = true);

    // The checks of the values of --quota, --keys and --unselect.
    static Result<int> readQuota(const QStringList& words);
    static Result<std::array<SortKey, 3>> readKeys(const QStringList& words);
    static Result<std::vector<int>> readUnselected(const QStringList& words);

    WorkspaceStartOptions startOptions() const; // on the list of the position and kind, no pass
    PredictionMethod chosenMethod(const Settings& settings) const; // --method, else "JSFF"
    // The sort settings of the best-formula method: --quota and --keys over the defaults.
    BestFormulaSettings sortSettings() const;
    // The same, as if accepted in `frmGsCsArr`.
    void acceptSortSettings(PredictionState& state) const;
};

template <typename Options>
CommandForm<Options> PredictOptions::declare(CommandForm<Options> declared, bool takesUnselect)
{
    using namespace OptionKinds;
    // The fields are PredictOptions', stored into the struct made from it.
    const auto field = [](auto PredictOptions::*member) {
        using Field = std::remove_reference_t<decltype(std::declval<PredictOptions&>().*member)>;
        return static_cast<Field Options::*>(member);
    };
    declared << CommandOptions::position(field(&PredictOptions::position),
                                         QStringLiteral("predict positions 1..P (default 1)"))
             << CommandOptions::kind(field(&PredictOptions::kill))
             << choice(QStringLiteral("--method"), field(&PredictOptions::method),
                       std::vector<std::pair<QString, PredictionMethod>>{
                           {QStringLiteral("selected"), PredictionMethod::SelectedFormulas},
                           {QStringLiteral("best"), PredictionMethod::BestFormulas}},
                       QStringLiteral("count the selected or the best formulas (default: the stored JSFF)"))
             << value(OptionSpec{QStringLiteral("--quota"), QStringLiteral("Q"),
                                 QStringLiteral("the best formulas counted, 1..20 (default 3)")},
                      field(&PredictOptions::quota), &PredictOptions::readQuota)
             << value(
                    OptionSpec{QStringLiteral("--keys"), QStringLiteral("A,B,C"),
                               QStringLiteral("the sort keys of the best formulas, three of errcon, truecon, "
                                              "errlst (default errlst,errcon,truecon)")},
                    field(&PredictOptions::keys), &PredictOptions::readKeys);
    if (takesUnselect)
        declared << value(OptionSpec{QStringLiteral("--unselect"), QStringLiteral("L1,L2,..."),
                                     QStringLiteral("list numbers left unselected (default: none)")},
                          field(&PredictOptions::unselected), &PredictOptions::readUnselected);
    return declared;
}

} // namespace quorvel::cli
