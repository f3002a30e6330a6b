#include "support/TestSession.h"

#include "core/Database.h"
#include "history/HistoryTextImport.h"

#include <QDir>
#include <QFile>

namespace quorvel {

TestSession::TestSession()
    : m_settings(std::make_unique<Settings>(settingsPath())),
      m_workspace(std::make_unique<Workspace>(*m_settings, m_prompts, m_prompts, m_clock))
{
}

TestSession::~TestSession() = default;

QString TestSession::dataFolder() const
{
    return m_folder.filePath(QStringLiteral("data"));
}

QString TestSession::settingsPath() const
{
    return m_folder.filePath(QStringLiteral("settings.ini"));
}

bool TestSession::seedHistory(const QString& fileName, int count, int drawsPerDay)
{
    QFile file(QDir(QStringLiteral(QUORVEL_TEST_DATA)).filePath(fileName));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (count >= 0)
        lines = lines.mid(0, count);
    const std::unique_ptr<Database> database = openDatabase();
    if (!database)
        return false;
    const Result<HistoryTextImport::Summary> imported = HistoryTextImport::importText(
        *database, lines.join(QLatin1Char('\n')), {drawsPerDay, QString(), QDate()}, EntryPath::Online);
    if (!imported)
        qWarning("seeding failed: %s", qPrintable(imported.error()));
    return imported && imported->imported == int(lines.size());
}

std::unique_ptr<Database> TestSession::openDatabase() const
{
    Result<std::unique_ptr<Database>> database = Database::open(dataFolder());
    if (!database) {
        qWarning("cannot open the session's database: %s", qPrintable(database.error()));
        return nullptr;
    }
    return std::move(*database);
}

Status TestSession::start(const WorkspaceStartOptions& options)
{
    m_workspace.reset();
    m_settings = std::make_unique<Settings>(settingsPath());
    m_workspace = std::make_unique<Workspace>(*m_settings, m_prompts, m_prompts, m_clock);
    return m_workspace->start(dataFolder(), options);
}

Workspace& TestSession::open(const WorkspaceStartOptions& options)
{
    if (const Status started = start(options); !started)
        qWarning("start failed: %s", qPrintable(started.error()));
    return *m_workspace;
}

QString TestSession::storedSetting(const QString& key)
{
    m_settings->sync();
    const Settings reader(settingsPath());
    return reader.rawValue(QStringLiteral("IniSetting"), key);
}

} // namespace quorvel
