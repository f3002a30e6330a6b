#include "app/cli/SearchOptions.h"

#include "app/cli/CliContext.h"
#include "app/cli/CommandOptions.h"
#include "core/Settings.h"
#include "core/TextFile.h"
#include "search/SearchSession.h"
#include "search/SearchSettings.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace quorvel::cli {
namespace SearchOptions {

namespace {

// Code files are lists of formulas; anything larger is not one.
constexpr qint64 kMaximumCodeFileBytes = 64ll * 1024 * 1024;

QString numberText(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

// --seed S: a whole number 0..2^64-1.
Result<quint64> readSeed(const QStringList& words)
{
    bool ok = false;
    const quint64 value = words.first().toULongLong(&ok);
    if (!ok)
        return Failure{QStringLiteral("--seed takes a whole number 0..18446744073709551615")};
    return value;
}

// --bounds b2,b3,b4,b5,b6,b7,b8,b9: eight decimal numbers, no lower bound above its upper one.
Result<AcceptanceBounds> readBounds(const QStringList& words)
{
    const QStringList values = words.first().split(QLatin1Char(','));
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
    return result;
}

// --targets t1,...,t8: eight whole numbers, an empty one for a position that is skipped.
const QString kTargetsRefusal =
    QStringLiteral("scheme needs --targets t1,...,t8: eight whole numbers, empty for a skipped position");

Result<std::array<std::optional<int>, kPositionCount>> readTargets(const QStringList& words)
{
    const Failure refused{kTargetsRefusal};
    const QStringList values = words.first().split(QLatin1Char(','));
    if (values.size() != kPositionCount)
        return refused;
    std::array<std::optional<int>, kPositionCount> result{};
    for (int p = 0; p < kPositionCount; ++p) {
        const QString value = values[p].trimmed();
        if (value.isEmpty())
            continue;
        bool ok = false;
        result[std::size_t(p)] = value.toInt(&ok);
        if (!ok)
            return refused;
    }
    return result;
}

template <typename O, typename F> Option<O> seed(F O::*field)
{
    return OptionKinds::value(
        OptionSpec{QStringLiteral("--seed"), QStringLiteral("S"),
                   QStringLiteral("the seed that repeats a run, 0..2^64-1 (default: from the clock)")},
        field, &readSeed);
}

template <typename O, typename F> Option<O> bounds(F O::*field)
{
    return OptionKinds::value(
        OptionSpec{QStringLiteral("--bounds"), QStringLiteral("b2,b3,b4,b5,b6,b7,b8,b9"),
                   QStringLiteral("the acceptance bounds (default: those stored for the category)")},
        field, &readBounds);
}

template <typename O, typename F> Option<O> periods(F O::*field)
{
    return OptionKinds::wholeNumber(
        QStringLiteral("--periods"), QStringLiteral("N"), field, 0, std::numeric_limits<int>::max(),
        QStringLiteral("the draws verified, 0 for every draw (default: the stored JSQS)"));
}

template <typename O, typename F> Option<O> store(F O::*field, const QString& help)
{
    return OptionKinds::choice(
        QStringLiteral("--store"), field,
        std::vector<std::pair<QString, FoundStoreMode>>{{QStringLiteral("append"), FoundStoreMode::Append},
                                                        {QStringLiteral("replace"), FoundStoreMode::Replace}},
        help);
}

// The shuffled histories of the family-wise chance.
constexpr int kMaximumShuffles = 100000;

template <typename O, typename F> Option<O> threads(F O::*field)
{
    return OptionKinds::wholeNumber(QStringLiteral("--threads"), QStringLiteral("T"), field, 1, 256,
                                    QStringLiteral("worker threads, 1..256 (default: one per core)"));
}

template <typename O> CommandForm<O> withCategory(CommandForm<O> form)
{
    form << CommandOptions::position(&O::position) << CommandOptions::kind(&O::kind);
    return form;
}

CommandForm<Score> scoreForm(const QString& command, bool withWindow)
{
    CommandForm<Score> form =
        withCategory(CommandForm<Score>(command + QStringLiteral(" score"))
                         .takes(&Score::words,
                                CommandOptions::exactly(1, QStringLiteral("FILE"),
                                                        command + QStringLiteral(" score needs one FILE"))));
    if (withWindow)
        form << periods(&Score::periods) << bounds(&Score::bounds);
    return form;
}

} // namespace

const CommandForm<Search>& searchForm()
{
    using namespace OptionKinds;
    static const CommandForm<Search> declared =
        withCategory(CommandForm<Search>(QStringLiteral("search")))
        << wholeNumber(
               QStringLiteral("--operands"), QStringLiteral("N"), &Search::operands,
               CandidateGenerator::kMinimumOperands, CandidateGenerator::kMaximumOperands,
               QStringLiteral("the operands of a candidate (default: the stored text2 of the position)"))
        << value(OptionSpec{QStringLiteral("--constant"), QStringLiteral("C"),
                            QStringLiteral("the end constant, rounded half to even (default 0)")},
                 &Search::constant,
                 [](const QStringList& words) -> Result<QString> {
                     if (!SearchSettings::parsedNumber(words.first()))
                         return Failure{QStringLiteral("--constant takes a number")};
                     return words.first();
                 })
        << flag(QStringLiteral("--random-constant"), &Search::randomConstant,
                QStringLiteral("a random end constant for each candidate"))
        << OptionGroup{{QStringLiteral("--constant"), QStringLiteral("--random-constant")},
                       false,
                       QStringLiteral("--constant and --random-constant exclude each other")}
        << choice(QStringLiteral("--form"), &Search::form,
                  std::vector<std::pair<QString, FormulaText::Shape>>{
                      {QStringLiteral("prefix"), FormulaText::Shape::Prefix},
                      {QStringLiteral("suffix"), FormulaText::Shape::Suffix}},
                  QStringLiteral("the form of the found formulas' texts (default prefix)"))
        << bounds(&Search::bounds) << periods(&Search::periods) << seed(&Search::seed)
        << wholeNumber(QStringLiteral("--candidates"), QStringLiteral("N"), &Search::candidates, 0,
                       std::numeric_limits<qint64>::max(), QStringLiteral("stop after N candidates"))
        << wholeNumber(QStringLiteral("--target"), QStringLiteral("T"), &Search::target, 1,
                       std::numeric_limits<int>::max(), QStringLiteral("stop at T found formulas"))
        << OptionGroup{{QStringLiteral("--candidates"), QStringLiteral("--target")},
                       true,
                       QStringLiteral("search needs one of --candidates N and --target T")}
        << threads(&Search::threads)
        << store(&Search::store,
                 QStringLiteral("store the found formulas, appended or replacing (replace asks first)"))
        << flag(QStringLiteral("--luck"), &Search::luck,
                QStringLiteral("count what the same candidates find on shuffled draws"))
        << wholeNumber(
               QStringLiteral("--familywise"), QStringLiteral("K"), &Search::familywise, 1, kMaximumShuffles,
               QStringLiteral("the family-wise chance of each found formula over K shuffled histories"));
    return declared;
}

const CommandForm<Familywise>& familywiseForm()
{
    using namespace OptionKinds;
    static const CommandForm<Familywise> declared =
        withCategory(CommandForm<Familywise>(QStringLiteral("search familywise"))
                         .takes(&Familywise::words,
                                CommandOptions::exactly(1, QStringLiteral("FILE"),
                                                        QStringLiteral("search familywise needs one FILE"))))
        << periods(&Familywise::periods)
        << wholeNumber(QStringLiteral("--candidates"), QStringLiteral("C"), &Familywise::candidates, 1,
                       std::numeric_limits<qint64>::max(),
                       QStringLiteral("the candidates of the search the codes are measured against"))
        << OptionGroup{{QStringLiteral("--candidates")},
                       true,
                       QStringLiteral("search familywise needs --candidates C")}
        << wholeNumber(QStringLiteral("--shuffles"), QStringLiteral("K"), &Familywise::shuffles, 1,
                       kMaximumShuffles,
                       QStringLiteral("the shuffled histories the candidates are scored on"))
        << OptionGroup{{QStringLiteral("--shuffles")},
                       true,
                       QStringLiteral("search familywise needs --shuffles K")}
        << seed(&Familywise::seed) << threads(&Familywise::threads);
    return declared;
}

const CommandForm<Score>& searchScoreForm()
{
    static const CommandForm<Score> declared = scoreForm(QStringLiteral("search"), true);
    return declared;
}

const CommandForm<Score>& tuneScoreForm()
{
    static const CommandForm<Score> declared = scoreForm(QStringLiteral("tune"), false);
    return declared;
}

const CommandForm<Scheme>& schemeForm()
{
    using namespace OptionKinds;
    static const CommandForm<Scheme> declared =
        CommandForm<Scheme>(QStringLiteral("scheme"))
        << value(OptionSpec{QStringLiteral("--targets"), QStringLiteral("t1,...,t8"),
                            QStringLiteral("the formulas to find at each position, empty to skip it")},
                 &Scheme::planned, &readTargets)
        << OptionGroup{{QStringLiteral("--targets")}, true, kTargetsRefusal}
        << choice(QStringLiteral("--mode"), &Scheme::mode,
                  std::vector<std::pair<QString, SchemeCountMode>>{
                      {QStringLiteral("hold"), SchemeCountMode::Hold},
                      {QStringLiteral("new"), SchemeCountMode::New}},
                  QStringLiteral("count the stored formulas toward a target, or only new ones (default new)"))
        << CommandOptions::kind(&Scheme::kind) << seed(&Scheme::seed)
        << store(&Scheme::store, QStringLiteral("store what each position found, appended or replacing"));
    return declared;
}

const CommandForm<Tune>& tuneForm()
{
    static const CommandForm<Tune> declared =
        withCategory(CommandForm<Tune>(QStringLiteral("tune")))
        << OptionKinds::wholeNumber(
               QStringLiteral("--samples"), QStringLiteral("N"), &Tune::samples, 1, kMaximumSamples,
               QStringLiteral("the random candidates the bounds come from, 1..%1 (default %2)")
                   .arg(kMaximumSamples)
                   .arg(kDefaultSamples))
        << seed(&Tune::seed)
        << OptionKinds::flag(QStringLiteral("--save"), &Tune::save,
                             QStringLiteral("store the bounds and the operand count for the category"));
    return declared;
}

int periodsOr(const std::optional<int>& periods, const Settings& settings)
{
    return periods.value_or(SearchSession::storedPeriods(settings));
}

AcceptanceBounds storedBounds(const Settings& settings, int position, bool kill)
{
    return SearchSettings::stored(settings, position, kill);
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
