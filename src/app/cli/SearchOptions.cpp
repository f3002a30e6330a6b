#include "app/cli/SearchOptions.h"

#include "app/cli/CliArguments.h"
#include "app/cli/CliContext.h"
#include "core/Settings.h"
#include "core/TextFile.h"
#include "search/SearchSettings.h"

#include <QLocale>

#include <cmath>

namespace quorvel::cli {
namespace SearchOptions {

namespace {

// Code files are lists of formulas; anything larger is not one.
constexpr qint64 kMaximumCodeFileBytes = 64ll * 1024 * 1024;

QString numberText(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

} // namespace

Result<std::optional<qint64>> wholeNumber(CliArguments& arguments, const QString& name, qint64 minimum,
                                          qint64 maximum)
{
    const Result<std::optional<QStringList>> option = arguments.takeOption(name, 1);
    if (!option)
        return Failure{option.error()};
    if (!option->has_value())
        return std::optional<qint64>();
    bool ok = false;
    const qint64 value = (**option).first().toLongLong(&ok);
    if (!ok || value < minimum || value > maximum)
        return Failure{QStringLiteral("%1 takes a whole number %2..%3").arg(name).arg(minimum).arg(maximum)};
    return std::optional<qint64>(value);
}

Result<int> periods(CliArguments& arguments, const Settings& settings)
{
    const Result<std::optional<qint64>> n =
        wholeNumber(arguments, QStringLiteral("--periods"), 0, std::numeric_limits<int>::max());
    if (!n)
        return n.failure();
    if (n->has_value())
        return int(**n);
    return Settings::retrievalPeriods(settings.retrievalPeriodsIndex());
}

Result<std::optional<quint64>> seed(CliArguments& arguments)
{
    const Result<std::optional<QStringList>> option = arguments.takeOption(QStringLiteral("--seed"), 1);
    if (!option)
        return Failure{option.error()};
    if (!option->has_value())
        return std::optional<quint64>();
    bool ok = false;
    const quint64 value = (**option).first().toULongLong(&ok);
    if (!ok)
        return Failure{QStringLiteral("--seed takes a whole number 0..18446744073709551615")};
    return std::optional<quint64>(value);
}

Result<std::optional<AcceptanceBounds>> bounds(CliArguments& arguments)
{
    const Result<std::optional<QStringList>> option = arguments.takeOption(QStringLiteral("--bounds"), 1);
    if (!option)
        return Failure{option.error()};
    if (!option->has_value())
        return std::optional<AcceptanceBounds>();
    const QStringList values = (**option).first().split(QLatin1Char(','));
    const Failure refused{QStringLiteral("--bounds takes eight numbers b2,b3,b4,b5,b6,b7,b8,b9")};
    if (values.size() != 8)
        return refused;
    AcceptanceBounds result;
    for (int i = 0; i < 8; ++i) {
        bool ok = false;
        const double value = values[i].trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(value))
            return refused;
        result.setBound(AcceptanceBounds::kFirstNumber + i, value);
    }
    if (const std::optional<QString> inversion = result.inversion())
        return Failure{QStringLiteral("--bounds: ") + *inversion};
    return std::optional<AcceptanceBounds>(result);
}

AcceptanceBounds storedBounds(const Settings& settings, int position, bool kill)
{
    return SearchSettings::stored(settings, position, kill);
}

Result<std::optional<FoundStoreMode>> store(CliArguments& arguments)
{
    const Result<std::optional<QString>> choice = arguments.takeChoice(
        QStringLiteral("--store"), {QStringLiteral("append"), QStringLiteral("replace")});
    if (!choice)
        return Failure{choice.error()};
    if (!choice->has_value())
        return std::optional<FoundStoreMode>();
    return std::optional<FoundStoreMode>(**choice == QLatin1String("append") ? FoundStoreMode::Append
                                                                             : FoundStoreMode::Replace);
}

Result<CodeFile> codeFile(const QString& path)
{
    const Result<QStringList> lines = TextFile::readLines(path, kMaximumCodeFileBytes);
    if (!lines)
        return lines.failure();
    CodeFile file;
    for (int i = 0; i < lines->size(); ++i) {
        const QString code = lines->at(i).trimmed();
        if (code.isEmpty())
            continue;
        file.codes << code;
        file.lineNumbers.push_back(i + 1);
    }
    return file;
}

QString boundsLine(const AcceptanceBounds& bounds)
{
    QStringList fields;
    for (int bound = AcceptanceBounds::kFirstNumber; bound <= AcceptanceBounds::kLastNumber; ++bound)
        fields << numberText(bounds.bound(bound));
    return fields.join(QLatin1Char('\t'));
}

void printRate(const CliContext& context, quint64 tried, qint64 elapsedNanoseconds, int threads, quint64 seed)
{
    const double rate = elapsedNanoseconds > 0 ? double(tried) * 1e9 / double(elapsedNanoseconds) : 0.0;
    context.printError(QStringLiteral("rate %1 candidates/s, threads %2, seed %3")
                           .arg(qint64(std::llround(rate)))
                           .arg(threads)
                           .arg(seed));
}

} // namespace SearchOptions
} // namespace quorvel::cli
