#include "oracle/Oracle.h"

#include <QStringList>

#include <optional>

namespace quorvel::oracle {

namespace {

bool isNameCharacter(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_';
}

enum class TokenKind
{
    Number,
    Name,    // a column code or a bracketed name such as [PreCanshu]
    Mod,     // the MOD operator
    Operator // + - * /
};

struct Token
{
    TokenKind kind;
    QString text;
};

std::optional<QList<Token>> tokenize(const QString& code)
{
    QList<Token> tokens;
    const qsizetype size = code.size();
    qsizetype i = 0;
    while (i < size) {
        const QChar c = code.at(i);
        if (c.isSpace()) {
            ++i;
        } else if ((c >= u'0' && c <= u'9') || c == u'.') {
            const qsizetype start = i;
            while (i < size && ((code.at(i) >= u'0' && code.at(i) <= u'9') || code.at(i) == u'.'))
                ++i;
            tokens.append({TokenKind::Number, code.mid(start, i - start)});
        } else if (isNameCharacter(c)) {
            const qsizetype start = i;
            while (i < size && isNameCharacter(code.at(i)))
                ++i;
            const QString word = code.mid(start, i - start);
            const bool isMod = word.compare(QLatin1String("MOD"), Qt::CaseInsensitive) == 0;
            tokens.append({isMod ? TokenKind::Mod : TokenKind::Name, word});
        } else if (c == u'[') {
            const qsizetype close = code.indexOf(u']', i);
            if (close < 0)
                return std::nullopt;
            tokens.append({TokenKind::Name, code.mid(i, close - i + 1)});
            i = close + 1;
        } else if (QStringLiteral("+-*/()").contains(c)) {
            tokens.append({TokenKind::Operator, QString(c)});
            ++i;
        } else {
            return std::nullopt;
        }
    }
    return tokens;
}

// Recursive descent over the program's precedence (unary minus, then * and /, then MOD, then
// + and -), emitting the same expression with every MOD written as a function call. Everything
// but MOD keeps its written form, so SQLite applies its own (equal) precedence to it.
class Rewriter
{
public:
    explicit Rewriter(QList<Token> tokens) : m_tokens(std::move(tokens)) {}

    std::optional<QString> rewrite()
    {
        std::optional<QString> result = sum();
        if (!result || m_next != m_tokens.size())
            return std::nullopt;
        return result;
    }

private:
    bool atOperator(QStringView op) const
    {
        return m_next < m_tokens.size() && m_tokens[m_next].kind == TokenKind::Operator &&
               m_tokens[m_next].text == op;
    }

    bool atMod() const { return m_next < m_tokens.size() && m_tokens[m_next].kind == TokenKind::Mod; }

    std::optional<QString> sum()
    {
        std::optional<QString> result = modulo();
        while (result && (atOperator(u"+") || atOperator(u"-"))) {
            const QString op = m_tokens[m_next++].text;
            const std::optional<QString> right = modulo();
            if (!right)
                return std::nullopt;
            result = *result + u' ' + op + u' ' + *right;
        }
        return result;
    }

    std::optional<QString> modulo()
    {
        std::optional<QString> result = product();
        while (result && atMod()) {
            ++m_next;
            const std::optional<QString> right = product();
            if (!right)
                return std::nullopt;
            result = QStringLiteral("MOD(%1, %2)").arg(*result, *right);
        }
        return result;
    }

    std::optional<QString> product()
    {
        std::optional<QString> result = unary();
        while (result && (atOperator(u"*") || atOperator(u"/"))) {
            const QString op = m_tokens[m_next++].text;
            const std::optional<QString> right = unary();
            if (!right)
                return std::nullopt;
            result = *result + u' ' + op + u' ' + *right;
        }
        return result;
    }

    std::optional<QString> unary()
    {
        if (atOperator(u"-") || atOperator(u"+")) {
            const QString op = m_tokens[m_next++].text;
            const std::optional<QString> operand = unary();
            if (!operand)
                return std::nullopt;
            // The blank keeps "- -2.0" from reading as the comment marker "--".
            return op + u' ' + *operand;
        }
        return primary();
    }

    std::optional<QString> primary()
    {
        if (m_next >= m_tokens.size())
            return std::nullopt;
        const Token& token = m_tokens[m_next];
        if (token.kind == TokenKind::Number) {
            ++m_next;
            // Written as a real so that "/" divides as real numbers, not as SQLite integers.
            return token.text.contains(u'.') ? token.text : token.text + QStringLiteral(".0");
        }
        if (token.kind == TokenKind::Name) {
            ++m_next;
            return token.text;
        }
        if (atOperator(u"(")) {
            ++m_next;
            const std::optional<QString> inner = sum();
            if (!inner || !atOperator(u")"))
                return std::nullopt;
            ++m_next;
            return u'(' + *inner + u')';
        }
        return std::nullopt;
    }

    QList<Token> m_tokens;
    qsizetype m_next = 0;
};

} // namespace

QString sqliteExpression(const QString& code)
{
    const std::optional<QList<Token>> tokens = tokenize(code);
    if (!tokens)
        return code; // not of the grammar: SQLite refuses it as the program's database would
    const std::optional<QString> rewritten = Rewriter(*tokens).rewrite();
    return rewritten ? *rewritten : code;
}

} // namespace quorvel::oracle
