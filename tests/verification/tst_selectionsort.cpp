#include "verification/SelectionSort.h"

#include <QTest>

using namespace quorvel;

class TestSelectionSort : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void selectionSort_data();
    void selectionSort();
};

void TestSelectionSort::selectionSort_data()
{
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<QList<int>>("sorted");

    QTest::newRow("zeros keep their places") << QList<int>{3, 0, 1, 0, 2} << QList<int>{1, 0, 2, 0, 3};
    QTest::newRow("leading zero stays first") << QList<int>{0, 5, 4} << QList<int>{0, 4, 5};
    QTest::newRow("repeated values") << QList<int>{2, 1, 2, 1} << QList<int>{1, 1, 2, 2};
    QTest::newRow("all zeros") << QList<int>{0, 0, 0} << QList<int>{0, 0, 0};
    QTest::newRow("empty") << QList<int>{} << QList<int>{};
}

void TestSelectionSort::selectionSort()
{
    QFETCH(QList<int>, values);
    QFETCH(QList<int>, sorted);

    std::vector<int> array(values.begin(), values.end());
    Selection_Sort(array);
    QCOMPARE(QList<int>(array.begin(), array.end()), sorted);
}

QTEST_GUILESS_MAIN(TestSelectionSort)
#include "tst_selectionsort.moc"
