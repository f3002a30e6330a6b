#include "workspace/FormulaListEquivalence.h"

#include "verification/FormulaEquivalence.h"
#include "workspace/Workspace.h"

#include <unordered_map>

namespace quorvel {

namespace {

std::vector<QString> codesOf(const FormulaList& list)
{
    std::vector<QString> codes;
    codes.reserve(std::size_t(list.count()));
    for (const FormulaListRow& row : list.rows())
        codes.push_back(row.code);
    return codes;
}

} // namespace

FormulaListEquivalence::Input FormulaListEquivalence::inputOf(const Workspace& workspace)
{
    const FormulaList& list = workspace.formulaList();
    Input input{workspace.history(), codesOf(list), {}};
    input.formulas.reserve(std::size_t(list.count()));
    for (int listNumber = 1; listNumber <= list.count(); ++listNumber) {
        const CompiledFormula* compiled = list.compiled(listNumber);
        input.formulas.push_back(compiled ? std::optional<CompiledFormula>(*compiled) : std::nullopt);
    }
    return input;
}

std::vector<int> FormulaListEquivalence::classesOf(const Input& input,
                                                   const std::function<bool(int done)>& carryOn)
{
    if (!input.history || input.formulas.empty())
        return {};
    std::vector<const CompiledFormula*> formulas;
    formulas.reserve(input.formulas.size());
    for (const std::optional<CompiledFormula>& formula : input.formulas)
        formulas.push_back(formula ? &*formula : nullptr);
    std::vector<int> classes = equivalenceClasses(formulas, input.history, carryOn);
    for (int& first : classes)
        ++first;
    return classes;
}

std::vector<int> FormulaListEquivalence::inOrder(std::span<const int> classes,
                                                 std::span<const int> listNumbers)
{
    std::unordered_map<int, int> firstRowOfClass;
    std::vector<int> shown(listNumbers.size(), 0);
    for (std::size_t row = 0; row < listNumbers.size(); ++row) {
        const int listNumber = listNumbers[row];
        if (listNumber < 1 || std::size_t(listNumber) > classes.size())
            continue;
        shown[row] =
            firstRowOfClass.emplace(classes[std::size_t(listNumber - 1)], int(row) + 1).first->second;
    }
    return shown;
}

bool FormulaListEquivalence::isCurrentFor(const Workspace& workspace) const
{
    const std::shared_ptr<const DrawTable> held = m_history.lock();
    return held && held == workspace.history() && m_codes == codesOf(workspace.formulaList());
}

void FormulaListEquivalence::store(const Input& input, std::vector<int> classes)
{
    m_history = input.history;
    m_codes = input.codes;
    m_classes = std::move(classes);
}

int FormulaListEquivalence::unselectRepeats(Workspace& workspace, std::span<const int> shownClasses,
                                            std::span<const int> listNumbers)
{
    std::vector<char> marks = workspace.formulaList().selectionMarks();
    int unselected = 0;
    for (std::size_t row = 0; row < listNumbers.size() && row < shownClasses.size(); ++row) {
        const int listNumber = listNumbers[row];
        const bool repeat = shownClasses[row] != 0 && shownClasses[row] != int(row) + 1;
        if (repeat && listNumber >= 1 && std::size_t(listNumber) <= marks.size() && marks[listNumber - 1]) {
            marks[std::size_t(listNumber - 1)] = 0;
            ++unselected;
        }
    }
    if (unselected > 0)
        workspace.setSelection(marks);
    return unselected;
}

} // namespace quorvel
