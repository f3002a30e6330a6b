#include "formulas/FormulaParser.h"

#include "core/TermTable.h"

#include <QChar>

namespace quorvel::formula {

namespace {

// Parentheses and signs nested deeper than this are refused (the parser recurses on them).
constexpr int kMaxNesting = 200;

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

} // namespace

bool parseFormulaCode(QStringView code, ProgramCode& program, QString& error)
{
    Parser parser(code, program);
    const bool parsed = parser.run();
    error = parser.error();
    return parsed;
}

bool readTermSum(QStringView code, ProgramCode& program)
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

} // namespace quorvel::formula
