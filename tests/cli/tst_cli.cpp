#include "app/cli/CommandTable.h"
#include "core/TermTable.h"
#include "support/CliRun.h"
#include "support/ReadOnlyScope.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace quorvel;

using Run = CliResult;

class TestCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void paramsOfTheWorkedExample_data();
    void paramsOfTheWorkedExample();
    void paramsWithoutPreviousDraw();
    void exitCodes_data();
    void exitCodes();
    void historyImportAndList();
    void malformedImportStoresNothing();
    void formulasAddAndList();
    void evalPrintsValuesPerDraw_data();
    void evalPrintsValuesPerDraw();
    void verifyPrintsListAndWritesBack();
    void verifyTakesUnsetOptionsFromSettings();
    void failuresAreOneLineOnStderr();
    void helpAndVersionExitZero();
    void readOnlyDatabaseStillVerifies();
    void importTakesDrawsPerDayFromTheLotteryType();
    void manyFormulasAddedInOneRun();

private:
    Run cli(const QStringList& arguments) const;
    QString writeFile(const QString& name, const QByteArray& bytes) const;
    void importDraws(const QString& text);

    std::unique_ptr<CliRun> m_run;
};

void TestCli::init()
{
    m_run = std::make_unique<CliRun>();
}

Run TestCli::cli(const QStringList& arguments) const
{
    return (*m_run)(arguments);
}

QString TestCli::writeFile(const QString& name, const QByteArray& bytes) const
{
    return m_run->writeFile(name, bytes);
}

void TestCli::importDraws(const QString& text)
{
    QVERIFY(m_run->importDraws(text));
}

void TestCli::paramsOfTheWorkedExample_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("value");

    const QString manual = QStringLiteral("manual");
    const QString online = QStringLiteral("online");
    // The output carries the computation of the program; a few values of every kind suffice here.
    QTest::newRow("number at position 1") << manual << QStringLiteral("L1A") << 3;
    QTest::newRow("neighbour sum of position 1") << manual << QStringLiteral("L1P") << 21;
    QTest::newRow("2 to the power 20") << manual << QStringLiteral("L5I") << 1048576;
    QTest::newRow("year") << manual << QStringLiteral("L0K") << 2025;
    QTest::newRow("sum") << manual << QStringLiteral("L1M") << 85;
    QTest::newRow("numbers of the previous draw") << manual << QStringLiteral("L5N") << 4;
    QTest::newRow("total span") << manual << QStringLiteral("L8N") << 17;
    QTest::newRow("L5K manual") << manual << QStringLiteral("L5K") << 3;
    QTest::newRow("L6K manual") << manual << QStringLiteral("L6K") << 4;
    QTest::newRow("L7K manual") << manual << QStringLiteral("L7K") << 5;
    QTest::newRow("L5K online") << online << QStringLiteral("L5K") << 4;
    QTest::newRow("L6K online") << online << QStringLiteral("L6K") << 5;
    QTest::newRow("L7K online") << online << QStringLiteral("L7K") << 6;
}

void TestCli::paramsOfTheWorkedExample()
{
    QFETCH(QString, path);
    QFETCH(QString, code);
    QFETCH(int, value);

    const Run run =
        cli(QStringLiteral("params 25120705 3 4 6 15 20 11 9 17 --prev 4 15 8 1 19 20 11 2 --path ")
                .split(QLatin1Char(' '), Qt::SkipEmptyParts)
            << path);
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.err.isEmpty());
    QCOMPARE(run.out.size(), kTermCount);
    for (int i = 0; i < kTermCount; ++i) {
        const QStringList fields = run.out[i].split(QLatin1Char('\t'));
        QCOMPARE(fields.size(), 2);
        QCOMPARE(fields[0], termTable()[std::size_t(i)].code);
    }
    const int index = termIndexOfCode(code);
    QCOMPARE(run.out[index], code + QLatin1Char('\t') + QString::number(value));
}

void TestCli::paramsWithoutPreviousDraw()
{
    // Defaults: no previous draw, D = 84, manual entry.
    Run run = cli(QStringLiteral("params 25120701 3 4 6 15 20 11 9 17").split(QLatin1Char(' ')));
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out[termIndexOfCode(u"L5N")], QStringLiteral("L5N\t0"));
    QCOMPARE(run.out[termIndexOfCode(u"L6N")], QStringLiteral("L6N\t0"));
    QCOMPARE(run.out[termIndexOfCode(u"L5K")], QStringLiteral("L5K\t83"));
    QCOMPARE(run.out[termIndexOfCode(u"L6K")], QStringLiteral("L6K\t84"));

    run = cli(QStringLiteral("params --per-day 97 25120701 3 4 6 15 20 11 9 17").split(QLatin1Char(' ')));
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out[termIndexOfCode(u"L5K")], QStringLiteral("L5K\t96"));
}

