#include "core/TextFile.h"
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvel;

namespace {

QByteArray gb18030(const QString& text)
{
    QStringEncoder encoder("GB18030");
    return encoder(text);
}

} // namespace

class TestTextFile : public QObject
{
    Q_OBJECT

private slots:
    void strictUtf8_data();
    void strictUtf8();
    void decode_data();
    void decode();
    void splitLines_data();
    void splitLines();
    void readRefusesWhatItCannotTake();
    void writeIsGb18030WithCrLfAndReadsBack();
    void writeReplacesOrFailsNamingThePath();
};

void TestTextFile::strictUtf8_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("strict");

    QTest::newRow("ASCII") << QByteArray("L1A+5") << true;
    QTest::newRow("Chinese and a four-byte character")
        << (QStringLiteral("第一码") + QString::fromUcs4(U"\U0001F600")).toUtf8() << true;
    QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << false;
    QTest::newRow("overlong three-byte form") << QByteArray("\xE0\x80\xAF") << false;
    QTest::newRow("surrogate half") << QByteArray("\xED\xA0\x80") << false;
    QTest::newRow("above U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << false;
    QTest::newRow("cut-off sequence at the end") << QByteArray("ab\xE7\xAC") << false;
    QTest::newRow("lone continuation byte") << QByteArray("a\x80z") << false;
    QTest::newRow("GB18030 Chinese") << gb18030(QStringLiteral("第一码")) << false;
}

void TestTextFile::strictUtf8()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, strict);
    QCOMPARE(TextFile::isStrictUtf8(bytes), strict);
}

void TestTextFile::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text"); // empty with failure

    const QString text = QStringLiteral("第一码+第二大小+5=下期杀第一　连准：3期\r\n");
    QTest::newRow("UTF-8") << text.toUtf8() << text;
    QTest::newRow("UTF-8 with byte order mark") << QByteArray("\xEF\xBB\xBF") + text.toUtf8() << text;
    QTest::newRow("GB18030") << gb18030(text) << text;
    // Bytes that only look like UTF-8 in part are GB18030 as a whole.
    QTest::newRow("GB18030 holding an overlong UTF-8 pair")
        << QByteArray("\xC0\xAF") + gb18030(QStringLiteral("码")) << QStringLiteral("蜡码");
    QTest::newRow("neither encoding") << QByteArray("\x81\x30\xFF") << QString();
}

void TestTextFile::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    const Result<QString> decoded = TextFile::decode(bytes);
    QCOMPARE(decoded.ok(), !text.isEmpty());
    if (decoded)
        QCOMPARE(*decoded, text);
}

void TestTextFile::splitLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("CR LF") << "a\r\nb\r\n" << QStringList{"a", "b"};
    QTest::newRow("LF without a final line end") << "a\nb" << QStringList{"a", "b"};
    QTest::newRow("CR alone") << "a\rb\r" << QStringList{"a", "b"};
    QTest::newRow("mixed ends and empty lines") << "a\r\n\nb\r\rc" << QStringList{"a", "", "b", "", "c"};
    QTest::newRow("LF CR is two line ends") << "a\n\rb" << QStringList{"a", "", "b"};
    QTest::newRow("empty text has no line") << "" << QStringList{};
    QTest::newRow("a lone line end is one empty line") << "\r\n" << QStringList{""};
}

void TestTextFile::splitLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(TextFile::splitLines(text), lines);
}

void TestTextFile::readRefusesWhatItCannotTake()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("big.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(101, 'a'));
    file.close();

    QVERIFY(TextFile::readLines(path, 101).ok());
    const Result<QStringList> tooBig = TextFile::readLines(path, 100);
    QVERIFY(!tooBig.ok());
    QVERIFY2(tooBig.error().contains(QDir::toNativeSeparators(path)), qPrintable(tooBig.error()));

    // A device without a size must not be read until memory runs out.
    if (QFile::exists(QStringLiteral("/dev/zero"))) {
        const Result<QByteArray> zeros = TextFile::readBytes(QStringLiteral("/dev/zero"), 3 << 20);
        QVERIFY(!zeros.ok());
        QVERIFY(zeros.error().contains(QStringLiteral("/dev/zero")));
    }

    const Result<QStringList> missing =
        TextFile::readLines(folder.filePath(QStringLiteral("absent.txt")), 100);
    QVERIFY(!missing.ok());
    QVERIFY(missing.error().contains(QStringLiteral("absent.txt")));
}

void TestTextFile::writeIsGb18030WithCrLfAndReadsBack()
{
    const QStringList lines{QStringLiteral("本组公式"), QString(), QStringLiteral("L1A 　——")};
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("公式.txt"));
    const Status written = TextFile::writeLines(path, lines);
    QVERIFY2(written.ok(), qPrintable(written.error()));

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QCOMPARE(bytes, gb18030(lines[0]) + "\r\n\r\n" + gb18030(lines[2]) + "\r\n");
    QCOMPARE(TextFile::readLines(path, 1000).value(), lines);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("公式.txt")});

    QVERIFY(TextFile::writeLines(path, {}).ok());
    QCOMPARE(QFileInfo(path).size(), 0);
}

void TestTextFile::writeReplacesOrFailsNamingThePath()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("out.txt"));
    QVERIFY(TextFile::writeLines(path, {QStringLiteral("old"), QStringLiteral("old")}).ok());
    QVERIFY(TextFile::writeLines(path, {QStringLiteral("new")}).ok());
    QCOMPARE(TextFile::readLines(path, 1000).value(), QStringList{QStringLiteral("new")});

    const QString inMissingFolder = folder.filePath(QStringLiteral("absent/out.txt"));
    const Status failed = TextFile::writeLines(inMissingFolder, {QStringLiteral("x")});
    QVERIFY(!failed.ok());
    QVERIFY2(failed.error().contains(QDir::toNativeSeparators(inMissingFolder)), qPrintable(failed.error()));

    // A disk that fills up half-way (here the file size limit) fails the write, names the cause
    // and leaves the old file as it was: no cut-off copy replaces it.
    Status full = success();
    {
        const FileSizeLimit limit(16);
        full = TextFile::writeLines(path, {QString(40, u'x')});
    }
    QVERIFY(!full.ok());
    QVERIFY2(full.error().contains(QStringLiteral("文件大小超过了系统对本程序的限制")), qPrintable(full.error()));
    QCOMPARE(TextFile::readLines(path, 1000).value(), QStringList{QStringLiteral("new")});
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("out.txt")});
}

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
