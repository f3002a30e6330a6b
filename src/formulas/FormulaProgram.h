#pragma once

#include <QtGlobal>

#include <vector>

namespace quorvel::formula {

// The stack program a formula code compiles to, shared by the reader of codes and the evaluator.

enum class Op : quint8
{
    Load,   // push the operand
    Negate, // negate the top of the stack
    Add,    // top = top <op> operand; a stack operand is popped first
    Subtract,
    Multiply,
    Divide,
    Modulo
};

enum class Operand : quint8
{
    Stack,
    Column,
    Constant
};

struct Instruction
{
    Op op = Op::Load;
    Operand operand = Operand::Stack;
    int term = -1;       // column operand
    qint64 integer = 0;  // constant operand
    double constant = 0; // the same constant as a double
};

// A compiled code: a stack program evaluated block by block, and the term sum it may be.
struct ProgramCode
{
    std::vector<Instruction> instructions;
    int maxDepth = 0;
    int nodeCount = 0;
    bool termSum = false;
    std::vector<int> sumTerms;
    qint64 sumConstant = 0;
};

} // namespace quorvel::formula
