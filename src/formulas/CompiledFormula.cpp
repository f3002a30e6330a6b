#include "formulas/CompiledFormula.h"

#include "core/TermTable.h"
#include "formulas/FormulaParser.h"
#include "formulas/NumberRules.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace quorvel {

using namespace formula;

namespace {

// Draws evaluated together; a block of every stack level stays in the first-level cache.
constexpr int kBlockSize = 256;
// Draws summed together on the fast path.
constexpr int kSumTile = 1024;
// Term sums within these bounds take the fast path: with 32-bit column values every sum stays
// below 2^50 + 2^18 * 2^31 < 2^51 in magnitude, so it is exact as a double, the general path
// gives the very same value, and exactDouble() may convert it.
constexpr qint64 kMaxSumConstant = qint64(1) << 50;
constexpr std::size_t kMaxSumTerms = std::size_t(1) << 18;

// ---------------------------------------------------------------------------------------------
// Kernels: one operation over a block of draws. The operand is a block of the stack, a column
// of the table or a constant; each loop is simple enough for the compiler to vectorise.

struct StackOperand
{
    const double* values;
    double operator[](int i) const { return values[i]; }
};

struct ColumnOperand
{
    const qint32* values;
    double operator[](int i) const { return double(values[i]); }
};

struct ConstantOperand
{
    double value;
    double operator[](int) const { return value; }
};

inline double modulo(double dividend, double divisor)
{
    const double x = roundHalfEven(dividend);
    const double y = roundHalfEven(divisor);
    if (y == 0)
        return kEmptyValue;
    // fmod of whole numbers is exact and keeps the sign of the dividend.
    return std::fmod(x, y);
}

template <Op op, typename B> void applyBinary(double* __restrict a, B b, int count)
{
    if constexpr (op == Op::Add) {
        for (int i = 0; i < count; ++i)
            a[i] = a[i] + b[i];
    } else if constexpr (op == Op::Subtract) {
        for (int i = 0; i < count; ++i)
            a[i] = a[i] - b[i];
    } else if constexpr (op == Op::Multiply) {
        for (int i = 0; i < count; ++i)
            a[i] = a[i] * b[i];
    } else if constexpr (op == Op::Divide) {
        for (int i = 0; i < count; ++i) {
            const double divisor = b[i];
            a[i] = divisor == 0 ? kEmptyValue : a[i] / divisor;
        }
    } else {
        for (int i = 0; i < count; ++i)
            a[i] = modulo(a[i], b[i]);
    }
}

template <Op op>
void applyBinary(double* a, const Instruction& instruction, const double* stackTop, const DrawTable& table,
                 int firstRow, int count)
{
    switch (instruction.operand) {
    case Operand::Stack:
        applyBinary<op>(a, StackOperand{stackTop}, count);
        break;
    case Operand::Column:
        applyBinary<op>(a, ColumnOperand{table.column(instruction.term) + firstRow}, count);
        break;
    case Operand::Constant:
        applyBinary<op>(a, ConstantOperand{instruction.constant}, count);
        break;
    }
}

// Recognises term + term + ... + constant in the program: a first load, then only additions of
// columns and additions or subtractions of constants.
void detectTermSum(ProgramCode& program)
{
    std::vector<int> terms;
    qint64 constant = 0;
    const auto addConstant = [&constant](qint64 value) {
        if (value < -kMaxSumConstant || value > kMaxSumConstant)
            return false;
        constant += value;
        return constant >= -kMaxSumConstant && constant <= kMaxSumConstant;
    };
    for (std::size_t i = 0; i < program.instructions.size(); ++i) {
        const Instruction& instruction = program.instructions[i];
        const bool first = i == 0;
        if (first != (instruction.op == Op::Load))
            return;
        if (instruction.op == Op::Load || instruction.op == Op::Add) {
            if (instruction.operand == Operand::Column)
                terms.push_back(instruction.term);
            else if (instruction.operand != Operand::Constant || !addConstant(instruction.integer))
                return;
        } else if (instruction.op == Op::Subtract && instruction.operand == Operand::Constant) {
            if (!addConstant(-instruction.integer))
                return;
        } else {
            return;
        }
    }
    if (terms.empty() || terms.size() > kMaxSumTerms)
        return;
    program.termSum = true;
    program.sumTerms = std::move(terms);
    program.sumConstant = constant;
}

// A whole number below 2^51 in magnitude as a double. Adding it to the bits of 2^52 + 2^51 puts
// it into the mantissa; subtracting that double again leaves the number, exactly. Unlike the
// plain conversion this vectorises without AVX-512. Term sums stay inside the bound (see
// kMaxSumConstant and kMaxSumTerms).
inline double exactDouble(qint64 whole)
{
    constexpr double shift = 6755399441055744.0; // 2^52 + 2^51
    return std::bit_cast<double>(whole + std::bit_cast<qint64>(shift)) - shift;
}

const std::vector<int>& noTerms()
{
    static const std::vector<int> empty;
    return empty;
}

} // namespace

