#pragma once

#include "core/Database.h"
#include "core/Draw.h"
#include "core/DrawParameters.h"
#include "core/Result.h"

#include <QByteArray>
#include <QString>

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
    // user gave).
    struct DaySequence
    {
        int drawsPerDay = 84;
        QString typeName;
    };

    struct Summary
    {
        int imported = 0;
        int skipped = 0;          // issues already stored with the same numbers, or repeated in the file
        std::vector<Draw> stored; // the draws stored, oldest first
    };

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
};

} // namespace quorvel