void TestCli::exitCodes_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("errorMentions");

    QTest::newRow("no command") << QString() << 2 << QStringLiteral("usage");
    QTest::newRow("unknown command") << QStringLiteral("frobnicate") << 2 << QStringLiteral("frobnicate");
    QTest::newRow("--today that is no date")
        << QStringLiteral("--today 2026-13-01 history list") << 2 << QStringLiteral("--today");
    QTest::newRow("params with 7 numbers")
        << QStringLiteral("params 25120705 3 4 6 15 20 11 9") << 2 << QStringLiteral("usage");
    QTest::newRow("params with 9 numbers")
        << QStringLiteral("params 25120705 3 4 6 15 20 11 9 17 18") << 2 << QStringLiteral("usage");
    QTest::newRow("--prev with 7 numbers")
        << QStringLiteral("params 25120705 3 4 6 15 20 11 9 17 --prev 1 2 3 4 5 6 7") << 2
        << QStringLiteral("--prev");
    QTest::newRow("--path of another name")
        << QStringLiteral("params 25120705 3 4 6 15 20 11 9 17 --path web") << 2 << QStringLiteral("--path");
    QTest::newRow("--per-day 0") << QStringLiteral("params 25120705 3 4 6 15 20 11 9 17 --per-day 0") << 2
                                 << QStringLiteral("--per-day");
    QTest::newRow("option given twice")
        << QStringLiteral("params 25120705 3 4 6 15 20 11 9 17 --path manual --path online") << 2
        << QStringLiteral("--path");
    QTest::newRow("params issue on 32 December")
        << QStringLiteral("params 25123205 3 4 6 15 20 11 9 17") << 1 << QStringLiteral("25123205");
    QTest::newRow("params repeated number")
        << QStringLiteral("params 25120705 3 4 6 15 20 11 9 9") << 1 << QStringLiteral("09");
    QTest::newRow("params number 21")
        << QStringLiteral("params 25120705 3 4 6 15 20 11 9 21") << 1 << QStringLiteral("20");
    QTest::newRow("params word for a number")
        << QStringLiteral("params 25120705 3 4 six 15 20 11 9 17") << 1 << QStringLiteral("six");
    QTest::newRow("--prev repeated number")
        << QStringLiteral("params 25120705 3 4 6 15 20 11 9 17 --prev 1 1 2 3 4 5 6 7") << 1
        << QStringLiteral("--prev");
    QTest::newRow("history without subcommand")
        << QStringLiteral("history") << 2 << QStringLiteral("history");
    QTest::newRow("history list with unknown option")
        << QStringLiteral("history list --all") << 2 << QStringLiteral("--all");
    QTest::newRow("history import of a missing file")
        << QStringLiteral("history import /nonexistent/draws.txt") << 1 << QStringLiteral("draws.txt");
    QTest::newRow("formulas add without text")
        << QStringLiteral("formulas add --kind kill") << 2 << QStringLiteral("usage");
    QTest::newRow("formulas list position 9")
        << QStringLiteral("formulas list --position 9") << 2 << QStringLiteral("--position");
    QTest::newRow("eval without text") << QStringLiteral("eval") << 2 << QStringLiteral("usage");
    QTest::newRow("eval of an unknown name")
        << QStringLiteral("eval 第一码+某某=下期杀第一") << 1 << QStringLiteral("L1A+某某");
    QTest::newRow("verify --periods 7")
        << QStringLiteral("verify --periods 7") << 2 << QStringLiteral("3000");
    QTest::newRow("verify --weighted yes")
        << QStringLiteral("verify --weighted yes") << 2 << QStringLiteral("--weighted");
}

