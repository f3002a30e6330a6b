#include "core/BuildInfo.h"
#include "core/DataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvel;

class TestDataFolder : public QObject
{
    Q_OBJECT

private slots:
    void requestedFolderIsCreated();
    void relativeRequestIsMadeAbsolute();
    void writableProgramFolderIsUsedWithoutARequest();
    void installedProgramFolderIsRecognised_data();
    void installedProgramFolderIsRecognised();
};

void TestDataFolder::requestedFolderIsCreated()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString requested = root.filePath(QStringLiteral("nested/data"));
    QCOMPARE(resolveDataFolder(requested), requested);
    QVERIFY(QFileInfo(requested).isDir());
}

void TestDataFolder::relativeRequestIsMadeAbsolute()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(root.path()));
    const QString folder = resolveDataFolder(QStringLiteral("data"));
    QVERIFY(QDir::setCurrent(previous));
    QCOMPARE(folder, QDir(root.path()).filePath(QStringLiteral("data")));
    QVERIFY(QFileInfo(folder).isDir());
}

void TestDataFolder::writableProgramFolderIsUsedWithoutARequest()
{
    // The test program lives in the build folder, which is writable.
    QCOMPARE(resolveDataFolder(QString()), QCoreApplication::applicationDirPath());
}

void TestDataFolder::installedProgramFolderIsRecognised_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("installed");
    const QString bin = BuildInfo::installedProgramFolder();
    QTest::newRow("the install folder itself") << bin << true;
    QTest::newRow("the install folder under an unpacked package") << QStringLiteral("/tmp/x") + bin << true;
    QTest::newRow("a build folder") << QCoreApplication::applicationDirPath() << false;
    QTest::newRow("a folder that merely starts like it") << bin + QStringLiteral("-old") << false;
}

void TestDataFolder::installedProgramFolderIsRecognised()
{
    QFETCH(QString, folder);
    QFETCH(bool, installed);
    QCOMPARE(isInstalledProgramFolder(folder), installed);
}

QTEST_GUILESS_MAIN(TestDataFolder)
#include "tst_datafolder.moc"
