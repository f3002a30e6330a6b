#pragma once

#include "core/TermTable.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace quorvel {

// Formulas as a text file users share: four header lines, then one line per formula (display
// text, a filler of full-width blanks, "连准：", its last consecutive hits, "期"), and a separator
// after every 50 formula lines and once at the end. The formula file import reads the display
// texts back: it cuts every line at "连准", and the header and separator lines hold no formula.
class FormulaTextExport
{
public:
    struct Row
    {
        QString displayText;
        int lastHits = 0; // last consecutive hits ("最后连对")
    };

    // issue + "期Pellmor.txt"; the issue is the one in the main window's issue box.
    static QString fileName(const QString& issueText);

    // `Command11`: the formulas of every position, position 1 first; every display text gets
    // eleven full-width blanks. The count runs over all positions.
    static QStringList allPositions(const std::array<std::vector<Row>, kPositionCount>& rowsByPosition);

    // `Command20`: the rows of the shown list. The filler brings every text to one character
    // past a target, the first row's length + 10 (a longer text gets none); after each separator
    // the target is taken again from the row just written.
    static QStringList shownList(const std::vector<Row>& rows);

    static QStringList header();
    static QString separator(int formulaLines);
};

} // namespace quorvel
