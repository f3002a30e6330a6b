#include "app/cli/CliContext.h"

#include "app/cli/CommandTable.h"
#include "core/DataFolder.h"
#include "core/Database.h"
#include "core/HistoryTable.h"

#include <charconv>
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

std::unique_ptr<Settings> settingsOf(const GlobalOptions& options)
{
    if (options.settingsFile.isEmpty())
        return std::make_unique<Settings>();
    return std::make_unique<Settings>(options.settingsFile);
}

} // namespace

CliSession::CliSession(const CliContext& context)
    : m_settings(settingsOf(context.options())), m_prompts(context, context.options().yes),
      m_workspace(std::make_unique<Workspace>(*m_settings, m_prompts, m_desktop, context.options().clock)),
      m_dataFolder(context.dataFolder())
{
    // A warning after a successful operation (the compaction after a deletion failed): on stderr,
    // and the command still succeeds.
    const CliContext* shared = &context;
    QObject::connect(m_workspace.get(), &Workspace::warning, m_workspace.get(),
                     [shared](const QString& title, const QString& message) {
                         shared->printError(QStringLiteral("警告（%1）：%2").arg(title, message));
                     });
}

Status CliSession::start(const WorkspaceStartOptions& options)
{
    return m_workspace->start(m_dataFolder, options);
}

Result<std::unique_ptr<CliSession>> CliContext::startSession(const WorkspaceStartOptions& options) const
{
    auto session = std::make_unique<CliSession>(*this);
    if (Status started = session->start(options); !started)
        return started.failure();
    return Result<std::unique_ptr<CliSession>>(std::move(session));
}

CliContext::CliContext(GlobalOptions options) : m_options(std::move(options)) {}

QString CliContext::dataFolder() const
{
    return resolveDataFolder(m_options.dataFolder);
}

std::unique_ptr<Settings> CliContext::openSettings() const
{
    return settingsOf(m_options);
}

Result<std::unique_ptr<Database>> CliContext::openDatabase() const
{
    return Database::open(dataFolder());
}

Result<DrawTable> CliContext::readHistory() const
{
    Result<std::unique_ptr<Database>> database = openDatabase();
    if (!database)
        return database.failure();
    return (*database)->history().readAll();
}

Result<std::unique_ptr<CliSession>> CliContext::startOnList(int position, bool kill) const
{
    WorkspaceStartOptions options;
    options.position = position;
    options.kill = kill;
    options.verifyAtStart = false;
    return startSession(options);
}

void CliContext::print(const QString& line) const
{
    writeLine(stdout, line);
}

void CliContext::print(const TabLine& line) const
{
    std::fwrite(line.bytes().data(), 1, line.bytes().size(), stdout);
    std::fputc('\n', stdout);
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

QString field(const QString& text)
{
    QString value = text;
    for (QChar& c : value) {
        if (c == u'\t' || c == u'\n' || c == u'\r')
            c = u' ';
    }
    return value;
}

void TabLine::separate()
{
    if (m_empty) {
        m_bytes.reserve(160);
        m_empty = false;
        return;
    }
    m_bytes += '\t';
}

TabLine& TabLine::operator<<(qint64 number)
{
    separate();
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    m_bytes.append(digits, std::size_t(end - digits));
    return *this;
}

TabLine& TabLine::operator<<(const QString& text)
{
    separate();
    const std::size_t start = m_bytes.size();
    const QByteArray utf8 = text.toUtf8();
    m_bytes.append(utf8.constData(), std::size_t(utf8.size()));
    // Tabs and line breaks inside a field become blanks.
    for (std::size_t i = start; i < m_bytes.size(); ++i) {
        char& c = m_bytes[i];
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    }
    return *this;
}

} // namespace quorvel::cli
