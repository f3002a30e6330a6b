#include "support/CliRun.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <memory>

using namespace quorvel;

namespace {

// A formula of the verify output: its list number and run statistics.
struct Verified
{
    int listNumber = 0;
    int maxMisses = 0;
    int lastMisses = 0;
};

} // namespace

class TestCliFilter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void limitUpdateThenLimitFilter();
    void rangeFilterBounds_data();
    void rangeFilterBounds();

private:
    CliResult cli(const QString& arguments) const
    {
        return (*m_run)(arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    }
    std::vector<Verified> verified() const;
    static QStringList remainingLines(const std::vector<Verified>& formulas, bool (*keep)(const Verified&));

    std::unique_ptr<CliRun> m_run;
};

void TestCliFilter::init()
{
    m_run = std::make_unique<CliRun>();
    QFile file(QDir(QStringLiteral(QUORVEL_TEST_DATA)).filePath(QStringLiteral("gdklsf-168bet-funyule.txt")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(m_run->importDraws(QString::fromUtf8(file.readAll())));
    const CliResult added = (*m_run)(
        {QStringLiteral("formulas"), QStringLiteral("add"), QStringLiteral("--kind"), QStringLiteral("kill"),
         QStringLiteral("第一码+第二大小+5=下期杀第一"), QStringLiteral("和数个位+连跳号+3=下期杀第一"),
         QStringLiteral("第八码+第四单双+11=下期杀第一"),
         QStringLiteral("第五码+第六十段+合数个+2=下期杀第一"),
         QStringLiteral("第二码+第七5余+逆顺号+13=下期杀第一"), QStringLiteral("和数+第一3余+4=下期杀第一")});
    QCOMPARE(added.exitCode, 0);
}

std::vector<Verified> TestCliFilter::verified() const
{
    std::vector<Verified> formulas;
    for (const QString& line : cli(QStringLiteral("verify --kind kill")).out) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        formulas.push_back({fields[0].toInt(), fields[3].toInt(), fields[5].toInt()});
    }
    return formulas;
}

QStringList TestCliFilter::remainingLines(const std::vector<Verified>& formulas,
                                          bool (*keep)(const Verified&))
{
    QStringList lines;
    for (const Verified& formula : formulas) {
        if (keep(formula))
            lines << QString::number(formula.listNumber);
    }
    lines << QStringLiteral("remaining %1").arg(lines.size());
    return lines;
}

void TestCliFilter::limitUpdateThenLimitFilter()
{
    const std::vector<Verified> formulas = verified();
    QCOMPARE(formulas.size(), std::size_t(6));
    // Empty limits read 0: every formula stays.
    QCOMPARE(cli(QStringLiteral("filter limit --kind kill")).out,
             remainingLines(formulas, [](const Verified&) { return true; }));

    // The update raises the empty limits to the max misses; then only formulas at their longest
    // run of misses stay.
    const CliResult raised = cli(QStringLiteral("--yes limits update"));
    QCOMPARE(raised.exitCode, 0);
    const auto nonZero = std::count_if(formulas.begin(), formulas.end(),
                                       [](const Verified& formula) { return formula.maxMisses > 0; });
    QCOMPARE(raised.out, QStringList{QStringLiteral("raised %1").arg(nonZero)});
    QCOMPARE(cli(QStringLiteral("filter limit --kind kill")).out,
             remainingLines(formulas, [](const Verified& f) { return f.lastMisses >= f.maxMisses; }));
}

void TestCliFilter::rangeFilterBounds_data()
{
    // The formulas' max misses are 1 and 2, their last misses 0.
    QTest::addColumn<QString>("bounds");
    QTest::addColumn<int>("lowest"); // max misses of the formulas that stay
    QTest::addColumn<int>("highest");

    QTest::newRow("wide bounds keep every formula") << QStringLiteral("0 999 0 999 0 999 0 999") << 0 << 999;
    QTest::newRow("max misses up to 1") << QStringLiteral("0 1 0 999 0 999 0 999") << 0 << 1;
    QTest::newRow("upper bound within the tolerance")
        << QStringLiteral("0 0.99995 0 999 0 999 0 999") << 0 << 1;
    QTest::newRow("lower bound past the tolerance")
        << QStringLiteral("1.0002 999 0 999 0 999 0 999") << 2 << 999;
    QTest::newRow("a bound that is no number reads 0") << QStringLiteral("0 x 0 999 0 999 0 999") << 0 << 0;
    QTest::newRow("last misses from 1 keep none") << QStringLiteral("0 999 0 999 1 999 0 999") << 1 << 0;
}

void TestCliFilter::rangeFilterBounds()
{
    QFETCH(QString, bounds);
    QFETCH(int, lowest);
    QFETCH(int, highest);
    const std::vector<Verified> formulas = verified();
    const CliResult run = cli(QStringLiteral("filter range ") + bounds + QStringLiteral(" --kind kill"));
    QCOMPARE(run.exitCode, 0);
    QStringList expected;
    for (const Verified& formula : formulas) {
        if (formula.maxMisses >= lowest && formula.maxMisses <= highest)
            expected << QString::number(formula.listNumber);
    }
    expected << QStringLiteral("remaining %1").arg(expected.size());
    QCOMPARE(run.out, expected);
}

QTEST_GUILESS_MAIN(TestCliFilter)
#include "tst_cli_filter.moc"
