#include "support/CliRun.h"

#include <QRegularExpression>
#include <QTest>

#include <memory>

using namespace quorvel;

class TestCliBackup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void listRestoreAndUndo();
    void restoreNeedsYes_data();
    void restoreNeedsYes();
    void undoWithNothingKept();

private:
    CliResult run(const QStringList& arguments) const { return (*m_run)(arguments); }
    QStringList everything() const
    {
        return run({QStringLiteral("history"), QStringLiteral("list")}).out +
               run({QStringLiteral("formulas"), QStringLiteral("list")}).out;
    }

    std::unique_ptr<CliRun> m_run;
};

void TestCliBackup::init()
{
    m_run = std::make_unique<CliRun>();
    QVERIFY(m_run->importDraws(QStringLiteral("25120701 3 4 6 15 20 11 9 17\n25120702 4 15 8 1 19 20 11 2\n"
                                              "25120703 5 6 7 8 9 10 11 12\n")));
    const CliResult added = run({QStringLiteral("formulas"), QStringLiteral("add"),
                                 QStringLiteral("[第一生]第一码+3"), QStringLiteral("[第一生]第二码+1")});
    QCOMPARE(added.exitCode, 0);
}

void TestCliBackup::listRestoreAndUndo()
{
    const QStringList before = everything();
    QCOMPARE(run({QStringLiteral("--yes"), QStringLiteral("formulas"), QStringLiteral("clear")}).exitCode, 0);
    const CliResult undone = run({QStringLiteral("--yes"), QStringLiteral("undo")});
    QCOMPARE(undone.out, QStringList{QStringLiteral("restored 1")});
    QCOMPARE(everything(), before);
    QCOMPARE(run({QStringLiteral("history"), QStringLiteral("delete"), QStringLiteral("--last")}).exitCode,
             0);

    const CliResult listed = run({QStringLiteral("backup"), QStringLiteral("list")});
    QCOMPARE(listed.exitCode, 0);
    const QRegularExpression line(
        QStringLiteral("^(\\d+)\\t\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\t(.+)\\t"
                       "(\\d+)\\t(\\d+)\\t(\\d+)\\t(\\d+)$"));
    QStringList fields;
    for (const QString& text : listed.out) {
        const QRegularExpressionMatch match = line.match(text);
        QVERIFY2(match.hasMatch(), qPrintable(text));
        fields << match.capturedTexts().mid(1).join(u' ');
    }
    QCOMPARE(fields, (QStringList{QStringLiteral("3 删除最后历史(D) 3 2 2 2"),
                                  QStringLiteral("2 撤销上次修改 3 0 3 2"),
                                  QStringLiteral("1 清空所有公式(C) 3 2 3 0")}));

    const CliResult restored = run(
        {QStringLiteral("--yes"), QStringLiteral("backup"), QStringLiteral("restore"), QStringLiteral("3")});
    QCOMPARE(restored.out, QStringList{QStringLiteral("restored 3")});
    QCOMPARE(everything(), before);
}

void TestCliBackup::restoreNeedsYes_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("backup restore without --yes") << QStringList{"backup", "restore", "1"};
    QTest::newRow("undo without --yes") << QStringList{"undo"};
}

void TestCliBackup::restoreNeedsYes()
{
    QFETCH(QStringList, arguments);
    QCOMPARE(run({QStringLiteral("--yes"), QStringLiteral("formulas"), QStringLiteral("clear")}).exitCode, 0);
    const QStringList cleared = everything();
    const CliResult refused = run(arguments);
    QCOMPARE(refused.exitCode, 1);
    QCOMPARE(refused.err.size(), 1);
    QCOMPARE(everything(), cleared);
    QCOMPARE(run({QStringLiteral("backup"), QStringLiteral("list")}).out.size(), 1);
}

void TestCliBackup::undoWithNothingKept()
{
    const CliResult undone = run({QStringLiteral("--yes"), QStringLiteral("undo")});
    QCOMPARE(undone.exitCode, 1);
    QCOMPARE(undone.err, QStringList{QStringLiteral("没有可撤销的修改")});
    QCOMPARE(run({QStringLiteral("--yes"), QStringLiteral("backup"), QStringLiteral("restore"),
                  QStringLiteral("x")})
                 .exitCode,
             2);
}

QTEST_GUILESS_MAIN(TestCliBackup)
#include "tst_cli_backup.moc"
