#include "app/cli/CommandForm.h"
#include "app/cli/CommandTable.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::cli;

namespace {

struct Sample
{
    QStringList files;
    std::optional<int> count;
    bool fast = false;
    bool slow = false;
    std::optional<bool> kill;
    std::optional<QString> name;
};

const CommandForm<Sample>& sampleForm()
{
    using namespace OptionKinds;
    static const CommandForm<Sample> form =
        CommandForm<Sample>(QStringLiteral("sample run"))
            .takes(&Sample::files, PositionalSpec{QStringLiteral("FILE..."), 1, 2, QString()})
        << wholeNumber(QStringLiteral("--count"), QStringLiteral("N"), &Sample::count, 1, 9,
                       QStringLiteral("how many"))
        << flag(QStringLiteral("--fast"), &Sample::fast, QStringLiteral("quickly"))
        << flag(QStringLiteral("--slow"), &Sample::slow, QStringLiteral("slowly"))
        << OptionGroup{{QStringLiteral("--fast"), QStringLiteral("--slow")},
                       true,
                       QStringLiteral("pick a pace")}
        << choice(QStringLiteral("--kind"), &Sample::kill,
                  std::vector<std::pair<QString, bool>>{{QStringLiteral("kill"), true},
                                                        {QStringLiteral("keep"), false}},
                  QStringLiteral("which kind"))
        << text(QStringLiteral("--name"), QStringLiteral("TEXT"), &Sample::name, QStringLiteral("a name"));
    return form;
}

Result<Sample> parsed(const QString& words)
{
    CliArguments arguments(words.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    return sampleForm().parse(arguments);
}

} // namespace

class TestCliOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parsesEveryKindIntoTheStruct();
    void refusals_data();
    void refusals();
    void usageComesFromTheDeclarations();
    void subcommandRefusalNamesTheForms();
};

void TestCliOptions::parsesEveryKindIntoTheStruct()
{
    const Result<Sample> sample = parsed(QStringLiteral("a.txt --kind kill --count 9 --slow b.txt --name x"));
    QVERIFY2(sample, qPrintable(sample.error()));
    QCOMPARE(sample->files, (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")}));
    QCOMPARE(sample->count, std::optional<int>(9));
    QVERIFY(sample->slow && !sample->fast);
    QCOMPARE(sample->kill, std::optional<bool>(true));
    QCOMPARE(sample->name, std::optional<QString>(QStringLiteral("x")));
    // Absent options keep the struct's defaults.
    const Result<Sample> bare = parsed(QStringLiteral("a.txt --fast"));
    QVERIFY(bare && !bare->count && !bare->kill && !bare->name);
}

void TestCliOptions::refusals_data()
{
    QTest::addColumn<QString>("words");
    QTest::addColumn<QString>("message");
    QTest::newRow("below the range") << "a --fast --count 0"
                                     << "--count takes a whole number 1..9";
    QTest::newRow("above the range") << "a --fast --count 10"
                                     << "--count takes a whole number 1..9";
    QTest::newRow("not a number") << "a --fast --count 2x"
                                  << "--count takes a whole number 1..9";
    QTest::newRow("not a choice") << "a --fast --kind both"
                                  << "option --kind takes kill|keep";
    QTest::newRow("missing value") << "a --fast --count"
                                   << "option --count needs 1 value(s)";
    QTest::newRow("an option for a value") << "a --count --fast"
                                           << "option --count needs 1 value(s)";
    QTest::newRow("given twice") << "a --fast --name x --name y"
                                 << "option --name given twice";
    QTest::newRow("required group missing") << "a"
                                            << "pick a pace";
    QTest::newRow("exclusive group twice") << "a --fast --slow"
                                           << "pick a pace";
    QTest::newRow("no positional word") << "--fast"
                                        << "sample run takes 1..2 positional arguments";
    QTest::newRow("too many positional words") << "a b c --fast"
                                               << "sample run takes 1..2 positional arguments";
    QTest::newRow("unknown option") << "a --fast --quick"
                                    << "unknown option --quick";
}

void TestCliOptions::refusals()
{
    QFETCH(QString, words);
    QFETCH(QString, message);
    const Result<Sample> sample = parsed(words);
    QVERIFY(!sample);
    QCOMPARE(sample.error(), message);
}

void TestCliOptions::usageComesFromTheDeclarations()
{
    QCOMPARE(sampleForm().usage(), QStringLiteral("sample run FILE... [--count N] (--fast | --slow) "
                                                  "[--kind kill|keep] [--name TEXT]"));
}

void TestCliOptions::subcommandRefusalNamesTheForms()
{
    QCOMPARE(subcommandRefusal(findCommand(QStringLiteral("history"))->forms()),
             QStringLiteral("history needs import, list, update, delete, export or missing"));
    QCOMPARE(subcommandRefusal(findCommand(QStringLiteral("limits"))->forms()),
             QStringLiteral("limits needs update"));
    QCOMPARE(subcommandRefusal(findCommand(QStringLiteral("search"))->forms()),
             QStringLiteral("search takes options or score FILE or familywise FILE"));
}

QTEST_GUILESS_MAIN(TestCliOptions)
#include "tst_cli_options.moc"
