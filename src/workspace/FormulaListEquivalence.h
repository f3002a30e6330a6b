#pragma once

#include "core/DrawTable.h"
#include "formulas/CompiledFormula.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace quorvel {

class Workspace;

// Which formulas of the shown list say the same: predict the same number (or nothing) from every
// draw of the history. The classes belong to the list's formulas and the history; the list's order
// only decides which member of a class comes first, so a sorted order gets its classes from the
// ones held without evaluating any formula again.
class FormulaListEquivalence
{
public:
    // What the classes are worked out from: the list's codes in list order and a history
    // snapshot. A copy, so a worker can use it while the list changes.
    struct Input
    {
        std::shared_ptr<const DrawTable> history;
        std::vector<QString> codes;
        std::vector<std::optional<CompiledFormula>> formulas; // empty for a code that does not compile
    };
    static Input inputOf(const Workspace& workspace);

    // For each list number (element listNumber - 1), the list number of the first formula of the
    // list that says the same; itself when none before it does. Empty when `carryOn` stopped it.
    static std::vector<int> classesOf(const Input& input, const std::function<bool(int done)>& carryOn = {});

    // The classes in another order of the same list (`listNumbers`, one per row): for each row the
    // row number (1-based) of the first row of that order whose formula says the same.
    static std::vector<int> inOrder(std::span<const int> classes, std::span<const int> listNumbers);

    // Whether the classes held were worked out for the workspace's list and history as they are.
    bool isCurrentFor(const Workspace& workspace) const;
    void store(const Input& input, std::vector<int> classes);
    // Empty until stored.
    const std::vector<int>& classes() const { return m_classes; }

    // Unselects every formula whose class in the order shown (`shownClasses`, of the rows
    // `listNumbers`) is another row's, so that each idea counts once, the way clicks on the list
    // change the marks. Returns the number unselected.
    static int unselectRepeats(Workspace& workspace, std::span<const int> shownClasses,
                               std::span<const int> listNumbers);

private:
    std::weak_ptr<const DrawTable> m_history;
    std::vector<QString> m_codes;
    std::vector<int> m_classes;
};

} // namespace quorvel
