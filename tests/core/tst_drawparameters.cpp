#include "core/DrawParameters.h"
#include "core/IssueNumber.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <algorithm>
#include <numeric>

using namespace quorvel;

Q_DECLARE_METATYPE(quorvel::EntryPath)
Q_DECLARE_METATYPE(quorvel::DrawNumbers)

namespace {

qint32 valueOf(const ParameterValues& values, const QString& code)
{
    const int index = termIndexOfCode(code);
    if (index < 0)
        qFatal("unknown parameter code %s", qPrintable(code));
    return values[index];
}

const DrawNumbers kExampleNumbers{3, 4, 6, 15, 20, 11, 9, 17};
const DrawNumbers kExamplePrevious{4, 15, 8, 1, 19, 20, 11, 2};
constexpr qint32 kExampleIssue = 25120705;

struct RealDraw
{
    qint32 issue = 0;
    DrawNumbers numbers{};
};

struct RealHistory
{
    QString name;
    int drawsPerDay = 0;
    std::vector<RealDraw> draws;
};

std::vector<RealHistory> readRealHistories()
{
    std::vector<RealHistory> histories;
    const QDir folder(QStringLiteral(QUORVEL_TEST_DATA));
    for (const QString& name : folder.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name)) {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            qFatal("cannot read %s", qPrintable(file.fileName()));
        RealHistory history{name, name.startsWith(QLatin1String("cq")) ? 97 : 84, {}};
        while (!file.atEnd()) {
            const QStringList fields = QString::fromLatin1(file.readLine()).simplified().split(u' ');
            if (fields.size() != 1 + kPositionCount)
                continue;
            RealDraw draw;
            draw.issue = fields[0].toInt();
            for (int p = 0; p < kPositionCount; ++p)
                draw.numbers[p] = fields[p + 1].toInt();
            history.draws.push_back(draw);
        }
        histories.push_back(std::move(history));
    }
    return histories;
}

// The range every parameter stays within for eight different numbers 1..20.
std::pair<int, int> rangeOf(const QString& code, int drawsPerDay)
{
    const QChar family = code.at(2);
    const int digit = code.at(1).digitValue();
    switch (family.unicode()) {
    case u'A':
        return {1, 20};
    case u'B':
        return {0, 1};
    case u'C':
        return {0, 1};
    case u'D':
        return {0, 4};
    case u'E':
        return {0, 2};
    case u'F':
        return {1, 10};
    case u'G':
        return {1, 400};
    case u'H':
        return {0, 19};
    case u'I':
        return {2, 1048576};
    case u'J':
        return {1, 8000};
    case u'P':
        return {3, 39};
    case u'Q':
        return {1, 19};
    case u'K':
        if (digit == 0)
            return {2000, 2099};
        if (digit <= 4)
            return {0, 7};
        if (digit <= 7)
            return {1, drawsPerDay};
        return digit == 8 ? std::pair{1, 31} : std::pair{1, 12};
    case u'M': {
        static const std::pair<int, int> ranges[] = {{0, 96},   {36, 132}, {0, 9}, {3, 8}, {0, 5},
                                                     {21, 132}, {0, 15},   {0, 8}, {0, 8}, {0, 104}};
        return ranges[digit];
    }
    case u'N': {
        static const std::pair<int, int> ranges[] = {{0, 0}, {0, 8}, {0, 8},  {0, 114}, {0, 77},
                                                     {0, 8}, {0, 8}, {1, 19}, {7, 19}};
        return ranges[digit];
    }
    }
    qFatal("no range for %s", qPrintable(code));
    return {};
}

} // namespace

class TestDrawParameters : public QObject
{
    Q_OBJECT

private slots:
    void workedExample_data();
    void workedExample();
    void firstDrawHasNothingInCommonWithAPreviousDraw();
    void specialNumbers_data();
    void specialNumbers();
    void daySequence_data();
    void daySequence();
    void makeDrawKeepsIssueAndNumbers();
    void realDrawsStayInRangeAndAgree();
};

