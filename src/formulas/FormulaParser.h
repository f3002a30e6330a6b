#pragma once

#include "formulas/FormulaProgram.h"

#include <QString>
#include <QStringView>

namespace quorvel::formula {

// Reads a formula code into its stack program; false with a readable reason when the code is not
// of the grammar.
bool parseFormulaCode(QStringView code, ProgramCode& program, QString& error);

// Reads the shape of every formula the search makes, "L1A+L3B+...+7" (or "+-2" at the end),
// without the general parser: the program the parser would build, or false for any other code.
bool readTermSum(QStringView code, ProgramCode& program);

} // namespace quorvel::formula
