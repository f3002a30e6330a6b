#include "app/cli/PredictOptions.h"

#include "verification/Prediction.h"
#include "workspace/PredictionRun.h"
#include "workspace/PredictionState.h"

namespace quorvel::cli {

namespace {

const QStringList kKeyNames{QStringLiteral("errcon"), QStringLiteral("truecon"), QStringLiteral("errlst")};
constexpr SortKey kKeys[3] = {SortKey::MaxMisses, SortKey::MaxHits, SortKey::LastMisses};

} // namespace

// --keys A,B,C: three of errcon (最大连错), truecon (最大连对), errlst (最后连错).
Result<std::array<SortKey, 3>> PredictOptions::readKeys(const QStringList& words)
{
    const QStringList names = words.first().split(QLatin1Char(','));
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
    return chosen;
}

// --quota Q: a whole number 1..20, as the quota box takes it.
Result<int> PredictOptions::readQuota(const QStringList& words)
{
    const std::optional<int> q = Prediction::quotaFromText(words.first());
    if (!q)
        return Failure{QStringLiteral("--quota takes a whole number 1..%1").arg(Prediction::kLargestQuota)};
    return *q;
}

// --unselect L1,L2,...: list numbers 1 and up.
Result<std::vector<int>> PredictOptions::readUnselected(const QStringList& words)
{
    std::vector<int> numbers;
    for (const QString& word : words.first().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int listNumber = word.trimmed().toInt(&ok);
        if (!ok || listNumber < 1)
            return Failure{QStringLiteral("--unselect takes list numbers 1 and up, separated by commas")};
        numbers.push_back(listNumber);
    }
    return numbers;
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