void TestDrawParameters::workedExample_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("manual");
    QTest::addColumn<int>("online");

    const auto row = [](const char* code, int manual, int online) {
        QTest::newRow(code) << QString::fromLatin1(code) << manual << online;
    };
    const auto same = [&row](const char* code, int value) { row(code, value, value); };

    // The numbers in drawing order.
    for (int p = 1; p <= kPositionCount; ++p) {
        const QByteArray code = QStringLiteral("L%1A").arg(p).toLatin1();
        QTest::newRow(code.constData())
            << QString::fromLatin1(code) << kExampleNumbers[p - 1] << kExampleNumbers[p - 1];
    }
    // Position 1 (3): its neighbours are position 8 (17) and position 2 (4).
    same("L1B", 0);
    same("L1C", 1);
    same("L1D", 3);
    same("L1E", 0);
    same("L1F", 2);
    same("L1G", 9);
    same("L1H", 17);
    same("L1I", 8);
    same("L1J", 27);
    same("L1P", 21);
    same("L1Q", 13);
    // Position 5 (20): neighbours 15 and 11.
    same("L5B", 1);
    same("L5C", 0);
    same("L5D", 0);
    same("L5E", 2);
    same("L5F", 10);
    same("L5G", 400);
    same("L5H", 0);
    same("L5I", 1048576);
    same("L5J", 8000);
    same("L5P", 26);
    same("L5Q", 4);
    // Position 8 (17) wraps round to position 1 (3) as its neighbour.
    same("L8P", 12);
    same("L8Q", 6);
    same("L1K", 1);
    same("L2K", 0);
    same("L3K", 1);
    same("L4K", 1);
    row("L5K", 3, 4);
    row("L6K", 4, 5);
    row("L7K", 5, 6);
    same("L8K", 7);
    same("L9K", 12);
    same("L0K", 2025);
    same("L1M", 85);
    same("L2M", 5);
    same("L3M", 6);
    same("L4M", 2);
    same("L5M", 78);
    same("L6M", 7);
    same("L7M", 3);
    same("L8M", 5);
    same("L9M", 30);
    same("L0M", 55);
    same("L1N", 5);
    same("L2N", 3);
    same("L3N", 54);
    same("L4N", 31);
    same("L5N", 4);
    same("L6N", 0);
    same("L7N", 9);
    same("L8N", 17);
}

void TestDrawParameters::workedExample()
{
    QFETCH(QString, code);
    QFETCH(int, manual);
    QFETCH(int, online);
    const auto manualValues =
        computeDrawParameters(kExampleNumbers, kExampleIssue, kExamplePrevious, 84, EntryPath::Manual);
    const auto onlineValues =
        computeDrawParameters(kExampleNumbers, kExampleIssue, kExamplePrevious, 84, EntryPath::Online);
    QCOMPARE(valueOf(manualValues, code), manual);
    QCOMPARE(valueOf(onlineValues, code), online);
}

void TestDrawParameters::firstDrawHasNothingInCommonWithAPreviousDraw()
{
    // Without a previous draw only the two comparisons with it change, and they become 0.
    const auto withPrevious =
        computeDrawParameters(kExampleNumbers, kExampleIssue, kExamplePrevious, 84, EntryPath::Manual);
    const auto first =
        computeDrawParameters(kExampleNumbers, kExampleIssue, std::nullopt, 84, EntryPath::Manual);
    for (int i = 0; i < kTermCount; ++i) {
        const QString& code = termTable()[i].code;
        if (code == QLatin1String("L5N") || code == QLatin1String("L6N"))
            QCOMPARE(first[i], 0);
        else
            QCOMPARE(first[i], withPrevious[i]);
    }

    // A repeat of the previous draw has all eight numbers in common, at the same positions.
    const auto repeat =
        computeDrawParameters(kExampleNumbers, kExampleIssue, kExampleNumbers, 84, EntryPath::Manual);
    QCOMPARE(valueOf(repeat, QStringLiteral("L5N")), 8);
    QCOMPARE(valueOf(repeat, QStringLiteral("L6N")), 8);
}

