#pragma once

#include "core/Database.h"
#include "core/Draw.h"
#include "core/DrawParameters.h"
#include "core/Result.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace quorvel {

// Reads draws from a text file, one per line: the issue YYMMDDNN and the eight numbers in
// drawing order, separated by blanks, tabs or commas. Blank lines and lines starting with '#'
// are ignored. The file may be UTF-8 (with or without a byte order mark) or GB18030, with CR LF,
// LF or CR line ends (TextFile).
class HistoryTextImport
{
public:
    // One draw line as read from the file.
    struct Line
    {
        int lineNumber = 0;
        qint32 issue = 0;
        DrawNumbers numbers{};
    };

    struct Summary
    {
        int imported = 0;
        int skipped = 0; // issues already stored, or repeated within the file
    };

    // A history file larger than this is refused before it is read.
    static constexpr qint64 kMaxFileBytes = qint64(256) << 20;

    // Every draw line of a text, in file order. The first malformed line fails the whole text
    // with "line N: <reason>".
    static Result<std::vector<Line>> parse(const QString& text);
    static Result<std::vector<Line>> parseLines(const QStringList& lines);

    // Stores the draws of a file that are not stored yet, oldest first, in one transaction: a
    // malformed line or a failed write stores nothing. Each draw's previous draw is the draw
    // just before it in issue order among the stored draws and the file's new ones.
    static Result<Summary> importFile(Database& database, const QString& filePath, int drawsPerDay,
                                      EntryPath path);
    static Result<Summary> importText(Database& database, const QString& text, int drawsPerDay,
                                      EntryPath path);

private:
    static Result<Summary> storeLines(Database& database, const std::vector<Line>& lines, int drawsPerDay,
                                      EntryPath path);
};

} // namespace quorvel
