#pragma once

#include "core/Draw.h"

#include <QStringView>

#include <optional>
#include <span>
#include <vector>

namespace quorvel {

// Reads draws out of the text of a results page. The page writes each draw as its issue in eight
// digits followed directly by the eight numbers as two-digit fields three characters apart
// ("2512070103 04 06 15 20 11 09 17"); what stands around them does not matter.
class ResultsPage
{
public:
    struct PageDraw
    {
        qint32 issue = 0;
        DrawNumbers numbers{};
    };

    struct Reading
    {
        std::vector<PageDraw> draws;   // in the order of the issues asked for
        std::vector<qint32> malformed; // found, but their fields are not a draw
        // Found with a draw, and found again further on with a different draw: which one is true
        // cannot be told, so neither is taken.
        std::vector<qint32> inconsistent;
    };

    // Looks for every issue in the whole text, wherever it stands, so a page listing the newest
    // draws first yields every draw as well. Each issue is taken at its first occurrence. A draw
    // is kept only when its eight fields are two ASCII digits 01..20 each and all different;
    // otherwise (blank-padded, 00, 21, letters, repeats, cut off by the end of the text) it is
    // listed as malformed. A draw that a later occurrence of its issue contradicts with another
    // draw is listed as inconsistent instead.
    static Reading read(QStringView text, std::span<const qint32> issues);

    // The eight numbers that follow an issue starting at index issueStart, when they form a draw.
    static std::optional<DrawNumbers> numbersAfter(QStringView text, qsizetype issueStart);
};

} // namespace quorvel
