// Writes the manual page or the bash completion of quorvel-cli to standard output, for the build
// to install them. Not installed itself.

#include "app/cli/CommandDocs.h"
#include "core/BuildInfo.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString what = arguments.value(1);
    QString text;
    if (what == QLatin1String("man"))
        text = quorvel::cli::manualPage(quorvel::BuildInfo::version());
    else if (what == QLatin1String("bash-completion"))
        text = quorvel::cli::bashCompletion();
    else {
        std::fputs("usage: quorvel-docgen man|bash-completion\n", stderr);
        return 2;
    }
    const QByteArray bytes = text.toUtf8();
    return std::fwrite(bytes.constData(), 1, bytes.size(), stdout) == size_t(bytes.size()) ? 0 : 1;
}
