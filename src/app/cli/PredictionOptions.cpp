#include "app/cli/PredictionOptions.h"

#include "app/cli/CliArguments.h"

#include <QStringList>

namespace quorvel::cli {
namespace PredictionOptions {

namespace {

const QStringList kKeyNames{QStringLiteral("errcon"), QStringLiteral("truecon"), QStringLiteral("errlst")};
constexpr SortKey kKeys[3] = {SortKey::MaxMisses, SortKey::MaxHits, SortKey::LastMisses};

} // namespace

Result<std::optional<PredictionMethod>> method(CliArguments& arguments)
{
    const Result<std::optional<QString>> option = arguments.takeChoice(
        QStringLiteral("--method"), {QStringLiteral("selected"), QStringLiteral("best")});
    if (!option)
        return Failure{option.error()};
    if (!option->has_value())
        return std::optional<PredictionMethod>();
    return std::optional<PredictionMethod>(**option == QLatin1String("best")
                                               ? PredictionMethod::BestFormulas
                                               : PredictionMethod::SelectedFormulas);
}

Result<std::optional<std::array<SortKey, 3>>> keys(CliArguments& arguments)
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

Result<std::optional<int>> quota(CliArguments& arguments)
{
    const Result<std::optional<QStringList>> option = arguments.takeOption(QStringLiteral("--quota"), 1);
    if (!option)
        return Failure{option.error()};
    if (!option->has_value())
        return std::optional<int>();
    bool ok = false;
    const int q = (**option).first().toInt(&ok);
    if (!ok || q < -32768 || q > 32767)
        return Failure{QStringLiteral("--quota takes a whole number -32768..32767")};
    return std::optional<int>(q);
}

} // namespace PredictionOptions
} // namespace quorvel::cli
