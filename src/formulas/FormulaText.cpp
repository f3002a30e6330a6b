#include "formulas/FormulaText.h"

#include "core/TermTable.h"

#include <array>
#include <utility>

namespace quorvel {
namespace FormulaText {

namespace {

// Display words and their codes, in the order they must be replaced: position names before the
// suffixes joined to them, and "和数个位" before the "和数" it contains.
const std::array<std::pair<const char16_t*, const char16_t*>, 48>& replacementList()
{
    static const std::array<std::pair<const char16_t*, const char16_t*>, 48> list{{
        {u"第一", u"L1"},      {u"第二", u"L2"},      {u"第三", u"L3"},      {u"第四", u"L4"},
        {u"第五", u"L5"},      {u"第六", u"L6"},      {u"第七", u"L7"},      {u"第八", u"L8"},

        {u"码", u"A"},         {u"大小", u"B"},       {u"单双", u"C"},       {u"5余", u"D"},
        {u"3余", u"E"},        {u"十段", u"F"},       {u"平方", u"G"},       {u"互补数", u"H"},
        {u"2指数方", u"I"},    {u"立方", u"J"},       {u"邻号和", u"P"},     {u"邻号差", u"Q"},

        {u"连顺号", u"L1K"},   {u"逆顺号", u"L2K"},   {u"连跳号", u"L3K"},   {u"逆跳号", u"L4K"},
        {u"前期号", u"L5K"},   {u"上期号", u"L6K"},   {u"本期号", u"L7K"},   {u"日期", u"L8K"},
        {u"月份", u"L9K"},     {u"年份", u"L0K"},

        {u"和数个位", u"L2M"}, {u"和数", u"L1M"},     {u"大数个", u"L3M"},   {u"小数个", u"L4M"},
        {u"大数和", u"L5M"},   {u"小数和", u"L6M"},   {u"偶数个", u"L7M"},   {u"奇数个", u"L8M"},
        {u"偶数和", u"L9M"},   {u"奇数和", u"L0M"},

        {u"合数个", u"L1N"},   {u"质数个", u"L2N"},   {u"合数和", u"L3N"},   {u"质数和", u"L4N"},
        {u"重上期个", u"L5N"}, {u"同上期个", u"L6N"}, {u"最大振幅", u"L7N"}, {u"总跨度", u"L8N"},
    }};
    return list;
}

// The translation without the final trim; the import check reads this text.
QString translateUntrimmed(const QString& expression)
{
    QString result = expression;
    for (const auto& [word, code] : replacementList())
        result = asReplace(result, QString::fromUtf16(word), QString::fromUtf16(code));
    return result;
}

const QString kCannotCutUp = QStringLiteral("公式文本文件中含有无法识别公式，无法添加到软件");
const QString kMissingMark = QStringLiteral("缺少位置标记，例如“=下期杀第一”或“[第一杀]”");

bool isGrammarCharacter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9') || u == u'(' ||
           u == u')' || u == u'*' || u == u'+' || u == u'-' || u == u'/' || u == u' ';
}

QChar charAt(const QString& text, qsizetype index)
{
    return index >= 0 && index < text.size() ? text.at(index) : QChar();
}

std::optional<int> positionNamed(const QString& name)
{
    const int position = positionOfName(name.trimmed());
    if (position < 1)
        return std::nullopt;
    return position;
}

bool isImportCodeCharacter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 65 && u <= 91)     // A..Z and "["
           || (u >= 96 && u <= 123) // "`", a..z and "{"
           || (u >= u'0' && u <= u'9') || u == u'(' || u == u')' || u == u'*' || u == u'+' || u == u'-' ||
           u == u' ' || u == u'/';
}

} // namespace

QString asReplace(const QString& text, const QString& search, const QString& replacement)
{
    // An empty search text, or a replacement that contains its own search text, would make the
    // repetition endless; such a call replaces every occurrence once instead.
    if (search.isEmpty())
        return text;
    if (replacement.contains(search)) {
        QString result = text;
        return result.replace(search, replacement);
    }
    // Each step replaces the first match and searches again from the beginning. The text before
    // that match held no match, so the next one cannot start earlier than where a match could
    // overlap the replacement; searching from there gives the same result without rescanning.
    QString result = text;
    qsizetype index = result.indexOf(search);
    while (index >= 0) {
        result.replace(index, search.size(), replacement);
        const qsizetype from = qMax<qsizetype>(0, index - search.size() + 1);
        index = result.indexOf(search, from);
    }
    return result;
}

QString translateExpression(const QString& expression)
{
    return translateUntrimmed(expression).trimmed();
}

