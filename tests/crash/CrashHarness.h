#pragma once

#include "crash/DatabaseState.h"
#include "crash/WriteWatch.h"

#include <QRandomGenerator>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace quorvel {
class LocalHttpServer;
}

namespace quorvel::crash {

// Kills quorvel-cli with SIGKILL at random moments of its writing operations and checks what it
// leaves: formula.db is there (also at every moment of the run), the program opens it,
// PRAGMA integrity_check says ok, and the rows are those before the operation or those after it.
//
// Every trial starts from a copy of one data folder made of real draws (重庆幸运农场, 2014-10-29 to
// 11-03) and some thousand formulas of every position, verified. Each operation is first run to
// its end once, which gives the state after it, its duration and the moments it writes (seen by
// WriteWatch); then half the kills fall anywhere in the run and half inside a write, timed from
// the moment that write begins (all of them, for the compaction, inside the compaction).
class CrashHarness
{
public:
    struct Operation
    {
        QString name;
        QStringList arguments;
        bool aimAtCompaction = false;  // kills aimed at the compaction rather than any write
        bool writesStatistics = false; // the run statistics written back are the change itself
    };

    struct Outcome
    {
        int trials = 0;
        int finished = 0; // the run ended before its kill time
        int killed = 0;   // ... of which killed inside a write:
        int killedWriting = 0;
        int before = 0; // the state found afterwards
        int after = 0;
        int failures = 0;
        qint64 runMs = 0; // how long the uninterrupted run took
    };

    CrashHarness(const QString& workFolder, quint32 seed);
    ~CrashHarness();

    // Builds the data folder the trials copy, and the files and pages the operations read.
    bool prepare();
    const std::vector<Operation>& operations() const { return m_operations; }
    // Runs `trials` kills of one operation, printing each failure with the folder it left.
    Outcome run(const Operation& operation, int trials);

private:
    // When to kill: at a time from the start, or a time after the n-th write window of a kind
    // opens (so that the moment falls inside the write however long the start-up took).
    struct Kill
    {
        qint64 atMs = -1; // -1: not at a fixed time
        int window = -1;  // -1: not after a window
        bool compaction = false;
        qint64 offsetMs = 0;
    };

    struct Run
    {
        int exitCode = -1;
        bool killed = false;
        bool killedWriting = false;
        qint64 durationMs = 0;
        std::vector<WriteWatch::Window> windows;
        bool formulaDbRemoved = false;
    };

    QString path(const QString& name) const;
    QString trialFolder(const QString& name) const;
    bool cli(const QString& folder, const QStringList& arguments) const;
    Run spawn(const QString& folder, const QStringList& arguments, const Kill& kill) const;
    bool copyBase(const QString& folder) const;
    Kill killTime(const Run& calibration, const Operation& operation, int trial);
    QString formulaLines(int count, int blockSize, int duplicateEvery);

    QString m_work;
    QRandomGenerator m_random;
    std::unique_ptr<LocalHttpServer> m_server;
    std::vector<Operation> m_operations;
};

} // namespace quorvel::crash
