#include "XlsxBench.h"

#include "core/Database.h"
#include "core/FormulaTables.h"
#include "core/HistoryTable.h"
#include "core/Settings.h"
#include "oracle/SyntheticHistory.h"
#include "search/CandidateGenerator.h"
#include "workspace/Desktop.h"
#include "workspace/Prompts.h"
#include "workspace/SpreadsheetExport.h"
#include "workspace/Workspace.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <random>

namespace quorvel::bench {

namespace {

constexpr quint64 kSeed = 20240607;

// Peak resident set size in megabytes, from /proc/self/status; 0 where it cannot be read.
double peakMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

// Lowers the recorded peak to the present resident set, so the figure belongs to the export alone.
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// Answers the export's question OK and opens nothing.
class BenchPrompts : public Prompts, public Desktop
{
public:
    void notice(const QString&, const QString&) override {}
    using Prompts::question;
    bool question(const QString&, const QString&, DefaultButton) override { return true; }
    std::optional<QString> inputText(const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    void showFile(const QString&) override {}
    void openUrl(const QUrl&) override {}
    void setClipboardText(const QString&) override {}
    QString clipboardText() const override { return {}; }
};

// The draws and keep formulas of position 1, the list the window starts on.
Status fillDataFolder(const QString& folder)
{
    Result<std::unique_ptr<Database>> database = Database::open(folder);
    if (!database)
        return database.failure();
    std::mt19937_64 random(kSeed);
    if (Status stored = (*database)->history().insert(oracle::randomHistory(kXlsxDraws, random)); !stored)
        return stored;
    CandidateGenerator generator(kSeed);
    GenerationSettings settings;
    std::vector<NewFormula> formulas;
    for (int i = 0; i < kXlsxFormulas; ++i) {
        const Candidate candidate = generator.generate(settings);
        formulas.push_back({CandidateGenerator::code(candidate),
                            CandidateGenerator::displayText(candidate, settings), false, std::nullopt,
                            std::nullopt});
    }
    if (Status stored = (*database)->formulas().append(1, formulas); !stored)
        return stored;
    return (*database)->formulas().renumber(1);
}

Status exportHistory(double& milliseconds)
{
    QTemporaryDir folder;
    if (Status filled = fillDataFolder(folder.path()); !filled)
        return filled;
    Settings settings(folder.filePath(QStringLiteral("settings.ini")));
    BenchPrompts prompts;
    Workspace workspace(settings, prompts, prompts);
    WorkspaceStartOptions options;
    options.verifyAtStart = false;
    if (Status started = workspace.start(folder.path(), options); !started)
        return started;

    resetPeak();
    QElapsedTimer timer;
    timer.start();
    const SpreadsheetExport exporter(workspace);
    const std::optional<SpreadsheetJob> job = exporter.history(true);
    if (!job)
        return Failure{QStringLiteral("the export asked and was not answered")};
    if (Status written = SpreadsheetExport::write(*job); !written)
        return written;
    milliseconds = double(timer.nsecsElapsed()) / 1e6;
    return success();
}

} // namespace

void printXlsxExport()
{
    double milliseconds = 0;
    if (const Status exported = exportHistory(milliseconds); !exported) {
        std::fprintf(stderr, "xlsx: %s\n", qPrintable(exported.error()));
        std::printf("xlsx: draws=%d formulas=%d ms=failed\n", kXlsxDraws, kXlsxFormulas);
        return;
    }
    std::printf("xlsx: draws=%d formulas=%d ms=%.0f peak_mb=%.0f\n", kXlsxDraws, kXlsxFormulas, milliseconds,
                peakMegabytes());
}

} // namespace quorvel::bench