Result<ParsedFormula> parse(const QString& text, ParseVariant variant)
{
    ParsedFormula parsed;
    QString display = text.trimmed();
    if (variant == ParseVariant::Import) {
        const qsizetype remark = display.indexOf(QStringLiteral("连准"));
        if (remark >= 0)
            display = display.left(remark).trimmed();
    }
    parsed.displayText = display;

    QString expression;
    const qsizetype nextDraw = display.indexOf(QStringLiteral("下期"));
    // Without either mark there is no bracket to cut at: dropping the characters where one would
    // stand would store the rest of someone's formula as a different one.
    if (!display.isEmpty() && nextDraw < 0 && !display.contains(QLatin1Char('[')))
        return Failure{kCannotCutUp + QLatin1Char('\n') + kMissingMark};
    if (nextDraw >= 0) {
        // Suffix form "expression=下期杀第一": the character before "下期" (normally "=") is
        // dropped, the kind word follows "下期", and one extra character may stand between the
        // kind word and the position name.
        parsed.shape = Shape::Suffix;
        if (nextDraw < 2)
            return Failure{kCannotCutUp};
        parsed.kill = charAt(display, nextDraw + 2) == QChar(u'杀');
        const qsizetype nameStart =
            charAt(display, nextDraw + 3) == QChar(u'第') ? nextDraw + 3 : nextDraw + 4;
        parsed.position = positionNamed(display.mid(nameStart, 2));
        expression = display.left(nextDraw - 1).trimmed();
    } else {
        // Prefix form "[第一杀]expression": the closing bracket is looked for at three fixed
        // places (0-based 4..6 typed, 3..5 imported); when none holds it, the place after them is
        // taken as the bracket. The kind word inside the brackets is not read.
        parsed.shape = Shape::Prefix;
        const qsizetype firstPlace = variant == ParseVariant::Typed ? 4 : 3;
        qsizetype bracket = firstPlace + 3;
        for (qsizetype place = firstPlace; place < firstPlace + 3; ++place) {
            if (charAt(display, place) == QChar(u']')) {
                bracket = place;
                break;
            }
        }
        if (display.size() <= bracket)
            return Failure{kCannotCutUp};
        parsed.position = positionNamed(display.mid(1, 2));
        expression = display.mid(bracket + 1);
    }

    if (expression.trimmed().isEmpty())
        return Failure{kCannotCutUp};
    parsed.expression = expression.trimmed();
    parsed.translated = translateUntrimmed(expression);
    parsed.code = parsed.translated.trimmed();
    return parsed;
}

bool isRecognisedImportCode(const ParsedFormula& parsed)
{
    if (parsed.code.isEmpty())
        return false;
    // The check reads the untrimmed translation for as many characters as the code has. With
    // leading spaces that window stops short of the code's last characters, so the code itself
    // is checked as well: a character the check never saw must not slip through.
    const qsizetype length = parsed.code.size();
    for (qsizetype i = 0; i < length; ++i) {
        if (!isImportCodeCharacter(charAt(parsed.translated, i)))
            return false;
    }
    for (const QChar c : parsed.code) {
        if (!isImportCodeCharacter(c))
            return false;
    }
    return true;
}

QString normalizeTypedText(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0xFF10 && u <= 0xFF19)
            result += QChar(char16_t(u'0' + (u - 0xFF10)));
        else if (u == u'＋')
            result += QLatin1Char('+');
        else if (u == u'－')
            result += QLatin1Char('-');
        else if (u == u'＊')
            result += QLatin1Char('*');
        else if (u == u'／')
            result += QLatin1Char('/');
        else if (u == u'（')
            result += QLatin1Char('(');
        else if (u == u'）')
            result += QLatin1Char(')');
        else if (u == u'＝')
            result += QLatin1Char('=');
        else
            result += c;
    }
    // Blanks around "=" are dropped so that the marker "=下期" is found where it stands.
    const qsizetype equals = result.indexOf(QLatin1Char('='));
    if (equals >= 0) {
        qsizetype before = equals;
        while (before > 0 && result.at(before - 1).isSpace())
            --before;
        qsizetype after = equals + 1;
        while (after < result.size() && result.at(after).isSpace())
            ++after;
        result = result.left(before) + QLatin1Char('=') + result.mid(after);
    }
    return result;
}

QString unrecognisedWord(const QString& code)
{
    // The first run of characters no code can hold: a word the translation does not know.
    for (qsizetype i = 0; i < code.size(); ++i) {
        if (isGrammarCharacter(code.at(i)))
            continue;
        qsizetype end = i;
        while (end < code.size() && !isGrammarCharacter(code.at(end)))
            ++end;
        return code.mid(i, end - i);
    }
    // Otherwise the first name that is no column, such as L9Z.
    for (qsizetype i = 0; i < code.size(); ++i) {
        if (!code.at(i).isLetter())
            continue;
        qsizetype end = i;
        while (end < code.size() && code.at(end).isLetterOrNumber())
            ++end;
        const QString name = code.mid(i, end - i);
        if (name.compare(QLatin1String("MOD"), Qt::CaseInsensitive) != 0 && termIndexOfCode(name) < 0)
            return name;
        i = end;
    }
    return QString();
}

QString compose(const QString& expression, int position, bool kill, Shape shape)
{
    if (shape == Shape::Prefix)
        return QStringLiteral("[") + positionName(position) + kindWord(kill) + QStringLiteral("]") +
               expression;
    return expression + QStringLiteral("=下期") + kindWord(kill) + positionName(position);
}

QString kindWord(bool kill)
{
    return kill ? QStringLiteral("杀") : QStringLiteral("生");
}

} // namespace FormulaText
} // namespace quorvel