void TestCli::exitCodes()
{
    QFETCH(QString, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, errorMentions);

    const Run run = cli(arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY(run.out.isEmpty());
    QCOMPARE(run.err.size(), 1);
    QVERIFY2(run.err.first().contains(errorMentions), qPrintable(run.err.first()));
}

void TestCli::historyImportAndList()
{
    const QString path =
        writeFile(QStringLiteral("draws.txt"), QByteArray("\xEF\xBB\xBF# 历史号码\r\n"
                                                          "25120702 4 15 8 1 19 20 11 2\r\n"
                                                          "25120701\t3\t4\t6\t15\t20\t11\t9\t17\r\n"
                                                          "25120703,10,1,2,3,4,5,6,7\r\n"));
    Run run = cli({QStringLiteral("history"), QStringLiteral("import"), path});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QStringList{QStringLiteral("imported 3, skipped 0")});
    QVERIFY(run.err.isEmpty());

    run = cli({QStringLiteral("history"), QStringLiteral("list")});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, (QStringList{QStringLiteral("25120701 03 04 06 15 20 11 09 17"),
                                   QStringLiteral("25120702 04 15 08 01 19 20 11 02"),
                                   QStringLiteral("25120703 10 01 02 03 04 05 06 07")}));

    run = cli({QStringLiteral("history"), QStringLiteral("import"), path, QStringLiteral("--per-day"),
               QStringLiteral("97"), QStringLiteral("--path"), QStringLiteral("manual")});
    QCOMPARE(run.out, QStringList{QStringLiteral("imported 0, skipped 3")});
}

void TestCli::malformedImportStoresNothing()
{
    const QString path = writeFile(QStringLiteral("bad.txt"), QByteArray("25120701 3 4 6 15 20 11 9 17\n"
                                                                         "\n"
                                                                         "25120702 4 15 8 1 19 20 11\n"));
    Run run = cli({QStringLiteral("history"), QStringLiteral("import"), path});
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.out.isEmpty());
    QCOMPARE(run.err.size(), 1);
    QVERIFY2(run.err.first().startsWith(QStringLiteral("line 3: ")), qPrintable(run.err.first()));

    run = cli({QStringLiteral("history"), QStringLiteral("list")});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.isEmpty());
}

void TestCli::formulasAddAndList()
{
    importDraws(QStringLiteral("25120701 3 4 6 15 20 11 9 17\n25120702 4 15 8 1 19 20 11 2\n"
                               "25120703 10 1 2 3 4 5 6 7\n"));
    const QString suffix = QStringLiteral("第一码+第二大小+5=下期杀第三");
    const QString prefix = QStringLiteral("[第三生]第一码+连跳号+3");
    const QString unknown = QStringLiteral("第一码+第二某某+5=下期杀第一");
    Run run = cli({QStringLiteral("formulas"), QStringLiteral("add"), suffix, unknown, prefix,
                   QStringLiteral("--kind"), QStringLiteral("kill")});
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.out.isEmpty());
    QCOMPARE(run.err.size(), 1);
    QVERIFY(run.err.first().startsWith(unknown + QStringLiteral(": ")));
    QVERIFY(run.err.first().contains(QStringLiteral("无法识别公式")));

    run = cli({QStringLiteral("formulas"), QStringLiteral("add"), QStringLiteral("[第一生]第一码+1")});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.isEmpty());
    QVERIFY(run.err.isEmpty());

    run = cli({QStringLiteral("formulas"), QStringLiteral("list")});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out.size(), 3);
    QList<QStringList> rows;
    for (const QString& line : run.out)
        rows.append(line.split(QLatin1Char('\t')));
    for (const QStringList& row : rows)
        QCOMPARE(row.size(), 10);
    // Positions ascending; within position 3 the idx order.
    QCOMPARE(rows[0].mid(0, 6),
             (QStringList{QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("keep"),
                          QStringLiteral("L1A+1"), QStringLiteral("[第一生]第一码+1"), QString()}));
    QCOMPARE(rows[1].mid(0, 5), (QStringList{QStringLiteral("3"), QStringLiteral("1"), QStringLiteral("kill"),
                                             QStringLiteral("L1A+L2B+5"), suffix}));
    // The prefix form took --kind kill.
    QCOMPARE(rows[2].mid(0, 5), (QStringList{QStringLiteral("3"), QStringLiteral("2"), QStringLiteral("kill"),
                                             QStringLiteral("L1A+L3K+3"), prefix}));
    // Every stored formula was verified when it was added: whole-number statistics.
    for (const QStringList& row : rows) {
        for (int column = 6; column <= 9; ++column) {
            bool ok = false;
            row[column].toInt(&ok);
            QVERIFY2(ok, qPrintable(row.join(QLatin1Char('|'))));
        }
    }

    run = cli({QStringLiteral("formulas"), QStringLiteral("list"), QStringLiteral("--position"),
               QStringLiteral("3"), QStringLiteral("--kind"), QStringLiteral("keep")});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.isEmpty());
    run = cli({QStringLiteral("formulas"), QStringLiteral("list"), QStringLiteral("--kind"),
               QStringLiteral("kill")});
    QCOMPARE(run.out.size(), 2);
}

