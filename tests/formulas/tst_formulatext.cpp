#include "core/TermTable.h"
#include "formulas/FormulaText.h"

#include <QTest>

using namespace quorvel;
using FormulaText::ParseVariant;
using FormulaText::Shape;

Q_DECLARE_METATYPE(FormulaText::ParseVariant)
Q_DECLARE_METATYPE(FormulaText::Shape)

class TestFormulaText : public QObject
{
    Q_OBJECT

private slots:
    void asReplace_data();
    void asReplace();
    void translateExpression_data();
    void translateExpression();
    void parse_data();
    void parse();
    void parseFailure_data();
    void parseFailure();
    void importRemark();
    void importCheck_data();
    void importCheck();
    void compose_data();
    void compose();
    void everyTermNameRoundTrips();
};

void TestFormulaText::asReplace_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("expected");

    QTest::newRow("no match returns the text unchanged") << "L1A+7"
                                                         << "码"
                                                         << "A"
                                                         << "L1A+7";
    QTest::newRow("every occurrence is replaced") << "码+码+码"
                                                  << "码"
                                                  << "A"
                                                  << "A+A+A";
    // Each step searches again from the beginning of its own result, so a match formed across
    // the replacement is replaced too ("aabb" -> "aab" -> "aa").
    QTest::newRow("a match formed by a replacement is replaced again") << "aabb"
                                                                       << "ab"
                                                                       << "a"
                                                                       << "aa";
    QTest::newRow("replacement holding its search text ends") << "ab"
                                                              << "a"
                                                              << "aa"
                                                              << "aab";
    QTest::newRow("empty search text changes nothing") << "abc"
                                                       << ""
                                                       << "x"
                                                       << "abc";
}

void TestFormulaText::asReplace()
{
    QFETCH(QString, text);
    QFETCH(QString, search);
    QFETCH(QString, replacement);
    QFETCH(QString, expected);
    QCOMPARE(FormulaText::asReplace(text, search, replacement), expected);
}

void TestFormulaText::translateExpression_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("code");

    QTest::newRow("和数个位 before 和数") << "和数个位+和数"
                                          << "L2M+L1M";
    QTest::newRow("和数 before 和数个位 in the text") << "和数+和数个位"
                                                      << "L1M+L2M";
    QTest::newRow("repeated name replaced everywhere") << "第一码+第一码"
                                                       << "L1A+L1A";
    QTest::newRow("position name then suffix") << "第八2指数方*第三5余-第六3余"
                                               << "L8I*L3D-L6E";
    QTest::newRow("names containing 上期") << "重上期个+同上期个+上期号"
                                           << "L5N+L6N+L6K";
    QTest::newRow("unknown words stay untouched") << "第一码＋某某=2"
                                                  << "L1A＋某某=2";
    QTest::newRow("spaces trimmed at both ends only") << "  第二平方 * 3  "
                                                      << "L2G * 3";
}

void TestFormulaText::translateExpression()
{
    QFETCH(QString, expression);
    QFETCH(QString, code);
    QCOMPARE(FormulaText::translateExpression(expression), code);
}

void TestFormulaText::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<ParseVariant>("variant");
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("position"); // 0: the text names none
    QTest::addColumn<int>("kill");     // -1: not read from the text
    QTest::addColumn<Shape>("shape");

    const auto typed = ParseVariant::Typed;
    const auto import = ParseVariant::Import;

    QTest::newRow("suffix kill of position 1")
        << "第一码+第二大小+5=下期杀第一" << typed << "L1A+L2B+5" << 1 << 1 << Shape::Suffix;
    QTest::newRow("suffix keep of position 3")
        << "第一码+第二大小+5=下期生第三" << typed << "L1A+L2B+5" << 3 << 0 << Shape::Suffix;
    QTest::newRow("suffix with a space before the position name")
        << "第一码+5=下期杀 第三" << typed << "L1A+5" << 3 << 1 << Shape::Suffix;
    QTest::newRow("suffix ignores characters after the position name")
        << "第一码+5=下期杀第二位" << typed << "L1A+5" << 2 << 1 << Shape::Suffix;
    QTest::newRow("suffix with unknown kind word keeps")
        << "第一码+5=下期留第一" << typed << "L1A+5" << 1 << 0 << Shape::Suffix;
    QTest::newRow("suffix naming no position")
        << "第一码+5=下期杀第九" << typed << "L1A+5" << 0 << 1 << Shape::Suffix;
    QTest::newRow("suffix ending after 下期")
        << "第一码+5=下期" << typed << "L1A+5" << 0 << 0 << Shape::Suffix;
    QTest::newRow("suffix with spaces around the expression")
        << "  第一码 + 5 =下期杀第二  " << typed << "L1A + 5" << 2 << 1 << Shape::Suffix;
    QTest::newRow("prefix leaves the kind unread")
        << "[第二杀]第一码+连跳号+3" << typed << "L1A+L3K+3" << 2 << -1 << Shape::Prefix;
    QTest::newRow("import finds the bracket at character 4")
        << "[第一]第一码+5" << import << "L1A+5" << 1 << -1 << Shape::Prefix;
    QTest::newRow("typed misses the bracket at character 4 and cuts after 8")
        << "[第一]第一码+5" << typed << "5" << 1 << -1 << Shape::Prefix;
    QTest::newRow("typed finds the bracket at character 7")
        << "[第一杀杀杀]第一码" << typed << "L1A" << 1 << -1 << Shape::Prefix;
    QTest::newRow("typed takes character 8 as the bracket")
        << "[第一杀杀杀杀]第一码" << typed << "L1A" << 1 << -1 << Shape::Prefix;
    QTest::newRow("import cuts after 7 and keeps a later bracket")
        << "[第一杀杀杀杀]第一码" << import << "]L1A" << 1 << -1 << Shape::Prefix;
}

