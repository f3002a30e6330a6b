// The main window when the disk fills up (the file size limited, as `ulimit -f` does) or its data
// folder stops taking writes while it runs: the change fails with a notice naming the cause, the
// history stays as it was, and the window goes on working once there is room again.

#include "core/Database.h"
#include "core/HistoryTable.h"
#include "support/FileSizeLimit.h"
#include "support/ReadOnlyScope.h"
#include "support/TestSession.h"
#include "ui/GridView.h"
#include "ui/MainWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>

#include <memory>
#include <optional>

using namespace quorvel;

class WriteFailureWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deletionFailsAndTheWindowGoesOn_data();
    void deletionFailsAndTheWindowGoesOn();
};

void WriteFailureWindowTest::deletionFailsAndTheWindowGoesOn_data()
{
    QTest::addColumn<bool>("readOnlyFolder");
    QTest::addColumn<QString>("cause");
    QTest::newRow("disk full") << false << QStringLiteral("文件大小超过了系统对本程序的限制");
    QTest::newRow("folder made read-only") << true << QStringLiteral("所在的文件夹不能写入");
}

void WriteFailureWindowTest::deletionFailsAndTheWindowGoesOn()
{
    QFETCH(bool, readOnlyFolder);
    QFETCH(QString, cause);

    TestSession session;
    QVERIFY(session.seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt"), 6));
    QVERIFY(session.start());
    MainWindow window(session.workspace(), session.prompts());
    window.show();
    const auto rows = [&] {
        return window.findChild<GridView*>(QStringLiteral("MSFlexGrid1"))->model()->rowCount();
    };
    auto* deleteNewest = window.findChild<QAbstractButton*>(QStringLiteral("Command3"));
    QCOMPARE(rows(), 6);
    {
        std::optional<ReadOnlyScope> readOnly;
        std::optional<FileSizeLimit> limit;
        if (readOnlyFolder)
            readOnly.emplace(session.dataFolder(), ReadOnlyScope::What::Folder);
        else
            limit.emplace(0);
        QTest::mouseClick(deleteNewest, Qt::LeftButton);
    }
    QCOMPARE(session.prompts().count(ScriptedPrompts::Kind::Notice), 1);
    const QString message = session.prompts().last(ScriptedPrompts::Kind::Notice).message;
    QVERIFY2(message.contains(cause), qPrintable(message));
    QCOMPARE(rows(), 6);
    QCOMPARE(session.openDatabase()->history().count().value_or(-1), 6);

    QTest::mouseClick(deleteNewest, Qt::LeftButton);
    QCOMPARE(rows(), 5);
    QCOMPARE(session.prompts().count(ScriptedPrompts::Kind::Notice), 1);
}

QTEST_MAIN(WriteFailureWindowTest)
#include "tst_writefailurewindow.moc"