void TestCli::evalPrintsValuesPerDraw_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QStringList>("draws");

    QTest::newRow("bare code with fractions")
        << QStringLiteral("L1A/7") << QStringLiteral("L1A/7\t\t")
        << QStringList{QStringLiteral("25120701\t0.428571\t0"), QStringLiteral("25120702\t0.571429\t1"),
                       QStringLiteral("25120703\t1.428571\t1")};
    QTest::newRow("half rounds to even before folding")
        << QStringLiteral("L1A/8") << QStringLiteral("L1A/8\t\t")
        << QStringList{QStringLiteral("25120701\t0.375\t0"), QStringLiteral("25120702\t0.5\t0"),
                       QStringLiteral("25120703\t1.25\t1")};
    QTest::newRow("negative whole values")
        << QStringLiteral("0-L1A") << QStringLiteral("0-L1A\t\t")
        << QStringList{QStringLiteral("25120701\t-3\t-3"), QStringLiteral("25120702\t-4\t-4"),
                       QStringLiteral("25120703\t-10\t-10")};
    QTest::newRow("division by zero leaves the value empty")
        << QStringLiteral("L1A/L2B") << QStringLiteral("L1A/L2B\t\t")
        << QStringList{QStringLiteral("25120701\t\t"), QStringLiteral("25120702\t4\t4"),
                       QStringLiteral("25120703\t\t")};
    QTest::newRow("suffix display text")
        << QStringLiteral("第一码+和数=下期杀第二") << QStringLiteral("L1A+L1M\t2\tkill")
        << QStringList{QStringLiteral("25120701\t88\t8"), QStringLiteral("25120702\t84\t4"),
                       QStringLiteral("25120703\t48\t8")};
    QTest::newRow("prefix display text names no kind")
        << QStringLiteral("[第三生]第一码+1") << QStringLiteral("L1A+1\t3\t")
        << QStringList{QStringLiteral("25120701\t4\t4"), QStringLiteral("25120702\t5\t5"),
                       QStringLiteral("25120703\t11\t11")};
}

void TestCli::evalPrintsValuesPerDraw()
{
    QFETCH(QString, text);
    QFETCH(QString, header);
    QFETCH(QStringList, draws);

    importDraws(QStringLiteral("25120701 3 4 6 15 20 11 9 17\n25120702 4 15 8 1 19 20 11 2\n"
                               "25120703 10 1 2 3 4 5 6 7\n"));
    const Run run = cli({QStringLiteral("eval"), text});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.err.isEmpty());
    QCOMPARE(run.out, QStringList{header} + draws);
}

void TestCli::verifyPrintsListAndWritesBack()
{
    const QString data = QStringLiteral(QUORVEL_TEST_DATA) + QStringLiteral("/gdklsf-168bet-funyule.txt");
    QCOMPARE(cli({QStringLiteral("history"), QStringLiteral("import"), data}).exitCode, 0);
    // idx 1 keep, 2 kill, 3 keep at position 1.
    QCOMPARE(cli({QStringLiteral("formulas"), QStringLiteral("add"), QStringLiteral("[第一生]第一码+第二码")})
                 .exitCode,
             0);
    QCOMPARE(cli({QStringLiteral("formulas"), QStringLiteral("add"), QStringLiteral("第三码+7=下期杀第一")})
                 .exitCode,
             0);
    QCOMPARE(cli({QStringLiteral("formulas"), QStringLiteral("add"),
                  QStringLiteral("[第一生]和数/(第二大小-第三大小)")})
                 .exitCode,
             0);

    const Run run = cli({QStringLiteral("verify"), QStringLiteral("--position"), QStringLiteral("1"),
                         QStringLiteral("--kind"), QStringLiteral("keep"), QStringLiteral("--periods"),
                         QStringLiteral("100"), QStringLiteral("--weighted"), QStringLiteral("off"),
                         QStringLiteral("--exclude-current"), QStringLiteral("on")});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.err.isEmpty());
    QCOMPARE(run.out.size(), 2);
    const QStringList first = run.out[0].split(QLatin1Char('\t'));
    const QStringList second = run.out[1].split(QLatin1Char('\t'));
    QCOMPARE(first.size(), 10);
    QCOMPARE(second.size(), 10);
    QCOMPARE(first[0], QStringLiteral("1"));
    QCOMPARE(second[0], QStringLiteral("2"));
    QCOMPARE(first[1], QStringLiteral("1"));
    QCOMPARE(second[1], QStringLiteral("3")); // the kill formula holds idx 2
    QCOMPARE(first[9], QStringLiteral("L1A+L2A"));
    QCOMPARE(second[9], QStringLiteral("L1M/(L2B-L3B)"));
    QCOMPARE(first[8], QStringLiteral("100")); // 100 window draws, each of weight 1
    QCOMPARE(first[7].toInt() <= 100, true);

    // The computed value is the fold of the newest draw's value, as eval prints it.
    const Run eval = cli({QStringLiteral("eval"), QStringLiteral("L1A+L2A")});
    QCOMPARE(eval.out.last().split(QLatin1Char('\t')).last(), first[2]);

    // The statistics were written back to the formula table.
    const Run list = cli({QStringLiteral("formulas"), QStringLiteral("list"), QStringLiteral("--position"),
                          QStringLiteral("1"), QStringLiteral("--kind"), QStringLiteral("keep")});
    QCOMPARE(list.out.size(), 2);
    const QStringList stored = list.out[0].split(QLatin1Char('\t'));
    QCOMPARE(stored.mid(6, 4), first.mid(3, 4));
}