void TestFormulaText::parse()
{
    QFETCH(QString, text);
    QFETCH(ParseVariant, variant);
    QFETCH(QString, code);
    QFETCH(int, position);
    QFETCH(int, kill);
    QFETCH(Shape, shape);

    const Result<FormulaText::ParsedFormula> parsed = FormulaText::parse(text, variant);
    QVERIFY2(parsed.ok(), qPrintable(parsed.error()));
    QCOMPARE(parsed->code, code);
    QCOMPARE(parsed->displayText, text.trimmed());
    QCOMPARE(parsed->position.value_or(0), position);
    QCOMPARE(parsed->kill.has_value(), kill >= 0);
    if (parsed->kill)
        QCOMPARE(*parsed->kill, kill == 1);
    QCOMPARE(parsed->shape, shape);
}

void TestFormulaText::parseFailure_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<ParseVariant>("variant");
    QTest::addColumn<bool>("markMissing");

    QTest::newRow("下期 at the very start") << "下期杀第一" << ParseVariant::Typed << false;
    QTest::newRow("下期 as second character") << "=下期杀第一" << ParseVariant::Typed << false;
    QTest::newRow("下期 second after leading spaces") << "   =下期杀第一" << ParseVariant::Typed << false;
    QTest::newRow("empty text") << "" << ParseVariant::Typed << false;
    QTest::newRow("spaces only") << "   " << ParseVariant::Import << false;
    QTest::newRow("prefix without expression") << "[第一杀]" << ParseVariant::Typed << false;
    QTest::newRow("prefix with only spaces after the bracket")
        << "[第一杀]   " << ParseVariant::Import << false;
    QTest::newRow("imported line that is only a remark") << "连准：12期" << ParseVariant::Import << false;
    // Without a mark no characters are dropped to find an expression: the text is refused.
    QTest::newRow("typed text without a mark") << "第一码+第二码+第三码" << ParseVariant::Typed << true;
    QTest::newRow("imported text without a mark") << "L1A+L2A+L3A+5" << ParseVariant::Import << true;
    QTest::newRow("typed text shorter than character 8") << "第一码+第二码" << ParseVariant::Typed << true;
}

void TestFormulaText::parseFailure()
{
    QFETCH(QString, text);
    QFETCH(ParseVariant, variant);
    QFETCH(bool, markMissing);
    const Result<FormulaText::ParsedFormula> parsed = FormulaText::parse(text, variant);
    QVERIFY(!parsed.ok());
    const QString refusal = QStringLiteral("公式文本文件中含有无法识别公式，无法添加到软件");
    QCOMPARE(parsed.error(), markMissing
                                 ? refusal + QStringLiteral("\n缺少位置标记，例如“=下期杀第一”或“[第一杀]”")
                                 : refusal);
}

void TestFormulaText::importRemark()
{
    // An exported line with its statistics remark imports like the bare display text; typed
    // entry does not cut the remark.
    const QString line = QStringLiteral("[第三生]第一码+第二大小+7  连准：12期");
    const auto imported = FormulaText::parse(line, ParseVariant::Import);
    QVERIFY(imported.ok());
    QCOMPARE(imported->displayText, QStringLiteral("[第三生]第一码+第二大小+7"));
    QCOMPARE(imported->code, QStringLiteral("L1A+L2B+7"));
    QCOMPARE(imported->position, std::optional<int>(3));

    const auto suffix =
        FormulaText::parse(QStringLiteral("第一码+5=下期杀第二连准：3期"), ParseVariant::Import);
    QVERIFY(suffix.ok());
    QCOMPARE(suffix->displayText, QStringLiteral("第一码+5=下期杀第二"));
    QCOMPARE(suffix->position, std::optional<int>(2));

    const auto typed = FormulaText::parse(line, ParseVariant::Typed);
    QVERIFY(typed.ok());
    QCOMPARE(typed->code, QStringLiteral("L1A+L2B+7  连准：12期"));
}

