#include "app/cli/EvalCommand.h"

#include "app/cli/CliArguments.h"
#include "app/cli/CliContext.h"
#include "app/cli/CommandOptions.h"
#include "core/Database.h"
#include "core/DrawTable.h"
#include "core/HistoryTable.h"
#include "formulas/CompiledFormula.h"
#include "formulas/FormulaText.h"
#include "formulas/NumberRules.h"
#include "history/DrawEntry.h"

namespace quorvel::cli {

namespace {

struct EvalOptions
{
    QStringList words; // TEXT
};

const CommandForm<EvalOptions>& form()
{
    static const CommandForm<EvalOptions> declared =
        CommandForm<EvalOptions>(QStringLiteral("eval"))
            .takes(&EvalOptions::words,
                   CommandOptions::exactly(1, QStringLiteral("TEXT"),
                                           QStringLiteral("eval needs one formula text or code")));
    return declared;
}

} // namespace

std::vector<const FormSpec*> EvalCommand::forms()
{
    return {&form()};
}

int EvalCommand::run(const CliContext& context, CliArguments& arguments)
{
    const Result<EvalOptions> options = form().parse(arguments);
    if (!options)
        return context.usage(options.error());
    const QStringList& words = options->words;

    // A bare code is tried first: read as a typed display text, a code would lose its first
    // characters to the assumed bracket of the prefix form.
    const QString text = words.first().trimmed();
    if (text.isEmpty())
        return context.usage(QStringLiteral("eval needs a formula text or code"));
    QString code = text;
    QString position;
    QString kind;
    Result<CompiledFormula> compiled = CompiledFormula::compile(code);
    if (!compiled) {
        const Result<FormulaText::ParsedFormula> parsed =
            FormulaText::parse(text, FormulaText::ParseVariant::Typed);
        if (!parsed)
            return context.fail(parsed.error());
        code = parsed->code;
        compiled = CompiledFormula::compile(code);
        if (!compiled)
            return context.fail(QStringLiteral("无法识别公式 %1：%2").arg(code, compiled.error()));
        if (parsed->position)
            position = QString::number(*parsed->position);
        if (parsed->kill)
            kind = CommandOptions::kindName(*parsed->kill);
    }

    const Result<DrawTable> history = context.readHistory();
    if (!history)
        return context.fail(history.failure());
    const DrawTable& table = *history;
    const std::vector<double> values = compiled->evaluate(table);

    context.print(field(code) + QLatin1Char('\t') + position + QLatin1Char('\t') + kind);
    for (int t = 0; t < table.drawCount(); ++t) {
        const double value = values[std::size_t(t)];
        QString line = DrawEntry::issueText(table.issues()[std::size_t(t)]) + QLatin1Char('\t');
        if (!isEmptyValue(value)) {
            const std::optional<int> folded = fold(value);
            line += valueText(value) + QLatin1Char('\t') + (folded ? QString::number(*folded) : QString());
        } else {
            line += QLatin1Char('\t');
        }
        context.print(line);
    }
    return ExitSuccess;
}

} // namespace quorvel::cli