void TestCli::verifyTakesUnsetOptionsFromSettings()
{
    importDraws(QStringLiteral("25120701 3 4 6 15 20 11 9 17\n25120702 4 15 8 1 19 20 11 2\n"
                               "25120703 10 1 2 3 4 5 6 7\n25120704 1 2 3 4 5 6 7 8\n"));
    QCOMPARE(cli({QStringLiteral("formulas"), QStringLiteral("add"), QStringLiteral("[第二杀]第二码+1"),
                  QStringLiteral("--kind"), QStringLiteral("kill")})
                 .exitCode,
             0);
    writeFile(QStringLiteral("settings.ini"), QByteArray("[IniSetting]\nJSQS=0\nZqlJq=False\n"));

    Run run = cli({QStringLiteral("verify"), QStringLiteral("--position"), QStringLiteral("2"),
                   QStringLiteral("--kind"), QStringLiteral("kill")});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out.size(), 1);
    QCOMPARE(run.out[0].split(QLatin1Char('\t'))[8], QStringLiteral("3")); // all periods, no weights

    run = cli({QStringLiteral("verify"), QStringLiteral("--position"), QStringLiteral("2"),
               QStringLiteral("--kind"), QStringLiteral("kill"), QStringLiteral("--weighted"),
               QStringLiteral("on")});
    QCOMPARE(run.out[0].split(QLatin1Char('\t'))[8], QStringLiteral("14")); // 1 + 4 + 9

    // An empty list prints nothing and succeeds.
    run = cli({QStringLiteral("verify"), QStringLiteral("--position"), QStringLiteral("5")});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.isEmpty());
}

void TestCli::failuresAreOneLineOnStderr()
{
    QVERIFY(m_run->importDraws(QStringLiteral("25120701 1 2 3 4 5 6 7 8\n")));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("damage"));
        db.setDatabaseName(QDir(m_run->dataFolder()).filePath(QStringLiteral("formula.db")));
        QVERIFY(db.open());
        QVERIFY(QSqlQuery(db).exec(QStringLiteral("DROP TABLE Lishi")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("damage"));
    const Run run = cli({QStringLiteral("verify")});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err.size(), 1);
    QVERIFY(run.err.first().contains(QStringLiteral("Lishi")));
    QCOMPARE(cli({QStringLiteral("eval"), QString()}).exitCode, 2);
}