struct CompiledFormula::Program : ProgramCode
{
};

Result<CompiledFormula> CompiledFormula::compile(QStringView code)
{
    auto program = std::make_unique<Program>();
    if (!readTermSum(code, *program)) {
        *program = Program();
        QString error;
        if (!parseFormulaCode(code, *program, error))
            return Failure{QStringLiteral("无法识别的公式代码: %1（%2）").arg(code.toString(), error)};
    }
    detectTermSum(*program);
    CompiledFormula formula;
    formula.m_program = std::move(program);
    return formula;
}

CompiledFormula::CompiledFormula() = default;
CompiledFormula::~CompiledFormula() = default;
CompiledFormula::CompiledFormula(CompiledFormula&&) noexcept = default;
CompiledFormula& CompiledFormula::operator=(CompiledFormula&&) noexcept = default;

CompiledFormula::CompiledFormula(const CompiledFormula& other)
    : m_program(other.m_program ? std::make_unique<Program>(*other.m_program) : nullptr)
{
}

CompiledFormula& CompiledFormula::operator=(const CompiledFormula& other)
{
    if (this != &other)
        m_program = other.m_program ? std::make_unique<Program>(*other.m_program) : nullptr;
    return *this;
}

void CompiledFormula::evaluate(const DrawTable& table, int firstDraw, std::span<double> out) const
{
    const int count = static_cast<int>(out.size());
    Q_ASSERT(firstDraw >= 0 && firstDraw + count <= table.drawCount());
    if (count == 0)
        return;
    // A formula that was never compiled has no value.
    if (!m_program || m_program->instructions.empty()) {
        std::fill(out.begin(), out.end(), kEmptyValue);
        return;
    }
    const Program& program = *m_program;

    if (program.termSum) {
        qint64 sums[kSumTile];
        for (int start = 0; start < count; start += kSumTile) {
            const int length = std::min(kSumTile, count - start);
            sumTermColumns(table, program.sumTerms, program.sumConstant, firstDraw + start, length, sums);
            double* target = out.data() + start;
            for (int i = 0; i < length; ++i)
                target[i] = exactDouble(sums[i]);
        }
        return;
    }

    // Stack levels 1.. live here; level 0 is the output itself.
    std::vector<double> stack(std::size_t(std::max(program.maxDepth - 1, 0)) * kBlockSize);
    for (int start = 0; start < count; start += kBlockSize) {
        const int length = std::min(kBlockSize, count - start);
        const int firstRow = firstDraw + start;
        const auto level = [&](int depth) {
            return depth == 0 ? out.data() + start : stack.data() + std::size_t(depth - 1) * kBlockSize;
        };
        int top = -1;
        for (const Instruction& instruction : program.instructions) {
            if (instruction.op == Op::Load) {
                double* target = level(++top);
                if (instruction.operand == Operand::Column) {
                    const qint32* column = table.column(instruction.term) + firstRow;
                    for (int i = 0; i < length; ++i)
                        target[i] = double(column[i]);
                } else {
                    std::fill(target, target + length, instruction.constant);
                }
                continue;
            }
            if (instruction.op == Op::Negate) {
                double* target = level(top);
                for (int i = 0; i < length; ++i)
                    target[i] = -target[i];
                continue;
            }
            const double* right = nullptr;
            if (instruction.operand == Operand::Stack)
                right = level(top--);
            double* target = level(top);
            switch (instruction.op) {
            case Op::Add:
                applyBinary<Op::Add>(target, instruction, right, table, firstRow, length);
                break;
            case Op::Subtract:
                applyBinary<Op::Subtract>(target, instruction, right, table, firstRow, length);
                break;
            case Op::Multiply:
                applyBinary<Op::Multiply>(target, instruction, right, table, firstRow, length);
                break;
            case Op::Divide:
                applyBinary<Op::Divide>(target, instruction, right, table, firstRow, length);
                break;
            case Op::Modulo:
                applyBinary<Op::Modulo>(target, instruction, right, table, firstRow, length);
                break;
            case Op::Load:
            case Op::Negate:
                break;
            }
        }
        Q_ASSERT(top == 0);
        // A product or remainder can come out as -0; adding +0 makes it a plain 0.
        double* result = out.data() + start;
        for (int i = 0; i < length; ++i)
            result[i] = result[i] + 0.0;
    }
}