void TestFormulaText::importCheck_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("recognised");
    QTest::addColumn<QString>("translated");

    QTest::newRow("unknown name is unrecognised")
        << "第一码+第二某某+5=下期杀第一" << false << "L1A+L2某某+5";
    QTest::newRow("known names are recognised") << "第一码+第二大小+5=下期杀第一" << true << "L1A+L2B+5";
    QTest::newRow("lower case letters and spaces")
        << "[第一杀]l1a mod 3 - (L2B/2)" << true << "l1a mod 3 - (L2B/2)";
    QTest::newRow("equals sign left in the code") << "第一码+5==下期杀第一" << false << "L1A+5=";
    QTest::newRow("decimal point") << "第一码+2.5=下期杀第一" << false << "L1A+2.5";
    QTest::newRow("closing square bracket") << "[第一杀][L1A]+2" << false << "[L1A]+2";
    QTest::newRow("full-width plus") << "第一码＋5=下期杀第一" << false << "L1A＋5";
    // The check's window over the untrimmed translation stops short of the code's end when the
    // expression starts with spaces; the code's own last characters are still checked.
    QTest::newRow("leading space does not hide a last bad character")
        << "[第一杀] 第一码+5=" << false << " L1A+5=";
}

void TestFormulaText::importCheck()
{
    QFETCH(QString, line);
    QFETCH(bool, recognised);
    QFETCH(QString, translated);
    const auto parsed = FormulaText::parse(line, ParseVariant::Import);
    QVERIFY2(parsed.ok(), qPrintable(parsed.error()));
    QCOMPARE(parsed->translated, translated);
    QCOMPARE(FormulaText::isRecognisedImportCode(*parsed), recognised);
}

void TestFormulaText::compose_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("kill");
    QTest::addColumn<Shape>("shape");
    QTest::addColumn<QString>("text");

    QTest::newRow("prefix kill") << 1 << true << Shape::Prefix << "[第一杀]第一码+第三大小+7";
    QTest::newRow("prefix keep") << 8 << false << Shape::Prefix << "[第八生]第一码+第三大小+7";
    QTest::newRow("suffix kill") << 2 << true << Shape::Suffix << "第一码+第三大小+7=下期杀第二";
    QTest::newRow("suffix keep") << 7 << false << Shape::Suffix << "第一码+第三大小+7=下期生第七";
}

void TestFormulaText::compose()
{
    QFETCH(int, position);
    QFETCH(bool, kill);
    QFETCH(Shape, shape);
    QFETCH(QString, text);
    QCOMPARE(FormulaText::compose(QStringLiteral("第一码+第三大小+7"), position, kill, shape), text);
}

void TestFormulaText::everyTermNameRoundTrips()
{
    // Every display name must come back as its own code, alone and inside a long expression,
    // through either shape and either parse variant.
    QStringList names;
    QStringList codes;
    for (int i = 0; i < kTermCount; ++i) {
        const Term& term = termTable()[i];
        names << term.name;
        codes << term.code;
        const int position = i % kPositionCount + 1;
        const bool kill = i % 2 == 0;
        for (const Shape shape : {Shape::Prefix, Shape::Suffix}) {
            const QString text =
                FormulaText::compose(term.name + QStringLiteral("+3"), position, kill, shape);
            for (const ParseVariant variant : {ParseVariant::Typed, ParseVariant::Import}) {
                const auto parsed = FormulaText::parse(text, variant);
                QVERIFY2(parsed.ok(), qPrintable(text));
                QCOMPARE(parsed->code, term.code + QStringLiteral("+3"));
                QCOMPARE(parsed->position, std::optional<int>(position));
                if (shape == Shape::Suffix)
                    QCOMPARE(parsed->kill, std::optional<bool>(kill));
                QVERIFY(FormulaText::isRecognisedImportCode(*parsed));
            }
        }
    }
    QCOMPARE(FormulaText::translateExpression(names.join(QLatin1Char('+'))), codes.join(QLatin1Char('+')));
}

QTEST_GUILESS_MAIN(TestFormulaText)
#include "tst_formulatext.moc"