void TestCli::helpAndVersionExitZero()
{
    const Run version = cli({QStringLiteral("--version")});
    QCOMPARE(version.exitCode, 0);
    QCOMPARE(version.out.size(), 1);
    QVERIFY(version.out.first().startsWith(QStringLiteral("quorvel-cli ")));

    // Every command with its summary, and the global options with their help.
    const Run help = cli({QStringLiteral("--help")});
    QCOMPARE(help.exitCode, 0);
    QVERIFY(help.err.isEmpty());
    for (const quorvel::cli::CliCommand& command : quorvel::cli::commandTable()) {
        QVERIFY2(help.out.filter(QRegularExpression(
                                     QStringLiteral("^  %1 +%2$")
                                         .arg(command.name, QRegularExpression::escape(command.summary))))
                         .size() == 1,
                 qPrintable(command.name));
    }
    QCOMPARE(help.out.filter(QStringLiteral("  --data-dir DIR ")).size(), 1);

    // A command's help: the usage of its forms, then one line per option with its help.
    const Run search = cli({QStringLiteral("search"), QStringLiteral("--help")});
    QCOMPARE(search.exitCode, 0);
    QCOMPARE(cli({QStringLiteral("--help"), QStringLiteral("search")}).out, search.out);
    QVERIFY(search.out.first().startsWith(QStringLiteral("usage: quorvel-cli search [--position P]")));
    QVERIFY(search.out.contains(
        QStringLiteral("       quorvel-cli search score FILE [--position P] [--kind kill|keep] "
                       "[--periods N] [--bounds b2,b3,b4,b5,b6,b7,b8,b9]")));
    const std::vector<quorvel::cli::OptionSpec> options =
        quorvel::cli::optionsOf(*quorvel::cli::findCommand(QStringLiteral("search")));
    QCOMPARE(options.size(), std::size_t(17));
    for (const quorvel::cli::OptionSpec& option : options) {
        const QStringList lines = search.out.filter(
            QRegularExpression(QStringLiteral("^  %1 .* %2$")
                                   .arg(QRegularExpression::escape(quorvel::cli::optionUsage(option)),
                                        QRegularExpression::escape(option.help))));
        QVERIFY2(lines.size() == 1, qPrintable(option.name));
    }
}

void TestCli::readOnlyDatabaseStillVerifies()
{
    QVERIFY(m_run->importDraws(QStringLiteral("25120701 1 2 3 4 5 6 7 8\n25120702 2 3 4 5 6 7 8 9\n")));
    QCOMPARE(
        cli({QStringLiteral("formulas"), QStringLiteral("add"), QStringLiteral("[第一生]第一码+1")}).exitCode,
        0);
    const QString file = QDir(m_run->dataFolder()).filePath(QStringLiteral("formula.db"));
    ReadOnlyScope readOnly(file, ReadOnlyScope::What::File);
    const Run run = cli({QStringLiteral("verify")});
    // The results are printed; that they could not be saved is the one failure.
    QCOMPARE(run.out.size(), 1);
    QCOMPARE(run.out.first().section(QLatin1Char('\t'), 2, 2), QStringLiteral("3"));
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err.size(), 1);
    QVERIFY2(run.err.first().contains(QDir::toNativeSeparators(file)), qPrintable(run.err.first()));
}

void TestCli::importTakesDrawsPerDayFromTheLotteryType()
{
    const QString ninetieth =
        writeFile(QStringLiteral("late.txt"), QByteArrayLiteral("25120790 1 2 3 4 5 6 7 8\n"));
    {
        QSettings settings(m_run->settingsPath(), QSettings::IniFormat);
        settings.setValue(QStringLiteral("IniSetting/GsZl"), QStringLiteral("0"));
    }
    Run run = cli({QStringLiteral("history"), QStringLiteral("import"), ninetieth});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.first().contains(QStringLiteral("广东快乐十分")) &&
                 run.err.first().contains(QStringLiteral("84")),
             qPrintable(run.err.first()));
    {
        QSettings settings(m_run->settingsPath(), QSettings::IniFormat);
        settings.setValue(QStringLiteral("IniSetting/GsZl"), QStringLiteral("3")); // 重庆幸运农场, 97 a day
    }
    run = cli({QStringLiteral("history"), QStringLiteral("import"), ninetieth});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QStringList{QStringLiteral("imported 1, skipped 0")});
}

void TestCli::manyFormulasAddedInOneRun()
{
    const Run run = cli({QStringLiteral("formulas"), QStringLiteral("add"),
                         QStringLiteral("[第一生]第一码+1"), QStringLiteral("第一码+某某"),
                         QStringLiteral("第二码+2=下期杀第二"), QStringLiteral("[第二杀]第三码+3")});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err.size(), 1);
    QVERIFY(run.err.first().startsWith(QStringLiteral("第一码+某某: ")));
    const Run list = cli({QStringLiteral("formulas"), QStringLiteral("list")});
    QStringList stored;
    for (const QString& line : list.out)
        stored << line.section(QLatin1Char('\t'), 0, 3);
    // The suffix form's kind goes on to the prefix form after it.
    QCOMPARE(stored, (QStringList{QStringLiteral("1\t1\tkeep\tL1A+1"), QStringLiteral("2\t1\tkill\tL2A+2"),
                                  QStringLiteral("2\t2\tkill\tL3A+3")}));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