void TestDrawParameters::specialNumbers_data()
{
    QTest::addColumn<DrawNumbers>("numbers");
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("expected");

    const DrawNumbers withOne{1, 2, 3, 4, 5, 6, 7, 8};
    QTest::newRow("1 is neither prime nor composite: composites") << withOne << "L1N" << 3;
    QTest::newRow("1 is neither prime nor composite: primes") << withOne << "L2N" << 4;
    QTest::newRow("1 adds to neither prime nor composite sum") << withOne << "L3N" << 18;
    QTest::newRow("prime sum") << withOne << "L4N" << 17;
    QTest::newRow("ascending by one seven times") << withOne << "L1K" << 7;
    QTest::newRow("smallest possible sum") << withOne << "L1M" << 36;
    QTest::newRow("smallest possible spread") << withOne << "L8N" << 7;
    QTest::newRow("neighbours of position 1 wrap to position 8") << withOne << "L1P" << 10;

    const DrawNumbers withTenAndTwenty{10, 20, 1, 2, 3, 4, 5, 6};
    QTest::newRow("20 has complement 0") << withTenAndTwenty << "L2H" << 0;
    QTest::newRow("10 is small") << withTenAndTwenty << "L1B" << 0;
    QTest::newRow("10 counts as greater than 5") << withTenAndTwenty << "L3M" << 3;
    QTest::newRow("5 counts as 5 or less") << withTenAndTwenty << "L4M" << 5;
    QTest::newRow("greater-than-5 sum") << withTenAndTwenty << "L5M" << 36;
    QTest::newRow("largest possible 5-or-less sum") << withTenAndTwenty << "L6M" << 15;
    QTest::newRow("2 to the power 20") << withTenAndTwenty << "L2I" << 1048576;
    QTest::newRow("largest step 20 to 1") << withTenAndTwenty << "L7N" << 19;

    const DrawNumbers descending{20, 19, 17, 15, 13, 14, 12, 10};
    QTest::newRow("descending by one") << descending << "L2K" << 1;
    QTest::newRow("descending by two") << descending << "L4K" << 5;
    QTest::newRow("ascending by one") << descending << "L1K" << 1;
    QTest::newRow("segment of 20") << descending << "L1F" << 10;
    QTest::newRow("segment of 17") << descending << "L3F" << 9;
}

void TestDrawParameters::specialNumbers()
{
    QFETCH(DrawNumbers, numbers);
    QFETCH(QString, code);
    QFETCH(int, expected);
    const auto values = computeDrawParameters(numbers, kExampleIssue, std::nullopt, 84, EntryPath::Manual);
    QCOMPARE(valueOf(values, code), expected);
}

void TestDrawParameters::daySequence_data()
{
    QTest::addColumn<qint32>("issue");
    QTest::addColumn<int>("drawsPerDay");
    QTest::addColumn<EntryPath>("path");
    QTest::addColumn<int>("l5k");
    QTest::addColumn<int>("l6k");
    QTest::addColumn<int>("l7k");

    QTest::newRow("manual, first draw of the day") << 25120701 << 84 << EntryPath::Manual << 83 << 84 << 1;
    QTest::newRow("online, first draw of the day") << 25120701 << 84 << EntryPath::Online << 84 << 1 << 2;
    QTest::newRow("manual, second draw wraps only the first value")
        << 25120702 << 84 << EntryPath::Manual << 84 << 1 << 2;
    QTest::newRow("manual, last draw of the day") << 25120784 << 84 << EntryPath::Manual << 82 << 83 << 84;
    QTest::newRow("online, last draw of the day") << 25120784 << 84 << EntryPath::Online << 83 << 84 << 1;
    QTest::newRow("manual, D = 97 first draw") << 25120701 << 97 << EntryPath::Manual << 96 << 97 << 1;
    QTest::newRow("online, D = 97 last draw") << 25120797 << 97 << EntryPath::Online << 96 << 97 << 1;
    QTest::newRow("online, D = 71 middle of the day")
        << 25120740 << 71 << EntryPath::Online << 39 << 40 << 41;
}

void TestDrawParameters::daySequence()
{
    QFETCH(qint32, issue);
    QFETCH(int, drawsPerDay);
    QFETCH(EntryPath, path);
    QFETCH(int, l5k);
    QFETCH(int, l6k);
    QFETCH(int, l7k);
    const auto values = computeDrawParameters(kExampleNumbers, issue, kExamplePrevious, drawsPerDay, path);
    QCOMPARE(valueOf(values, QStringLiteral("L5K")), l5k);
    QCOMPARE(valueOf(values, QStringLiteral("L6K")), l6k);
    QCOMPARE(valueOf(values, QStringLiteral("L7K")), l7k);
}

