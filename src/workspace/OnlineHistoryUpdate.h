#pragma once

#include "core/Job.h"
#include "core/Result.h"
#include "history/OnlineUpdatePlan.h"
#include "history/ResultsPage.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <chrono>
#include <optional>
#include <vector>

namespace quorvel {

class HttpDownload;
class Workspace;

// What an online history update did.
struct OnlineUpdateOutcome
{
    qint64 requested = 0; // draws asked of the results page; 0 when nothing could be new
    int stored = 0;
    int malformed = 0; // draws of the range on the page whose fields were not a draw, skipped
    std::vector<qint32> inconsistent; // issues the page gave twice with different numbers, skipped
    bool replacedHistory = false;
    int historyDays = 0;          // H the update kept
    std::vector<qint32> missing;  // issues missing between the oldest and newest draw afterwards
    Status refreshed = success(); // the refresh after storing
};

// The online history update (`Command21`): brings the history up to date from the results page of
// the chosen lottery type. The page is fetched without blocking (HttpDownload: the system's proxy,
// a timeout without data, a size cap, cancel) and read through the runner; nothing is stored or
// deleted before it has arrived and been read,
// and an old history that the update replaces goes in the same transaction that stores the new
// draws. After storing: formula list, history, verification, next issue.
class OnlineHistoryUpdate : public QObject
{
    Q_OBJECT
public:
    static const QString kTitle; // "在线更新", the title of its question and notices
    static const QString kQuestion;

    explicit OnlineHistoryUpdate(Workspace& workspace, QObject* parent = nullptr);
    ~OnlineHistoryUpdate() override;

    // Refuses without a lottery type, asks the question, asks for the results address when none
    // is set (and stores it), works out the range and sends the request; `base` (a whole base
    // address) replaces the stored address for this run. False: the user cancelled and nothing
    // happens. True: finished() follows (on a later turn of the event loop, also when nothing can
    // be new and no request is sent).
    Result<bool> start(const std::optional<QString>& base = std::nullopt);
    // Stops the download or the reading of the page; the update finishes as cancelled and changes
    // nothing.
    void cancel();
    bool isRunning() const { return m_running; }
    bool wasCancelled() const { return m_cancelled; }
    void setIdleTimeout(std::chrono::milliseconds timeout);
    // The time the download may take in all (HttpDownload::kDefaultDeadline unless set).
    void setDeadline(std::chrono::milliseconds deadline);

    // After finished(): what the update did, or why it failed (the history unchanged then).
    const Result<OnlineUpdateOutcome>& outcome() const;

    // The notice after a finished update.
    static QString outcomeMessage(const OnlineUpdateOutcome& outcome);

Q_SIGNALS:
    void progress(qint64 received, qint64 total); // total -1 while unknown
    void finished();

private:
    void pageDownloaded(const QByteArray& body);
    void pageRead();
    void downloadFailed(const QString& message);
    void finish(Result<OnlineUpdateOutcome> outcome);

    Workspace& m_workspace;
    HttpDownload* m_download;
    Job<Result<ResultsPage::Reading>> m_reading; // the downloaded page, decoded and read
    std::optional<OnlineUpdatePlan> m_plan;
    std::optional<Result<OnlineUpdateOutcome>> m_outcome;
    bool m_running = false;
    bool m_cancelled = false;
};

} // namespace quorvel
