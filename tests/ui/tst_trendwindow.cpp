#include "support/TestSession.h"
#include "ui/GridView.h"
#include "ui/MainWindow.h"
#include "workspace/HistoryDeletion.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

using namespace quorvel;

class TestTrendWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void opensOnTheNewestDrawsAndFollowsTheHistory();
};

void TestTrendWindow::opensOnTheNewestDrawsAndFollowsTheHistory()
{
    TestSession session;
    QVERIFY(session.seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt"), 60));
    QVERIFY(session.start());
    MainWindow window(session.workspace(), session.prompts());
    window.show();
    auto* button = window.findChild<QPushButton*>(QStringLiteral("cmdZoushi"));
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral("号码走势(&Z)"));
    QTest::mouseClick(button, Qt::LeftButton);

    auto* trend = window.findChild<QWidget*>(QStringLiteral("frmZoushi"));
    QVERIFY(trend);
    QTRY_VERIFY(trend->isVisible());
    QCOMPARE(trend->findChild<QTabWidget*>(QStringLiteral("tabZoushi"))->count(), 5);
    auto* chart = trend->findChild<GridView*>(QStringLiteral("grdZsJb"));
    QCOMPARE(chart->model()->rowCount(), 60); // 近100期 of a history of 60
    QCOMPARE(chart->model()->columnCount(), 26);
    QCOMPARE(trend->findChild<GridView*>(QStringLiteral("grdZsJbHz"))->model()->rowCount(), 6);

    trend->findChild<QComboBox*>(QStringLiteral("cboZsFw"))->setCurrentIndex(0); // 近30期
    QCOMPARE(chart->model()->rowCount(), 30);
    QCOMPARE(trend->findChild<QTableView*>(QStringLiteral("grdZsYl"))->model()->rowCount(), 20);
    auto* position = trend->findChild<QComboBox*>(QStringLiteral("cboZsWz"));
    position->setCurrentIndex(2);
    QCOMPARE(trend->findChild<GridView*>(QStringLiteral("grdZsDw"))->model()->columnCount(), 21);

    QTest::mouseClick(trend->findChild<QPushButton*>(QStringLiteral("cmdZsDc")), Qt::LeftButton);
    QTRY_VERIFY(QFile::exists(QDir(session.dataFolder()).filePath(QStringLiteral("zoushi.xlsx"))));

    const QString newest = chart->model()->index(29, 0).data().toString();
    QVERIFY(HistoryDeletion(session.workspace()).deleteNewestDraw());
    QCOMPARE(chart->model()->rowCount(), 30);
    QVERIFY(chart->model()->index(29, 0).data().toString() != newest);
}

QTEST_MAIN(TestTrendWindow)
#include "tst_trendwindow.moc"
