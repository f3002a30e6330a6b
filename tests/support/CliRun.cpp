#include "support/CliRun.h"

#include "support/FileSizeLimit.h"

#include <QFile>
#include <QProcess>

#include <unistd.h>

namespace quorvel {

namespace {

QStringList lines(const QByteArray& bytes)
{
    QString text = QString::fromUtf8(bytes);
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

} // namespace

CliRun::CliRun() = default;

CliResult CliRun::operator()(const QStringList& arguments) const
{
    QStringList all{QStringLiteral("--data-dir"), dataFolder(), QStringLiteral("--settings-file"),
                    settingsPath()};
    if (!arguments.contains(QStringLiteral("--today")))
        all << QStringLiteral("--today") << QStringLiteral("2026-12-09");
    QProcess process;
    // A test that has taken another identity for a while (ReadOnlyScope) runs the program as that
    // user too: Qt refuses to start with a real and an effective user that differ.
    process.setChildProcessModifier([limit = m_fileSizeLimit] {
        const uid_t effective = geteuid();
        if (effective != getuid() && seteuid(0) == 0 && setresuid(effective, effective, effective) != 0)
            _exit(127);
        if (limit > 0 && !FileSizeLimit::applyInChild(rlim_t(limit)))
            _exit(127);
    });
    process.setProgram(QStringLiteral(QUORVEL_CLI_PATH));
    process.setArguments(all + arguments);
    process.start();
    CliResult result;
    if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit) {
        qWarning("quorvel-cli did not finish: %s", qPrintable(process.errorString()));
        return result;
    }
    result.exitCode = process.exitCode();
    result.out = lines(process.readAllStandardOutput());
    result.err = lines(process.readAllStandardError());
    return result;
}

QString CliRun::writeFile(const QString& name, const QByteArray& bytes) const
{
    const QString path = m_folder.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qWarning("cannot write %s", qPrintable(path));
    return path;
}

bool CliRun::importDraws(const QString& text) const
{
    const CliResult result = (*this)({QStringLiteral("history"), QStringLiteral("import"),
                                      writeFile(QStringLiteral("draws.txt"), text.toUtf8())});
    if (result.exitCode != 0)
        qWarning("history import failed: %s", qPrintable(result.err.join(QLatin1Char('\n'))));
    return result.exitCode == 0;
}

} // namespace quorvel
