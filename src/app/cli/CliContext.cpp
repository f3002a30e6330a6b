#include "app/cli/CliContext.h"

#include "core/DataFolder.h"

#include <cstdio>
#include <utility>

namespace quorvel::cli {

namespace {

void writeLine(std::FILE* stream, const QString& line)
{
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fputc('\n', stream);
}

// Messages are one line each, whatever the text they quote holds.
QString oneLine(const QString& text)
{
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String(" "));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return line;
}

} // namespace

CliContext::CliContext(QString requestedDataFolder, QString settingsFile)
    : m_requestedDataFolder(std::move(requestedDataFolder)), m_settingsFile(std::move(settingsFile))
{
}

QString CliContext::dataFolder() const
{
    return resolveDataFolder(m_requestedDataFolder);
}

std::unique_ptr<Settings> CliContext::openSettings() const
{
    if (m_settingsFile.isEmpty())
        return std::make_unique<Settings>();
    return std::make_unique<Settings>(m_settingsFile);
}

Result<std::unique_ptr<Database>> CliContext::openDatabase() const
{
    return Database::open(dataFolder());
}

Result<std::vector<Draw>> CliContext::readHistory() const
{
    Result<std::unique_ptr<Database>> database = openDatabase();
    if (!database)
        return Failure{database.error()};
    return (*database)->readHistory();
}

void CliContext::print(const QString& line) const
{
    writeLine(stdout, line);
}

void CliContext::printError(const QString& line) const
{
    std::fflush(stdout);
    writeLine(stderr, oneLine(line));
}

int CliContext::fail(const QString& message) const
{
    printError(message);
    return ExitFailure;
}

int CliContext::usage(const QString& message) const
{
    printError(message + QStringLiteral("; usage: ") + usageText());
    return ExitUsage;
}

QString CliContext::usageText()
{
    return QStringLiteral(
        "quorvel-cli [--data-dir DIR] [--settings-file FILE] "
        "params ISSUE N1..N8 [--prev P1..P8] [--per-day D] [--path manual|online] | "
        "history import FILE [--per-day D] [--path manual|online] | history list | "
        "formulas add TEXT... [--kind kill|keep] | formulas list [--position P] [--kind kill|keep] | "
        "eval TEXT | "
        "verify [--position P] [--kind kill|keep] [--periods N] [--exclude-current on|off] [--weighted "
        "on|off]");
}

QString field(const QString& text)
{
    QString value = text;
    for (QChar& c : value) {
        if (c == u'\t' || c == u'\n' || c == u'\r')
            c = u' ';
    }
    return value;
}

} // namespace quorvel::cli
