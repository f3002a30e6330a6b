#include "UiSessionHelper.h"

#include "core/Database.h"
#include "history/HistoryTextImport.h"

#include <QDir>
#include <QFile>

namespace quorvel {

UiSession::UiSession()
    : m_settings(std::make_unique<Settings>(settingsPath())),
      m_workspace(std::make_unique<Workspace>(*m_settings, m_prompts))
{
}

UiSession::~UiSession() = default;

QString UiSession::settingsPath() const
{
    return QDir(m_folder.path()).filePath(QStringLiteral("settings.ini"));
}

bool UiSession::seedHistory(const QString& fileName, int count, int drawsPerDay)
{
    QFile file(QDir(QStringLiteral(QUORVEL_TEST_DATA)).filePath(fileName));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (count >= 0)
        lines = lines.mid(0, count);
    Result<std::unique_ptr<Database>> database = Database::open(m_folder.path());
    if (!database)
        return false;
    const Result<HistoryTextImport::Summary> imported = HistoryTextImport::importText(
        **database, lines.join(QLatin1Char('\n')), drawsPerDay, EntryPath::Online);
    return imported && imported->imported == int(lines.size());
}

bool UiSession::start()
{
    return bool(m_workspace->start(m_folder.path()));
}

QString UiSession::storedSetting(const QString& key)
{
    m_settings->sync();
    const Settings reader(settingsPath());
    return reader.rawValue(QStringLiteral("IniSetting"), key);
}

} // namespace quorvel
