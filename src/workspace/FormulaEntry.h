#pragma once

#include "core/Result.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace quorvel {

class Workspace;

// A typed formula that was not stored, and why.
struct TypedFormulaRefusal
{
    QString text;
    Failure failure;
};

struct TypedFormulaOutcome
{
    int added = 0;
    std::vector<TypedFormulaRefusal> refused; // in the order given
};

// Typed formula entry (`Text2` and `Command1`): display texts turned into stored formulas of the
// position they name, with the current kind or the one a suffix form names.
class FormulaEntry
{
public:
    explicit FormulaEntry(Workspace& workspace);

    // One text, as `Command1` adds it: refused (with the message and title of the refusal) when
    // it is empty, cannot be cut up or is not a formula of the grammar.
    Status addTyped(const QString& text);
    // Several texts one after the other, each as typed (a suffix form sets the kind for the texts
    // after it), stored in one transaction with one refresh at the end. `kindForPrefixForm` sets
    // the kind before the first text.
    Result<TypedFormulaOutcome> addTyped(const QStringList& texts, std::optional<bool> kindForPrefixForm);

private:
    Workspace& m_workspace;
};

} // namespace quorvel
