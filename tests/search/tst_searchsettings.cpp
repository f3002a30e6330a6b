#include "core/Settings.h"
#include "search/SearchSettings.h"

#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace quorvel;

class TestSearchSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void boxesReadAsNumbers_data();
    void boxesReadAsNumbers();
    void boundsAreHeldFromTheOpen();
    void invertedBounds_data();
    void invertedBounds();
};

void TestSearchSettings::boxesReadAsNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("bound");
    QTest::addColumn<std::optional<int>>("target");

    QTest::newRow("whole number with blanks") << " 96 " << 96.0 << std::optional<int>(96);
    QTest::newRow("a decimal bound; a fraction of a target asks for one more")
        << "2.5" << 2.5 << std::optional<int>(3);
    QTest::newRow("negative") << "-4" << -4.0 << std::optional<int>(-4);
    QTest::newRow("not a number: bound 0, no target") << "8a" << 0.0 << std::optional<int>();
    QTest::newRow("empty box: bound 0, no target") << "" << 0.0 << std::optional<int>();
}

void TestSearchSettings::boxesReadAsNumbers()
{
    QFETCH(QString, text);
    QFETCH(double, bound);
    QFETCH(std::optional<int>, target);
    QCOMPARE(SearchSettings::numberIn(text), bound);
    QCOMPARE(SearchSettings::targetIn(text), target);
}

void TestSearchSettings::boundsAreHeldFromTheOpen()
{
    QTemporaryDir folder;
    Settings store(folder.filePath(QStringLiteral("settings.ini")));
    SearchSettings settings(store);

    AcceptanceBounds tuned;
    tuned.values = {12, 32767, 0, 3.5, 1, 32767, 0, 0};
    settings.saveCategory(4, true, tuned, 6);
    QCOMPARE(settings.bounds(4, true), tuned);
    QCOMPARE(store.categoryBound(4, true, 5), 3.5);
    QCOMPARE(store.operandCount(4), 6);
    QCOMPARE(SearchSettings::numberText(settings.bounds(4, true).bound(5)), QStringLiteral("3.5"));
    // The other kind of the position keeps its defaults.
    QCOMPARE(settings.bounds(4, false).bound(2), 96.0);

    // What reaches the store by another way shows only when the window reads the bounds again.
    store.setCategoryBound(2, false, 2, 50);
    QCOMPARE(settings.bounds(2, false).bound(2), 96.0);
    settings.load();
    QCOMPARE(settings.bounds(2, false).bound(2), 50.0);
}

void TestSearchSettings::invertedBounds_data()
{
    QTest::addColumn<AcceptanceBounds>("stored");
    QTest::addColumn<QString>("refusal"); // empty: accepted
    QTest::addColumn<AcceptanceBounds>("read");

    const AcceptanceBounds defaults{{2, 32768, 0, 64, 2, 32768, 0, 0}}; // of kill
    QTest::newRow("the defaults are no inversion") << defaults << QString() << defaults;
    QTest::newRow("equal bounds are no inversion")
        << AcceptanceBounds{{5, 5, 0, 64, 2, 32768, 0, 0}} << QString()
        << AcceptanceBounds{{5, 5, 0, 64, 2, 32768, 0, 0}};
    QTest::newRow("longest miss run 9 to 3")
        << AcceptanceBounds{{9, 3, 0, 64, 2, 32768, 0, 0}} << QStringLiteral("最大连错下限大于上限") << defaults;
    QTest::newRow("last hit run 2.5 to 2.4, the other pairs kept")
        << AcceptanceBounds{{3, 30, 1, 50, 2, 32768, 2.5, 2.4}} << QStringLiteral("最后连对下限大于上限")
        << AcceptanceBounds{{3, 30, 1, 50, 2, 32768, 0, 0}};
}

void TestSearchSettings::invertedBounds()
{
    QFETCH(AcceptanceBounds, stored);
    QFETCH(QString, refusal);
    QFETCH(AcceptanceBounds, read);
    QCOMPARE(stored.inversion().value_or(QString()), refusal);

    QTemporaryDir folder;
    Settings store(folder.filePath(QStringLiteral("settings.ini")));
    for (int bound = AcceptanceBounds::kFirstNumber; bound <= AcceptanceBounds::kLastNumber; ++bound)
        store.setCategoryBound(3, true, bound, stored.bound(bound));
    QCOMPARE(SearchSettings::stored(store, 3, true), read);
    QCOMPARE(SearchSettings(store).bounds(3, true), read);
}

QTEST_GUILESS_MAIN(TestSearchSettings)
#include "tst_searchsettings.moc"
