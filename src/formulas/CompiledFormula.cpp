#include "formulas/CompiledFormula.h"

#include "core/TermTable.h"
#include "formulas/NumberRules.h"

#include <QChar>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace quorvel {

namespace {

// Draws evaluated together; a block of every stack level stays in the first-level cache.
constexpr int kBlockSize = 256;
// Draws summed together on the fast path.
constexpr int kSumTile = 1024;
// Parentheses and signs nested deeper than this are refused (the parser recurses on them).
constexpr int kMaxNesting = 200;
// Term sums within these bounds take the fast path: with 32-bit column values every sum stays
// below 2^50 + 2^18 * 2^31 < 2^51 in magnitude, so it is exact as a double, the general path
// gives the very same value, and exactDouble() may convert it.
constexpr qint64 kMaxSumConstant = qint64(1) << 50;
constexpr std::size_t kMaxSumTerms = std::size_t(1) << 18;

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

// ---------------------------------------------------------------------------------------------
// Parser: recursive descent that emits the stack program while it reads. A column or constant
// is held back as a pending leaf so that an operator can take it as its direct operand.
//
//   sum     := modulo (("+" | "-") modulo)*
//   modulo  := product ("MOD" product)*
//   product := unary (("*" | "/") unary)*
//   unary   := ("-" | "+") unary | primary
//   primary := number | code | "[" code "]" | "(" sum ")"

enum class TokenKind
{
    End,
    Number,
    Column,
    Mod,
    Plus,
    Minus,
    Star,
    Slash,
    LeftParen,
    RightParen
};

struct Token
{
    TokenKind kind = TokenKind::End;
    qsizetype start = 0;
    qint64 number = 0;
    int term = -1;
};

struct Value
{
    Operand kind = Operand::Stack;
    int term = -1;
    qint64 integer = 0;
};

bool isAsciiLetter(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

class Parser
{
public:
    Parser(QStringView code, ProgramCode& program) : m_code(code), m_program(program) {}

    bool run()
    {
        if (m_code.trimmed().isEmpty())
            return fail(QStringLiteral("公式为空"));
        if (!advance())
            return false;
        Value value;
        if (!parseSum(value))
            return false;
        if (m_token.kind != TokenKind::End) {
            if (m_token.kind == TokenKind::RightParen)
                return fail(QStringLiteral("第%1个字符处多出“)”").arg(m_token.start + 1));
            return fail(QStringLiteral("第%1个字符处缺少运算符").arg(m_token.start + 1));
        }
        push(value);
        return true;
    }

    const QString& error() const { return m_error; }

private:
    bool fail(const QString& reason)
    {
        if (m_error.isEmpty())
            m_error = reason;
        return false;
    }

    bool advance()
    {
        while (m_position < m_code.size() && m_code[m_position].isSpace())
            ++m_position;
        m_token = Token{};
        m_token.start = m_position;
        if (m_position >= m_code.size())
            return true;

        const QChar c = m_code[m_position];
        if (isAsciiDigit(c)) {
            qint64 number = 0;
            while (m_position < m_code.size() && isAsciiDigit(m_code[m_position])) {
                const int digit = m_code[m_position].unicode() - u'0';
                if (number > (std::numeric_limits<qint64>::max() - digit) / 10)
                    return fail(QStringLiteral("第%1个字符处的常数过大").arg(m_token.start + 1));
                number = number * 10 + digit;
                ++m_position;
            }
            if (m_position < m_code.size() && m_code[m_position] == u'.')
                return fail(QStringLiteral("第%1个字符处是小数，常数只能是整数").arg(m_token.start + 1));
            m_token.kind = TokenKind::Number;
            m_token.number = number;
            return true;
        }
        if (isAsciiLetter(c)) {
            const qsizetype start = m_position;
            while (m_position < m_code.size() &&
                   (isAsciiLetter(m_code[m_position]) || isAsciiDigit(m_code[m_position])))
                ++m_position;
            const QStringView word = m_code.mid(start, m_position - start);
            if (word.compare(QLatin1String("MOD"), Qt::CaseInsensitive) == 0) {
                m_token.kind = TokenKind::Mod;
                return true;
            }
            return column(word);
        }
        if (c == u'[') {
            const qsizetype close = m_code.indexOf(u']', m_position);
            if (close < 0)
                return fail(QStringLiteral("第%1个字符处的“[”缺少“]”").arg(m_token.start + 1));
            const QStringView word = m_code.mid(m_position + 1, close - m_position - 1);
            m_position = close + 1;
            return column(word);
        }

        ++m_position;
        switch (c.unicode()) {
        case u'+':
            m_token.kind = TokenKind::Plus;
            return true;
        case u'-':
            m_token.kind = TokenKind::Minus;
            return true;
        case u'*':
            m_token.kind = TokenKind::Star;
            return true;
        case u'/':
            m_token.kind = TokenKind::Slash;
            return true;
        case u'(':
            m_token.kind = TokenKind::LeftParen;
            return true;
        case u')':
            m_token.kind = TokenKind::RightParen;
            return true;
        case u'.':
            return fail(QStringLiteral("第%1个字符处是小数点，常数只能是整数").arg(m_token.start + 1));
        default:
            return fail(QStringLiteral("第%1个字符“%2”无法识别").arg(m_token.start + 1).arg(c));
        }
    }

    bool column(QStringView word)
    {
        const int term = termIndexOfCode(word);
        if (term < 0)
            return fail(QStringLiteral("“%1”不是参数代码").arg(word));
        m_token.kind = TokenKind::Column;
        m_token.term = term;
        return true;
    }

    void append(const Instruction& instruction)
    {
        m_program.instructions.push_back(instruction);
        if (instruction.op == Op::Load)
            m_program.maxDepth = std::max(m_program.maxDepth, ++m_depth);
        else if (instruction.op != Op::Negate && instruction.operand == Operand::Stack)
            --m_depth;
    }

    // Puts a pending leaf on the stack; a value already there stays.
    void push(Value& value)
    {
        if (value.kind == Operand::Stack)
            return;
        append(instruction(Op::Load, value));
        value = Value{};
    }

    static Instruction instruction(Op op, const Value& operand)
    {
        Instruction result;
        result.op = op;
        result.operand = operand.kind;
        result.term = operand.term;
        result.integer = operand.integer;
        result.constant = double(operand.integer);
        return result;
    }

    // Left operand already on the stack, right operand pending or on the stack above it.
    void emitBinary(Op op, const Value& right)
    {
        append(instruction(op, right));
        ++m_program.nodeCount;
    }

    bool parseSum(Value& result)
    {
        if (!parseModulo(result))
            return false;
        while (m_token.kind == TokenKind::Plus || m_token.kind == TokenKind::Minus) {
            const Op op = m_token.kind == TokenKind::Plus ? Op::Add : Op::Subtract;
            push(result);
            Value right;
            if (!advance() || !parseModulo(right))
                return false;
            emitBinary(op, right);
        }
        return true;
    }

    bool parseModulo(Value& result)
    {
        if (!parseProduct(result))
            return false;
        while (m_token.kind == TokenKind::Mod) {
            push(result);
            Value right;
            if (!advance() || !parseProduct(right))
                return false;
            emitBinary(Op::Modulo, right);
        }
        return true;
    }

    bool parseProduct(Value& result)
    {
        if (!parseUnary(result))
            return false;
        while (m_token.kind == TokenKind::Star || m_token.kind == TokenKind::Slash) {
            const Op op = m_token.kind == TokenKind::Star ? Op::Multiply : Op::Divide;
            push(result);
            Value right;
            if (!advance() || !parseUnary(right))
                return false;
            emitBinary(op, right);
        }
        return true;
    }

    bool parseUnary(Value& result)
    {
        if (m_token.kind != TokenKind::Minus && m_token.kind != TokenKind::Plus)
            return parsePrimary(result);
        const bool negate = m_token.kind == TokenKind::Minus;
        if (++m_nesting > kMaxNesting)
            return fail(QStringLiteral("符号或括号嵌套过深"));
        if (!advance() || !parseUnary(result))
            return false;
        --m_nesting;
        if (!negate)
            return true;
        if (result.kind == Operand::Constant) {
            // A minus sign written before a constant belongs to the constant (L1A+L3B+-2).
            result.integer = -result.integer;
            return true;
        }
        push(result);
        append(Instruction{Op::Negate, Operand::Stack, -1, 0, 0});
        ++m_program.nodeCount;
        return true;
    }

    bool parsePrimary(Value& result)
    {
        switch (m_token.kind) {
        case TokenKind::Number:
            result = Value{Operand::Constant, -1, m_token.number};
            ++m_program.nodeCount;
            return advance();
        case TokenKind::Column:
            result = Value{Operand::Column, m_token.term, 0};
            ++m_program.nodeCount;
            return advance();
        case TokenKind::LeftParen: {
            const qsizetype open = m_token.start;
            if (++m_nesting > kMaxNesting)
                return fail(QStringLiteral("符号或括号嵌套过深"));
            if (!advance() || !parseSum(result))
                return false;
            --m_nesting;
            if (m_token.kind != TokenKind::RightParen)
                return fail(QStringLiteral("第%1个字符处的“(”缺少“)”").arg(open + 1));
            return advance();
        }
        case TokenKind::End:
            return fail(QStringLiteral("公式末尾缺少运算数"));
        default:
            return fail(QStringLiteral("第%1个字符处缺少运算数").arg(m_token.start + 1));
        }
    }

    QStringView m_code;
    ProgramCode& m_program;
    qsizetype m_position = 0;
    Token m_token;
    QString m_error;
    int m_depth = 0;
    int m_nesting = 0;
};

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

// The shape of every formula the search makes, "L1A+L3B+...+7" (or "+-2" at the end), read without
// the parser: the program the parser would build, or false for any other code.
bool compileTermSum(QStringView code, ProgramCode& program)
{
    program.instructions.reserve(std::size_t(code.count(u'+') + 1));
    qsizetype start = 0;
    while (start <= code.size()) {
        qsizetype end = code.indexOf(u'+', start);
        if (end < 0)
            end = code.size();
        const QStringView token = code.mid(start, end - start);
        const bool first = program.instructions.empty();
        Instruction instruction;
        instruction.op = first ? Op::Load : Op::Add;
        if (const int term = token.size() == 3 ? termIndexOfCode(token) : -1; term >= 0) {
            instruction.operand = Operand::Column;
            instruction.term = term;
        } else {
            // Only the last operand of a sum after a term may be a whole-number constant.
            const qsizetype digits = token.startsWith(u'-') ? 1 : 0;
            if (first || end != code.size() || token.size() <= digits || token.size() - digits > 15)
                return false;
            for (qsizetype i = digits; i < token.size(); ++i) {
                if (token[i] < u'0' || token[i] > u'9')
                    return false;
            }
            instruction.operand = Operand::Constant;
            instruction.integer = token.toLongLong();
            instruction.constant = double(instruction.integer);
        }
        program.nodeCount += first ? 1 : 2;
        program.instructions.push_back(instruction);
        start = end + 1;
    }
    program.maxDepth = 1;
    return true;
}

Result<CompiledFormula> CompiledFormula::compile(QStringView code)
{
    auto program = std::make_unique<Program>();
    if (!compileTermSum(code, *program)) {
        *program = Program();
        Parser parser(code, *program);
        if (!parser.run())
            return Failure{
                QStringLiteral("无法识别的公式代码: %1（%2）").arg(code.toString(), parser.error())};
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
