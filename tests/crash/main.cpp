// quorvel-crash-test TRIALS [--work DIR] [--seed S] [OPERATION...]
//
// Kills quorvel-cli TRIALS times during each writing operation (or the ones named) and checks the
// data folder it leaves (see CrashHarness). One line per operation:
//   crash: operation=NAME trials=N killed=K writing=W finished=F before=B after=A failures=X run=Tms
// (W: killed while a transaction or the compaction was under way; T: the uninterrupted run)
// Exit status 1 when any trial failed, 2 on a usage error or when the data cannot be prepared.

#include "crash/CrashHarness.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <cstdio>

using namespace quorvel::crash;

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    bool ok = !arguments.isEmpty();
    const int trials = ok ? arguments.takeFirst().toInt(&ok) : 0;
    QString work = QDir::temp().filePath(QStringLiteral("quorvel-crash"));
    quint32 seed = 20141104;
    while (ok && !arguments.isEmpty() && arguments.first().startsWith(QLatin1String("--"))) {
        const QString option = arguments.takeFirst();
        if (arguments.isEmpty())
            ok = false;
        else if (option == QLatin1String("--work"))
            work = arguments.takeFirst();
        else if (option == QLatin1String("--seed"))
            seed = arguments.takeFirst().toUInt(&ok);
        else
            ok = false;
    }
    if (!ok || trials < 1) {
        std::fprintf(stderr, "usage: quorvel-crash-test TRIALS [--work DIR] [--seed S] [OPERATION...]\n");
        return 2;
    }

    CrashHarness harness(work, seed);
    if (!harness.prepare())
        return 2;
    int failures = 0;
    for (const CrashHarness::Operation& operation : harness.operations()) {
        if (!arguments.isEmpty() && !arguments.contains(operation.name))
            continue;
        const CrashHarness::Outcome outcome = harness.run(operation, trials);
        std::printf("crash: operation=%s trials=%d killed=%d writing=%d finished=%d before=%d after=%d "
                    "failures=%d run=%lldms\n",
                    qPrintable(operation.name), outcome.trials, outcome.killed, outcome.killedWriting,
                    outcome.finished, outcome.before, outcome.after, outcome.failures, qint64(outcome.runMs));
        std::fflush(stdout);
        failures += outcome.failures;
    }
    return failures > 0 ? 1 : 0;
}