void TestDrawParameters::makeDrawKeepsIssueAndNumbers()
{
    const Draw draw = makeDraw(kExampleNumbers, 1010101, std::nullopt, 84, EntryPath::Online);
    QCOMPARE(draw.issue, 1010101);
    QCOMPARE(draw.numbers(), kExampleNumbers);
    // An issue of 2001 keeps its year although its leading zero is lost in the number.
    QCOMPARE(valueOf(draw.values, QStringLiteral("L0K")), 2001);
    QCOMPARE(valueOf(draw.values, QStringLiteral("L9K")), 1);
    QCOMPARE(valueOf(draw.values, QStringLiteral("L8K")), 1);
}

void TestDrawParameters::realDrawsStayInRangeAndAgree()
{
    const auto histories = readRealHistories();
    QVERIFY(!histories.empty());
    int checked = 0;
    for (const RealHistory& history : histories) {
        std::optional<DrawNumbers> previous;
        for (const RealDraw& real : history.draws) {
            for (const EntryPath path : {EntryPath::Manual, EntryPath::Online}) {
                const QString where = QStringLiteral("%1, issue %2").arg(history.name).arg(real.issue);
                const auto v =
                    computeDrawParameters(real.numbers, real.issue, previous, history.drawsPerDay, path);
                const auto at = [&v](const char* code) { return valueOf(v, QString::fromLatin1(code)); };

                for (int i = 0; i < kTermCount; ++i) {
                    const QString& code = termTable()[i].code;
                    const auto [low, high] = rangeOf(code, history.drawsPerDay);
                    QVERIFY2(v[i] >= low && v[i] <= high,
                             qPrintable(QStringLiteral("%1: %2 = %3").arg(where, code).arg(v[i])));
                }

                const int sum = std::accumulate(real.numbers.begin(), real.numbers.end(), 0);
                const bool hasOne =
                    std::find(real.numbers.begin(), real.numbers.end(), 1) != real.numbers.end();
                const auto [smallest, largest] =
                    std::minmax_element(real.numbers.begin(), real.numbers.end());
                QVERIFY2(at("L1M") == sum, qPrintable(where));
                QVERIFY2(at("L2M") == sum % 10, qPrintable(where));
                QVERIFY2(at("L3M") + at("L4M") == 8, qPrintable(where));
                QVERIFY2(at("L5M") + at("L6M") == sum, qPrintable(where));
                QVERIFY2(at("L7M") + at("L8M") == 8, qPrintable(where));
                QVERIFY2(at("L9M") + at("L0M") == sum, qPrintable(where));
                QVERIFY2(at("L1N") + at("L2N") == (hasOne ? 7 : 8), qPrintable(where));
                QVERIFY2(at("L3N") + at("L4N") == sum - (hasOne ? 1 : 0), qPrintable(where));
                QVERIFY2(at("L8N") == *largest - *smallest, qPrintable(where));
                QVERIFY2(at("L5N") >= at("L6N"), qPrintable(where));
                QVERIFY2(at("L1P") == real.numbers[7] + real.numbers[1], qPrintable(where));
                QVERIFY2(at("L8Q") == std::abs(real.numbers[6] - real.numbers[0]), qPrintable(where));
                const QDate date = IssueNumber::date(real.issue);
                QVERIFY2(date.isValid(), qPrintable(where));
                QVERIFY2(at("L0K") == date.year() && at("L9K") == date.month() && at("L8K") == date.day(),
                         qPrintable(where));
                const int q = IssueNumber::sequence(real.issue);
                QVERIFY2((path == EntryPath::Manual ? at("L7K") : at("L6K")) == q, qPrintable(where));

                const Draw draw = makeDraw(real.numbers, real.issue, previous, history.drawsPerDay, path);
                QVERIFY2(draw.values == v && draw.numbers() == real.numbers, qPrintable(where));
                ++checked;
            }
            previous = real.numbers;
        }
    }
    QVERIFY(checked > 3000);
}

QTEST_GUILESS_MAIN(TestDrawParameters)
#include "tst_drawparameters.moc"
