#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace quorvel {

// What one run of quorvel-cli gave back.
struct CliResult
{
    int exitCode = -1;
    QStringList out; // stdout lines
    QStringList err; // stderr lines
};

// Runs quorvel-cli as a separate process on a data folder and settings file of its own (a fresh
// temporary folder), with a fixed date (--today) unless the arguments give one.
class CliRun
{
public:
    CliRun();

    CliResult operator()(const QStringList& arguments) const;
    QString dataFolder() const { return m_folder.filePath(QStringLiteral("data")); }
    QString settingsPath() const { return m_folder.filePath(QStringLiteral("settings.ini")); }
    // Writes a file into the temporary folder and returns its path.
    QString writeFile(const QString& name, const QByteArray& bytes) const;
    // Stores draws given as text lines ("ISSUE N1 .. N8") through `history import`.
    bool importDraws(const QString& text) const;
    // Runs from now on limit the size of the files the program writes (FileSizeLimit); 0: no limit.
    void setFileSizeLimit(qint64 bytes) { m_fileSizeLimit = bytes; }

private:
    QTemporaryDir m_folder;
    qint64 m_fileSizeLimit = 0;
};

} // namespace quorvel
