#include "core/Settings.h"

#include "core/LotteryType.h"
#include "core/TermTable.h"

#include <QLocale>
#include <QSettings>

#include <cmath>

namespace quorvel {

namespace {

// Section `IniSetting`: the main window's settings.
const QString kMainSection = QStringLiteral("IniSetting");
// Section `SSSZ`: the search window's scheme targets.
const QString kSchemeSection = QStringLiteral("SSSZ");
// Key of a position section holding the search's operand count.
const QString kOperandCountKey = QStringLiteral("text2");

constexpr int kDefaultHistoryDays = 3;
constexpr int kFewestHistoryDays = 2;
constexpr int kMostHistoryDays = 10;
constexpr bool kDefaultComputeSelectedFormulas = true;
constexpr bool kDefaultResultsAtCurrentPeriod = false;
constexpr bool kDefaultExcludeCurrentPeriod = true;
constexpr bool kDefaultWeightedAccuracy = true;
constexpr int kDefaultRetrievalPeriodsIndex = 3;
constexpr int kDefaultOperandCount = 8;
constexpr int kFewestOperands = 2;
constexpr int kMostOperands = 24;
constexpr int kDefaultSchemeTarget = 80;

constexpr int kFirstBound = 2;
constexpr int kLastBound = 9;
constexpr int kBoundCount = kLastBound - kFirstBound + 1;
// Acceptance bounds 2..9 (lower and upper ends of 最大连错, 最大连对, 最后连错, 最后连对).
constexpr std::array<double, kBoundCount> kDefaultKillBounds = {2, 32768, 0, 64, 2, 32768, 0, 0};
constexpr std::array<double, kBoundCount> kDefaultKeepBounds = {96, 32768, 0, 2, 96, 32768, 0, 0};

constexpr std::array<int, Settings::kRetrievalPeriodsCount> kRetrievalPeriods = {0,   100, 200,  300,  500,
                                                                                 600, 800, 1000, 1500, 3000};

QString fullKey(const QString& section, const QString& key)
{
    return section + QLatin1Char('/') + key;
}

QString positionSection(int position)
{
    Q_ASSERT(position >= 1 && position <= kPositionCount);
    return QString::number(position);
}

// Keys of the search window: kill uses the plain number, keep the number + 10.
QString categoryKey(int number, bool kill)
{
    return QString::number(number + (kill ? 0 : 10));
}

QString flagText(bool on)
{
    return on ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace

Settings::Settings()
    : m_store(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                          QStringLiteral("Quorvel"), QStringLiteral("Quorvel")))
{
}

Settings::Settings(const QString& iniFilePath)
    : m_store(std::make_unique<QSettings>(iniFilePath, QSettings::IniFormat))
{
}

Settings::~Settings() = default;

int Settings::retrievalPeriods(int index)
{
    Q_ASSERT(index >= 0 && index < kRetrievalPeriodsCount);
    return kRetrievalPeriods[index];
}

int Settings::lotteryTypeIndex() const
{
    const int index = readInt(kMainSection, QStringLiteral("GsZl"), kNoLotteryType);
    return isLotteryTypeIndex(index) ? index : kNoLotteryType;
}

void Settings::setLotteryTypeIndex(int index)
{
    writeText(kMainSection, QStringLiteral("GsZl"), QString::number(index));
}

int Settings::historyDays() const
{
    const int days = readInt(kMainSection, QStringLiteral("IniSerchDay"), kDefaultHistoryDays);
    return days >= kFewestHistoryDays && days <= kMostHistoryDays ? days : kDefaultHistoryDays;
}

void Settings::setHistoryDays(int days)
{
    writeText(kMainSection, QStringLiteral("IniSerchDay"), QString::number(days));
}

bool Settings::computeSelectedFormulas() const
{
    return readFlag(kMainSection, QStringLiteral("JSFF"), kDefaultComputeSelectedFormulas);
}

void Settings::setComputeSelectedFormulas(bool on)
{
    writeText(kMainSection, QStringLiteral("JSFF"), flagText(on));
}

bool Settings::resultsAtCurrentPeriod() const
{
    return readFlag(kMainSection, QStringLiteral("LsXs"), kDefaultResultsAtCurrentPeriod);
}

void Settings::setResultsAtCurrentPeriod(bool on)
{
    writeText(kMainSection, QStringLiteral("LsXs"), flagText(on));
}

bool Settings::excludeCurrentPeriod() const
{
    return readFlag(kMainSection, QStringLiteral("SyBq"), kDefaultExcludeCurrentPeriod);
}

void Settings::setExcludeCurrentPeriod(bool on)
{
    writeText(kMainSection, QStringLiteral("SyBq"), flagText(on));
}

bool Settings::weightedAccuracy() const
{
    return readFlag(kMainSection, QStringLiteral("ZqlJq"), kDefaultWeightedAccuracy);
}

void Settings::setWeightedAccuracy(bool on)
{
    writeText(kMainSection, QStringLiteral("ZqlJq"), flagText(on));
}

int Settings::retrievalPeriodsIndex() const
{
    const int index = readInt(kMainSection, QStringLiteral("JSQS"), kDefaultRetrievalPeriodsIndex);
    return index >= 0 && index < kRetrievalPeriodsCount ? index : kDefaultRetrievalPeriodsIndex;
}

void Settings::setRetrievalPeriodsIndex(int index)
{
    writeText(kMainSection, QStringLiteral("JSQS"), QString::number(index));
}

double Settings::categoryBound(int position, bool kill, int bound) const
{
    const double fallback = defaultCategoryBound(kill, bound);
    bool ok = false;
    const double value = m_store->value(fullKey(positionSection(position), categoryKey(bound, kill)))
                             .toString()
                             .trimmed()
                             .toDouble(&ok);
    return ok && std::isfinite(value) ? value : fallback;
}

void Settings::setCategoryBound(int position, bool kill, int bound, double value)
{
    Q_ASSERT(bound >= kFirstBound && bound <= kLastBound);
    writeText(positionSection(position), categoryKey(bound, kill),
              QString::number(value, 'g', QLocale::FloatingPointShortest));
}

double Settings::defaultCategoryBound(bool kill, int bound)
{
    Q_ASSERT(bound >= kFirstBound && bound <= kLastBound);
    return (kill ? kDefaultKillBounds : kDefaultKeepBounds)[bound - kFirstBound];
}

int Settings::operandCount(int position) const
{
    const int count = readInt(positionSection(position), kOperandCountKey, kDefaultOperandCount);
    return count >= kFewestOperands && count <= kMostOperands ? count : kDefaultOperandCount;
}

void Settings::setOperandCount(int position, int count)
{
    writeText(positionSection(position), kOperandCountKey, QString::number(count));
}

int Settings::schemeTarget(int position, bool kill) const
{
    return readInt(kSchemeSection, categoryKey(position, kill), kDefaultSchemeTarget);
}

void Settings::setSchemeTarget(int position, bool kill, int target)
{
    Q_ASSERT(position >= 1 && position <= kPositionCount);
    writeText(kSchemeSection, categoryKey(position, kill), QString::number(target));
}

QString Settings::rawValue(const QString& section, const QString& key) const
{
    return m_store->value(fullKey(section, key)).toString();
}

void Settings::sync()
{
    m_store->sync();
}

int Settings::readInt(const QString& section, const QString& key, int fallback) const
{
    bool ok = false;
    const int value = m_store->value(fullKey(section, key)).toString().trimmed().toInt(&ok);
    return ok ? value : fallback;
}

bool Settings::readFlag(const QString& section, const QString& key, bool fallback) const
{
    const QString text = m_store->value(fullKey(section, key)).toString().trimmed();
    if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    return fallback;
}

// Settings take effect for good the moment they change, so every write reaches the file at once.
void Settings::writeText(const QString& section, const QString& key, const QString& text)
{
    m_store->setValue(fullKey(section, key), text);
    m_store->sync();
}

} // namespace quorvel
