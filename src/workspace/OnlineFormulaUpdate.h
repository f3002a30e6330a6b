#pragma once

#include "core/Result.h"
#include "workspace/FormulaFileImport.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

#include <chrono>
#include <optional>

namespace quorvel {

class HttpDownload;
class Workspace;

struct OnlineFormulaUpdateOutcome
{
    qint64 downloadedBytes = 0;
    int imported = 0;
    QString savedFile; // full path of "Quorvel.txt"
};

// The online formula update (`cmdGsgx`): after the question, the formula file at the download
// address (setting `GsUrl`) is fetched without blocking, saved unchanged as "Quorvel.txt" in the
// data folder and, when it holds more than 1024 bytes, its lines are stored like a formula file's,
// except that no table is rebuilt and unrecognised lines are skipped without a trace. The formulas
// are appended; nothing of the library is deleted. A failure (no connection, an HTTP error, no
// data for the idle timeout, a file over the size cap or of 1024 bytes or less) imports nothing
// and comes with the title "公式在线更新".
class OnlineFormulaUpdate : public QObject
{
    Q_OBJECT
public:
    static constexpr auto kFileName = "Quorvel.txt";
    static constexpr qint64 kMinimumBytes = 1024; // a file of this size or less is a failed download
    static const QString kTitle;

    explicit OnlineFormulaUpdate(Workspace& workspace, QObject* parent = nullptr);
    ~OnlineFormulaUpdate() override;

    void setIdleTimeout(std::chrono::milliseconds timeout);
    // The time the download may take in all (HttpDownload::kDefaultDeadline unless set).
    void setDeadline(std::chrono::milliseconds deadline);

    // Asks the question, then starts the download from `address`, or from `GsUrl` when none is
    // given (asked for with an input box and stored when it is empty). False when the user
    // cancelled the question or the input box: nothing started. A failure when the address is
    // not an http or https address. Otherwise finished() follows.
    Result<bool> start(const std::optional<QUrl>& address = std::nullopt);
    // Stops the download or the reading of its lines; finished() follows with cancelled() set.
    void cancel();
    bool isRunning() const { return m_running; }
    bool cancelled() const { return m_cancelled; }
    // The outcome, once finished() was emitted.
    const std::optional<Result<OnlineFormulaUpdateOutcome>>& outcome() const { return m_outcome; }

    // "公式下载地址设置(&W)": the input box that changes `GsUrl`. Cancel changes nothing.
    static Status editAddress(Workspace& workspace);
    // An address as typed: http or https with a host ("host/path" is taken as http).
    static Result<QUrl> checkedAddress(const QString& text);

Q_SIGNALS:
    void progress(qint64 received, qint64 total); // total -1 while unknown
    void importing();                             // the file arrived; its lines are being read
    void finished();

private:
    void downloaded(const QByteArray& body);
    void planned();
    void finish(Result<OnlineFormulaUpdateOutcome> outcome);

    Workspace& m_workspace;
    HttpDownload* m_download = nullptr;
    FormulaFileImport::PlanJob m_planning; // reads the downloaded lines through the runner
    OnlineFormulaUpdateOutcome m_pending;
    bool m_running = false;
    bool m_cancelled = false;
    std::optional<Result<OnlineFormulaUpdateOutcome>> m_outcome;
};

} // namespace quorvel