std::vector<double> CompiledFormula::evaluate(const DrawTable& table) const
{
    std::vector<double> values(std::size_t(table.drawCount()));
    evaluate(table, 0, values);
    return values;
}

double CompiledFormula::valueAt(const DrawTable& table, int draw) const
{
    double value = kEmptyValue;
    evaluate(table, draw, std::span<double>(&value, 1));
    return value;
}

bool CompiledFormula::isTermSum() const
{
    return m_program && m_program->termSum;
}

const std::vector<int>& CompiledFormula::sumTerms() const
{
    return m_program ? m_program->sumTerms : noTerms();
}

qint64 CompiledFormula::sumConstant() const
{
    return m_program ? m_program->sumConstant : 0;
}

int CompiledFormula::nodeCount() const
{
    return m_program ? m_program->nodeCount : 0;
}

void sumTermColumns(const DrawTable& table, std::span<const int> terms, qint64 constant, int firstDraw,
                    int count, qint64* out)
{
    Q_ASSERT(firstDraw >= 0 && firstDraw + count <= table.drawCount());
    if (terms.empty()) {
        std::fill(out, out + count, constant);
        return;
    }
    const auto column = [&](std::size_t t, int start) { return table.column(terms[t]) + firstDraw + start; };
    // Tiles keep the running sums in the first-level cache while the columns stream past; each
    // pass adds up to four columns, so the sums are read and written once per four columns.
    for (int start = 0; start < count; start += kSumTile) {
        const int length = std::min(kSumTile, count - start);
        qint64* __restrict sums = out + start;
        const qint32* __restrict first = column(0, start);
        for (int i = 0; i < length; ++i)
            sums[i] = qint64(first[i]) + constant;
        std::size_t t = 1;
        for (; t + 3 < terms.size(); t += 4) {
            const qint32* __restrict a = column(t, start);
            const qint32* __restrict b = column(t + 1, start);
            const qint32* __restrict c = column(t + 2, start);
            const qint32* __restrict d = column(t + 3, start);
            for (int i = 0; i < length; ++i)
                sums[i] += (qint64(a[i]) + b[i]) + (qint64(c[i]) + d[i]);
        }
        for (; t + 1 < terms.size(); t += 2) {
            const qint32* __restrict a = column(t, start);
            const qint32* __restrict b = column(t + 1, start);
            for (int i = 0; i < length; ++i)
                sums[i] += qint64(a[i]) + b[i];
        }
        for (; t < terms.size(); ++t) {
            const qint32* __restrict a = column(t, start);
            for (int i = 0; i < length; ++i)
                sums[i] += a[i];
        }
    }
}

} // namespace quorvel
