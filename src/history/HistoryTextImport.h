#pragma once

#include "core/Database.h"
#include "core/Draw.h"
#include "core/DrawParameters.h"
#include "core/Result.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <optional>
#include <vector>

namespace quorvel {

// Reads draws from a text file, one per line: the issue YYMMDDNN and the eight numbers in
// drawing order, separated by blanks, tabs or commas. Blank lines and lines starting with '#'
// are ignored. The file may be UTF-8 (with or without a byte order mark) or GB18030, with CR LF,
// LF or CR line ends (TextFile).
class HistoryTextImport
{
public:
    // A file larger than this, or a line longer than that, is refused before anything is stored.
    static constexpr qint64 kMaxFileBytes = qint64(256) << 20;
    static constexpr qint64 kMaxLineBytes = qint64(64) << 10;

    // One draw line as read from the file.
    struct Line
    {
        int lineNumber = 0;
        qint32 issue = 0;
        DrawNumbers numbers{};
    };

    // D for the sequence check, and what the message calls it (the lottery type, or the value the
    // user gave); and today, after which no issue can be dated (no check while it is invalid).
    struct DaySequence
    {
        int drawsPerDay = 84;
        QString typeName;
        QDate today;
    };

    struct Summary
    {
        int imported = 0;
        int skipped = 0;          // issues already stored with the same numbers, or repeated in the file
        std::vector<Draw> stored; // the draws stored, oldest first
    };

    // A line that cannot be imported, and why.
    struct Refusal
    {
        int lineNumber = 0;
        QString text; // the line as read, shortened and with control characters made visible
        QString reason;
    };

    // What an import would do, worked out without storing anything: the new draws with their
    // parameters, the lines already stored, and the refused lines. A line is refused when it is
    // malformed, its sequence is above D, its issue is dated after today, its issue is stored with other numbers, or the file
    // gives its issue with other numbers elsewhere (then every line of that issue is refused).
    struct Plan
    {
        static constexpr int kListedRefusals = 100;

        std::vector<Draw> draws; // the new draws, oldest first
        int alreadyStored = 0;   // stored with the same numbers, or a copy of an earlier line
        int refusedCount = 0;
        // The first kListedRefusals refusals: each line's own faults in line order, then those
        // found against the rest of the file and the stored history.
        std::vector<Refusal> refused;
    };

    // One line of a text: empty for a blank or comment line, a failure giving what is wrong with it.
    static Result<std::optional<Line>> parseLine(const QString& raw, int lineNumber);
    // Every draw line of a text, in file order. The first malformed line (wrong fields, numbers
    // outside 1..20 or repeated, a control character) fails the whole text with "line N: <reason>".
    static Result<std::vector<Line>> parse(const QString& text);

    // The bytes of a file, refusing one over kMaxFileBytes or with a line over kMaxLineBytes.
    static Result<QByteArray> readFile(const QString& filePath);

    // Stores the draws of a file that are not stored yet in one transaction: a malformed line, a
    // sequence number above D, an issue stored (or repeated in the file) with other numbers, or a
    // failed write stores nothing. Each draw's previous draw is the draw just before it in issue
    // order among the stored draws and the file's new ones.
    static Result<Summary> importFile(Database& database, const QString& filePath, const DaySequence& days,
                                      EntryPath path);
    static Result<Summary> importText(Database& database, const QString& text, const DaySequence& days,
                                      EntryPath path);

    // The plan of an import (see Plan); fails only when the file or the stored history cannot be
    // read. Each new draw's previous draw is the one just before it among the stored draws and
    // the new ones.
    static Result<Plan> planFile(const Database& database, const QString& filePath, const DaySequence& days,
                                 EntryPath path);
    static Result<Plan> planText(const Database& database, const QString& text, const DaySequence& days,
                                 EntryPath path);
    // Stores the new draws of a plan in one transaction (refused lines are left out). Fails, storing
    // nothing, when one of them has been stored since the plan was made.
    static Result<Summary> store(Database& database, Plan plan);

private:
    static Result<Summary> storeWhole(Database& database, Result<Plan> plan);
};

} // namespace quorvel
