#include "app/cli/PredictOptions.h"

#include "app/cli/CliArguments.h"
#include "app/cli/CommandOptions.h"
#include "verification/Prediction.h"
#include "workspace/PredictionRun.h"
#include "workspace/PredictionState.h"

namespace quorvel::cli {

namespace {

const QStringList kKeyNames{QStringLiteral("errcon"), QStringLiteral("truecon"), QStringLiteral("errlst")};
constexpr SortKey kKeys[3] = {SortKey::MaxMisses, SortKey::MaxHits, SortKey::LastMisses};

// --keys A,B,C: three of errcon (最大连错), truecon (最大连对), errlst (最后连错).
Result<std::optional<std::array<SortKey, 3>>> takeKeys(CliArguments& arguments)
{
    const Result<std::optional<QStringList>> option = arguments.takeOption(QStringLiteral("--keys"), 1);
    if (!option)
        return Failure{option.error()};
    if (!option->has_value())
        return std::optional<std::array<SortKey, 3>>();
    const QStringList names = (**option).first().split(QLatin1Char(','));
    const Failure refused{
        QStringLiteral("--keys takes three of %1, separated by commas").arg(kKeyNames.join(u','))};
    if (names.size() != 3)
        return refused;
    std::array<SortKey, 3> chosen{};
    for (int i = 0; i < 3; ++i) {
        const qsizetype at = kKeyNames.indexOf(names[i].trimmed());
        if (at < 0)
            return refused;
        chosen[std::size_t(i)] = kKeys[at];
    }
    return std::optional<std::array<SortKey, 3>>(chosen);
}

// --quota Q: a whole number 1..20, as the quota box takes it.
Result<std::optional<int>> takeQuota(CliArguments& arguments)
{
    const Result<std::optional<QStringList>> option = arguments.takeOption(QStringLiteral("--quota"), 1);
    if (!option)
        return Failure{option.error()};
    if (!option->has_value())
        return std::optional<int>();
    const std::optional<int> q = Prediction::quotaFromText((**option).first());
    if (!q)
        return Failure{QStringLiteral("--quota takes a whole number 1..%1").arg(Prediction::kLargestQuota)};
    return q;
}

// --unselect L1,L2,...: list numbers 1 and up.
Result<std::vector<int>> takeUnselected(CliArguments& arguments)
{
    const Result<std::optional<QStringList>> option = arguments.takeOption(QStringLiteral("--unselect"), 1);
    if (!option)
        return Failure{option.error()};
    std::vector<int> numbers;
    if (!option->has_value())
        return numbers;
    for (const QString& word : (**option).first().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int listNumber = word.trimmed().toInt(&ok);
        if (!ok || listNumber < 1)
            return Failure{QStringLiteral("--unselect takes list numbers 1 and up, separated by commas")};
        numbers.push_back(listNumber);
    }
    return numbers;
}

} // namespace

Result<PredictOptions> PredictOptions::take(CliArguments& arguments, bool takesUnselect)
{
    PredictOptions options;
    const Result<std::optional<int>> position = CommandOptions::position(arguments);
    if (!position)
        return position.failure();
    options.position = *position;
    const Result<std::optional<bool>> kind = CommandOptions::kind(arguments);
    if (!kind)
        return kind.failure();
    options.kill = *kind;
    const Result<std::optional<QString>> method = arguments.takeChoice(
        QStringLiteral("--method"), {QStringLiteral("selected"), QStringLiteral("best")});
    if (!method)
        return method.failure();
    if (method->has_value())
        options.method = **method == QLatin1String("best") ? PredictionMethod::BestFormulas
                                                           : PredictionMethod::SelectedFormulas;
    const Result<std::optional<int>> quotaOption = takeQuota(arguments);
    if (!quotaOption)
        return quotaOption.failure();
    options.quota = *quotaOption;
    const Result<std::optional<std::array<SortKey, 3>>> keyOption = takeKeys(arguments);
    if (!keyOption)
        return keyOption.failure();
    options.keys = *keyOption;
    if (!takesUnselect)
        return options;
    const Result<std::vector<int>> unselect = takeUnselected(arguments);
    if (!unselect)
        return unselect.failure();
    options.unselected = *unselect;
    return options;
}

WorkspaceStartOptions PredictOptions::startOptions() const
{
    WorkspaceStartOptions options;
    options.position = position.value_or(1);
    options.kill = kill.value_or(false);
    options.verifyAtStart = false;
    return options;
}

PredictionMethod PredictOptions::chosenMethod(const Settings& settings) const
{
    return method.value_or(PredictionRun::chosenMethod(settings));
}

BestFormulaSettings PredictOptions::sortSettings() const
{
    BestFormulaSettings best;
    best.quota = quota.value_or(best.quota);
    best.keys = keys.value_or(best.keys);
    return best;
}

void PredictOptions::acceptSortSettings(PredictionState& state) const
{
    state.acceptBestFormulaSettings(sortSettings());
}

} // namespace quorvel::cli
